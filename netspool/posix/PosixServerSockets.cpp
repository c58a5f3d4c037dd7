#include "netspool/posix/PosixServerSockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "net/posix/PosixSockets.h"

namespace netspool {

namespace {

thread_local int lastError = 0;

bool SetNonBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL, 0);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

}  // namespace

CPosixServerSockets::CPosixServerSockets(std::string bindAddress) : bindAddress(std::move(bindAddress)) {}

CPosixServerSockets::~CPosixServerSockets() { Cleanup(); }

int CPosixServerSockets::Startup(unsigned* granted) {
    if (granted) *granted = 0x0101;
    return 0;
}

void CPosixServerSockets::Cleanup() {
    std::lock_guard<std::mutex> lock(mutex);
    for (const auto& entry : sockets) ::close(PosixDescriptor(entry.first));
    sockets.clear();
}

SocketHandle CPosixServerSockets::OpenStreamSocket() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        lastError = errno;
        return 0;
    }
    std::lock_guard<std::mutex> lock(mutex);
    sockets[PosixHandle(fd)] = Registration();
    return PosixHandle(fd);
}

void CPosixServerSockets::SetReuseAddress(SocketHandle s) {
    const int on = 1;
    ::setsockopt(PosixDescriptor(s), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
}

bool CPosixServerSockets::Bind(SocketHandle s, int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (!bindAddress.empty() && inet_pton(AF_INET, bindAddress.c_str(), &address.sin_addr) != 1) {
        lastError = EINVAL;
        return false;
    }
    if (::bind(PosixDescriptor(s), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        lastError = errno;
        return false;
    }
    return true;
}

bool CPosixServerSockets::Listen(SocketHandle s, int backlog) {
    if (::listen(PosixDescriptor(s), backlog) != 0 || !SetNonBlocking(PosixDescriptor(s))) {
        lastError = errno;
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex);
    sockets[s].listening = true;
    return true;
}

bool CPosixServerSockets::SelectEvents(SocketHandle listener, int portIndex, unsigned events) {
    std::lock_guard<std::mutex> lock(mutex);
    auto found = sockets.find(listener);
    if (found == sockets.end() || !found->second.listening) {
        lastError = ENOTSOCK;
        return false;
    }
    found->second.portIndex = portIndex;
    found->second.events = events;
    return true;
}

SocketHandle CPosixServerSockets::Accept(SocketHandle listener) {
    Registration inherited;
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto found = sockets.find(listener);
        if (found == sockets.end()) {
            lastError = ENOTSOCK;
            return 0;
        }
        inherited = found->second;
    }
    const int fd = ::accept4(PosixDescriptor(listener), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
        lastError = errno;
        return 0;
    }
    inherited.listening = false;
    std::lock_guard<std::mutex> lock(mutex);
    sockets[PosixHandle(fd)] = inherited;
    return PosixHandle(fd);
}

int CPosixServerSockets::Receive(SocketHandle s, char* buffer, int length) {
    if (length <= 0) return -1;
    for (;;) {
        const ssize_t received = ::recv(PosixDescriptor(s), buffer, static_cast<std::size_t>(length), 0);
        if (received >= 0) return static_cast<int>(received);
        if (errno == EINTR) continue;
        lastError = errno;
        return -1;
    }
}

void CPosixServerSockets::Close(SocketHandle s) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (sockets.erase(s) == 0) return;
    }
    ::close(PosixDescriptor(s));
}

unsigned CPosixServerSockets::WaitForEvent(int portIndex, int timeoutMs) {
    // What to watch: the port's listener while it is armed for accepting,
    // and its connection while one is served.
    std::vector<pollfd> watched;
    std::vector<bool> isListener;
    {
        std::lock_guard<std::mutex> lock(mutex);
        for (const auto& entry : sockets) {
            const Registration& r = entry.second;
            if (r.portIndex != portIndex) continue;
            const bool wanted = r.listening ? (r.events & kEventAccept) != 0 : (r.events & (kEventRead | kEventClose)) != 0;
            if (!wanted) continue;
            watched.push_back(pollfd{PosixDescriptor(entry.first), POLLIN, 0});
            isListener.push_back(r.listening);
        }
    }
    if (watched.empty()) {
        if (timeoutMs != 0) ::poll(nullptr, 0, timeoutMs < 0 ? 1000 : timeoutMs);
        return 0;
    }
    int ready = ::poll(watched.data(), watched.size(), timeoutMs);
    if (ready <= 0) return 0;
    // A connection's events come before a new accept.
    for (std::size_t i = 0; i < watched.size(); ++i) {
        if (isListener[i] || watched[i].revents == 0) continue;
        char probe;
        const ssize_t peeked = ::recv(watched[i].fd, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
        if (peeked > 0) return kEventRead;
        if (peeked < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return 0;
        return kEventClose;  // orderly end, reset or other error
    }
    for (std::size_t i = 0; i < watched.size(); ++i) {
        if (isListener[i] && watched[i].revents != 0) return kEventAccept;
    }
    return 0;
}

int CPosixServerSockets::LastError() const { return lastError; }

}  // namespace netspool
