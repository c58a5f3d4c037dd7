#include "Driver.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>

#include "DriverHook.h"
#include "KeyNames.h"
#include "TextEscape.h"

namespace ovdrive {

namespace {

// How long a key release may take before it counts as having opened a modal
// loop (the menu bar's, after F10).
const DWORD kMenuLoopWait = 500;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The text after the next word of `line` from `pos`, without the one blank that
// separates them.
size_t SkipWord(const std::string& line, size_t pos) {
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    while (pos < line.size() && !IsBlank(line[pos])) ++pos;
    return pos < line.size() ? pos + 1 : pos;
}

struct FindWindowState {
    std::string className;
    HWND found = nullptr;
};

// A window lingers for a moment after its program was killed (the server
// cleans up when it notices); its thread can no longer be hooked, so the
// window of a program that is ending does not count.
bool OwnerAlive(HWND hwnd) {
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
    if (!handle) return false;
    DWORD code = 0;
    const bool alive = GetExitCodeProcess(handle, &code) && code == STILL_ACTIVE;
    CloseHandle(handle);
    return alive;
}

BOOL CALLBACK FindTopWindow(HWND hwnd, LPARAM lp) {
    auto* state = reinterpret_cast<FindWindowState*>(lp);
    if (IsWindowVisible(hwnd) && _stricmp(ClassName(hwnd).c_str(), state->className.c_str()) == 0 &&
        OwnerAlive(hwnd)) {
        state->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The second parameter of a key-down message: repeat count 1, the scan code,
// the extended-key bit and, with Alt, the context bit.
LPARAM KeyDownParam(const KeySpec& key) {
    LPARAM lp = 1;
    lp |= static_cast<LPARAM>(MapVirtualKeyA(key.vk, MAPVK_VK_TO_VSC) & 0xFF) << 16;
    if (key.extended) lp |= 1 << 24;
    if (key.alt) lp |= 1 << 29;
    return lp;
}

}  // namespace

bool ParseCommand(const std::string& line, Command& command, std::string& error) {
    command = Command();
    size_t pos = 0;
    std::vector<std::string> words;
    while (pos < line.size()) {
        while (pos < line.size() && IsBlank(line[pos])) ++pos;
        size_t start = pos;
        while (pos < line.size() && !IsBlank(line[pos])) ++pos;
        if (pos > start) words.push_back(line.substr(start, pos - start));
    }
    if (words.empty()) return true;
    command.name = words[0];
    for (size_t i = 1; i < words.size(); ++i) {
        std::string word;
        if (!UnescapeText(words[i], word, error)) return false;
        command.args.push_back(word);
    }
    size_t afterName = SkipWord(line, 0);
    size_t afterFirst = SkipWord(line, afterName);
    return UnescapeText(line.substr(afterName), command.rest, error) &&
           UnescapeText(line.substr(afterFirst), command.restAfterFirst, error);
}

bool WaitUntil(DWORD ms, const std::function<bool()>& done) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        if (done()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(10);
    }
}

std::string WindowText(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kDefaultTimeout, &length))
        return std::string();
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                             SMTO_NORMAL, kDefaultTimeout, &copied))
        return std::string();
    text.resize(strlen(text.c_str()));
    return text;
}

