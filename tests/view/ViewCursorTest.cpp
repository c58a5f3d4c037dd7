// Cursor movement, tab stops and the caret.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "tests/view/ViewHarness.h"

namespace {

TEST(ViewCursorPosition, SetCursorPosClampsAndReportsOverflow) {
    const struct {
        int row, col, wantRow, wantCol;
        bool overflow;
    } cases[] = {
        {30, 5, 23, 5, true},     {3, 200, 3, 80, false},       {25, 80, 23, 80, true},
        {24, 79, 24, 79, false},  {-5, -7, 0, 0, false},        {INT_MIN, INT_MIN, 0, 0, false},
        {INT_MAX, INT_MAX, 23, 80, true},
    };
    for (const auto& c : cases) {
        ViewHarness h;
        h.view->SetCursorPos(c.row, c.col);
        EXPECT_EQ(h.view->GetRow(), c.wantRow) << c.row << "," << c.col;
        EXPECT_EQ(h.view->GetColumn(), c.wantCol) << c.row << "," << c.col;
        EXPECT_FALSE(h.view->WrapPending());
        const std::string message = c.overflow ? "ERROR - overflow" : std::string(16, ' ');
        EXPECT_EQ(h.Row(24).substr(63, 16), message);
        EXPECT_EQ(h.Row(24)[79], ' ');
    }
}

// Re-stating the same position (UpdateCursor) keeps a pending wrap; moving
// elsewhere ends it, so addressed text lands where it was addressed.
TEST(ViewCursorPosition, SetCursorPosEndsAPendingWrapOnlyWhenItMovesAndMovesTheCaretOnlyWithFocus) {
    ViewHarness h;
    h.Put(std::string(80, 'x'));
    h.view->UpdateCursor();
    EXPECT_TRUE(h.view->WrapPending());
    h.view->SetCursorPos(4, 9);
    EXPECT_FALSE(h.view->WrapPending());
    EXPECT_EQ(h.port.Last("SetCaretPos"), "SetCaretPos 72 64");
    h.Put("y");
    EXPECT_EQ(h.view->GetCharAt(4, 9), 'y');

    h.Put(std::string(80, 'x'));
    h.view->CursorHome();
    EXPECT_FALSE(h.view->WrapPending());

    h.port.focus = false;
    h.port.Clear();
    h.view->SetCursorPos(6, 1);
    EXPECT_EQ(h.port.Count("SetCaretPos"), 0u);
    EXPECT_EQ(h.view->GetRow(), 6);
}

TEST(ViewCursorPosition, RowAndColumnSettersClampAndClearTheWrap) {
    const struct {
        int value, row, col;
    } cases[] = {{-1, 0, 0}, {24, 24, 24}, {25, 25, 25}, {26, 25, 26}, {81, 25, 80}, {INT_MIN, 0, 0}, {INT_MAX, 25, 80}};
    for (const auto& c : cases) {
        ViewHarness h;
        h.Put(std::string(80, 'x'));
        h.view->SetRow(c.value);
        EXPECT_FALSE(h.view->WrapPending());
        EXPECT_EQ(h.view->GetRow(), c.row) << c.value;
        h.view->SetCursorPos(1, 0);
        h.Put(std::string(80, 'x'));
        h.view->SetColumn(c.value);
        EXPECT_FALSE(h.view->WrapPending());
        EXPECT_EQ(h.view->GetColumn(), c.col) << c.value;
    }
    // Row 25 still shows the overflow when the cursor is updated.
    ViewHarness h;
    h.view->SetRow(25);
    h.view->UpdateCursor();
    EXPECT_EQ(h.view->GetRow(), 23);
    EXPECT_EQ(h.Row(24).substr(63, 16), "ERROR - overflow");
}

TEST(ViewCursorMovement, SingleStepsWrapAsTheTerminalDoes) {
    using Op = void (CWinTermView::*)();
    const struct {
        const char* name;
        Op op;
        int row, col, wantRow, wantCol;
    } cases[] = {
        // Cursor left wraps within its row; only BS goes back over the row
        // above (bw), never above the top row.
        {"left at 0", &CWinTermView::CursorLeft, 7, 0, 7, 79},
        {"left at the top left", &CWinTermView::CursorLeft, 0, 0, 0, 79},
        {"left at the message row", &CWinTermView::CursorLeft, 24, 0, 24, 79},
        {"left from 80", &CWinTermView::CursorLeft, 7, 80, 7, 79},
        {"left", &CWinTermView::CursorLeft, 7, 10, 7, 9},
        {"up at 0", &CWinTermView::CursorUp, 0, 4, 23, 4},
        {"up", &CWinTermView::CursorUp, 12, 4, 11, 4},
        {"right at 80", &CWinTermView::CursorRight, 2, 80, 2, 80},
        {"right", &CWinTermView::CursorRight, 2, 79, 2, 80},
        {"home", &CWinTermView::CursorHome, 9, 9, 0, 0},
        {"return", &CWinTermView::CarriageReturn, 9, 9, 9, 0},
        {"backspace", &CWinTermView::Backspace, 9, 9, 9, 8},
        {"backspace at 0", &CWinTermView::Backspace, 9, 0, 8, 79},
        {"backspace at the message row", &CWinTermView::Backspace, 24, 0, 23, 79},
        {"backspace at the top left", &CWinTermView::Backspace, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        ViewHarness h;
        h.view->SetCursorPos(c.row, c.col);
        (h.view.get()->*c.op)();
        EXPECT_EQ(h.view->GetRow(), c.wantRow) << c.name;
        EXPECT_EQ(h.view->GetColumn(), c.wantCol) << c.name;
    }
}

// After a full row the terminal stands on column 0 of the next row, and
// relative motions start there: the store's pending wrap is carried out
// first, scrolling at row 23 as the write would have.
TEST(ViewCursorMovement, RelativeMotionsAfterAFullRowStartOnTheNextRow) {
    using Op = void (CWinTermView::*)();
    const struct {
        const char* name;
        Op op;
        int fullRow, wantRow, wantCol;
        bool scrolls;
    } cases[] = {
        {"backspace", &CWinTermView::Backspace, 5, 5, 79, false},
        {"left", &CWinTermView::CursorLeft, 5, 6, 79, false},
        {"up", &CWinTermView::CursorUp, 5, 5, 0, false},
        {"up from a full top row", &CWinTermView::CursorUp, 0, 0, 0, false},
        {"right", &CWinTermView::CursorRight, 5, 6, 1, false},
        {"tab", &CWinTermView::Tab, 5, 6, 8, false},
        {"back tab", &CWinTermView::BackTab, 5, 6, 0, false},
        {"reverse line feed", &CWinTermView::ReverseLineFeed, 5, 5, 0, false},
        {"reverse line feed from a full top row", &CWinTermView::ReverseLineFeed, 0, 0, 0, false},
        {"backspace on row 23", &CWinTermView::Backspace, 23, 22, 79, true},
        {"up on row 23", &CWinTermView::CursorUp, 23, 22, 0, true},
        {"right on row 23", &CWinTermView::CursorRight, 23, 23, 1, true},
        {"tab on row 23", &CWinTermView::Tab, 23, 23, 8, true},
        {"reverse line feed on row 23", &CWinTermView::ReverseLineFeed, 23, 22, 0, true},
    };
    for (const auto& c : cases) {
        ViewHarness h;
        h.view->WriteTextAt(0, 0, 4, "top!");
        h.view->SetCursorPos(c.fullRow, 0);
        h.Put(std::string(79, 'x') + ">");
        ASSERT_TRUE(h.view->WrapPending());
        (h.view.get()->*c.op)();
        EXPECT_EQ(h.view->GetRow(), c.wantRow) << c.name;
        EXPECT_EQ(h.view->GetColumn(), c.wantCol) << c.name;
        EXPECT_FALSE(h.view->WrapPending()) << c.name;
        // One scroll at most: the full row moved up by one, or stayed.
        const int rowNow = c.scrolls ? c.fullRow - 1 : c.fullRow;
        EXPECT_EQ(h.Row(rowNow), std::string(79, 'x') + ">") << c.name;
        if (c.fullRow != 0) {
            EXPECT_EQ(h.Row(0).substr(0, 4), c.scrolls ? "    " : "top!") << c.name;
        }
        EXPECT_EQ(h.Line(screen::kHistoryLines - 1).substr(0, 4), c.scrolls ? "top!" : "    ") << c.name;
        h.Put("T");
        EXPECT_EQ(h.view->GetCharAt(c.wantRow, c.wantCol), 'T') << c.name;
    }
}

// A line feed after a full row leaves the cursor on column 80 of the next
// row: text starts the row after that, and so does a relative motion; a CR
// there ends the wrap, so LF CR after a full row still gives one line.
TEST(ViewCursorMovement, LineFeedAfterAFullRowKeepsTheWrapForMotionsButNotForCarriageReturn) {
    const struct {
        const char* name;
        void (*then)(CWinTermView&);
        int wantRow, wantCol;
    } cases[] = {
        {"text", [](CWinTermView&) {}, 7, 0},
        {"right", [](CWinTermView& v) { v.CursorRight(); }, 7, 1},
        {"up", [](CWinTermView& v) { v.CursorUp(); }, 6, 0},
        {"backspace", [](CWinTermView& v) { v.Backspace(); }, 6, 79},
        {"another line feed, then right", [](CWinTermView& v) { v.LineFeed(); v.CursorRight(); }, 8, 1},
        {"carriage return", [](CWinTermView& v) { v.CarriageReturn(); }, 6, 0},
        {"carriage return, then right", [](CWinTermView& v) { v.CarriageReturn(); v.CursorRight(); }, 6, 1},
    };
    for (const auto& c : cases) {
        ViewHarness h;
        h.view->SetCursorPos(5, 0);
        h.Put(std::string(80, 'x'));
        h.view->LineFeed();
        EXPECT_EQ(h.view->GetRow(), 6) << c.name;
        EXPECT_EQ(h.view->GetColumn(), 80) << c.name;
        c.then(*h.view);
        h.Put("T");
        EXPECT_EQ(h.view->GetCharAt(c.wantRow, c.wantCol), 'T') << c.name;
        EXPECT_EQ(h.view->GetRow(), c.wantRow) << c.name;
        EXPECT_EQ(h.view->GetColumn(), c.wantCol + 1) << c.name;
    }
}

TEST(ViewTabStops, TabMovesToTheNextStopOrColumnEighty) {
    ViewHarness h;
    h.view->ClearAllTabStops();
    h.view->Tab();
    EXPECT_EQ(h.view->GetColumn(), 80);  // only column 0 is left

    for (int col : {8, 16, 79, 100}) {
        h.view->SetCursorPos(0, col);
        h.view->SetTabStop();
    }
    const struct {
        int from, to;
    } cases[] = {{0, 8}, {7, 8}, {8, 16}, {16, 79}, {79, 80}, {80, 80}};
    for (const auto& c : cases) {
        h.view->SetCursorPos(0, c.from);
        h.view->Tab();
        EXPECT_EQ(h.view->GetColumn(), c.to) << c.from;
    }
    h.view->SetCursorPos(0, 16);
    h.view->ClearTabStop();
    h.view->SetCursorPos(0, 8);
    h.view->Tab();
    EXPECT_EQ(h.view->GetColumn(), 79);
}

TEST(ViewTabStops, PrevTabStop) {
    ViewHarness h;
    h.view->ClearAllTabStops();
    h.view->SetCursorPos(0, 8);
    h.view->SetTabStop();
    h.view->SetCursorPos(0, 80);
    h.view->SetTabStop();
    const struct {
        int col, want;
    } cases[] = {{0, 0}, {-5, -5}, {INT_MIN, INT_MIN}, {10, 8}, {8, 0}, {9, 8}, {1, 0},
                 {80, 8}, {81, 80}, {1000, 80}, {INT_MAX, 80}};
    for (const auto& c : cases) EXPECT_EQ(h.view->PrevTabStop(c.col), c.want) << c.col;
}

TEST(ViewCaret, ShapesAndFocus) {
    ViewHarness h;
    h.view->SetCursorPos(2, 3);
    h.port.Clear();
    h.view->LineCursor();
    EXPECT_EQ(h.port.calls, (std::vector<std::string>{"CreateCaret 8x1", "SetCaretPos 24 32", "ShowCaret"}));
    h.port.Clear();
    h.view->TakeFocus();
    EXPECT_EQ(h.port.calls, (std::vector<std::string>{"CreateCaret 8x16", "SetCaretPos 24 32", "ShowCaret"}));

    h.view->HideCursor();
    EXPECT_TRUE(h.view->CaretHidden());
    h.port.Clear();
    h.view->HideCursor();  // already hidden
    h.view->TakeFocus();   // a caret the view hid stays hidden
    EXPECT_EQ(h.port.Count("ShowCaret"), 0u);
    h.view->BlockCursor();
    EXPECT_EQ(h.port.Last("CreateCaret"), "CreateCaret 8x16");
    EXPECT_TRUE(h.view->CaretHidden());
    h.view->ShowCursor();
    EXPECT_FALSE(h.view->CaretHidden());
}

TEST(ViewCursorMovement, NextUnprotectedScansOnThenFromTheTop) {
    ViewHarness h;
    h.view->FillScreen(cell::kProtected | ' ');
    h.view->SetCursorPos(10, 40);
    h.view->NextUnprotected();
    EXPECT_EQ(h.view->GetRow(), 10);
    EXPECT_EQ(h.view->GetColumn(), 80);

    // Cells left of the cursor on its own row are not scanned.
    const struct {
        int freeRow, freeCol, wantRow, wantCol;
    } cases[] = {{10, 40, 10, 40}, {10, 79, 10, 79}, {11, 0, 11, 0}, {24, 5, 24, 5}, {0, 0, 0, 0}, {10, 39, 10, 80}};
    for (const auto& c : cases) {
        h.view->FillScreen(cell::kProtected | ' ');
        h.view->SetCellAt(c.freeRow, c.freeCol, ' ');
        h.view->SetCursorPos(10, 40);
        h.view->NextUnprotected();
        EXPECT_EQ(h.view->GetRow(), c.wantRow) << c.freeRow << "," << c.freeCol;
        EXPECT_EQ(h.view->GetColumn(), c.wantCol) << c.freeRow << "," << c.freeCol;
        EXPECT_EQ(h.view->FindProtected(), c.wantCol < 79 ? c.wantCol + 1 : 80);
    }
}

}  // namespace
