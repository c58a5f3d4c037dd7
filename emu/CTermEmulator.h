// The plain emulator: every received byte goes to the screen as text. The
// Wyse 50 emulator derives from it.
#pragma once

#include "emu/CRxHandler.h"

class CTermController;
class CTermView;
class CTermComm;
class CTermPrinter;

class CTermEmulator : public CRxHandler {
public:
    CTermEmulator(int* error, CTermController* controller, CTermView* view, CTermComm* transport,
                  CTermPrinter* printer);
    ~CTermEmulator() override;
    void OnReceive(const char* data, int len) override;
    virtual void SendKey(unsigned keyCode);
    virtual void OnConnect(const char* hostName);

    // The controller fills the transport in after construction.
    void SetTransport(CTermComm* comms) { transport = comms; }
    int NoScrollFlag() const { return noScrollFlag; }

protected:
    CTermController* controller;
    CTermView* view;
    CTermComm* transport = nullptr;
    CTermPrinter* printer;
    int noScrollFlag = 1;
};
