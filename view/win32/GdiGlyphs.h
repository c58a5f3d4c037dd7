// The GDI side of the screen's glyphs: a chosen font's letters rendered once
// into masks, and runs of cells drawn from masks through one bitmap blit each.
#pragma once

#include <windows.h>

#include <cstdint>

#include "view/GlyphSet.h"

namespace glyphs {

// The 256 code page 437 glyphs of `font` in cells of width x height, drawn
// through Unicode so the system's code pages do not matter. Empty when GDI
// cannot make the bitmap.
CGlyphSet RenderFontLetters(HDC reference, HFONT font, int width, int height);

// Draws runs: the cells are composed in a DIB section, then copied to the
// target in one BitBlt.
class CGdiRunPainter {
public:
    CGdiRunPainter() = default;
    ~CGdiRunPainter();
    CGdiRunPainter(const CGdiRunPainter&) = delete;
    CGdiRunPainter& operator=(const CGdiRunPainter&) = delete;

    void Draw(HDC target, int x, int y, const CGlyphSet& glyphs, const unsigned* cells, int count, COLORREF text,
              COLORREF back, int firstRow, int rows);

private:
    bool EnsureBitmap(HDC target, int width, int height);
    void Release();

    HDC memory = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    uint32_t* bits = nullptr;
    int bitmapWidth = 0, bitmapHeight = 0;
};

}  // namespace glyphs
