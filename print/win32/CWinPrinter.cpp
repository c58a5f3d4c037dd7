// Why raw spooler jobs come first: pass-through is the driver's business.
// Many current drivers lack it, and a PostScript driver (Wine's among them)
// wraps what it passes in document comments of its own. A job of data type
// "RAW" is handed to the port unrendered by every spooler, which is what
// host print data needs. The device-context path stays for printers the
// spooler cannot open by name and for a device context the caller supplies.
#include "print/win32/CWinPrinter.h"

#include <cstring>
#include <memory>

#include "print/PassThroughBlock.h"
#include "print/PrinterDevice.h"
#include "print/RawPrintSink.h"
#include "print/win32/RawSpoolerJob.h"

namespace {

constexpr int kQueryEscSupport = 8;  // QUERYESCSUPPORT
constexpr int kPassThrough = 19;     // PASSTHROUGH
constexpr int kEpsPrinting = 33;     // EPSPRINTING

char documentName[] = "Orvane Emulator";
// The document description of every document, filled by the constructor.
DOCINFOA documentInfo;
// Outcome of the last PrintFile.
int printFailed = 0;

// The "device" entry can be longer than the classic 64 characters: a long
// printer name appears twice in it under Wine ("name,driver,CUPS:name"), and
// a cut entry would name the wrong port.
constexpr DWORD kDeviceEntrySize = 1024;

bool DefaultPrinter(PrinterDevice* out) {
    char entry[kDeviceEntrySize] = "";
    GetProfileStringA("windows", "device", "", entry, kDeviceEntrySize);
    return ParseDeviceProfile(entry, out);
}

bool SupportsEscape(HDC dc, int escape) {
    return Escape(dc, kQueryEscSupport, sizeof escape, reinterpret_cast<LPCSTR>(&escape), nullptr) > 0;
}

// Announces raw PostScript-capable pass-through where the driver knows it.
void EnableEpsPrinting(HDC dc) {
    if (!SupportsEscape(dc, kEpsPrinting)) return;
    WORD on = 1;
    Escape(dc, kEpsPrinting, sizeof on, reinterpret_cast<LPCSTR>(&on), nullptr);
}

// Documents on a printer device context, blocks through the pass-through escape.
class CPassThroughSink : public CRawPrintSink {
public:
    explicit CPassThroughSink(HDC dc) : dc(dc) {}
    bool StartDocument() override { return StartDocA(dc, &documentInfo) > 0; }
    int SendBlock(const unsigned char* block) override {
        int size = 2 + PassThroughCount(block);
        int result = Escape(dc, kPassThrough, size, reinterpret_cast<LPCSTR>(block), nullptr);
        return result > 0 ? result : 0;
    }
    bool EndDocument() override { return EndDoc(dc) > 0; }
    void AbortDocument() override { AbortDoc(dc); }

private:
    HDC dc;
};

// Raw spooler jobs of one page on an opened printer.
class CSpoolerSink : public CRawPrintSink {
public:
    explicit CSpoolerSink(HANDLE printer) : printer(printer) {}
    bool StartDocument() override { return StartRawDocument(printer, documentName); }
    int SendBlock(const unsigned char* block) override {
        int count = PassThroughCount(block);
        if (count == 0) return 1;
        return WriteRawBytes(printer, block + 2, static_cast<DWORD>(count)) ? count : 0;
    }
    bool EndDocument() override { return EndRawDocument(printer); }
    void AbortDocument() override { AbortPrinter(printer); }

private:
    HANDLE printer;
};

HANDLE OpenSpooler(const char* device, DEVMODEA* deviceMode) {
    PRINTER_DEFAULTSA defaults = {nullptr, deviceMode, PRINTER_ACCESS_USE};
    HANDLE printer = nullptr;
    if (!OpenPrinterA(const_cast<char*>(device), &printer, &defaults)) return nullptr;
    return printer;
}

// The printer a DEVNAMES record names, or the default printer without one.
bool TargetPrinter(HGLOBAL deviceNames, PrinterDevice* out) {
    if (!deviceNames) return DefaultPrinter(out);
    const DEVNAMES* names = static_cast<const DEVNAMES*>(GlobalLock(deviceNames));
    if (!names) return false;
    const char* base = reinterpret_cast<const char*>(names);
    out->driver = base + names->wDriverOffset;
    out->device = base + names->wDeviceOffset;
    out->port = base + names->wOutputOffset;
    GlobalUnlock(deviceNames);
    return !out->device.empty();
}

}  // namespace

CWinPrinter::CWinPrinter(HWND ownerWindow)
    : ownerWindow(ownerWindow), dc(nullptr), bufferHandle(nullptr), buffer(nullptr), docOpen(0), spooler(nullptr) {
    std::memset(&documentInfo, 0, sizeof documentInfo);
    documentInfo.cbSize = sizeof documentInfo;
    documentInfo.lpszDocName = documentName;
}

