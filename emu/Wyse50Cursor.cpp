// Cursor addressing and movement: ESC = ESC - ESC a ESC ? ESC b ESC I ESC i
// ESC j ESC { ESC J/K/]/} ESC C.
#include "emu/CWyse50Emulator.h"
#include "view/CTermView.h"

namespace {
constexpr int kParamBias = 0x20;  // rows and columns travel as value + 0x20
constexpr int kDigitBias = 0x30;
}  // namespace

void CWyse50Emulator::EscAddress() { currentHandler = &CWyse50Emulator::CollectAddressRow; }

void CWyse50Emulator::CollectAddressRow(unsigned char b) {
    view->SetRow(b - kParamBias);
    currentHandler = &CWyse50Emulator::CollectAddressColumn;
}

void CWyse50Emulator::CollectAddressColumn(unsigned char b) {
    view->SetColumn(b - kParamBias);
    if (mode & kProtectMode) view->NextUnprotected();
    view->UpdateCursor();
    ReturnToGround();
}

void CWyse50Emulator::EscAddressPage() { currentHandler = &CWyse50Emulator::CollectPage; }

// There is one page: the page byte is checked and kept, and selects nothing.
void CWyse50Emulator::CollectPage(unsigned char b) {
    if (b != '0' && b != '1') {
        ReturnToGround();
        return;
    }
    paramText[0] = static_cast<char>(b);
    currentHandler = &CWyse50Emulator::CollectPageRow;
}

void CWyse50Emulator::CollectPageRow(unsigned char b) {
    paramText[1] = static_cast<char>(b);
    currentHandler = &CWyse50Emulator::CollectPageColumn;
}

void CWyse50Emulator::CollectPageColumn(unsigned char b) {
    view->SetCursorPos(static_cast<unsigned char>(paramText[1]) - kParamBias, b - kParamBias);
    ReturnToGround();
}

void CWyse50Emulator::EscAddressDecimal() {
    view->SetRow(0);
    currentHandler = &CWyse50Emulator::CollectDecimalRow;
}

// Digits are not validated: any other byte counts as (byte - '0'). The view
// keeps the running value inside the screen.
void CWyse50Emulator::CollectDecimalRow(unsigned char b) {
    if (b == 'R') {
        view->SetColumn(0);
        currentHandler = &CWyse50Emulator::CollectDecimalColumn;
        return;
    }
    view->SetRow(view->GetRow() * 10 + (b - kDigitBias));
}

void CWyse50Emulator::CollectDecimalColumn(unsigned char b) {
    if (b != 'C') {
        view->SetColumn(view->GetColumn() * 10 + (b - kDigitBias));
        return;
    }
    int row = view->GetRow();
    int column = view->GetColumn();
    view->SetRow(row - 1);
    view->SetColumn(column - 1);
    if (mode & kProtectMode) view->NextUnprotected();
    view->UpdateCursor();
    ReturnToGround();
}

void CWyse50Emulator::EscSendCursor() {
    view->SendCursorAddress();
    ReturnToGround();
}

void CWyse50Emulator::EscSendCursorDecimal() {
    view->SendCursorAddressDecimal();
    ReturnToGround();
}

void CWyse50Emulator::EscBackTab() {
    view->BackTab();
    ReturnToGround();
}

void CWyse50Emulator::EscTab() {
    view->Tab();
    ReturnToGround();
}

// At the top row the screen scrolls down (what hosts send to scroll back),
// elsewhere the cursor moves up one row.
void CWyse50Emulator::EscReverseLineFeed() {
    view->ReverseLineFeed();
    ReturnToGround();
}

void CWyse50Emulator::EscHome() {
    view->CursorHome();
    if (mode & kProtectMode) view->NextUnprotected();
    view->UpdateCursor();
    ReturnToGround();
}

void CWyse50Emulator::EscUpdateCursor() {
    view->UpdateCursor();
    ReturnToGround();
}

void CWyse50Emulator::EscClearChars() { currentHandler = &CWyse50Emulator::CollectClearCount; }

// Spaces from the cursor, never past column 79; the cursor ends after them.
void CWyse50Emulator::CollectClearCount(unsigned char b) {
    int row = view->GetRow();
    int column = view->GetColumn();
    for (int n = b - kParamBias; n > 0 && column < screen::kColumns; --n, ++column)
        view->SetCharAt(row, column, ' ');
    view->SetCursorPos(row, column);
    ReturnToGround();
}
