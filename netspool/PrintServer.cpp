#include "netspool/PrintServer.h"

#include <new>
#include <string>

#include "netspool/PortSetup.h"
#include "netspool/StatusText.h"

namespace netspool {

namespace {

constexpr const char* kPortTexts[kPortCount] = {"10", "11", "12", "13"};
// Used when the receive buffer cannot be had: reading goes on in small
// chunks rather than leaving data unread.
constexpr int kFallbackBufferSize = 256;
char fallbackBuffers[kPortCount][kFallbackBufferSize];

bool ValidIndex(int index) { return index >= 0 && index < kPortCount; }

}  // namespace

CPrintServer::CPrintServer(CServerSockets& sockets, CServerFrontEnd& frontEnd,
                           const std::array<CSpooler*, kPortCount>& spoolers, const ServerOptions& options)
    : sockets(sockets), frontEnd(frontEnd), spoolers(spoolers), options(options) {
    const std::size_t count = options.bufferPerPort ? kPortCount : 1;
    std::size_t size = options.receiveBufferSize;
    if (size < 1) size = 1;
    if (size > 0x7fffffff / count) size = 0x7fffffff / count;
    buffers.reset(new (std::nothrow) char[size * count]);
    if (buffers) {
        bufferLength = static_cast<int>(size);
    } else {
        bufferLength = kFallbackBufferSize;
        frontEnd.ShowWarning("Unable to alloc memory for input buffer", "Type");
    }
    for (int i = 0; i < kPortCount; ++i) {
        PrinterPort& port = Port(i);
        port.portText = kPortTexts[i];
        port.listenPort = options.basePort + i;
        port.notification = 0x400u + static_cast<unsigned>(i);
    }
}

char* CPrintServer::BufferFor(int index) {
    const std::size_t slot = options.bufferPerPort ? static_cast<std::size_t>(index) : 0;
    if (!buffers) return fallbackBuffers[slot];
    return buffers.get() + slot * static_cast<std::size_t>(bufferLength);
}

StartResult CPrintServer::Start() {
    for (PrinterPort& port : ports) port.listening = 0;
    unsigned granted = 0;
    if (sockets.Startup(&granted) != 0 || granted != 0x0101) {
        frontEnd.ShowMessage("Network initialization error!", "NetSpool Server Error");
        return StartResult::kNetworkFailed;
    }
    for (int i = 0; i < kPortCount; ++i) {
        Port(i).jobOpen = 0;
        if (!StartListener(i)) {
            sockets.Cleanup();
            return StartResult::kListenerFailed;
        }
    }
    LoadPortPrinters();
    return StartResult::kStarted;
}

void CPrintServer::Shutdown() { sockets.Cleanup(); }

bool CPrintServer::StartListener(int index) {
    if (!ValidIndex(index)) return false;
    PrinterPort& port = Port(index);
    port.listening = sockets.OpenStreamSocket();
    if (port.listening == 0) {
        frontEnd.ShowMessage("Invalid Socket", "Print Server Error");
        return false;
    }
    sockets.SetReuseAddress(port.listening);
    if (!sockets.Bind(port.listening, port.listenPort)) {
        frontEnd.ShowMessage("Could not bind socket to address", "Windows Sockets Error");
        return false;
    }
    if (!sockets.Listen(port.listening, kListenBacklog)) {
        frontEnd.ShowMessage("Could not set socket up for listen", "Windows Sockets Error");
        return false;
    }
    if (!sockets.SelectEvents(port.listening, index, kArmAccepting)) {
        frontEnd.ShowMessage("Socket Network Error", "Print Server Error");
        return false;
    }
    return true;
}

void CPrintServer::LoadPortPrinters() { netspool::LoadPortPrinters(ports); }

void CPrintServer::OnSocketEvent(int index, unsigned event) {
    if (!ValidIndex(index)) return;
    switch (event) {
    case kEventRead:
        frontEnd.ShowStatusLine(PortStatusLine(PortLine::kDataWaiting, Port(index).portText).c_str());
        Drain(index, kDrainBudget);
        break;
    case kEventAccept: OnAccept(index); break;
    case kEventClose: OnClose(index); break;
    default: break;
    }
}

void CPrintServer::OnAccept(int index) {
    PrinterPort& port = Port(index);
    // A late notification while a connection is served: the client stays
    // in the backlog until this connection closes and accepting is re-armed.
    if (port.connection != 0) return;
    sockets.SelectEvents(port.listening, index, kArmServing);
    frontEnd.ShowStatusLine(PortStatusLine(PortLine::kPending, port.portText).c_str());
    port.connection = sockets.Accept(port.listening);
    if (port.connection == 0) {
        frontEnd.ShowStatusLine(PortStatusLine(PortLine::kAcceptFailed, port.portText).c_str());
        // One failed accept must not close the port for good.
        sockets.SelectEvents(port.listening, index, kArmAccepting);
        return;
    }
    frontEnd.ShowStatusLine(PortStatusLine(PortLine::kEstablished, port.portText).c_str());
    if (options.reloadAssignmentOnAccept && !port.jobOpen) AssignPrinter(port, ReadPortSetting(index));
    if (port.printerSet == 0) {
        frontEnd.ShowStatusLine(PortStatusLine(PortLine::kNoPrinter, port.portText).c_str());
        return;
    }
    if (!OpenPrintJob(index)) frontEnd.ShowStatusLine(kErrorOpeningPrinter);
}

void CPrintServer::OnClose(int index) {
    PrinterPort& port = Port(index);
    if (port.connection == 0) return;
    // Whatever the client sent before closing is printed before the job ends.
    Drain(index, 0);
    sockets.SelectEvents(port.listening, index, kArmAccepting);
    EndConnection(index);
}

void CPrintServer::EndConnection(int index) {
    if (!ValidIndex(index)) return;
    PrinterPort& port = Port(index);
    if (port.connection == 0) return;
    if (port.printerSet == 1) frontEnd.ShowStatusLine(PortStatusLine(PortLine::kClosed, port.portText).c_str());
    sockets.Close(port.connection);
    port.connection = 0;
    if (port.jobOpen == 1) ClosePrintJob(index);
}

void CPrintServer::SpoolIncomingData(int index) {
    if (ValidIndex(index)) Drain(index, kDrainBudget);
}

void CPrintServer::Drain(int index, std::size_t budget) {
    PrinterPort& port = Port(index);
    if (port.connection == 0) return;
    char* buffer = BufferFor(index);
    std::size_t taken = 0;
    for (;;) {
        const int received = sockets.Receive(port.connection, buffer, bufferLength);
        if (received <= 0) return;
        PrintChunk(index, buffer, received);
        taken += static_cast<std::size_t>(received);
        if (budget != 0 && taken >= budget) return;
    }
}

void CPrintServer::PrintChunk(int index, const char* data, int length) {
    PrinterPort& port = Port(index);
    if (port.jobOpen == 0 && !OpenPrintJob(index)) {
        frontEnd.ShowStatusLine(kUnableToOpenPrinter);
        return;
    }
    if (!spoolers[static_cast<std::size_t>(index)]->Write(port.printer, data, length)) {
        frontEnd.ShowStatusLine(kErrorWritingToPrinter);
        ClosePrintJob(index);
    }
}

bool CPrintServer::OpenPrintJob(int index) {
    if (!ValidIndex(index)) return false;
    PrinterPort& port = Port(index);
    CSpooler& spooler = *spoolers[static_cast<std::size_t>(index)];
    port.printer = spooler.OpenPrinter(port.printerName);
    if (!port.printer) return false;
    if (!spooler.StartRawDocument(port.printer, kDocumentName) || !spooler.StartPage(port.printer)) {
        ClosePrintJob(index);
        return false;
    }
    port.jobOpen = 1;
    return true;
}

void CPrintServer::ClosePrintJob(int index) {
    if (!ValidIndex(index)) return;
    PrinterPort& port = Port(index);
    CSpooler& spooler = *spoolers[static_cast<std::size_t>(index)];
    if (port.printer) {
        spooler.EndPage(port.printer);
        spooler.EndDocument(port.printer);
        spooler.ClosePrinter(port.printer);
    }
    port.jobOpen = 0;
    port.printer = nullptr;
}

}  // namespace netspool
