// The print server's sockets over BSD sockets. Where Winsock posts window
// messages, this layer answers WaitForEvent: one port's next event (accept
// while the port is armed for it, data waiting, or the connection's end),
// found with poll. Ports may be served from threads of their own: each
// thread waits for its own port's events.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "netspool/ServerSockets.h"

namespace netspool {

class CPosixServerSockets : public CServerSockets {
public:
    // Listeners bind to bindAddress (dotted IPv4; empty: every interface).
    explicit CPosixServerSockets(std::string bindAddress = std::string());
    ~CPosixServerSockets() override;

    int Startup(unsigned* granted) override;
    void Cleanup() override;
    SocketHandle OpenStreamSocket() override;
    void SetReuseAddress(SocketHandle s) override;
    bool Bind(SocketHandle s, int port) override;
    bool Listen(SocketHandle s, int backlog) override;
    bool SelectEvents(SocketHandle listener, int portIndex, unsigned events) override;
    SocketHandle Accept(SocketHandle listener) override;
    int Receive(SocketHandle s, char* buffer, int length) override;
    void Close(SocketHandle s) override;

    // Waits at most timeoutMs (negative: without limit) for the port's next
    // event; kEventRead, kEventAccept or kEventClose, or 0 when none came.
    // A connection's end is reported only once everything before it has
    // been read.
    unsigned WaitForEvent(int portIndex, int timeoutMs);
    // The last socket error, as errno.
    int LastError() const;

private:
    struct Registration {
        int portIndex = -1;
        unsigned events = 0;
        bool listening = false;
    };

    std::string bindAddress;
    mutable std::mutex mutex;
    std::map<SocketHandle, Registration> sockets;  // every socket this layer opened
};

}  // namespace netspool
