// The print server window's log: sizes, the cell limit, wrap-around and cut lines.
#include <gtest/gtest.h>

#include "netspool/StatusGrid.h"

using netspool::CStatusGrid;

TEST(StatusGridTest, SizeFollowsTheClientAreaInWholeCells) {
    struct Case {
        int width, height, cellWidth, cellHeight;
        int rows, columns;
        CStatusGrid::ResizeResult result;
    } cases[] = {
        {640, 480, 8, 16, 30, 80, CStatusGrid::ResizeResult::kResized},
        {645, 495, 8, 16, 30, 80, CStatusGrid::ResizeResult::kResized},      // partial cells dropped
        {3, 5, 8, 16, 1, 1, CStatusGrid::ResizeResult::kResized},            // minimised: at least 1 x 1
        {0, 0, 8, 16, 1, 1, CStatusGrid::ResizeResult::kResized},
        {8 * 255, 16 * 257, 8, 16, 257, 255, CStatusGrid::ResizeResult::kResized},  // 65535 cells exactly
        {8 * 256, 16 * 256, 8, 16, 1, 1, CStatusGrid::ResizeResult::kTooLarge},     // 65536: refused
        {100, 100, 0, 0, 1, 1, CStatusGrid::ResizeResult::kResized},         // no font metrics yet
    };
    for (const Case& c : cases) {
        CStatusGrid grid;
        grid.Resize(8, 16, 8, 16);  // 1 x 1 to start from
        EXPECT_EQ(grid.Resize(c.width, c.height, c.cellWidth, c.cellHeight), c.result) << c.width << "x" << c.height;
        EXPECT_EQ(grid.Rows(), c.rows) << c.width << "x" << c.height;
        EXPECT_EQ(grid.Columns(), c.columns) << c.width << "x" << c.height;
    }
}

TEST(StatusGridTest, TheLineForTheLastRowClearsTheLogAndBecomesItsFirst) {
    CStatusGrid grid;
    grid.Resize(10 * 6, 4 * 11, 6, 11);  // 4 rows of 10
    EXPECT_FALSE(grid.AddLine("one"));
    EXPECT_FALSE(grid.AddLine("two"));
    EXPECT_FALSE(grid.AddLine("three"));
    EXPECT_EQ(grid.RowText(2), "three     ");
    EXPECT_EQ(grid.RowText(3), "          ");
    EXPECT_TRUE(grid.AddLine("four"));
    EXPECT_EQ(grid.RowText(0), "four      ");
    EXPECT_EQ(grid.RowText(1), "          ");
    EXPECT_EQ(grid.CurrentRow(), 1);
}

TEST(StatusGridTest, LongLinesAreCutAndResizingEmptiesTheLog) {
    CStatusGrid grid;
    EXPECT_TRUE(grid.TakeGreeting());
    EXPECT_FALSE(grid.TakeGreeting());
    grid.Resize(5 * 6, 3 * 11, 6, 11);
    grid.AddLine("Connection established on Port 10");
    EXPECT_EQ(grid.RowText(0), "Conne");
    EXPECT_EQ(grid.RowText(1), "     ");
    grid.AddLine("x");
    // A refused size keeps the old grid, emptied, and starts at the top.
    EXPECT_EQ(grid.Resize(1000 * 6, 1000 * 11, 6, 11), CStatusGrid::ResizeResult::kTooLarge);
    EXPECT_EQ(grid.Columns(), 5);
    EXPECT_EQ(grid.RowText(0), "     ");
    EXPECT_EQ(grid.CurrentRow(), 0);
    grid.AddLine("after");
    EXPECT_EQ(grid.RowText(0), "after");
    EXPECT_EQ(grid.RowText(5), "");  // outside the grid
}

TEST(StatusGridTest, ALineBeforeAnySizeGoesNowhere) {
    CStatusGrid grid;
    EXPECT_FALSE(grid.AddLine("early"));
    EXPECT_EQ(grid.Rows(), 0);
}
