// Scrolling: the line-feed region (rows 0..23), the 72 lines of history above
// it, line insertion and deletion, and the vertical scroll bar. Scrolling moves
// row pointers; cells are only written to blank a recycled row.
#include "view/CWinTermView.h"

#include <cstring>

namespace {
constexpr int kHistory = screen::kHistoryLines;
}  // namespace

// Rotates row-table entries firstIndex..lastIndex by n and blanks the n rows
// that come round to the side the content moved away from.
void CWinTermView::RotateRows(int firstIndex, int lastIndex, int n, bool down) {
    const int count = lastIndex - firstIndex + 1;
    if (n <= 0 || n >= count) return;
    unsigned** table = rowTable + firstIndex;
    const size_t moved = sizeof(unsigned*) * static_cast<size_t>(count - n);
    const size_t taken = sizeof(unsigned*) * static_cast<size_t>(n);
    if (down) {
        std::memcpy(spareTable, table + count - n, taken);
        std::memmove(table + n, table, moved);
        std::memcpy(table, spareTable, taken);
        for (int i = 0; i < n; ++i) BlankRow(table[i]);
    } else {
        std::memcpy(spareTable, table, taken);
        std::memmove(table, table + n, moved);
        std::memcpy(table + count - n, spareTable, taken);
        for (int i = count - n; i < count; ++i) BlankRow(table[i]);
    }
}

void CWinTermView::ScrollRows(int start, int end, int n, bool down, bool paint) {
    start = Clamp(start, 0, screen::kStoredRows - 1);
    end = Clamp(end, 0, screen::kStoredRows - 1);
    if (start > end) return;
    const int height = end - start + 1;
    if (n <= 0 || n >= height) {
        for (int row = start; row <= end; ++row) BlankRow(RowCells(row));
        if (!port->IsMinimised()) {
            const int offset = ViewOffset();
            port->FillBackground(CellRect(start - offset, 0, end + 1 - offset, screen::kColumns));
        }
        return;
    }
    if (paint) port->UpdateNow();
    // A batched scroll moves no pixels: the window shows the old rows until
    // it is painted again, which must then be in full.
    if (!paint) InvalidateAll(true);
    if (!down && start == 0)
        // Row 0 leaves the screen into the history, and the oldest history line
        // is recycled as the new bottom row.
        RotateRows(0, kHistory + end, n, false);
    else
        RotateRows(kHistory + start, kHistory + end, n, down);
    if (paint && !port->IsMinimised()) ScrollWindowArea(start, end, n, down);
}

void CWinTermView::ScrollWindowArea(int start, int end, int n, bool down) {
    const int offset = ViewOffset();
    // Scrolling up from row 0 also shifts the history, so when scrolled back
    // everything shown from the top of the window moves.
    if (!down && start == 0) start = offset;
    int top = start * lineHeight;
    int bottom = (end + 1) * lineHeight;
    const int windowBottom = screen::kShownRows * lineHeight;
    PixelRect band;
    band.left = 0;
    band.right = screen::kColumns * charWidth;
    if (n >= (end - start + 1) / 2) {
        band.top = top - offset * lineHeight;
        band.bottom = bottom - offset * lineHeight;
        if (band.top < 0) band.top = 0;
        if (band.bottom > windowBottom) band.bottom = windowBottom;
        if (band.top < band.bottom) port->Invalidate(&band, true);
    } else {
        // The band is the whole region: the pixels move inside it, and the
        // window clips the scroll to it, so the rows they land on must lie
        // in it too.
        band.top = top - offset * lineHeight;
        band.bottom = bottom - offset * lineHeight;
        if (band.top < 0) band.top = 0;
        if (band.bottom > windowBottom) band.bottom = windowBottom;
        if (band.top < band.bottom) port->ScrollPixels(band, 0, down ? n * lineHeight : -n * lineHeight);
    }
    port->UpdateNow();
    MoveCaretIfVisible();
}

// The region scroll of a line feed or of a wrap at row 23 in pixel mode, or
// the store-only scroll of batched mode.
void CWinTermView::ScrollRegionUp() {
    ScrollRows(0, screen::kScrollBottom, 1, false, scrollMode == 0);
}

void CWinTermView::SetScrollPosition(int pos) {
    scrollPos = Clamp(pos, 0, historyLines);
    port->SetScrollPos(scrollPos);
}

void CWinTermView::SetScrollMode(int mode) {
    scrollMode = mode ? 1 : 0;
    // A batch may end on an odd scroll; without this the window would keep
    // showing the old screen until the next pair of scrolls.
    if (scrollCounter != 0 || !paintNow) {
        scrollCounter = 0;
        paintNow = 1;
        InvalidateAll(true);
        MoveCaretIfVisible();
    }
}

