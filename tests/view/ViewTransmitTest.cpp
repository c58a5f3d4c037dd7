// Screen contents and cursor reports sent to the host.
#include <gtest/gtest.h>

#include <string>

#include "tests/view/ViewHarness.h"

namespace {

TEST(ViewTransmit, CursorAddressReports) {
    const struct {
        int row, col;
        std::string binary, decimal;
    } cases[] = {
        {0, 0, "\x20\x20\x0D", "01R001C"},
        {4, 9, "\x24\x29\x0D", "05R010C"},
        {24, 80, "\x38\x70\x0D", "25R081C"},
    };
    for (const auto& c : cases) {
        ViewHarness h;
        h.view->SetCursorPos(c.row, c.col);
        h.view->SendCursorAddress();
        EXPECT_EQ(h.comm->sent, c.binary);
        h.comm->sent.clear();
        h.view->SendCursorAddressDecimal();
        EXPECT_EQ(h.comm->sent, c.decimal);
    }
}

TEST(ViewTransmit, LinesAndPagesWithAndWithoutMarkedPositions) {
    for (int cursorCol : {0, 37, 80}) {
        ViewHarness h;
        std::string page;
        for (int r = 0; r < screen::kStoredRows; ++r) {
            std::string text;
            for (int c = 0; c < screen::kColumns; ++c) text += static_cast<char>('A' + (r + c) % 26);
            h.view->WriteTextAt(r, 0, 80, text.c_str());
            page += r < 25 ? text : text.substr(0, static_cast<size_t>(cursorCol < 80 ? cursorCol + 1 : 80));
        }
        // Marks on row 3 and, through the tab-stop row, on row 25 column 0.
        h.view->SetCursorPos(3, 5);
        h.view->SetMark();
        h.view->SetCursorPos(3, 79);
        h.view->SetMark();
        h.view->ClearAllTabStops();
        h.view->SetCursorPos(3, cursorCol);

        h.view->SendLine();
        EXPECT_EQ(h.comm->sent, h.Row(3));
        h.comm->sent.clear();
        h.view->SendLineUnmarked();
        std::string unmarked = h.Row(3);
        unmarked.erase(79, 1);
        unmarked.erase(5, 1);
        EXPECT_EQ(h.comm->sent, unmarked);

        h.comm->sent.clear();
        h.view->SendPage();
        EXPECT_EQ(h.comm->sent, page) << cursorCol;
        h.comm->sent.clear();
        h.view->SendPageUnmarked();
        std::string pageUnmarked = page;
        pageUnmarked.erase(25 * 80, 1);
        pageUnmarked.erase(3 * 80 + 79, 1);
        pageUnmarked.erase(3 * 80 + 5, 1);
        EXPECT_EQ(h.comm->sent, pageUnmarked) << cursorCol;
    }
}

TEST(ViewTransmit, WithoutAConnectionTheControllerBeeps) {
    ViewHarness h;
    h.controller.AdoptView(h.view.get());
    h.comm->connected = false;
    h.view->SendCursorAddress();
    h.controller.AdoptView(nullptr);
    EXPECT_EQ(h.comm->sent, "");
    EXPECT_EQ(h.port.Last("Beep"), "Beep");
}

}  // namespace
