// Construction of the Wyse 50 emulator: buffers, the screen-lines file and
// the dispatch tables.
#include "emu/CWyse50Emulator.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "emu/CellWords.h"
#include "print/CTermPrinter.h"
#include "view/CTermView.h"
#include "view/MessageBoxes.h"

namespace {
const char kScreenLinesFile[] = "SCRLINES.SRC";
}  // namespace

CWyse50Emulator::CWyse50Emulator(int* error, CTermController* ctl, CTermView* v, CTermComm* comms,
                                 CTermPrinter* p)
    : CTermEmulator(error, ctl, v, comms, p) {
    if (error) *error = 0;
    FillTables();
    mode = 0;
    currentHandler = printHandlers[0];
    AllocateBuffers();
    LoadScreenLinesFile();
}

CWyse50Emulator::~CWyse50Emulator() = default;

void CWyse50Emulator::AllocateBuffers() {
    for (auto& buffer : screenBuffers) {
        buffer.reset(new (std::nothrow) unsigned char[kScreenBufferSize]());
        if (!buffer) view->MessageBox("Error Allocating Memory", "Memory Error", mb::kIconExclamation);
    }
    for (auto& record : lineRecords) {
        record.reset(new (std::nothrow) unsigned char[kLineRecordSize]());
        if (!record) view->MessageBox("Error Allocating Memory", "Memory Error", mb::kIconExclamation);
    }
}

// "SCRLINES.SRC" holds 201 records of two screen rows each. A new file starts
// with every record a copy of the (blank) top two rows of the screen.
void CWyse50Emulator::LoadScreenLinesFile() {
    unsigned char blankRecord[kLineRecordSize];
    for (int i = 0; i < kLineRecordSize / 4; ++i)
        StoreCellWord(blankRecord + 4 * i, view->GetCellAt(i / screen::kColumns, i % screen::kColumns));

    std::FILE* file = std::fopen(kScreenLinesFile, "r+b");
    bool existed = file != nullptr;
    if (!file) file = std::fopen(kScreenLinesFile, "w+b");
    if (!file) {
        // The message names the file as it always has.
        view->MessageBox("Error Creating SCRELINES.SRC", "File Creation Error", mb::kIconExclamation);
        return;
    }
    unsigned char skipped[kLineRecordSize];
    for (auto& record : lineRecords) {
        unsigned char* target = record ? record.get() : skipped;
        if (existed) {
            size_t got = std::fread(target, 1, kLineRecordSize, file);
            // A short file keeps blank records where it has none.
            if (got < static_cast<size_t>(kLineRecordSize) && record)
                std::copy(blankRecord + got, blankRecord + kLineRecordSize, target + got);
        } else {
            if (record) std::copy(blankRecord, blankRecord + kLineRecordSize, target);
            std::fwrite(blankRecord, 1, kLineRecordSize, file);
        }
    }
    std::fclose(file);
}

void CWyse50Emulator::EscIgnore() { ReturnToGround(); }

void CWyse50Emulator::ExtFState() { currentHandler = &CWyse50Emulator::EscFState; }

void CWyse50Emulator::EscPrintCapture() {
    printCapture.Start();
    currentHandler = &CWyse50Emulator::CollectPrintCapture;
}

// Nothing is interpreted or shown until SUB: ESC, CR, NUL and the rest are
// print data.
void CWyse50Emulator::CollectPrintCapture(unsigned char b) {
    if (b != 0x1A) {
        printCapture.Put(b);
        return;
    }
    printCapture.Finish(printer);
    ReturnToGround();
}
