// The abstract terminal screen the emulator drives: a fixed set of cell,
// cursor, mark, tab and transmit operations plus a few controller services.
#pragma once

class CTermController;

// Cell word layout shared by the emulator and every view.
namespace cell {
constexpr unsigned kCharMask = 0xFFu;
constexpr unsigned kReverse = 0x100u;
constexpr unsigned kAltColour = 0x200u;
constexpr unsigned kBlink = 0x400u;
constexpr unsigned kUnderline = 0x800u;
constexpr unsigned kNoColour = 0x1000u;
constexpr unsigned kProtected = 0x2000u;
constexpr unsigned kLineSizeMask = 0xF0000u;
constexpr unsigned kDoubleWidth = 0x10000u;
constexpr unsigned kDoubleHeight = 0x20000u;
constexpr unsigned kLowerHalf = 0x40000u;
constexpr unsigned kAltIntensity = 0x100000u;
constexpr int kForeShift = 24;
constexpr int kBackShift = 28;
constexpr unsigned kForeMask = 0x0F000000u;
constexpr unsigned kBackMask = 0xF0000000u;
}  // namespace cell

// Screen geometry the emulator may rely on.
namespace screen {
constexpr int kColumns = 80;
constexpr int kShownRows = 25;       // rows 0..24
constexpr int kStoredRows = 26;      // row 25 is kept but never shown
constexpr int kScrollBottom = 23;    // rows 0..23 scroll on line feeds
constexpr int kMessageRow = 24;
constexpr int kExtraRow = 25;
constexpr int kFlagColumns = 136;    // marks and tab stops exist for columns 0..135
constexpr int kFlagWords = 17;       // 8 columns per flag word
constexpr int kHistoryLines = 72;
constexpr int kMessageLineSize = 136;
constexpr int kTransmitSize = 4000;
}  // namespace screen

class CTermView {
public:
    // Stores the controller and reports success (0) through *failed.
    CTermView(CTermController* controller, int* failed);
    virtual ~CTermView();

