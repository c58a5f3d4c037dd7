#include "tools/ovterm/TermSession.h"

#include <cerrno>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstring>
#include "tools/ovterm/CursesInclude.h"
#include <langinfo.h>
#include <poll.h>
#include <unistd.h>

#include "emu/CWyse50Emulator.h"
#include "emu/KeyCodes.h"
#include "net/CWinSockComm.h"
#include "net/posix/CPtyComm.h"
#include "net/posix/PosixSockets.h"
#include "net/posix/SocketEventPump.h"
#include "session/CWinTermController.h"
#include "session/ControllerPlatform.h"
#include "session/TypedInput.h"
#include "tools/ovterm/CellLook.h"
#include "tools/ovterm/Commands.h"
#include "tools/ovterm/KeyMap.h"
#include "tools/replay/CaptureDevices.h"
#include "view/CWinTermView.h"
#include "view/posix/TextWindowPort.h"

class OvtermPlatform : public CControllerPlatform {
public:
    CWindowPort* WindowPort() override { return &port; }
    void* SocketEventTarget() override { return nullptr; }
    bool IsKeyDown(unsigned) override { return false; }
    // Host printing has nowhere to go in a terminal; it is kept in memory.
    CTermPrinter* CreatePrinter() override { return new CCapturePrinter; }
    int ShowMessage(const char* text, const char* caption, unsigned type) override {
        return port.MessageBox(text, caption, type);
    }
    void RequestQuit(int exitCode) override { port.RequestQuit(exitCode); }

    CTextWindowPort port;
};

