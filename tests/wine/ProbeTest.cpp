// The harness and ovdrive against ovprobe, a small window of our own: each
// command group the terminal's tests rely on, checked end to end under Wine.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <signal.h>
#include <string>
#include <vector>

#include "Screenshot.h"
#include "WineHarness.h"

namespace {

using ovwine::Arg;
using ovwine::DriveResult;
using ovwine::DriveWindow;
using ovwine::WineProcess;

const char kProbeClass[] = "OvProbe";

class ProbeTest : public ovwine::WineTest {
protected:
    void SetUp() override {
        WineTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        std::string error;
        ASSERT_TRUE(probe_.Start(ovwine::ProgramPath("ovprobe.exe"), {}, error)) << error;
        // The first program of a run also starts Wine's own services.
        DriveResult shown = DriveWindow(kProbeClass, {}, 60000);
        ASSERT_TRUE(shown.ok) << shown.Transcript() << probe_.Output();
    }

    // Runs commands against the probe; the test fails with the transcript
    // when any of them fails.
    DriveResult Run(const std::vector<std::string>& commands) {
        DriveResult result = DriveWindow(kProbeClass, commands);
        EXPECT_TRUE(result.ok) << result.Transcript();
        return result;
    }

    WineProcess probe_;
};

// The title answers of a run, in order ("OvProbe ..." without the prefix).
std::vector<std::string> Titles(const DriveResult& result) {
    std::vector<std::string> titles;
    for (const std::string& line : result.Lines())
        if (line.compare(0, 14, "title OvProbe ") == 0) titles.push_back(line.substr(14));
    return titles;
}

TEST_F(ProbeTest, KeysArriveWithTheModifierStateTheProgramReads) {
    struct Case {
        const char* command;
        const char* seen;
    } cases[] = {
        {"key F1", "key 112 shift=0 ctrl=0 alt=0"},
        {"key F1 shift", "key 112 shift=1 ctrl=0 alt=0"},
        {"key LEFT ctrl", "key 37 shift=0 ctrl=1 alt=0"},
        {"key DELETE shift ctrl", "key 46 shift=1 ctrl=1 alt=0"},
        // The state is put back after each key.
        {"key RIGHT", "key 39 shift=0 ctrl=0 alt=0"},
        {"key CANCEL ctrl", "key 3 shift=0 ctrl=1 alt=0"},
        // Alt without Ctrl, and F10, come as system keys.
        {"key X alt", "syskey 88 shift=0 ctrl=0 alt=1"},
        {"key F10", "syskey 121 shift=0 ctrl=0 alt=0"},
        {"key HOME ctrl alt", "key 36 shift=0 ctrl=1 alt=1"},
        {"key 0x41", "key 65 shift=0 ctrl=0 alt=0"},
    };
    std::vector<std::string> commands;
    for (const Case& c : cases) {
        commands.push_back(c.command);
        commands.push_back("title");
    }
    DriveResult result = Run(commands);
    std::vector<std::string> titles = Titles(result);
    ASSERT_EQ(titles.size(), std::size(cases)) << result.Transcript();
    for (size_t i = 0; i < titles.size(); ++i) EXPECT_EQ(titles[i], cases[i].seen) << cases[i].command;
}

TEST_F(ProbeTest, TypedTextComesBackThroughTheProgramsCopy) {
    DriveResult result = Run({
        "chars hello world\\r\\x41\\tB\\\\",
        "sendcommand 101",
        "clipboard",
        // Text put on the clipboard from outside reaches the program's Paste.
        "setclipboard \\spasted\\s",
        "sendcommand 102",
        "sendcommand 101",
        "clipboard",
        "clearclipboard",
        "clipboard",
    });
    std::vector<std::string> lines = result.Lines();
    ASSERT_EQ(lines.size(), 3u) << result.Transcript();
    EXPECT_EQ(lines[0], "clipboard hello world\\r\\nA\\tB\\\\");
    EXPECT_EQ(lines[1], "clipboard hello world\\r\\nA\\tB\\\\ pasted ");
    EXPECT_EQ(lines[2], "clipboard-empty");
}

TEST_F(ProbeTest, PostedCharsAndKeysKeepTheirOrderAndReachTheAccelerators) {
    // postkey returns once the program has taken the posted messages, so the
    // chars posted before it are in by then; sync waits for posted ones alone
    // (a sent menustate would otherwise overtake the posted command).
    DriveResult result = Run({"postchars abc", "postkey F2", "title", "sendcommand 101", "clipboard",
                              "command 103", "sync", "menustate 0 103"});
    EXPECT_EQ(result.Value("title"), "OvProbe key 113 shift=0 ctrl=0 alt=0");
    EXPECT_EQ(result.Value("clipboard"), "abc");
    EXPECT_EQ(result.Value("menustate"), "103 enabled checked");
    // Alt+X is the probe's accelerator for Exit: it works only when the key
    // goes through the message loop with Alt held.
    Run({"postkey X alt", "waitgone 5000"});
    EXPECT_EQ(probe_.Wait(10000), 0) << probe_.Output();
}

TEST_F(ProbeTest, MenuStatesFollowWhatTheProgramSetsOnInitMenuPopup) {
    DriveResult result = Run({
        "clearclipboard",
        "menustate 0 101",  // nothing typed: Copy grayed
        "menustate 0 102",  // empty clipboard: Paste grayed
        "menustate 0 103",
        "chars x",
        "setclipboard y",
        "sendcommand 103",  // Mark on
        "menustate 0 101",
        "menustate 0 102",
        "menustate 0 103",
        "menustate 0 107",  // in a nested popup, grayed in the resource
        "menustate 1 110",
        "menuitems 0",
    });
    std::vector<std::string> expected = {
        "menustate 101 grayed",
        "menustate 102 grayed",
        "menustate 103 enabled",
        "menustate 101 enabled",
        "menustate 102 enabled",
        "menustate 103 enabled checked",
        "menustate 107 grayed",
        "menustate 110 enabled",
        "item 101 &Copy",
        "item 102 &Paste",
        "item 103 &Mark",
        "separator",
        "item 104 &Ask...",
        "item 105 &Settings...",
        "popup M&ore",
        "item 106 E&xit",
    };
    EXPECT_EQ(result.Lines(), expected) << result.Transcript();
}

TEST_F(ProbeTest, MessageBoxesAreReadAndAnswered) {
    DriveResult result = Run({
        "chars keep",
        "nobox 200",
        "command 104",
        "box Probe\\squestion",
        "press No",
        "title",
        "sendcommand 101",
        "clipboard",
        "command 104",
        "answer Probe\\squestion &Yes",
        "title",
        "sendcommand 101",
        "clipboard",
    });
    std::vector<std::string> expected = {
        "box Probe question: Clear the typed text?",
        "title OvProbe asked no",
        "clipboard keep",
        "box Probe question: Clear the typed text?",
        "title OvProbe asked yes",
        "clipboard ",
    };
    EXPECT_EQ(result.Lines(), expected) << result.Transcript();

    // A box that should not be there is an error naming it; the box stays
    // open for the next run to answer.
    DriveResult unexpected = DriveWindow(kProbeClass, {"command 104", "nobox 3000", "title"});
    EXPECT_FALSE(unexpected.ok);
    EXPECT_NE(unexpected.error.find("Probe question"), std::string::npos) << unexpected.error;
    // window, command, nobox: ovdrive stops at the first error.
    EXPECT_EQ(unexpected.answers.size(), 3u) << unexpected.Transcript();
    Run({"answer Probe\\squestion 7", "waittitle asked\\sno"});  // 7 is IDNO: buttons by id
}

TEST_F(ProbeTest, DialogControlsAreReadFilledAndClicked) {
    DriveResult result = Run({
        "command 105",
        "dialog Probe\\ssettings",
        "gettext 1001",
        "settext 1001 new name",
        "gettext 1001",
        "check 1002",
        "click 1002",
        "check 1002",
        "dlgvisible 1003",
        "dlgvisible 1001",
        "dlgenabled 1001",
        "click 1",
        "waittitle settings",
        "title",
    });
    std::vector<std::string> expected = {
        "text 1001 probe",
        "text 1001 new name",
        "check 1002 unchecked",
        "check 1002 checked",
        "dlgvisible 1003 hidden",
        "dlgvisible 1001 visible",
        "dlgenabled 1001 enabled",
        "title OvProbe settings name=new name mark=1",
    };
    EXPECT_EQ(result.Lines(), expected) << result.Transcript();
}

TEST_F(ProbeTest, DragsLandOnTheCellsTheProgramComputesFromTheSameFont) {
    DriveResult size = Run({"cellsize"});
    int width = 0, height = 0;
    ASSERT_EQ(sscanf(size.Value("cellsize").c_str(), "%d %d", &width, &height), 2) << size.Transcript();
    ASSERT_GT(width, 0);
    ASSERT_GT(height, 0);
    // Cell drags, and the same in pixels at the far corners of the cells.
    const std::string px = std::to_string(10 * width) + " " + std::to_string(3 * height) + " " +
                           std::to_string(21 * width - 1) + " " + std::to_string(6 * height - 1);
    DriveResult result = Run({"drag 2 5 2 10", "title", "drag 7 70 3 0", "title", "dragpx " + px, "title"});
    std::vector<std::string> expected = {"drag 2 5 2 10", "drag 7 70 3 0", "drag 3 10 5 20"};
    EXPECT_EQ(Titles(result), expected) << result.Transcript();
}

TEST_F(ProbeTest, ScreenshotAndPixelsShowWhatThePaintDrew) {
    const std::string shot = probe_.WorkDir() + "/shot.bmp";
    DriveResult result = Run({
        "chars MMMM",
        "pixel 610 370",             // the red marker
        "pixel 300 200",             // background
        "screenshot " + ovwine::WinPath(shot),
    });
    std::vector<std::string> lines = result.Lines();
    ASSERT_EQ(lines.size(), 3u) << result.Transcript();
    EXPECT_EQ(lines[0], "pixel 255 0 0");
    EXPECT_EQ(lines[1], "pixel 0 0 128");
    EXPECT_EQ(lines[2], "screenshot 640 400");

    ovwine::Image bitmap;
    std::string error;
    ASSERT_TRUE(ovwine::ReadBmp(shot, bitmap, error)) << error;
    EXPECT_EQ(bitmap.width, 640);
    EXPECT_EQ(bitmap.height, 400);
    EXPECT_EQ(bitmap.At(610, 370), (ovwine::Rgb{255, 0, 0}));
    EXPECT_EQ(bitmap.At(599, 370), (ovwine::Rgb{0, 0, 128}));
    EXPECT_EQ(bitmap.At(300, 200), (ovwine::Rgb{0, 0, 128}));
    // The typed characters are painted in the text colour (smoothed at the
    // edges: Wine draws the OEM font from a scalable one) in the first cells.
    int yellow = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) {
            const ovwine::Rgb p = bitmap.At(x, y);
            if (p.r > 128 && p.g > 128 && p.b < 100) ++yellow;
        }
    EXPECT_GT(yellow, 30);

