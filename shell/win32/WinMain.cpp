// The entry point: the command line is the host to connect to at start.
#include <windows.h>

#include "shell/win32/MainWindow.h"
#include "shell/win32/ShellIds.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int) {
    if (!previous && !RegisterMainWindowClass(instance)) return 1;
    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDA_ACCELERATORS));
    HWND window = CreateMainWindow(instance, commandLine, accelerators);
    if (!window) return 1;
    return RunMessageLoop(window);
}