namespace ovterm {
namespace {

volatile std::sig_atomic_t gSignal = 0;
void OnSignal(int sig) { gSignal = sig; }

constexpr int kRedrawMs = 16;  // at most about 60 redraws a second
constexpr int kStatusRow = screen::kShownRows;

short CursesColour(int code) {
    static const short kColours[8] = {COLOR_BLACK, COLOR_BLUE,    COLOR_GREEN,  COLOR_CYAN,
                                      COLOR_RED,   COLOR_MAGENTA, COLOR_YELLOW, COLOR_WHITE};
    return code >= 1 && code <= 8 ? kColours[code - 1] : -1;
}

// Ends curses however the loop is left.
struct CursesGuard {
    bool active = false;
    ~CursesGuard() {
        if (active) endwin();
    }
};

}  // namespace

TermSession::TermSession(const Options& opts) : options(opts), platform(new OvtermPlatform) {
    int status = 0;
    controller.reset(new CWinTermController(&status, platform.get(), CTermController::kWyse50Emulator, &view));
    if (status) {
        controller.reset();
        view = nullptr;
    }
}

TermSession::~TermSession() = default;

bool TermSession::ConnectTelnet(const std::string& host) {
    // After -e the transport is the pseudo-terminal; a host needs telnet back.
    if (pty) {
        delete controller->Comms();
        controller->AdoptComms(nullptr);
        pty = nullptr;
        if (controller->CreateComms(view, controller->Emulator()) != 0) return false;
        controller->Emulator()->SetTransport(controller->Comms());
    }
    std::vector<char> text(host.begin(), host.end());
    text.resize(host.size() + 64, '\0');  // room for the transport's rewrite
    if (controller->Connect(text.data()) != 1) return false;
    hostLabel = host;
    userDisconnected = false;
    wasConnected = true;
    return true;
}

bool TermSession::Start(std::string* report) {
    if (!controller || !view) {
        *report = "ovterm: cannot create the session";
        return false;
    }
    if (!options.command.empty()) {
        int status = 0;
        auto* created = new CPtyComm(&status, view, controller->Emulator(), options.command);
        delete controller->Comms();
        controller->AdoptComms(created);
        controller->Emulator()->SetTransport(created);
        pty = created;
        char label[] = "local";
        if (status || created->Connect(label) != 1) {
            *report = "ovterm: " + (created->Problem().empty() ? "cannot start " + options.command[0]
                                                                : created->Problem());
            return false;
        }
        hostLabel = options.command[0];
        wasConnected = true;
        return true;
    }
    if (!ConnectTelnet(options.host)) {
        std::string text;
        for (const std::string& m : platform->port.TakeMessages()) text += "ovterm: " + m + "\n";
        *report = text.empty() ? "ovterm: cannot connect to " + options.host : text.substr(0, text.size() - 1);
        return false;
    }
    return true;
}

int TermSession::Run(std::string* report) {
    report->clear();
    if (!Start(report)) return 1;

    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::setlocale(LC_ALL, "");
    utf8 = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
    CursesGuard guard;
    if (!initscr()) {
        *report = "ovterm: cannot use this terminal";
        return 1;
    }
    guard.active = true;
    raw();
    noecho();
    nonl();
    keypad(stdscr, TRUE);
    nodelay(stdscr, TRUE);
    set_escdelay(25);
    if (has_colors()) {
        start_color();
        use_default_colors();
    }
    platform->port.MarkAll();
    Loop();
    endwin();
    guard.active = false;

    if (gSignal) {
        *report = std::string("ovterm: ended by signal ") + std::to_string(gSignal);
        return 128 + gSignal;
    }
    if (pty && pty->Reaped()) {
        *report = "ovterm: " + hostLabel + ": " + pty->ExitDescription();
        const int status = pty->RawStatus();
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    }
    *report = endReason;
    return exitCode;
}

int TermSession::ConnectionFd() const {
    if (!controller->IsConnected()) return -1;
    if (pty) return pty->Fd();
    auto* comms = static_cast<CWinSockComm*>(controller->Comms());
    return comms->Handle() ? PosixDescriptor(comms->Handle()) : -1;
}

void TermSession::Loop() {
    using Clock = std::chrono::steady_clock;
    Clock::time_point lastDraw = Clock::now() - std::chrono::milliseconds(kRedrawMs);
    while (!quit && !gSignal) {
        const int fd = ConnectionFd();
        pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {fd, POLLIN, 0}};
        if (fd >= 0 && !pty && static_cast<CWinSockComm*>(controller->Comms())->HasPendingOutput())
            fds[1].events |= POLLOUT;
        int timeout = -1;
        const bool pending = platform->port.AnyDirty();
        if (pending) {
            const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastDraw);
            timeout = since.count() >= kRedrawMs ? 0 : kRedrawMs - static_cast<int>(since.count());
        }
        const int ready = poll(fds, fd >= 0 ? 2 : 1, timeout);
        if (ready < 0 && errno != EINTR) break;
        if (ready > 0 && fd >= 0 && fds[1].revents) {
            if (pty) {
                pty->OnSocketEvent(0);
            } else {
                PumpSocketEvents(*static_cast<CWinSockComm*>(controller->Comms()), 0, *controller);
            }
        }
        // Also after a signal: curses turns SIGWINCH into KEY_RESIZE there.
        // Not otherwise: getch refreshes the window, which would undo the
        // coalescing of redraws under a flood.
        if (ready < 0 || (ready > 0 && fds[0].revents)) {
            for (int key; (key = getch()) != ERR;) HandleKey(key);
            if (ready > 0 && (fds[0].revents & (POLLHUP | POLLERR))) quit = true;
        }
        for (const std::string& m : platform->port.TakeMessages()) Note(m);
        if (platform->port.TakeBeeps()) beep();
        if (platform->port.QuitRequested()) quit = true;
        if (wasConnected && !controller->IsConnected()) {
            wasConnected = false;
            if (pty || !userDisconnected) {
                if (endReason.empty()) endReason = "ovterm: connection to " + hostLabel + " closed";
                quit = true;
            }
        }
        if (Clock::now() - lastDraw >= std::chrono::milliseconds(kRedrawMs) || quit) {
            Draw();
            lastDraw = Clock::now();
        }
    }
}

void TermSession::Note(const std::string& text) {
    // Notes may carry text from the host: no control character reaches the terminal.
    note = text;
    for (char& c : note)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    platform->port.MarkAll();
}