    DriveResult outside = DriveWindow(kProbeClass, {"pixel 640 0"});
    EXPECT_FALSE(outside.ok);
    EXPECT_NE(outside.error.find("outside the client area of 640x400"), std::string::npos) << outside.error;
}

TEST_F(ProbeTest, WaitsEndWithAnErrorSayingWhatWasAwaited) {
    struct Case {
        std::vector<std::string> commands;
        const char* says;
    } cases[] = {
        {{"window NoSuchClass 300"}, "no visible window of class \"NoSuchClass\" within 300 ms"},
        {{"waittitle never\\sthere 300"}, "title without \"never there\" after 300 ms; it is \"OvProbe\""},
        {{"box Nothing 300"}, "no box \"Nothing\" within 300 ms"},
        {{"dialog Nothing 300"}, "no dialog \"Nothing\" within 300 ms"},
        {{"waitgone 300"}, "still exists after 300 ms"},
        {{"menustate 7 101"}, "no popup 7"},
        {{"menustate 0 999"}, "no item 999 in popup 0"},
        {{"press OK"}, "no box or dialog"},
        {{"frobnicate"}, "unknown command \"frobnicate\""},
        {{"chars \\q"}, "unknown escape"},
        {{"key NOKEY"}, "unknown key \"NOKEY\""},
        {{"drag 1 2 3"}, "expected 4 arguments, got 3"},
    };
    for (const Case& c : cases) {
        DriveResult result = DriveWindow(kProbeClass, c.commands);
        EXPECT_FALSE(result.ok) << c.commands[0];
        EXPECT_NE(result.error.find(c.says), std::string::npos) << c.commands[0] << " -> " << result.error;
    }
}

TEST_F(ProbeTest, TimesendMeasuresTheAnswerTime) {
    DriveResult result = Run({"timesend 20"});
    double maxMs = -1, avgMs = -1;
    ASSERT_EQ(sscanf(result.Value("timesend").c_str(), "max_ms=%lf avg_ms=%lf", &maxMs, &avgMs), 2)
        << result.Transcript();
    EXPECT_GT(avgMs, 0);
    EXPECT_GE(maxMs, avgMs);
}

TEST_F(ProbeTest, ClosedWindowEndsTheProgramAndAKilledOneLeavesNothing) {
    Run({"close", "waitgone"});
    EXPECT_EQ(probe_.Wait(10000), 0) << probe_.Output();

    WineProcess second;
    std::string error;
    ASSERT_TRUE(second.Start(ovwine::ProgramPath("ovprobe.exe"), {}, error)) << error;
    Run({});  // the window is up
    const pid_t pid = second.Pid();
    second.Kill();
    EXPECT_FALSE(second.Running());
    EXPECT_NE(kill(pid, 0), 0) << "the killed program still runs";
    DriveResult gone = ovwine::Drive({"window OvProbe 500"});
    EXPECT_FALSE(gone.ok) << "its window is still there";
}

}  // namespace
