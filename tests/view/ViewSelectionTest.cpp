// Mouse selection, its highlight, and Copy and Paste through the clipboard.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/view/ViewHarness.h"

namespace {

// Pixel centre of a cell of the live screen (8 x 16 cells).
int X(int col) { return col * 8 + 3; }
int Y(int row) { return row * 16 + 5; }

struct SelectionHarness : ViewHarness {
    SelectionHarness() {
        for (int row = 0; row < 3; ++row) {
            std::string line;
            for (int col = 0; col < 80; ++col) line += static_cast<char>('A' + row) ;
            line[0] = static_cast<char>('0' + row);
            view->WriteTextAt(row, 0, 80, line.c_str());
            for (int col = 60; col < 80; ++col) view->SetCharAt(row, col, '0' + col % 10);
        }
    }
    void Drag(int row1, int col1, int row2, int col2) {
        view->MouseDown(X(col1), Y(row1));
        view->MouseMove(X(col2), Y(row2));
        view->MouseUp(X(col2), Y(row2));
    }
};

TEST(ViewSelection, DragsSelectHighlightAndCopyAsTheTerminalShowsThem) {
    struct Case {
        const char* what;
        int row1, col1, row2, col2;
        bool selected;
        std::string highlight;  // the InvertRect drawn, "" for none
        std::string copied;
    } cases[] = {
        {"a click without dragging", 1, 5, 1, 5, false, "", ""},
        {"columns 5 to 9 of one line", 0, 5, 0, 10, true, "InvertRect 40,0,80,16", "AAAAA"},
        {"from column 70 into the next line", 0, 70, 1, 3, true, "InvertRect 0,0,640,32",
         "0123456789\r\n1" + std::string(59, 'B') + "01234567890123456789"},
        {"dragged backwards", 2, 10, 1, 4, false, "InvertRect 0,16,640,48", ""},
    };
    for (const Case& c : cases) {
        SelectionHarness h;
        h.port.Clear();
        h.Drag(c.row1, c.col1, c.row2, c.col2);
        EXPECT_EQ(h.view->HasSelection() != 0, c.selected) << c.what;
        EXPECT_EQ(h.port.Last("InvertRect"), c.highlight) << c.what;
        EXPECT_EQ(h.port.Count("CaptureMouse 1"), 1u) << c.what;
        EXPECT_EQ(h.port.Last("CaptureMouse"), "CaptureMouse 0") << c.what;
        EXPECT_EQ(h.view->SelectionText(), c.copied) << c.what;
    }
}

TEST(ViewSelection, ANewPressRemovesTheOldHighlightFirst) {
    SelectionHarness h;
    h.Drag(0, 5, 0, 10);
    h.port.Clear();
    h.view->MouseDown(X(3), Y(2));
    EXPECT_EQ(h.port.calls.front(), "InvertRect 40,0,80,16");
    EXPECT_FALSE(h.view->HasSelection());
}

TEST(ViewSelection, SelectionNamesStoredLinesWhenScrolledBack) {
    SelectionHarness h;
    h.view->VScroll(CWinTermView::kLineUp, 0);  // one line of history shown on top
    h.Drag(1, 0, 1, 3);                          // window line 1 is screen row 0
    EXPECT_EQ(h.view->SelectionText(), "0AA");
}

TEST(ViewSelection, CopyPutsTheTextOnTheClipboardOrSaysItCannot) {
    SelectionHarness h;
    h.Drag(1, 1, 1, 4);
    h.view->OnCommand(CWinTermView::kCmdCopy);
    EXPECT_EQ(h.port.clipboardText, "BBB");
    h.port.clipboardWorks = false;
    h.view->OnCommand(CWinTermView::kCmdCopy);
    EXPECT_EQ(h.port.Last("MessageBox"), "MessageBox WinOvTerm: Memory allocation error! 48");
}

TEST(ViewSelection, PasteSendsClipboardTextUnchanged) {
    SelectionHarness h;
    h.port.clipboardHasText = true;
    h.port.clipboardText = std::string("ls -l\r\nexit\r\n\0ignored", 21);
    h.view->OnCommand(CWinTermView::kCmdPaste);
    EXPECT_EQ(h.comm->sent, "ls -l\r\nexit\r\n");

    h.port.clipboardHasText = false;
    h.view->OnCommand(CWinTermView::kCmdPaste);
    EXPECT_EQ(h.port.Last("MessageBox"), "MessageBox WinOvTerm: Memory allocation error! 48");
    EXPECT_EQ(h.comm->sent, "ls -l\r\nexit\r\n");
}

}  // namespace

namespace {

TEST(ViewSelection, CellsHoldingZeroAreCopiedAsSpaces) {
    SelectionHarness h;
    h.view->SetCharAt(0, 3, 0);
    h.Drag(0, 1, 0, 6);
    EXPECT_EQ(h.view->SelectionText(), std::string("AA AA"));
}

}  // namespace
