// The print server's sockets over Winsock 1.1: each port's events reach the
// window as message WM_USER + port index, the event in the low word of
// lParam (WSAAsyncSelect).
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <map>

#include "netspool/ServerSockets.h"

namespace netspool {

class CWinsockServerSockets : public CServerSockets {
public:
    explicit CWinsockServerSockets(HWND window = nullptr) : window(window) {}
    // The window that receives the ports' notifications.
    void SetWindow(HWND target) { window = target; }

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

private:
    HWND window;
    // Which port each listener serves, so that a notification for an
    // accepted connection can be posted on the port's message.
    std::map<SOCKET, int> listenerPorts;
};

}  // namespace netspool
