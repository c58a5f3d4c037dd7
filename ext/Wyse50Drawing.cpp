// Drawing on the text screen: ESC Z boxes, ESC c block attributes, ESC g and
// ESC h moves inside a rectangle (and their ESC F forms). Rectangles are cut
// to the 80 x 26 store: cells outside it are never read or written.
#include <algorithm>

#include "emu/CWyse50Emulator.h"
#include "view/CTermView.h"

namespace {
constexpr int kBoxParams = 12;
constexpr int kBlockAttrParams = 7;
constexpr int kVerticalParams = 6;
constexpr int kHorizontalParams = 7;
constexpr int kFillHeight = 0x1B - 0x20;  // a height byte of ESC stores the fill attribute

// Sizes and coordinates: value + 0x20, read as a signed byte.
int Param(char b) { return static_cast<signed char>(b) - 0x20; }
// Digits: value + 0x30.
int Digit(char b) { return static_cast<signed char>(b) - 0x30; }

bool InStore(int row, int col) {
    return row >= 0 && row < screen::kStoredRows && col >= 0 && col < screen::kColumns;
}

// The part of the rectangle (left, top, width, height) inside the store.
struct Rect {
    int left, top, width, height;
    bool Empty() const { return width <= 0 || height <= 0; }
};

Rect ClipToStore(int left, int top, int width, int height) {
    const int right = std::min(left + width, screen::kColumns);
    const int bottom = std::min(top + height, screen::kStoredRows);
    left = std::max(left, 0);
    top = std::max(top, 0);
    return {left, top, right - left, bottom - top};
}

bool AttrsTravel(int mode) { return mode == 1 || mode == 2; }
}  // namespace

// Appends b to the parameter text; true once it holds count bytes (the text
// is then ready in paramText[0..count) and the count is reset).
bool CWyse50Emulator::CollectParams(unsigned char b, int count) {
    paramText[collectCount++] = static_cast<char>(b);
    if (collectCount < count) return false;
    collectCount = 0;
    return true;
}

void CWyse50Emulator::MoveCell(int toRow, int toCol, int fromRow, int fromCol, bool withAttr) {
    view->SetCharAt(toRow, toCol, view->GetCharAt(fromRow, fromCol));
    if (withAttr) view->SetAttrAt(toRow, toCol, view->GetAttrAt(fromRow, fromCol));
}

void CWyse50Emulator::VacateCell(int row, int col, bool fill) {
    view->SetCharAt(row, col, ' ');
    if (fill) view->SetAttrAt(row, col, fillAttr);
}

// ---- ESC Z: left, top, width, height, then eight box characters ----

void CWyse50Emulator::EscBox() {
    collectCount = 0;
    currentHandler = &CWyse50Emulator::CollectBox;
}

void CWyse50Emulator::CollectBox(unsigned char b) {
    if (!CollectParams(b, kBoxParams)) return;
    const int left = Param(paramText[0]), top = Param(paramText[1]);
    const int width = Param(paramText[2]), height = Param(paramText[3]);
    const char* c = paramText + 4;  // top-left, top, top-right, right, bottom-right, bottom, bottom-left, left
    for (int i = 0; i < width; ++i) {
        for (int j = 0; j < height; ++j) {
            if (!InStore(top + j, left + i)) continue;
            const bool first = i == 0, last = i == width - 1, topRow = j == 0, bottomRow = j == height - 1;
            // Later rules win, as the edges of a one-cell-wide box need.
            char ch = ' ';
            if (first && topRow) ch = c[0];
            if (!first && topRow && !last) ch = c[1];
            if (last && topRow) ch = c[2];
            if (last && !topRow && !bottomRow) ch = c[3];
            if (last && bottomRow) ch = c[4];
            if (bottomRow && !first && !last) ch = c[5];
            if (bottomRow && first) ch = c[6];
            else if (first && !topRow && !bottomRow) ch = c[7];
            view->SetCharAt(top + j, left + i, static_cast<unsigned char>(ch));
        }
    }
    paramText[0] = '\0';
    view->InvalidateCells(top, left, top + height, left + width);
    ReturnToGround();
}

// ---- ESC c: foreground, background, blink, intensity, operation, width, height ----

void CWyse50Emulator::EscBlockAttr() {
    collectCount = 0;
    currentHandler = &CWyse50Emulator::CollectBlockAttr;
}

