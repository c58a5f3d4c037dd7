#include "netspool/ServerTestSupport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <random>

namespace netspooltest {

netspool::PrinterHandle RecordingSpooler::OpenPrinter(const char* name) {
    if (missingPrinters.count(name)) return nullptr;
    open.push_back(std::make_unique<Handle>());
    open.back()->printer = name;
    return open.back().get();
}

bool RecordingSpooler::StartRawDocument(netspool::PrinterHandle printer, const char* documentName) {
    auto* handle = static_cast<Handle*>(printer);
    handle->document = static_cast<int>(documents.size());
    documents.push_back(RecordedDocument{handle->printer, documentName, std::string(), false});
    return true;
}

bool RecordingSpooler::StartPage(netspool::PrinterHandle) { return true; }

bool RecordingSpooler::Write(netspool::PrinterHandle printer, const char* data, int length) {
    auto* handle = static_cast<Handle*>(printer);
    if (writesBeforeFailure == 0) return false;
    if (writesBeforeFailure > 0) --writesBeforeFailure;
    documents[static_cast<std::size_t>(handle->document)].data.append(data, static_cast<std::size_t>(length));
    return true;
}

void RecordingSpooler::EndDocument(netspool::PrinterHandle printer) {
    auto* handle = static_cast<Handle*>(printer);
    if (handle->document >= 0) documents[static_cast<std::size_t>(handle->document)].ended = true;
}

void RecordingSpooler::ClosePrinter(netspool::PrinterHandle printer) {
    open.erase(std::remove_if(open.begin(), open.end(),
                              [printer](const std::unique_ptr<Handle>& h) { return h.get() == printer; }),
               open.end());
}

int RecordingFrontEnd::Count(const std::string& line) const {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

Client::Client(int port) {
    fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        fd = -1;
    }
}

Client::~Client() { Close(); }

void Client::Send(const std::string& data) {
    std::size_t sent = 0;
    while (fd >= 0 && sent < data.size()) {
        const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<std::size_t>(n);
    }
}

void Client::Close() {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

void Client::Reset() {
    if (fd < 0) return;
    linger abortive{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    Close();
}

ServerRig::ServerRig(netspool::ServerOptions options, netspool::CServerSockets* sockets) {
    std::mt19937 random(static_cast<unsigned>(::getpid()) * 7919u +
                        static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
    for (int attempt = 0; attempt < 20 && started != netspool::StartResult::kStarted; ++attempt) {
        options.basePort = 20000 + static_cast<int>(random() % 40000);
        server = std::make_unique<netspool::CPrintServer>(
            sockets ? *sockets : posixSockets, frontEnd,
            std::array<netspool::CSpooler*, netspool::kPortCount>{&spooler, &spooler, &spooler, &spooler}, options);
        started = server->Start();
        if (started != netspool::StartResult::kStarted) frontEnd.messages.clear();
    }
}

ServerRig::~ServerRig() {
    if (server) server->Shutdown();
}

bool ServerRig::PumpUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        bool any = false;
        for (int i = 0; i < netspool::kPortCount; ++i) {
            const unsigned event = posixSockets.WaitForEvent(i, 0);
            if (event == 0) continue;
            server->OnSocketEvent(i, event);
            any = true;
        }
        if (!any) ::usleep(1000);
    }
    return true;
}

void ServerRig::PumpQuiet(int quietMs) {
    auto lastEvent = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - lastEvent < std::chrono::milliseconds(quietMs)) {
        for (int i = 0; i < netspool::kPortCount; ++i) {
            const unsigned event = posixSockets.WaitForEvent(i, 0);
            if (event == 0) continue;
            server->OnSocketEvent(i, event);
            lastEvent = std::chrono::steady_clock::now();
        }
        ::usleep(1000);
    }
}

std::string TestPattern(std::size_t count, unsigned seed) {
    std::string data;
    for (int b = 0; b < 256; ++b) data.push_back(static_cast<char>(b));
    std::mt19937 random(seed);
    for (std::size_t i = 0; i < count; ++i) data.push_back(static_cast<char>(random() & 0xFF));
    return data;
}

}  // namespace netspooltest
