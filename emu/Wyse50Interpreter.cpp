// The byte interpreter: receiving blocks, the ground state and its run
// batching, the ESC and ESC F states, and printer pass-through.
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "emu/CWyse50Emulator.h"
#include "emu/GraphicsCharacters.h"
#include "net/CTermComm.h"
#include "print/CTermPrinter.h"
#include "session/CTermController.h"
#include "view/CTermView.h"
#include "view/MessageBoxes.h"

namespace {

constexpr int kLineEnd = screen::kColumns;
constexpr unsigned char kEscape = 0x1B;

// Index of the first byte below 0x20 in [p, p + len), or len. Text runs are
// long and control bytes rare, so this looks at 16 or 8 bytes at a time.
int PrintableRunLength(const unsigned char* p, int len) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i limit = _mm_set1_epi8(0x1F);
    for (; i + 16 <= len; i += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        // A byte is a control byte when min(byte, 0x1F) == byte (unsigned).
        int controls = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(v, limit), v));
        if (controls) return i + __builtin_ctz(static_cast<unsigned>(controls));
    }
#endif
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    constexpr uint64_t kHighs = 0x8080808080808080ull;
    for (; i + 8 <= len; i += 8) {
        uint64_t word;
        std::memcpy(&word, p + i, sizeof word);
        // Nonzero when some byte of the word is below 0x20; the byte loop
        // below then finds which.
        uint64_t controls = (word - kOnes * 0x20) & ~word & kHighs;
        if (controls) break;
    }
    while (i < len && p[i] >= 0x20) ++i;
    return i;
}

}  // namespace

// A character written over an attribute mark removes the mark, and the
// attribute before it runs on.
inline void CWyse50Emulator::CheckMarkAtCursor() {
    if (view->IsMarked()) view->WriteOverMark();
}

void CWyse50Emulator::OnReceive(const char* data, int len) {
    if (!data || len <= 0) return;
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    // Logging only changes through a menu command, never while a block is
    // being interpreted; while it is on every byte goes its own way.
    if (view->IsLogging()) {
        for (int i = 0; i < len; ++i) {
            (this->*currentHandler)(bytes[i]);
            view->LogChar(bytes[i]);
        }
        FlushPending();
        return;
    }
    // In local mode a handler's transmission comes back through here while
    // the outer block is still being worked through.
    const bool outerBulk = bulkReceive;
    bulkReceive = true;
    int i = 0;
    while (i < len) {
        // Never reached with an attribute held: one is held only as the
        // state returns to ground, and the next byte is taken below.
        if (currentHandler != &CWyse50Emulator::Ground) {
            (this->*currentHandler)(bytes[i++]);
            continue;
        }
        // The ground state without its per-byte call: runs of text in bulk,
        // control bytes straight to their table entry. Pending text is
        // always empty while an attribute is held (it came after an ESC).
        if (bytes[i] < 0x20) {
            FlushPending();
            ReleaseHeldAttr();
            // ESC and its next byte in one step when both are here: what
            // the ESC state would do with a byte 0x20..0x7F.
            if (bytes[i] == kEscape && i + 1 < len && bytes[i + 1] >= 0x20 && bytes[i + 1] < 0x80) {
                // Cursor addressing, the commonest sequence of all, with
                // its row and column here too: the collectors called
                // directly rather than through the state pointer.
                if (bytes[i + 1] == '=' && i + 3 < len) {
                    CollectAddressRow(bytes[i + 2]);
                    CollectAddressColumn(bytes[i + 3]);
                    i += 4;
                    continue;
                }
                (this->*escapeTable[bytes[i + 1] - 0x20])();
                i += 2;
                continue;
            }
            (this->*controlTable[bytes[i++]])();
            continue;
        }
        int run = PrintableRunLength(bytes + i, len - i);
        ConsumeTextRun(bytes + i, run);
        i += run;
    }
    FlushPending();
    ReleaseHeldAttr();
    bulkReceive = outerBulk;
}

void CWyse50Emulator::FlushPending() {
    if (pendingCount > 0) {
        const char* run = pendingRun;
        int count = pendingCount;
        pendingCount = 0;
        pendingRun = pendingText;
        view->PutText(run, count);
    }
}

// Text that arrived in one piece stays where it is until it is flushed.
void CWyse50Emulator::AppendFromBlock(const unsigned char* bytes, int n) {
    const char* text = reinterpret_cast<const char*>(bytes);
    if (pendingCount == 0) {
        pendingRun = text;
    } else if (pendingRun + pendingCount != text) {
        AppendCopy(text, n);
        return;
    }
    pendingCount += n;
}

void CWyse50Emulator::AppendCopy(const char* text, int n) {
    if (pendingRun != pendingText) {
        std::memmove(pendingText, pendingRun, static_cast<size_t>(pendingCount));
        pendingRun = pendingText;
    }
    std::memcpy(pendingText + pendingCount, text, static_cast<size_t>(n));
    pendingCount += n;
}

void CWyse50Emulator::AppendPrintable(unsigned char b, int col) {
    const char c = static_cast<char>(b);
    AppendCopy(&c, 1);
    if (col + pendingCount >= kLineEnd || pendingCount >= kLineEnd) FlushPending();
    CheckMarkAtCursor();
}

