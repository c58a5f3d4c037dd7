// Attributes, protection, screen features and graphics.
#include "emu/CWyse50Emulator.h"
#include "emu/GraphicsCharacters.h"
#include "view/CTermView.h"

// An attribute code byte: the default colours plus the bits the code asks for.
// Any byte is accepted; only these bits count.
unsigned CWyse50Emulator::AttributeFromCode(unsigned char code) {
    unsigned attr = view->GetDefaultAttr() & (cell::kForeMask | cell::kBackMask);
    if (code & 0x01) {  // invisible: text in the background colour
        unsigned back = (attr & cell::kBackMask) >> cell::kBackShift;
        attr = (attr & ~cell::kForeMask) | (back << cell::kForeShift);
    }
    if (code & 0x02) attr |= cell::kBlink;
    if (code & 0x04) attr |= cell::kReverse;
    if (code & 0x08) attr |= cell::kUnderline;
    if (code & 0x40) attr |= cell::kAltColour;
    return attr;
}

void CWyse50Emulator::EscEmbeddedAttr() { currentHandler = &CWyse50Emulator::CollectEmbeddedAttr; }

// The attribute runs from the cursor to the next mark and takes no position.
// Outside protect and graphics modes the bulk receive loop may hold it until
// it sees the next byte (see MergeHeldAttrWithText).
void CWyse50Emulator::CollectEmbeddedAttr(unsigned char b) {
    ReturnToGround();
    if (bulkReceive && currentHandler == &CWyse50Emulator::Ground) {
        attrHeld = true;
        heldAttrCode = b;
        return;
    }
    ApplyEmbeddedAttr(b);
}

void CWyse50Emulator::ApplyEmbeddedAttr(unsigned char code) {
    view->SetAttrToNextMark(AttributeFromCode(code));
    view->SetMark();
    if (mode & kProtectMode) view->NextUnprotected();
    view->UpdateCursor();
}

// A held attribute followed at once by text at column col. Applied as
// received, the attribute would set [cursor, next mark) and mark the cursor,
// and the text's first byte would clear that mark and set the same cells to
// the attribute at the previous mark, which lies left of the cursor and is
// untouched by the first run. So one run does it, except at column 0 (there
// the previous mark is the cursor cell itself), at column 79 and beyond (the
// first byte is written before the mark is looked at) and on rows the
// cursor update would move from. Returns true when the text's mark check is
// done.
bool CWyse50Emulator::MergeHeldAttrWithText(int col) {
    attrHeld = false;
    const int row = view->GetRow();
    if (col < 1 || col > screen::kColumns - 2 || row < 0 || row >= screen::kShownRows) {
        ApplyEmbeddedAttr(heldAttrCode);
        return false;
    }
    view->WriteOverMark();
    view->UpdateCursor();
    return true;
}

void CWyse50Emulator::EscScreenAttr() { currentHandler = &CWyse50Emulator::CollectScreenAttr; }

void CWyse50Emulator::CollectScreenAttr(unsigned char b) {
    unsigned attr = AttributeFromCode(b);
    if (mode & kProtectMode) {
        for (int row = 0; row < screen::kShownRows; ++row) view->SetAttrToEolAt(row, 0, attr);
    } else {
        view->SetAttrScreen(attr);
    }
    ReturnToGround();
}

void CWyse50Emulator::EscAreaAttr() { currentHandler = &CWyse50Emulator::CollectArea; }

void CWyse50Emulator::CollectArea(unsigned char b) {
    paramText[0] = static_cast<char>(b);
    currentHandler = &CWyse50Emulator::CollectAreaAttr;
}

void CWyse50Emulator::CollectAreaAttr(unsigned char b) {
    paramText[1] = static_cast<char>(b);
    if (paramText[0] == '0')
        view->SetAttrScreen(AttributeFromCode(b));
    else if (paramText[0] == '1')
        view->SetAttrRunAt(screen::kExtraRow, 0, screen::kColumns, AttributeFromCode(b));
    ReturnToGround();
}

void CWyse50Emulator::EscIntensity() { currentHandler = &CWyse50Emulator::CollectIntensity; }

void CWyse50Emulator::CollectIntensity(unsigned char b) {
    if (b == '1')
        view->SetAttrOverride(view->GetAttrOverride() | cell::kAltIntensity);
    else
        view->SetAttrOverride(view->GetDefaultAttr());
    ReturnToGround();
}

