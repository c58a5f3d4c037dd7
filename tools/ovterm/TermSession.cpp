#include "tools/ovterm/TermSession.h"

#include <cerrno>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdlib>
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
#include "tools/ovterm/OvtermPlatform.h"
#include "tools/ovterm/ScreenLines.h"
#include "view/CWinTermView.h"
#include "view/posix/TextWindowPort.h"
#include "settings/MruList.h"

namespace ovterm {
namespace {

volatile std::sig_atomic_t gSignal = 0;
void OnSignal(int sig) { gSignal = sig; }

constexpr int kRedrawMs = 16;  // at most about 60 redraws a second

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
    // The recent hosts of the settings store, shared with the Windows
    // program; the view stores them back when it goes.
    view->LoadHostHistory(nullptr);
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
    palette.Init();
    if (options.mouseWheel) {
        mousemask(BUTTON4_PRESSED | BUTTON5_PRESSED, nullptr);
        mouseinterval(0);
    }
    // Only a real xterm is known to have double-width lines; tmux and screen
    // pass XTERM_VERSION on from the terminal outside them but have none.
    lines.reset(new ScreenLines(*view, palette, WriteToTerminal));
    lines->SetUtf8(utf8);
    lines->SetLineSizeEscapes(options.wideLines == Options::WideLines::kEscapes ||
                              (options.wideLines == Options::WideLines::kAuto && std::getenv("XTERM_VERSION") &&
                               !std::getenv("TMUX") && !std::getenv("STY")));
    platform->port.MarkAll();
    Loop();
    lines->RestoreLineSizes();
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
        // Messages of one pass share the note (a printer's reason and the
        // emulator's "Cannot open printer.", say).
        std::string messages;
        for (const std::string& m : platform->port.TakeMessages()) messages += (messages.empty() ? "" : " / ") + m;
        if (!messages.empty()) Note(messages);
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

void TermSession::HandleKey(int key) {
    if (key == KEY_RESIZE) {
        clear();
        lines->ForgetLineSizes();
        platform->port.MarkAll();
        return;
    }
    // Any key closes a list; the command key also opens the prompt.
    if (!panel.empty()) {
        panel.clear();
        platform->port.MarkAll();
        if (key != options.commandKey) return;
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
    if (key == KEY_MOUSE) {
        MEVENT event;
        if (getmouse(&event) == OK) {
            if (event.bstate & BUTTON4_PRESSED) view->VScroll(CWinTermView::kLineUp, 0);
            else if (event.bstate & BUTTON5_PRESSED) view->VScroll(CWinTermView::kLineDown, 0);
        }
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
    case CommandKind::kConnect: {
        std::string host = command.argument;
        if (host[0] == '#') {
            char recent[128] = "";
            const long n = std::strtol(host.c_str() + 1, nullptr, 10);
            const MruList* list = view->HostHistory();
            if (n < 1 || !list || !MruGetEntry(list, static_cast<std::uint32_t>(n - 1), 0, recent, sizeof recent)) {
                Note("no recent host " + host + " (recent lists them)");
                break;
            }
            host = recent;
        }
        if (controller->IsConnected()) {
            userDisconnected = true;
            controller->Disconnect();
        }
        if (ConnectTelnet(host)) Note("connected to " + host);
        break;
    }
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
    case CommandKind::kKeys: ShowPanel(KeysPanel()); break;
    case CommandKind::kRecent: ShowPanel(RecentPanel()); break;
    case CommandKind::kHelp: {
        std::vector<std::string> lines;
        std::string text = kHelpText;
        for (size_t start = 0, end; start <= text.size(); start = end + 1) {
            end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            lines.push_back(text.substr(start, end - start));
        }
        ShowPanel(std::move(lines));
        break;
    }
    }
}

}  // namespace ovterm
