// The print server's spooler over CUPS: each connection becomes one raw job
// on a CUPS destination. The job is created only when the first bytes
// arrive, because CUPS refuses an empty document and would keep such a job
// pending until someone cancels it. Each instance keeps its own connection
// to the scheduler, so each port's thread uses an instance of its own.
#pragma once

#include <string>
#include <vector>

#include "netspool/Spooler.h"

typedef struct _http_s http_t;

namespace netspool {

class CCupsSpooler : public CSpooler {
public:
    CCupsSpooler() = default;
    ~CCupsSpooler() override;
    CCupsSpooler(const CCupsSpooler&) = delete;
    CCupsSpooler& operator=(const CCupsSpooler&) = delete;

    // Succeeds only for an existing destination that accepts jobs.
    PrinterHandle OpenPrinter(const char* name) override;
    bool StartRawDocument(PrinterHandle printer, const char* documentName) override;
    bool StartPage(PrinterHandle printer) override;
    bool Write(PrinterHandle printer, const char* data, int length) override;
    void EndPage(PrinterHandle printer) override;
    void EndDocument(PrinterHandle printer) override;
    void ClosePrinter(PrinterHandle printer) override;
    // The CUPS destinations (instances left out), names cut to 99 characters.
    std::vector<std::string> InstalledPrinters() override;

    // Why the last operation failed, as libcups put it. Kept until cleared,
    // so that a caller can tell whether the operations since then failed.
    const std::string& LastError() const { return lastError; }
    void ClearError() { lastError.clear(); }

private:
    struct Job;

    // The scheduler connection, made on first use and again after a failure.
    http_t* Connection();
    void DropConnection();
    bool LookUpQueue(const char* name, std::string* queueName, bool* accepting);
    bool CreateJob(Job& job);
    void CancelJob(Job& job);
    void NoteError();

    http_t* http = nullptr;
    std::string lastError;
};

}  // namespace netspool
