// PutText and the cell-shifting operations of the text path.
#include <gtest/gtest.h>

#include <string>

#include "tests/view/ViewHarness.h"

namespace {

std::string Pattern() {
    std::string s;
    for (int i = 0; i < screen::kColumns; ++i) s += static_cast<char>('!' + i);
    return s;
}

void WritePattern(ViewHarness& h, int row) {
    const std::string p = Pattern();
    h.view->WriteTextAt(row, 0, screen::kColumns, p.c_str());
}

TEST(ViewPutText, EightyCharactersLeaveAWrapPendingThatTheNextTextTakes) {
    ViewHarness h;
    h.Put(std::string(80, 'a'));
    EXPECT_EQ(h.view->GetColumn(), 80);
    EXPECT_TRUE(h.view->WrapPending());
    EXPECT_EQ(h.Row(0), std::string(80, 'a'));
    h.Put("Z");
    EXPECT_EQ(h.view->GetRow(), 1);
    EXPECT_EQ(h.view->GetColumn(), 1);
    EXPECT_FALSE(h.view->WrapPending());
    EXPECT_EQ(h.Row(1)[0], 'Z');
}

TEST(ViewPutText, WrapOnRowTwentyThreeScrollsTheRegionIntoTheHistory) {
    ViewHarness h;
    h.view->WriteTextAt(0, 0, 3, "top");
    h.view->WriteTextAt(24, 0, 3, "msg");
    h.view->SetCursorPos(23, 0);
    h.Put(std::string(80, 'b'));
    h.port.Clear();
    h.Put("Z");
    EXPECT_EQ(h.Line(71).substr(0, 3), "top");
    EXPECT_EQ(h.Row(22), std::string(80, 'b'));
    EXPECT_EQ(h.Row(23)[0], 'Z');
    EXPECT_EQ(h.Row(24).substr(0, 3), "msg");
    EXPECT_EQ(h.view->GetRow(), 23);
    EXPECT_EQ(h.view->GetColumn(), 1);
    EXPECT_EQ(h.port.Count("ScrollPixels 0,0,640,384 by 0 -16"), 1u);
}

TEST(ViewPutText, InsertModeOpensOnlyTheRoomLeftOnTheRow) {
    const struct {
        int col;
        std::string text;
        int open;
    } cases[] = {{78, "XYZ", 2}, {10, "XYZ", 3}, {0, "", 1}, {79, "Q", 1}};
    for (const auto& c : cases) {
        ViewHarness h;
        WritePattern(h, 0);
        h.view->SetCursorPos(0, c.col);
        h.view->InsertModeOn();
        h.port.Clear();
        h.view->PutText(c.text.c_str(), static_cast<int>(c.text.size()));
        std::string expected = Pattern();
        expected.insert(static_cast<size_t>(c.col), std::string(static_cast<size_t>(c.open), ' '));
        expected.replace(static_cast<size_t>(c.col), c.text.size() < size_t(c.open) ? c.text.size() : size_t(c.open),
                         c.text.substr(0, static_cast<size_t>(c.open)));
        EXPECT_EQ(h.Row(0), expected.substr(0, 80)) << c.col;
        EXPECT_EQ(h.port.Count("ScrollPixels " + std::to_string(c.col * 8) + ",0,640,16 by " +
                               std::to_string(c.open * 8) + " 0"),
                  1u)
            << c.col;
    }
}

TEST(ViewPutText, ColumnZeroKeepsTheLineSizeOfTheRow) {
    for (unsigned size : {cell::kDoubleWidth, cell::kDoubleHeight, cell::kDoubleHeight | cell::kLowerHalf}) {
        for (unsigned override : {0u, 0x05000000u}) {
            ViewHarness h;
            h.view->SetAttrOverride(override);
            h.view->SetCellAt(4, 0, size | 'q');
            h.view->SetCellAt(4, 1, size | 'r');
            h.view->SetCursorPos(4, 0);
            h.Put("AB");
            EXPECT_EQ(h.view->GetCellAt(4, 0) & cell::kLineSizeMask, size);
            EXPECT_EQ(h.view->GetCharAt(4, 0), 'A');
            EXPECT_EQ(h.view->GetCharAt(4, 1), 'B');
            if (override) {
                EXPECT_EQ(h.view->GetAttrAt(4, 1), override);
            }
        }
    }
}

TEST(ViewPutText, ProtectionIsClearedUnlessWriteProtectAddsItBack) {
    const unsigned old = cell::kProtected | cell::kReverse | 'x';
    const struct {
        bool writeProtect;
        unsigned writeAttr, override, expected;
    } cases[] = {
        {false, 0x2000u, 0u, cell::kReverse | 'A'},
        {true, 0x2800u, 0u, cell::kReverse | 0x2800u | 'A'},
        {false, 0x2000u, 0x05000000u, 0x05000000u | 'A'},
        {true, 0x2000u, 0x05000000u, cell::kReverse | cell::kProtected | 'A'},
    };
    for (const auto& c : cases) {
        ViewHarness h;
        h.view->SetCellAt(2, 7, old);
        h.view->SetWriteAttr(c.writeAttr);
        if (c.writeProtect) h.view->WriteProtectOn();
        h.view->SetAttrOverride(c.override);
        h.view->SetCursorPos(2, 7);
        h.Put("A");
        EXPECT_EQ(h.view->GetCellAt(2, 7), c.expected) << std::hex << c.expected;
    }
}

TEST(ViewPutText, InvalidatesTheWrittenCellsOnceAndMovesTheCaret) {
    const struct {
        unsigned lineSize;
        const char* rect;
    } cases[] = {
        {0, "Invalidate 40,32,64,48 erase"},
        {cell::kDoubleWidth, "Invalidate 80,32,128,48 erase"},
        {cell::kDoubleHeight, "Invalidate 40,32,128,64 erase"},
        {cell::kDoubleHeight | cell::kLowerHalf, "Invalidate 40,16,128,48 erase"},
    };
    for (const auto& c : cases) {
        ViewHarness h;
        h.view->SetCellAt(2, 0, c.lineSize | ' ');
        h.view->SetCursorPos(2, 5);
        h.port.Clear();
        h.Put("abc");
        EXPECT_EQ(h.port.Matching("Invalidate"), std::vector<std::string>{c.rect});
        ASSERT_FALSE(h.port.calls.empty());
        EXPECT_EQ(h.port.calls.front(), "HideCaret");
        EXPECT_EQ(h.port.calls.back(), "ShowCaret");
        EXPECT_EQ(h.port.Last("SetCaretPos"), "SetCaretPos 64 32");
    }
    ViewHarness h([](RecordingPort& p) {
        p.minimised = true;
        p.focus = false;
    });
    h.port.Clear();
    h.Put("abc");
    EXPECT_EQ(h.port.Count("Invalidate"), 0u);
    EXPECT_EQ(h.port.Count("SetCaretPos"), 0u);
    EXPECT_EQ(h.Row(0).substr(0, 3), "abc");
}

TEST(ViewPutText, TextNeverRunsPastColumn79) {
    ViewHarness h;
    h.view->SetCursorPos(5, 70);
    h.Put(std::string(100, 'w'));
    EXPECT_EQ(h.Row(5), std::string(70, ' ') + std::string(10, 'w'));
    EXPECT_EQ(h.Row(6), std::string(80, ' '));
    EXPECT_EQ(h.view->GetColumn(), 80);
    EXPECT_TRUE(h.view->WrapPending());

    // Column 80 reached by addressing: the text starts the next row.
    h.view->SetRow(8);
    h.view->SetColumn(200);
    EXPECT_FALSE(h.view->WrapPending());
    h.Put("next");
    EXPECT_EQ(h.Row(8), std::string(80, ' '));
    EXPECT_EQ(h.Row(9).substr(0, 5), "next ");
    EXPECT_EQ(h.view->GetRow(), 9);
    EXPECT_EQ(h.view->GetColumn(), 4);
}

TEST(ViewCellShifting, DeleteCharsInField) {
    const struct {
        int col, count, endCol, removed;
    } cases[] = {{5, 3, 80, 3}, {5, 0, 80, 1}, {5, -9, 80, 1}, {5, 100, 20, 15}, {78, 5, 80, 2}, {30, 1, 20, 0},
                 {5, 3, 500, 3}};
    for (const auto& c : cases) {
        ViewHarness h;
        WritePattern(h, 3);
        h.view->SetCursorPos(3, c.col);
        h.port.Clear();
        h.view->DeleteCharsInField(c.endCol, c.count);
        std::string expected = Pattern();
        if (c.removed > 0) {
            const size_t end = static_cast<size_t>(c.endCol > 80 ? 80 : c.endCol);
            expected.erase(static_cast<size_t>(c.col), static_cast<size_t>(c.removed));
            expected.insert(end - static_cast<size_t>(c.removed), std::string(static_cast<size_t>(c.removed), ' '));
            EXPECT_EQ(h.port.calls, std::vector<std::string>{"ScrollPixels " + std::to_string(c.col * 8) + ",48," +
                                                             std::to_string(end * 8) + ",64 by " +
                                                             std::to_string(-8 * c.removed) + " 0"});
        }
        EXPECT_EQ(h.Row(3), expected) << c.col << " " << c.count << " " << c.endCol;
    }
}

TEST(ViewCellShifting, InsertCellInFieldKeepsTheCursorAttribute) {
    ViewHarness h;
    WritePattern(h, 1);
    h.view->SetAttrAt(1, 5, cell::kReverse);
    h.view->SetCursorPos(1, 5);
    h.port.Clear();
    h.view->InsertCellInField(10, 'X');
    std::string expected = Pattern();
    expected.insert(5, "X");
    expected.erase(10, 1);  // the cell at endCol - 1 is lost
    EXPECT_EQ(h.Row(1).substr(0, 80), expected.substr(0, 80));
    EXPECT_EQ(h.view->GetCellAt(1, 5), cell::kReverse | 'X');
    EXPECT_EQ(h.view->GetCellAt(1, 6), cell::kReverse | static_cast<unsigned>(Pattern()[5]));
    EXPECT_EQ(h.port.Matching("Invalidate"), std::vector<std::string>{"Invalidate 0,16,640,32 erase"});

    h.view->SetCursorPos(1, 79);
    h.view->InsertCell('E');
    EXPECT_EQ(h.view->GetCharAt(1, 79), 'E');
}

TEST(ViewCellShifting, WriteTextAtClipsToTheRowAndKeepsAttributes) {
    ViewHarness h;
    h.view->SetAttrRunAt(3, 0, 80, cell::kReverse);
    h.view->WriteTextAt(3, -2, 5, "abcde");
    h.view->WriteTextAt(3, 78, 5, "vwxyz");
    EXPECT_EQ(h.Row(3), "cde" + std::string(75, ' ') + "vw");
    EXPECT_EQ(h.view->GetAttrAt(3, 0), cell::kReverse);

    char* message = h.view->MessageLineBuffer();
    for (int i = 0; i < screen::kMessageLineSize; ++i) message[i] = static_cast<char>('A' + i % 26);
    h.view->ShowMessageLine();
    EXPECT_EQ(h.Row(24), std::string(message, 80));
}

}  // namespace

namespace {

// Chosen screen colours make the default attribute (and with it the attribute
// override) non-zero; text written then still keeps the host's attributes.
TEST(ViewText, WithScreenColoursTextKeepsEmbeddedAttributes) {
    ViewHarness h(nullptr, "WHITE", "BLUE");
    const unsigned colours = h.view->GetDefaultAttr();
    ASSERT_NE(colours, 0u);
    ASSERT_EQ(h.view->GetAttrOverride(), colours);
    h.view->SetAttrRunAt(0, 0, 5, colours | cell::kReverse);
    h.Put("REV");
    for (int col = 0; col < 3; ++col) EXPECT_EQ(h.view->GetCellAt(0, col), colours | cell::kReverse | "REV"[col]);
    // A real override still replaces the attribute.
    h.view->SetAttrOverride(colours | cell::kAltIntensity);
    h.Put("I");
    EXPECT_EQ(h.view->GetCellAt(0, 3), colours | cell::kAltIntensity | 'I');
}

}  // namespace