void CWyse50Emulator::CollectBlockAttr(unsigned char b) {
    if (!CollectParams(b, kBlockAttrParams)) return;
    const int row0 = view->GetRow(), col0 = view->GetColumn();
    const int fore = Digit(paramText[0]), back = Digit(paramText[1]);
    const int blink = Digit(paramText[2]), intensity = Digit(paramText[3]), operation = Digit(paramText[4]);
    const int width = Param(paramText[5]), height = Param(paramText[6]);
    paramText[0] = '\0';

    unsigned attr = 0;
    if (blink == 1) attr |= cell::kBlink;
    if (intensity == 0) attr |= cell::kAltColour;
    if (intensity == 2) attr |= cell::kAltIntensity;
    const unsigned mark = view->GetMarkAttr();
    // Colour codes are four bits wide; a digit byte past them keeps its low bits.
    const unsigned foreCode = fore != 0 ? static_cast<unsigned>(fore) & 0xF : (mark & cell::kForeMask) >> cell::kForeShift;
    const unsigned backCode = back != 0 ? static_cast<unsigned>(back) & 0xF : (mark & cell::kBackMask) >> cell::kBackShift;
    attr |= foreCode << cell::kForeShift | backCode << cell::kBackShift;

    if (height == kFillHeight) fillAttr = attr;
    if (width == 0) {
        view->SetAttrOverride(attr);
        ReturnToGround();
        return;
    }
    const Rect r = ClipToStore(col0, row0, width, height);
    if (!r.Empty() && (operation == 0 || operation == 1)) {
        for (int i = 0; i < r.width; ++i)
            for (int j = 0; j < r.height; ++j) {
                if (operation == 0)
                    view->SetAttrAt(r.top + j, r.left + i, attr);
                else
                    view->SetReverseAt(r.top + j, r.left + i);
            }
    }
    view->InvalidateCells(row0, col0, row0 + height, col0 + width);
    ReturnToGround();
}

// ---- ESC g: left, top, width, height, direction, mode: one row up or down, or clear ----

void CWyse50Emulator::EscVerticalMove() {
    collectCount = 0;
    currentHandler = &CWyse50Emulator::CollectVerticalMove;
}

void CWyse50Emulator::CollectVerticalMove(unsigned char b) {
    if (!CollectParams(b, kVerticalParams)) return;
    const Rect r = ClipToStore(Param(paramText[0]), Param(paramText[1]), Param(paramText[2]), Param(paramText[3]));
    const int direction = Digit(paramText[4]), mode = Digit(paramText[5]);
    paramText[0] = '\0';
    const bool travel = AttrsTravel(mode), fill = mode == 2;
    if (!r.Empty()) {
        const int bottom = r.top + r.height - 1;
        if (direction == 0 || direction == 2) {
            for (int c = 0; c < r.width; ++c)
                for (int k = 0; k < r.height - 1; ++k) {
                    if (direction == 0)
                        MoveCell(r.top + k, r.left + c, r.top + k + 1, r.left + c, travel);
                    else
                        VacateCell(r.top + k, r.left + c, fill);
                }
            for (int c = 0; c < r.width; ++c) VacateCell(bottom, r.left + c, fill);
        } else {
            for (int c = r.width - 1; c >= 0; --c)
                for (int k = r.height - 1; k >= 1; --k)
                    MoveCell(r.top + k, r.left + c, r.top + k - 1, r.left + c, travel);
            for (int c = 0; c < r.width; ++c) VacateCell(r.top, r.left + c, fill);
        }
        view->InvalidateCells(r.top, r.left, r.top + r.height, r.left + r.width);
    }
    ReturnToGround();
}

// ---- ESC h: left, top, width, height, direction, count, mode: columns left or right ----

void CWyse50Emulator::EscHorizontalMove() {
    collectCount = 0;
    currentHandler = &CWyse50Emulator::CollectHorizontalMove;
}

void CWyse50Emulator::CollectHorizontalMove(unsigned char b) {
    if (!CollectParams(b, kHorizontalParams)) return;
    const Rect r = ClipToStore(Param(paramText[0]), Param(paramText[1]), Param(paramText[2]), Param(paramText[3]));
    const int direction = Digit(paramText[4]), mode = Digit(paramText[6]);
    // Past the width every further step only blanks what is blank already.
    const int steps = std::min(Param(paramText[5]), r.width);
    paramText[0] = '\0';
    const bool travel = AttrsTravel(mode), fill = mode == 2;
    if (!r.Empty() && steps > 0) {
        for (int n = 0; n < steps; ++n) {
            if (direction == 0) {
                for (int k = 0; k < r.width - 1; ++k)
                    for (int j = 0; j < r.height; ++j)
                        MoveCell(r.top + j, r.left + k, r.top + j, r.left + k + 1, travel);
                for (int j = 0; j < r.height; ++j) VacateCell(r.top + j, r.left + r.width - 1, fill);
            } else {
                for (int k = r.width - 1; k >= 1; --k)
                    for (int j = 0; j < r.height; ++j)
                        MoveCell(r.top + j, r.left + k, r.top + j, r.left + k - 1, travel);
                for (int j = 0; j < r.height; ++j) VacateCell(r.top + j, r.left, fill);
            }
        }
        view->InvalidateCells(r.top, r.left, r.top + r.height, r.left + r.width);
    }
    ReturnToGround();
}
