// The texts of the print server's status lines and messages.
#pragma once

#include <string>

namespace netspool {

enum class PortLine { kDataWaiting, kPending, kAcceptFailed, kEstablished, kNoPrinter, kClosed };

// A port's line, portText being "10" .. "13".
std::string PortStatusLine(PortLine line, const char* portText);

inline constexpr char kGreetingLine[] = "Listening on Port 10, 11, 12, and 13 for incomming connections";
inline constexpr char kShutdownLine[] = "NetSpool Server Shutdown";
inline constexpr char kErrorOpeningPrinter[] = "Error opening printer";
inline constexpr char kUnableToOpenPrinter[] = "Unable to open printer!";
inline constexpr char kErrorWritingToPrinter[] = "Error Writing to Printer";

}  // namespace netspool
