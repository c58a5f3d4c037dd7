// The DPI a window is shown at, for the programs that scale themselves to it.
#pragma once

#include <windows.h>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

// The DPI of the window's monitor where Windows tells it per window (10,
// version 1607 on), else the system's (that of `dc`), else 96.
int WindowDpi(HWND window, HDC dc);
