#include "TerminalSession.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "driver/TextEscape.h"

namespace ovwine {

void TerminalTest::SetUp() {
    WineTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    char pattern[] = "/tmp/ovwine-telnet.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    serverDir = pattern;
    server.reset(new LoopbackTelnetServer(serverDir));
    ASSERT_TRUE(server->Running()) << server->Problem();
}

void TerminalTest::TearDown() {
    if (program) program->Kill();
    program.reset();
    server.reset();
    if (!serverDir.empty()) std::system(("rm -rf '" + serverDir + "'").c_str());
}

void TerminalTest::StartProgram(const std::vector<std::string>& args) {
    program.reset(new WineProcess);
    std::string error;
    ASSERT_TRUE(program->Start(ProgramPath("WinOvTerm.exe"), args, error)) << error;
    // The first program of a run also starts Wine's own services.
    DriveResult shown = DriveWindow(kTerminalClass, {}, 60000);
    ASSERT_TRUE(shown.ok) << shown.Transcript() << program->Output();
}

void TerminalTest::StartConnected() {
    StartProgram({HostText()});
    if (HasFatalFailure()) return;
    Run({"waittitle " + Arg(kTitleBase + HostText()) + " 20000"});
    ASSERT_TRUE(WaitForScreen("$ ", 20000)) << ScreenText();
}

DriveResult TerminalTest::Run(const std::vector<std::string>& commands, int timeoutMs) {
    DriveResult result = DriveWindow(kTerminalClass, commands, timeoutMs);
    EXPECT_TRUE(result.ok) << result.Transcript() << (program ? program->Output() : "");
    return result;
}

std::vector<std::string> TerminalTest::ScreenCommands() {
    // Column 80 lies just past the last cell: the selection takes all 2000.
    return {"drag 0 0 24 80", "sendcommand 104", "clipboard"};
}

std::vector<std::string> TerminalTest::RowsFromClipboard(const std::string& escaped) {
    std::string text, error;
    if (!ovdrive::UnescapeText(escaped, text, error)) text = escaped;
    std::vector<std::string> rows;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find("\r\n", start);
        rows.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 2;
    }
    return rows;
}

std::vector<std::string> TerminalTest::Screen() {
    DriveResult result = Run(ScreenCommands());
    return RowsFromClipboard(result.Value("clipboard"));
}

std::string TerminalTest::ScreenText() {
    std::string text;
    for (const std::string& row : Screen()) text += row + "\n";
    return text;
}

bool TerminalTest::WaitForScreen(const std::string& text, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        for (const std::string& row : Screen())
            if (row.find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

}  // namespace ovwine
