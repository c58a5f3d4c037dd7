// Attribute marks and tab stops: one flag per column, 8 columns in the low
// byte of each flag word. Row 25 of the marks is the tab-stop row. Every
// change is mirrored into a row of 64-bit words (flagBits), and the scans
// answer from those: the interpreter asks on every attribute change, every
// character written over a mark and every tab.
#include "view/CWinTermView.h"
#include "view/CellRuns.h"

#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
constexpr int kFlagColumns = screen::kFlagColumns;
constexpr int kLastWord = screen::kFlagWords - 1;
constexpr int kTabRow = screen::kStoredRows - 1;

inline int LowestBit(std::uint64_t v) {
#if defined(__GNUC__) || defined(__clang__)
    return __builtin_ctzll(v);
#else
    int n = 0;
    while (!(v & 1u)) { v >>= 1; ++n; }
    return n;
#endif
}

inline int HighestBit(std::uint64_t v) {
#if defined(__GNUC__) || defined(__clang__)
    return 63 - __builtin_clzll(v);
#else
    int n = 63;
    while (!(v >> 63)) { v <<= 1; --n; }
    return n;
#endif
}

using FlagBits = CWinTermView::FlagBits;

// Gathers the low byte of each of the 17 flag words (the rest is always 0).
inline FlagBits GatherFlags(const unsigned* words) {
    FlagBits bits;
#if defined(__SSE2__)
    const __m128i low = _mm_set1_epi32(0xFF);
    auto load = [&](int i) {
        return _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(words + i)), low);
    };
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(load(0), load(4)), _mm_packs_epi32(load(8), load(12)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bits.part), bytes);
#else
    bits.part[0] = bits.part[1] = 0;
    for (int i = 0; i < 16; ++i) bits.part[i >> 3] |= std::uint64_t(words[i] & 0xFFu) << ((i & 7) * 8);
#endif
    bits.part[2] = words[16] & 0xFFu;
    return bits;
}

// First flagged column in [from, end), or end when there is none.
int FirstFlag(const FlagBits& bits, int from, int end) {
    if (from < 0) from = 0;
    if (end > kFlagColumns) end = kFlagColumns;
    if (from >= end) return end;
    for (int k = from >> 6; k <= (end - 1) >> 6; ++k) {
        std::uint64_t m = bits.part[k];
        if (k == from >> 6) m &= ~std::uint64_t(0) << (from & 63);
        if (m) {
            const int col = (k << 6) + LowestBit(m);
            return col < end ? col : end;
        }
    }
    return end;
}

// Last flagged column in [from, end), or -1 when there is none.
int LastFlag(const FlagBits& bits, int from, int end) {
    if (from < 0) from = 0;
    if (end > kFlagColumns) end = kFlagColumns;
    if (from >= end) return -1;
    for (int k = (end - 1) >> 6; k >= from >> 6; --k) {
        std::uint64_t m = bits.part[k];
        if (k == (end - 1) >> 6) m &= ~std::uint64_t(0) >> (63 - ((end - 1) & 63));
        if (m) {
            const int col = (k << 6) + HighestBit(m);
            return col >= from ? col : -1;
        }
    }
    return -1;
}
}  // namespace

// Every single-flag change comes here; the interpreter clears a mark for
// nearly every embedded attribute, so the word and its bit copy are set here
// directly rather than through the base class's checked setter.
void CWinTermView::PutFlag(int row, int col, bool on) {
    if (!ValidRow(row) || col < 0 || col >= kFlagColumns) return;
    const unsigned flag = 1u << (col & 7);
    const std::uint64_t bit = std::uint64_t(1) << (col & 63);
    if (on) {
        marks[row][col >> 3] |= flag;
        flagBits[row].part[col >> 6] |= bit;
    } else {
        marks[row][col >> 3] &= ~flag;
        flagBits[row].part[col >> 6] &= ~bit;
    }
}

void CWinTermView::ResyncFlagBits(int row) {
    if (ValidRow(row)) flagBits[row] = GatherFlags(marks[row]);
}

// Marks.

void CWinTermView::SetMark() { PutFlag(cursorRow, cursorCol, true); }
int CWinTermView::IsMarked() { return FlagAt(cursorRow, cursorCol) ? 1 : 0; }
int CWinTermView::IsMarkedAt(int row, int col) { return FlagAt(row, col) ? 1 : 0; }
void CWinTermView::ClearMarkAt(int row, int col) { PutFlag(row, col, false); }
void CWinTermView::ClearMark() { PutFlag(cursorRow, cursorCol, false); }

int CWinTermView::NextMarkColumn(int row, int col) const {
    int c = col < screen::kColumns ? col + 1 : screen::kColumns;
    if (c < screen::kColumns) c = ValidRow(row) ? FirstFlag(flagBits[row], c, screen::kColumns) : screen::kColumns;
    return c;
}

int CWinTermView::PrevMarkColumn(int row, int col) const {
    int c = col;
    if (c > 0) --c;
    if (c <= 0) return 0;
    if (c >= kFlagColumns) c = kFlagColumns - 1;
    const int found = ValidRow(row) ? LastFlag(flagBits[row], 1, c + 1) : -1;
    return found < 0 ? 0 : found;
}

