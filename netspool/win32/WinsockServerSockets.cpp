#include "netspool/win32/WinsockServerSockets.h"

namespace netspool {

namespace {

// SOCKET is unsigned and INVALID_SOCKET its largest value; the core's
// handles use 0 for "no socket", which Winsock never hands out.
SocketHandle FromSocket(SOCKET s) { return s == INVALID_SOCKET ? 0 : static_cast<SocketHandle>(s); }
SOCKET ToSocket(SocketHandle s) { return s == 0 ? INVALID_SOCKET : static_cast<SOCKET>(s); }

}  // namespace

int CWinsockServerSockets::Startup(unsigned* granted) {
    WSADATA data;
    const int error = WSAStartup(MAKEWORD(1, 1), &data);
    if (error == 0 && granted) *granted = data.wVersion;
    return error;
}

void CWinsockServerSockets::Cleanup() { WSACleanup(); }

SocketHandle CWinsockServerSockets::OpenStreamSocket() { return FromSocket(::socket(AF_INET, SOCK_STREAM, 0)); }

void CWinsockServerSockets::SetReuseAddress(SocketHandle s) {
    BOOL on = TRUE;
    setsockopt(ToSocket(s), SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof on);
}

bool CWinsockServerSockets::Bind(SocketHandle s, int port) {
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = htons(static_cast<u_short>(port));
    return ::bind(ToSocket(s), reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
}

bool CWinsockServerSockets::Listen(SocketHandle s, int backlog) { return ::listen(ToSocket(s), backlog) == 0; }

bool CWinsockServerSockets::SelectEvents(SocketHandle listener, int portIndex, unsigned events) {
    listenerPorts[ToSocket(listener)] = portIndex;
    return WSAAsyncSelect(ToSocket(listener), window, WM_USER + static_cast<UINT>(portIndex),
                          static_cast<long>(events)) == 0;
}

SocketHandle CWinsockServerSockets::Accept(SocketHandle listener) {
    const SOCKET connection = ::accept(ToSocket(listener), nullptr, nullptr);
    if (connection == INVALID_SOCKET) return 0;
    // Wine does not always report data that arrived before the accept: say
    // so here. A read notification with nothing waiting is harmless.
    u_long waiting = 0;
    const auto port = listenerPorts.find(ToSocket(listener));
    if (port != listenerPorts.end() && ioctlsocket(connection, FIONREAD, &waiting) == 0 && waiting > 0)
        PostMessageA(window, WM_USER + static_cast<UINT>(port->second), static_cast<WPARAM>(connection),
                     WSAMAKESELECTREPLY(FD_READ, 0));
    return FromSocket(connection);
}

int CWinsockServerSockets::Receive(SocketHandle s, char* buffer, int length) {
    const int received = ::recv(ToSocket(s), buffer, length, 0);
    return received == SOCKET_ERROR ? -1 : received;
}

void CWinsockServerSockets::Close(SocketHandle s) { closesocket(ToSocket(s)); }

}  // namespace netspool