void TermSession::Draw() {
    const int needRows = screen::kShownRows + (options.statusLine ? 1 : 0);
    const bool small = LINES < needRows || COLS < screen::kColumns;
    if (small) {
        // The store keeps receiving; only drawing waits for room.
        if (!tooSmall) {
            tooSmall = true;
            erase();
        }
        mvaddstr(0, 0, ("ovterm needs 80x" + std::to_string(needRows) + " (now " + std::to_string(COLS) + "x" +
                        std::to_string(LINES) + ")")
                           .c_str());
        clrtoeol();
        refresh();
        return;
    }
    if (tooSmall) {
        tooSmall = false;
        erase();
        platform->port.MarkAll();
    }
    const auto dirty = platform->port.TakeDirty();
    for (int line = 0; line < screen::kShownRows; ++line)
        if (dirty.test(line)) DrawScreenLine(line);
    if (options.statusLine || prompting) DrawStatus();
    if (prompting) {
        curs_set(1);
        move(options.statusLine ? kStatusRow : screen::kMessageRow, static_cast<int>(8 + promptText.size()));
    } else {
        const int line = platform->port.CaretLine(), col = platform->port.CaretColumn();
        const bool shown = !view->CaretHidden() && line >= 0 && line < screen::kShownRows && col >= 0 &&
                           col < screen::kColumns;
        curs_set(shown ? 1 : 0);
        if (shown) move(line, col);
    }
    refresh();
}

void TermSession::DrawScreenLine(int line) {
    const int index = view->ScrollPosition() + line;
    // Nothing below the message row is shown, even when scrolled back.
    const int limit = screen::kMessageRow + screen::kHistoryLines - view->ScrollPosition();
    move(line, 0);
    if (line > limit || index < 0 || index >= CWinTermView::kTableLines) {
        attrset(A_NORMAL);
        clrtoeol();
        return;
    }
    const unsigned* cells = view->TableLine(index);
    const bool wide = (cells[0] & cell::kDoubleWidth) != 0;
    const int count = wide ? screen::kColumns / 2 : screen::kColumns;
    for (int col = 0; col < count; ++col) {
        const CellLook look = LookOf(cells[col], utf8);
        attr_t attrs = A_NORMAL;
        if (look.reverse) attrs |= A_REVERSE;
        if (look.underline) attrs |= A_UNDERLINE;
        if (look.blink) attrs |= A_BLINK;
        if (look.dim) attrs |= A_DIM;
        short pair = 0;
        if (has_colors() && (look.fore || look.back)) {
            pair = static_cast<short>(1 + look.fore * 9 + look.back);
            if (pair < COLOR_PAIRS) init_pair(pair, CursesColour(look.fore), CursesColour(look.back));
            else pair = 0;
        }
        attr_set(attrs, pair, nullptr);
        if (look.acs) {
            addch(NCURSES_ACS(look.acs));
        } else {
            addstr(look.glyph.c_str());
        }
        // A double-width line: each character takes two columns.
        if (wide) addch(' ');
    }
    attrset(A_NORMAL);
}

void TermSession::DrawStatus() {
    const int row = options.statusLine ? kStatusRow : screen::kMessageRow;
    std::string text;
    if (prompting) {
        text = "ovterm> " + promptText;
    } else {
        text = " " + (hostLabel.empty() ? std::string("(no host)") : hostLabel) + " | " +
               (controller->IsConnected() ? "connected" : "disconnected");
        if (controller->LocalMode()) text += " | LOCAL";
        if (view->IsLogging()) text += " | LOG";
        text += note.empty() ? " | Ctrl-] commands" : " | " + note;
    }
    if (text.size() > static_cast<size_t>(COLS)) text.resize(static_cast<size_t>(COLS));
    attrset(prompting ? A_NORMAL : A_REVERSE);
    mvaddstr(row, 0, text.c_str());
    for (int col = static_cast<int>(text.size()); col < COLS; ++col) addch(' ');
    attrset(A_NORMAL);
}

