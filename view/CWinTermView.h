// The screen: a cell store of 26 rows plus 72 lines of history reached
// through a row table, and every screen operation of CTermView on it. What a
// window does (invalidate, scroll pixels, caret, scroll bar, caption, message
// box, beep) goes through the window port.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "view/CTermView.h"
#include "view/WindowPort.h"

class CMenuPort;
class CViewCommandPort;
struct MruList;

class CWinTermView : public CTermView {
public:
    // Colour names are those of the "Colors" settings ("BLACK" .. "WHITE");
    // anything else means the default colour. *failed is 1 when the store
    // cannot be allocated.
    CWinTermView(CTermController* controller, int* failed, CWindowPort* port,
                 const char* foreName = "NULL", const char* backName = "NULL");
    ~CWinTermView() override;

    // CTermView
    void SetTitle(const char* name) override;
    void PutText(const char* text, int len) override;
    int MessageBox(const char* text, const char* caption, unsigned type) override;
    void SetHostName(const char* host) override;
    void DeleteCharsInField(int endCol, int count) override;
    void DeleteChars(int count) override;
    void Beep() override;
    void Backspace() override;
    void Tab() override;
    void LineFeed() override;
    void CursorUp() override;
    void CursorRight() override;
    void CursorHome() override;
    void CursorLeft() override;
    void CarriageReturn() override;
    void InsertModeOn() override;
    void InsertModeOff() override;
    void WriteProtectOn() override;
    void WriteProtectOff() override;
    void SetTabStop() override;
    void ClearTabStop() override;
    void ClearAllTabStops() override;
    int PrevTabStop(int col) override;
    void FillCharToFieldEnd(int ch) override;
    void SetAttrToEolAt(int row, int col, unsigned attr) override;
    void SetCharToEol(int ch) override;
    void SetCharToEolAt(int row, int col, int ch) override;
    void SetCellToEol(unsigned cellWord) override;
    void SetCellToEolAt(int row, int col, unsigned cellWord) override;
    void SetAttrScreen(unsigned attr) override;
    void SetCharScreen(int ch) override;
    void ClearScreen() override;
    void ForceCellToEol(unsigned cellWord) override;
    void ForceCellToEolAt(int row, int col, unsigned cellWord) override;
    unsigned GetDefaultAttr() override;
    unsigned GetAttrOverride() override;
    void FillScreen(unsigned cellWord) override;
    void NextUnprotected() override;
    unsigned GetMarkAttr() override;
    void SetAttrAt(int row, int col, unsigned attr) override;
    void SetAttrRun(unsigned attr, int count) override;
    void SetAttr(unsigned attr) override;
    void SetChar(int ch) override;
    void SetCharAt(int row, int col, int ch) override;
    void SetCell(unsigned cellWord) override;
    void SetCellAt(int row, int col, unsigned cellWord) override;
    void InsertCellInField(int endCol, int ch) override;
    void InsertCell(int ch) override;
    int GetChar() override;
    int GetCharAt(int row, int col) override;
    unsigned GetAttrAt(int row, int col) override;
    unsigned GetCell() override;
    unsigned GetCellAt(int row, int col) override;
    void PutCell(const unsigned* cellWord) override;
    void PutCellAt(int row, int col, const unsigned* cellWord) override;
    int GetRow() override;
    int GetColumn() override;
    void UpdateCursor() override;
    void SetCursorPos(int row, int col) override;
    void ReplaceAttrAt(int row, int col, unsigned attr, unsigned mask) override;
    void SetReverseAt(int row, int col) override;
    void SetRow(int row) override;
    void SetColumn(int col) override;
    void SetMark() override;
    void SetAttrToNextMark(unsigned attr) override;
    void WriteTextAt(int row, int col, int len, const char* text) override;
    void SetAttrRunAt(int row, int col, int count, unsigned attr) override;
    void SetAttrRunFromCursor(int count, unsigned attr) override;
    int NextMark(int* row, int* col) override;
    int PrevMark(int* row, int* col) override;
    int IsMarked() override;
    int IsMarkedAt(int row, int col) override;
    void ClearMarkAt(int row, int col) override;
    void ClearMark() override;
    void InsertMarkGap() override;
    void DeleteMarkGap() override;
    void ScrollMarksUp() override;
    void ScrollMarksDown() override;
    int FindProtected() override;
    void ClearAllMarks() override;
    void HideCursor() override;
    void ShowCursor() override;
    void BlockCursor() override;
    void LineCursor() override;
    unsigned SwapColors(unsigned attr) override;
    void SetWriteAttr(unsigned bits) override;
    unsigned GetWriteAttr() override;
    void ApplyWriteAttr() override;
    void ApplyWriteAttrDown() override;
    void ShowMessageLine() override;
    int IsLogging() override;
    void LogChar(int ch) override;
    void InvalidateCells(int top, int left, int bottom, int right) override;
    void InvalidateCursorLine() override;
    void InsertLine() override;
    void DeleteLine() override;
    void SendPageUnmarked() override;
    void SendLineUnmarked() override;
    void SendPage() override;
    void SendLine() override;
    void SetScrollMode(int mode) override;
    void SendCursorAddress() override;
    void SendCursorAddressDecimal() override;
    void ReverseScreenOn() override;
    void ReverseScreenOff() override;
    void SetAttrOverride(unsigned attr) override;
    void ReverseLineFeed() override;
    void BackTab() override;
    void CompleteWrap() override { WrapBeforeMotion(); }
    void WriteOverMark() override;

