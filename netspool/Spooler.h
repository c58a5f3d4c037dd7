// The platform's print spooler as the print server uses it: one raw
// document of one page per connection. win32/ maps it onto the Windows
// spooler (OpenPrinter, StartDocPrinter with data type "RAW", WritePrinter,
// ...); posix/ onto CUPS raw jobs.
#pragma once

#include <string>
#include <vector>

#include "netspool/PrinterPort.h"

// <windows.h> maps OpenPrinter onto OpenPrinterA; the spooler's operation
// keeps its own name in every file that sees both.
#ifdef OpenPrinter
#undef OpenPrinter
#endif

namespace netspool {

class CSpooler {
public:
    virtual ~CSpooler() = default;

    // Null when the printer cannot be opened.
    virtual PrinterHandle OpenPrinter(const char* name) = 0;
    // A raw document named documentName (no output file).
    virtual bool StartRawDocument(PrinterHandle printer, const char* documentName) = 0;
    virtual bool StartPage(PrinterHandle printer) = 0;
    // True when all length bytes were taken.
    virtual bool Write(PrinterHandle printer, const char* data, int length) = 0;
    virtual void EndPage(PrinterHandle printer) = 0;
    virtual void EndDocument(PrinterHandle printer) = 0;
    virtual void ClosePrinter(PrinterHandle printer) = 0;

    // The printers installed, in the system's order (each name at most 99
    // characters); empty when there are none.
    virtual std::vector<std::string> InstalledPrinters() = 0;
};

}  // namespace netspool
