#include "session/CTermController.h"

#include <cstdio>
#include <new>

#include "emu/CTermEmulator.h"
#include "emu/CWyse50Emulator.h"
#include "net/CTermComm.h"
#include "print/CTermPrinter.h"
#include "view/CTermView.h"

CTermController::CTermController(int* status) {
    if (status) *status = 0;
}

CTermController::~CTermController() {
    delete emulator;
    emulator = nullptr;
    delete comms;
    comms = nullptr;
    delete printer;
    printer = nullptr;
    delete view;
    view = nullptr;
}

int CTermController::Connect(char* host) {
    if (comms && comms->Connect(host)) {
        if (emulator) emulator->OnConnect(host);
        if (view) view->SetHostName(host);
        return 1;
    }
    char text[100];
    std::snprintf(text, sizeof text, "Unable to connect - (%s)", host ? host : "");
    if (view) {
        view->MessageBox(text, "Connection Failed!", 0);
        view->SetTitle("");
    }
    return 0;
}

int CTermController::Disconnect() { return comms ? comms->Disconnect() : 0; }

int CTermController::IsConnected() { return comms ? comms->IsConnected() : 0; }

bool CTermController::EnterSendsCrAlone() { return !localMode && comms && comms->IsLocalBinary(); }

void CTermController::SendToHost(const char* data, int length) {
    if (localMode) {
        if (emulator) emulator->OnReceive(data, length);
    } else if (comms && comms->IsConnected()) {
        comms->Send(data, length);
    } else if (view) {
        view->Beep();
    }
}

void CTermController::CreateEmulator(int* status, CTermView* v, CTermComm* c, int type) {
    if (status) *status = 0;
    delete emulator;
    emulator = nullptr;
    int error = 0;
    CTermEmulator* created = nullptr;
    if (type == kPlainEmulator)
        created = new (std::nothrow) CTermEmulator(&error, this, v, c, printer);
    else if (type == kWyse50Emulator)
        created = new (std::nothrow) CWyse50Emulator(&error, this, v, c, printer);
    else
        return;
    if (!created) {
        if (status) *status = 1;
        return;
    }
    if (error) {
        delete created;
        if (status) *status = error;
        return;
    }
    emulator = created;
    if (comms) comms->SetRxHandler(emulator);
}
