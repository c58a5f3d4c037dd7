// What the session controller and the view's commands need from the Win32
// program: the window port, key states, the printer, message boxes, the
// dialogs, the command prompt and closing the window.
#pragma once

#include <windows.h>

#include "session/ControllerPlatform.h"
#include "view/CommandPort.h"
#include "view/win32/CWinWindowPort.h"

class CTermController;

class CWinSessionPlatform : public CControllerPlatform, public CViewCommandPort {
public:
    explicit CWinSessionPlatform(HWND mainWindow) : window(mainWindow), port(mainWindow) {}

    void SetController(CTermController* owner) { controller = owner; }
    CWinWindowPort& Port() { return port; }

    // CControllerPlatform
    CWindowPort* WindowPort() override { return &port; }
    void* SocketEventTarget() override { return window; }
    bool IsKeyDown(unsigned virtualKey) override;
    CTermPrinter* CreatePrinter() override;
    int ShowMessage(const char* text, const char* caption, unsigned type) override;
    void RequestQuit(int exitCode) override;

    // CViewCommandPort
    void RunConnectDialog() override;
    void RunAboutDialog() override;
    void RunColourDialog() override;
    bool ChooseFont(int* charWidth, int* lineHeight) override;
    void RunFtpSettingsDialog() override;
    void RunTransferDialog(int download) override;
    void StartCommandPrompt() override;
    void RequestClose() override;

private:
    HWND window;
    CWinWindowPort port;
    CTermController* controller = nullptr;
};