void TermSession::HandleKey(int key) {
    if (key == KEY_RESIZE) {
        clear();
        platform->port.MarkAll();
        return;
    }
    if (prompting) {
        if (key == '\r' || key == '\n' || key == KEY_ENTER) {
            prompting = false;
            const std::string line = promptText;
            promptText.clear();
            note.clear();
            RunCommand(line);
        } else if (key == 0x1B || key == 0x03 || key == 0x07) {
            prompting = false;
            promptText.clear();
        } else if (key == KEY_BACKSPACE || key == 0x7F || key == 0x08) {
            if (!promptText.empty()) promptText.pop_back();
        } else if (key >= 0x20 && key < 0x7F && promptText.size() < 200) {
            promptText += static_cast<char>(key);
        }
        platform->port.MarkAll();
        return;
    }
    if (key == options.commandKey) {
        prompting = true;
        promptText.clear();
        platform->port.MarkAll();
        return;
    }
    if (!note.empty()) {
        note.clear();
        platform->port.MarkAll();
    }
    const KeyResult result = MapKey(key);
    switch (result.action) {
    case KeyAction::kSendKey:
        if (auto* emulator = controller->Emulator()) emulator->SendKey(result.code);
        break;
    case KeyAction::kType: {
        const std::string block =
            typed::BuildBlock(static_cast<char>(result.code), 1, nullptr, controller->EnterSendsCrAlone());
        controller->SendToHost(block.data(), static_cast<int>(block.size()));
        break;
    }
    case KeyAction::kScrollUp: view->VScroll(CWinTermView::kPageUp, 0); break;
    case KeyAction::kScrollDown: view->VScroll(CWinTermView::kPageDown, 0); break;
    case KeyAction::kNone: break;
    }
}

std::string TermSession::KeysText() const {
    auto* wyse = dynamic_cast<CWyse50Emulator*>(controller->Emulator());
    if (!wyse) return "no keys programmed";
    static const char* const kTables[] = {"F", "Shift-F", "Ctrl-F", "Alt-F"};
    std::string text;
    for (int table = 0; table < CWyse50Emulator::kKeyTables; ++table)
        for (int key = 0; key < CWyse50Emulator::kFunctionKeys; ++key) {
            const char* s = wyse->FunctionKeyString(table, key);
            if (!s || !*s) continue;
            std::string shown;
            for (const char* p = s; *p; ++p) {
                unsigned char c = static_cast<unsigned char>(*p);
                if (c < 0x20 || c == 0x7F) shown += "^" + std::string(1, static_cast<char>(c ^ 0x40));
                else shown += static_cast<char>(c);
            }
            text += std::string(text.empty() ? "" : ", ") + kTables[table] + std::to_string(key + 1) + "=" + shown;
        }
    return text.empty() ? "no keys programmed" : text;
}

void TermSession::RunCommand(const std::string& line) {
    const Command command = ParseCommand(line);
    switch (command.kind) {
    case CommandKind::kNone: break;
    case CommandKind::kBad: Note(command.argument); break;
    case CommandKind::kQuit:
        endReason.clear();
        quit = true;
        break;
    case CommandKind::kDisconnect:
        userDisconnected = true;
        controller->Disconnect();
        view->SetTitle("");
        wasConnected = false;
        Note("disconnected");
        break;
    case CommandKind::kConnect:
        if (controller->IsConnected()) {
            userDisconnected = true;
            controller->Disconnect();
        }
        if (ConnectTelnet(command.argument)) Note("connected to " + command.argument);
        break;
    case CommandKind::kLocal:
        if ((command.argument == "on") != (view->LocalMode() != 0)) view->OnCommand(CWinTermView::kCmdLocalMode);
        break;
    case CommandKind::kLog:
        if (command.argument == "off") {
            view->CloseScopeLog();
            Note("log closed");
        } else if (view->OpenScopeLog(command.argument.c_str())) {
            Note("logging to " + command.argument);
        } else {
            Note("cannot open " + command.argument + ": " + std::strerror(errno));
        }
        break;
    case CommandKind::kBreak:
        if (auto* emulator = controller->Emulator()) emulator->SendKey(keys::kBreak);
        break;
    case CommandKind::kKeys: Note(KeysText()); break;
    case CommandKind::kHelp: Note(kHelpText); break;
    }
}

}  // namespace ovterm
