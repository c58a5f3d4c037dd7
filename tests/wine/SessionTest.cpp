// A whole session in the real window: host output on the screen, typing
// reaching the host, one prompt per Enter under telnet BINARY.
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

}  // namespace
