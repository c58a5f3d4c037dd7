// The TCP transport: one IPv4 stream socket whose events reach the user-
// interface thread (as a window message on Windows, through the poll pump
// elsewhere). Output the socket cannot take at once is held, in order, and
// sent when the socket reports it can take more.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "net/CTermComm.h"
#include "net/SocketLayer.h"

class CWinSockComm : public CTermComm {
public:
    // The platform's sockets.
    CWinSockComm(int* status, CTermView* sink, CRxHandler* rxHandler);
    // Given sockets (tests, tools). A null layer fails with status 1.
    CWinSockComm(int* status, CTermView* sink, CRxHandler* rxHandler, std::unique_ptr<CSocketLayer> layer);
    ~CWinSockComm() override;

    int CheckError(const char* context) override;
    int Disconnect() override;
    int IsConnected() override;
    int Receive(char* buffer, int* length) override;
    // Takes the whole block or nothing: returns length when every byte was
    // sent or is held for sending, 0 on a socket error, when not connected,
    // or when holding the block would pass kUserOutputLimit.
    int Send(const char* data, int length) override;
    void GetLocalAddress(char* out, int size) override;
    void OnSocketWritable() override;

    // Connects to service on host; host may also be "name:port" (the port
    // then replaces the service). Returns 1 when connected.
    int ConnectService(char* host, const char* service);
    // The host entry for host, or null after showing the "Network Message"
    // box. A numeric host without a name entry may be rewritten in place to
    // its dotted form when that is no longer than the text.
    const SocketHostEntry* ResolveHost(char* host);

    // Where socket events go (the main window's handle on Windows).
    void SetEventTarget(void* target);

    SocketHandle Handle() const { return socket; }
    bool HasPendingOutput() const { return pendingHead < pending.size(); }
    // Bytes already taken from the socket and waiting for the next read: the
    // socket raises no notice for them.
    bool HasBufferedInput() const { return socket && layer->HasBufferedInput(socket); }
    std::size_t PendingOutput() const { return pending.size() - pendingHead; }
    std::size_t DroppedReplyBytes() const { return droppedReplyBytes; }
    void ClearPendingError();

    // Held output: user data may wait up to kUserOutputLimit bytes; protocol
    // replies are only queued while less than kReplyOutputLimit is waiting,
    // and dropped beyond (a host that floods requests without reading).
    static constexpr std::size_t kUserOutputLimit = 16u << 20;
    static constexpr std::size_t kReplyOutputLimit = 64u << 10;

protected:
    // A protocol reply (never escaped, bounded as above); returns true when
    // it was sent or queued.
    bool SendReply(const char* data, int length);
    CSocketLayer& Layer() { return *layer; }

private:
    std::size_t SendWhatFits(const char* data, std::size_t length, bool* failed);
    bool Transmit(const char* data, std::size_t length);
    void Flush();

    std::unique_ptr<CSocketLayer> layer;
    bool started = false;
    SocketHandle socket = 0;
    SocketHostEntry resolved;
    std::string pending;  // bytes from pendingHead on are still to be sent
    std::size_t pendingHead = 0;
    std::size_t droppedReplyBytes = 0;
};
