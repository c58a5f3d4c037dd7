// The host can hand the view any coordinate or count. Every operation must
// stay inside the cell store, the marks, the tab stops and the message line:
// only the cells and flags an operation names in range may change. Run under
// AddressSanitizer and UndefinedBehaviorSanitizer to catch the rest.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "tests/view/ViewHarness.h"

namespace {

const int kValues[] = {-1000, -1, 0, 24, 25, 26, 79, 80, 81, 135, 136, 1000, INT_MIN, INT_MAX};
const int kCounts[] = {INT_MIN, -1000, -1, 0, 1, 5, 80, 1000, INT_MAX};

struct Snapshot {
    std::vector<unsigned> cells;
    std::vector<bool> flags;
    std::string message;
};

Snapshot Take(ViewHarness& h) {
    Snapshot s;
    for (int i = 0; i < CWinTermView::kTableLines; ++i)
        s.cells.insert(s.cells.end(), h.view->TableLine(i), h.view->TableLine(i) + screen::kColumns);
    for (int r = 0; r < screen::kStoredRows; ++r)
        for (int c = 0; c < screen::kFlagColumns; ++c) s.flags.push_back(h.view->IsMarkedAt(r, c) != 0);
    s.message.assign(h.view->MessageLineBuffer(), screen::kMessageLineSize);
    return s;
}

void Prepare(ViewHarness& h) {
    for (int r = 0; r < screen::kStoredRows; ++r)
        for (int c = 0; c < screen::kColumns; ++c)
            h.view->SetCellAt(r, c, (c % 9 == 4 ? cell::kProtected : 0u) | static_cast<unsigned>('a' + (r + c) % 26));
    for (int r = 0; r < screen::kStoredRows; ++r)
        for (int c : {0, 7, 40, 79, 80, 135}) {
            h.view->SetRow(r);
            h.view->SetColumn(c < 80 ? c : 80);
            h.view->SetMark();
        }
    char* message = h.view->MessageLineBuffer();
    for (int i = 0; i < screen::kMessageLineSize; ++i) message[i] = static_cast<char>('0' + i % 10);
    h.view->SetCursorPos(0, 0);
}

using Allowed = std::function<bool(int row, int col)>;

// Checks that only allowed cells and flags differ between two snapshots.
void ExpectOnlyAllowed(const Snapshot& before, const Snapshot& after, const Allowed& cellOk, const Allowed& flagOk,
                       const std::string& what) {
    ASSERT_EQ(after.message, before.message) << what;
    for (size_t i = 0; i < before.cells.size(); ++i) {
        if (before.cells[i] == after.cells[i]) continue;
        const int line = static_cast<int>(i) / screen::kColumns;
        const int col = static_cast<int>(i) % screen::kColumns;
        ASSERT_TRUE(line >= screen::kHistoryLines && cellOk(line - screen::kHistoryLines, col))
            << what << ": cell " << line - screen::kHistoryLines << "," << col;
    }
    for (size_t i = 0; i < before.flags.size(); ++i) {
        if (before.flags[i] == after.flags[i]) continue;
        const int row = static_cast<int>(i) / screen::kFlagColumns;
        const int col = static_cast<int>(i) % screen::kFlagColumns;
        ASSERT_TRUE(flagOk(row, col)) << what << ": flag " << row << "," << col;
    }
}

bool InCell(int r, int c) { return r >= 0 && r < screen::kStoredRows && c >= 0 && c < screen::kColumns; }

TEST(ViewBounds, AddressedOperationsTouchOnlyTheirCellsAndFlags) {
    ViewHarness h;
    const auto none = [](int, int) { return false; };
    struct Case {
        const char* name;
        std::function<void(CWinTermView&, int, int)> op;
        std::function<bool(int r, int c, int row, int col)> cellOk;
        bool clearsMark80;
    };
    const auto same = [](int r, int c, int row, int col) { return InCell(r, c) && row == r && col == c; };
    const auto toEol = [](int r, int c, int row, int col) {
        return r >= 0 && r < screen::kStoredRows && row == r && col >= c;
    };
    const unsigned word = 0x12345641u;
    const std::vector<Case> cases = {
        {"SetCellAt", [&](CWinTermView& v, int r, int c) { v.SetCellAt(r, c, word); }, same, false},
        {"PutCellAt", [&](CWinTermView& v, int r, int c) { v.PutCellAt(r, c, &word); }, same, false},
        {"SetCharAt", [](CWinTermView& v, int r, int c) { v.SetCharAt(r, c, 'Z'); }, same, false},
        {"SetAttrAt", [](CWinTermView& v, int r, int c) { v.SetAttrAt(r, c, cell::kBlink); }, same, false},
        {"ReplaceAttrAt", [](CWinTermView& v, int r, int c) { v.ReplaceAttrAt(r, c, 0x100u, ~0u); }, same, false},
        {"SetReverseAt", [](CWinTermView& v, int r, int c) { v.SetReverseAt(r, c); }, same, false},
        {"SetAttrToEolAt", [](CWinTermView& v, int r, int c) { v.SetAttrToEolAt(r, c, cell::kBlink); }, toEol, false},
        {"SetCharToEolAt", [](CWinTermView& v, int r, int c) { v.SetCharToEolAt(r, c, 'Z'); }, toEol, false},
        {"SetCellToEolAt", [&](CWinTermView& v, int r, int c) { v.SetCellToEolAt(r, c, word); }, toEol, false},
        {"ForceCellToEolAt", [&](CWinTermView& v, int r, int c) { v.ForceCellToEolAt(r, c, word); }, toEol, true},
        {"WriteTextAt", [](CWinTermView& v, int r, int c) { v.WriteTextAt(r, c, 200, std::string(200, 'T').c_str()); },
         toEol, false},
        {"getters and scans",
         [](CWinTermView& v, int r, int c) {
             if (!InCell(r, c)) {  // outside the store every cell reads blank
                 EXPECT_EQ(v.GetCellAt(r, c), v.GetDefaultAttr() | 0x20u);
                 EXPECT_EQ(v.GetCharAt(r, c), 0x20);
                 EXPECT_EQ(v.GetAttrAt(r, c), v.GetDefaultAttr());
             }
             int row = r, col = c;
             const int next = v.NextMark(&row, &col);
             EXPECT_TRUE(next >= 0 && next <= 80 && col == next && row == r);
             row = r;
             col = c;
             const int prev = v.PrevMark(&row, &col);
             EXPECT_TRUE(prev >= 0 && prev < screen::kFlagColumns && col == prev);
             v.PrevTabStop(c);
             v.InvalidateCells(r, c, c, r);
             v.InvalidateCells(INT_MIN, r, INT_MAX, c);
         },
         [](int, int, int, int) { return false; }, false},
    };
    for (const Case& k : cases) {
        for (int r : kValues) {
            for (int c : kValues) {
                Prepare(h);
                const Snapshot before = Take(h);
                k.op(*h.view, r, c);
                const std::string what = std::string(k.name) + "(" + std::to_string(r) + "," + std::to_string(c) + ")";
                ExpectOnlyAllowed(before, Take(h), [&](int row, int col) { return k.cellOk(r, c, row, col); },
                                  [&](int row, int col) { return k.clearsMark80 && row == r && col == 80; }, what);
                if (testing::Test::HasFatalFailure()) return;
            }
        }
    }
    // Runs of attributes with any count, and single flags.
    for (int r : kValues) {
        for (int c : kValues) {
            for (int n : kCounts) {
                Prepare(h);
                const Snapshot before = Take(h);
                h.view->SetAttrRunAt(r, c, n, cell::kUnderline);
                const long long end = static_cast<long long>(c) + n;
                ExpectOnlyAllowed(before, Take(h),
                                  [&](int row, int col) { return row == r && col >= c && col < end; },
                                  none, "SetAttrRunAt " + std::to_string(n));
                if (testing::Test::HasFatalFailure()) return;
            }
            Prepare(h);
            const Snapshot before = Take(h);
            h.view->ClearMarkAt(r, c);
            EXPECT_EQ(h.view->IsMarkedAt(r, c), 0);
            ExpectOnlyAllowed(before, Take(h), none, [&](int row, int col) { return row == r && col == c; },
                              "ClearMarkAt");
        }
    }
}

// Random operations with extreme arguments; the cursor must stay on the
// store, the scroll position in the history, and the message line untouched.
TEST(ViewBounds, AnySequenceOfOperationsKeepsTheViewConsistent) {
    ViewHarness h;
    Prepare(h);
    const std::string message(h.view->MessageLineBuffer(), screen::kMessageLineSize);
    std::mt19937 rng(42);
    auto pick = [&]() { return kValues[rng() % (sizeof kValues / sizeof kValues[0])]; };
    auto count = [&]() { return kCounts[rng() % (sizeof kCounts / sizeof kCounts[0])]; };
    const std::string text(80, 'p');
    unsigned word = 0x2041u;
    CWinTermView& v = *h.view;
    const std::vector<std::function<void()>> ops = {
        [&] { v.SetRow(pick()); }, [&] { v.SetColumn(pick()); }, [&] { v.SetCursorPos(pick(), pick()); },
        [&] { v.UpdateCursor(); }, [&] { v.PutText(text.c_str(), static_cast<int>(rng() % 81)); },
        [&] { v.PutText(text.c_str(), count() % 81); }, [&] { v.DeleteCharsInField(pick(), count()); },
        [&] { v.DeleteChars(count()); }, [&] { v.InsertCellInField(pick(), 'i'); }, [&] { v.InsertCell('j'); },
        [&] { v.SetAttrRun(cell::kBlink, count()); }, [&] { v.SetAttrRunFromCursor(count(), cell::kReverse); },
        [&] { v.SetCell(word); }, [&] { v.PutCell(&word); }, [&] { v.SetChar('c'); },
        [&] { v.SetAttr(cell::kUnderline); }, [&] { v.SetCharToEol('e'); }, [&] { v.SetCellToEol(word); },
        [&] { v.ForceCellToEol(word); }, [&] { v.FillCharToFieldEnd('f'); }, [&] { v.ApplyWriteAttr(); },
        [&] { v.ApplyWriteAttrDown(); }, [&] { v.SetMark(); }, [&] { v.ClearMark(); },
        [&] { v.InsertMarkGap(); }, [&] { v.DeleteMarkGap(); }, [&] { v.SetAttrToNextMark(cell::kReverse); },
        [&] { v.GetMarkAttr(); }, [&] { v.FindProtected(); }, [&] { v.NextUnprotected(); }, [&] { v.Tab(); },
        [&] { v.SetTabStop(); }, [&] { v.ClearTabStop(); }, [&] { v.Backspace(); }, [&] { v.CursorUp(); },
        [&] { v.CursorLeft(); }, [&] { v.CursorRight(); }, [&] { v.LineFeed(); }, [&] { v.ReverseLineFeed(); },
        [&] { v.InsertLine(); }, [&] { v.DeleteLine(); }, [&] { v.InsertModeOn(); }, [&] { v.InsertModeOff(); },
        [&] { v.WriteProtectOn(); }, [&] { v.WriteProtectOff(); },
        [&] { v.SetScrollMode(static_cast<int>(rng() % 2)); },
        [&] { v.VScroll(static_cast<int>(rng() % 10), pick()); }, [&] { v.TrackScrollBar(pick(), pick()); },
        [&] { v.SendLine(); }, [&] { v.SendLineUnmarked(); }, [&] { v.SendPage(); },
        [&] { v.SendPageUnmarked(); }, [&] { v.SendCursorAddress(); }, [&] { v.SendCursorAddressDecimal(); },
        [&] { v.InvalidateCursorLine(); }, [&] { v.InvalidateCells(pick(), pick(), pick(), pick()); },
        [&] { v.GetCell(); }, [&] { v.ScrollMarksUp(); }, [&] { v.ScrollMarksDown(); },
    };
    for (int step = 0; step < 50000; ++step) {
        const size_t which = rng() % ops.size();
        ops[which]();
        h.port.Clear();
        ASSERT_TRUE(v.GetRow() >= 0 && v.GetRow() < screen::kStoredRows) << step << " op " << which;
        ASSERT_TRUE(v.GetColumn() >= 0 && v.GetColumn() <= screen::kColumns) << step << " op " << which;
        ASSERT_TRUE(v.ScrollPosition() >= 0 && v.ScrollPosition() <= screen::kHistoryLines) << step;
        ASSERT_EQ(std::string(v.MessageLineBuffer(), screen::kMessageLineSize), message) << step << " op " << which;
    }
}

}  // namespace
