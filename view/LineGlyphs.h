// The glyphs the screen draws itself rather than take from a font: the box
// drawing characters (single, double and mixed lines), the block elements
// and the three shades of code page 437 (0xB0..0xDF). They are described for
// a cell of any size, so that lines join their neighbours with no gap and
// blocks fill exactly their part of the cell, at every font and DPI, on
// double-width and double-height rows too.
#pragma once

#include <vector>

namespace glyphs {

struct Rect {
    int left, top, right, bottom;  // right and bottom excluded
};

enum class Shade { kNone, kLight, kMedium, kDark };

struct LineGlyph {
    std::vector<Rect> rects;    // filled with the text colour
    Shade shade = Shade::kNone; // a pattern over the whole cell
};

// True for the codes drawn here; `glyph` gets their shapes for a cell of
// width x height pixels.
bool LineGlyphFor(unsigned char code, int width, int height, LineGlyph* glyph);

// A light line is about a sixth of the cell wide, at least one pixel.
int StrokeWidth(int cellWidth);

// Whether the shade inks pixel (x, y) of its cell: a quarter, a half and
// three quarters of the pixels, every pixel row inked.
bool ShadeInks(Shade shade, int x, int y);

}  // namespace glyphs
