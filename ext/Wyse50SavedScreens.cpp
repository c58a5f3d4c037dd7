// Saved screens and stored lines: ESC s, ESC u, ESC <, ESC > (and their ESC F
// forms), and ESC F S. Every position read or written lies inside the 80 x 26
// store, every record number inside the 201 records.
#include <cstdio>
#include <cstring>

#include "emu/CWyse50Emulator.h"
#include "emu/CellWords.h"
#include "view/CTermView.h"
#include "view/MessageBoxes.h"

namespace {
constexpr char kScreenLinesFile[] = "SCRLINES.SRC";
constexpr int kCellsPerScreen = screen::kShownRows * screen::kColumns;  // 2000
constexpr int kWordsPerRecord = CWyse50Emulator::kLineRecordSize / 4;  // 160
constexpr int kRecallRows = 24;          // ESC > writes on rows 0..23
constexpr int kRecallLastColumn = 78;    // and never past column 78 once started

// Parameter bytes carry their value plus 0x20, read as a signed byte.
int Param(unsigned char b) { return static_cast<signed char>(b) - 0x20; }

bool ValidRecord(int k) { return k >= 0 && k < CWyse50Emulator::kLineRecords; }

}  // namespace

// ---- ESC s p: save into buffer (p - '0') / 2, or restore from it ----

void CWyse50Emulator::EscSaveScreen() { currentHandler = &CWyse50Emulator::CollectSaveScreen; }

void CWyse50Emulator::CollectSaveScreen(unsigned char p) {
    ReturnToGround();
    if (p < '0' || p > 'M') return;
    const int k = p - '0';
    unsigned char* buffer = screenBuffers[k / 2].get();
    if (!buffer) return;  // never allocated
    if (k % 2 == 0) {
        for (int i = 0; i < kCellsPerScreen; ++i)
            StoreCellWord(buffer + 4 * i, view->GetCellAt(i / screen::kColumns, i % screen::kColumns));
        StoreCellWord(buffer + 4 * kCellsPerScreen, static_cast<unsigned>(view->GetRow()));
        StoreCellWord(buffer + 4 * (kCellsPerScreen + 1), static_cast<unsigned>(view->GetColumn()));
        return;
    }
    // A buffer never saved holds zero words: NUL cells, shown blank, and the
    // cursor at home.
    for (int i = 0; i < kCellsPerScreen; ++i) {
        const unsigned word = LoadCellWord(buffer + 4 * i);
        view->PutCellAt(i / screen::kColumns, i % screen::kColumns, &word);
    }
    view->InvalidateCells(0, 0, screen::kShownRows, screen::kColumns);
    view->SetCursorPos(static_cast<int>(LoadCellWord(buffer + 4 * kCellsPerScreen)),
                       static_cast<int>(LoadCellWord(buffer + 4 * (kCellsPerScreen + 1))));
}

// ---- ESC u n m: the attributes of n cells from the cursor ----

void CWyse50Emulator::EscAttrRun() {
    collectCount = 0;
    paramText[0] = '\0';
    currentHandler = &CWyse50Emulator::CollectAttrRun;
}

void CWyse50Emulator::CollectAttrRun(unsigned char b) {
    if (!CollectParams(b, 2)) return;
    int count = Param(static_cast<unsigned char>(paramText[0]));
    const bool save = paramText[1] == '0';
    paramText[0] = '\0';
    const int row = view->GetRow(), col = view->GetColumn();
    // The run stops at the end of the row (and of the saved words).
    if (count > screen::kColumns - col) count = screen::kColumns - col;
    if (count > kAttrRunSize) count = kAttrRunSize;
    if (row >= 0 && row < screen::kStoredRows && col >= 0) {
        if (save) {
            for (int i = 0; i < count; ++i) attrRun[i] = view->GetAttrAt(row, col + i);
        } else {
            for (int i = 0; i < count; ++i) view->SetAttrAt(row, col + i, attrRun[i]);
            view->InvalidateCursorLine();
        }
    }
    ReturnToGround();
}

// ---- ESC < n: rows 0 and 1 as line record n - 0x20, memory and file ----

void CWyse50Emulator::EscStoreLine() { currentHandler = &CWyse50Emulator::CollectStoreLine; }

void CWyse50Emulator::CollectStoreLine(unsigned char n) {
    ReturnToGround();
    const int k = n - 0x20;
    // Records 0..199 take the screen; 200 exists but is only ever written
    // back from memory. Other numbers name no record at all.
    if (!ValidRecord(k) || !lineRecords[k]) return;
    std::FILE* file = std::fopen(kScreenLinesFile, "r+b");
    if (!file) {
        view->MessageBox("SCRLINES.SRC Open file failure", "File Open Error", mb::kIconExclamation);
        return;
    }
    unsigned char* record = lineRecords[k].get();
    if (k < kLineRecords - 1)
        for (int i = 0; i < kWordsPerRecord; ++i)
            StoreCellWord(record + 4 * i, view->GetCellAt(i / screen::kColumns, i % screen::kColumns));
    if (std::fseek(file, static_cast<long>(k) * kLineRecordSize, SEEK_SET) != 0) {
        view->MessageBox("Error setting file position", "File Write Error", mb::kIconExclamation);
        std::fclose(file);
        return;
    }
    std::fwrite(record, 1, kLineRecordSize, file);
    std::fclose(file);
}

// ---- ESC > r c n: line record n written at (r, c) ----

void CWyse50Emulator::EscRecallLine() { currentHandler = &CWyse50Emulator::CollectRecallRow; }

void CWyse50Emulator::CollectRecallRow(unsigned char r) {
    const int row = r - 0x20;
    recallRow = row >= 0 && row < kRecallRows ? row : 0;
    currentHandler = &CWyse50Emulator::CollectRecallColumn;
}

void CWyse50Emulator::CollectRecallColumn(unsigned char c) {
    recallColumn = Param(c);
    currentHandler = &CWyse50Emulator::CollectRecallRecord;
}

unsigned CWyse50Emulator::LineRecordWord(int record, int index) const {
    return LoadCellWord(lineRecords[record].get() + 4 * index);
}

void CWyse50Emulator::CollectRecallRecord(unsigned char n) {
    ReturnToGround();
    const int k = n - 0x20;
    // A start outside the row writes nothing.
    if (!ValidRecord(k) || !lineRecords[k] || recallColumn < 0 || recallColumn >= screen::kColumns) return;
    for (int i = 0; i < screen::kColumns; ++i) {
        const unsigned word = LineRecordWord(k, i);
        // Two plain spaces, this cell and the one after next, end the line.
        if (word == 0x20 && LineRecordWord(k, i + 2) == 0x20) break;
        view->PutCellAt(recallRow, recallColumn, &word);
        if (++recallColumn >= kRecallLastColumn + 1) recallColumn = kRecallLastColumn;
    }
    view->InvalidateCursorLine();
}