std::string ClassName(HWND hwnd) {
    char name[256] = "";
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

Driver::Handler Driver::Find(const std::string& name) {
    static const std::map<std::string, Handler> commands = {
        {"window", &Driver::Window},
        {"title", &Driver::Title},
        {"waittitle", &Driver::WaitTitle},
        {"chars", &Driver::Chars},
        {"postchars", &Driver::PostChars},
        {"key", &Driver::Key},
        {"postkey", &Driver::PostKey},
        {"command", &Driver::CommandPost},
        {"sendcommand", &Driver::CommandSend},
        {"cellsize", &Driver::CellSize},
        {"codepages", &Driver::CodePages},
        {"dpi", &Driver::WindowDpi},
        {"drag", &Driver::Drag},
        {"dragpx", &Driver::DragPx},
        {"mousemove", &Driver::MouseMove},
        {"clipboard", &Driver::Clipboard},
        {"setclipboard", &Driver::SetClipboard},
        {"clearclipboard", &Driver::ClearClipboard},
        {"box", &Driver::Box},
        {"press", &Driver::Press},
        {"answer", &Driver::Answer},
        {"nobox", &Driver::NoBox},
        {"dialog", &Driver::Dialog},
        {"settext", &Driver::SetText},
        {"gettext", &Driver::GetText},
        {"click", &Driver::Click},
        {"check", &Driver::Check},
        {"setcheck", &Driver::SetCheck},
        {"comboitems", &Driver::ComboItems},
        {"comboselect", &Driver::ComboSelect},
        {"targetbox", &Driver::TargetBox},
        {"painttext", &Driver::PaintText},
        {"dlgvisible", &Driver::DlgVisible},
        {"dlgenabled", &Driver::DlgEnabled},
        {"menustate", &Driver::MenuState},
        {"menuitems", &Driver::MenuItems},
        {"screenshot", &Driver::Screenshot},
        {"pixel", &Driver::Pixel},
        {"sleep", &Driver::SleepFor},
        {"close", &Driver::Close},
        {"resize", &Driver::Resize},
        {"waitgone", &Driver::WaitGone},
        {"timesend", &Driver::TimeSend},
        {"floodwatch", &Driver::FloodWatch},
        {"sync", &Driver::Sync},
    };
    auto it = commands.find(name);
    return it == commands.end() ? nullptr : it->second;
}

Driver::~Driver() {
    if (hook_) UnhookWindowsHookEx(hook_);
    if (messageHook_) UnhookWindowsHookEx(messageHook_);
    if (markerEvent_) CloseHandle(markerEvent_);
    if (hookShared_) UnmapViewOfFile(hookShared_);
    if (hookMapping_) CloseHandle(hookMapping_);
    if (hookModule_) FreeLibrary(hookModule_);
}

void Driver::Print(const std::string& line) {
    fputs(line.c_str(), out_);
    fputc('\n', out_);
    fflush(out_);
}

bool Driver::Run(const std::string& line) {
    Command command;
    error_.clear();
    bool ok = false;
    if (!ParseCommand(line, command, error_)) {
        // error_ says what was wrong with the escapes
    } else if (Handler handler = Find(command.name)) {
        ok = (this->*handler)(command);
    } else {
        error_ = "unknown command \"" + command.name + "\"";
    }
    Print(ok ? "ok" : "error " + EscapeText(error_, false));
    return ok;
}

bool Driver::Fail(const std::string& message) {
    error_ = message;
    return false;
}

bool Driver::NeedTarget(const Command& c) {
    if (target_ && IsWindow(target_)) return true;
    return Fail(c.name + ": no target window (use window CLASS first)");
}

bool Driver::NeedBox(const Command& c) {
    if (box_ && IsWindow(box_)) return true;
    return Fail(c.name + ": no box or dialog (use box, dialog or answer first)");
}

bool Driver::ArgCount(const Command& c, size_t min, size_t max) {
    if (c.args.size() >= min && c.args.size() <= max) return true;
    return Fail(c.name + ": expected " + std::to_string(min) +
                (max > min ? " to " + std::to_string(max) : std::string()) + " arguments, got " +
                std::to_string(c.args.size()));
}

bool Driver::IntArg(const Command& c, size_t index, long& value) {
    if (index >= c.args.size()) return Fail(c.name + ": missing argument " + std::to_string(index + 1));
    const std::string& text = c.args[index];
    char* end = nullptr;
    value = strtol(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0') return Fail(c.name + ": \"" + text + "\" is not a number");
    return true;
}

bool Driver::TimeoutArg(const Command& c, size_t index, DWORD& ms) {
    ms = kDefaultTimeout;
    if (index >= c.args.size()) return true;
    long value = 0;
    if (!IntArg(c, index, value)) return false;
    if (value < 0) return Fail(c.name + ": negative time-out");
    ms = static_cast<DWORD>(value);
    return true;
}

bool Driver::SendWait(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, const char* what, LRESULT* result) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(hwnd, msg, wp, lp, SMTO_NORMAL, kDefaultTimeout, &answer)) {
        char text[160];
        snprintf(text, sizeof text, "%s: the window did not handle message 0x%X within %lu ms", what, msg,
                 static_cast<unsigned long>(kDefaultTimeout));
        return Fail(text);
    }
    if (result) *result = static_cast<LRESULT>(answer);
    return true;
}

