// The print server on real loopback sockets, with a spooler that records
// the documents it is given and a front end that records what it shows.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "netspool/PrintServer.h"
#include "netspool/posix/PosixServerSockets.h"

namespace netspooltest {

struct RecordedDocument {
    std::string printer;
    std::string title;
    std::string data;
    bool ended = false;
};

class RecordingSpooler : public netspool::CSpooler {
public:
    std::vector<RecordedDocument> documents;
    std::set<std::string> missingPrinters{"None"};  // OpenPrinter fails for these
    int writesBeforeFailure = -1;                   // -1: writes never fail
    std::vector<std::string> installed;

    netspool::PrinterHandle OpenPrinter(const char* name) override;
    bool StartRawDocument(netspool::PrinterHandle printer, const char* documentName) override;
    bool StartPage(netspool::PrinterHandle printer) override;
    bool Write(netspool::PrinterHandle printer, const char* data, int length) override;
    void EndPage(netspool::PrinterHandle) override {}
    void EndDocument(netspool::PrinterHandle printer) override;
    void ClosePrinter(netspool::PrinterHandle printer) override;
    std::vector<std::string> InstalledPrinters() override { return installed; }

    int OpenHandles() const { return static_cast<int>(open.size()); }

private:
    struct Handle {
        std::string printer;
        int document = -1;
    };
    std::vector<std::unique_ptr<Handle>> open;
};

class RecordingFrontEnd : public netspool::CServerFrontEnd {
public:
    std::vector<std::string> lines;
    std::vector<std::string> messages;  // "caption: text"
    void ShowStatusLine(const char* text) override { lines.emplace_back(text); }
    void ShowMessage(const char* text, const char* caption) override {
        messages.push_back(std::string(caption) + ": " + text);
    }
    void ShowWarning(const char* text, const char* caption) override { ShowMessage(text, caption); }
    int Count(const std::string& line) const;
};

// A client connection to 127.0.0.1.
class Client {
public:
    explicit Client(int port);
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;
    bool Connected() const { return fd >= 0; }
    void Send(const std::string& data);
    void Close();
    void Reset();  // ends the connection with a reset instead of an orderly close

private:
    int fd = -1;
};

// A server whose four ports listen on 127.0.0.1 at a free base port,
// driven on the test's thread.
class ServerRig {
public:
    explicit ServerRig(netspool::ServerOptions options = netspool::ServerOptions(),
                       netspool::CServerSockets* sockets = nullptr);
    ~ServerRig();

    int TcpPort(int index) const { return server->Port(index).listenPort; }
    // Delivers events of all four ports until done() holds or 10 s pass;
    // done()'s answer.
    bool PumpUntil(const std::function<bool()>& done);
    // Delivers events until none has come for quietMs.
    void PumpQuiet(int quietMs = 100);

    netspool::CPosixServerSockets posixSockets{"127.0.0.1"};
    RecordingSpooler spooler;
    RecordingFrontEnd frontEnd;
    std::unique_ptr<netspool::CPrintServer> server;
    netspool::StartResult started = netspool::StartResult::kListenerFailed;
};

// Bytes 0..255 in order, then count pseudo-random bytes.
std::string TestPattern(std::size_t count, unsigned seed);

}  // namespace netspooltest
