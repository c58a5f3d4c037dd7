// The print server's spooler over the Windows spooler: each connection one
// raw document of one page.
//
// The document is started with the first bytes, not when the printer is
// opened: a connection that sends nothing then leaves no job behind. An
// empty document would otherwise go to the print queue anyway (Wine hands
// it to CUPS, which refuses a document without data and keeps the job
// pending for good).
#pragma once

#include "netspool/Spooler.h"

namespace netspool {

class CWinSpooler : public CSpooler {
public:
    PrinterHandle OpenPrinter(const char* name) override;
    bool StartRawDocument(PrinterHandle printer, const char* documentName) override;
    bool StartPage(PrinterHandle printer) override;
    bool Write(PrinterHandle printer, const char* data, int length) override;
    void EndPage(PrinterHandle printer) override;
    void EndDocument(PrinterHandle printer) override;
    void ClosePrinter(PrinterHandle printer) override;
    // The key names of the profile's Devices section.
    std::vector<std::string> InstalledPrinters() override;
};

}  // namespace netspool
