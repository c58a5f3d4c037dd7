// ovdrive's side of ovdrivehook.dll: the hooks on the target's thread, menu
// and pixel requests, and the marker that tells when posted messages are in.
#include <cstdio>
#include <string>

#include "Driver.h"
#include "DriverHook.h"
#include "TextEscape.h"

namespace ovdrive {

namespace {

HOOKPROC HookProc(HMODULE module, const char* name) {
    // Through void*: GetProcAddress's type says nothing of the real one.
    return reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

bool Driver::Hook(const Command& c) {
    if (!NeedTarget(c)) return false;
    if (!hookModule_) {
        // The DLL lies beside ovdrive.exe.
        char path[MAX_PATH];
        DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
        while (length > 0 && path[length - 1] != '\\' && path[length - 1] != '/') --length;
        path[length] = '\0';
        const std::string dll = std::string(path) + "ovdrivehook.dll";
        hookModule_ = LoadLibraryA(dll.c_str());
        if (!hookModule_) return Fail(c.name + ": cannot load " + dll);
    }
    if (hookThread_ != targetThread_) {
        if (hook_) UnhookWindowsHookEx(hook_);
        if (messageHook_) UnhookWindowsHookEx(messageHook_);
        hook_ = messageHook_ = nullptr;
        HOOKPROC proc = HookProc(hookModule_, kHookProcName);
        HOOKPROC messageProc = HookProc(hookModule_, kMessageHookProcName);
        if (!proc || !messageProc) return Fail(c.name + ": ovdrivehook.dll lacks its hook procedures");
        // Wine now and then refuses a hook on a thread that has only just
        // made its window; asked again a moment later it takes it.
        DWORD error = 0;
        for (int attempt = 0; attempt < 100 && !(hook_ && messageHook_); ++attempt) {
            if (attempt > 0) Sleep(20);
            if (!hook_) hook_ = SetWindowsHookExA(WH_CALLWNDPROC, proc, hookModule_, targetThread_);
            if (!messageHook_)
                messageHook_ = SetWindowsHookExA(WH_GETMESSAGE, messageProc, hookModule_, targetThread_);
            if (!hook_ || !messageHook_) error = GetLastError();
        }
        if (!hook_ || !messageHook_)
            return Fail(c.name + ": cannot hook the window's thread (error " + std::to_string(error) + ")");
        // Seen on the error stream of the run, so that a suite can count them.
        if (error) fprintf(stderr, "ovdrive: hooking the window's thread needed another try (error %lu)\n",
                           static_cast<unsigned long>(error));
        hookThread_ = targetThread_;
    }
    return true;
}

bool Driver::AskHook(const Command& c, HookShared& request) {
    if (!Hook(c)) return false;
    if (!hookShared_) {
        char name[64];
        snprintf(name, sizeof name, "%s%lu", kHookSharedPrefix, static_cast<unsigned long>(GetCurrentProcessId()));
        hookMapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(HookShared), name);
        if (hookMapping_)
            hookShared_ = static_cast<HookShared*>(MapViewOfFile(hookMapping_, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(HookShared)));
        if (!hookShared_) return Fail(c.name + ": cannot create the shared block for the hook");
    }
    request.status = kHookPending;
    *hookShared_ = request;
    static const UINT message = RegisterWindowMessageA(kHookMessage);
    if (!SendWait(target_, message, GetCurrentProcessId(), 0, c.name.c_str())) return false;
    request = *hookShared_;
    switch (request.status) {
    case kHookDone: return true;
    case kHookNoMenu: return Fail(c.name + ": the window has no menu");
    case kHookNoPopup: return Fail(c.name + ": the menu has no popup " + std::to_string(request.popup));
    case kHookNoPixels: return Fail(c.name + ": the program could not copy its pixels");
    case kHookNoTextCalls: return Fail(c.name + ": the program imports neither TextOutA nor ExtTextOutA");
    case kHookNoItem:
        return Fail(c.name + ": no item " + std::to_string(request.id) + " in popup " + std::to_string(request.popup));
    default: return Fail(c.name + ": the hook in the program did not answer");
    }
}

bool Driver::WaitPostedTaken(const Command& c, DWORD ms) {
    if (!Hook(c)) return false;
    if (!markerEvent_) {
        char name[64];
        snprintf(name, sizeof name, "%s%lu", kMarkerEventPrefix, static_cast<unsigned long>(GetCurrentProcessId()));
        markerEvent_ = CreateEventA(nullptr, FALSE, FALSE, name);
        if (!markerEvent_) return Fail(c.name + ": cannot create the marker event");
    }
    ResetEvent(markerEvent_);
    static const UINT marker = RegisterWindowMessageA(kMarkerMessage);
    if (!PostMessageA(target_, marker, GetCurrentProcessId(), 1)) {
        if (!IsWindow(target_)) return true;  // gone with everything posted to it
        return Fail(c.name + ": PostMessage failed");
    }
    // A window destroyed meanwhile (Alt+X: Exit) takes its queue with it: the
    // marker never comes, and nothing is left to wait for.
    HWND target = target_;
    if (!WaitUntil(ms, [&] { return WaitForSingleObject(markerEvent_, 0) == WAIT_OBJECT_0 || !IsWindow(target); }))
        return Fail(c.name + ": the program did not take its posted messages within " + std::to_string(ms) +
                    " ms (busy, or blocked outside a message loop)");
    return true;
}

bool Driver::PaintText(const Command& c) {
    if (!ArgCount(c, 0, 0) || !NeedTarget(c)) return false;
    HookShared request = {};
    request.op = kHookPaintText;
    if (!AskHook(c, request)) return false;
    for (LONG i = 0; i < request.count; ++i) {
        const HookItem& item = request.items[i];
        Print("painttext " + std::to_string(item.kind) + " " + std::to_string(item.id) + " " +
              EscapeText(item.text, false));
    }
    return true;
}

bool Driver::Sync(const Command& c) {
    DWORD ms;
    if (!ArgCount(c, 0, 1) || !TimeoutArg(c, 0, ms)) return false;
    return WaitPostedTaken(c, ms);
}

}  // namespace ovdrive
