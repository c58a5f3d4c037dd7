// Editing, clearing, tabs and screen transmission.
#include "emu/CWyse50Emulator.h"
#include "view/CTermView.h"

namespace {
constexpr unsigned kSpace = 0x20;
constexpr unsigned kProtectedSpace = 0x2020;
}  // namespace

// ---- editing ----

void CWyse50Emulator::EscInsertChar() {
    view->CompleteWrap();
    if (mode & kProtectMode) {
        view->InsertCellInField(view->FindProtected(), ' ');
    } else {
        view->InsertCell(' ');
        view->InsertMarkGap();
    }
    ReturnToGround();
}

void CWyse50Emulator::EscDeleteChar() {
    view->CompleteWrap();
    if (mode & kProtectMode) {
        int row = view->GetRow();
        int column = view->GetColumn();
        view->NextMark(&row, &column);
        if (column < screen::kColumns) column -= 1;
        view->DeleteCharsInField(column, 1);
    } else {
        view->DeleteChars(1);
        view->DeleteMarkGap();
    }
    ReturnToGround();
}

void CWyse50Emulator::EscInsertLine() {
    view->CompleteWrap();
    if (!(mode & kProtectMode)) {
        view->InsertLine();
        view->ScrollMarksDown();
        view->SetColumn(0);
        view->UpdateCursor();
    }
    ReturnToGround();
}

void CWyse50Emulator::EscDeleteLine() {
    view->CompleteWrap();
    if (!(mode & kProtectMode)) {
        view->DeleteLine();
        view->ScrollMarksUp();
        view->SetColumn(0);
        view->UpdateCursor();
    }
    ReturnToGround();
}

void CWyse50Emulator::EscInsertModeOn() {
    view->InsertModeOn();
    ReturnToGround();
}

void CWyse50Emulator::EscInsertModeOff() {
    view->InsertModeOff();
    ReturnToGround();
}

void CWyse50Emulator::EscSetChar() { currentHandler = &CWyse50Emulator::CollectSetChar; }

void CWyse50Emulator::CollectSetChar(unsigned char b) {
    view->SetChar(b);
    ReturnToGround();
}

// ---- clearing ----

void CWyse50Emulator::EscClearScreen() {
    view->ClearScreen();
    mode = 0;
    ReturnToGround();
}

void CWyse50Emulator::EscFillProtected() {
    view->FillScreen(kProtectedSpace);
    ReturnToGround();
}

void CWyse50Emulator::ClearUnprotected(unsigned cellWord) {
    if (mode & kProtectMode) {
        for (int row = 0; row < screen::kShownRows; ++row) view->SetCellToEolAt(row, 0, cellWord);
    } else {
        view->FillScreen(cellWord);
        view->ClearAllMarks();
    }
    view->CursorHome();
    if (mode & kProtectMode) view->NextUnprotected();
    view->UpdateCursor();
    ReturnToGround();
}

void CWyse50Emulator::EscClearToNul() { ClearUnprotected(view->GetDefaultAttr()); }

void CWyse50Emulator::EscClearToSpaces() { ClearUnprotected(view->GetDefaultAttr() | kSpace); }

void CWyse50Emulator::EscFillChar() { currentHandler = &CWyse50Emulator::CollectFillChar; }

void CWyse50Emulator::CollectFillChar(unsigned char b) {
    if (mode & kProtectMode) {
        for (int row = 0; row < screen::kShownRows; ++row) view->SetCharToEolAt(row, 0, b);
    } else {
        view->SetCharScreen(b);
    }
    ReturnToGround();
}

void CWyse50Emulator::EscClearToEol() {
    view->CompleteWrap();
    if (mode & kProtectMode)
        view->FillCharToFieldEnd(' ');
    else
        view->ForceCellToEol(view->GetDefaultAttr() | kSpace);
    view->UpdateCursor();
    view->InvalidateCursorLine();
    ReturnToGround();
}

void CWyse50Emulator::EscClearToEop() {
    unsigned blank = view->GetDefaultAttr() | kSpace;
    int below = view->GetRow() + 1;
    if (mode & kProtectMode) {
        view->SetCellToEol(blank);
        for (int row = below; row < screen::kShownRows; ++row) view->SetCellToEolAt(row, 0, blank);
    } else {
        view->ForceCellToEol(blank);
        for (int row = below; row < screen::kShownRows; ++row) view->ForceCellToEolAt(row, 0, blank);
    }
    ReturnToGround();
}

void CWyse50Emulator::EscClearSelect() { currentHandler = &CWyse50Emulator::CollectClearSelect; }

// Waits for "0" or "1"; "1" takes one more byte. Either then clears as ESC *.
void CWyse50Emulator::CollectClearSelect(unsigned char b) {
    if (b == '0')
        EscClearScreen();
    else if (b == '1')
        currentHandler = &CWyse50Emulator::CollectClearSelectExtra;
}

void CWyse50Emulator::CollectClearSelectExtra(unsigned char) { EscClearScreen(); }

// ---- tabs ----

void CWyse50Emulator::EscClearAllTabs() {
    view->ClearAllTabStops();
    ReturnToGround();
}

void CWyse50Emulator::EscSetTab() {
    view->SetTabStop();
    ReturnToGround();
}

void CWyse50Emulator::EscClearTab() {
    view->ClearTabStop();
    ReturnToGround();
}

// ---- transmission to the host ----

void CWyse50Emulator::EscSendLineUnmarked() {
    view->SendLineUnmarked();
    ReturnToGround();
}

void CWyse50Emulator::EscSendPageUnmarked() {
    view->SendPageUnmarked();
    ReturnToGround();
}

void CWyse50Emulator::EscSendLine() {
    view->SendLine();
    ReturnToGround();
}

void CWyse50Emulator::EscSendPage() {
    view->SendPage();
    ReturnToGround();
}

void CWyse50Emulator::EscSendChar() {
    char c = static_cast<char>(view->GetChar());
    SendBytes(&c, 1);
    ReturnToGround();
}

void CWyse50Emulator::EscIdentify() {
    SendBytes("W", 1);
    ReturnToGround();
}
