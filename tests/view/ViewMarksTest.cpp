// Attribute marks against a plain per-column model, and what they steer.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <vector>

#include "tests/view/ViewHarness.h"

namespace {

constexpr int kCols = screen::kFlagColumns;

TEST(ViewMarks, EditsAndScansMatchAPerColumnModel) {
    ViewHarness h;
    std::mt19937 rng(1234);
    for (int row : {0, 7, 24}) {
        std::vector<bool> model(kCols, false);
        for (int step = 0; step < 3000; ++step) {
            const int col = static_cast<int>(rng() % 81);
            h.view->SetCursorPos(row, col);
            switch (rng() % 5) {
            case 0:
            case 1:
                h.view->SetMark();
                model[col] = true;
                break;
            case 2:
                h.view->ClearMark();
                model[col] = false;
                break;
            case 3:
                h.view->InsertMarkGap();
                for (int i = kCols - 1; i > col; --i) model[i] = model[i - 1];
                model[col] = false;
                break;
            default:
                h.view->DeleteMarkGap();
                for (int i = col; i < kCols - 1; ++i) model[i] = model[i + 1];
                model[kCols - 1] = false;
                model[80] = false;
                break;
            }
            for (int i = 0; i < kCols; ++i) ASSERT_EQ(h.view->IsMarkedAt(row, i) != 0, model[i]) << step << " " << i;
            ASSERT_EQ(h.view->IsMarked() != 0, model[col]);

            int r = row, c = col;
            int next = col < 80 ? col + 1 : 80;
            while (next < 80 && !model[next]) ++next;
            ASSERT_EQ(h.view->NextMark(&r, &c), next);
            ASSERT_EQ(c, next);
            const int from = static_cast<int>(rng() % 140);
            c = from;
            int prev = from > 0 ? from - 1 : 0;
            while (prev > 0 && (prev >= kCols || !model[prev])) --prev;
            ASSERT_EQ(h.view->PrevMark(&r, &c), prev) << from;
            ASSERT_EQ(r, row);
        }
    }
}

// Scans answer from a bit copy of the flags; after any mix of operations on
// any rows (scrolling, clearing, tab stops, gaps) they must still agree with
// the flags themselves, on every row.
TEST(ViewMarks, ScansAgreeWithTheFlagsAfterAnyOperations) {
    ViewHarness h;
    std::mt19937 rng(99);
    auto flag = [&](int row, int col) { return h.view->IsMarkedAt(row, col) != 0; };
    for (int step = 0; step < 4000; ++step) {
        h.view->SetCursorPos(static_cast<int>(rng() % 25), static_cast<int>(rng() % 81));
        if (rng() % 8 == 0) h.view->SetRow(25);  // the tab-stop row through the cursor
        switch (rng() % 12) {
        case 0: case 1: case 2: h.view->SetMark(); break;
        case 3: h.view->ClearMark(); break;
        case 4: h.view->ClearMarkAt(static_cast<int>(rng() % 26), static_cast<int>(rng() % kCols)); break;
        case 5: h.view->InsertMarkGap(); break;
        case 6: h.view->DeleteMarkGap(); break;
        case 7: h.view->ScrollMarksUp(); break;
        case 8: h.view->ScrollMarksDown(); break;
        case 9: if (rng() % 10 == 0) h.view->ClearAllMarks(); break;
        case 10: rng() % 2 ? h.view->SetTabStop() : h.view->ClearTabStop(); break;
        default: if (rng() % 20 == 0) h.view->ClearAllTabStops(); break;
        }
        const int row = static_cast<int>(rng() % 26);
        const int col = static_cast<int>(rng() % 140);
        int next = col < 80 ? col + 1 : 80;
        while (next < 80 && !flag(row, next)) ++next;
        int prev = col > 0 ? col - 1 : 0;
        while (prev > 0 && !flag(row, prev)) --prev;
        int r = row, c = col;
        ASSERT_EQ(h.view->NextMark(&r, &c), next) << "step " << step << " row " << row << " col " << col;
        c = col;
        ASSERT_EQ(h.view->PrevMark(&r, &c), prev) << "step " << step << " row " << row << " col " << col;
        const int tabFrom = static_cast<int>(rng() % 81);
        int tab = tabFrom > 0 ? tabFrom - 1 : 0;
        while (tab > 0 && !flag(25, tab)) --tab;
        ASSERT_EQ(h.view->PrevTabStop(tabFrom), tabFrom > 0 ? tab : tabFrom) << "step " << step;
    }
}

TEST(ViewMarks, ScansFromOutsideTheRowStartAtItsEnds) {
    ViewHarness h;
    for (int col : {0, 10, 100}) {
        h.view->SetCursorPos(3, col < 80 ? col : 0);
        if (col >= 80) h.view->SetColumn(80);
        h.view->SetMark();
    }
    const struct { int from, next, prev; } cases[] = {
        {-5, 0, 0}, {-1, 0, 0}, {INT_MIN, 0, 0}, {0, 10, 0}, {11, 80, 10}, {200, 80, 80}, {INT_MAX, 80, 80},
    };
    for (const auto& c : cases) {
        int row = 3, col = c.from;
        EXPECT_EQ(h.view->NextMark(&row, &col), c.next) << c.from;
        col = c.from;
        EXPECT_EQ(h.view->PrevMark(&row, &col), c.prev) << c.from;
    }
}

TEST(ViewMarks, RowTwentyFiveAnswersFromTheTabStops) {
    ViewHarness h;
    h.view->ClearAllTabStops();
    h.view->SetCursorPos(0, 41);
    h.view->SetTabStop();
    EXPECT_NE(h.view->IsMarkedAt(25, 41), 0);
    int row = 25, col = 0;
    EXPECT_EQ(h.view->NextMark(&row, &col), 41);
}

TEST(ViewMarks, TabStopsStartEveryEightColumns) {
    ViewHarness h;
    for (int col = 0; col < screen::kFlagColumns; ++col)
        EXPECT_EQ(h.view->IsMarkedAt(25, col) != 0, col < 80 && col % 8 == 0) << col;
    EXPECT_EQ(h.view->PrevTabStop(79), 72);
}

TEST(ViewMarks, ScrollingAndClearingMarksLeaveTheTabStops) {
    ViewHarness h;
    const int marked[][2] = {{0, 3}, {1, 5}, {24, 7}, {25, 9}};  // row 25: a tab stop
    auto setUp = [&] {
        h.view->ClearAllMarks();
        for (const auto& m : marked) {
            h.view->SetRow(m[0]);
            h.view->SetColumn(m[1]);
            h.view->SetMark();
        }
    };
    setUp();
    h.view->ScrollMarksUp();
    EXPECT_NE(h.view->IsMarkedAt(0, 5), 0);
    EXPECT_EQ(h.view->IsMarkedAt(0, 3), 0);
    EXPECT_NE(h.view->IsMarkedAt(23, 7), 0);
    EXPECT_EQ(h.view->IsMarkedAt(24, 7), 0);
    EXPECT_NE(h.view->IsMarkedAt(25, 9), 0);

    setUp();
    h.view->ScrollMarksDown();
    EXPECT_EQ(h.view->IsMarkedAt(0, 3), 0);
    EXPECT_NE(h.view->IsMarkedAt(1, 3), 0);
    EXPECT_NE(h.view->IsMarkedAt(2, 5), 0);
    EXPECT_EQ(h.view->IsMarkedAt(24, 7), 0);  // row 24 leaves
    EXPECT_NE(h.view->IsMarkedAt(25, 9), 0);

    setUp();
    h.view->ClearAllMarks();
    for (const auto& m : marked) EXPECT_EQ(h.view->IsMarkedAt(m[0], m[1]) != 0, m[0] == 25);
}

TEST(ViewMarks, EmbeddedAttributesRunToTheNextMark) {
    ViewHarness h;
    for (int col : {10, 20}) {
        h.view->SetCursorPos(3, col);
        h.view->SetMark();
    }
    h.view->SetCursorPos(3, 10);
    h.view->SetAttrToNextMark(cell::kReverse | 0xFFu);  // the character byte is not an attribute
    for (int col = 0; col < 80; ++col) {
        EXPECT_EQ(h.view->GetAttrAt(3, col), col >= 10 && col < 20 ? cell::kReverse : 0u) << col;
        EXPECT_EQ(h.view->GetCharAt(3, col), ' ');
    }
    h.view->SetCursorPos(3, 15);
    EXPECT_EQ(h.view->GetMarkAttr(), cell::kReverse);
    h.view->SetCursorPos(3, 25);
    h.view->SetAttrToNextMark(cell::kBlink);  // no mark after: to the end of the row
    EXPECT_EQ(h.view->GetAttrAt(3, 79), cell::kBlink);
    EXPECT_EQ(h.view->GetAttrAt(3, 20), 0u);

    h.view->SetCursorPos(3, 80);
    h.view->SetMark();
    h.view->SetCursorPos(3, 50);
    h.view->ForceCellToEol(0x41u);
    EXPECT_EQ(h.view->IsMarkedAt(3, 80), 0);
    EXPECT_NE(h.view->IsMarkedAt(3, 20), 0);
}

}  // namespace