CWinPrinter::~CWinPrinter() {
    Close();
    if (bufferHandle) {
        GlobalUnlock(bufferHandle);
        GlobalFree(bufferHandle);
    }
}

bool CWinPrinter::EnsureBuffer() {
    if (buffer) return true;
    if (!bufferHandle) bufferHandle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kPassThroughBlockSize);
    if (!bufferHandle) return false;
    buffer = static_cast<unsigned char*>(GlobalLock(bufferHandle));
    return buffer != nullptr;
}

// A sink on the default printer: a raw spooler job when the spooler knows the
// printer, else its device context when the driver passes data through.
// Sets spooler or dc; null when neither can be had.
CRawPrintSink* CWinPrinter::OpenSink() {
    PrinterDevice printer;
    if (!DefaultPrinter(&printer)) return nullptr;
    spooler = OpenSpooler(printer.device.c_str(), nullptr);
    if (spooler) return new CSpoolerSink(spooler);
    dc = CreateDCA(printer.driver.c_str(), printer.device.c_str(), printer.port.c_str(), nullptr);
    if (!dc) return nullptr;
    if (!SupportsEscape(dc, kPassThrough)) return nullptr;
    EnableEpsPrinting(dc);
    return new CPassThroughSink(dc);
}

int CWinPrinter::Open() {
    Close();
    std::unique_ptr<CRawPrintSink> sink(OpenSink());
    if (sink && EnsureBuffer() && sink->StartDocument()) {
        static const char kLineStart[] = {'\r', '\n'};
        PackPassThroughBlock(buffer, kLineStart, 2);
        if (sink->SendBlock(buffer) > 0) {
            docOpen = 1;
        } else {
            sink->AbortDocument();
        }
    }
    if (!docOpen) Close();
    return docOpen;
}

int CWinPrinter::Write(const char* data, int length) {
    if (!docOpen && !Open()) return 0;
    if (length < 0 || length > kPassThroughDataMax || (length > 0 && !data)) return 0;
    PackPassThroughBlock(buffer, data, length);
    if (spooler) return CSpoolerSink(spooler).SendBlock(buffer);
    return CPassThroughSink(dc).SendBlock(buffer);
}

void CWinPrinter::Close() {
    if (spooler) {
        if (docOpen) CSpoolerSink(spooler).EndDocument();
        ClosePrinter(spooler);
    }
    if (dc) {
        if (docOpen) EndDoc(dc);
        DeleteDC(dc);
    }
    spooler = nullptr;
    dc = nullptr;
    docOpen = 0;
}

int CWinPrinter::PrintFile(const char* fileName) { return PrintFileTo(fileName, nullptr, nullptr, nullptr); }

int CWinPrinter::PrintFileTo(const char* fileName, HDC givenDC, HGLOBAL deviceNames, HGLOBAL deviceMode) {
    printFailed = 0;
    if (!EnsureBuffer()) {
        printFailed = 1;
        return 0;
    }
    if (!givenDC) {
        PrinterDevice printer;
        if (TargetPrinter(deviceNames, &printer)) {
            DEVMODEA* mode = deviceMode ? static_cast<DEVMODEA*>(GlobalLock(deviceMode)) : nullptr;
            HANDLE printerHandle = OpenSpooler(printer.device.c_str(), mode);
            if (mode) GlobalUnlock(deviceMode);
            if (printerHandle) {
                CSpoolerSink sink(printerHandle);
                if (!CopyFileInBlocks(fileName, buffer, &sink)) printFailed = 1;
                ClosePrinter(printerHandle);
                return printFailed ? 0 : 1;
            }
        }
    }
    HDC printDC = givenDC ? givenDC : CreatePrinterDC(deviceNames, deviceMode);
    if (!printDC) {
        printFailed = 1;
        return 0;
    }
    if (SupportsEscape(printDC, kPassThrough)) {
        EnableEpsPrinting(printDC);
        CPassThroughSink sink(printDC);
        if (!CopyFileInBlocks(fileName, buffer, &sink)) printFailed = 1;
    } else {
        printFailed = 1;
    }
    if (!givenDC) DeleteDC(printDC);
    return printFailed ? 0 : 1;
}

HDC CWinPrinter::CreatePrinterDC(HGLOBAL deviceNames, HGLOBAL deviceMode) {
    PrinterDevice printer;
    if (!TargetPrinter(deviceNames, &printer)) return nullptr;
    const DEVMODEA* mode = nullptr;
    if (deviceNames && deviceMode) mode = static_cast<const DEVMODEA*>(GlobalLock(deviceMode));
    HDC created = CreateDCA(printer.driver.c_str(), printer.device.c_str(), printer.port.c_str(), mode);
    if (mode) GlobalUnlock(deviceMode);
    return created;
}