void CWyse50Emulator::Ground(unsigned char b) {
    int col = view->GetColumn();
    if (b < 0x20) {
        FlushPending();
        (this->*controlTable[b])();
        return;
    }
    AppendPrintable(b, col);
}

// Same effect as Ground on every byte of a printable run, with the view
// queried only when its answer can have changed: the column and the mark at
// the cursor change only when a run is flushed, and the mark check is a no-op
// once it has been made at the current cursor position. The text goes in
// chunks that end with the byte that fills the line.
void CWyse50Emulator::ConsumeTextRun(const unsigned char* text, int len) {
    int col = view->GetColumn();
    bool markChecked = attrHeld && MergeHeldAttrWithText(col);
    // The common case: a word or a field that ends before the line does.
    if (pendingCount == 0 && col >= 0 && col + len < kLineEnd) {
        if (!markChecked) CheckMarkAtCursor();
        pendingRun = reinterpret_cast<const char*>(text);
        pendingCount = len;
        return;
    }
    while (len > 0) {
        int room = kLineEnd - pendingCount - (col > 0 ? col : 0);
        if (room < 1) room = 1;
        const int take = room < len ? room : len;
        const bool fillsLine = col + pendingCount + take >= kLineEnd || pendingCount + take >= kLineEnd;
        // The check after the chunk's first byte, unless that byte is the one
        // that flushes (then the check happens at the new position below).
        if (!markChecked && !(fillsLine && take == 1)) {
            CheckMarkAtCursor();
            markChecked = true;
        }
        AppendFromBlock(text, take);
        text += take;
        len -= take;
        if (fillsLine) {
            FlushPending();
            col = view->GetColumn();
            CheckMarkAtCursor();
            markChecked = true;
        }
    }
}

void CWyse50Emulator::GroundGraphics(unsigned char b) {
    Ground(wyse50::IsGraphicsSelector(b) ? wyse50::GraphicsCharacter(b) : b);
}

void CWyse50Emulator::GroundProtect(unsigned char b) {
    Ground(b);
    view->NextUnprotected();
}

void CWyse50Emulator::GroundGraphicsProtect(unsigned char b) {
    GroundGraphics(b);
    view->NextUnprotected();
}

void CWyse50Emulator::SendBytes(const char* data, int len) {
    if (controller) controller->SendToHost(data, len);
}

// A control byte inside an escape sequence neither acts nor cancels it.
// The entry runs from the ground state (it sets a collector or returns to
// ground itself): in local mode what it transmits comes straight back
// through OnReceive, and must be taken as text, not as the rest of this
// sequence.
void CWyse50Emulator::EscState(unsigned char b) {
    if (b < 0x20) return;
    ReturnToGround();
    if (b < 0x80) (this->*escapeTable[b - 0x20])();
}

void CWyse50Emulator::EscFState(unsigned char b) {
    if (b < 0x20) return;
    ReturnToGround();
    if (b < 0x80) (this->*extensionTable[b - 0x20])();
}

void CWyse50Emulator::PassThrough(unsigned char b) {
    if (b == 0x20) {
        ReturnToGround();
        return;
    }
    char c = static_cast<char>(b);
    printer->Write(&c, 1);
}

// ---- control characters ----

void CWyse50Emulator::CtlEnq() { SendBytes("\x60", 1); }
void CWyse50Emulator::CtlBell() { view->Beep(); }
void CWyse50Emulator::CtlBackspace() { view->Backspace(); }
void CWyse50Emulator::CtlTab() { view->Tab(); }
void CWyse50Emulator::CtlLineFeed() { view->LineFeed(); }
void CWyse50Emulator::CtlCursorUp() { view->CursorUp(); }
void CWyse50Emulator::CtlCursorRight() { view->CursorRight(); }
void CWyse50Emulator::CtlCarriageReturn() { view->CarriageReturn(); }
void CWyse50Emulator::CtlCursorLeft() { view->CursorLeft(); }
void CWyse50Emulator::CtlHome() { view->CursorHome(); }
void CWyse50Emulator::CtlEscape() { currentHandler = &CWyse50Emulator::EscState; }

void CWyse50Emulator::CtlNewLine() {
    view->CarriageReturn();
    view->LineFeed();
}

void CWyse50Emulator::CtlPrinterOn() {
    if (printer && printer->Open() == 1) {
        currentHandler = &CWyse50Emulator::PassThrough;
        return;
    }
    view->MessageBox("Cannot open printer.", "Printer Error", mb::kIconExclamation);
    ReturnToGround();
}

void CWyse50Emulator::CtlPrinterClose() {
    if (printer) printer->Close();
}

void CWyse50Emulator::CtlSendAddress() {
    char address[17] = {};
    if (transport) transport->GetLocalAddress(address, 16);
    address[16] = '\0';
    size_t n = std::strlen(address);
    address[n] = '\r';
    SendBytes(address, static_cast<int>(n + 1));
}

void CWyse50Emulator::CtlClearUnprotected() {
    unsigned d = view->GetDefaultAttr();
    if (mode & kProtectMode) {
        for (int row = 0; row < screen::kShownRows; ++row) view->SetCharToEolAt(row, 0, ' ');
        view->CursorHome();
    } else {
        view->FillScreen(d | 0x20);
        view->ClearAllMarks();
        view->CursorHome();
    }
}
