// Construction, colours, caption and host name, shell services, the scope log
// and the invalidation helpers every other part of the view uses.
#include "view/CWinTermView.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "settings/MruList.h"

namespace {
const char* const kColourNames[] = {"BLACK", "BLUE", "GREEN", "CYAN", "RED", "MAGENTA", "BROWN", "WHITE"};
}  // namespace

CWinTermView::CWinTermView(CTermController* owner, int* failed, CWindowPort* windowPort,
                           const char* foreName, const char* backName)
    : CTermView(owner, failed), port(windowPort) {
    // Font metrics decide the window size; a zero metric would break every
    // pixel computation, so it counts as one pixel.
    int cw = 0, lh = 0;
    port->GetCellSize(&cw, &lh);
    charWidth = cw > 0 ? cw : 1;
    lineHeight = lh > 0 ? lh : 1;
    int screenWidth = 0, screenHeight = 0;
    port->GetScreenSize(&screenWidth, &screenHeight);
    const int textWidth = screen::kColumns * charWidth;
    const int textHeight = screen::kShownRows * lineHeight;
    port->MoveWindow(-port->ScaledForDpi(2), 0, (textWidth < screenWidth ? textWidth : screenWidth) + port->ScaledForDpi(4),
                     textHeight < screenHeight ? textHeight + port->ScaledForDpi(44) : screenHeight);
    port->Invalidate(nullptr, true);
    port->CreateCaret(charWidth, lineHeight);
    port->ShowCaret();

    defaultAttr = (static_cast<unsigned>(ColourCodeFromName(foreName)) << cell::kForeShift) |
                  (static_cast<unsigned>(ColourCodeFromName(backName)) << cell::kBackShift);
    attrOverride = defaultAttr;
    for (unsigned& c : blankRow) c = defaultAttr | 0x20u;

    // Hosts that know this terminal expect its power-up tab stops, one every
    // eight columns; without them tabbed output (ls, reports) runs together.
    for (int col = 0; col < screen::kColumns; col += kDefaultTabSpacing) PutFlag(screen::kExtraRow, col, true);
    for (int row = 0; row < screen::kStoredRows; ++row) ResyncFlagBits(row);

    cellBlock = new (std::nothrow) unsigned[static_cast<size_t>(kTableLines) * screen::kColumns];
    if (!cellBlock) {
        for (unsigned*& row : rowTable) row = fallbackRow;
        port->MessageBox(mb::kNoMemory, mb::kCaption, mb::kIconExclamation);
        port->RequestQuit(0);
        if (failed) *failed = 1;
        return;
    }
    for (int i = 0; i < kTableLines; ++i) {
        rowTable[i] = cellBlock + static_cast<size_t>(i) * screen::kColumns;
        BlankRow(rowTable[i]);
    }

    port->SetScrollRange(0, historyLines);
    port->SetScrollPos(historyLines);
    port->ShowScrollBar(false);
    SetTitle("");
}

CWinTermView::~CWinTermView() {
    SaveHostHistory();
    CloseScopeLog();
    delete[] cellBlock;
}

int CWinTermView::ColourCodeFromName(const char* name) {
    if (!name) return 0;
    for (int i = 0; i < 8; ++i)
        if (std::strcmp(name, kColourNames[i]) == 0) return i + 1;
    return 0;
}

void CWinTermView::SetTitle(const char* name) {
    char caption[100];
    std::snprintf(caption, sizeof caption, "Orvane Terminal Emulator - %s",
                  name && *name ? name : "(None)");
    port->SetCaption(caption);
}

void CWinTermView::SetHostName(const char* host) {
    if (!host) host = "";
    // The lost-connection hosts are not real names and stay out of the history.
    if (std::strcmp(host, "backup") != 0 && std::strcmp(host, "local") != 0) {
        std::strncpy(lastHost, host, sizeof lastHost - 1);
        lastHost[sizeof lastHost - 1] = '\0';
        MruAddFront(recentHosts, lastHost);
        MruBuildMenu(recentHosts, connectMenu, kCmdExit);
    }
    SetTitle(host);
}

