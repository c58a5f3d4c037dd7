// WinOvTerm.exe under Wine against the system's telnetd on 127.0.0.1: the
// program started on a host, the screen read back through its own selection
// and Copy, typing and keys sent to its window.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "WineHarness.h"
#include "integration/LoopbackTelnetServer.h"

namespace ovwine {

inline constexpr char kTerminalClass[] = "WinOvTerm";
inline constexpr char kTitleBase[] = "Orvane Terminal Emulator - ";

class TerminalTest : public WineTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts WinOvTerm.exe with the arguments (the host to connect to, or
    // nothing) in a working directory of its own and waits for its window.
    void StartProgram(const std::vector<std::string>& args);
    // Starts it connected to the test's telnet server and waits for the prompt.
    void StartConnected();
    std::string HostText() const { return server->HostText(); }

    // Runs commands against the main window; the test fails with the
    // transcript when one of them fails.
    DriveResult Run(const std::vector<std::string>& commands, int timeoutMs = 60000);
    // The 25 screen rows, read through a selection of the whole screen and Copy.
    std::vector<std::string> Screen();
    std::string ScreenText();  // the rows joined by newlines, for messages
    // Polls the screen until it shows text (false after timeoutMs).
    bool WaitForScreen(const std::string& text, int timeoutMs = 10000);
    // The commands that read the screen (for a list of one's own).
    static std::vector<std::string> ScreenCommands();
    static std::vector<std::string> RowsFromClipboard(const std::string& escaped);

    std::string WorkDir() const { return program->WorkDir(); }

    std::unique_ptr<LoopbackTelnetServer> server;
    std::unique_ptr<WineProcess> program;
    std::string serverDir;
};

}  // namespace ovwine
