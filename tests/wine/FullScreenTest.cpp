// Screens drawn by a real full-screen program (dialog, through curses and the
// wy50 terminfo entry): what the window shows, read back through Copy, is
// row for row what ovreplay makes of the same bytes, taken from the scope log.
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "TerminalSession.h"

namespace {

using ovwine::Arg;

class FullScreen : public ovwine::TerminalTest {
protected:
    std::string Log() const { return WorkDir() + "/scope.log"; }

    // Waits until the screen shows `text` and the host has stopped drawing:
    // the log keeps its size across a read of the screen.
    std::vector<std::string> SettledScreen(const std::string& text) {
        std::vector<std::string> rows;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        std::size_t before = ovwine::ReadFile(Log()).size();
        while (std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            rows = ScreenAsReplayRows();
            const std::size_t after = ovwine::ReadFile(Log()).size();
            bool shown = false;
            for (const std::string& row : rows) shown = shown || row.find(text) != std::string::npos;
            if (shown && after == before) return rows;
            before = after;
        }
        ADD_FAILURE() << "the screen did not settle showing " << text;
        return rows;
    }

    // The window's screen against ovreplay's for the bytes logged so far.
    void ExpectScreenAsReplayed(const std::string& step, const std::string& text) {
        const std::vector<std::string> shown = SettledScreen(text);
        // ovreplay gets a copy: the program still writes to the log.
        const std::string copy = HostPath("replayed.log");
        const std::string bytes = ovwine::ReadFile(Log());
        FILE* out = std::fopen(copy.c_str(), "wb");
        ASSERT_NE(out, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
        const std::vector<std::string> replayed = ReplayRows(copy);
        ASSERT_EQ(replayed.size(), 25u) << step;
        ASSERT_EQ(shown.size(), 25u) << step;
        std::string both;
        for (int r = 0; r < 25; ++r) both += "|" + shown[r] + "|  |" + replayed[r] + "|\n";
        for (int r = 0; r < 25; ++r) EXPECT_EQ(shown[r], replayed[r]) << step << ", row " << r << "\n" << both;
    }
};

TEST_F(FullScreen, DialogScreensMatchTheReplayOfTheirBytes) {
    const std::string problem = ReplayToolProblem();
    if (!problem.empty()) GTEST_SKIP() << problem;
    StartConnected();
    if (HasFatalFailure()) return;
    Run({"command 126", "answer WinOvTerm OK"});

    // A message box, drawn from a cleared screen with line graphics.
    Run({"chars " + Arg("TERM=wy50 dialog --title Greeting --msgbox 'hello from the host' 10 40\r")});
    ExpectScreenAsReplayed("msgbox", "hello from the host");
    if (HasFatalFailure()) return;

    // A menu, its highlight moved with the Down key (the host reads it as
    // the terminal's cursor-down string), then left with Enter.
    Run({"chars \\r"});
    ASSERT_TRUE(WaitForScreen("$ ", 20000)) << ScreenText();
    Run({"chars " + Arg("TERM=wy50 dialog --menu 'Pick a fruit' 14 50 4 apple red banana yellow cherry dark-red"
                        " 2>'" + HostPath("choice") + "'\r")});
    ExpectScreenAsReplayed("menu", "Pick a fruit");
    Run({"key DOWN"});
    ExpectScreenAsReplayed("menu after Down", "Pick a fruit");
    Run({"chars \\r"});
    ASSERT_TRUE(WaitForScreen("$ ", 20000)) << ScreenText();
    EXPECT_EQ(ovwine::ReadFile(HostPath("choice")), "banana");
    ExpectScreenAsReplayed("after the menu", "$");
}

}  // namespace
