// Message boxes and dialogs of the target's process: find them, read their
// texts, press their buttons, fill their controls.
#include <cstring>
#include <cwchar>

#include "Driver.h"
#include "TextEscape.h"

namespace ovdrive {

namespace {

const char kDialogClass[] = "#32770";
const DWORD kClickWait = 1000;

struct BoxSearch {
    DWORD process = 0;
    DWORD thread = 0;  // 0: any thread of the process
    const std::string* caption = nullptr;  // null: any caption
    HWND found = nullptr;
};

BOOL CALLBACK FindBoxWindow(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<BoxSearch*>(lp);
    DWORD process = 0;
    DWORD thread = GetWindowThreadProcessId(hwnd, &process);
    if (process != search->process || (search->thread && thread != search->thread)) return TRUE;
    if (!IsWindowVisible(hwnd) || ClassName(hwnd) != kDialogClass) return TRUE;
    if (search->caption && WindowText(hwnd) != *search->caption) return TRUE;
    search->found = hwnd;
    return FALSE;
}

HWND FindDialogOf(DWORD process, DWORD thread, const std::string* caption) {
    BoxSearch search;
    search.process = process;
    search.thread = thread;
    search.caption = caption;
    EnumWindows(FindBoxWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK CollectStaticText(HWND hwnd, LPARAM lp) {
    auto* text = reinterpret_cast<std::string*>(lp);
    if (!IsWindowVisible(hwnd) || _stricmp(ClassName(hwnd).c_str(), "Static") != 0) return TRUE;
    const LONG type = GetWindowLongA(hwnd, GWL_STYLE) & SS_TYPEMASK;
    if (type == SS_ICON || type == SS_BITMAP || type == SS_ENHMETAFILE) return TRUE;
    std::string part = WindowText(hwnd);
    if (part.empty()) return TRUE;
    if (!text->empty()) *text += " | ";
    *text += part;
    return TRUE;
}

// The labels of a dialog, in child order: a message box has one, its message.
std::string StaticText(HWND box) {
    std::string text;
    EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&text));
    return text;
}

std::string WithoutAmpersands(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != '&') out += c;
    return out;
}

struct ButtonSearch {
    std::string text;
    HWND found = nullptr;
};

BOOL CALLBACK FindButton(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<ButtonSearch*>(lp);
    if (_stricmp(ClassName(hwnd).c_str(), "Button") != 0) return TRUE;
    if (_stricmp(WithoutAmpersands(WindowText(hwnd)).c_str(), search->text.c_str()) != 0) return TRUE;
    search->found = hwnd;
    return FALSE;
}

}  // namespace

bool Driver::FindBox(const std::string& caption, DWORD ms, bool byTitle, const char* what) {
    HWND found = nullptr;
    // "*": whichever dialog the program opens (the system's own dialogs
    // take the system's language for their titles).
    const std::string* wanted = caption == "*" ? nullptr : &caption;
    if (!WaitUntil(ms, [&] {
            found = FindDialogOf(targetProcess_, 0, wanted);
            return found != nullptr;
        })) {
        std::string message = std::string(what) + ": no " + (byTitle ? "dialog" : "box") + " \"" + caption +
                              "\" within " + std::to_string(ms) + " ms";
        if (HWND other = FindDialogOf(targetProcess_, 0, nullptr))
            message += "; open is \"" + WindowText(other) + "\": " + StaticText(other);
        return Fail(message);
    }
    box_ = found;
    return true;
}

bool Driver::Box(const Command& c) {
    DWORD ms;
    if (!ArgCount(c, 1, 2) || !TimeoutArg(c, 1, ms) || !NeedTarget(c)) return false;
    if (!FindBox(c.args[0], ms, false, "box")) return false;
    Print("box " + EscapeText(c.args[0], false) + ": " + EscapeText(StaticText(box_), false));
    return true;
}