void CWyse50Emulator::EscNoOverride() {
    view->SetAttrOverride(0);
    ReturnToGround();
}

void CWyse50Emulator::EscProtectOn() {
    mode |= kProtectMode;
    ReturnToGround();
}

void CWyse50Emulator::EscProtectOff() {
    mode &= ~kProtectMode;
    ReturnToGround();
}

void CWyse50Emulator::EscWriteProtectOn() {
    mode |= kWriteProtectMode;
    view->WriteProtectOn();
    ReturnToGround();
}

void CWyse50Emulator::EscWriteProtectOff() {
    mode &= ~kWriteProtectMode;
    view->WriteProtectOff();
    ReturnToGround();
}

void CWyse50Emulator::EscProtectColumn() {
    view->ApplyWriteAttrDown();
    ReturnToGround();
}

void CWyse50Emulator::EscFeature() { currentHandler = &CWyse50Emulator::CollectFeature; }

namespace {
// Screen features after ESC `: a view operation or a write attribute per byte.
struct Feature {
    void (CTermView::*operation)() = nullptr;
    unsigned writeAttr = 0;
};

struct FeatureTable {
    Feature entries[96];
    FeatureTable() {
        auto op = [this](char c, void (CTermView::*f)()) { entries[c - 0x20].operation = f; };
        auto wa = [this](char c, unsigned bits) { entries[c - 0x20].writeAttr = bits; };
        op('0', &CTermView::HideCursor);
        op('1', &CTermView::ShowCursor);
        op('2', &CTermView::BlockCursor);
        op('5', &CTermView::BlockCursor);
        op('3', &CTermView::LineCursor);
        op('4', &CTermView::LineCursor);
        op(':', &CTermView::ClearScreen);
        op(';', &CTermView::ClearScreen);
        wa('6', 0x2100);
        wa('B', 0x2100);
        wa('7', 0x2000);
        wa('A', 0x8002000);
        wa('C', 0x8002800);
        wa('D', 0x2800);
        wa('E', 0x8002900);
        wa('F', 0x2900);
    }
    const Feature* Find(unsigned char b) const {
        return b >= 0x20 && b < 0x80 ? &entries[b - 0x20] : nullptr;
    }
};

const FeatureTable kFeatures;
}  // namespace

void CWyse50Emulator::CollectFeature(unsigned char b) {
    if (b == 'c') {  // scroll mode: one more byte
        currentHandler = &CWyse50Emulator::CollectScrollFeature;
        return;
    }
    if (const Feature* feature = kFeatures.Find(b)) {
        if (feature->operation) (view->*(feature->operation))();
        if (feature->writeAttr) view->SetWriteAttr(feature->writeAttr);
    }
    ReturnToGround();
}

void CWyse50Emulator::CollectScrollFeature(unsigned char b) {
    if (b >= '<' && b <= '?')
        view->SetScrollMode(0);
    else if (b == '@')
        view->SetScrollMode(1);
    ReturnToGround();
}

void CWyse50Emulator::EscReverseScreen() { currentHandler = &CWyse50Emulator::CollectReverseScreen; }

void CWyse50Emulator::CollectReverseScreen(unsigned char b) {
    if (b == '0')
        view->ReverseScreenOff();
    else if (b == '1')
        view->ReverseScreenOn();
    ReturnToGround();
}

void CWyse50Emulator::EscScrollOff() {
    noScrollFlag = 0;
    ReturnToGround();
}

void CWyse50Emulator::EscScrollOn() {
    noScrollFlag = 1;
    ReturnToGround();
}

void CWyse50Emulator::EscSkipOne() { currentHandler = &CWyse50Emulator::CollectSkip; }

void CWyse50Emulator::CollectSkip(unsigned char) { ReturnToGround(); }

void CWyse50Emulator::EscGraphics() { currentHandler = &CWyse50Emulator::CollectGraphics; }

// A selector byte is written like a received printable byte; STX and ETX
// switch graphics mode.
void CWyse50Emulator::CollectGraphics(unsigned char b) {
    if (wyse50::IsGraphicsSelector(b)) {
        (this->*printHandlers[mode & 0xF])(wyse50::GraphicsCharacter(b));
    } else if (b == 0x02) {
        mode |= kGraphicsMode;
    } else if (b == 0x03) {
        mode &= ~kGraphicsMode;
    }
    ReturnToGround();
}
