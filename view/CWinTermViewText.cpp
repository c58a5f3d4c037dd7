// The text path: PutText (the interpreter's hot path), inserting and deleting
// cells within a row, and writing characters at a fixed place.
#include "view/CWinTermView.h"
#include "view/CellRuns.h"

#include <cstring>

namespace {
constexpr unsigned kChar = cell::kCharMask;
constexpr unsigned kAttr = ~cell::kCharMask;
}  // namespace

void CWinTermView::PutText(const char* text, int len) {
    if (!cellBlock) return;
    // The caret would otherwise flicker at its old place while cells change.
    // Only a focused window has a caret (it is destroyed when focus goes).
    const bool focused = port->HasFocus();
    const bool hidCaret = focused && caretEnabled && !caretHidden;
    if (hidCaret) {
        port->HideCaret();
        caretHidden = 1;
    }

    // A cursor put on column 80 by addressing has no room left on its row:
    // text there starts the next line, as after a write that ended there.
    if (autoWrap && (pendingWrap == kWrapPending || (cursorCol >= screen::kColumns && len > 0))) NewLineForWrap();

    const int row = cursorRow;
    const int col = cursorCol;
    const int room = screen::kColumns - col;
    // Text that would run past column 79 is dropped: the interpreter flushes
    // its runs at the end of the row, so it never passes more.
    const int count = len <= 0 || !text ? 0 : (len < room ? len : room);
    if (insertMode && room > 0) OpenRoom(row, col, len <= 0 ? 1 : count);
    // Painting state as it stands after a wrap (which may batch a scroll).
    // Written cells are invalidated even while a batched scroll defers the
    // caret: the next paint shows them wherever the scroll left the pixels.
    const bool minimised = port->IsMinimised();

    if (count > 0) {
        unsigned* cells = RowCells(row);
        const unsigned lineSize = cells[0] & cell::kLineSizeMask;
        // A written cell loses its protection; write-protect mode adds its
        // bits back, an attribute override replaces the cell's attribute.
        // The default attribute as override is no override: it is what the
        // override holds once screen colours are chosen, and the host's
        // embedded attributes must still show then.
        const unsigned ownAttr = kAttr & ~cell::kProtected;
        if (writeProtectMode)
            cellruns::WriteChars(cells + col, text, count, ownAttr, writeAttr & kAttr);
        else if (!attrOverride || attrOverride == defaultAttr)
            cellruns::WriteChars(cells + col, text, count, ownAttr, 0);
        else
            cellruns::WriteChars(cells + col, text, count, 0, attrOverride & kAttr);
        // The line size belongs to the row, not to the character in column 0.
        if (col == 0) cells[0] = (cells[0] & ~cell::kLineSizeMask) | lineSize;
        if (!minimised && RowShown(row)) InvalidateWritten(row, col, count, lineSize);
    }

    if (len > 0) {
        cursorCol = col + count;
        if (cursorCol >= screen::kColumns) {
            cursorCol = screen::kColumns;
            if (autoWrap) pendingWrap = kWrapPending;
        }
    }
    if (paintNow && !minimised && focused) UpdateCaretPos();

    if (hidCaret) {
        port->ShowCaret();
        caretHidden = 0;
    }
}

// Insert mode: n blank cells open at the cursor, the pixels move along.
void CWinTermView::OpenRoom(int row, int col, int n) {
    const unsigned sizeBefore = LineSize(row);
    ShiftRowRight(row, col, screen::kColumns, n);
    if (!RowShown(row)) return;
    if (paintNow && LineSize(row) == sizeBefore)
        port->ScrollPixels(RowSpanRect(row, col, screen::kColumns), n * ColumnWidth(row), 0);
    else
        CellsChanged(row, col, screen::kColumns, sizeBefore);
}

// Written cells are drawn anew: twice as wide on a double-size row, and with
// the partner row of a double-height pair.
void CWinTermView::InvalidateWritten(int row, int col, int count, unsigned lineSize) {
    PixelRect rect = RowSpanRect(row, col, col + count);
    if (lineSize & (cell::kDoubleWidth | cell::kDoubleHeight)) rect.right = 2 * (col + count) * charWidth;
    if (lineSize & cell::kDoubleHeight) {
        if (lineSize & cell::kLowerHalf)
            rect.top -= lineHeight;
        else
            rect.bottom += lineHeight;
    }
    port->Invalidate(&rect, true);
}

