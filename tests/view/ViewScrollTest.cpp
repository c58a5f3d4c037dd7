// Line feeds and the history, batched scrolling, line insertion and deletion,
// reverse line feeds and the scroll bar.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/view/ViewHarness.h"

namespace {

std::string Label(const char* prefix, int n) {
    char text[16];
    std::snprintf(text, sizeof text, "%s%03d", prefix, n % 1000);
    return text;
}

void LabelRows(ViewHarness& h, std::vector<std::string>* rows) {
    rows->clear();
    for (int r = 0; r < screen::kStoredRows; ++r) {
        const std::string text = Label("R", r);
        h.view->WriteTextAt(r, 0, 4, text.c_str());
        rows->push_back(h.Row(r));
    }
}

std::vector<std::string> Rows(const ViewHarness& h) {
    std::vector<std::string> rows;
    for (int r = 0; r < screen::kStoredRows; ++r) rows.push_back(h.Row(r));
    return rows;
}

std::vector<std::string> History(const ViewHarness& h) {
    std::vector<std::string> lines;
    for (int i = 0; i < screen::kHistoryLines; ++i) lines.push_back(h.Line(i));
    return lines;
}

TEST(ViewLineFeed, HistoryKeepsTheLastSeventyTwoLinesOldestFirst) {
    ViewHarness h;
    std::vector<std::string> rows;
    LabelRows(h, &rows);
    std::vector<std::string> scrolledOff;
    std::vector<std::string> screenRows(rows.begin(), rows.begin() + 24);
    h.view->SetCursorPos(23, 0);
    for (int k = 0; k < 100; ++k) {
        h.view->LineFeed();
        scrolledOff.push_back(screenRows.front());
        screenRows.erase(screenRows.begin());
        const std::string text = Label("N", k);
        h.view->WriteTextAt(23, 0, 4, text.c_str());
        screenRows.push_back(h.Row(23));
        ASSERT_EQ(h.view->GetRow(), 23);
    }
    EXPECT_EQ(History(h), std::vector<std::string>(scrolledOff.end() - 72, scrolledOff.end()));
    for (int r = 0; r < 24; ++r) EXPECT_EQ(h.Row(r), screenRows[static_cast<size_t>(r)]);
    EXPECT_EQ(h.Row(24), rows[24]);
    EXPECT_EQ(h.Row(25), rows[25]);
}

// The band is the whole region the pixels move in: the window clips the
// scroll to it, so row 0, where row 1's pixels land, must lie inside.
TEST(ViewLineFeed, PixelModeScrollsTheBandShownInTheWindow) {
    const struct {
        int scrollPos;
        const char* band;
    } cases[] = {{72, "ScrollPixels 0,0,640,384 by 0 -16"}, {60, "ScrollPixels 0,0,640,400 by 0 -16"}};
    for (const auto& c : cases) {
        ViewHarness h;
        h.view->VScroll(CWinTermView::kThumbPosition, c.scrollPos);
        h.view->SetCursorPos(23, 4);
        h.port.Clear();
        h.view->LineFeed();
        EXPECT_EQ(h.port.Matching("ScrollPixels"), std::vector<std::string>{c.band});
        EXPECT_EQ(h.port.calls.front(), "UpdateNow");
        EXPECT_EQ(h.view->ScrollPosition(), c.scrollPos);
    }
}

TEST(ViewLineFeed, MovesDownOrFollowsTheCursorBelowAScrolledBackView) {
    ViewHarness h;
    h.view->VScroll(CWinTermView::kThumbPosition, 60);  // rows 0..12 shown
    h.view->SetCursorPos(5, 3);
    h.view->LineFeed();
    EXPECT_EQ(h.view->GetRow(), 6);
    EXPECT_EQ(h.view->ScrollPosition(), 60);
    h.view->SetCursorPos(20, 3);
    h.view->LineFeed();
    EXPECT_EQ(h.view->GetRow(), 21);
    EXPECT_EQ(h.view->ScrollPosition(), 61);

    ViewHarness live;
    live.view->SetCursorPos(24, 0);
    live.view->LineFeed();
    EXPECT_EQ(live.view->GetRow(), 24);
}

// A batched scroll moves no pixels and paints nothing at once; the window
// is invalidated in full, so whenever it is painted it shows the store.
TEST(ViewBatchedScrolling, ScrollsMoveNoPixelsAndInvalidateTheWindow) {
    ViewHarness h;
    h.view->SetScrollMode(1);
    h.view->SetCursorPos(23, 0);
    h.port.Clear();
    h.view->LineFeed();
    EXPECT_EQ(h.port.Matching("Invalidate"), std::vector<std::string>{"Invalidate all erase"});
    h.view->LineFeed();
    EXPECT_EQ(h.port.Count("Invalidate all erase"), h.port.Count("Invalidate"));
    EXPECT_EQ(h.port.Count("ScrollPixels"), 0u);
    EXPECT_EQ(h.port.Count("UpdateNow"), 0u);
}

TEST(ViewBatchedScrolling, WrapsDeferPaintingUntilTheSecondScroll) {
    ViewHarness h;
    h.view->SetScrollMode(1);
    h.view->SetCursorPos(23, 0);
    h.Put(std::string(80, 'a'));
    h.port.Clear();
    h.Put(std::string(80, 'b'));  // first scroll: the caret waits, the window is invalid
    EXPECT_EQ(h.port.Count("Invalidate all"), 1u);
    EXPECT_EQ(h.port.Count("SetCaretPos"), 0u);
    EXPECT_EQ(h.view->GetColumn(), 80);
    h.view->SetCursorPos(10, 5);  // still taken in full while deferred
    EXPECT_EQ(h.view->GetRow(), 10);
    EXPECT_EQ(h.view->GetColumn(), 5);
    h.view->SetCursorPos(23, 80);
    h.port.Clear();
    h.Put("c");  // second scroll: painting resumes
    EXPECT_GE(h.port.Count("Invalidate all"), 1u);
    EXPECT_EQ(h.port.Count("ScrollPixels"), 0u);
    h.port.Clear();
    h.Put("d");
    EXPECT_EQ(h.port.Count("Invalidate 8,368,16,384"), 1u);
    EXPECT_EQ(h.Row(22), std::string(80, 'b'));
    EXPECT_EQ(h.Row(23).substr(0, 2), "cd");

    // Leaving batched mode after an odd scroll repaints what was deferred.
    h.Put(std::string(78, 'e'));
    h.Put("f");
    h.port.Clear();
    h.view->SetScrollMode(0);
    EXPECT_EQ(h.port.Matching("Invalidate"), std::vector<std::string>{"Invalidate all erase"});
    h.port.Clear();
    h.view->SetScrollMode(0);
    EXPECT_EQ(h.port.Count("Invalidate"), 0u);
}

TEST(ViewLineEditing, InsertAndDeleteLinesMoveRowsWithoutTouchingHistoryOrRow25) {
    const struct {
        bool insert;
        int row;
    } cases[] = {{true, 5}, {true, 0}, {true, 23}, {true, 24}, {false, 5}, {false, 0}, {false, 24}};
    for (const auto& c : cases) {
        ViewHarness h;
        std::vector<std::string> rows;
        LabelRows(h, &rows);
        const std::vector<std::string> history = History(h);
        const std::string blank(80, ' ');
        h.view->SetCursorPos(c.row, 7);
        h.port.Clear();
        if (c.insert) {
            h.view->InsertLine();
            rows.insert(rows.begin() + c.row, blank);
            rows.erase(rows.begin() + 25);  // old row 24 is lost
        } else {
            h.view->DeleteLine();
            rows.erase(rows.begin() + c.row);
            rows.insert(rows.begin() + 24, blank);
        }
        EXPECT_EQ(Rows(h), rows) << c.insert << " " << c.row;
        EXPECT_EQ(History(h), history);
        EXPECT_EQ(h.port.Matching("Invalidate"),
                  std::vector<std::string>{"Invalidate 0," + std::to_string(16 * c.row) + ",640,400 erase"});
    }
}

TEST(ViewReverseLineFeed, MovesUpOrScrollsTheRegionDown) {
    ViewHarness h;
    std::vector<std::string> rows;
    LabelRows(h, &rows);
    const std::vector<std::string> history = History(h);
    h.view->SetCursorPos(5, 9);
    h.view->ReverseLineFeed();
    EXPECT_EQ(h.view->GetRow(), 4);
    EXPECT_EQ(h.view->GetColumn(), 9);
    EXPECT_EQ(Rows(h), rows);

    // A full top row leaves the cursor on row 1 as far as a motion is
    // concerned: up one row, no scroll.
    h.view->SetCursorPos(0, 0);
    h.Put(std::string(80, 'z'));
    ASSERT_TRUE(h.view->WrapPending());
    rows = Rows(h);
    h.view->ReverseLineFeed();
    EXPECT_FALSE(h.view->WrapPending());
    EXPECT_EQ(h.view->GetRow(), 0);
    EXPECT_EQ(h.view->GetColumn(), 0);
    EXPECT_EQ(Rows(h), rows);

    h.port.Clear();
    h.view->ReverseLineFeed();
    rows.insert(rows.begin(), std::string(80, ' '));
    rows.erase(rows.begin() + 24);  // old row 23 leaves
    EXPECT_EQ(Rows(h), rows);
    EXPECT_EQ(History(h), history);
    EXPECT_EQ(h.view->GetRow(), 0);
    EXPECT_EQ(h.port.Matching("ScrollPixels"), std::vector<std::string>{"ScrollPixels 0,0,640,384 by 0 16"});
}

TEST(ViewScrollBar, VScrollRequests) {
    using V = CWinTermView;
    const struct {
        int from, request, thumb, want;
        const char* effect;  // "beep", "none", "pixels DY" or "repaint"
    } cases[] = {
        {0, V::kLineUp, 0, 0, "beep"},          {30, V::kLineUp, 0, 29, "pixels 16"},
        {72, V::kLineDown, 0, 72, "beep"},      {30, V::kLineDown, 0, 31, "pixels -16"},
        {0, V::kPageUp, 0, 0, "beep"},          {60, V::kPageUp, 0, 35, "repaint"},
        {10, V::kPageUp, 0, 0, "repaint"},      {72, V::kPageDown, 0, 72, "beep"},
        {60, V::kPageDown, 0, 72, "repaint"},   {10, V::kPageDown, 0, 35, "repaint"},
        {30, V::kThumbPosition, 30, 30, "none"}, {30, V::kThumbPosition, 500, 72, "repaint"},
        {30, V::kThumbPosition, -3, 0, "repaint"}, {0, V::kTop, 0, 0, "beep"},
        {30, V::kTop, 0, 0, "repaint"},         {72, V::kBottom, 0, 72, "repaint"},
        {5, V::kBottom, 0, 72, "repaint"},      {30, V::kThumbTrack, 3, 30, "none"},
        {30, V::kEndScroll, 3, 30, "none"},     {30, 99, 3, 30, "none"},
    };
    for (const auto& c : cases) {
        ViewHarness h;
        h.view->VScroll(V::kThumbPosition, c.from);
        h.port.Clear();
        h.view->VScroll(c.request, c.thumb);
        EXPECT_EQ(h.view->ScrollPosition(), c.want) << c.from << " " << c.request;
        const std::string effect = c.effect;
        if (effect == "beep" || effect == "none") {
            EXPECT_EQ(h.port.calls, effect == "beep" ? std::vector<std::string>{"Beep"} : std::vector<std::string>{})
                << c.from << " " << c.request;
        } else {
            EXPECT_EQ(h.port.Last("SetScrollPos"), "SetScrollPos " + std::to_string(c.want));
            if (effect == "repaint")
                EXPECT_EQ(h.port.Count("Invalidate all erase"), 1u);
            else
                EXPECT_EQ(h.port.Count("ScrollPixels 0,0,640,400 by 0 " + effect.substr(7)), 1u);
        }
    }
}

TEST(ViewScrollBar, TrackScrollBarShowsItInTheRightStripOnly) {
    ViewHarness h;  // 8 pixels a column: the strip starts at x = 620
    const struct {
        int x, y;
        const char* call;  // "" when nothing changes
    } steps[] = {{100, 10, ""},   {620, 10, "ShowScrollBar 1"}, {700, 300, ""}, {630, 445, ""},
                 {619, 1000, "ShowScrollBar 0"}, {630, -1, ""},  {630, 444, "ShowScrollBar 1"}};
    for (const auto& s : steps) {
        h.port.Clear();
        h.view->TrackScrollBar(s.x, s.y);
        EXPECT_EQ(h.port.calls, *s.call ? std::vector<std::string>{s.call} : std::vector<std::string>{})
            << s.x << "," << s.y;
    }
}

}  // namespace
