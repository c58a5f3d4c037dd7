// The main window: its class, and the routing of its messages to the session
// controller and the view.
#pragma once

#include <windows.h>

inline constexpr char kMainWindowClass[] = "WinOvTerm";
inline constexpr char kMainWindowTitle[] = "Orvane Terminal Emulator";

// Registers the window class (once per process).
bool RegisterMainWindowClass(HINSTANCE instance);
// Creates and shows the main window; startHost (cut to 51 characters) is
// connected to on the first paint.
HWND CreateMainWindow(HINSTANCE instance, const char* startHost);
// Runs the message loop with the accelerators until the quit message.
int RunMessageLoop(HWND mainWindow, HACCEL accelerators);
