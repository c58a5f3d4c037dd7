// Painting: the lines of the update rectangle, each drawn as runs of cells of
// equal attributes with one text call per run, and the font change that
// resizes the window.
#include "view/CWinTermView.h"

#include "view/CellColours.h"

namespace {
// Bits that do not change how a cell is drawn: the character and the line size.
constexpr unsigned kRunMask = ~(cell::kCharMask | cell::kLineSizeMask);
}  // namespace

void CWinTermView::Paint() {
    bool caretWasShown = false;
    if (port->HasFocus() && caretEnabled && !caretHidden) {
        port->HideCaret();
        caretWasShown = true;
    }
    PixelRect update;
    if (CCellPainter* painter = port->BeginPaint(&update)) {
        PaintArea(*painter, update);
        // Painting drew over the highlight inside the update area; the paint
        // clipping keeps the inversion to that area.
        if (selectionLength != 0) InvertSelection();
        port->EndPaint();
    }
    if (caretEnabled && caretWasShown) {
        port->ShowCaret();
        UpdateCaretPos();
    }
}

void CWinTermView::PaintArea(CCellPainter& painter, const PixelRect& update) {
    if (update.Empty() || !cellBlock) return;
    const int top = update.top < 0 ? 0 : update.top;
    const int bottom = update.bottom < 0 ? 0 : update.bottom;
    int first = top / lineHeight;
    if (top % lineHeight != 0 && first >= 1) --first;
    // The shown line that holds screen row 24: nothing below it is painted.
    const int limit = screen::kMessageRow + historyLines - scrollPos;
    if (limit < first) return;
    int last = bottom / lineHeight;
    if (bottom % lineHeight != 0 && last < screen::kShownRows) ++last;
    if (last > limit) last = limit;
    int columns = (update.right < 0 ? 0 : update.right) / charWidth + 2;
    if (columns > screen::kColumns) columns = screen::kColumns;
    for (int line = first; line <= last; ++line) PaintLine(painter, line, columns);
}

void CWinTermView::PaintLine(CCellPainter& painter, int line, int columns) {
    const int index = scrollPos + line;
    if (index < 0 || index >= kTableLines) return;
    const unsigned* cells = rowTable[index];
    const unsigned lineSize = cells[0] & cell::kLineSizeMask;
    // A double-width line holds half as many characters, each two cells wide.
    const bool wide = (lineSize & cell::kDoubleWidth) != 0;
    const int count = wide ? columns / 2 : columns;
    const int cellWidth = wide ? 2 * charWidth : charWidth;
    for (int start = 0; start < count;) {
        const unsigned attr = cells[start] & kRunMask;
        int end = start + 1;
        while (end < count && (cells[end] & kRunMask) == attr) ++end;
        SetRunColours(painter, attr);
        painter.DrawRun(start * cellWidth, line * lineHeight, cells + start, end - start, lineSize);
        start = end;
    }
}

void CWinTermView::SetRunColours(CCellPainter& painter, unsigned attr) {
    const colours::RunColours run = colours::ForAttribute(attr);
    // The device keeps its colours between runs and passes, so an unchanged
    // colour costs no call (and no new brush).
    if (run.text != textColour) {
        textColour = run.text;
        painter.SetTextColour(run.text);
    }
    if (run.back != backColour) {
        backColour = run.back;
        painter.SetBackColour(run.back);
    }
}

void CWinTermView::FontChanged(int newCharWidth, int newLineHeight) {
    charWidth = newCharWidth > 0 ? newCharWidth : 1;
    lineHeight = newLineHeight > 0 ? newLineHeight : 1;
    int screenWidth = 0, screenHeight = 0;
    port->GetScreenSize(&screenWidth, &screenHeight);
    const int width = screen::kColumns * charWidth + port->ScaledForDpi(24);
    const int height = screen::kShownRows * lineHeight + port->ScaledForDpi(60);
    port->MoveWindow(0, 0, width < screenWidth ? width : screenWidth, height < screenHeight ? height : screenHeight);
    CellSizeChanged(charWidth, lineHeight);
}

void CWinTermView::CellSizeChanged(int newCharWidth, int newLineHeight) {
    charWidth = newCharWidth > 0 ? newCharWidth : 1;
    lineHeight = newLineHeight > 0 ? newLineHeight : 1;
    InvalidateAll(true);
    port->CreateCaret(charWidth, lineHeight);
    UpdateCaretPos();
    port->ShowCaret();
}
