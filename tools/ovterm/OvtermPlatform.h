// What the controller needs from ovterm's surroundings: the character-cell
// window port, message boxes as notes, and a printer over CUPS.
#pragma once

#include "session/ControllerPlatform.h"
#include "tools/ovterm/CupsPrinter.h"
#include "view/posix/TextWindowPort.h"

class OvtermPlatform : public CControllerPlatform {
public:
    CWindowPort* WindowPort() override { return &port; }
    void* SocketEventTarget() override { return nullptr; }
    bool IsKeyDown(unsigned) override { return false; }
    // Host printing goes raw to the user's CUPS destination; what goes
    // wrong is shown as a note.
    CTermPrinter* CreatePrinter() override {
        return new ovterm::CCupsPrinter([this](const std::string& text) { port.MessageBox(text.c_str(), "Printer", 0); });
    }
    int ShowMessage(const char* text, const char* caption, unsigned type) override {
        return port.MessageBox(text, caption, type);
    }
    void RequestQuit(int exitCode) override { port.RequestQuit(exitCode); }

    CTextWindowPort port;
};
