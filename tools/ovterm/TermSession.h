// ovterm's session: the program's controller, view and emulator behind a
// character-cell window port, shown through curses in the user's terminal,
// with a poll loop over the keyboard and the connection (telnet or a local
// program in a pseudo-terminal).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/ovterm/CursesPalette.h"
#include "view/CTermView.h"

class CWinTermController;
class CWinTermView;
class CTextWindowPort;
class CPtyComm;
class OvtermPlatform;

namespace ovterm {

class ScreenLines;
// Writes to the user's terminal past curses (escapes curses does not know).
void WriteToTerminal(const std::string& text);

struct Options {
    std::string host;                 // telnet HOST[:PORT]
    std::vector<std::string> command; // -e COMMAND [ARG...]
    bool statusLine = true;
    int commandKey = 0x1D;            // Ctrl-]
    // Double-width lines: the terminal's own (DECDWL) or each character
    // followed by a space. Auto takes the terminal's own in a real xterm.
    enum class WideLines { kAuto, kEscapes, kSpaces } wideLines = WideLines::kAuto;
    // The mouse wheel scrolls the history. Off by default: capturing the
    // mouse takes the terminal's own selection away (Shift keeps it in xterm).
    bool mouseWheel = false;
};

class TermSession {
public:
    explicit TermSession(const Options& options);
    ~TermSession();
    TermSession(const TermSession&) = delete;
    TermSession& operator=(const TermSession&) = delete;

    // Connects (or starts the program), runs until quit, the host closing,
    // the program ending or a signal, and restores the terminal. Returns the
    // process exit code; *report is what to tell the user afterwards.
    int Run(std::string* report);

private:
    bool Start(std::string* report);
    void Loop();
    void Draw();
    void DrawPanelLine(int line);
    void DrawStatus();
    // Lines of text shown over the screen until the next key.
    void ShowPanel(std::vector<std::string> lines);
    void HandleKey(int key);
    void RunCommand(const std::string& line);
    void Note(const std::string& text);
    int ConnectionFd() const;
    bool ConnectTelnet(const std::string& host);
    std::vector<std::string> KeysPanel() const;
    std::vector<std::string> RecentPanel() const;

    Options options;
    std::unique_ptr<OvtermPlatform> platform;
    std::unique_ptr<CWinTermController> controller;
    CWinTermView* view = nullptr;
    CPtyComm* pty = nullptr;  // owned by the controller while it is the transport
    bool utf8 = false;
    bool quit = false;
    bool userDisconnected = false;
    bool wasConnected = false;
    bool prompting = false;
    std::string promptText;
    std::string note;
    std::string endReason;
    std::string hostLabel;
    int exitCode = 0;
    bool tooSmall = false;
    std::vector<std::string> panel;
    CursesPalette palette;
    std::unique_ptr<ScreenLines> lines;
};

}  // namespace ovterm
