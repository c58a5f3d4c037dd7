// ovterm's printer: the host's print data and its captured print files go
// raw to a CUPS queue (the user's default destination: PRINTER or LPDEST,
// lpoptions, then the scheduler's default), through the print server's CUPS
// spooler. As in the Windows program each document starts with CR LF and a
// new printer-on starts a new document. What CUPS refuses is reported, not
// dropped in silence.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "netspool/posix/CupsSpooler.h"
#include "print/CTermPrinter.h"

namespace ovterm {

class CCupsPrinter : public CTermPrinter {
public:
    using Report = std::function<void(const std::string&)>;
    explicit CCupsPrinter(Report report) : report(std::move(report)) {}
    ~CCupsPrinter() override { Close(); }
    CCupsPrinter(const CCupsPrinter&) = delete;
    CCupsPrinter& operator=(const CCupsPrinter&) = delete;

    int Open() override;
    // Opens first when no document is open.
    int Write(const char* data, int length) override;
    void Close() override;
    int PrintFile(const char* fileName) override;

private:
    bool Flush();
    void Fail(const std::string& what);

    Report report;
    netspool::CCupsSpooler spooler;
    netspool::PrinterHandle job = nullptr;
    std::string queue;
    std::string pending;  // bytes not yet sent: CUPS gets them in blocks
    bool failed = false;  // the open document lost data; reported once
};

}  // namespace ovterm
