// What the session controller needs from the program around it: the window
// the view draws into, the keyboard state, the printer, message boxes before
// the view exists, and the request to end the program.
#pragma once

class CTermPrinter;
class CWindowPort;

class CControllerPlatform {
public:
    virtual ~CControllerPlatform() = default;
    virtual CWindowPort* WindowPort() = 0;
    // Where socket notifications are delivered (the main window on Windows;
    // null where a poll loop watches the socket).
    virtual void* SocketEventTarget() = 0;
    // Whether a key (virtual-key code) is down while the current key message is handled.
    virtual bool IsKeyDown(unsigned virtualKey) = 0;
    // The printer of this platform, or null when it cannot be had.
    virtual CTermPrinter* CreatePrinter() = 0;
    virtual int ShowMessage(const char* text, const char* caption, unsigned type) = 0;
    virtual void RequestQuit(int exitCode) = 0;
};
