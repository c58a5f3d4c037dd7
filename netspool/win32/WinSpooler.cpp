#include <windows.h>

#include "netspool/win32/WinSpooler.h"

#include <string>

#include "netspool/PortSetup.h"
#include "print/win32/RawSpoolerJob.h"

namespace netspool {

namespace {

// What the core holds as a printer handle: the spooler's handle and the
// document waiting for its first bytes.
struct OpenedPrinter {
    HANDLE spooler = nullptr;
    std::string documentName;
    bool documentWanted = false;   // StartRawDocument and StartPage called
    bool documentStarted = false;  // the spooler's document and page exist
};

OpenedPrinter* Opened(PrinterHandle printer) { return static_cast<OpenedPrinter*>(printer); }

}  // namespace

PrinterHandle CWinSpooler::OpenPrinter(const char* name) {
    HANDLE spooler = nullptr;
    if (!OpenPrinterA(const_cast<char*>(name), &spooler, nullptr)) return nullptr;
    OpenedPrinter* opened = new OpenedPrinter;
    opened->spooler = spooler;
    return opened;
}

bool CWinSpooler::StartRawDocument(PrinterHandle printer, const char* documentName) {
    Opened(printer)->documentName = documentName ? documentName : "";
    return true;
}

bool CWinSpooler::StartPage(PrinterHandle printer) {
    Opened(printer)->documentWanted = true;
    return true;
}

bool CWinSpooler::Write(PrinterHandle printer, const char* data, int length) {
    OpenedPrinter* opened = Opened(printer);
    if (length <= 0) return length == 0;
    if (!opened->documentStarted) {
        if (!opened->documentWanted) return false;
        if (!::StartRawDocument(opened->spooler, opened->documentName.c_str())) return false;
        opened->documentStarted = true;
    }
    return WriteRawBytes(opened->spooler, data, static_cast<DWORD>(length));
}

// The page ends with the document (EndDocument).
void CWinSpooler::EndPage(PrinterHandle) {}

void CWinSpooler::EndDocument(PrinterHandle printer) {
    OpenedPrinter* opened = Opened(printer);
    if (opened->documentStarted) EndRawDocument(opened->spooler);
    opened->documentStarted = false;
    opened->documentWanted = false;
}

void CWinSpooler::ClosePrinter(PrinterHandle printer) {
    OpenedPrinter* opened = Opened(printer);
    ::ClosePrinter(opened->spooler);
    delete opened;
}

std::vector<std::string> CWinSpooler::InstalledPrinters() {
    char names[kDeviceListSize] = "";
    const DWORD length = GetProfileStringA("Devices", nullptr, "None", names, sizeof names);
    std::vector<std::string> printers = SplitKeyList(names, length);
    // No key at all reads as the default, "None": no printer installed.
    if (printers.size() == 1 && printers[0] == kNoPrinter) printers.clear();
    return printers;
}

}  // namespace netspool
