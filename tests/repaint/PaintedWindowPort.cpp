#include "repaint/PaintedWindowPort.h"

#include <cstdio>

#include "view/CWinTermView.h"
#include "view/CellColours.h"

namespace repaint {

namespace {
// Bits the painter sees besides the character and the colours.
constexpr unsigned kMarkBits = cell::kUnderline | cell::kBlink;
// The bits that decide a run's colours, as the view groups its runs.
constexpr unsigned kColourBits = ~(cell::kCharMask | cell::kLineSizeMask);

std::string Hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", value);
    return text;
}
}  // namespace

PaintedWindowPort::PaintedWindowPort(int cw, int lh) : charWidth(cw), lineHeight(lh) {}

void PaintedWindowPort::GetCellSize(int* width, int* height) {
    *width = charWidth;
    *height = lineHeight;
}

void PaintedWindowPort::GetScreenSize(int* width, int* height) {
    *width = 4096;
    *height = 4096;
}

PaintedWindowPort::Look PaintedWindowPort::LookOfCell(unsigned word, unsigned lineSize, int half, unsigned text,
                                                      unsigned back) {
    Look look;
    look.glyph = static_cast<int>(word & cell::kCharMask);
    look.marks = word & kMarkBits;
    look.lineSize = lineSize & cell::kLineSizeMask;
    look.half = half;
    look.back = back;
    // A space without underline shows no text colour (NUL is drawn as a space).
    const bool blank = look.glyph == 0x20 || look.glyph == 0x00;
    if (blank) look.glyph = 0x20;
    look.text = blank && !(look.marks & cell::kUnderline) ? 0 : text;
    return look;
}

std::string PaintedWindowPort::Look::Describe() const {
    if (glyph == kNeverDrawn) return "nothing drawn";
    std::string text = "'" + std::string(1, glyph >= 0x20 && glyph < 0x7F ? static_cast<char>(glyph) : '?') +
                       "' 0x" + Hex(static_cast<unsigned>(glyph));
    if (marks) text += " marks " + Hex(marks);
    if (lineSize) text += " size " + Hex(lineSize >> 16);
    if (half >= 0) text += " half " + std::to_string(half);
    return text + " text " + Hex(this->text) + " back " + Hex(back);
}

PaintedWindowPort::CellBox PaintedWindowPort::CellsOf(const PixelRect& rect) const {
    auto down = [](int v, int size) { return v >= 0 ? v / size : -((-v + size - 1) / size); };
    auto up = [&](int v, int size) { return down(v + size - 1, size); };
    auto clamp = [](int v, int hi) { return v < 0 ? 0 : (v > hi ? hi : v); };
    return {clamp(down(rect.top, lineHeight), kLines), clamp(down(rect.left, charWidth), kColumns),
            clamp(up(rect.bottom, lineHeight), kLines), clamp(up(rect.right, charWidth), kColumns)};
}

void PaintedWindowPort::Fault(const std::string& what) {
    if (faults.size() < 2000) faults += what + "\n";
}

bool PaintedWindowPort::AnyInvalid() const {
    for (const auto& line : invalid)
        for (bool cellInvalid : line)
            if (cellInvalid) return true;
    return false;
}

void PaintedWindowPort::Invalidate(const PixelRect* rect, bool) {
    const CellBox box = rect ? CellsOf(*rect) : CellBox{0, 0, kLines, kColumns};
    for (int line = box.top; line < box.bottom; ++line)
        for (int col = box.left; col < box.right; ++col) invalid[line][col] = true;
}

void PaintedWindowPort::UpdateNow() {
    if (painting) return;  // UpdateWindow inside a paint pass sends nothing
    PaintPending();
}

void PaintedWindowPort::PaintPending() {
    if (view && AnyInvalid()) view->Paint();
}

