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
    // The same for the program at `exe` (an installed copy, say).
    void StartProgramFrom(const std::string& exe, const std::vector<std::string>& args);
    // Starts it connected to the test's telnet server and waits for the prompt.
    void StartConnected();
    void StartConnectedFrom(const std::string& exe);
    std::string HostText() const { return server->HostText(); }

    // Runs commands against the main window; the test fails with the
    // transcript when one of them fails.
    DriveResult Run(const std::vector<std::string>& commands, int timeoutMs = 60000);
    // The 25 screen rows, read through a selection of the whole screen and Copy.
    std::vector<std::string> Screen();
    std::string ScreenText();  // the rows joined by newlines, for messages
    // Connect dialog (101) commands that connect to host and return once the
    // dialog has closed. The button is pressed as a user's click reaches it,
    // through the dialog's own message loop.
    static std::vector<std::string> ConnectDialogCommands(const std::string& host);
    // Polls the screen until it shows text (false after timeoutMs).
    bool WaitForScreen(const std::string& text, int timeoutMs = 10000);
    // The commands that read the screen (for a list of one's own).
    static std::vector<std::string> ScreenCommands();
    static std::vector<std::string> RowsFromClipboard(const std::string& escaped);

    std::string WorkDir() const { return program->WorkDir(); }

    // A file beside the host's shell: the shell runs as this user on this
    // machine, so what it writes there the test reads directly.
    std::string HostPath(const std::string& name) const { return serverDir + "/" + name; }
    // Runs a shell command line on the host (typed, with Enter) and waits
    // until the screen shows `marker`, which the command must print.
    void RunOnHost(const std::string& commandLine, const std::string& marker, int timeoutMs = 20000);
    // Puts the host's terminal in raw mode without echo and has it store the
    // next `count` bytes it receives, exactly as the program sent them, in
    // HostPath(name); returns once the host is reading. FinishHostCapture
    // waits for them, and for the shell to be back at its prompt.
    void StartHostCapture(const std::string& name, std::size_t count);
    std::string FinishHostCapture(const std::string& name, std::size_t count, int timeoutMs = 20000);

    // The 25 rows of the screen as ovreplay prints them: code page 437 as
    // UTF-8, trailing blanks cut.
    std::vector<std::string> ScreenAsReplayRows();
    std::string ReplayToolProblem() const;  // empty when ovreplay can run
    // What ovreplay prints for the file's bytes (its 25 rows).
    std::vector<std::string> ReplayRows(const std::string& file);

    int captures = 0;
    std::unique_ptr<LoopbackTelnetServer> server;
    std::unique_ptr<WineProcess> program;
    std::string serverDir;
};

// Helpers for files and bytes.
// Polls until the file holds at least `size` bytes, or the time is up, and
// returns what it holds then.
std::string WaitForBytes(const std::string& path, std::size_t size, int timeoutMs);
std::string Hex(const std::string& bytes);  // "01 40 0d", for messages
// A loopback port where nothing listens (bound once, then released).
int FreeLoopbackPort();

}  // namespace ovwine
