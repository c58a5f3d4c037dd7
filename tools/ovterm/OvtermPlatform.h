// What the controller needs from ovterm's surroundings: the character-cell
// window port, message boxes as notes, and a printer that keeps host
// printing in memory.
#pragma once

#include "session/ControllerPlatform.h"
#include "tools/replay/CaptureDevices.h"
#include "view/posix/TextWindowPort.h"

class OvtermPlatform : public CControllerPlatform {
public:
    CWindowPort* WindowPort() override { return &port; }
    void* SocketEventTarget() override { return nullptr; }
    bool IsKeyDown(unsigned) override { return false; }
    // Host printing has nowhere to go in a terminal; it is kept in memory.
    CTermPrinter* CreatePrinter() override { return new CCapturePrinter; }
    int ShowMessage(const char* text, const char* caption, unsigned type) override {
        return port.MessageBox(text, caption, type);
    }
    void RequestQuit(int exitCode) override { port.RequestQuit(exitCode); }

    CTextWindowPort port;
};
