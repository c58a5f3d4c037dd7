#include "TerminalSession.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "driver/TextEscape.h"
#include "tools/replay/ScreenText.h"

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
    StartProgramFrom(ProgramPath("WinOvTerm.exe"), args);
}

void TerminalTest::StartProgramFrom(const std::string& exe, const std::vector<std::string>& args) {
    program.reset(new WineProcess);
    std::string error;
    ASSERT_TRUE(program->Start(exe, args, error)) << error;
    // The first program of a run also starts Wine's own services.
    DriveResult shown = DriveWindow(kTerminalClass, {}, 60000);
    ASSERT_TRUE(shown.ok) << shown.Transcript() << program->Output();
}

void TerminalTest::StartConnected() { StartConnectedFrom(ProgramPath("WinOvTerm.exe")); }

void TerminalTest::StartConnectedFrom(const std::string& exe) {
    StartProgramFrom(exe, {HostText()});
    if (HasFatalFailure()) return;
    Run({"waittitle " + Arg(kTitleBase + HostText()) + " 20000"});
    ASSERT_TRUE(WaitForScreen("$ ", 20000)) << ScreenText();
}

std::vector<std::string> TerminalTest::ConnectDialogCommands(const std::string& host) {
    return {"command 101", "dialog Connect", "settext 1000 " + Arg(host), "press Connect"};
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

void TerminalTest::RunOnHost(const std::string& commandLine, const std::string& marker, int timeoutMs) {
    Run({"chars " + Arg(commandLine + "\r")});
    ASSERT_TRUE(WaitForScreen(marker, timeoutMs)) << "no " << marker << " after " << commandLine << "\n"
                                                  << ScreenText();
}

void TerminalTest::StartHostCapture(const std::string& name, std::size_t count) {
    // The markers are split by quotes in the command line, so that only
    // the command's output shows them whole, not the echo of the line.
    const std::string n = std::to_string(++captures);
    RunOnHost("stty raw -echo; printf 'RAW-''READY-" + n + "'; dd bs=1 count=" + std::to_string(count) + " of='" +
                  HostPath(name) + "' status=none; stty sane; echo; echo 'RAW-''DONE-" + n + "'",
              "RAW-READY-" + n);
}

std::string TerminalTest::FinishHostCapture(const std::string& name, std::size_t count, int timeoutMs) {
    const std::string bytes = WaitForBytes(HostPath(name), count, timeoutMs);
    if (bytes.size() == count) {
        EXPECT_TRUE(WaitForScreen("RAW-DONE-" + std::to_string(captures), timeoutMs)) << ScreenText();
    }
    return bytes;
}

std::vector<std::string> TerminalTest::ScreenAsReplayRows() {
    std::vector<std::string> rows;
    for (const std::string& row : Screen()) {
        std::size_t keep = row.size();
        while (keep > 0 && (row[keep - 1] == ' ' || row[keep - 1] == '\0')) --keep;
        std::string text;
        for (std::size_t i = 0; i < keep; ++i) text += Cp437ToUtf8(static_cast<unsigned char>(row[i]));
        rows.push_back(text);
    }
    return rows;
}

#ifdef OV_REPLAY_TOOL
std::string TerminalTest::ReplayToolProblem() const {
    return access(OV_REPLAY_TOOL, X_OK) == 0 ? std::string() : std::string(OV_REPLAY_TOOL) + " is not built";
}

std::vector<std::string> TerminalTest::ReplayRows(const std::string& file) {
    std::vector<std::string> rows;
    const std::string command = std::string("'") + OV_REPLAY_TOOL + "' '" + file + "'";
    FILE* out = popen(command.c_str(), "r");
    if (!out) {
        ADD_FAILURE() << "cannot run " << command;
        return rows;
    }
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, out)) > 0;) text.append(buffer, n);
    const int status = pclose(out);
    EXPECT_EQ(status, 0) << command;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        rows.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return rows;
}
#else
std::string TerminalTest::ReplayToolProblem() const { return "ovreplay is not part of this build"; }
std::vector<std::string> TerminalTest::ReplayRows(const std::string&) { return {}; }
#endif

std::string WaitForBytes(const std::string& path, std::size_t size, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        std::string bytes = ReadFile(path);
        if (bytes.size() >= size || std::chrono::steady_clock::now() >= deadline) return bytes;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

std::string Hex(const std::string& bytes) {
    std::string text;
    char byte[4];
    for (unsigned char c : bytes) {
        std::snprintf(byte, sizeof byte, "%02x", c);
        if (!text.empty()) text += ' ';
        text += byte;
    }
    return text;
}

int FreeLoopbackPort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0) return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(s);
    return port;
}

}  // namespace ovwine
