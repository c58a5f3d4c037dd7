// Painting: the colours of a run, runs of equal attributes, the lines an
// update rectangle covers, and colours that are only set when they change.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/view/ViewHarness.h"
#include "view/CellColours.h"

namespace {

constexpr unsigned kBlack = Rgb(0, 0, 0), kWhite = Rgb(255, 255, 255), kGreen = Rgb(0, 128, 0);
constexpr unsigned Fore(unsigned code) { return code << cell::kForeShift; }
constexpr unsigned Back(unsigned code) { return code << cell::kBackShift; }

TEST(CellColours, FollowCodesProtectionReverseAlternateColourAndIntensity) {
    struct Case {
        const char* what;
        unsigned attr;
        unsigned text, back;
    } cases[] = {
        {"default", 0, kBlack, kWhite},
        {"reverse", cell::kReverse, kWhite, kBlack},
        {"reverse alternate colour", cell::kReverse | cell::kAltColour, kWhite, kGreen},
        {"alternate colour", cell::kAltColour, kGreen, kWhite},
        {"protected", cell::kProtected, Rgb(200, 200, 200), kWhite},
        {"protected reverse", cell::kProtected | cell::kReverse, kWhite, Rgb(200, 200, 200)},
        {"blue on brown", Fore(2) | Back(7), Rgb(50, 50, 180), Rgb(128, 64, 0)},
        {"white foreground, black background", Fore(8) | Back(1), kWhite, kBlack},
        {"red at alternate intensity", Fore(5) | cell::kAltIntensity, Rgb(255, 0, 0), kWhite},
        {"default at alternate intensity", cell::kAltIntensity, kBlack, kWhite},
        {"cyan reverse at alternate intensity", Fore(4) | cell::kReverse | cell::kAltIntensity, Rgb(0, 100, 180),
         Rgb(0, 180, 180)},
        {"unknown codes are the defaults", Fore(12) | Back(15), kBlack, kWhite},
    };
    for (const Case& c : cases) {
        const colours::RunColours run = colours::ForAttribute(c.attr);
        EXPECT_EQ(run.text, c.text) << c.what;
        EXPECT_EQ(run.back, c.back) << c.what;
    }
}

struct PaintHarness : ViewHarness {
    PaintHarness() {
        port.paintArea = PixelRect{0, 0, 80 * 8, 25 * 16};
    }
    std::vector<std::string> Paint(const PixelRect& area) {
        port.paintArea = area;
        port.painted.clear();
        view->Paint();
        return port.painted;
    }
    // The runs painted for one window line.
    static std::vector<std::string> RunsAt(const std::vector<std::string>& painted, int y) {
        std::vector<std::string> runs;
        const std::string prefix = "Run ";
        for (const std::string& p : painted) {
            if (p.compare(0, prefix.size(), prefix) != 0) continue;
            const auto comma = p.find(','), space = p.find(' ', comma);
            if (std::stoi(p.substr(comma + 1, space - comma - 1)) == y) runs.push_back(p);
        }
        return runs;
    }
};

TEST(ViewPaint, DrawsRunsOfEqualAttributesAndSetsOnlyChangedColours) {
    PaintHarness h;
    h.Put("AB");
    h.view->SetAttrRunAt(0, 2, 3, cell::kReverse);
    h.view->WriteTextAt(0, 2, 3, "CDE");
    const std::vector<std::string> painted = h.Paint(PixelRect{0, 0, 80 * 8, 16});
    const std::vector<std::string> runs = PaintHarness::RunsAt(painted, 0);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0], "Run 0,0 AB");
    EXPECT_EQ(runs[1], "Run 16,0 CDE");
    EXPECT_EQ(runs[2].substr(0, 9), "Run 40,0 ");
    EXPECT_EQ(runs[2].size(), 9u + 75u);
    // Black on white is what the device starts with: only the reverse run and
    // the way back cost colour calls.
    const std::vector<std::string> expected = {"Text FFFFFF", "Back 000000", "Text 000000", "Back FFFFFF"};
    std::vector<std::string> colourCalls;
    for (const std::string& p : painted)
        if (p[0] != 'R') colourCalls.push_back(p);
    EXPECT_EQ(colourCalls, expected);

    // A second pass over the same cells needs no colour call for the first run.
    const std::vector<std::string> again = h.Paint(PixelRect{0, 0, 16, 16});
    EXPECT_EQ(again.front(), "Run 0,0 AB");
}

TEST(ViewPaint, UpdateRectangleChoosesLinesAndColumns) {
    struct Case {
        PixelRect area;
        int firstLine, lastLine, columns;
    } cases[] = {
        {{0, 0, 640, 400}, 0, 24, 80},
        {{0, 32, 80, 48}, 2, 3, 12},    // bottom on a boundary: lines 2 and 3 (80 / 8 + 2 columns)
        {{0, 40, 640, 41}, 1, 3, 80},   // top inside line 2: one line earlier; bottom inside: one more
        {{100, 380, 120, 460}, 22, 24, 17},  // never below row 24
    };
    for (const Case& c : cases) {
        PaintHarness h;
        const std::vector<std::string> painted = h.Paint(c.area);
        int first = -1, last = -1;
        for (int line = 0; line < 30; ++line) {
            const std::vector<std::string> runs = PaintHarness::RunsAt(painted, line * 16);
            if (runs.empty()) continue;
            if (first < 0) first = line;
            last = line;
            ASSERT_EQ(runs.size(), 1u);
            EXPECT_EQ(runs[0].size(), runs[0].find(' ', 4) + 1 + static_cast<std::size_t>(c.columns));
        }
        EXPECT_EQ(first, c.firstLine) << RecordingPort::R(c.area);
        EXPECT_EQ(last, c.lastLine) << RecordingPort::R(c.area);
    }
}

TEST(ViewPaint, DoubleWidthLinesPaintHalfTheColumnsAtTwiceTheWidth) {
    PaintHarness h;
    h.Put("WIDE");
    h.view->ReplaceAttrAt(0, 0, cell::kDoubleWidth, cell::kLineSizeMask);
    h.view->SetAttrRunAt(0, 2, 1, cell::kReverse);
    const std::vector<std::string> runs = PaintHarness::RunsAt(h.Paint(PixelRect{0, 0, 640, 16}), 0);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0], "Run 0,0 WI size 1");
    EXPECT_EQ(runs[1], "Run 32,0 D size 1");
    EXPECT_EQ(runs[2].substr(0, 9), "Run 48,0 ");
    EXPECT_EQ(runs[2].size(), std::string("Run 48,0 ").size() + 37 + std::string(" size 1").size());
}

TEST(ViewPaint, HidesTheCaretWhileDrawingAndReinvertsTheSelection) {
    PaintHarness h;
    h.view->MouseDown(5 * 8, 2);
    h.view->MouseMove(10 * 8, 2);
    h.port.Clear();
    h.Paint(PixelRect{0, 0, 640, 400});
    const std::vector<std::string> expected = {"HideCaret", "BeginPaint 0,0,640,400", "InvertRect 40,0,80,16",
                                               "EndPaint", "ShowCaret", "SetCaretPos 0 0"};
    EXPECT_EQ(h.port.calls, expected);
}

}  // namespace
