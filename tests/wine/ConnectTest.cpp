// Connecting from the command line, the Connect dialog and the recent-hosts
// menu: a failed attempt reports itself once and leaves no trace in the
// list; a good one becomes entry 1, which outlives the program; a session the
// host ends is reported once.
#include <algorithm>
#include <string>
#include <vector>

#include "TerminalSession.h"

namespace {

using ovwine::Arg;
using ovwine::kTitleBase;

class Connect : public ovwine::TerminalTest {
protected:
    // The Connect popup's items as menuitems lists them.
    std::vector<std::string> ConnectItems() {
        std::vector<std::string> items;
        for (const std::string& line : Run({"menuitems 0"}).Lines())
            if (line.rfind("item ", 0) == 0 || line == "separator") items.push_back(line);
        return items;
    }
    static bool Has(const std::vector<std::string>& items, const std::string& item) {
        return std::find(items.begin(), items.end(), item) != items.end();
    }
    static std::string Joined(const std::vector<std::string>& items) {
        std::string text;
        for (const std::string& item : items) text += item + "\n";
        return text;
    }
};

TEST_F(Connect, FailureShowsOneBoxAndResetsTheTitle) {
    const std::string dead = "127.0.0.1:" + std::to_string(ovwine::FreeLoopbackPort());
    const std::string failed = "Connection Failed!: Unable to connect - (" + dead + ")";
    const std::string none = std::string(kTitleBase) + "(None)";

    // At start, from the command line.
    StartProgram({dead});
    if (HasFatalFailure()) return;
    ovwine::DriveResult first = Run({"box " + Arg("Connection Failed!") + " 30000", "title", "press OK",
                                     "waittitle " + Arg(none) + " 10000", "title", "nobox 2000"});
    ASSERT_TRUE(first.ok);
    EXPECT_EQ(first.Value("box"), failed);
    EXPECT_EQ(first.answers[2].lines,
              std::vector<std::string>{"title " + std::string(kTitleBase) + "Trying to connect to (" + dead + ")"});
    EXPECT_EQ(first.answers[5].lines, std::vector<std::string>{"title " + none});

    // Again through the Connect dialog.
    ovwine::DriveResult second =
        Run({"command 101", "dialog Connect", "settext 1000 " + Arg(dead), "click 1",
             "box " + Arg("Connection Failed!") + " 30000", "press OK", "waittitle " + Arg(none) + " 10000",
             "nobox 2000", "menustate 0 101", "menustate 0 102"});
    ASSERT_TRUE(second.ok);
    EXPECT_EQ(second.Value("box"), failed);
    EXPECT_EQ(second.answers[9].lines, std::vector<std::string>{"menustate 101 enabled"});
    EXPECT_EQ(second.answers[10].lines, std::vector<std::string>{"menustate 102 grayed"});

    // A host that could not be reached is not a recent host.
    for (const std::string& item : ConnectItems())
        EXPECT_EQ(item.find(dead), std::string::npos) << item;
}

TEST_F(Connect, RecentHostOutlivesTheProgramAndConnectsFromItsMenuItem) {
    const std::string host = HostText();
    const std::string entry = "item 8001 &1 " + host;

    StartProgram({});
    if (HasFatalFailure()) return;
    std::vector<std::string> connect = ConnectDialogCommands(host);
    connect.push_back("waittitle " + Arg(kTitleBase + host) + " 20000");
    Run(connect);
    ASSERT_TRUE(WaitForScreen("$ ", 20000)) << ScreenText();
    std::vector<std::string> items = ConnectItems();
    EXPECT_TRUE(Has(items, entry)) << Joined(items);
    // Entries sit between their separator and Exit.
    const auto at = std::find(items.begin(), items.end(), entry);
    if (at != items.end()) {
        EXPECT_TRUE(std::find(items.begin(), at, "separator") != at) << Joined(items);
        EXPECT_EQ(items.back(), "item 103 E&xit") << Joined(items);
    }

    // Alt+X asks first; No leaves the session as it was.
    ovwine::DriveResult no = Run({"postkey X alt", "answer WinOvTerm No", "sync", "title"});
    EXPECT_EQ(no.Value("box"), "WinOvTerm: Are You Sure You Want To Exit?");
    EXPECT_EQ(no.Value("title"), kTitleBase + host);
    EXPECT_EQ(program->Wait(0), -1);
    RunOnHost("echo still-$((5+5))", "still-10");

    // Yes ends the program, which keeps its list in the prefix's registry.
    Run({"postkey X alt", "answer WinOvTerm Yes", "waitgone 20000"});
    EXPECT_EQ(program->Wait(20000), 0) << program->Output();

    StartProgram({});
    if (HasFatalFailure()) return;
    items = ConnectItems();
    EXPECT_TRUE(Has(items, entry)) << Joined(items);
    EXPECT_EQ(Run({"menustate 0 102"}).Value("menustate"), "102 grayed");  // not connected yet
    Run({"command 8001", "waittitle " + Arg(kTitleBase + host) + " 20000"});
    ASSERT_TRUE(WaitForScreen("$ ", 20000)) << ScreenText();
    RunOnHost("echo again-$((6+6))", "again-12");
    EXPECT_TRUE(Has(ConnectItems(), entry));

    // The host ends the session: one box, and the title shows no host.
    ovwine::DriveResult lost = Run({"chars exit\\r", "box OvTerm 20000", "press OK",
                                    "waittitle " + Arg(std::string(kTitleBase) + "(None)") + " 10000",
                                    "nobox 2000", "menustate 0 101"});
    EXPECT_EQ(lost.Value("box"), "OvTerm: Connection lost");
    EXPECT_EQ(lost.Value("menustate"), "101 enabled");
}

}  // namespace
