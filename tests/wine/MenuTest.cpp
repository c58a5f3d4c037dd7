// The menu bar's states as its popups open (connection, selection,
// clipboard, local mode), and local mode itself: typed text goes to the
// screen, not to the host, until it is switched off again.
#include <string>
#include <vector>

#include "TerminalSession.h"

namespace {

using ovwine::Arg;
using ovwine::kTitleBase;

class Menu : public ovwine::TerminalTest {
protected:
    // Runs the commands and returns the answer of every menustate among
    // them, in order ("104 grayed", "128 enabled checked", ...).
    std::vector<std::string> States(const std::vector<std::string>& commands) {
        std::vector<std::string> states;
        for (const std::string& line : Run(commands).Lines())
            if (line.rfind("menustate ", 0) == 0) states.push_back(line.substr(10));
        return states;
    }
};

using Answers = std::vector<std::string>;

TEST_F(Menu, StatesFollowConnectionSelectionAndClipboard) {
    StartProgram({});
    if (HasFatalFailure()) return;
    // Not connected, nothing selected, nothing on the clipboard.
    EXPECT_EQ(States({"clearclipboard", "menustate 0 101", "menustate 0 102", "menustate 1 104", "menustate 1 105",
                      "menustate 3 128", "menustate 4 126"}),
              (Answers{"101 enabled", "102 grayed", "104 grayed", "105 grayed", "128 enabled", "126 enabled"}));
    EXPECT_EQ(States({"setclipboard some\\stext", "menustate 1 105", "clearclipboard", "menustate 1 105"}),
              (Answers{"105 enabled", "105 grayed"}));

    const std::string host = HostText();
    std::vector<std::string> connect = ConnectDialogCommands(host);
    connect.push_back("waittitle " + Arg(kTitleBase + host) + " 20000");
    Run(connect);
    ASSERT_TRUE(WaitForScreen("$ ", 20000)) << ScreenText();
    RunOnHost("echo selected-$((8*8))", "selected-64");
    int row = -1;
    const std::vector<std::string> rows = Screen();
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
        if (rows[r].rfind("selected-64", 0) == 0) row = r;
    ASSERT_GE(row, 0) << ScreenText();
    const std::string r = std::to_string(row);

    EXPECT_EQ(States({"menustate 0 101", "menustate 0 102"}), (Answers{"101 grayed", "102 enabled"}));
    // A drag selects and enables Copy; a click or a backward drag does not.
    ovwine::DriveResult copied = Run({"drag " + r + " 0 " + r + " 8", "menustate 1 104", "sendcommand 104",
                                      "clipboard", "menustate 1 105"});
    EXPECT_EQ(copied.Value("menustate"), "104 enabled");
    EXPECT_EQ(copied.Value("clipboard"), "selected");
    EXPECT_EQ(copied.answers.back().lines, std::vector<std::string>{"menustate 105 enabled"});
    EXPECT_EQ(States({"drag " + r + " 3 " + r + " 3", "menustate 1 104", "drag " + r + " 8 " + r + " 2",
                      "menustate 1 104"}),
              (Answers{"104 grayed", "104 grayed"}));

    // Disconnect: the Connect popup turns back, the title shows no host.
    EXPECT_EQ(States({"sendcommand 102", "title", "menustate 0 101", "menustate 0 102"}),
              (Answers{"101 enabled", "102 grayed"}));
    EXPECT_EQ(Run({"title"}).Value("title"), std::string(kTitleBase) + "(None)");

    // Local mode works without a host too: typing shows on the screen.
    Run({"command 128", "answer WinOvTerm OK", "chars offline-text"});
    EXPECT_TRUE(WaitForScreen("offline-text")) << ScreenText();
    Run({"command 128", "answer WinOvTerm OK"});
}

TEST_F(Menu, LocalModeKeepsTypingFromTheHost) {
    StartConnected();
    if (HasFatalFailure()) return;
    ovwine::DriveResult on = Run({"command 128", "answer WinOvTerm OK", "menustate 3 128"});
    EXPECT_EQ(on.Value("box"), "WinOvTerm: Local Mode : ON");
    EXPECT_EQ(on.Value("menustate"), "128 enabled checked");

    // Were this to reach the host, the shell would create the file.
    const std::string marker = HostPath("typed-in-local-mode");
    Run({"chars " + Arg("touch " + marker + "\r")});
    EXPECT_TRUE(WaitForScreen("touch " + marker)) << ScreenText();

    // Alt+Shift+L switches it off again.
    ovwine::DriveResult off = Run({"postkey L shift alt", "answer WinOvTerm OK", "menustate 3 128"});
    EXPECT_EQ(off.Value("box"), "WinOvTerm: Local Mode : OFF");
    EXPECT_EQ(off.Value("menustate"), "128 enabled");

    // The host now takes typing; it has taken everything sent before.
    RunOnHost("echo host-$((9*9))", "host-81");
    EXPECT_FALSE(ovwine::FileExists(marker));
}

}  // namespace
