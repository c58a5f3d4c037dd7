// Construction, colours by name, caption and host name, the scope log.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/view/ViewHarness.h"

namespace {

struct WindowCase {
    int charWidth, lineHeight, screenWidth, screenHeight;
    std::string move;
};

TEST(ViewConstruction, SizesTheWindowThenSetsUpCaretScrollBarAndCaption) {
    const WindowCase cases[] = {
        {8, 16, 1024, 768, "MoveWindow -2 0 644 444"},   // fits: text + frame
        {8, 16, 600, 300, "MoveWindow -2 0 604 300"},    // wider and taller than the desktop
        {10, 20, 2000, 500, "MoveWindow -2 0 804 500"},  // 25 rows exactly the desktop height
    };
    for (const WindowCase& c : cases) {
        ViewHarness h([&](RecordingPort& p) {
            p.charWidth = c.charWidth;
            p.lineHeight = c.lineHeight;
            p.screenWidth = c.screenWidth;
            p.screenHeight = c.screenHeight;
        });
        EXPECT_EQ(h.failed, 0);
        const std::string caret = "CreateCaret " + std::to_string(c.charWidth) + "x" + std::to_string(c.lineHeight);
        const std::vector<std::string> expected = {
            c.move, "Invalidate all erase", caret, "ShowCaret", "SetScrollRange 0 72", "SetScrollPos 72",
            "ShowScrollBar 0", "SetCaption Orvane Terminal Emulator - (None)"};
        EXPECT_EQ(h.port.calls, expected) << c.move;
    }
}

TEST(ViewConstruction, EveryStoredLineStartsBlankInTheDefaultColours) {
    ViewHarness h(nullptr, "BLUE", "WHITE");
    const unsigned attr = (2u << cell::kForeShift) | (8u << cell::kBackShift);
    EXPECT_EQ(h.view->GetDefaultAttr(), attr);
    EXPECT_EQ(h.view->GetAttrOverride(), attr);
    for (int i = 0; i < CWinTermView::kTableLines; ++i)
        for (int c = 0; c < screen::kColumns; ++c) ASSERT_EQ(h.view->TableLine(i)[c], attr | 0x20u) << i;
    EXPECT_EQ(h.view->TableLine(-1), nullptr);
    EXPECT_EQ(h.view->TableLine(CWinTermView::kTableLines), nullptr);
    EXPECT_EQ(h.view->ScrollPosition(), 72);
    EXPECT_FALSE(h.view->WrapPending());
}

TEST(ViewConstruction, ColourNamesMatchExactly) {
    const struct {
        const char* name;
        int code;
    } cases[] = {{"BLACK", 1}, {"BLUE", 2},  {"GREEN", 3}, {"CYAN", 4},   {"RED", 5},  {"MAGENTA", 6},
                 {"BROWN", 7}, {"WHITE", 8}, {"green", 0}, {"WHITE ", 0}, {"NULL", 0}, {"", 0},
                 {nullptr, 0}};
    for (const auto& c : cases) EXPECT_EQ(CWinTermView::ColourCodeFromName(c.name), c.code) << (c.name ? c.name : "null");
}

TEST(ViewConstruction, SwapColorsExchangesTheColourCodesOnly) {
    const struct {
        unsigned in, out;
    } cases[] = {
        {(2u << 24) | (8u << 28) | 0x2341u, (8u << 24) | (2u << 28)},
        {0x00FFFFFFu, 0u},
        {0xFFFFFFFFu, 0xFF000000u},
    };
    ViewHarness h;
    for (const auto& c : cases) EXPECT_EQ(h.view->SwapColors(c.in), c.out) << std::hex << c.in;
}

TEST(ViewCaption, TitleAndHostName) {
    ViewHarness h;
    const std::string prefix = "SetCaption Orvane Terminal Emulator - ";
    h.view->SetTitle("");
    EXPECT_EQ(h.port.Last("SetCaption"), prefix + "(None)");
    h.view->SetTitle(nullptr);
    EXPECT_EQ(h.port.Last("SetCaption"), prefix + "(None)");

    const struct {
        const char* host;
        const char* remembered;
    } cases[] = {{"alpha", "alpha"}, {"backup", "alpha"}, {"local", "alpha"}, {"Local", "Local"}, {"", ""}};
    for (const auto& c : cases) {
        h.view->SetHostName(c.host);
        EXPECT_EQ(h.port.Last("SetCaption"), prefix + (*c.host ? c.host : "(None)"));
        EXPECT_STREQ(h.view->LastHost(), c.remembered);
    }

    const std::string longName(200, 'h');
    h.view->SetHostName(longName.c_str());
    EXPECT_EQ(h.port.Last("SetCaption").size(), std::string("SetCaption ").size() + 99);
    EXPECT_EQ(std::string(h.view->LastHost()), longName.substr(0, 127));
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(ViewScopeLog, AppendsEachByteAndTruncatesOnReopen) {
    ViewHarness h;
    const std::string path = testing::TempDir() + "view_scope_test.log";
    EXPECT_EQ(h.view->IsLogging(), 0);
    h.view->LogChar('x');  // not logging: nothing happens

    ASSERT_TRUE(h.view->OpenScopeLog(path.c_str()));
    EXPECT_NE(h.view->IsLogging(), 0);
    const std::string bytes("A\0\x1b\xff\r\n", 6);
    for (char b : bytes) h.view->LogChar(static_cast<unsigned char>(b));
    EXPECT_EQ(ReadFile(path), bytes);  // flushed at once

    ASSERT_TRUE(h.view->OpenScopeLog(path.c_str()));
    h.view->LogChar('z');
    h.view->CloseScopeLog();
    EXPECT_EQ(h.view->IsLogging(), 0);
    EXPECT_EQ(ReadFile(path), "z");
    std::remove(path.c_str());

    EXPECT_FALSE(h.view->OpenScopeLog((testing::TempDir() + "no/such/dir/scope.log").c_str()));
    EXPECT_EQ(h.view->IsLogging(), 0);
    h.view->LogChar('y');
}

}  // namespace
