// The screen's own glyphs: the shapes of the box drawing, block and shade
// codes at every cell size, the built-in letters scaled by whole steps, and
// runs of cells drawn from them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/GlyphShapeCheck.h"
#include "view/Cp437Font.h"
#include "view/GlyphSet.h"
#include "view/LineGlyphs.h"

namespace {

using glyphs::CGlyphSet;

constexpr uint32_t kInk = 0x000000, kPaper = 0xFFFFFF;

// A screen of rows drawn with DrawRun, as the window draws it.
struct Drawing {
    int width, height, cellWidth, cellHeight;
    std::vector<uint32_t> pixels;

    Drawing(const CGlyphSet& glyphs, const std::vector<std::string>& rows)
        : width(80 * glyphs.Width()), height(static_cast<int>(rows.size()) * glyphs.Height()),
          cellWidth(glyphs.Width()), cellHeight(glyphs.Height()), pixels(static_cast<size_t>(width) * height, kPaper) {
        for (size_t r = 0; r < rows.size(); ++r) {
            std::vector<unsigned> cells;
            for (char c : rows[r]) cells.push_back(static_cast<unsigned char>(c) | 0x0F000000u);
            glyphs::DrawRun(glyphs, cells.data(), static_cast<int>(cells.size()), kInk, kPaper, 0, cellHeight,
                            pixels.data() + r * cellHeight * width, width);
        }
    }
    bool Ink(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x] == kInk; }
    shapecheck::InkAt InkAt() const {
        return [this](int x, int y) { return Ink(x, y); };
    }
};

std::string Art(const CGlyphSet& set, unsigned char code) {
    std::string art;
    for (int y = 0; y < set.Height(); ++y) {
        for (int x = 0; x < set.Width(); ++x) art += set.Mask(code)[y * set.Width() + x] ? '#' : '.';
        art += '\n';
    }
    return art;
}

std::string Joined(const std::vector<std::string>& problems) {
    std::string text;
    for (const std::string& p : problems) text += p + "\n";
    return text;
}

