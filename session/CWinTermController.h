// The session controller of the program: builds the view, printer, Wyse 50
// emulator and telnet transport in that order, turns key-down messages into
// key codes, and routes socket notifications to the transport.
#pragma once

#include "net/SocketEventSink.h"
#include "session/CTermController.h"

class CControllerPlatform;
class CRxHandler;
class CWinTermView;

class CWinTermController : public CTermController, public CSocketEventSink {
public:
    // status 0 on success; *viewOut is the view once it exists (null when
    // building it failed).
    CWinTermController(int* status, CControllerPlatform* platform, int emulatorType, CWinTermView** viewOut);

    // Connects as the base does (blocking until the host answers); meanwhile
    // the title says whom it is trying.
    int Connect(char* host) override;

    // Socket notifications: closed 0 is data to read, anything else the end
    // of the connection (the title then loses the host name).
    void OnSocketEvent(int closed) override;
    void OnSocketWritable() override;

    // A key-down message: every table pair of the virtual key sends its code,
    // with Shift, Alt and Ctrl added from the keyboard state.
    void KeyDown(unsigned virtualKey);

    int CreatePrinter();
    int CreateComms(CTermView* view, CRxHandler* rxHandler);

private:
    CControllerPlatform* platform;
};
