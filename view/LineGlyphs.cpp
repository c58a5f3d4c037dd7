#include "view/LineGlyphs.h"

namespace glyphs {
namespace {

// The arms of a box drawing character: none, single or double, toward each
// edge of the cell.
struct Arms {
    unsigned char left, right, up, down;
};

// 0xB3..0xDA in code page order.
constexpr Arms kBoxArms[] = {
    {0, 0, 1, 1}, {1, 0, 1, 1}, {2, 0, 1, 1}, {1, 0, 2, 2}, {1, 0, 0, 2}, {2, 0, 0, 1},  // │ ┤ ╡ ╢ ╖ ╕
    {2, 0, 2, 2}, {0, 0, 2, 2}, {2, 0, 0, 2}, {2, 0, 2, 0}, {1, 0, 2, 0}, {2, 0, 1, 0},  // ╣ ║ ╗ ╝ ╜ ╛
    {1, 0, 0, 1}, {0, 1, 1, 0}, {1, 1, 1, 0}, {1, 1, 0, 1}, {0, 1, 1, 1}, {1, 1, 0, 0},  // ┐ └ ┴ ┬ ├ ─
    {1, 1, 1, 1}, {0, 2, 1, 1}, {0, 1, 2, 2}, {0, 2, 2, 0}, {0, 2, 0, 2}, {2, 2, 2, 0},  // ┼ ╞ ╟ ╚ ╔ ╩
    {2, 2, 0, 2}, {0, 2, 2, 2}, {2, 2, 0, 0}, {2, 2, 2, 2}, {2, 2, 1, 0}, {1, 1, 2, 0},  // ╦ ╠ ═ ╬ ╧ ╨
    {2, 2, 0, 1}, {1, 1, 0, 2}, {0, 1, 2, 0}, {0, 2, 1, 0}, {0, 2, 0, 1}, {0, 1, 0, 2},  // ╤ ╥ ╙ ╘ ╒ ╓
    {1, 1, 2, 2}, {2, 2, 1, 1}, {1, 0, 1, 0}, {0, 1, 0, 1},                              // ╫ ╪ ┘ ┌
};
constexpr unsigned char kFirstBox = 0xB3, kLastBox = 0xDA;

// Where the strokes lie on one axis of the cell: a single line in the
// middle, a double line as two strokes with a stroke's width between them.
struct Strokes {
    int single, first, second, width;
    Strokes(int extent, int stroke)
        : single((extent - stroke) / 2), first((extent - 3 * stroke) / 2), second(first + 2 * stroke), width(stroke) {
        if (first < 0) first = 0;
        if (second + width > extent) second = extent - width;
    }
};

// The arms along one axis, drawn as spans on that axis with the stroke
// across it. `before`/`after` are the arms toward the axis's start and end
// (left/right, or up/down); `acrossBefore`/`acrossAfter` the arms of the
// other axis (up/down, or left/right), which say where the spans stop.
// `emit(start, end, strokeStart)` adds one span.
template <typename Emit>
void DrawAxis(int extent, const Strokes& along, const Strokes& across, int before, int after, int acrossBefore,
              int acrossAfter, Emit emit) {
    const int style = before > after ? before : after;
    const int acrossStyle = acrossBefore > acrossAfter ? acrossBefore : acrossAfter;
    const bool through = before && after;
    const bool acrossThrough = acrossBefore && acrossAfter;
    if (style == 0) return;
    // The nearest and farthest edges of the crossing strokes, from each side.
    if (style == 1) {
        if (through) {
            emit(0, extent, across.single);
            return;
        }
        int beforeEnd = along.single + along.width, afterStart = along.single;
        if (acrossStyle == 2) {
            // A tee meets the nearer of the two strokes, a corner the farther.
            beforeEnd = acrossThrough ? along.first + along.width : along.second + along.width;
            afterStart = acrossThrough ? along.second : along.first;
        }
        if (before) emit(0, beforeEnd, across.single);
        if (after) emit(afterStart, extent, across.single);
        return;
    }
    // Double: the stroke nearer the axis's start across (`first`) and the other.
    if (acrossStyle < 2) {
        const int beforeEnd = acrossStyle ? along.single + along.width : extent;
        const int afterStart = acrossStyle ? along.single : 0;
        for (int stroke : {across.first, across.second}) {
            if (through) {
                emit(0, extent, stroke);
                continue;
            }
            if (before) emit(0, beforeEnd, stroke);
            if (after) emit(afterStart, extent, stroke);
        }
        return;
    }
    // Double lines meeting double lines: each stroke turns into the stroke of
    // the crossing arm on its own side (an inner corner), or, with no arm on
    // its side, runs on to the far stroke (the outer corner).
    auto stopBefore = [&](bool armOnItsSide, bool armOnOtherSide) {
        return armOnItsSide ? along.first + along.width : armOnOtherSide ? along.second + along.width : extent;
    };
    auto startAfter = [&](bool armOnItsSide, bool armOnOtherSide) {
        return armOnItsSide ? along.second : armOnOtherSide ? along.first : 0;
    };
    const bool firstSide = acrossBefore != 0, secondSide = acrossAfter != 0;
    if (before) {
        emit(0, stopBefore(firstSide, secondSide), across.first);
        emit(0, stopBefore(secondSide, firstSide), across.second);
    }
    if (after) {
        emit(startAfter(firstSide, secondSide), extent, across.first);
        emit(startAfter(secondSide, firstSide), extent, across.second);
    }
}

void BoxGlyph(const Arms& arms, int width, int height, LineGlyph* glyph) {
    const int stroke = StrokeWidth(width);
    const Strokes columns(width, stroke), rows(height, stroke);
    // Horizontal arms: spans of x, the stroke at a row.
    DrawAxis(width, columns, rows, arms.left, arms.right, arms.up, arms.down, [&](int x0, int x1, int y) {
        if (x1 > x0) glyph->rects.push_back(Rect{x0, y, x1, y + stroke});
    });
    // Vertical arms: spans of y, the stroke at a column.
    DrawAxis(height, rows, columns, arms.up, arms.down, arms.left, arms.right, [&](int y0, int y1, int x) {
        if (y1 > y0) glyph->rects.push_back(Rect{x, y0, x + stroke, y1});
    });
}

}  // namespace

int StrokeWidth(int cellWidth) { return cellWidth / 6 > 1 ? cellWidth / 6 : 1; }

bool ShadeInks(Shade shade, int x, int y) {
    const bool light = x % 4 == (y % 2) * 2;
    switch (shade) {
    case Shade::kLight: return light;
    case Shade::kMedium: return (x + y) % 2 == 0;
    case Shade::kDark: return !light;
    default: return false;
    }
}

bool LineGlyphFor(unsigned char code, int width, int height, LineGlyph* glyph) {
    glyph->rects.clear();
    glyph->shade = Shade::kNone;
    if (width <= 0 || height <= 0) return false;
    switch (code) {
    case 0xB0: glyph->shade = Shade::kLight; return true;
    case 0xB1: glyph->shade = Shade::kMedium; return true;
    case 0xB2: glyph->shade = Shade::kDark; return true;
    case 0xDB: glyph->rects.push_back(Rect{0, 0, width, height}); return true;
    case 0xDC: glyph->rects.push_back(Rect{0, height / 2, width, height}); return true;
    case 0xDD: glyph->rects.push_back(Rect{0, 0, width / 2, height}); return true;
    case 0xDE: glyph->rects.push_back(Rect{width / 2, 0, width, height}); return true;
    case 0xDF: glyph->rects.push_back(Rect{0, 0, width, height / 2}); return true;
    default: break;
    }
    if (code < kFirstBox || code > kLastBox) return false;
    BoxGlyph(kBoxArms[code - kFirstBox], width, height, glyph);
    return true;
}

}  // namespace glyphs