int CWinTermView::MessageBox(const char* text, const char* caption, unsigned type) {
    return port->MessageBox(text, caption, type);
}

void CWinTermView::Beep() { port->Beep(); }

unsigned CWinTermView::GetDefaultAttr() { return defaultAttr; }
unsigned CWinTermView::GetAttrOverride() { return attrOverride; }
void CWinTermView::SetAttrOverride(unsigned attr) { attrOverride = attr; }
void CWinTermView::InsertModeOn() { insertMode = 1; }
void CWinTermView::InsertModeOff() { insertMode = 0; }
void CWinTermView::WriteProtectOn() { writeProtectMode = cell::kProtected; }
void CWinTermView::WriteProtectOff() { writeProtectMode = 0; }
void CWinTermView::SetWriteAttr(unsigned bits) { writeAttr = bits; }
unsigned CWinTermView::GetWriteAttr() { return writeAttr; }

unsigned CWinTermView::SwapColors(unsigned attr) {
    const unsigned fore = (attr & cell::kForeMask) >> cell::kForeShift;
    const unsigned back = (attr & cell::kBackMask) >> cell::kBackShift;
    return (fore << cell::kBackShift) | (back << cell::kForeShift);
}

// Scope log.

bool CWinTermView::OpenScopeLog(const char* path) {
    CloseScopeLog();
    if (!path) return false;
    logFile = std::fopen(path, "wb");
    logging = logFile ? 1 : 0;
    return logFile != nullptr;
}

void CWinTermView::CloseScopeLog() {
    if (logFile) std::fclose(logFile);
    logFile = nullptr;
    logging = 0;
}

int CWinTermView::IsLogging() { return logging; }

void CWinTermView::LogChar(int ch) {
    if (!logFile) return;
    std::fputc(ch & 0xFF, logFile);
    std::fflush(logFile);
}

// Store helpers.

const unsigned* CWinTermView::TableLine(int index) const {
    return index >= 0 && index < kTableLines ? rowTable[index] : nullptr;
}

void CWinTermView::BlankRow(unsigned* row) {
    std::memcpy(row, blankRow, sizeof blankRow);
}

// Painting requests. Screen row r is drawn on window line r - view offset.

void CWinTermView::InvalidateAll(bool erase) { port->Invalidate(nullptr, erase); }

void CWinTermView::InvalidateRowSpan(int row, int firstCol, int endCol) {
    if (!RowShown(row) || firstCol >= endCol) return;
    const PixelRect rect = RowSpanRect(row, firstCol, endCol);
    port->Invalidate(&rect, true);
}

void CWinTermView::CellsChanged(int row, int firstCol, int endCol, unsigned sizeBefore) {
    if (LineSize(row) != sizeBefore)
        InvalidateRowSpan(row, 0, screen::kColumns);
    else
        InvalidateRowSpan(row, firstCol, endCol);
}

void CWinTermView::InvalidateCells(int top, int left, int bottom, int right) {
    top = Clamp(top, 0, screen::kStoredRows);
    bottom = Clamp(bottom, 0, screen::kStoredRows);
    left = Clamp(left, 0, screen::kColumns);
    right = Clamp(right, 0, screen::kColumns);
    if (top >= bottom || left >= right) return;
    const int offset = ViewOffset();
    PixelRect rect;
    rect.left = left * charWidth;
    rect.right = right * charWidth;
    rect.top = (top - offset) * lineHeight;
    rect.bottom = (bottom - offset) * lineHeight;
    port->Invalidate(&rect, true);
    // A double-width row shows its columns elsewhere.
    for (int row = top; row < bottom; ++row)
        if (ColumnWidth(row) != charWidth) InvalidateRowSpan(row, left, right);
}

void CWinTermView::InvalidateCursorLine() { InvalidateRowSpan(cursorRow, 0, screen::kColumns); }
