#include "tools/replay/CaptureDevices.h"

#include <cstring>

void CCaptureComm::GetLocalAddress(char* out, int size) {
    if (!out || size <= 0) return;
    size_t n = localAddress.size();
    if (n > static_cast<size_t>(size - 1)) n = static_cast<size_t>(size - 1);
    std::memcpy(out, localAddress.data(), n);
    out[n] = '\0';
}
