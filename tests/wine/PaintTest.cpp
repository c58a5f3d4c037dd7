// What the terminal window paints, read back as pixels: the colours of
// attribute runs, the colours picked in the colour dialog (and kept across a
// restart), and the code page 437 glyphs of all 256 character codes.
//
// The host cats a byte file the test wrote, with the tty's output processing
// off so that every byte arrives as written. The client area is saved as a
// BMP in the directory the test prints, and read back here.
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "PaintSession.h"

namespace {

using ovwine::Arg;
using ovwine::Image;
using ovwine::Rgb;
using ovwine::WinPath;
using paint::At;
using paint::Cell;
using paint::CodeTableBytes;
using paint::kAlternate;
using paint::kBlack;
using paint::kClear;
using paint::kFullBlock;
using paint::kProtected;
using paint::kWhite;
using paint::Paint;
using paint::TableColumn;
using paint::TableRow;

// --- the colours of attribute runs --------------------------------------------

// A sample row: `begin` (an embedded attribute or a mode) at column 20, then
// from column 21 a space (column 22) and a full block (column 23), `end`
// from column 26. The space shows the run's background, the block its text.
struct RunSample {
    const char* name;
    std::string begin, end;
    Rgb back, text;
};

constexpr int kSampleSpace = 22, kSampleBlock = 23, kSampleAfter = 27;

std::string SampleBytes(const std::vector<RunSample>& samples, int firstRow) {
    std::string bytes = kClear;
    for (size_t i = 0; i < samples.size(); ++i) {
        const int row = firstRow + static_cast<int>(i);
        bytes += At(row, 0) + samples[i].name;
        bytes += At(row, 20) + samples[i].begin;
        bytes += At(row, 21) + " " + " " + kFullBlock + "  ";
        bytes += At(row, 26) + samples[i].end;
    }
    return bytes;
}

TEST_F(Paint, AttributeRunsArePaintedInTheirColours) {
    StartConnectedWithCells();
    if (HasFatalFailure()) return;
    const std::vector<RunSample> samples = {
        {"normal", "", "", kWhite, kBlack},
        {"reverse", "\x1bG4", "\x1bG0", kBlack, kWhite},
        {"alternate", "\x1bGp", "\x1bG0", kWhite, kAlternate},
        {"reverse alternate", "\x1bGt", "\x1bG0", kAlternate, kWhite},
        // Blink and underline are carried, not painted.
        {"blink underline", "\x1bG*", "\x1bG0", kWhite, kBlack},
        {"protected", "\x1b)", "\x1b(", kWhite, kProtected},
        {"protected reverse", "\x1b`6\x1b)", "\x1b(\x1b`7", kProtected, kWhite},
    };
    constexpr int kFirstRow = 2;
    HostWrites(SampleBytes(samples, kFirstRow) + At(0, 0) + "Attribute colours", "Attribute colours");
    if (HasFatalFailure()) return;
    const Image image = Shot("attributes");
    ASSERT_FALSE(image.pixels.empty());

    for (size_t i = 0; i < samples.size(); ++i) {
        const RunSample& s = samples[i];
        const int row = kFirstRow + static_cast<int>(i);
        std::string why;
        EXPECT_TRUE(CellOf(image, row, kSampleSpace).All(s.back, why)) << s.name << " background: " << why;
        EXPECT_TRUE(CellOf(image, row, kSampleBlock).All(s.text, why)) << s.name << " text: " << why;
        // The run ends where the next attribute or mode says.
        EXPECT_TRUE(CellOf(image, row, kSampleAfter).All(kWhite, why)) << s.name << " after the run: " << why;
    }
    // An embedded attribute runs from its mark (column 20) to the next.
    std::string why;
    EXPECT_TRUE(CellOf(image, kFirstRow + 1, 20).All(kBlack, why)) << "reverse at its mark: " << why;
    EXPECT_TRUE(CellOf(image, kFirstRow + 1, 19).All(kWhite, why)) << "before the reverse mark: " << why;

    // The pixel command reads the same window.
    const ovwine::DriveResult pixel = Run({"pixel " + std::to_string(kSampleSpace * cellWidth + cellWidth / 2) + " " +
                                           std::to_string((kFirstRow + 3) * cellHeight + cellHeight / 2)});
    EXPECT_EQ(pixel.Value("pixel"), "0 128 0");
}

// --- scrolling ----------------------------------------------------------------

// A line feed on row 23 moves the pixels of rows 1 to 23 up one row: row 0
// must show what was row 1, not keep its own pixels.
TEST_F(Paint, ScrolledRowsLandWhereTheStoreHasThem) {
    StartConnectedWithCells();
    if (HasFatalFailure()) return;
    const std::string bytes = std::string(kClear) + At(0, 0) + "\x1bG4" + "reverse top row" + At(1, 0) +
                              "plain second row" + At(2, 0) + "\x1bG4" + "reverse third row" + At(23, 0) + "\n" +
                              At(5, 0) + "Scrolled once";
    HostWrites(bytes, "Scrolled once");
    if (HasFatalFailure()) return;
    const Image image = Shot("scrolled");
    ASSERT_FALSE(image.pixels.empty());
    std::string why;
    EXPECT_TRUE(CellOf(image, 0, 40).All(kWhite, why)) << "row 0 after the scroll (the plain row): " << why;
    EXPECT_TRUE(CellOf(image, 1, 40).All(kBlack, why)) << "row 1 after the scroll (the reverse row): " << why;
    EXPECT_TRUE(CellOf(image, 2, 40).All(kWhite, why)) << "row 2 after the scroll (blank): " << why;
}

// --- colours picked in the colour dialog ---------------------------------------

// The registry key of the colour settings, as reg.exe names it.
constexpr char kColourKey[] = "HKCU\\Software\\Orvane Emulator\\Colors";

class PaintColours : public Paint {
protected:
    void TearDown() override {
        // Later tests of the run share the prefix: they start on the defaults.
        if (program) program->Kill();
        if (!shots.empty()) Reg({"delete", kColourKey, "/f"});
        Paint::TearDown();
    }

