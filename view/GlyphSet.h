// The 256 glyphs of the screen at one cell size, as masks (one byte a pixel,
// 1 where the text colour goes), and the drawing of a run of cells with them.
//
// Letters and symbols come from a bitmap source (the built-in code page 437
// font, or a font the user chose, rendered once by the platform) scaled by
// whole steps so they stay crisp; the box drawing, block and shade codes are
// drawn at the exact cell size (LineGlyphs.h). Both are made once per cell
// size, so drawing a run is copying masks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace glyphs {

class CGlyphSet {
public:
    CGlyphSet() = default;
    CGlyphSet(int width, int height);

    int Width() const { return width; }
    int Height() const { return height; }
    bool Empty() const { return masks.empty(); }
    const uint8_t* Mask(unsigned char code) const { return masks.data() + Offset(code); }
    uint8_t* Mask(unsigned char code) { return masks.data() + Offset(code); }

private:
    std::size_t Offset(unsigned char code) const { return static_cast<std::size_t>(code) * width * height; }
    int width = 0, height = 0;
    std::vector<uint8_t> masks;
};

// The built-in font at its own size (8 x 12).
CGlyphSet BuiltInLetters();

// The screen's glyphs for a cell of width x height: `letters` scaled by the
// largest whole factor that fits on each axis and centred, then the line
// glyphs drawn over their codes.
CGlyphSet ScreenGlyphs(const CGlyphSet& letters, int width, int height);

// A run of cells (the character in the low byte of each word) drawn in two
// colours into 32-bit pixels: pixel rows firstRow..firstRow+rows-1 of the
// glyphs, to `pixels`, rows `stride` pixels apart, from its left edge.
void DrawRun(const CGlyphSet& glyphs, const unsigned* cells, int count, uint32_t text, uint32_t back, int firstRow,
             int rows, uint32_t* pixels, int stride);

}  // namespace glyphs