    // Window-side entry points (scroll bar, focus, mouse move).
    enum ScrollRequest {
        kLineUp = 0, kLineDown = 1, kPageUp = 2, kPageDown = 3, kThumbPosition = 4,
        kThumbTrack = 5, kTop = 6, kBottom = 7, kEndScroll = 8
    };
    void VScroll(int request, int thumbPos);
    void TakeFocus();
    void TrackScrollBar(int x, int y);

    // WM_PAINT: the update rectangle, by runs of equal attributes.
    void Paint();
    // The screen font changed (the window side has selected it): new cell
    // size, window size, a full repaint and a fresh caret.
    void FontChanged(int newCharWidth, int newLineHeight);
    // The cell changed size with the window's DPI; the window has its new
    // size already.
    void CellSizeChanged(int newCharWidth, int newLineHeight);

    // Mouse selection (client pixels) and the clipboard.
    int MouseDown(int x, int y);
    int MouseMove(int x, int y);
    int MouseUp(int x, int y);
    int HasSelection() const { return selectionLength > 0; }
    // The text Copy puts on the clipboard: the selected cells in reading
    // order, CR LF between stored lines, and the rest of the last line when
    // the selection spans several.
    std::string SelectionText() const;
    void Copy();
    void Paste();

    // Menu commands (WM_COMMAND ids) and the window state they change.
    enum Command {
        kCmdConnect = 101, kCmdDisconnect = 102, kCmdExit = 103, kCmdCopy = 104, kCmdPaste = 105,
        kCmdHelp = 112, kCmdAbout = 113, kCmdColours = 114, kCmdFont = 115, kCmdBackupHost = 123,
        kCmdLocalHost = 124, kCmdCommandPrompt = 125, kCmdScopeLog = 126, kCmdDefaultHost = 127,
        kCmdLocalMode = 128, kCmdSendDelete = 129, kCmdFtpSettings = 132, kCmdDownload = 133,
        kCmdUpload = 134, kCmdRecentSeparator = 8000, kCmdFirstRecent = 8001, kCmdLastRecent = 8009
    };
    int OnCommand(int id);
    void SetCommandPort(CViewCommandPort* commands) { commandPort = commands; }
    // The colour picked in the colour dialog: a foreground swatch, a
    // background swatch, or anything else (the default background).
    void ApplyColour(unsigned rgb);
    // Loads the recent hosts and shows them in the Connect menu; the list is
    // stored back when the view is destroyed.
    void LoadHostHistory(CMenuPort* connectMenu);
    const MruList* HostHistory() const { return recentHosts; }
    int LocalMode() const { return localMode; }

    // Scope log ("scope.log"): opens (truncating) or closes the raw receive log.
    bool OpenScopeLog(const char* path);
    void CloseScopeLog();