// The shapes at the PC's own cell, 8 x 12, pixel for pixel.
TEST(GlyphShapes, LineGlyphsAtTheDefaultCell) {
    const CGlyphSet set = glyphs::ScreenGlyphs(glyphs::BuiltInLetters(), 8, 12);
    const struct {
        unsigned char code;
        const char* art;
    } cases[] = {
        {0xC4, "........\n........\n........\n........\n........\n########\n"
               "........\n........\n........\n........\n........\n........\n"},
        {0xCD, "........\n........\n........\n........\n########\n........\n"
               "########\n........\n........\n........\n........\n........\n"},
        {0xDA, "........\n........\n........\n........\n........\n...#####\n"
               "...#....\n...#....\n...#....\n...#....\n...#....\n...#....\n"},
        {0xC9, "........\n........\n........\n........\n..######\n..#.....\n"
               "..#.####\n..#.#...\n..#.#...\n..#.#...\n..#.#...\n..#.#...\n"},
        {0xCE, "..#.#...\n..#.#...\n..#.#...\n..#.#...\n###.####\n........\n"
               "###.####\n..#.#...\n..#.#...\n..#.#...\n..#.#...\n..#.#...\n"},
        // A single line hangs from the nearer stroke of a double one at a
        // tee, from the farther at a corner.
        {0xD1, "........\n........\n........\n........\n########\n........\n"
               "########\n...#....\n...#....\n...#....\n...#....\n...#....\n"},
        {0xD5, "........\n........\n........\n........\n...#####\n...#....\n"
               "...#####\n...#....\n...#....\n...#....\n...#....\n...#....\n"},
        {0xC7, "..#.#...\n..#.#...\n..#.#...\n..#.#...\n..#.#...\n..#.####\n"
               "..#.#...\n..#.#...\n..#.#...\n..#.#...\n..#.#...\n..#.#...\n"},
        {0xDF, "########\n########\n########\n########\n########\n########\n"
               "........\n........\n........\n........\n........\n........\n"},
        {0xDD, "####....\n####....\n####....\n####....\n####....\n####....\n"
               "####....\n####....\n####....\n####....\n####....\n####....\n"},
        {0xB0, "#...#...\n..#...#.\n#...#...\n..#...#.\n#...#...\n..#...#.\n"
               "#...#...\n..#...#.\n#...#...\n..#...#.\n#...#...\n..#...#.\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(Art(set, c.code), c.art) << std::hex << static_cast<int>(c.code);
}

// Lines join across cell edges, corners and crosses are closed, blocks and
// shades are exact, at the cell of every DPI and of the double-size rows.
TEST(GlyphShapes, EveryBoxJoinsUpAtEveryCellSize) {
    const struct {
        int width, height, stroke;
    } cells[] = {
        {8, 12, 1}, {10, 15, 1}, {12, 18, 2}, {16, 24, 2},  // 96, 120, 144 and 192 DPI
        {16, 12, 2}, {8, 24, 1}, {32, 48, 5},               // double width, double height, 4x
        {7, 13, 1},  {6, 11, 1}, {9, 16, 1},                // fonts chosen in the dialog
    };
    for (const auto& c : cells) {
        const Drawing drawing(glyphs::ScreenGlyphs(glyphs::BuiltInLetters(), c.width, c.height),
                              shapecheck::SampleRows());
        EXPECT_EQ(Joined(shapecheck::CheckSample(drawing.InkAt(), 0, 0, c.width, c.height, c.stroke)), "")
            << c.width << "x" << c.height;
        EXPECT_EQ(glyphs::StrokeWidth(c.width), c.stroke) << c.width;
    }
}

// The checks find what they look for: a gap, a step and a loose end.
TEST(GlyphShapes, TheShapeCheckFindsBrokenGlyphs) {
    const struct {
        const char* name;
        unsigned char code;
        int x, y;
        uint8_t value;
    } faults[] = {
        {"a gap at the right edge of a cross", 0xC5, 7, 5, 0},
        {"a notch that splits a double corner", 0xC9, 2, 8, 0},
        {"ink beside a line", 0xB3, 0, 0, 1},
        {"a lower half block one row short", 0xDC, 3, 6, 0},
    };
    for (const auto& f : faults) {
        CGlyphSet set = glyphs::ScreenGlyphs(glyphs::BuiltInLetters(), 8, 12);
        set.Mask(f.code)[f.y * 8 + f.x] = f.value;
        const Drawing drawing(set, shapecheck::SampleRows());
        EXPECT_FALSE(shapecheck::CheckSample(drawing.InkAt(), 0, 0, 8, 12, 1).empty()) << f.name;
    }
}

// Letters are scaled by the largest whole step that fits and centred; at
// the built-in font's own size they are its rows.
TEST(GlyphShapes, LettersScaleByWholeSteps) {
    const CGlyphSet font = glyphs::BuiltInLetters();
    const struct {
        int width, height, scaleX, scaleY, offsetX, offsetY;
    } cells[] = {{8, 12, 1, 1, 0, 0}, {10, 15, 1, 1, 1, 1}, {16, 24, 2, 2, 0, 0}, {16, 12, 2, 1, 0, 0},
                 {12, 18, 1, 1, 2, 3}, {6, 11, 1, 1, -1, 0}};  // a smaller cell shows the middle
    for (const auto& c : cells) {
        const CGlyphSet set = glyphs::ScreenGlyphs(font, c.width, c.height);
        for (unsigned char code : {0x41, 0x67, 0x01, 0x82, 0xE0}) {
            int mismatches = 0;
            for (int y = 0; y < c.height; ++y)
                for (int x = 0; x < c.width; ++x) {
                    const int fx = (x - c.offsetX) / c.scaleX, fy = (y - c.offsetY) / c.scaleY;
                    const bool inside = x >= c.offsetX && y >= c.offsetY && fx < cp437::kFontWidth &&
                                        fy < cp437::kFontHeight;
                    const int want = inside ? (cp437::kFontRows[code][fy] >> (7 - fx)) & 1 : 0;
                    mismatches += set.Mask(code)[y * c.width + x] != want ? 1 : 0;
                }
            EXPECT_EQ(mismatches, 0) << c.width << "x" << c.height << " code " << static_cast<int>(code) << "\n"
                                     << Art(set, code);
        }
    }
    // Every code but the blanks has a glyph.
    for (int code = 0; code < 256; ++code) {
        int ink = 0;
        for (int i = 0; i < 8 * 12; ++i) ink += font.Mask(static_cast<unsigned char>(code))[i];
        EXPECT_EQ(ink == 0, code == 0 || code == 0x20 || code == 0xFF) << code;
    }
}

// A run takes its colours and, on a double-height row, the half it shows.
TEST(GlyphShapes, RunsDrawTheirRowsInTheirColours) {
    const CGlyphSet tall = glyphs::ScreenGlyphs(glyphs::BuiltInLetters(), 8, 24);
    const unsigned cells[] = {0xDC, 0xDB, 'A'};
    for (int half = 0; half < 2; ++half) {
        std::vector<uint32_t> pixels(3 * 8 * 12, 0x123456);
        glyphs::DrawRun(tall, cells, 3, 0xAA0000, 0x0000BB, half * 12, 12, pixels.data(), 3 * 8);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 8; ++x) {
                // The lower half block is paper above, ink below; the full
                // block ink on both rows of the pair.
                EXPECT_EQ(pixels[y * 24 + x], half ? 0xAA0000u : 0x0000BBu) << half << " " << x << "," << y;
                EXPECT_EQ(pixels[y * 24 + 8 + x], 0xAA0000u);
            }
        for (uint32_t p : pixels) EXPECT_TRUE(p == 0xAA0000u || p == 0x0000BBu);
    }
}

}  // namespace
