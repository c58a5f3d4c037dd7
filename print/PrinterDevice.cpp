#include "print/PrinterDevice.h"

#include <cstring>

namespace {
// The next piece after the separators ", " at *p, as strtok would find it.
std::string NextPiece(const char*& p) {
    p += std::strspn(p, ", ");
    std::size_t length = std::strcspn(p, ", ");
    std::string piece(p, length);
    p += length;
    return piece;
}
}  // namespace

bool ParseDeviceProfile(const char* text, PrinterDevice* out) {
    if (!text || !out) return false;
    const char* comma = std::strchr(text, ',');
    if (!comma || comma == text) return false;
    PrinterDevice found;
    found.device.assign(text, static_cast<std::size_t>(comma - text));
    const char* p = comma + 1;
    found.driver = NextPiece(p);
    found.port = NextPiece(p);
    if (found.driver.empty() || found.port.empty()) return false;
    *out = std::move(found);
    return true;
}