    // Read-only views of the store for painting, selection and tests.
    // Line i of the row table: 0..71 history (oldest first), 72..97 screen rows 0..25.
    const unsigned* TableLine(int index) const;
    int ScrollPosition() const { return scrollPos; }
    int ScrollMode() const { return scrollMode; }
    bool WrapPending() const { return pendingWrap != kNoWrap; }
    bool InsertMode() const { return insertMode != 0; }
    int CharWidth() const { return charWidth; }
    int LineHeight() const { return lineHeight; }
    bool CaretHidden() const { return caretHidden != 0; }
    CWindowPort* Port() const { return port; }
    // Host most recently named with SetHostName ("backup" and "local" excepted).
    const char* LastHost() const { return lastHost; }

    // The flags of one marks row (or the tab-stop row) as bits: columns
    // 0..63, 64..127 and 128..135. Kept beside the flag words, which stay
    // the store's own layout, because the interpreter scans for marks on
    // every embedded attribute and the text written over it.
    struct FlagBits {
        std::uint64_t part[3];
    };

    static int ColourCodeFromName(const char* name);  // 1..8, or 0 when unknown

    static constexpr int kTableLines = screen::kHistoryLines + screen::kStoredRows;
    static constexpr int kDefaultTabSpacing = 8;

private:
    // Cell store access; every coordinate is checked or clamped before it gets here.
    unsigned* RowCells(int row) { return rowTable[screen::kHistoryLines + row]; }
    static bool ValidRow(int row) { return row >= 0 && row < screen::kStoredRows; }
    static bool ValidCol(int col) { return col >= 0 && col < screen::kColumns; }
    static int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }
    // The cell at (row, col), or null when it lies outside the store.
    unsigned* CellAt(int row, int col) {
        return ValidRow(row) && ValidCol(col) ? RowCells(row) + col : nullptr;
    }
    // Clips the run of count cells from col to the row; false when nothing is left.
    // The columns [first, end) of a run clipped to the row; empty when nothing is left.
    struct Span {
        int first, end;
        bool Empty() const { return first >= end; }
    };
    static Span ClipRun(int col, long long count) {
        long long from = col, to = from + count;
        if (from < 0) from = 0;
        if (to > screen::kColumns) to = screen::kColumns;
        if (from >= to) return {0, 0};
        return {static_cast<int>(from), static_cast<int>(to)};
    }
    unsigned BlankCell() const { return blankRow[0]; }
    void BlankRow(unsigned* row);
    int ViewOffset() const { return scrollPos - screen::kHistoryLines; }
    // Pixels of window lines [firstLine, endLine), columns [firstCol, endCol).
    PixelRect CellRect(int firstLine, int firstCol, int endLine, int endCol) const {
        PixelRect rect;
        rect.left = firstCol * charWidth;
        rect.right = endCol * charWidth;
        rect.top = firstLine * lineHeight;
        rect.bottom = endLine * lineHeight;
        return rect;
    }
    // The line-size bits of a screen row (kept in its column 0).
    unsigned LineSize(int row) const {
        return ValidRow(row) ? rowTable[screen::kHistoryLines + row][0] & cell::kLineSizeMask : 0;
    }
    // Width of one store column of a screen row: twice the cell on a
    // double-width row.
    int ColumnWidth(int row) const { return LineSize(row) & cell::kDoubleWidth ? 2 * charWidth : charWidth; }
    // Pixels of store columns [firstCol, endCol) of a screen row as it is
    // shown now, within the window's 80 columns.
    PixelRect RowSpanRect(int row, int firstCol, int endCol) const {
        const int line = row - ViewOffset();
        const int width = ColumnWidth(row);
        PixelRect rect = CellRect(line, 0, line + 1, 0);
        rect.left = firstCol * width;
        rect.right = endCol * width;
        if (rect.right > screen::kColumns * charWidth) rect.right = screen::kColumns * charWidth;
        return rect;
    }
    bool RowShown(int row) const {
        const int line = row - ViewOffset();
        return line >= 0 && line < screen::kShownRows;
    }
    // Every change to the cells of a shown row goes through one of these:
    // the pixels showing store columns [firstCol, endCol) of row are drawn again.
    void InvalidateRowSpan(int row, int firstCol, int endCol);
    // Store columns [firstCol, endCol) of row may have changed, and the
    // row's line size was sizeBefore: a new line size redraws the whole row.
    void CellsChanged(int row, int firstCol, int endCol, unsigned sizeBefore);
    // Sets the cell at (row, col), when there is one, to change(old cell).
    template <class Change>
    void ChangeCellAt(int row, int col, Change change);
    void InvalidateAll(bool erase);
    void UpdateCaretPos();
    void MoveCaretIfVisible();
    // Stores a cursor position already known to be in range and lets the caret follow.
    void PlaceCursor(int row, int col);
    void NewLineForWrap();
    // Relative motions start where the terminal stands after a full row.
    void WrapBeforeMotion();
    void FindUnprotectedFrom(int startRow, int startCol);
    // Sets or clears one flag in both forms.
    void PutFlag(int row, int col, bool on);
    // Rebuilds the bits of a row from its flag words after a bulk change.
    void ResyncFlagBits(int row);
    // The column NextMark / PrevMark answer for (row, col).
    int NextMarkColumn(int row, int col) const;
    int PrevMarkColumn(int row, int col) const;
    void OpenRoom(int row, int col, int n);
    void InvalidateWritten(int row, int col, int count, unsigned lineSize);
    void ScrollRows(int start, int end, int n, bool down, bool paint);
    void RotateRows(int firstIndex, int lastIndex, int n, bool down);
    void ScrollWindowArea(int start, int end, int n, bool down);
    void ScrollRegionUp();
    void SetScrollPosition(int pos);
    void TransmitRows(int firstRow, int lastRow, int lastRowEndCol, bool skipMarked);
    void ShiftRowRight(int row, int fromCol, int endCol, int n);
    void SetCellsToEol(int row, int col, unsigned value, unsigned keepMask, bool skipProtected);
    void SetAttrRunClipped(int row, int col, long long count, unsigned attr);
    void PaintArea(CCellPainter& painter, const PixelRect& update);
    void PaintLine(CCellPainter& painter, int line, int columns);
    void SetRunColours(CCellPainter& painter, unsigned attr);
    int LinearPosition(int x, int y) const;
    // Inverts the highlight of the current selection (draws or removes it).
    void InvertSelection();
    void ConnectToRecent(int commandId);
    void ToggleLocalMode();
    void ToggleScopeLog();
    void SaveHostHistory();

    CWindowPort* port;
    const int historyLines = screen::kHistoryLines;
    int charWidth = 8;
    int lineHeight = 16;
    unsigned* rowTable[kTableLines] = {};
    unsigned* cellBlock = nullptr;
    unsigned* spareTable[kTableLines] = {};
    unsigned blankRow[screen::kColumns];
    // Every row pointer aims here when the cell block could not be allocated,
    // so a failed view stays memory-safe.
    unsigned fallbackRow[screen::kColumns] = {};

    int cursorRow = 0;
    int cursorCol = 0;
    // kWrapPending: a write ended on column 80. The terminal (am without
    // xenl) already stands on column 0 of the next row; the store waits, so
    // that a host's CR LF after a full row still gives one line. Text and
    // relative motions carry the wrap out, a CR keeps it, a LF takes it.
    // kWrapOwed: a LF taken from a pending wrap left the cursor on column
    // 80 of the next row; text starts the row after as it always does there,
    // relative motions carry the wrap out, a CR ends it.
    enum { kNoWrap = 0, kWrapPending = 1, kWrapOwed = 2 };
    int pendingWrap = kNoWrap;
    int autoWrap = 1;
    int insertMode = 0;
    unsigned writeProtectMode = 0;
    unsigned writeAttr = cell::kProtected;
    unsigned defaultAttr = 0;
    unsigned attrOverride = 0;
    int paintNow = 1;
    int scrollMode = 0;
    unsigned short scrollCounter = 0;
    int scrollPos = screen::kHistoryLines;
    int caretEnabled = 1;
    int caretHidden = 0;
    bool scrollBarShown = false;

    char lastHost[128] = {};
    char chosenHost[128] = {};
    MruList* recentHosts = nullptr;
    CMenuPort* connectMenu = nullptr;
    CViewCommandPort* commandPort = nullptr;
    int localMode = 0;

    // Colours last set for painting: the device starts black on white and
    // keeps them between passes.
    unsigned textColour = Rgb(0, 0, 0);
    unsigned backColour = Rgb(255, 255, 255);

    int selecting = 0;
    int selectionStart = 0;
    int selectionLength = 0;

    int logging = 0;
    std::FILE* logFile = nullptr;

    FlagBits flagBits[screen::kStoredRows] = {};
};
