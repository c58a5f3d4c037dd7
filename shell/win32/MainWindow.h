// The main window: its class, and the routing of its messages to the session
// controller and the view.
#pragma once

#include <windows.h>

inline constexpr char kMainWindowClass[] = "WinOvTerm";
inline constexpr char kMainWindowTitle[] = "Orvane Terminal Emulator";

// Registers the window class (once per process).
bool RegisterMainWindowClass(HINSTANCE instance);
// Creates and shows the main window; startHost (cut to 51 characters) is
// connected to on the first paint. The window keeps the accelerators.
HWND CreateMainWindow(HINSTANCE instance, const char* startHost, HACCEL accelerators);
// Runs the message loop with the window's accelerators until the quit message.
int RunMessageLoop(HWND mainWindow);
