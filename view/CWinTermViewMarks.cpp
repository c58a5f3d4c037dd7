// Attribute marks and tab stops: one flag per column, 8 columns in the low
// byte of each flag word. Row 25 of the marks is the tab-stop row. The scans
// look at a word at a time because the interpreter asks on every attribute
// change and every tab.
#include "view/CWinTermView.h"

#include <cstdint>
#include <cstring>

namespace {
constexpr int kFlagColumns = screen::kFlagColumns;
constexpr int kLastWord = screen::kFlagWords - 1;
constexpr int kTabRow = screen::kStoredRows - 1;

inline int LowestBit(unsigned v) {
#if defined(__GNUC__) || defined(__clang__)
    return __builtin_ctz(v);
#else
    int n = 0;
    while (!(v & 1u)) { v >>= 1; ++n; }
    return n;
#endif
}

inline int HighestBit(unsigned v) {
#if defined(__GNUC__) || defined(__clang__)
    return 31 - __builtin_clz(v);
#else
    int n = 31;
    while (!(v & 0x80000000u)) { v <<= 1; --n; }
    return n;
#endif
}

// Whether the flag bytes of words[0..3] are all clear.
inline bool FourWordsEmpty(const unsigned* words) {
    std::uint64_t a, b;
    std::memcpy(&a, words, sizeof a);
    std::memcpy(&b, words + 2, sizeof b);
    return ((a | b) & 0x000000FF000000FFull) == 0;
}

// First flagged column in [from, end), or end when there is none.
int FirstFlag(const unsigned* words, int from, int end) {
    if (from < 0) from = 0;
    if (end > kFlagColumns) end = kFlagColumns;
    if (from >= end) return end;
    int w = from >> 3;
    const int lastWord = (end - 1) >> 3;
    unsigned bits = words[w] & (0xFFu << (from & 7)) & 0xFFu;
    for (;;) {
        if (bits) {
            const int col = (w << 3) + LowestBit(bits);
            return col < end ? col : end;
        }
        if (++w > lastWord) return end;
        // Rows hold few marks: pass over four empty words at a time.
        while (w + 3 <= lastWord && FourWordsEmpty(words + w)) w += 4;
        if (w > lastWord) return end;
        bits = words[w] & 0xFFu;
    }
}

// Last flagged column in [from, end), or -1 when there is none.
int LastFlag(const unsigned* words, int from, int end) {
    if (from < 0) from = 0;
    if (end > kFlagColumns) end = kFlagColumns;
    if (from >= end) return -1;
    int w = (end - 1) >> 3;
    const int firstWord = from >> 3;
    unsigned bits = words[w] & (0xFFu >> (7 - ((end - 1) & 7)));
    for (;;) {
        if (bits) {
            const int col = (w << 3) + HighestBit(bits);
            return col >= from ? col : -1;
        }
        if (--w < firstWord) return -1;
        while (w - 3 >= firstWord && FourWordsEmpty(words + w - 3)) w -= 4;
        if (w < firstWord) return -1;
        bits = words[w] & 0xFFu;
    }
}
}  // namespace

// Marks.

void CWinTermView::SetMark() { SetFlag(cursorRow, cursorCol, true); }
int CWinTermView::IsMarked() { return FlagAt(cursorRow, cursorCol) ? 1 : 0; }
int CWinTermView::IsMarkedAt(int row, int col) { return FlagAt(row, col) ? 1 : 0; }
void CWinTermView::ClearMarkAt(int row, int col) { SetFlag(row, col, false); }
void CWinTermView::ClearMark() { SetFlag(cursorRow, cursorCol, false); }

int CWinTermView::NextMark(int* row, int* col) {
    if (!row || !col) return screen::kColumns;
    int c = *col;
    c = c < screen::kColumns ? c + 1 : screen::kColumns;
    if (c < screen::kColumns)
        c = ValidRow(*row) ? FirstFlag(marks[*row], c, screen::kColumns) : screen::kColumns;
    *col = c;
    return c;
}

int CWinTermView::PrevMark(int* row, int* col) {
    if (!row || !col) return 0;
    int c = *col;
    if (c > 0) --c;
    if (c > 0) {
        if (c >= kFlagColumns) c = kFlagColumns - 1;
        const int found = ValidRow(*row) ? LastFlag(marks[*row], 1, c + 1) : -1;
        c = found < 0 ? 0 : found;
    } else {
        c = 0;
    }
    *col = c;
    return c;
}

unsigned CWinTermView::GetMarkAttr() {
    int row = cursorRow, col = cursorCol;
    PrevMark(&row, &col);
    return GetAttrAt(row, col);
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
    ClearMarkAt(row, screen::kColumns);
}

void CWinTermView::ScrollMarksUp() {
    std::memmove(marks[0], marks[1], sizeof marks[0] * (screen::kShownRows - 1));
    std::memset(marks[screen::kShownRows - 1], 0, sizeof marks[0]);
}

void CWinTermView::ScrollMarksDown() {
    std::memmove(marks[1], marks[0], sizeof marks[0] * (screen::kShownRows - 1));
    std::memset(marks[0], 0, sizeof marks[0]);
}

void CWinTermView::ClearAllMarks() { std::memset(marks, 0, sizeof marks[0] * screen::kShownRows); }

// Tab stops.

void CWinTermView::SetTabStop() { SetFlag(kTabRow, cursorCol, true); }
void CWinTermView::ClearTabStop() { SetFlag(kTabRow, cursorCol, false); }

void CWinTermView::ClearAllTabStops() {
    std::memset(marks[kTabRow], 0, sizeof marks[kTabRow]);
    SetFlag(kTabRow, 0, true);
}

int CWinTermView::PrevTabStop(int col) {
    if (col <= 0) return col;
    const int found = LastFlag(marks[kTabRow], 0, col < kFlagColumns ? col : kFlagColumns);
    return found < 0 ? 0 : found;
}

void CWinTermView::Tab() {
    const int from = cursorCol < screen::kColumns ? cursorCol + 1 : screen::kColumns;
    PlaceCursor(cursorRow, FirstFlag(marks[kTabRow], from, screen::kColumns));
}
