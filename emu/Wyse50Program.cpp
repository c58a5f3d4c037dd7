// ESC z: function-key strings, function-key labels and the message line.
// Texts are written in place as they arrive, so one never ended stays as far
// as it came.
#include <cstring>

#include "emu/CWyse50Emulator.h"
#include "view/CTermView.h"

namespace {
constexpr unsigned char kKeyStringEnd = 0x7F;  // DEL
constexpr unsigned char kTextEnd = 0x0D;        // CR
constexpr int kMessageLength = 131;
}  // namespace

void CWyse50Emulator::EscProgram() { currentHandler = &CWyse50Emulator::CollectProgramTarget; }

void CWyse50Emulator::CollectProgramTarget(unsigned char k) {
    collectCount = 0;
    if (k >= 0x40 && k <= 0x4F) {
        collectPtr = functionKeyStrings[0][k - 0x40];
    } else if (k >= 0x60 && k <= 0x6F) {
        collectPtr = functionKeyStrings[1][k - 0x60];
    } else if (k >= 0x30 && k <= 0x3F) {
        collectPtr = view->MessageLineBuffer() + LabelOffset(k - 0x30);
        currentHandler = &CWyse50Emulator::CollectLabel;
        return;
    } else if (k == '(') {
        collectPtr = view->MessageLineBuffer();
        currentHandler = &CWyse50Emulator::CollectMessageLine;
        return;
    } else {
        ReturnToGround();
        return;
    }
    collectPtr[0] = '\0';
    currentHandler = &CWyse50Emulator::CollectKeyString;
}

// Any byte up to DEL is kept, control bytes and ESC included; a slot holds 79.
void CWyse50Emulator::CollectKeyString(unsigned char b) {
    if (b == kKeyStringEnd) {
        ReturnToGround();
        return;
    }
    if (collectCount < kKeyStringSize - 1) {
        collectPtr[collectCount++] = static_cast<char>(b);
        collectPtr[collectCount] = '\0';
    }
}

void CWyse50Emulator::CollectLabel(unsigned char b) { FinishMessageText(b, kLabelLength); }

void CWyse50Emulator::CollectMessageLine(unsigned char b) { FinishMessageText(b, kMessageLength); }

// Up to limit bytes are kept; CR pads with spaces to limit, the byte after
// the limit is dropped. Either way the message line is shown.
void CWyse50Emulator::FinishMessageText(unsigned char b, int limit) {
    if (b != kTextEnd && collectCount < limit) {
        collectPtr[collectCount++] = static_cast<char>(b);
        return;
    }
    if (b == kTextEnd && collectCount < limit)
        std::memset(collectPtr + collectCount, ' ', static_cast<size_t>(limit - collectCount));
    view->ShowMessageLine();
    ReturnToGround();
}
