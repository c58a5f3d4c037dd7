// Reading and changing single cells, runs of cells and the whole screen.
// Setting the attribute keeps bits 0-7; setting the character keeps the rest.
// A cell outside the store reads as a blank cell and ignores writes.
#include "view/CWinTermView.h"
#include "view/CellRuns.h"

namespace {
constexpr unsigned kChar = cell::kCharMask;
constexpr unsigned kAttr = ~cell::kCharMask;

inline unsigned WithAttr(unsigned c, unsigned attr) { return (c & kChar) | (attr & kAttr); }
inline unsigned WithChar(unsigned c, int ch) { return (c & kAttr) | (static_cast<unsigned>(ch) & kChar); }
}  // namespace

// Single cells.

unsigned CWinTermView::GetCellAt(int row, int col) {
    const unsigned* c = CellAt(row, col);
    return c ? *c : BlankCell();
}
unsigned CWinTermView::GetCell() { return GetCellAt(cursorRow, cursorCol); }
int CWinTermView::GetCharAt(int row, int col) { return static_cast<int>(GetCellAt(row, col) & kChar); }
int CWinTermView::GetChar() { return GetCharAt(cursorRow, cursorCol); }
unsigned CWinTermView::GetAttrAt(int row, int col) { return GetCellAt(row, col) & kAttr; }

// Every single-cell change tells the window which cell changed.
template <class Change>
void CWinTermView::ChangeCellAt(int row, int col, Change change) {
    if (unsigned* c = CellAt(row, col)) {
        const unsigned before = *c, sizeBefore = LineSize(row);
        *c = change(*c);
        if (*c != before) CellsChanged(row, col, col + 1, sizeBefore);
    }
}

void CWinTermView::SetCellAt(int row, int col, unsigned cellWord) {
    ChangeCellAt(row, col, [&](unsigned) { return cellWord; });
}
void CWinTermView::SetCell(unsigned cellWord) { SetCellAt(cursorRow, cursorCol, cellWord); }

void CWinTermView::PutCellAt(int row, int col, const unsigned* cellWord) {
    if (cellWord) SetCellAt(row, col, *cellWord);
}
void CWinTermView::PutCell(const unsigned* cellWord) { PutCellAt(cursorRow, cursorCol, cellWord); }

void CWinTermView::SetCharAt(int row, int col, int ch) {
    ChangeCellAt(row, col, [&](unsigned c) { return WithChar(c, ch); });
}
void CWinTermView::SetChar(int ch) { SetCharAt(cursorRow, cursorCol, ch); }

void CWinTermView::SetAttrAt(int row, int col, unsigned attr) {
    ChangeCellAt(row, col, [&](unsigned c) { return WithAttr(c, attr); });
}
void CWinTermView::SetAttr(unsigned attr) { SetAttrAt(cursorRow, cursorCol, attr); }

void CWinTermView::ReplaceAttrAt(int row, int col, unsigned attr, unsigned mask) {
    ChangeCellAt(row, col, [&](unsigned c) { return (c & ~(mask & kAttr)) | (attr & kAttr); });
}

void CWinTermView::SetReverseAt(int row, int col) {
    ChangeCellAt(row, col, [](unsigned c) { return c | cell::kReverse; });
}

void CWinTermView::ApplyWriteAttr() {
    ChangeCellAt(cursorRow, cursorCol, [&](unsigned c) { return c | writeAttr; });
}

void CWinTermView::ApplyWriteAttrDown() {
    if (!ValidCol(cursorCol)) return;
    for (int row = cursorRow; row < screen::kShownRows; ++row) RowCells(row)[cursorCol] |= writeAttr;
    InvalidateCells(cursorRow, cursorCol, screen::kShownRows, cursorCol + 1);
}

// Runs of attributes.

void CWinTermView::SetAttrRunClipped(int row, int col, long long count, unsigned attr) {
    const Span span = ClipRun(col, count);
    if (!ValidRow(row) || span.Empty()) return;
    const unsigned sizeBefore = LineSize(row);
    cellruns::SetAttr(RowCells(row) + span.first, span.end - span.first, attr);
    CellsChanged(row, span.first, span.end, sizeBefore);
}

void CWinTermView::SetAttrRunAt(int row, int col, int count, unsigned attr) {
    SetAttrRunClipped(row, col, count, attr);
}
void CWinTermView::SetAttrRun(unsigned attr, int count) { SetAttrRunClipped(cursorRow, cursorCol, count, attr); }
void CWinTermView::SetAttrRunFromCursor(int count, unsigned attr) {
    SetAttrRunClipped(cursorRow, cursorCol, count, attr);
}

