#include "tools/replay/ReplaySession.h"

#include <cstdio>

#include "emu/CWyse50Emulator.h"
#include "session/CTermController.h"
#include "tools/replay/CaptureDevices.h"
#include "tools/replay/HeadlessPort.h"
#include "tools/replay/ScreenText.h"
#include "view/CWinTermView.h"

ReplaySession::ReplaySession(std::FILE* messageStream) : ReplaySession(messageStream, nullptr) {}

ReplaySession::ReplaySession(CWindowPort& windowPort) : ReplaySession(nullptr, &windowPort) {}

ReplaySession::ReplaySession(std::FILE* messageStream, CWindowPort* windowPort)
    : port(new CHeadlessPort(messageStream)), launcher(new CRecordingLauncher), controller(new CTermController) {
    int failed = 0;
    view = new CWinTermView(controller.get(), &failed, windowPort ? windowPort : port.get());
    controller->AdoptView(view);
    printer = new CCapturePrinter;
    controller->AdoptPrinter(printer);
    int status = 0;
    comms = new CCaptureComm(&status, view, nullptr);
    controller->AdoptComms(comms);
    controller->CreateEmulator(&status, view, nullptr, CTermController::kWyse50Emulator);
    emulator = static_cast<CWyse50Emulator*>(controller->Emulator());
    if (emulator) {
        emulator->SetTransport(comms);
        emulator->SetLauncher(launcher.get());
        // Nothing can start, so the host's commands may show what they would do.
        emulator->SetHostCommands(CWyse50Emulator::HostCommands::kAllowed);
    }
}

ReplaySession::~ReplaySession() = default;

void ReplaySession::Feed(const void* data, size_t len, size_t blockSize) {
    if (!emulator) return;  // nothing to feed when the emulator could not be built
    if (blockSize == 0) blockSize = kBlockSize;
    const char* bytes = static_cast<const char*>(data);
    while (len > 0) {
        size_t n = len < blockSize ? len : blockSize;
        emulator->OnReceive(bytes, static_cast<int>(n));
        bytes += n;
        len -= n;
    }
}

std::vector<std::string> ReplaySession::Rows() const { return ScreenRows(*view); }

std::string ReplaySession::Cursor() const {
    return std::to_string(view->GetRow()) + " " + std::to_string(view->GetColumn());
}

std::vector<std::string> ReplaySession::CellRows() const {
    std::vector<std::string> rows;
    char word[10];
    for (int row = 0; row < screen::kStoredRows; ++row) {
        std::string line;
        for (int col = 0; col < screen::kColumns; ++col) {
            std::snprintf(word, sizeof word, col ? " %08x" : "%08x", view->GetCellAt(row, col));
            line += word;
        }
        rows.push_back(line);
    }
    return rows;
}

const std::string& ReplaySession::Sent() const { return comms->sent; }

const std::string& ReplaySession::Printed() const { return printer->printed; }

const std::vector<std::string>& ReplaySession::Runs() const { return launcher->commands; }

const std::vector<std::string>& ReplaySession::Messages() const { return port->shown; }
