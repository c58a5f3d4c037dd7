// The terminal draws every character code with its own glyphs, pixel for
// pixel the same whatever fonts the system has, whatever its code pages and
// at every DPI: the screenshot of all 256 codes is compared with the glyphs
// drawn here by the same portable code, and the box drawing sample is
// checked for lines that join, closed corners and exact blocks.
//
// ctest runs this in several Wine setups (tests/wine/CMakeLists.txt): only
// Wine's own fonts, the desktop fonts the test command installs, OEM code
// pages 866 and 932, and 192 DPI. OV_WINE_EXPECT_OEMCP and OV_WINE_DPI say
// what the setup must show, so that a setup that did not take fails here.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "PaintSession.h"
#include "support/GlyphShapeCheck.h"
#include "view/GlyphSet.h"
#include "view/LineGlyphs.h"

namespace {

using paint::At;
using paint::kBlack;
using paint::kWhite;

int EnvNumber(const char* name, int otherwise) {
    const char* value = std::getenv(name);
    return value && *value ? std::atoi(value) : otherwise;
}

class Glyphs : public paint::Paint {
protected:
    // The setup is the one the run asked for, and the cell has the size of
    // the built-in font at its DPI.
    void StartInSetup() {
        StartConnectedWithCells();
        if (HasFatalFailure()) return;
        const ovwine::DriveResult r = Run({"codepages", "dpi"});
        int ansi = 0, oem = 0;
        ASSERT_EQ(std::sscanf(r.Value("codepages").c_str(), "%d %d", &ansi, &oem), 2) << r.Transcript();
        dpi = std::atoi(r.Value("dpi").c_str());
        std::cout << "[ setup ] code pages " << ansi << "/" << oem << ", " << dpi << " DPI, cell " << cellWidth << "x"
                  << cellHeight << std::endl;
        EXPECT_EQ(oem, EnvNumber("OV_WINE_EXPECT_OEMCP", 437));
        EXPECT_EQ(dpi, EnvNumber("OV_WINE_DPI", 96));
        EXPECT_EQ(cellWidth, 8 * dpi / 96);
        EXPECT_EQ(cellHeight, 12 * dpi / 96);
    }

    // The host writes the box sample from row kSampleRow, then `extra` and
    // `marker`; the screenshot NAME of it.
    ovwine::Image ShotOfSample(const std::string& name, const std::string& extra, const std::string& marker) {
        std::string bytes = paint::kClear;
        const std::vector<std::string>& rows = shapecheck::SampleRows();
        for (size_t i = 0; i < rows.size(); ++i) bytes += At(kSampleRow + static_cast<int>(i), 0) + rows[i];
        HostWrites(bytes + extra + At(0, 0) + marker, marker);
        if (HasFatalFailure()) return ovwine::Image();
        return Shot(name);
    }

    // What is wrong with the box sample in a screenshot, one problem a line.
    std::string SampleProblems(const ovwine::Image& image, int stroke) const {
        std::string text;
        for (const std::string& p :
             shapecheck::CheckSample([&](int x, int y) { return image.At(x, y) == kBlack; }, 0,
                                     kSampleRow * cellHeight, cellWidth, cellHeight, stroke))
            text += p + "\n";
        return text;
    }

