// NetSpool.exe: one copy at a time, one window, everything on its thread.
#include <windows.h>

#include "ServerWindow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Held until the process ends; a second copy finds it taken.
    CreateMutexA(nullptr, TRUE, "NetSpool");
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        MessageBoxA(nullptr, "NetSpool Server is already running", "NetSpool Server", MB_OK);
        return 0;
    }
    if (!RegisterServerWindowClass(instance)) return 1;
    HWND window = CreateServerWindow(instance);
    if (!window) return 1;
    // The start-up show state is not used: the log is always shown.
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
