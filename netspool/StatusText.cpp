#include "netspool/StatusText.h"

#include <cstring>

namespace netspool {

std::string PortStatusLine(PortLine line, const char* portText) {
    const std::string port = portText ? portText : "";
    switch (line) {
    case PortLine::kDataWaiting: return "Data waiting to be read on Port " + port;
    case PortLine::kPending: return "Connection Pending : Port " + port;
    case PortLine::kAcceptFailed: return "Connection terminated on Port " + port + "...windows socket error";
    case PortLine::kEstablished: return "Connection established on Port " + port;
    case PortLine::kNoPrinter: return "No printer set for port " + port;
    case PortLine::kClosed:
        // The program's own wording: "has being" on every port but the first.
        return "Connection closed on Port " + port +
               (port == "10" ? "...data has been spooled" : "...data has being spooled");
    }
    return std::string();
}

}  // namespace netspool