// From a column to the end of the row. keepMask selects the bits of the old
// cell that survive; value supplies the rest.

void CWinTermView::SetCellsToEol(int row, int col, unsigned value, unsigned keepMask, bool skipProtected) {
    const Span span = ClipRun(col, screen::kColumns);
    if (!ValidRow(row) || span.Empty()) return;
    unsigned* cells = RowCells(row);
    const unsigned sizeBefore = LineSize(row);
    for (int i = span.first; i < span.end; ++i) {
        if (skipProtected && (cells[i] & cell::kProtected)) continue;
        cells[i] = (cells[i] & keepMask) | (value & ~keepMask);
    }
    CellsChanged(row, span.first, span.end, sizeBefore);
}

void CWinTermView::SetAttrToEolAt(int row, int col, unsigned attr) {
    SetCellsToEol(row, col, attr, kChar, true);
}

void CWinTermView::SetCharToEolAt(int row, int col, int ch) {
    SetCellsToEol(row, col, static_cast<unsigned>(ch), kAttr, true);
}
void CWinTermView::SetCharToEol(int ch) { SetCharToEolAt(cursorRow, cursorCol, ch); }

void CWinTermView::SetCellToEolAt(int row, int col, unsigned cellWord) {
    SetCellsToEol(row, col, cellWord, 0, true);
}
void CWinTermView::SetCellToEol(unsigned cellWord) { SetCellToEolAt(cursorRow, cursorCol, cellWord); }

void CWinTermView::ForceCellToEolAt(int row, int col, unsigned cellWord) {
    SetCellsToEol(row, col, cellWord, 0, false);
    ClearMarkAt(row, screen::kColumns);
}
void CWinTermView::ForceCellToEol(unsigned cellWord) { ForceCellToEolAt(cursorRow, cursorCol, cellWord); }

void CWinTermView::FillCharToFieldEnd(int ch) {
    if (!ValidRow(cursorRow)) return;
    unsigned* cells = RowCells(cursorRow);
    int i = cursorCol;
    for (; i < screen::kColumns; ++i) {
        if (cells[i] & cell::kProtected) break;
        cells[i] = WithChar(cells[i], ch);
    }
    InvalidateRowSpan(cursorRow, cursorCol, i);
}

int CWinTermView::FindProtected() {
    const unsigned* cells = RowCells(cursorRow);
    int col = cursorCol;
    while (col < screen::kColumns && !(cells[col] & cell::kProtected)) ++col;
    return col;
}

// Whole screen: rows 0..24.

void CWinTermView::SetAttrScreen(unsigned attr) {
    for (int row = 0; row < screen::kShownRows; ++row) {
        unsigned* cells = RowCells(row);
        for (int i = 0; i < screen::kColumns; ++i) cells[i] = WithAttr(cells[i], attr);
    }
    InvalidateAll(true);
}

void CWinTermView::SetCharScreen(int ch) {
    for (int row = 0; row < screen::kShownRows; ++row) {
        unsigned* cells = RowCells(row);
        for (int i = 0; i < screen::kColumns; ++i) cells[i] = WithChar(cells[i], ch);
    }
    InvalidateAll(true);
}

void CWinTermView::FillScreen(unsigned cellWord) {
    for (int row = 0; row < screen::kShownRows; ++row) {
        unsigned* cells = RowCells(row);
        for (int i = 0; i < screen::kColumns; ++i) cells[i] = cellWord;
    }
    InvalidateAll(true);
}

void CWinTermView::ClearScreen() {
    for (int row = 0; row < screen::kShownRows; ++row) BlankRow(RowCells(row));
    CursorHome();
    InvalidateAll(true);
}

void CWinTermView::ReverseScreenOn() {
    for (int row = 0; row < screen::kShownRows; ++row) {
        unsigned* cells = RowCells(row);
        for (int i = 0; i < screen::kColumns; ++i) cells[i] |= cell::kReverse;
    }
    InvalidateAll(true);
}

void CWinTermView::ReverseScreenOff() {
    for (int row = 0; row < screen::kShownRows; ++row) {
        unsigned* cells = RowCells(row);
        for (int i = 0; i < screen::kColumns; ++i) cells[i] &= ~cell::kReverse;
    }
    InvalidateAll(true);
}
