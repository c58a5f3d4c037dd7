#include "session/CWinTermController.h"

#include <cstdio>
#include <new>

#include "emu/CTermEmulator.h"
#include "emu/KeyCodes.h"
#include "net/CTelnetComm.h"
#include "session/ControllerPlatform.h"
#include "settings/Settings.h"
#include "view/CWinTermView.h"
#include "view/MessageBoxes.h"

namespace {
constexpr std::size_t kColourNameSize = 20;  // colour names of at most 19 characters
}  // namespace

CWinTermController::CWinTermController(int* status, CControllerPlatform* host, int emulatorType,
                                       CWinTermView** viewOut)
    : CTermController(status), platform(host) {
    int dummy = 0;
    if (!status) status = &dummy;
    *status = 0;
    if (viewOut) *viewOut = nullptr;

    char fore[kColourNameSize], back[kColourNameSize];
    ReadSetting("Fore", "NULL", "Colors", kApplicationName, kProfileBase, fore, sizeof fore);
    ReadSetting("Back", "NULL", "Colors", kApplicationName, kProfileBase, back, sizeof back);
    int viewFailed = 0;
    auto* created = new (std::nothrow) CWinTermView(this, &viewFailed, platform->WindowPort(), fore, back);
    if (!created) {
        platform->ShowMessage(mb::kNoMemory, mb::kCaption, mb::kIconExclamation);
        platform->RequestQuit(0);
        *status = 1;
        return;
    }
    if (viewFailed) {
        platform->ShowMessage("Initialisation failure creating view.", mb::kCaption, mb::kIconExclamation);
        delete created;
        platform->RequestQuit(0);
        *status = 1;
        return;
    }
    view = created;
    if (viewOut) *viewOut = created;

    CreatePrinter();  // a failure has already asked the program to end
    CreateEmulator(status, view, nullptr, emulatorType);
    if (*status) return;
    *status = CreateComms(view, emulator);
    if (*status) return;
    if (emulator) emulator->SetTransport(comms);
}

int CWinTermController::CreatePrinter() {
    printer = platform->CreatePrinter();
    if (printer) return 1;
    view->MessageBox(mb::kNoMemory, mb::kCaption, mb::kIconExclamation);
    platform->RequestQuit(0);
    return 0;
}

int CWinTermController::CreateComms(CTermView* sinkView, CRxHandler* rxHandler) {
    int status = 0;
    auto* telnet = new (std::nothrow) CTelnetComm(&status, sinkView, rxHandler);
    if (!telnet) {
        sinkView->MessageBox(mb::kNoMemory, mb::kCaption, mb::kIconExclamation);
        platform->RequestQuit(0);
        return 1;
    }
    if (status) {
        sinkView->MessageBox("Initialisation failure creating comms.", mb::kCaption, mb::kIconExclamation);
        delete telnet;
        platform->RequestQuit(0);
        return status;
    }
    telnet->SetEventTarget(platform->SocketEventTarget());
    comms = telnet;
    return 0;
}

int CWinTermController::Connect(char* host) {
    if (view) {
        char title[100];
        std::snprintf(title, sizeof title, "Trying to connect to (%s)", host ? host : "");
        view->SetTitle(title);
    }
    return CTermController::Connect(host);
}

void CWinTermController::OnSocketEvent(int closed) {
    if (!comms) return;
    comms->OnSocketEvent(closed);
    if (closed && view) view->SetTitle("");
}

void CWinTermController::OnSocketWritable() {
    if (comms) comms->OnSocketWritable();
}

void CWinTermController::KeyDown(unsigned virtualKey) {
    if (!emulator) return;
    for (const keys::VirtualKeyPair& pair : keys::kVirtualKeyTable) {
        if (pair.virtualKey != virtualKey) continue;
        unsigned code = pair.code;
        if (platform->IsKeyDown(keys::kVkShift)) code |= keys::kShift;
        if (platform->IsKeyDown(keys::kVkMenu)) code |= keys::kAlt;
        if (platform->IsKeyDown(keys::kVkControl)) code |= keys::kCtrl;
        emulator->SendKey(code);
    }
}
