// What the TCP transport needs from the operating system's sockets. One
// implementation per platform (win32/: Winsock, posix/: BSD sockets); tests
// may supply their own. Error codes are always Winsock codes (10061 for a
// refused connection, 11001 for an unknown host, ...), whatever the platform.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

using SocketHandle = std::uintptr_t;  // 0 means "no socket"

struct SocketHostEntry {
    std::string name;
    std::vector<std::uint32_t> addresses;  // IPv4, first octet in the low byte
};

// IPv4 addresses travel as uint32 with the first octet in the low byte; these
// convert from and to the four octets in network order.
inline std::uint32_t AddressFromOctets(const unsigned char* octets) {
    return static_cast<std::uint32_t>(octets[0]) | static_cast<std::uint32_t>(octets[1]) << 8 |
           static_cast<std::uint32_t>(octets[2]) << 16 | static_cast<std::uint32_t>(octets[3]) << 24;
}
inline void AddressToOctets(std::uint32_t address, unsigned char* octets) {
    for (int i = 0; i < 4; ++i) octets[i] = static_cast<unsigned char>(address >> (8 * i));
}

class CSocketLayer {
public:
    virtual ~CSocketLayer() = default;

    // Start-up asking for version 1.1: 0 or an error code; *granted gets the
    // version obtained (major in the low byte, minor in the high byte).
    virtual int Startup(unsigned* granted) = 0;
    virtual void Cleanup() = 0;

    virtual bool LookupHostByName(const char* name, SocketHostEntry* entry) = 0;
    // A dotted IPv4 text as the platform's address parser reads it.
    virtual bool ParseDottedAddress(const char* text, std::uint32_t* address) = 0;
    virtual bool LookupHostByAddress(std::uint32_t address, SocketHostEntry* entry) = 0;
    // The port of a service (host byte order), or 0 when it is unknown.
    virtual int LookupServicePort(const char* service, const char* protocol) = 0;

    virtual SocketHandle OpenStreamSocket() = 0;
    virtual bool SetInlineUrgentData(SocketHandle s) = 0;  // SO_OOBINLINE
    virtual bool SetNoDelay(SocketHandle s) = 0;           // TCP_NODELAY
    virtual bool ConnectTo(SocketHandle s, std::uint32_t address, int port) = 0;  // blocking
    // Switches the connected socket to event delivery (read, close, write);
    // from then on it does not block.
    virtual bool SelectEvents(SocketHandle s) = 0;
    virtual int Receive(SocketHandle s, char* buffer, int length) = 0;    // count, 0 at end, -1
    // Received bytes the layer holds for s that Receive has not handed out
    // yet (a layer may read ahead of its callers); none by default.
    virtual bool HasBufferedInput(SocketHandle s) {
        (void)s;
        return false;
    }
    virtual int Send(SocketHandle s, const char* data, int length) = 0;   // count or -1
    virtual bool Close(SocketHandle s) = 0;

    virtual bool GetLocalHostName(char* out, int size) = 0;
    virtual int LastError() = 0;
    virtual void SetLastError(int code) = 0;
    // The platform's own text for an error code, if it carries one.
    virtual bool LoadErrorText(int code, char* out, int size) = 0;
    // Where event notifications go (the main window on Windows; unused where
    // a poll loop watches the socket), and the request to close it.
    virtual void SetEventTarget(void* target) = 0;
    virtual void RequestMainWindowClose() = 0;
};

// The sockets of the platform the program is built for.
std::unique_ptr<CSocketLayer> CreateSocketLayer();
