// The print server: four ports, each listening for one connection at a time
// and passing everything the client sends to the port's printer as one raw
// job. Driven entirely by socket events (OnSocketEvent); every call for a
// port touches only that port's record, its spooler and its receive buffer,
// so the daemon can serve each port on a thread of its own, while the
// Windows program serves all four on its window's thread.
#pragma once

#include <array>
#include <cstddef>
#include <memory>

#include "netspool/PrinterPort.h"
#include "netspool/ServerFrontEnd.h"
#include "netspool/ServerSockets.h"
#include "netspool/Spooler.h"

namespace netspool {

// Chosen by measurement: a 200 MB stream through CUPS runs at about a third
// of the speed with 256-byte chunks.
inline constexpr std::size_t kReceiveBufferSize = 64 * 1024;
// A read notification stops draining after this much, so that a client
// streaming without pause cannot hold up the other ports; the platform
// reports the data still waiting again.
inline constexpr std::size_t kDrainBudget = 1024 * 1024;
inline constexpr int kListenBacklog = 4;

struct ServerOptions {
    int basePort = kFirstPortNumber;  // port index i listens on basePort + i
    std::size_t receiveBufferSize = kReceiveBufferSize;
    // One receive buffer per port (ports served on threads of their own)
    // instead of one shared by all four.
    bool bufferPerPort = false;
    // Re-read a port's printer from the settings at each connection, so
    // that a change stored by another process applies from the next job.
    bool reloadAssignmentOnAccept = false;
};

enum class StartResult { kStarted, kNetworkFailed, kListenerFailed };

class CPrintServer {
public:
    // spoolers[i] prints port i's jobs (the same spooler may serve several).
    CPrintServer(CServerSockets& sockets, CServerFrontEnd& frontEnd, const std::array<CSpooler*, kPortCount>& spoolers,
                 const ServerOptions& options = ServerOptions());
    CPrintServer(const CPrintServer&) = delete;
    CPrintServer& operator=(const CPrintServer&) = delete;

    // The network part of the window's creation: the network layer (version
    // 1.1 exactly), the four listeners in order, then the printer
    // assignments. After kListenerFailed the network layer is shut down
    // and the caller ends the program.
    StartResult Start();
    // The network layer's shut-down (at exit).
    void Shutdown();

    // One socket event (kEventRead, kEventAccept, kEventClose) for a port.
    void OnSocketEvent(int index, unsigned event);

    bool StartListener(int index);
    bool OpenPrintJob(int index);
    void ClosePrintJob(int index);
    // Reads what is waiting on the port's connection and prints it.
    void SpoolIncomingData(int index);
    // Ends the port's connection as its close does, but without reading
    // what may still be waiting (a stop that must not wait for a client)
    // and without re-arming accepting.
    void EndConnection(int index);
    void LoadPortPrinters();

    PrinterPort& Port(int index) { return ports[static_cast<std::size_t>(index)]; }
    const PrinterPort& Port(int index) const { return ports[static_cast<std::size_t>(index)]; }
    // The whole table, as the setup dialog's rules take it.
    std::array<PrinterPort, kPortCount>& Ports() { return ports; }

private:
    void OnAccept(int index);
    void OnClose(int index);
    // Reads and prints until nothing more is waiting, or budget bytes (0:
    // no limit) have been read.
    void Drain(int index, std::size_t budget);
    void PrintChunk(int index, const char* data, int length);
    char* BufferFor(int index);

    CServerSockets& sockets;
    CServerFrontEnd& frontEnd;
    std::array<CSpooler*, kPortCount> spoolers;
    ServerOptions options;
    std::array<PrinterPort, kPortCount> ports;
    std::unique_ptr<char[]> buffers;  // one, or one per port
    int bufferLength = 0;             // usable bytes of each buffer
};

}  // namespace netspool