void CWinTermView::LineFeed() {
    // From a pending wrap on column 80 the cursor stays on column 80 of the
    // next row, where text starts the row after, as on the terminal; the
    // wrap stays owed to relative motions.
    const bool owed = pendingWrap != kNoWrap && cursorCol >= screen::kColumns;
    const int offset = ViewOffset();
    if (cursorRow == screen::kScrollBottom) {
        ScrollRegionUp();
        if (scrollMode && ++scrollCounter >= 2) {
            InvalidateAll(true);
            scrollCounter = 0;
        }
    } else if (cursorRow < screen::kShownRows + offset) {
        if (paintNow) {
            SetCursorPos(cursorRow + 1 < screen::kMessageRow ? cursorRow + 1 : screen::kMessageRow, cursorCol);
        } else if (cursorRow < screen::kMessageRow) {
            ++cursorRow;
        } else if (cursorRow == screen::kMessageRow && scrollPos > 0) {
            SetScrollPosition(scrollPos - 1);
            InvalidateAll(true);
        }
    } else {
        if (cursorRow < screen::kMessageRow) ++cursorRow;
        if (scrollPos < historyLines) {
            SetScrollPosition(scrollPos + 1);
            InvalidateAll(true);
        }
        if (paintNow) MoveCaretIfVisible();
    }
    pendingWrap = owed ? kWrapOwed : kNoWrap;
}

void CWinTermView::ReverseLineFeed() {
    WrapBeforeMotion();
    if (cursorRow > 0) {
        PlaceCursor(cursorRow - 1, cursorCol);
    } else {
        // The history only grows from the top of the screen; a reverse scroll
        // pushes the bottom of the region out instead.
        ScrollRows(0, screen::kScrollBottom, 1, true, scrollMode == 0);
        if (scrollMode && ++scrollCounter >= 2) {
            InvalidateAll(true);
            scrollCounter = 0;
        }
    }
    pendingWrap = kNoWrap;
}

void CWinTermView::InsertLine() {
    const int row = cursorRow;
    if (row < screen::kMessageRow)
        RotateRows(kHistory + row, kHistory + screen::kMessageRow, 1, true);
    else
        BlankRow(RowCells(row));
    InvalidateCells(row, 0, screen::kShownRows, screen::kColumns);
}

void CWinTermView::DeleteLine() {
    const int row = cursorRow;
    if (row < screen::kMessageRow)
        RotateRows(kHistory + row, kHistory + screen::kMessageRow, 1, false);
    else
        BlankRow(RowCells(row));
    InvalidateCells(row, 0, screen::kShownRows, screen::kColumns);
}

// Scroll bar.

void CWinTermView::VScroll(int request, int thumbPos) {
    const int p = scrollPos;
    const int max = historyLines;
    int target = p;
    switch (request) {
    case kLineUp:
    case kLineDown: {
        const bool up = request == kLineUp;
        if (up ? p == 0 : p == max) {
            port->Beep();
            return;
        }
        SetScrollPosition(up ? p - 1 : p + 1);
        port->ScrollPixels(CellRect(0, 0, screen::kShownRows, screen::kColumns), 0, up ? lineHeight : -lineHeight);
        port->UpdateNow();
        MoveCaretIfVisible();
        return;
    }
    case kPageUp:
        if (p == 0) {
            port->Beep();
            return;
        }
        target = p - screen::kShownRows < 0 ? 0 : p - screen::kShownRows;
        break;
    case kPageDown:
        if (p == max) {
            port->Beep();
            return;
        }
        target = p + screen::kShownRows > max ? max : p + screen::kShownRows;
        break;
    case kThumbPosition:
        if (thumbPos == p) return;
        target = Clamp(thumbPos, 0, max);
        break;
    case kTop:
        if (p == 0) {
            port->Beep();
            return;
        }
        target = 0;
        break;
    case kBottom:
        target = max;
        break;
    default:
        return;
    }
    SetScrollPosition(target);
    InvalidateAll(true);
    MoveCaretIfVisible();
}

void CWinTermView::TrackScrollBar(int x, int y) {
    const int stripLeft = screen::kColumns * charWidth - 20;
    bool show = scrollBarShown;
    if (x >= stripLeft) {
        if (y >= 0 && y <= screen::kShownRows * lineHeight + 44) show = true;
    } else {
        show = false;
    }
    if (show != scrollBarShown) {
        scrollBarShown = show;
        port->ShowScrollBar(show);
    }
}
