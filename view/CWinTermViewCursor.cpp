// The cursor and the caret that shows it. The cursor stays within rows 0..25
// and columns 0..80 whatever the caller passes.
#include "view/CWinTermView.h"

namespace {
const char kOverflowText[] = "ERROR - overflow";
}  // namespace

int CWinTermView::GetRow() { return cursorRow; }
int CWinTermView::GetColumn() { return cursorCol; }

void CWinTermView::SetCursorPos(int row, int col) {
    if (row < 0) row = 0;
    if (col < 0) col = 0;
    if (col >= screen::kColumns) col = screen::kColumns;
    if (row >= screen::kShownRows) {
        const int len = static_cast<int>(sizeof kOverflowText - 1);
        WriteTextAt(screen::kMessageRow, screen::kColumns - len - 1, len, kOverflowText);
        row = screen::kScrollBottom;
    }
    // A move to another cell ends a pending wrap: text written after cursor
    // addressing goes where it was addressed, not to the next row.
    if (row != cursorRow || col != cursorCol) pendingWrap = kNoWrap;
    // While a batched scroll defers painting the position is still taken in
    // full; only the caret waits for the repaint.
    PlaceCursor(row, col);
}

// Called after every addressing sequence: SetCursorPos with the position it
// already has. The cursor always stays within rows 0..25 and columns 0..80,
// so only row 25 (the overflow report) has more to do than the caret.
void CWinTermView::UpdateCursor() {
    if (cursorRow >= screen::kShownRows) {
        CWinTermView::SetCursorPos(cursorRow, cursorCol);
        return;
    }
    if (paintNow) MoveCaretIfVisible();
}

void CWinTermView::PlaceCursor(int row, int col) {
    cursorRow = row;
    cursorCol = col;
    if (paintNow) MoveCaretIfVisible();
}

void CWinTermView::SetRow(int row) {
    // Row 25 is kept so that UpdateCursor still reports the overflow.
    cursorRow = Clamp(row, 0, screen::kStoredRows - 1);
    pendingWrap = kNoWrap;
}

void CWinTermView::SetColumn(int col) {
    cursorCol = Clamp(col, 0, screen::kColumns);
    pendingWrap = kNoWrap;
}

// A wrap left pending by a full row is carried out first, scrolling at row
// 23 as the write would have: full-screen programs count on the terminal's
// own position there (column 0 of the next row) when they move relatively.
void CWinTermView::WrapBeforeMotion() {
    if (autoWrap && pendingWrap != kNoWrap) NewLineForWrap();
}

// BS wraps back over the row above (the terminal's bw), never above row 0.
void CWinTermView::Backspace() {
    WrapBeforeMotion();
    if (cursorCol > 0)
        PlaceCursor(cursorRow, cursorCol - 1);
    else if (cursorRow > 0)
        PlaceCursor(cursorRow - 1, screen::kColumns - 1);
}

// DLE and NAK wrap within their own row: column 0 goes to column 79.
void CWinTermView::CursorLeft() {
    WrapBeforeMotion();
    PlaceCursor(cursorRow, cursorCol > 0 ? cursorCol - 1 : screen::kColumns - 1);
}

void CWinTermView::CursorUp() {
    WrapBeforeMotion();
    PlaceCursor(cursorRow == 0 ? screen::kScrollBottom : cursorRow - 1, cursorCol);
}

void CWinTermView::CursorRight() {
    WrapBeforeMotion();
    SetCursorPos(cursorRow, cursorCol + 1);
}

void CWinTermView::CursorHome() {
    pendingWrap = kNoWrap;  // home is an absolute position, never the next row
    PlaceCursor(0, 0);
}

// A CR keeps a wrap pending from a full row (CR LF there gives one line); one
// owed after a LF ends, as the cursor leaves column 80.
void CWinTermView::CarriageReturn() {
    if (pendingWrap == kWrapOwed) pendingWrap = kNoWrap;
    PlaceCursor(cursorRow, 0);
}

// A move ends a pending wrap: from column 80 the scan already started on the
// row below, where the wrap would have put the cursor.
void CWinTermView::NextUnprotected() {
    const int startRow = cursorRow;
    const int startCol = cursorCol;
    FindUnprotectedFrom(startRow, startCol);
    if (cursorRow != startRow || cursorCol != startCol) pendingWrap = kNoWrap;
}

void CWinTermView::FindUnprotectedFrom(int startRow, int startCol) {
    for (int col = startCol; col < screen::kColumns; ++col)
        if (!(RowCells(startRow)[col] & cell::kProtected)) return PlaceCursor(startRow, col);
    for (int row = startRow + 1; row < screen::kShownRows; ++row)
        for (int col = 0; col < screen::kColumns; ++col)
            if (!(RowCells(row)[col] & cell::kProtected)) return PlaceCursor(row, col);
    const int wrapEnd = startRow < screen::kShownRows ? startRow : screen::kShownRows;
    for (int row = 0; row < wrapEnd; ++row)
        for (int col = 0; col < screen::kColumns; ++col)
            if (!(RowCells(row)[col] & cell::kProtected)) return PlaceCursor(row, col);
    PlaceCursor(startRow, screen::kColumns);
}

// Caret.

void CWinTermView::UpdateCaretPos() {
    caretColumn = cursorCol;
    caretRow = cursorRow - ViewOffset();
    port->SetCaretPos(caretColumn * charWidth, caretRow * lineHeight);
}

void CWinTermView::MoveCaretIfVisible() {
    if (caretEnabled && RowShown(cursorRow) && port->HasFocus()) UpdateCaretPos();
}

void CWinTermView::HideCursor() {
    if (caretEnabled && !caretHidden) {
        port->HideCaret();
        caretHidden = 1;
    }
}

void CWinTermView::ShowCursor() {
    if (caretEnabled && caretHidden) {
        port->ShowCaret();
        caretHidden = 0;
    }
}

void CWinTermView::BlockCursor() {
    port->CreateCaret(charWidth, lineHeight);
    UpdateCaretPos();
    port->ShowCaret();
}

void CWinTermView::LineCursor() {
    port->CreateCaret(charWidth, 1);
    UpdateCaretPos();
    port->ShowCaret();
}

void CWinTermView::TakeFocus() {
    // A new caret is always a full cell: the line shape is not remembered.
    port->CreateCaret(charWidth, lineHeight);
    UpdateCaretPos();
    if (caretEnabled && !caretHidden) port->ShowCaret();
}
