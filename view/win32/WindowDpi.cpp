#include "view/win32/WindowDpi.h"

int WindowDpi(HWND window, HDC dc) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    const int dpi = getDpiForWindow && window ? static_cast<int>(getDpiForWindow(window)) : 0;
    if (dpi > 0) return dpi;
    const int system = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
    return system > 0 ? system : 96;
}
