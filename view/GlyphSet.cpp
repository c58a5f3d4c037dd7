#include "view/GlyphSet.h"

#include "view/Cp437Font.h"
#include "view/LineGlyphs.h"

namespace glyphs {

CGlyphSet::CGlyphSet(int cellWidth, int cellHeight)
    : width(cellWidth > 0 ? cellWidth : 1),
      height(cellHeight > 0 ? cellHeight : 1),
      masks(static_cast<std::size_t>(256) * width * height, 0) {}

CGlyphSet BuiltInLetters() {
    CGlyphSet set(cp437::kFontWidth, cp437::kFontHeight);
    for (int code = 0; code < 256; ++code) {
        uint8_t* mask = set.Mask(static_cast<unsigned char>(code));
        for (int y = 0; y < cp437::kFontHeight; ++y)
            for (int x = 0; x < cp437::kFontWidth; ++x)
                mask[y * cp437::kFontWidth + x] = (cp437::kFontRows[code][y] >> (7 - x)) & 1;
    }
    return set;
}

namespace {

void DrawLineGlyph(const LineGlyph& shape, uint8_t* mask, int width, int height) {
    if (shape.shade != Shade::kNone) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) mask[y * width + x] = ShadeInks(shape.shade, x, y) ? 1 : 0;
        return;
    }
    for (int i = 0; i < width * height; ++i) mask[i] = 0;
    for (const Rect& r : shape.rects) {
        const int left = r.left < 0 ? 0 : r.left, right = r.right > width ? width : r.right;
        const int top = r.top < 0 ? 0 : r.top, bottom = r.bottom > height ? height : r.bottom;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) mask[y * width + x] = 1;
    }
}

}  // namespace

CGlyphSet ScreenGlyphs(const CGlyphSet& letters, int width, int height) {
    CGlyphSet set(width, height);
    width = set.Width();
    height = set.Height();
    if (!letters.Empty()) {
        const int scaleX = width / letters.Width() > 1 ? width / letters.Width() : 1;
        const int scaleY = height / letters.Height() > 1 ? height / letters.Height() : 1;
        const int offsetX = (width - letters.Width() * scaleX) / 2;
        const int offsetY = (height - letters.Height() * scaleY) / 2;
        for (int code = 0; code < 256; ++code) {
            const uint8_t* from = letters.Mask(static_cast<unsigned char>(code));
            uint8_t* to = set.Mask(static_cast<unsigned char>(code));
            for (int y = 0; y < height; ++y) {
                const int sy = (y - offsetY) / scaleY;
                if (y < offsetY || sy >= letters.Height()) continue;
                for (int x = 0; x < width; ++x) {
                    const int sx = (x - offsetX) / scaleX;
                    if (x < offsetX || sx >= letters.Width()) continue;
                    to[y * width + x] = from[sy * letters.Width() + sx];
                }
            }
        }
    }
    LineGlyph shape;
    for (int code = 0; code < 256; ++code)
        if (LineGlyphFor(static_cast<unsigned char>(code), width, height, &shape))
            DrawLineGlyph(shape, set.Mask(static_cast<unsigned char>(code)), width, height);
    return set;
}

void DrawRun(const CGlyphSet& glyphs, const unsigned* cells, int count, uint32_t text, uint32_t back, int firstRow,
             int rows, uint32_t* pixels, int stride) {
    const int width = glyphs.Width();
    if (firstRow < 0) firstRow = 0;
    if (firstRow + rows > glyphs.Height()) rows = glyphs.Height() - firstRow;
    for (int i = 0; i < count; ++i) {
        const uint8_t* mask = glyphs.Mask(static_cast<unsigned char>(cells[i] & 0xFFu)) + firstRow * width;
        uint32_t* out = pixels + i * width;
        for (int y = 0; y < rows; ++y, mask += width, out += stride)
            for (int x = 0; x < width; ++x) out[x] = mask[x] ? text : back;
    }
}

}  // namespace glyphs
