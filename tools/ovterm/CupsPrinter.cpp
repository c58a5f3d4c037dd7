#include "tools/ovterm/CupsPrinter.h"

#include <cups/cups.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace ovterm {
namespace {

constexpr char kDocumentName[] = "Orvane Emulator";
// Host print data arrives a byte at a time; each write to CUPS is a request
// chunk of its own, so bytes are gathered first.
constexpr std::size_t kBlockSize = 4096;

// The destination's name, or empty with *why set.
std::string DefaultDestination(std::string* why) {
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (!dest) {
        const char* named = std::getenv("LPDEST");
        if (!named || !*named) named = std::getenv("PRINTER");
        *why = named && *named ? std::string(named) + ": no such CUPS queue"
                               : "no CUPS default destination (PRINTER names a queue)";
        return std::string();
    }
    std::string name = dest->name ? dest->name : "";
    cupsFreeDests(1, dest);
    return name;
}

}  // namespace

void CCupsPrinter::Fail(const std::string& what) {
    if (!failed && report) report(what);
    failed = true;
}

int CCupsPrinter::Open() {
    Close();
    failed = false;
    std::string why;
    queue = DefaultDestination(&why);
    if (queue.empty()) {
        if (report) report(why);
        return 0;
    }
    job = spooler.OpenPrinter(queue.c_str());
    if (!job || !spooler.StartRawDocument(job, kDocumentName) || !spooler.StartPage(job)) {
        if (report) report(queue + ": " + spooler.LastError());
        if (job) spooler.ClosePrinter(job);
        job = nullptr;
        return 0;
    }
    pending = "\r\n";
    return 1;
}

int CCupsPrinter::Write(const char* data, int length) {
    if (!job && !Open()) return 0;
    if (length < 0 || (length > 0 && !data)) return 0;
    pending.append(data, static_cast<std::size_t>(length));
    if (pending.size() >= kBlockSize && !Flush()) return 0;
    return failed ? 0 : 1;
}

bool CCupsPrinter::Flush() {
    if (failed) {
        pending.clear();
        return false;
    }
    if (pending.empty()) return true;
    const bool sent = spooler.Write(job, pending.data(), static_cast<int>(pending.size()));
    pending.clear();
    if (!sent) Fail(queue + ": the job failed and is cancelled: " + spooler.LastError());
    return sent;
}

void CCupsPrinter::Close() {
    if (!job) return;
    if (Flush()) {
        // The spooler cancels a job whose end CUPS refused, and says why.
        spooler.ClearError();
        spooler.EndPage(job);
        spooler.EndDocument(job);
        if (!spooler.LastError().empty()) Fail(queue + ": the job failed: " + spooler.LastError());
    }
    spooler.ClosePrinter(job);
    job = nullptr;
}

int CCupsPrinter::PrintFile(const char* fileName) {
    std::ifstream in(fileName ? fileName : "", std::ios::binary);
    if (!in) {
        if (report) report(std::string("cannot read ") + (fileName ? fileName : "") + ": " + std::strerror(errno));
        return 0;
    }
    if (!Open()) return 0;
    char block[kBlockSize];
    while (in) {
        in.read(block, sizeof block);
        if (in.gcount() > 0 && !Write(block, static_cast<int>(in.gcount()))) break;
    }
    if (!in.eof()) Fail(std::string("reading ") + fileName + " failed");
    Close();
    return failed ? 0 : 1;
}

}  // namespace ovterm