    // reg.exe of the prefix with the arguments; its output.
    std::string Reg(const std::vector<std::string>& args) {
        ovwine::WineProcess reg;
        std::string error;
        const std::string exe = ovwine::WineEnvironment::Instance().Dir() + "/prefix/drive_c/windows/system32/reg.exe";
        if (!reg.Start(exe, args, error)) {
            ADD_FAILURE() << error;
            return "";
        }
        EXPECT_GE(reg.Wait(60000), 0) << "reg.exe did not finish";
        return reg.Output();
    }

    // Picks a colour the way the dialog's Apply button does with a swatch.
    void Apply(int red, int green, int blue) {
        Run({"dialog " + Arg("Change Display Colors") + " 20000", "settext 706 " + std::to_string(red),
             "settext 707 " + std::to_string(green), "settext 708 " + std::to_string(blue), "click 1", "sync"});
    }

    // Checks the samples of ColourSamples() in a screenshot.
    void ExpectColours(const std::string& shot, const Rgb& text, const Rgb& back, const Rgb& intense,
                       bool withReverse = true) {
        const Image image = Shot(shot);
        ASSERT_FALSE(image.pixels.empty());
        std::string why;
        EXPECT_TRUE(CellOf(image, 2, kSampleBlock).All(text, why)) << shot << ", text: " << why;
        EXPECT_TRUE(CellOf(image, 2, kSampleSpace).All(back, why)) << shot << ", background: " << why;
        if (withReverse) {
            EXPECT_TRUE(CellOf(image, 3, kSampleSpace).All(text, why)) << shot << ", reverse background: " << why;
            EXPECT_TRUE(CellOf(image, 3, kSampleBlock).All(back, why)) << shot << ", reverse text: " << why;
        }
        EXPECT_TRUE(CellOf(image, 4, kSampleBlock).All(intense, why)) << shot << ", alternate intensity: " << why;
        EXPECT_TRUE(CellOf(image, 4, kSampleSpace).All(back, why)) << shot << ", alternate intensity background: " << why;
    }