    static constexpr int kSampleRow = 3;
    int dpi = 96;
};

// Whether a screenshot's cell shows exactly the glyph of `code`.
bool ShowsGlyph(const paint::Cell& cell, const glyphs::CGlyphSet& set, unsigned char code) {
    for (int y = 0; y < cell.Height(); ++y)
        for (int x = 0; x < cell.Width(); ++x)
            if (cell.At(x, y) != (set.Mask(code)[y * set.Width() + x] ? kBlack : kWhite)) return false;
    return true;
}

std::string Art(const paint::Cell& cell, const glyphs::CGlyphSet& set, unsigned char code) {
    std::string art = "  screen   expected\n";
    for (int y = 0; y < cell.Height(); ++y) {
        art += "  ";
        for (int x = 0; x < cell.Width(); ++x) art += cell.At(x, y) == kBlack ? '#' : cell.At(x, y) == kWhite ? '.' : '?';
        art += "  ";
        for (int x = 0; x < cell.Width(); ++x) art += set.Mask(code)[y * set.Width() + x] ? '#' : '.';
        art += '\n';
    }
    return art;
}

TEST_F(Glyphs, EveryCodeIsTheProgramsOwnGlyphPixelForPixel) {
    StartInSetup();
    if (HasFatalFailure()) return;
    HostWrites(paint::CodeTableBytes(), "Code page 437");
    if (HasFatalFailure()) return;
    const ovwine::Image image = Shot("cp437");
    ASSERT_FALSE(image.pixels.empty());
    const glyphs::CGlyphSet expected = glyphs::ScreenGlyphs(glyphs::BuiltInLetters(), cellWidth, cellHeight);
    int wrong = 0;
    for (int code = 0; code < 256; ++code) {
        const paint::Cell cell = CellOf(image, paint::TableRow(code), paint::TableColumn(code));
        const auto c = static_cast<unsigned char>(code);
        if (!ShowsGlyph(cell, expected, c) && ++wrong <= 8) ADD_FAILURE() << "code " << code << ":\n" << Art(cell, expected, c);
    }
    EXPECT_EQ(wrong, 0) << "codes drawn otherwise";
    // The message line takes the control codes raw (all but CR).
    int col = 0;
    for (int code = 0; code < 0x20; ++code) {
        if (code == '\r') continue;
        const paint::Cell cell = CellOf(image, 24, col++);
        EXPECT_TRUE(ShowsGlyph(cell, expected, static_cast<unsigned char>(code)))
            << "message line, code " << code << ":\n"
            << Art(cell, expected, static_cast<unsigned char>(code));
    }
}

TEST_F(Glyphs, BoxLinesJoinAcrossCellsAndBlocksFillTheirPart) {
    StartInSetup();
    if (HasFatalFailure()) return;
    const ovwine::Image image = ShotOfSample("boxes", "", "Box drawing");
    if (HasFatalFailure()) return;
    ASSERT_FALSE(image.pixels.empty());
    // Light lines are a sixth of the cell wide: one pixel at 96 DPI, two at
    // 192, where the cell is twice the size.
    const int stroke = dpi >= 192 ? 2 : 1;
    EXPECT_EQ(glyphs::StrokeWidth(cellWidth), stroke);
    EXPECT_EQ(SampleProblems(image, stroke), "");
}

// A font chosen in the font dialog draws the letters, at its own cell size;
// box drawing, blocks and shades stay the program's own at that size.
TEST_F(Glyphs, AChosenFontKeepsTheProgramsOwnLineGlyphs) {
    StartInSetup();
    if (HasFatalFailure()) return;
    // The dialog's OK takes the font it offers; the program makes a fixed
    // pitch OEM font of its size from it. (The system's font dialog has its
    // title in the system's language.)
    Run({"command 115", "dialog * 20000", "press 1", "sync"});
    if (HasFatalFailure()) return;
    const ovwine::DriveResult r = Run({"cellsize"});
    ASSERT_EQ(std::sscanf(r.Value("cellsize").c_str(), "%d %d", &cellWidth, &cellHeight), 2) << r.Transcript();
    std::cout << "[ chosen font ] cell " << cellWidth << "x" << cellHeight << std::endl;
    ASSERT_GT(cellWidth, 2);
    ASSERT_GT(cellHeight, 4);

    const ovwine::Image image = ShotOfSample("chosen-font-boxes", At(10, 0) + "ABC", "Chosen font");
    if (HasFatalFailure()) return;
    ASSERT_FALSE(image.pixels.empty());
    EXPECT_EQ(SampleProblems(image, glyphs::StrokeWidth(cellWidth)), "");
    // The line glyphs are exactly the program's at the new cell.
    const glyphs::CGlyphSet own = glyphs::ScreenGlyphs(glyphs::CGlyphSet(), cellWidth, cellHeight);
    const paint::Cell corner = CellOf(image, kSampleRow, 0);
    EXPECT_TRUE(ShowsGlyph(corner, own, 0xDA)) << Art(corner, own, 0xDA);
    // The letters come from the font: each has ink.
    for (int col = 0; col < 3; ++col) {
        const paint::Cell letter = CellOf(image, 10, col);
        int ink = 0;
        for (int y = 0; y < cellHeight; ++y)
            for (int x = 0; x < cellWidth; ++x) ink += letter.At(x, y) == kBlack ? 1 : 0;
        EXPECT_GT(ink, 3) << "letter " << col;
    }
}

}  // namespace
