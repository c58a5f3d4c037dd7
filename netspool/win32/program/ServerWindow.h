// NetSpool's main window: the log of status lines, the menu, and the
// ports' socket notifications (WM_USER + port index) handed to the server.
#pragma once

#include <windows.h>

inline constexpr char kServerWindowClass[] = "NetSpool";
inline constexpr char kServerWindowCaption[] = "NetSpool Server (32-bit Version 4.2)";

bool RegisterServerWindowClass(HINSTANCE instance);
HWND CreateServerWindow(HINSTANCE instance);
