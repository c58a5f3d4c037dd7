// Menu commands and the window state they change: exit, disconnect, local
// mode, the scope log, colours by swatch and the recent-hosts list.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "settings/MruList.h"
#include "settings/Settings.h"
#include "tests/settings/SettingsTestSupport.h"
#include "tests/view/ViewHarness.h"
#include "view/CommandPort.h"

namespace {

using settingstest::Layout;
using settingstest::MenuDouble;
using settingstest::ScopedConfigHome;

class CommandDouble : public CViewCommandPort {
public:
    std::vector<std::string> calls;
    void RunConnectDialog() override { calls.push_back("connect"); }
    void RunAboutDialog() override { calls.push_back("about"); }
    void RunColourDialog() override { calls.push_back("colours"); }
    bool ChooseFont(int* w, int* h) override {
        calls.push_back("font");
        *w = 10;
        *h = 20;
        return fontChosen;
    }
    void RunFtpSettingsDialog() override { calls.push_back("ftp"); }
    void RunTransferDialog(int download) override { calls.push_back(download ? "download" : "upload"); }
    void StartCommandPrompt() override { calls.push_back("prompt"); }
    void RequestClose() override { calls.push_back("close"); }
    bool fontChosen = true;
};

// A view whose controller knows it, so that connections reach SetHostName.
struct CommandHarness : ViewHarness {
    CommandHarness() {
        controller.AdoptView(view.get());
        view->SetCommandPort(&commands);
    }
    ~CommandHarness() { controller.AdoptView(nullptr); }
    CommandDouble commands;
};

TEST(ViewCommands, DialogCommandsGoToTheProgram) {
    CommandHarness h;
    for (int id : {101, 113, 114, 132, 133, 134, 125}) h.view->OnCommand(id);
    const std::vector<std::string> expected = {"connect", "about", "colours", "ftp", "download", "upload", "prompt"};
    EXPECT_EQ(h.commands.calls, expected);
}

TEST(ViewCommands, ExitAsksFirstAndClosesOnlyOnYes) {
    CommandHarness h;
    h.port.messageBoxAnswer = 7;  // No
    h.view->OnCommand(CWinTermView::kCmdExit);
    EXPECT_EQ(h.port.Last("MessageBox"), "MessageBox WinOvTerm: Are You Sure You Want To Exit? 36");
    EXPECT_TRUE(h.commands.calls.empty());
    h.port.messageBoxAnswer = 6;  // Yes
    h.view->OnCommand(CWinTermView::kCmdExit);
    EXPECT_EQ(h.commands.calls, std::vector<std::string>{"close"});
}

TEST(ViewCommands, DisconnectClearsTheScreenAndTheHostFromTheTitle) {
    CommandHarness h;
    h.Put("host output");
    h.view->OnCommand(CWinTermView::kCmdDisconnect);
    EXPECT_EQ(h.Row(0), std::string(80, ' '));
    EXPECT_EQ(h.port.Last("SetCaption"), "SetCaption Orvane Terminal Emulator - (None)");
}

TEST(ViewCommands, LocalModeTogglesWithAMessageEachWay) {
    CommandHarness h;
    h.view->OnCommand(CWinTermView::kCmdLocalMode);
    EXPECT_EQ(h.controller.LocalMode(), 1);
    EXPECT_EQ(h.port.Last("MessageBox"), "MessageBox WinOvTerm: Local Mode : ON 64");
    h.view->OnCommand(CWinTermView::kCmdLocalMode);
    EXPECT_EQ(h.controller.LocalMode(), 0);
    EXPECT_EQ(h.port.Last("MessageBox"), "MessageBox WinOvTerm: Local Mode : OFF 64");
}

TEST(ViewCommands, AltShiftQSendsDelete) {
    CommandHarness h;
    h.view->OnCommand(CWinTermView::kCmdSendDelete);
    EXPECT_EQ(h.comm->sent, "\x7f");
}

TEST(ViewCommands, ConfirmedFontResizesTheWindowAndCancelledChangesNothing) {
    CommandHarness h;
    h.commands.fontChosen = false;
    h.port.Clear();
    h.view->OnCommand(CWinTermView::kCmdFont);
    EXPECT_EQ(h.port.Count("MoveWindow"), 0u);
    h.commands.fontChosen = true;
    h.view->OnCommand(CWinTermView::kCmdFont);
    EXPECT_EQ(h.port.Last("MoveWindow"), "MoveWindow 0 0 824 560");
    EXPECT_EQ(h.port.Last("CreateCaret"), "CreateCaret 10x20");
    EXPECT_EQ(h.view->CharWidth(), 10);
}

TEST(ViewCommands, ScopeLogHoldsExactlyTheBytesLoggedWhileOn) {
    const std::string dir = settingstest::MakeTempDir();
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    CommandHarness h;
    ASSERT_EQ(chdir(dir.c_str()), 0);
    h.view->OnCommand(CWinTermView::kCmdScopeLog);
    EXPECT_EQ(h.port.Last("MessageBox"),
              "MessageBox WinOvTerm: NB!!: This should only be used for debugging...\nUSING THIS TOOL USES DISK "
              "SPACE... 48");
    ASSERT_EQ(h.view->IsLogging(), 1);
    for (int b : {0x1b, 0x3d, 0, 0xff, 0x0d, 0x0a}) h.view->LogChar(b);
    h.view->OnCommand(CWinTermView::kCmdScopeLog);
    EXPECT_EQ(h.port.Last("MessageBox"), "MessageBox WinOvTerm: Log written to SCOPE.LOG 48");
    h.view->LogChar('x');
    EXPECT_EQ(settingstest::ReadFile(dir + "/scope.log"), std::string("\x1b=\0\xff\r\n", 6));
    EXPECT_EQ(h.view->IsLogging(), 0);

    // A log that cannot be created is said so, and logging stays off.
    const std::string blocked = settingstest::MakeTempDir();
    ASSERT_EQ(mkdir((blocked + "/scope.log").c_str(), 0700), 0);
    ASSERT_EQ(chdir(blocked.c_str()), 0);
    h.view->OnCommand(CWinTermView::kCmdScopeLog);
    EXPECT_EQ(h.view->IsLogging(), 0);
    EXPECT_EQ(h.port.Last("MessageBox"),
              "MessageBox WinOvTerm: Unable to create SCOPE.LOG - the log is not started. 48");
    ASSERT_EQ(chdir(cwd), 0);
}

TEST(ViewCommands, SwatchesColourEveryShownCellAndAreStoredByName) {
    ScopedConfigHome home(Layout::Registry);
    struct Case {
        unsigned rgb;
        const char* key;
        const char* stored;
        unsigned mask, code;
    } cases[] = {
        {Rgb(0, 128, 200), "Fore", "BLUE", cell::kForeMask, 2u << cell::kForeShift},
        {Rgb(128, 64, 0), "Back", "BROWN", cell::kBackMask, 7u << cell::kBackShift},
        {Rgb(1, 2, 3), "Back", "", cell::kBackMask, 0},
    };
    for (const Case& c : cases) {
        CommandHarness h;
        h.view->SetAttrRunAt(3, 0, 10, (5u << cell::kForeShift) | (3u << cell::kBackShift));  // host colours
        h.view->ApplyColour(c.rgb);
        char value[20];
        ReadSetting(c.key, "NULL", "Colors", kApplicationName, kProfileBase, value, sizeof value);
        EXPECT_STREQ(value, c.stored);
        for (int row : {0, 3, 24}) EXPECT_EQ(h.view->GetCellAt(row, 5) & c.mask, c.code) << row;
        EXPECT_EQ(h.view->GetDefaultAttr() & c.mask, c.code);
        EXPECT_EQ(h.port.Last("Invalidate"), "Invalidate all erase");
        WriteSetting("Fore", "Colors", kApplicationName, kProfileBase, "");
        WriteSetting("Back", "Colors", kApplicationName, kProfileBase, "");
    }
}

TEST(ViewCommands, RecentHostsFollowConnectionsAndSurviveTheView) {
    ScopedConfigHome home(Layout::Registry);
    MenuDouble menu;
    menu.items = {{101, "&Remote System..."}, {102, "&Disconnect"}, {0, "-"}, {103, "E&xit"}};
    {
        CommandHarness h;
        h.view->LoadHostHistory(&menu);
        char host[128] = "alpha";
        h.controller.Connect(host);
        std::strcpy(host, "backup");
        h.controller.Connect(host);  // the lost-connection hosts stay out
        std::strcpy(host, "beta");
        h.controller.Connect(host);
        EXPECT_EQ(h.port.Last("SetCaption"), "SetCaption Orvane Terminal Emulator - beta");
        const std::vector<std::string> texts = menu.Texts();
        ASSERT_GE(texts.size(), 7u);
        EXPECT_NE(texts[3].find("beta"), std::string::npos);
        EXPECT_NE(texts[4].find("alpha"), std::string::npos);

        h.view->OnCommand(8002);  // alpha again, now the most recent
        EXPECT_EQ(h.comm->connects.back(), "alpha");
        h.view->OnCommand(CWinTermView::kCmdDefaultHost);
        EXPECT_EQ(h.comm->connects.back(), "alpha");
    }
    // The list was stored when the view went; a new one shows it again.
    MenuDouble again;
    again.items = {{103, "E&xit"}};
    CommandHarness h;
    h.view->LoadHostHistory(&again);
    char first[128];
    ASSERT_EQ(MruGetEntry(h.view->HostHistory(), 0, 0, first, sizeof first), 1);
    EXPECT_STREQ(first, "alpha");
    EXPECT_EQ(again.Ids().front(), 8001u);  // the numbered entries, then their separator
}

}  // namespace