void PaintedWindowPort::ScrollPixels(const PixelRect& band, int dx, int dy) {
    if (dx % charWidth != 0 || dy % lineHeight != 0) {
        Fault("scroll by a part of a cell: " + std::to_string(dx) + "," + std::to_string(dy));
        return;
    }
    const CellBox box = CellsOf(band);
    const int dLines = dy / lineHeight, dCols = dx / charWidth;
    Look oldShown[kLines][kColumns];
    bool oldInvalid[kLines][kColumns];
    for (int line = 0; line < kLines; ++line)
        for (int col = 0; col < kColumns; ++col) {
            oldShown[line][col] = shown[line][col];
            oldInvalid[line][col] = invalid[line][col];
        }
    // Inside the band every cell takes what lay dy, dx away in the band;
    // where nothing did, the old pixels stay and are invalid.
    for (int line = box.top; line < box.bottom; ++line)
        for (int col = box.left; col < box.right; ++col) {
            const int fromLine = line - dLines, fromCol = col - dCols;
            if (fromLine >= box.top && fromLine < box.bottom && fromCol >= box.left && fromCol < box.right) {
                shown[line][col] = oldShown[fromLine][fromCol];
                invalid[line][col] = oldInvalid[fromLine][fromCol];
            } else {
                invalid[line][col] = true;
            }
        }
}

void PaintedWindowPort::FillBackground(const PixelRect& rect) {
    const CellBox box = CellsOf(rect);
    for (int line = box.top; line < box.bottom; ++line)
        for (int col = box.left; col < box.right; ++col) shown[line][col] = LookOfCell(0x20, 0, -1, 0, backColour);
}

CCellPainter* PaintedWindowPort::BeginPaint(PixelRect* update) {
    if (painting) {
        Fault("BeginPaint inside a paint pass");
        return nullptr;
    }
    CellBox box{kLines, kColumns, 0, 0};
    for (int line = 0; line < kLines; ++line)
        for (int col = 0; col < kColumns; ++col) {
            clip[line][col] = invalid[line][col];
            invalid[line][col] = false;
            if (!clip[line][col]) continue;
            // The background is erased before the pass draws.
            shown[line][col] = Look();
            if (line < box.top) box.top = line;
            if (col < box.left) box.left = col;
            if (line + 1 > box.bottom) box.bottom = line + 1;
            if (col + 1 > box.right) box.right = col + 1;
        }
    if (box.top >= box.bottom) box = {0, 0, 0, 0};
    update->left = box.left * charWidth;
    update->right = box.right * charWidth;
    update->top = box.top * lineHeight;
    update->bottom = box.bottom * lineHeight;
    painting = true;
    return this;
}

void PaintedWindowPort::EndPaint() {
    painting = false;
    for (auto& line : clip)
        for (bool& inClip : line) inClip = false;
}

void PaintedWindowPort::DrawRun(int x, int y, const unsigned* cells, int count, unsigned lineSize) {
    if (!painting) Fault("DrawRun outside a paint pass");
    if (x % charWidth != 0 || y % lineHeight != 0) {
        Fault("run off the cell grid at " + std::to_string(x) + "," + std::to_string(y));
        return;
    }
    const bool wide = (lineSize & cell::kDoubleWidth) != 0;
    const int line = y / lineHeight;
    if (line < 0 || line >= kLines) return;
    for (int i = 0; i < count; ++i) {
        for (int half = 0; half < (wide ? 2 : 1); ++half) {
            const int col = x / charWidth + i * (wide ? 2 : 1) + half;
            if (col < 0 || col >= kColumns || !clip[line][col]) continue;
            shown[line][col] = LookOfCell(cells[i], lineSize, wide ? half : -1, textColour, backColour);
        }
    }
}

std::string PaintedWindowPort::FirstDifference() const {
    if (!faults.empty()) return faults;
    if (!view) return "no view attached";
    const int scrollPos = view->ScrollPosition();
    // Nothing below the message row is painted, even when scrolled back.
    const int limit = screen::kMessageRow + screen::kHistoryLines - scrollPos;
    for (int line = 0; line < kLines && line <= limit; ++line) {
        const unsigned* cells = view->TableLine(scrollPos + line);
        if (!cells) continue;
        const unsigned lineSize = cells[0] & cell::kLineSizeMask;
        const bool wide = (lineSize & cell::kDoubleWidth) != 0;
        for (int col = 0; col < kColumns; ++col) {
            const unsigned word = wide ? cells[col / 2] : cells[col];
            const colours::RunColours run = colours::ForAttribute(word & kColourBits);
            const Look want = LookOfCell(word, lineSize, wide ? col % 2 : -1, run.text, run.back);
            if (shown[line][col] != want)
                return "line " + std::to_string(line) + " column " + std::to_string(col) + ": the window shows " +
                       shown[line][col].Describe() + ", the store holds " + want.Describe() + " (cell " +
                       Hex(word) + ")";
        }
    }
    return "";
}

}  // namespace repaint
