// What the print server needs from the platform's sockets: listeners whose
// events (accept, data, close) are delivered per port, and non-blocking
// reads on the connections they accept. win32/ maps this onto Winsock with
// WSAAsyncSelect (events arrive as window messages WM_USER + port index);
// posix/ onto BSD sockets, with a poll loop delivering the same events.
#pragma once

#include "net/SocketLayer.h"

namespace netspool {

// Socket events, with Winsock's values (they travel in window messages).
inline constexpr unsigned kEventRead = 0x01;
inline constexpr unsigned kEventAccept = 0x08;
inline constexpr unsigned kEventClose = 0x20;
// A listening port that takes connections, and one serving a connection
// (the accepted socket inherits these events).
inline constexpr unsigned kArmAccepting = kEventRead | kEventAccept | kEventClose;  // 0x29
inline constexpr unsigned kArmServing = kEventRead | kEventClose;                   // 0x21

class CServerSockets {
public:
    virtual ~CServerSockets() = default;

    // Start-up asking for version 1.1: 0 or an error code; *granted gets the
    // version obtained (major in the low byte, minor in the high byte).
    virtual int Startup(unsigned* granted) = 0;
    virtual void Cleanup() = 0;

    virtual SocketHandle OpenStreamSocket() = 0;  // 0 when none could be made
    virtual void SetReuseAddress(SocketHandle s) = 0;
    // Binds to INADDR_ANY on port (host byte order).
    virtual bool Bind(SocketHandle s, int port) = 0;
    virtual bool Listen(SocketHandle s, int backlog) = 0;
    // Chooses which events of the listening socket (and of the connections
    // accepted from it from then on) are reported for the port.
    virtual bool SelectEvents(SocketHandle listener, int portIndex, unsigned events) = 0;
    // The next waiting connection, non-blocking; 0 when accepting failed.
    virtual SocketHandle Accept(SocketHandle listener) = 0;
    // Count received; 0 when the peer has closed; -1 when nothing more is
    // waiting for now, or on an error.
    virtual int Receive(SocketHandle s, char* buffer, int length) = 0;
    virtual void Close(SocketHandle s) = 0;
};

}  // namespace netspool
