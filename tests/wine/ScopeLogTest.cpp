// The scope log: started and stopped from the Utilities menu, it holds
// exactly the bytes the host sent in between, nothing from before or after.
#include <string>

#include "TerminalSession.h"

namespace {

using ovwine::Arg;
using ovwine::Hex;

class ScopeLog : public ovwine::TerminalTest {};

const char kStartText[] =
    "WinOvTerm: NB!!: This should only be used for debugging...\\nUSING THIS TOOL USES DISK SPACE...";

TEST_F(ScopeLog, HoldsExactlyTheBytesReceivedWhileItRuns) {
    StartConnected();
    if (HasFatalFailure()) return;
    const std::string log = WorkDir() + "/scope.log";
    ASSERT_FALSE(ovwine::FileExists(log));

    ovwine::DriveResult started = Run({"menustate 4 126", "command 126", "answer WinOvTerm OK", "menustate 4 126"});
    ASSERT_TRUE(started.ok);
    EXPECT_EQ(started.Value("box"), kStartText);
    ASSERT_EQ(started.answers.size(), 5u);
    EXPECT_EQ(started.answers[1].lines, std::vector<std::string>{"menustate 126 enabled"});
    EXPECT_EQ(started.answers[4].lines, std::vector<std::string>{"menustate 126 enabled checked"});
    EXPECT_TRUE(ovwine::FileExists(log));

    // What the host sends: the terminal's echo of the typed line, the newline
    // of Enter, printf's bytes (a tab and a byte above 0x7F among them) with
    // the line end the tty turns into CR LF, and the next prompt.
    const std::string line = "printf 'ab\\tc\\351d\\n'";
    const std::string expected = line + "\r\n" + "ab\tc\xe9" "d\r\n" + "$ ";
    Run({"chars " + Arg(line + "\r")});
    ovwine::WaitForBytes(log, expected.size(), 20000);
    // Anything more would come now, before the log is stopped.
    Run({"sleep 500"});
    EXPECT_EQ(Hex(ovwine::ReadFile(log)), Hex(expected)) << ScreenText();

    ovwine::DriveResult stopped = Run({"command 126", "answer WinOvTerm OK", "menustate 4 126"});
    EXPECT_EQ(stopped.Value("box"), "WinOvTerm: Log written to SCOPE.LOG");
    EXPECT_EQ(stopped.Value("menustate"), "126 enabled");

    // After the stop nothing more is written.
    RunOnHost("echo after-$((3*4))", "after-12");
    EXPECT_EQ(Hex(ovwine::ReadFile(log)), Hex(expected));

    // A new start empties the file.
    ovwine::DriveResult again = Run({"command 126", "answer WinOvTerm OK", "command 126", "answer WinOvTerm OK"});
    EXPECT_EQ(again.Value("box"), kStartText);
    EXPECT_TRUE(ovwine::FileExists(log));
    EXPECT_EQ(ovwine::ReadFile(log), "");
}

}  // namespace