bool Driver::Press(const Command& c) {
    if (!ArgCount(c, 1, 1) || !NeedBox(c)) return false;
    HWND button = nullptr;
    long id = 0;
    char* end = nullptr;
    id = strtol(c.args[0].c_str(), &end, 0);
    if (!c.args[0].empty() && *end == '\0') {
        // A numeric id needs no control: 2 (IDCANCEL) is what Escape sends.
        button = GetDlgItem(box_, static_cast<int>(id));
    } else {
        ButtonSearch search;
        search.text = WithoutAmpersands(c.args[0]);
        EnumChildWindows(box_, FindButton, reinterpret_cast<LPARAM>(&search));
        if (!search.found) return Fail("press: no button \"" + c.args[0] + "\" in \"" + WindowText(box_) + "\"");
        button = search.found;
        id = GetDlgCtrlID(button);
    }
    const std::string caption = WindowText(box_);
    // Posted: the box's own modal loop takes it and returns from the call that
    // opened the box.
    if (!PostMessageA(box_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)))
        return Fail("press: PostMessage failed");
    HWND box = box_;
    if (!WaitUntil(kDefaultTimeout, [&] { return !IsWindow(box) || !IsWindowVisible(box); }))
        return Fail("press: \"" + caption + "\" still open " + std::to_string(kDefaultTimeout) +
                    " ms after pressing " + c.args[0]);
    box_ = nullptr;
    return true;
}

bool Driver::Answer(const Command& c) {
    DWORD ms;
    if (!ArgCount(c, 2, 3) || !TimeoutArg(c, 2, ms) || !NeedTarget(c)) return false;
    if (!FindBox(c.args[0], ms, false, "answer")) return false;
    Print("box " + EscapeText(c.args[0], false) + ": " + EscapeText(StaticText(box_), false));
    Command press;
    press.name = "press";
    press.args.push_back(c.args[1]);
    return Press(press);
}

bool Driver::NoBox(const Command& c) {
    long ms;
    if (!ArgCount(c, 1, 1) || !IntArg(c, 0, ms) || !NeedTarget(c)) return false;
    HWND found = nullptr;
    if (WaitUntil(static_cast<DWORD>(ms), [&] {
            found = FindDialogOf(targetProcess_, targetThread_, nullptr);
            return found != nullptr;
        }))
        return Fail("nobox: box \"" + WindowText(found) + "\" appeared: " + StaticText(found));
    return true;
}

bool Driver::Dialog(const Command& c) {
    DWORD ms;
    if (!ArgCount(c, 1, 2) || !TimeoutArg(c, 1, ms) || !NeedTarget(c)) return false;
    return FindBox(c.args[0], ms, true, "dialog");
}

bool Driver::ControlArg(const Command& c, HWND& control) {
    long id;
    if (!NeedBox(c) || !IntArg(c, 0, id)) return false;
    control = GetDlgItem(box_, static_cast<int>(id));
    if (!control) return Fail(c.name + ": no control " + c.args[0] + " in \"" + WindowText(box_) + "\"");
    return true;
}

bool Driver::SetText(const Command& c) {
    HWND control;
    if (c.args.empty()) return ArgCount(c, 1, 2);
    if (!ControlArg(c, control)) return false;
    return SendWait(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.restAfterFirst.c_str()), "settext");
}

bool Driver::GetText(const Command& c) {
    HWND control;
    if (!ArgCount(c, 1, 1) || !ControlArg(c, control)) return false;
    Print("text " + c.args[0] + " " + EscapeText(WindowText(control), false));
    return true;
}

bool Driver::Click(const Command& c) {
    HWND control;
    if (!ArgCount(c, 1, 1) || !ControlArg(c, control)) return false;
    if (!IsWindowEnabled(control)) return Fail("click: control " + c.args[0] + " is disabled");
    // BM_CLICK presses the button as the mouse would: an auto check box
    // toggles, and the dialog gets BN_CLICKED. A click that opens a modal box
    // does not return until the box closes, so after a second the click is
    // left running and the next command (box, dialog) waits for what it opened.
    DWORD_PTR ignored;
    if (!SendMessageTimeoutA(control, BM_CLICK, 0, 0, SMTO_NORMAL, kClickWait, &ignored) &&
        GetLastError() != ERROR_TIMEOUT)
        return Fail("click: SendMessageTimeout failed");
    return true;
}

