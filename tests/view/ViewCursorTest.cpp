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
        {"left at 0", &CWinTermView::CursorLeft, 7, 0, 7, 79},
        {"left", &CWinTermView::CursorLeft, 7, 10, 7, 9},
        {"up at 0", &CWinTermView::CursorUp, 0, 4, 23, 4},
        {"up", &CWinTermView::CursorUp, 12, 4, 11, 4},
        {"right at 80", &CWinTermView::CursorRight, 2, 80, 2, 80},
        {"right", &CWinTermView::CursorRight, 2, 79, 2, 80},
        {"home", &CWinTermView::CursorHome, 9, 9, 0, 0},
        {"return", &CWinTermView::CarriageReturn, 9, 9, 9, 0},
        {"backspace", &CWinTermView::Backspace, 9, 9, 9, 8},
        {"backspace at 0", &CWinTermView::Backspace, 9, 0, 9, 0},
    };
    for (const auto& c : cases) {
        ViewHarness h;
        h.view->SetCursorPos(c.row, c.col);
        (h.view.get()->*c.op)();
        EXPECT_EQ(h.view->GetRow(), c.wantRow) << c.name;
        EXPECT_EQ(h.view->GetColumn(), c.wantCol) << c.name;
    }
}

TEST(ViewCursorMovement, BackspaceWithAPendingWrapStaysOnColumnEighty) {
    ViewHarness h;
    h.Put(std::string(80, 'x'));
    h.view->Backspace();
    EXPECT_EQ(h.view->GetColumn(), 80);
    EXPECT_FALSE(h.view->WrapPending());
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