// --- target window ---------------------------------------------------------

bool Driver::Window(const Command& c) {
    DWORD ms;
    if (!ArgCount(c, 1, 2) || !TimeoutArg(c, 1, ms)) return false;
    FindWindowState state;
    state.className = c.args[0];
    if (!WaitUntil(ms, [&] {
            state.found = nullptr;
            EnumWindows(FindTopWindow, reinterpret_cast<LPARAM>(&state));
            return state.found != nullptr;
        }))
        return Fail("window: no visible window of class \"" + c.args[0] + "\" within " +
                    std::to_string(ms) + " ms");
    target_ = state.found;
    targetThread_ = GetWindowThreadProcessId(target_, &targetProcess_);
    box_ = nullptr;
    return true;
}

bool Driver::Title(const Command& c) {
    if (!ArgCount(c, 0, 0) || !NeedTarget(c)) return false;
    Print("title " + EscapeText(WindowText(target_), false));
    return true;
}

bool Driver::WaitTitle(const Command& c) {
    DWORD ms;
    if (!ArgCount(c, 1, 2) || !TimeoutArg(c, 1, ms) || !NeedTarget(c)) return false;
    std::string last;
    if (WaitUntil(ms, [&] {
            last = WindowText(target_);
            return last.find(c.args[0]) != std::string::npos;
        }))
        return true;
    return Fail("waittitle: title without \"" + c.args[0] + "\" after " + std::to_string(ms) +
                " ms; it is \"" + last + "\"");
}

bool Driver::Chars(const Command& c) {
    if (!NeedTarget(c)) return false;
    for (char ch : c.rest) {
        if (!SendWait(target_, WM_CHAR, static_cast<unsigned char>(ch), 1, "chars")) return false;
    }
    return true;
}

bool Driver::PostChars(const Command& c) {
    if (!NeedTarget(c)) return false;
    for (char ch : c.rest) {
        if (!PostMessageA(target_, WM_CHAR, static_cast<unsigned char>(ch), 1))
            return Fail("postchars: PostMessage failed");
    }
    return true;
}

bool Driver::CommandPost(const Command& c) {
    long id;
    if (!ArgCount(c, 1, 1) || !IntArg(c, 0, id) || !NeedTarget(c)) return false;
    if (!PostMessageA(target_, WM_COMMAND, MAKEWPARAM(id, 0), 0)) return Fail("command: PostMessage failed");
    return true;
}

bool Driver::CommandSend(const Command& c) {
    long id;
    if (!ArgCount(c, 1, 1) || !IntArg(c, 0, id) || !NeedTarget(c)) return false;
    return SendWait(target_, WM_COMMAND, MAKEWPARAM(id, 0), 0, "sendcommand");
}

bool Driver::SleepFor(const Command& c) {
    long ms;
    if (!ArgCount(c, 1, 1) || !IntArg(c, 0, ms)) return false;
    if (ms > 0) Sleep(static_cast<DWORD>(ms));
    return true;
}

bool Driver::Close(const Command& c) {
    if (!ArgCount(c, 0, 0) || !NeedTarget(c)) return false;
    if (!PostMessageA(target_, WM_CLOSE, 0, 0)) return Fail("close: PostMessage failed");
    return true;
}

