#include "netspool/posix/CupsSpooler.h"

#include <cups/cups.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace netspool {

struct CCupsSpooler::Job {
    std::string printer;
    std::string title;
    int id = 0;                 // 0 until the first bytes create the job
    bool documentOpen = false;  // between cupsStartDocument and its finish
};

namespace {

std::string CutName(const char* name) {
    const std::string text = name ? name : "";
    return text.substr(0, kPrinterNameSize - 1);
}

}  // namespace

CCupsSpooler::~CCupsSpooler() { DropConnection(); }

http_t* CCupsSpooler::Connection() {
    if (!http) {
        http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 30000, nullptr);
        if (!http) lastError = std::string("cannot reach the scheduler at ") + cupsServer();
    }
    return http;
}

void CCupsSpooler::DropConnection() {
    if (http) httpClose(http);
    http = nullptr;
}

void CCupsSpooler::NoteError() {
    const char* text = cupsLastErrorString();
    lastError = text ? text : "unknown CUPS error";
}

// One Get-Printer-Attributes request for the two attributes wanted (a
// destination lookup would ask twice for every attribute, for each job).
// The queue's own spelling of its name, or nothing when no such queue or
// class exists; *accepting says whether it takes jobs now.
bool CCupsSpooler::LookUpQueue(const char* name, std::string* queueName, bool* accepting) {
    http_t* connection = Connection();
    if (!connection) return false;
    static const char* const kWanted[] = {"printer-name", "printer-is-accepting-jobs"};
    for (const char* folder : {"printers", "classes"}) {
        ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
        char uri[HTTP_MAX_URI];
        httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(), "/%s/%s",
                         folder, name);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
        ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr, kWanted);
        ipp_t* response = cupsDoRequest(connection, request, "/");
        if (!response) {
            NoteError();
            DropConnection();
            return false;
        }
        ipp_attribute_t* found = ippFindAttribute(response, "printer-name", IPP_TAG_NAME);
        if (cupsLastError() <= IPP_STATUS_OK_CONFLICTING && found) {
            *queueName = ippGetString(found, 0, nullptr);
            ipp_attribute_t* state = ippFindAttribute(response, "printer-is-accepting-jobs", IPP_TAG_BOOLEAN);
            *accepting = !state || ippGetBoolean(state, 0);
            ippDelete(response);
            return true;
        }
        NoteError();
        ippDelete(response);
    }
    return false;
}

PrinterHandle CCupsSpooler::OpenPrinter(const char* name) {
    // An empty name would name the scheduler's default queue, which is not
    // what the port names.
    if (!name || !*name) return nullptr;
    std::string queueName;
    bool accepting = false;
    if (!LookUpQueue(name, &queueName, &accepting)) return nullptr;
    if (!accepting) {
        lastError = queueName + " is not accepting jobs";
        return nullptr;
    }
    auto job = std::make_unique<Job>();
    job->printer = queueName;
    return job.release();
}

bool CCupsSpooler::StartRawDocument(PrinterHandle printer, const char* documentName) {
    if (!printer) return false;
    static_cast<Job*>(printer)->title = documentName ? documentName : "";
    return true;
}

bool CCupsSpooler::StartPage(PrinterHandle printer) { return printer != nullptr; }

bool CCupsSpooler::CreateJob(Job& job) {
    http_t* connection = Connection();
    if (!connection) return false;
    job.id = cupsCreateJob(connection, job.printer.c_str(), job.title.c_str(), 0, nullptr);
    if (job.id == 0) {
        NoteError();
        DropConnection();
        return false;
    }
    if (cupsStartDocument(connection, job.printer.c_str(), job.id, job.title.c_str(), CUPS_FORMAT_RAW, 1) !=
        HTTP_STATUS_CONTINUE) {
        NoteError();
        CancelJob(job);
        return false;
    }
    job.documentOpen = true;
    return true;
}

void CCupsSpooler::CancelJob(Job& job) {
    // The connection may be in the middle of a request: cancel on a fresh one.
    DropConnection();
    job.documentOpen = false;
    if (job.id == 0) return;
    if (http_t* connection = Connection()) {
        if (cupsCancelJob2(connection, job.printer.c_str(), job.id, 0) > IPP_STATUS_OK_CONFLICTING) DropConnection();
    }
    job.id = 0;
}

bool CCupsSpooler::Write(PrinterHandle printer, const char* data, int length) {
    if (!printer || length < 0) return false;
    Job& job = *static_cast<Job*>(printer);
    if (length == 0) return true;
    if (job.id == 0 && !CreateJob(job)) return false;
    if (!job.documentOpen) return false;
    if (cupsWriteRequestData(http, data, static_cast<std::size_t>(length)) != HTTP_STATUS_CONTINUE) {
        NoteError();
        // A job with only part of the data must not stay pending or print.
        CancelJob(job);
        return false;
    }
    return true;
}

void CCupsSpooler::EndPage(PrinterHandle) {}

void CCupsSpooler::EndDocument(PrinterHandle printer) {
    if (!printer) return;
    Job& job = *static_cast<Job*>(printer);
    if (!job.documentOpen) return;
    job.documentOpen = false;
    if (cupsFinishDocument(http, job.printer.c_str()) > IPP_STATUS_OK_CONFLICTING) {
        NoteError();
        CancelJob(job);
        return;
    }
    job.id = 0;
}

void CCupsSpooler::ClosePrinter(PrinterHandle printer) {
    if (!printer) return;
    std::unique_ptr<Job> job(static_cast<Job*>(printer));
    // Closed without its end: what was sent must not stay pending.
    if (job->id != 0) CancelJob(*job);
}

std::vector<std::string> CCupsSpooler::InstalledPrinters() {
    std::vector<std::string> names;
    http_t* connection = Connection();
    if (!connection) return names;
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(connection, &dests);
    for (int i = 0; i < count; ++i) {
        if (dests[i].instance) continue;  // an instance prints on its destination's queue
        names.push_back(CutName(dests[i].name));
    }
    cupsFreeDests(count, dests);
    if (count == 0 && cupsLastError() > IPP_STATUS_OK_CONFLICTING) {
        NoteError();
        DropConnection();
    }
    return names;
}

}  // namespace netspool