// The new line a pending wrap performs before the next text or relative motion.
void CWinTermView::NewLineForWrap() {
    if (cursorRow == screen::kScrollBottom) {
        ScrollRegionUp();
        if (scrollMode) {
            if (++scrollCounter >= 2) {
                InvalidateAll(true);
                scrollCounter = 0;
                paintNow = 1;
            } else {
                paintNow = 0;
            }
        }
        if (scrollCounter == 0)
            SetCursorPos(cursorRow, 0);
        else
            cursorCol = 0;
    } else if (RowShown(cursorRow) && scrollPos > 0) {
        const int before = scrollPos;
        if (cursorRow < screen::kMessageRow)
            ++cursorRow;
        else
            SetScrollPosition(scrollPos - 1);
        SetCursorPos(cursorRow, 0);
        if (scrollPos != before) InvalidateAll(true);
    } else {
        if (cursorRow < screen::kMessageRow) ++cursorRow;
        SetScrollPosition(scrollPos + 1);
        SetCursorPos(cursorRow, 0);
        InvalidateAll(true);
    }
    pendingWrap = kNoWrap;
}

// Moves cells fromCol..endCol-1 of row n columns right; cells pushed to endCol
// or beyond are lost and the n opened cells become blank.
void CWinTermView::ShiftRowRight(int row, int fromCol, int endCol, int n) {
    if (!ValidRow(row) || fromCol < 0 || endCol > screen::kColumns || fromCol >= endCol || n <= 0) return;
    if (n > endCol - fromCol) n = endCol - fromCol;
    unsigned* cells = RowCells(row);
    std::memmove(cells + fromCol + n, cells + fromCol, sizeof(unsigned) * (endCol - fromCol - n));
    for (int i = fromCol; i < fromCol + n; ++i) cells[i] = BlankCell();
}

void CWinTermView::DeleteCharsInField(int endCol, int count) {
    const int row = cursorRow;
    const int col = cursorCol;
    if (endCol > screen::kColumns) endCol = screen::kColumns;
    if (col >= endCol) return;
    if (count < 1) count = 1;
    if (count > endCol - col) count = endCol - col;
    unsigned* cells = RowCells(row);
    const unsigned sizeBefore = LineSize(row);
    std::memmove(cells + col, cells + col + count, sizeof(unsigned) * (endCol - col - count));
    for (int i = endCol - count; i < endCol; ++i) cells[i] = BlankCell();

    if (port->IsMinimised() || !RowShown(row)) return;
    if (!paintNow || LineSize(row) != sizeBefore) {
        // The pixels may be stale while a batched scroll is pending, and a
        // new line size moves every cell of the row.
        CellsChanged(row, col, endCol, sizeBefore);
        return;
    }
    port->ScrollPixels(RowSpanRect(row, col, endCol), -count * ColumnWidth(row), 0);
}

void CWinTermView::DeleteChars(int count) { DeleteCharsInField(screen::kColumns, count); }

void CWinTermView::InsertCellInField(int endCol, int ch) {
    const int row = cursorRow;
    const int col = cursorCol;
    if (!ValidCol(col)) return;
    if (endCol > screen::kColumns) endCol = screen::kColumns;
    // The cursor cell keeps its attribute: shifting copies it one to the right
    // and leaves it in place.
    unsigned* cells = RowCells(row);
    if (endCol > col + 1) {
        ShiftRowRight(row, col, endCol, 1);
        cells[col] = cells[col + 1];
    }
    cells[col] = (cells[col] & kAttr) | (static_cast<unsigned>(ch) & kChar);
    InvalidateCursorLine();
}

void CWinTermView::InsertCell(int ch) { InsertCellInField(screen::kColumns, ch); }

void CWinTermView::WriteTextAt(int row, int col, int len, const char* text) {
    const Span span = ClipRun(col, len);
    if (!text || !ValidRow(row) || span.Empty()) return;
    const int first = span.first, end = span.end;
    unsigned* cells = RowCells(row);
    const unsigned char* in =
        reinterpret_cast<const unsigned char*>(text) + (static_cast<long long>(first) - col);
    for (int i = first; i < end; ++i) cells[i] = (cells[i] & kAttr) | in[i - first];
    InvalidateRowSpan(row, first, end);
}

void CWinTermView::ShowMessageLine() {
    WriteTextAt(screen::kMessageRow, 0, screen::kColumns, messageLine);
}
