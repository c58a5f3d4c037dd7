#include "view/win32/GdiGlyphs.h"

#include "view/Cp437.h"

namespace glyphs {
namespace {

// A top-down 32-bit DIB section of width x height; its pixels in *bits.
HBITMAP CreatePixels(HDC reference, int width, int height, uint32_t** bits) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(reference, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    *bits = static_cast<uint32_t*>(pixels);
    return bitmap;
}

// A COLORREF (0x00BBGGRR) as a DIB pixel (0x00RRGGBB).
uint32_t PixelOf(COLORREF colour) {
    return (static_cast<uint32_t>(GetRValue(colour)) << 16) | (static_cast<uint32_t>(GetGValue(colour)) << 8) |
           GetBValue(colour);
}

}  // namespace

CGlyphSet RenderFontLetters(HDC reference, HFONT font, int width, int height) {
    uint32_t* bits = nullptr;
    HBITMAP bitmap = CreatePixels(reference, width, height, &bits);
    HDC memory = bitmap ? CreateCompatibleDC(reference) : nullptr;
    if (!memory) {
        if (bitmap) DeleteObject(bitmap);
        return CGlyphSet();
    }
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    HGDIOBJ oldFont = SelectObject(memory, font);
    SetTextColor(memory, RGB(0, 0, 0));
    SetBkColor(memory, RGB(255, 255, 255));
    SetBkMode(memory, OPAQUE);
    CGlyphSet set(width, height);
    const RECT cell{0, 0, width, height};
    for (int code = 0; code < 256; ++code) {
        const wchar_t glyph = static_cast<wchar_t>(cp437::ToUnicode(static_cast<unsigned char>(code)));
        ExtTextOutW(memory, 0, 0, ETO_OPAQUE | ETO_CLIPPED, &cell, &glyph, 1, nullptr);
        GdiFlush();
        uint8_t* mask = set.Mask(static_cast<unsigned char>(code));
        // Ink is whatever is nearer black than white: smoothed edges of
        // outline fonts become whole pixels.
        for (int i = 0; i < width * height; ++i) {
            const uint32_t p = bits[i];
            const unsigned level = ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
            mask[i] = level < 3 * 128 ? 1 : 0;
        }
    }
    SelectObject(memory, oldFont);
    SelectObject(memory, oldBitmap);
    DeleteDC(memory);
    DeleteObject(bitmap);
    return set;
}

CGdiRunPainter::~CGdiRunPainter() { Release(); }

void CGdiRunPainter::Release() {
    if (memory) {
        SelectObject(memory, previous);
        DeleteDC(memory);
    }
    if (bitmap) DeleteObject(bitmap);
    memory = nullptr;
    bitmap = nullptr;
    bits = nullptr;
    bitmapWidth = bitmapHeight = 0;
}

bool CGdiRunPainter::EnsureBitmap(HDC target, int width, int height) {
    if (bits && width <= bitmapWidth && height <= bitmapHeight) return true;
    Release();
    bitmap = CreatePixels(target, width, height, &bits);
    memory = bitmap ? CreateCompatibleDC(target) : nullptr;
    if (!memory || !bits) {
        Release();
        return false;
    }
    previous = SelectObject(memory, bitmap);
    bitmapWidth = width;
    bitmapHeight = height;
    return true;
}

void CGdiRunPainter::Draw(HDC target, int x, int y, const CGlyphSet& glyphs, const unsigned* cells, int count,
                          COLORREF text, COLORREF back, int firstRow, int rows) {
    if (count <= 0 || rows <= 0 || glyphs.Empty()) return;
    const int width = count * glyphs.Width();
    if (!EnsureBitmap(target, width, rows)) return;
    // GDI may still be drawing into the bitmap from the last blit.
    GdiFlush();
    DrawRun(glyphs, cells, count, PixelOf(text), PixelOf(back), firstRow, rows, bits, bitmapWidth);
    BitBlt(target, x, y, width, rows, memory, 0, 0, SRCCOPY);
}

}  // namespace glyphs
