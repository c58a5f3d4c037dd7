// What the terminal window paints, read back as pixels: the session the
// paint and glyph tests share (the host writes bytes, the client area is
// saved as a BMP and read back), cells of a screenshot, and the table of
// all 256 character codes.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "Screenshot.h"
#include "TerminalSession.h"

namespace paint {

using ovwine::Image;
using ovwine::Rgb;


constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kAlternate{0, 128, 0};
constexpr Rgb kProtected{200, 200, 200};

// Where screenshots go: $OV_PAINT_SHOTS, else beside the test binary, so that
// the last run's pictures are found in the build tree.
inline std::string ShotDirectory() {
    if (const char* dir = std::getenv("OV_PAINT_SHOTS")) return dir;
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string dir = n > 0 ? std::string(self, static_cast<size_t>(n)) : std::string("/tmp/ovwinetests");
    return dir.substr(0, dir.rfind('/')) + "/paint-shots";
}

// Host bytes: the cursor to (row, col), ESC = with both + 0x20.
inline std::string At(int row, int col) {
    return std::string("\x1b=") + static_cast<char>(0x20 + row) + static_cast<char>(0x20 + col);
}
constexpr char kClear[] = "\x1b+";
constexpr char kFullBlock[] = "\x1bH7";  // graphics character 7: 0xDB

// Where the prompt goes once the host's bytes are out: below every sample.
constexpr int kPromptRow = 22;

// One cell of a screenshot.
class Cell {
public:
    Cell(const Image& image, int row, int col, int width, int height)
        : image_(image), x0_(col * width), y0_(row * height), w_(width), h_(height) {}

    int Width() const { return w_; }
    int Height() const { return h_; }
    Rgb At(int x, int y) const { return image_.At(x0_ + x, y0_ + y); }

    // True when every pixel is `colour`; else `why` names the first one that is not.
    bool All(const Rgb& colour, std::string& why) const {
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x)
                if (At(x, y) != colour) {
                    std::ostringstream text;
                    text << "pixel " << x << "," << y << " of the cell is " << At(x, y) << ", not " << colour;
                    why = text.str();
                    return false;
                }
        return true;
    }

    // How much of the way from background to text colour a pixel is, 0..1:
    // glyph edges are smoothed, so a thin line is partly covered.
    double Ink(int x, int y, const Rgb& text, const Rgb& back) const {
        const Rgb p = At(x, y);
        const double dr = text.r - back.r, dg = text.g - back.g, db = text.b - back.b;
        const double t = ((p.r - back.r) * dr + (p.g - back.g) * dg + (p.b - back.b) * db) / (dr * dr + dg * dg + db * db);
        return t < 0 ? 0 : t > 1 ? 1 : t;
    }
    double RowInk(int y, const Rgb& text, const Rgb& back) const {
        double sum = 0;
        for (int x = 0; x < w_; ++x) sum += Ink(x, y, text, back);
        return sum;
    }
    double ColumnInk(int x, const Rgb& text, const Rgb& back) const {
        double sum = 0;
        for (int y = 0; y < h_; ++y) sum += Ink(x, y, text, back);
        return sum;
    }
    // The share of the cell covered by text, 0..1.
    double Coverage(const Rgb& text, const Rgb& back) const {
        double sum = 0;
        for (int y = 0; y < h_; ++y) sum += RowInk(y, text, back);
        return sum / (w_ * h_);
    }

    // The cell as text art, for failure messages.
    std::string Art(const Rgb& text, const Rgb& back) const {
        std::string art;
        for (int y = 0; y < h_; ++y) {
            art += "  |";
            for (int x = 0; x < w_; ++x) {
                const double ink = Ink(x, y, text, back);
                art += ink > 0.8 ? '#' : ink > 0.4 ? '+' : ink > 0.08 ? '.' : ' ';
            }
            art += "|\n";
        }
        return art;
    }

    // Equal pixels but for the leftmost and rightmost column.
    bool SameInterior(const Cell& other) const {
        for (int y = 0; y < h_; ++y)
            for (int x = 1; x + 1 < w_; ++x)
                if (At(x, y) != other.At(x, y)) return false;
        return true;
    }

private:
    const Image& image_;
    int x0_, y0_, w_, h_;
};

