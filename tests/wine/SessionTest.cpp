// A whole session in the real window: host output on the screen, typing,
// special keys and pasted text reaching the host as their bytes, one prompt
// per Enter under telnet BINARY.
#include <algorithm>
#include <string>
#include <vector>

#include "TerminalSession.h"

namespace {

using ovwine::Arg;

class Session : public ovwine::TerminalTest {};

TEST_F(Session, TypedCommandsRunOnTheHostAndTheirOutputIsShown) {
    StartConnected();
    if (HasFatalFailure()) return;
    Run({"chars echo hello\\s$((6*7))\\r"});
    ASSERT_TRUE(WaitForScreen("hello 42")) << ScreenText();
    const std::vector<std::string> rows = Screen();
    ASSERT_EQ(rows.size(), 25u);
    // Enter under BINARY is one newline: the output follows the command
    // line and one prompt follows the output.
    int commandRow = -1;
    for (int r = 0; r < 25; ++r)
        if (rows[r].rfind("$ echo hello", 0) == 0) commandRow = r;
    ASSERT_GE(commandRow, 0) << ScreenText();
    EXPECT_EQ(rows[commandRow + 1].substr(0, 8), "hello 42");
    EXPECT_EQ(rows[commandRow + 2].substr(0, 3), "$  ");
}

// Each key as the window receives it, and the bytes the host must read for
// it: the Wyse 50 keyboard's strings, nothing for the combinations it has no
// string for.
struct KeyCase {
    const char* command;
    const char* sent;
    std::size_t length;
};

TEST_F(Session, TypedCharactersAndSpecialKeysReachTheHostAsWyseStrings) {
    StartConnected();
    if (HasFatalFailure()) return;
    const KeyCase cases[] = {
        {"chars ab", "ab", 2},
        {"key F1", "\x01@\r", 3},
        {"key F1 shift", "\x01`\r", 3},
        {"key F1 ctrl", "\x01`\r", 3},  // Ctrl has the Shift strings
        {"key F1 ctrl alt", "\x01j\r", 3},
        {"key F1 alt", "", 0},          // a system key: not the terminal's
        {"key F2", "\x01" "A\r", 3},
        {"key F12 shift ctrl", "\x01k\r", 3},  // Shift wins over Ctrl
        {"key F16", "\x01O\r", 3},
        {"key F16 shift", "\x01o\r", 3},
        {"key F6 ctrl alt", "\x01o\r", 3},
        {"key F7 ctrl alt", "", 0},
        {"key HELP", "\x01@\r", 3},  // Help is F1
        {"key LEFT", "\x15", 1},
        {"key RIGHT", "\x0c", 1},
        {"key UP", "\x0b", 1},
        {"key DOWN", "\x0a", 1},
        {"key LEFT shift", "", 0},
        {"key UP ctrl", "\x1b{", 2},
        {"key HOME", "\x1e", 1},
        {"key END", "\x17", 1},
        {"key PAGEUP", "\x1c", 1},
        {"key PAGEDOWN", "\x1d", 1},
        {"key INSERT", "\x0e", 1},
        {"key DELETE", "\x0f", 1},
        {"key DELETE ctrl", "\x19", 1},
        {"key HOME ctrl", "", 0},
        {"key CANCEL ctrl", "\x7f", 1},  // Ctrl+Break
        {"key CANCEL ctrl shift", "\x7f", 1},
        {"postkey Q shift alt", "\x7f", 1},  // Alt+Shift+Q, the accelerator
        {"chars z", "z", 1},
    };
    std::string expected;
    std::vector<std::string> commands;
    for (const KeyCase& c : cases) {
        expected.append(c.sent, c.length);
        commands.push_back(c.command);
    }
    StartHostCapture("keys", expected.size());
    if (HasFatalFailure()) return;
    Run(commands);
    const std::string got = FinishHostCapture("keys", expected.size());
    // The first case whose bytes differ is the one reported.
    std::size_t at = 0;
    for (const KeyCase& c : cases) {
        const std::string want(c.sent, c.length);
        const std::string seen = got.substr(std::min(at, got.size()), c.length);
        if (seen != want) {
            ADD_FAILURE() << c.command << ": host read " << ovwine::Hex(seen) << ", expected " << ovwine::Hex(want)
                          << "\nall: " << ovwine::Hex(got) << "\nexpected: " << ovwine::Hex(expected);
            return;
        }
        at += c.length;
    }
}

TEST_F(Session, PastedTextGoesToTheHostUnchangedAndEachLineRuns) {
    StartConnected();
    if (HasFatalFailure()) return;
    // The bytes, exactly: CR LF pairs are not converted.
    const std::string pasted = "A1\r\nB2\r\n";
    StartHostCapture("paste", pasted.size());
    if (HasFatalFailure()) return;
    Run({"setclipboard " + Arg(pasted), "command 105", "sync"});
    EXPECT_EQ(ovwine::Hex(FinishHostCapture("paste", pasted.size())), ovwine::Hex(pasted));

    // Two command lines pasted at once both run. The results are
    // computed, so the echo of the lines cannot stand in for them.
    Run({"setclipboard " + Arg("echo one-$((1+1))\r\necho two-$((2+2))\r\n"), "command 105", "sync"});
    EXPECT_TRUE(WaitForScreen("one-2")) << ScreenText();
    EXPECT_TRUE(WaitForScreen("two-4")) << ScreenText();
}

}  // namespace

namespace {

// A flood arrives whole and in order (the socket is read ahead of the
// transport), and afterwards the window is an ordinary terminal again: the
// last lines on the screen, typing reaching the host, the menus answering.
TEST_F(Session, AFloodArrivesWholeAndTheWindowComesBackFromIt) {
    StartConnected();
    if (HasFatalFailure()) return;
    // About 1.3 MB of numbered lines, then one marker only the output shows.
    RunOnHost("seq 1 180000; echo 'FLOOD-''DONE'", "FLOOD-DONE", 120000);
    if (HasFatalFailure()) return;
    const std::vector<std::string> rows = Screen();
    int marker = -1;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
        if (rows[r].rfind("FLOOD-DONE", 0) == 0) marker = r;
    ASSERT_GE(marker, 3) << ScreenText();
    for (int back = 1; back <= 3; ++back)
        EXPECT_EQ(rows[marker - back].substr(0, 7), std::to_string(180001 - back) + " ") << ScreenText();
    RunOnHost("echo after-$((20+3))", "after-23");
    EXPECT_EQ(Run({"menustate 0 102"}).Value("menustate"), "102 enabled");
}

}  // namespace