    static std::string ColourSamples() {
        return SampleBytes({{"normal", "", "", {}, {}},
                            {"reverse", "\x1bG4", "\x1bG0", {}, {}},
                            {"alternate intensity", "\x1b/1", "\x1b/0", {}, {}}},
                           2) +
               At(0, 0) + "Screen colours";
    }
};

TEST_F(PaintColours, SwatchesRecolourTheScreenAndAreKeptForTheNextStart) {
    StartConnectedWithCells();
    if (HasFatalFailure()) return;
    HostWrites(ColourSamples(), "Screen colours");
    if (HasFatalFailure()) return;
    // Default colours: code 0 on both sides.
    ExpectColours("colours-default", kBlack, kWhite, kBlack);

    Run({"command 114"});
    // Foreground swatch BLUE (0,128,200): text drawn 50,50,180, at alternate
    // intensity 0,0,255; the background stays.
    Apply(0, 128, 200);
    ExpectColours("colours-fore-blue", {50, 50, 180}, kWhite, {0, 0, 255});
    // Background swatch BLUE (0,0,180).
    Apply(0, 0, 180);
    ExpectColours("colours-back-blue", {50, 50, 180}, {0, 0, 180}, {0, 0, 255});
    // Foreground swatch WHITE (255,255,255); at alternate intensity 200,200,200.
    Apply(255, 255, 255);
    ExpectColours("colours-white-on-blue", kWhite, {0, 0, 180}, {200, 200, 200});
    // A colour that is no swatch puts every background back to code 0.
    Apply(1, 2, 3);
    ExpectColours("colours-no-swatch", kWhite, kWhite, {200, 200, 200});
    Apply(0, 0, 180);
    Run({"dialog " + Arg("Change Display Colors"), "click 2", "sync"});
    if (HasFailure()) return;

    // reg.exe lists each value as NAME TYPE DATA on a line of its own.
    const std::string stored = Reg({"query", kColourKey});
    auto value = [&](const std::string& name) {
        std::istringstream lines(stored);
        std::string line, key, type, data;
        while (std::getline(lines, line)) {
            std::istringstream words(line);
            if (words >> key >> type >> data && key == name) return data;
        }
        return std::string("(none)");
    };
    EXPECT_EQ(value("Fore"), "WHITE") << stored;
    EXPECT_EQ(value("Back"), "BLUE") << stored;

    // The next start reads "Fore" and "Back" and paints in them.
    program->Kill();
    StartConnectedWithCells();
    if (HasFatalFailure()) return;
    HostWrites(ColourSamples(), "Screen colours");
    if (HasFatalFailure()) return;
    ExpectColours("colours-restarted", kWhite, {0, 0, 180}, {200, 200, 200});
}

// With screen colours chosen the attribute override holds the default
// attribute; text written then keeps the cells' embedded attributes (the
// reverse run after ESC G 4 is reverse all along, not only at its mark).
TEST_F(PaintColours, EmbeddedAttributesSurviveChosenColours) {
    StartConnectedWithCells();
    if (HasFatalFailure()) return;
    Run({"command 114"});
    Apply(0, 0, 180);
    Run({"dialog " + Arg("Change Display Colors"), "click 2", "sync"});
    if (HasFailure()) return;
    HostWrites(ColourSamples(), "Screen colours");
    if (HasFatalFailure()) return;
    ExpectColours("colours-chosen-then-written", kBlack, {0, 0, 180}, kBlack);
}

// --- code page 437 ---------------------------------------------------------------

TEST_F(Paint, AllCharacterCodesAreDrawnAsCodePage437Glyphs) {
    StartConnectedWithCells();
    if (HasFatalFailure()) return;
    HostWrites(CodeTableBytes(), "Code page 437");
    if (HasFatalFailure()) return;
    const Image image = Shot("cp437");
    ASSERT_FALSE(image.pixels.empty());
    auto glyph = [&](int code) { return CellOf(image, TableRow(code), TableColumn(code)); };
    auto show = [&](int code) {
        char name[8];
        std::snprintf(name, sizeof name, "0x%02X", code);
        return std::string(name) + ":\n" + glyph(code).Art(kBlack, kWhite);
    };
    const int w = cellWidth, h = cellHeight;

    // Blank codes: NUL, space and 0xFF (no-break space).
    for (int code : {0x00, 0x20, 0xFF}) {
        std::string why;
        EXPECT_TRUE(glyph(code).All(kWhite, why)) << show(code) << why;
    }
    // Every other code has a glyph, the control codes' symbols included.
    for (int code = 1; code < 0xFF; ++code) {
        if (code == 0x20) continue;
        EXPECT_GT(glyph(code).Coverage(kBlack, kWhite) * w * h, 0.5) << "no glyph drawn for " << show(code);
    }

    // Block elements fill exactly their part of the cell.
    {
        std::string why;
        EXPECT_TRUE(glyph(0xDB).All(kBlack, why)) << show(0xDB) << why;
    }
    for (int y = 0; y < h; ++y) {
        if (y == h / 2) continue;  // the edge may be smoothed
        const bool upper = y < h / 2;
        EXPECT_NEAR(glyph(0xDF).RowInk(y, kBlack, kWhite), upper ? w : 0, 0.05) << "upper half, line " << y << "\n" << show(0xDF);
        EXPECT_NEAR(glyph(0xDC).RowInk(y, kBlack, kWhite), upper ? 0 : w, 0.05) << "lower half, line " << y << "\n" << show(0xDC);
    }
    for (int x = 0; x < w; ++x) {
        const bool left = x < w / 2;
        EXPECT_NEAR(glyph(0xDD).ColumnInk(x, kBlack, kWhite), left ? h : 0, 0.05) << "left half, column " << x << "\n" << show(0xDD);
        EXPECT_NEAR(glyph(0xDE).ColumnInk(x, kBlack, kWhite), left ? 0 : h, 0.05) << "right half, column " << x << "\n" << show(0xDE);
    }

    // Shades: light, medium and dark, in that order and clearly apart, spread
    // over every line of the cell (the Windows-1252 letters of these codes,
    // such as the degree sign, are not).
    const double lightest[3] = {0.05, 0.25, 0.5}, darkest[3] = {0.4, 0.65, 0.9};
    for (int i = 0; i < 3; ++i) {
        const int code = 0xB0 + i;
        const double coverage = glyph(code).Coverage(kBlack, kWhite);
        EXPECT_GT(coverage, lightest[i]) << show(code);
        EXPECT_LT(coverage, darkest[i]) << show(code);
        for (int y = 0; y < h; ++y) EXPECT_GT(glyph(code).RowInk(y, kBlack, kWhite), 0.15) << "line " << y << "\n" << show(code);
    }
    EXPECT_GT(glyph(0xB1).Coverage(kBlack, kWhite), glyph(0xB0).Coverage(kBlack, kWhite) + 0.1);
    EXPECT_GT(glyph(0xB2).Coverage(kBlack, kWhite), glyph(0xB1).Coverage(kBlack, kWhite) + 0.1);

    // Box drawing: horizontal strokes cross the whole cell width (those of
    // the double cross stop at its centre), vertical
    // ones reach the top or bottom line, so that neighbouring cells join up.
    struct Box {
        int code;
        int across;       // lines crossing the whole width
        bool up, down;    // a stroke reaching the top line, the bottom line
    };
    const Box boxes[] = {{0xC4, 1, false, false}, {0xCD, 2, false, false}, {0xB3, 0, true, true},
                         {0xBA, 0, true, true},   {0xC5, 1, true, true},    {0xCE, 0, true, true},
                         {0xC2, 1, false, true},  {0xC1, 1, true, false},   {0xDA, 0, false, true},
                         {0xD9, 0, true, false}};
    for (const Box& box : boxes) {
        const Cell cell = glyph(box.code);
        // Strokes are counted, not pixel rows: at a high DPI a line is
        // several pixels thick.
        int across = 0;
        bool previousFull = false;
        for (int y = 0; y < h; ++y) {
            bool full = true;
            for (int x = 0; x < w; ++x) full = full && cell.Ink(x, y, kBlack, kWhite) > 0.3;
            if (full && !previousFull) ++across;
            previousFull = full;
        }
        EXPECT_EQ(across, box.across) << "lines across " << show(box.code);
        EXPECT_EQ(cell.RowInk(0, kBlack, kWhite) > 0.15, box.up) << "top line " << show(box.code);
        EXPECT_EQ(cell.RowInk(h - 1, kBlack, kWhite) > 0.15, box.down) << "bottom line " << show(box.code);
        // A stroke from top to bottom leaves no line empty (the strokes of
        // the double cross turn at its centre, leaving the gap between them).
        if (box.up && box.down && box.code != 0xCE) {
            for (int y = 0; y < h; ++y)
                EXPECT_GT(cell.RowInk(y, kBlack, kWhite), 0.15) << "line " << y << "\n" << show(box.code);
        }
    }

    // The message line holds the control codes raw and draws the same glyphs
    // (the outer pixel columns may take a smoothed edge of a neighbour's).
    int col = 0;
    for (int code = 0; code < 0x20; ++code) {
        if (code == '\r') continue;
        EXPECT_TRUE(CellOf(image, 24, col).SameInterior(glyph(code)))
            << "message line column " << col << ":\n"
            << CellOf(image, 24, col).Art(kBlack, kWhite) << "table " << show(code);
        ++col;
    }
}

}  // namespace