class Paint : public ovwine::TerminalTest {
protected:
    void SetUp() override {
        TerminalTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        shots = ShotDirectory();
        ASSERT_EQ(std::system(("mkdir -p '" + shots + "'").c_str()), 0) << shots;
        std::cout << "[ screenshots ] " << shots << std::endl;
    }

    void StartConnectedWithCells() {
        StartConnected();
        if (HasFatalFailure()) return;
        const ovwine::DriveResult r = Run({"cellsize"});
        ASSERT_EQ(std::sscanf(r.Value("cellsize").c_str(), "%d %d", &cellWidth, &cellHeight), 2) << r.Transcript();
        ASSERT_GT(cellWidth, 2);
        ASSERT_GT(cellHeight, 4);
    }

    // The host writes the bytes to the terminal as they are; `marker` must
    // then be on the screen (write it last).
    void HostWrites(const std::string& bytes, const std::string& marker) {
        const std::string file = serverDir + "/screen-" + std::to_string(++files) + ".bin";
        {
            std::ofstream out(file, std::ios::binary);
            out << bytes << At(kPromptRow, 0);
        }
        Run({"chars stty\\s-opost;\\scat\\s" + ovwine::Arg(file) + ";\\sstty\\sopost\\r"});
        const bool shown = WaitForScreen(marker, 20000);
        // Reading the screen left it selected (inverted) and the scroll bar
        // shown (the pointer went to the right edge); a click at the left
        // clears both.
        Run({"dragpx 0 0 0 0", "sync"});
        ASSERT_TRUE(shown) << ScreenText();
    }

    // The client area, saved as NAME.bmp in the screenshot directory.
    Image Shot(const std::string& name) {
        Image image;
        const std::string path = shots + "/" + name + ".bmp";
        std::remove(path.c_str());
        const ovwine::DriveResult r = Run({"sync", "screenshot " + ovwine::WinPath(path)});
        if (!r.ok) return image;
        std::string error;
        EXPECT_TRUE(ovwine::ReadBmp(path, image, error)) << error;
        // The frame may hide a few pixels of the last column, no more.
        EXPECT_GE(image.width, 79 * cellWidth) << path;
        EXPECT_GE(image.height, 25 * cellHeight) << path;
        return image;
    }

    Cell CellOf(const Image& image, int row, int col) const { return Cell(image, row, col, cellWidth, cellHeight); }

    std::string shots;
    int cellWidth = 0, cellHeight = 0;
    int files = 0;
};


// All 256 codes in a 16 x 16 table: code hi * 16 + lo at row 2 + hi, column
// 4 + 3 * lo. 0x20..0xFF arrive as text; 0x00..0x1F, which the terminal
// acts on, go into their cells with ESC v (set the cursor cell's
// character). The message line (row 24) takes 0x00..0x1F but CR raw.
constexpr int kTableRow = 2;
inline int TableColumn(int code) { return 4 + 3 * (code % 16); }
inline int TableRow(int code) { return kTableRow + code / 16; }

inline std::string CodeTableBytes() {
    const char* digits = "0123456789ABCDEF";
    std::string bytes = kClear;
    for (int lo = 0; lo < 16; ++lo) bytes += At(1, TableColumn(lo)) + digits[lo];
    for (int hi = 0; hi < 16; ++hi) {
        bytes += At(kTableRow + hi, 0) + digits[hi] + "_";
        for (int lo = 0; lo < 16; ++lo) {
            const char code = static_cast<char>(hi * 16 + lo);
            bytes += At(kTableRow + hi, TableColumn(lo));
            bytes += hi < 2 ? std::string("\x1bv") + code : std::string(1, code);
        }
    }
    bytes += "\x1bz(";
    for (int code = 0; code < 0x20; ++code)
        if (code != '\r') bytes += static_cast<char>(code);
    bytes += "\r";
    // Last: the marker the test waits for.
    return bytes + At(0, 0) + "Code page 437";
}


}  // namespace paint