    virtual void SetTitle(const char* name) = 0;
    virtual void PutText(const char* text, int len) = 0;
    virtual int MessageBox(const char* text, const char* caption, unsigned type) = 0;
    virtual void SetHostName(const char* host) = 0;
    virtual void DeleteCharsInField(int endCol, int count) = 0;
    virtual void DeleteChars(int count) = 0;
    virtual void Beep() = 0;
    virtual void Backspace() = 0;
    virtual void Tab() = 0;
    virtual void LineFeed() = 0;
    virtual void CursorUp() = 0;
    virtual void CursorRight() = 0;
    virtual void CursorHome() = 0;
    virtual void CursorLeft() = 0;
    virtual void CarriageReturn() = 0;
    virtual void InsertModeOn() = 0;
    virtual void InsertModeOff() = 0;
    virtual void WriteProtectOn() = 0;
    virtual void WriteProtectOff() = 0;
    virtual void SetTabStop() = 0;
    virtual void ClearTabStop() = 0;
    virtual void ClearAllTabStops() = 0;
    virtual int PrevTabStop(int col) = 0;
    virtual void FillCharToFieldEnd(int ch) = 0;
    virtual void SetAttrToEolAt(int row, int col, unsigned attr) = 0;
    virtual void SetCharToEol(int ch) = 0;
    virtual void SetCharToEolAt(int row, int col, int ch) = 0;
    virtual void SetCellToEol(unsigned cellWord) = 0;
    virtual void SetCellToEolAt(int row, int col, unsigned cellWord) = 0;
    virtual void SetAttrScreen(unsigned attr) = 0;
    virtual void SetCharScreen(int ch) = 0;
    virtual void ClearScreen() = 0;
    virtual void ForceCellToEol(unsigned cellWord) = 0;
    virtual void ForceCellToEolAt(int row, int col, unsigned cellWord) = 0;
    virtual unsigned GetDefaultAttr() = 0;
    virtual unsigned GetAttrOverride() = 0;
    virtual void FillScreen(unsigned cellWord) = 0;
    virtual void NextUnprotected() = 0;
    virtual unsigned GetMarkAttr() = 0;
    virtual void SetAttrAt(int row, int col, unsigned attr) = 0;
    virtual void SetAttrRun(unsigned attr, int count) = 0;
    virtual void SetAttr(unsigned attr) = 0;
    virtual void SetChar(int ch) = 0;
    virtual void SetCharAt(int row, int col, int ch) = 0;
    virtual void SetCell(unsigned cellWord) = 0;
    virtual void SetCellAt(int row, int col, unsigned cellWord) = 0;
    virtual void InsertCellInField(int endCol, int ch) = 0;
    virtual void InsertCell(int ch) = 0;
    virtual int GetChar() = 0;
    virtual int GetCharAt(int row, int col) = 0;
    virtual unsigned GetAttrAt(int row, int col) = 0;
    virtual unsigned GetCell() = 0;
    virtual unsigned GetCellAt(int row, int col) = 0;
    virtual void PutCell(const unsigned* cellWord) = 0;
    virtual void PutCellAt(int row, int col, const unsigned* cellWord) = 0;
    virtual int GetRow() = 0;
    virtual int GetColumn() = 0;
    virtual void UpdateCursor() = 0;
    virtual void SetCursorPos(int row, int col) = 0;
    virtual void ReplaceAttrAt(int row, int col, unsigned attr, unsigned mask) = 0;
    virtual void SetReverseAt(int row, int col) = 0;
    virtual void SetRow(int row) = 0;
    virtual void SetColumn(int col) = 0;
    virtual void SetMark() = 0;
    virtual void SetAttrToNextMark(unsigned attr) = 0;
    virtual void WriteTextAt(int row, int col, int len, const char* text) = 0;
    virtual void SetAttrRunAt(int row, int col, int count, unsigned attr) = 0;
    virtual void SetAttrRunFromCursor(int count, unsigned attr) = 0;
    virtual int NextMark(int* row, int* col) = 0;
    virtual int PrevMark(int* row, int* col) = 0;
    virtual int IsMarked() = 0;
    virtual int IsMarkedAt(int row, int col) = 0;
    virtual void ClearMarkAt(int row, int col) = 0;
    virtual void ClearMark() = 0;
    virtual void InsertMarkGap() = 0;
    virtual void DeleteMarkGap() = 0;
    virtual void ScrollMarksUp() = 0;
    virtual void ScrollMarksDown() = 0;
    virtual int FindProtected() = 0;
    virtual void ClearAllMarks() = 0;
    virtual void HideCursor() = 0;
    virtual void ShowCursor() = 0;
    virtual void BlockCursor() = 0;
    virtual void LineCursor() = 0;
    virtual unsigned SwapColors(unsigned attr) = 0;
    virtual void SetWriteAttr(unsigned bits) = 0;
    virtual unsigned GetWriteAttr() = 0;
    virtual void ApplyWriteAttr() = 0;
    virtual void ApplyWriteAttrDown() = 0;
    virtual void ShowMessageLine() = 0;
    virtual int IsLogging() = 0;
    virtual void LogChar(int ch) = 0;
    virtual void InvalidateCells(int top, int left, int bottom, int right) = 0;
    virtual void InvalidateCursorLine() = 0;
    virtual void InsertLine() = 0;
    virtual void DeleteLine() = 0;
    virtual void SendPageUnmarked() = 0;
    virtual void SendLineUnmarked() = 0;
    virtual void SendPage() = 0;
    virtual void SendLine() = 0;
    virtual void SetScrollMode(int mode) = 0;
    virtual void SendCursorAddress() = 0;
    virtual void SendCursorAddressDecimal() = 0;
    virtual void ReverseScreenOn() = 0;
    virtual void ReverseScreenOff() = 0;
    virtual void SetAttrOverride(unsigned attr) = 0;
    // Reverse line feed: up one row, or on row 0 scroll rows 0..23 down by one.
    virtual void ReverseLineFeed() = 0;
    // Back tab: to PrevTabStop of the cursor column on the cursor row. After
    // a full row it starts, like every relative motion, from the next row.
    virtual void BackTab() = 0;
    // Carries out a wrap left pending by a full row: the terminal already
    // stands on the next row, where the editing commands that act at the
    // cursor (clear to end of line, insert and delete of characters and
    // lines) then act.
    virtual void CompleteWrap() {}
    // A character is about to be written over the attribute mark at the
    // cursor: the mark goes and the attribute before it runs on. The same as
    // ClearMark then SetAttrToNextMark(GetMarkAttr()), in one call because the
    // interpreter does it for nearly every embedded attribute.
    virtual void WriteOverMark() {
        ClearMark();
        SetAttrToNextMark(GetMarkAttr());
    }

    CTermController* Controller() const { return controller; }
    char* MessageLineBuffer() { return messageLine; }

protected:
    // Flag helpers over the marks/tab-stop layout (row 25 answers from the tab stops).
    bool FlagAt(int row, int col) const {
        if (row < 0 || row >= screen::kStoredRows || col < 0 || col >= screen::kFlagColumns) return false;
        return (marks[row][col >> 3] >> (col & 7)) & 1u;
    }
    void SetFlag(int row, int col, bool on) {
        if (row < 0 || row >= screen::kStoredRows || col < 0 || col >= screen::kFlagColumns) return;
        const unsigned bit = 1u << (col & 7);
        if (on)
            marks[row][col >> 3] |= bit;
        else
            marks[row][col >> 3] &= ~bit;
    }
    // Hands the transmit buffer to the controller's SendToHost.
    void TransmitBuffer();

    CTermController* controller;
    int caretColumn = 0;
    int caretRow = 0;
    char messageLine[screen::kMessageLineSize];
    // Rows 0..24 are attribute marks; row 25 holds the tab stops.
    unsigned marks[screen::kStoredRows][screen::kFlagWords];
    unsigned transmit[screen::kTransmitSize];
    int transmitCount = 0;
};
