// ovdrive's command interpreter: drives one target window of another process
// with window messages and answers each command line in the answers file.
#pragma once

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace ovdrive {

struct HookShared;

// One command line: the command word, its arguments split at blanks and
// unescaped one by one, and the unescaped text after the command word (and
// after its first argument) for the commands whose last argument is free text.
struct Command {
    std::string name;
    std::vector<std::string> args;
    std::string rest;
    std::string restAfterFirst;
};

// Splits and unescapes a command line. False with `error` on a bad escape.
bool ParseCommand(const std::string& line, Command& command, std::string& error);

class Driver {
public:
    explicit Driver(FILE* answers) : out_(answers) {}
    ~Driver();
    Driver(const Driver&) = delete;
    Driver& operator=(const Driver&) = delete;

    // Runs one command line and writes its answer: zero or more lines, then
    // "ok" or "error MESSAGE". False after an error.
    bool Run(const std::string& line);

    // Prints one answer line and flushes it, so a crash loses nothing.
    void Print(const std::string& line);

    // Looks up a command; null when there is none of that name.
    using Handler = bool (Driver::*)(const Command&);
    static Handler Find(const std::string& name);

    // Commands (names as in the command file).
    bool Window(const Command& c);
    bool Title(const Command& c);
    bool WaitTitle(const Command& c);
    bool Chars(const Command& c);
    bool PostChars(const Command& c);
    bool Key(const Command& c);
    bool PostKey(const Command& c);
    bool CommandSend(const Command& c);
    bool CommandPost(const Command& c);
    bool CellSize(const Command& c);
    bool CodePages(const Command& c);
    bool WindowDpi(const Command& c);
    bool Drag(const Command& c);
    bool DragPx(const Command& c);
    bool MouseMove(const Command& c);
    bool Clipboard(const Command& c);
    bool SetClipboard(const Command& c);
    bool ClearClipboard(const Command& c);
    bool Box(const Command& c);
    bool Press(const Command& c);
    bool Answer(const Command& c);
    bool NoBox(const Command& c);
    bool Dialog(const Command& c);
    bool SetText(const Command& c);
    bool GetText(const Command& c);
    bool Click(const Command& c);
    bool Check(const Command& c);
    bool SetCheck(const Command& c);
    bool ComboItems(const Command& c);
    bool ComboSelect(const Command& c);
    bool TargetBox(const Command& c);
    bool PaintText(const Command& c);
    bool DlgVisible(const Command& c);
    bool DlgEnabled(const Command& c);
    bool MenuState(const Command& c);
    bool MenuItems(const Command& c);
    bool Screenshot(const Command& c);
    bool Pixel(const Command& c);
    bool SleepFor(const Command& c);
    bool Close(const Command& c);
    bool Resize(const Command& c);
    bool WaitGone(const Command& c);
    bool TimeSend(const Command& c);
    bool FloodWatch(const Command& c);
    bool Sync(const Command& c);

private:
    bool Fail(const std::string& message);
    bool NeedTarget(const Command& c);
    bool NeedBox(const Command& c);
    // The optional time-out as argument `index` (default 5000 ms).
    bool TimeoutArg(const Command& c, size_t index, DWORD& ms);
    bool IntArg(const Command& c, size_t index, long& value);
    // Checks the argument count: at least `min`, at most `max`.
    bool ArgCount(const Command& c, size_t min, size_t max);

    // Sends a message and waits for it to be handled; false (with the error
    // set) when the window does not answer within the default time-out.
    bool SendWait(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, const char* what,
                  LRESULT* result = nullptr);
    bool SendKeyWithState(const Command& c, bool post);
    bool SendMouse(UINT msg, WPARAM wp, int x, int y);
    bool FindBox(const std::string& caption, DWORD ms, bool byTitle, const char* what);
    bool ControlArg(const Command& c, HWND& control);
    bool CaptureClient(std::vector<unsigned char>& bgr, int& width, int& height);
    // Puts ovdrivehook.dll's hooks on the target's thread (once per target).
    bool Hook(const Command& c);
    // Asks the hook DLL inside the target's thread (menus can be read only
    // there); `request` holds the operation in and the answer out.
    bool AskHook(const Command& c, HookShared& request);
    // Waits until the program has taken every message posted to it so far
    // (and what they posted in turn).
    bool WaitPostedTaken(const Command& c, DWORD ms);
    bool WithClipboard(DWORD ms, const std::function<void()>& action);
    // The clipboard's CF_TEXT; `has` is false when it holds none.
    bool ReadClipboard(bool& has, std::string& text);
    // Selects the cells from (r1,c1) to (r2,c2) with the mouse, as drag does.
    bool DragCells(long r1, long c1, long r2, long c2);
    // The program's own popup menu `index` (a handle valid in its process).
    bool PopupHandle(const Command& c, LONG index, HMENU& popup);

    FILE* out_;
    std::string error_;
    HWND target_ = nullptr;
    DWORD targetThread_ = 0;
    DWORD targetProcess_ = 0;
    HWND box_ = nullptr;
    HANDLE hookMapping_ = nullptr;
    HookShared* hookShared_ = nullptr;
    HMODULE hookModule_ = nullptr;
    HHOOK hook_ = nullptr;
    HHOOK messageHook_ = nullptr;
    DWORD hookThread_ = 0;
    HANDLE markerEvent_ = nullptr;
};

// Polls `done` every 10 ms until it is true or `ms` have passed.
bool WaitUntil(DWORD ms, const std::function<bool()>& done);

// Window text through WM_GETTEXT, which also works for controls of other
// processes (GetWindowText does not).
std::string WindowText(HWND hwnd);
std::string ClassName(HWND hwnd);

const DWORD kDefaultTimeout = 5000;

}  // namespace ovdrive