bool Driver::Resize(const Command& c) {
    long width, height;
    if (!ArgCount(c, 2, 2) || !NeedTarget(c) || !IntArg(c, 0, width) || !IntArg(c, 1, height)) return false;
    // The window's own thread handles the size messages before this returns.
    if (!SetWindowPos(target_, nullptr, 0, 0, static_cast<int>(width), static_cast<int>(height),
                      SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE))
        return Fail("resize: SetWindowPos failed");
    RECT client;
    GetClientRect(target_, &client);
    Print("client " + std::to_string(client.right) + " " + std::to_string(client.bottom));
    return true;
}

bool Driver::WaitGone(const Command& c) {
    DWORD ms;
    if (!ArgCount(c, 0, 1) || !TimeoutArg(c, 0, ms)) return false;
    if (!target_) return Fail("waitgone: no target window (use window CLASS first)");
    if (!WaitUntil(ms, [&] { return !IsWindow(target_); }))
        return Fail("waitgone: the window still exists after " + std::to_string(ms) + " ms");
    return true;
}

// --- keys --------------------------------------------------------------------

bool Driver::SendKeyWithState(const Command& c, bool post) {
    if (!ArgCount(c, 1, 4) || !NeedTarget(c)) return false;
    KeySpec key;
    std::string error;
    if (!ParseKey(c.args, key, error)) return Fail(c.name + ": " + error);

    const DWORD self = GetCurrentThreadId();
    if (!AttachThreadInput(self, targetThread_, TRUE))
        return Fail(c.name + ": AttachThreadInput failed");
    BYTE saved[256];
    GetKeyboardState(saved);
    BYTE state[256];
    memcpy(state, saved, sizeof state);
    auto press = [&](int vk, bool down) { state[vk] = down ? 0x80 : 0; };
    press(VK_SHIFT, key.shift);
    press(VK_LSHIFT, key.shift);
    press(VK_CONTROL, key.ctrl);
    press(VK_LCONTROL, key.ctrl);
    press(VK_MENU, key.alt);
    press(VK_LMENU, key.alt);
    press(key.vk, true);
    SetKeyboardState(state);

    // Alt without Ctrl, and F10, arrive as system keys, as from a keyboard.
    const bool system = (key.alt && !key.ctrl) || key.vk == VK_F10;
    const UINT down = system ? WM_SYSKEYDOWN : WM_KEYDOWN;
    const UINT up = system ? WM_SYSKEYUP : WM_KEYUP;
    const LPARAM lp = KeyDownParam(key);
    const LPARAM lpUp = lp | (1u << 30) | (1u << 31);
    bool ok = true;
    if (post) {
        ok = PostMessageA(target_, down, key.vk, lp) != 0;
        // The key itself may end the program (Alt+X) before its release is
        // posted: the release then has nowhere to go, and that is no failure.
        if (ok && !PostMessageA(target_, up, key.vk, lpUp) && IsWindow(target_)) ok = false;
        if (!ok) Fail(c.name + ": PostMessage failed");
        // The state must hold until the loop has taken the key (an
        // accelerator reads it there).
        if (ok && IsWindow(target_)) ok = WaitPostedTaken(c, kDefaultTimeout);
    } else {
        ok = SendWait(target_, down, key.vk, lp, c.name.c_str());
        // The default procedure answers the release of F10 or a lone Alt by
        // opening the menu bar's modal loop, as for a real key; that loop is
        // cancelled so the program is ready for the next command.
        DWORD_PTR ignored;
        if (ok && !system) {
            ok = SendWait(target_, up, key.vk, lpUp, c.name.c_str());
        } else if (ok && !SendMessageTimeoutA(target_, up, key.vk, lpUp, SMTO_NORMAL, kMenuLoopWait, &ignored)) {
            if (!SendWait(target_, WM_CANCELMODE, 0, 0, c.name.c_str())) {
                ok = false;
            } else {
                Print("menuloop");
            }
        }
    }
    SetKeyboardState(saved);
    AttachThreadInput(self, targetThread_, FALSE);
    return ok;
}

bool Driver::Key(const Command& c) { return SendKeyWithState(c, false); }

bool Driver::PostKey(const Command& c) { return SendKeyWithState(c, true); }

}  // namespace ovdrive
