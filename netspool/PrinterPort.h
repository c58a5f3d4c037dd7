// The print server's port table: four TCP ports, each with the printer it
// prints on, the job open on that printer and the sockets it serves.
#pragma once

#include <cstddef>

#include "net/SocketLayer.h"

namespace netspool {

inline constexpr int kPortCount = 4;
// The ports' own numbers; with a base port other than 10 the server listens
// on base + index but the ports keep these names in settings and messages.
inline constexpr int kFirstPortNumber = 10;
// Printer names live in buffers of this size: at most 99 characters.
inline constexpr std::size_t kPrinterNameSize = 100;
inline constexpr char kNoPrinter[] = "None";
inline constexpr char kDocumentName[] = "NetSpool Server";

// An open printer as the spooler hands it out; null when there is none.
using PrinterHandle = void*;

struct PrinterPort {
    int printerSet = 0;                 // 1 when a printer other than "None" is assigned
    PrinterHandle printer = nullptr;    // valid while a job is open
    char printerName[kPrinterNameSize] = "None";
    int jobOpen = 0;                    // 1 while a document and its page are started
    const char* portText = "";          // "10" .. "13"
    SocketHandle listening = 0;
    SocketHandle connection = 0;
    int listenPort = 0;                 // TCP port actually listened on
    unsigned notification = 0;          // window message of the port's socket events
};

}  // namespace netspool