int CWinTermView::NextMark(int* row, int* col) {
    if (!row || !col) return screen::kColumns;
    return *col = NextMarkColumn(*row, *col);
}

int CWinTermView::PrevMark(int* row, int* col) {
    if (!row || !col) return 0;
    return *col = PrevMarkColumn(*row, *col);
}

unsigned CWinTermView::GetMarkAttr() {
    const unsigned* c = CellAt(cursorRow, PrevMarkColumn(cursorRow, cursorCol));
    return (c ? *c : BlankCell()) & ~cell::kCharMask;
}

// Here beside the scans and GetMarkAttr, so that WriteOverMark, on the
// interpreter's path for nearly every embedded attribute, is one call.
void CWinTermView::SetAttrToNextMark(unsigned attr) {
    const int row = cursorRow, col = cursorCol;
    if (!ValidRow(row) || !ValidCol(col)) return;  // column 80: no cells to set
    const int end = NextMarkColumn(row, col);
    const unsigned sizeBefore = LineSize(row);
    cellruns::SetAttr(RowCells(row) + col, end - col, attr);
    CellsChanged(row, col, end, sizeBefore);
}

void CWinTermView::WriteOverMark() {
    CWinTermView::ClearMark();
    CWinTermView::SetAttrToNextMark(CWinTermView::GetMarkAttr());
}

void CWinTermView::InsertMarkGap() {
    unsigned* words = marks[cursorRow];
    const int col = cursorCol;
    const int first = col >> 3;
    // Whole words from the top down, each taking the top flag of the word below.
    for (int w = kLastWord; w > first; --w)
        words[w] = ((words[w] << 1) | ((words[w - 1] >> 7) & 1u)) & 0xFFu;
    const unsigned keep = (1u << (col & 7)) - 1u;
    const unsigned v = words[first];
    words[first] = ((v & keep) | ((v & ~keep) << 1)) & 0xFFu;
    ResyncFlagBits(cursorRow);
}

void CWinTermView::DeleteMarkGap() {
    const int row = cursorRow;
    unsigned* words = marks[row];
    const int col = cursorCol;
    const int first = col >> 3;
    const unsigned keep = (1u << (col & 7)) - 1u;
    const unsigned v = words[first];
    const unsigned carry = first < kLastWord ? (words[first + 1] & 1u) << 7 : 0u;
    words[first] = ((v & keep) | ((v >> 1) & ~keep & 0x7Fu) | carry) & 0xFFu;
    for (int w = first + 1; w <= kLastWord; ++w) {
        const unsigned next = w < kLastWord ? (words[w + 1] & 1u) << 7 : 0u;
        words[w] = ((words[w] & 0xFFu) >> 1) | next;
    }
    ResyncFlagBits(row);
    ClearMarkAt(row, screen::kColumns);
}

void CWinTermView::ScrollMarksUp() {
    std::memmove(marks[0], marks[1], sizeof marks[0] * (screen::kShownRows - 1));
    std::memset(marks[screen::kShownRows - 1], 0, sizeof marks[0]);
    std::memmove(&flagBits[0], &flagBits[1], sizeof flagBits[0] * (screen::kShownRows - 1));
    flagBits[screen::kShownRows - 1] = FlagBits{};
}

void CWinTermView::ScrollMarksDown() {
    std::memmove(marks[1], marks[0], sizeof marks[0] * (screen::kShownRows - 1));
    std::memset(marks[0], 0, sizeof marks[0]);
    std::memmove(&flagBits[1], &flagBits[0], sizeof flagBits[0] * (screen::kShownRows - 1));
    flagBits[0] = FlagBits{};
}

void CWinTermView::ClearAllMarks() {
    std::memset(marks, 0, sizeof marks[0] * screen::kShownRows);
    for (int row = 0; row < screen::kShownRows; ++row) flagBits[row] = FlagBits{};
}

// Tab stops.

void CWinTermView::SetTabStop() { PutFlag(kTabRow, cursorCol, true); }
void CWinTermView::ClearTabStop() { PutFlag(kTabRow, cursorCol, false); }

void CWinTermView::ClearAllTabStops() {
    std::memset(marks[kTabRow], 0, sizeof marks[kTabRow]);
    flagBits[kTabRow] = FlagBits{};
    PutFlag(kTabRow, 0, true);
}

int CWinTermView::PrevTabStop(int col) {
    if (col <= 0) return col;
    const int found = LastFlag(flagBits[kTabRow], 0, col < kFlagColumns ? col : kFlagColumns);
    return found < 0 ? 0 : found;
}

void CWinTermView::Tab() {
    WrapBeforeMotion();
    const int from = cursorCol < screen::kColumns ? cursorCol + 1 : screen::kColumns;
    PlaceCursor(cursorRow, FirstFlag(flagBits[kTabRow], from, screen::kColumns));
}

void CWinTermView::BackTab() {
    WrapBeforeMotion();
    // SetCursorPos rather than a plain move: a cursor row of 25 still reports
    // its overflow.
    SetCursorPos(cursorRow, PrevTabStop(cursorCol));
}