bool Driver::Check(const Command& c) {
    HWND control;
    LRESULT state = 0;
    if (!ArgCount(c, 1, 1) || !ControlArg(c, control) || !SendWait(control, BM_GETCHECK, 0, 0, "check", &state))
        return false;
    const char* name = state == BST_CHECKED ? "checked" : state == BST_INDETERMINATE ? "indeterminate" : "unchecked";
    Print("check " + c.args[0] + " " + name);
    return true;
}

bool Driver::SetCheck(const Command& c) {
    HWND control;
    long value;
    if (!ArgCount(c, 2, 2) || !ControlArg(c, control) || !IntArg(c, 1, value)) return false;
    return SendWait(control, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0, "setcheck");
}

bool Driver::ComboItems(const Command& c) {
    HWND control;
    LRESULT count = 0, selected = 0;
    if (!ArgCount(c, 1, 1) || !ControlArg(c, control) || !SendWait(control, CB_GETCOUNT, 0, 0, "comboitems", &count) ||
        !SendWait(control, CB_GETCURSEL, 0, 0, "comboitems", &selected))
        return false;
    Print("comboitems " + c.args[0] + " count " + std::to_string(count) + " selected " +
          std::to_string(static_cast<long>(selected)));
    // Through the Unicode messages: Wine hands another process's combo box
    // text over as UTF-16 whichever form is asked for.
    for (LRESULT i = 0; i < count; ++i) {
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutW(control, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0, SMTO_NORMAL, kDefaultTimeout,
                                 &length) ||
            static_cast<LRESULT>(length) == CB_ERR)
            return Fail("comboitems: no length for item " + std::to_string(static_cast<long>(i)));
        std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
        DWORD_PTR ignored = 0;
        if (!SendMessageTimeoutW(control, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&wide[0]),
                                 SMTO_NORMAL, kDefaultTimeout, &ignored))
            return Fail("comboitems: no text for item " + std::to_string(static_cast<long>(i)));
        wide.resize(wcslen(wide.c_str()));
        std::string text(wide.size() * 4 + 1, '\0');
        const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), &text[0],
                                              static_cast<int>(text.size()), nullptr, nullptr);
        text.resize(bytes > 0 ? static_cast<size_t>(bytes) : 0);
        Print("item " + EscapeText(text, false));
    }
    return true;
}

bool Driver::ComboSelect(const Command& c) {
    HWND control;
    long index;
    LRESULT result = 0;
    if (!ArgCount(c, 2, 2) || !ControlArg(c, control) || !IntArg(c, 1, index) ||
        !SendWait(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0, "comboselect", &result))
        return false;
    if (result != index) return Fail("comboselect: control " + c.args[0] + " has no item " + c.args[1]);
    return true;
}

bool Driver::TargetBox(const Command& c) {
    if (!ArgCount(c, 0, 0) || !NeedBox(c)) return false;
    // The box runs on the program's thread (a modal loop), so the hooks stay.
    target_ = box_;
    return true;
}

bool Driver::DlgVisible(const Command& c) {
    HWND control;
    if (!ArgCount(c, 1, 1) || !ControlArg(c, control)) return false;
    Print("dlgvisible " + c.args[0] + (IsWindowVisible(control) ? " visible" : " hidden"));
    return true;
}

bool Driver::DlgEnabled(const Command& c) {
    HWND control;
    if (!ArgCount(c, 1, 1) || !ControlArg(c, control)) return false;
    Print("dlgenabled " + c.args[0] + (IsWindowEnabled(control) ? " enabled" : " disabled"));
    return true;
}

}  // namespace ovdrive
