#include "net/HostPort.h"

#include <cstring>

bool SplitHostPort(const char* text, std::string* name, int* port) {
    if (!text) return false;
    const char* colon = std::strrchr(text, ':');
    if (!colon || colon == text) return false;
    if (std::memchr(text, ':', static_cast<size_t>(colon - text))) return false;
    const char* digits = colon + 1;
    if (*digits == '\0') return false;
    long value = 0;
    for (const char* p = digits; *p; ++p) {
        if (*p < '0' || *p > '9') return false;
        value = value * 10 + (*p - '0');
        if (value > 65535) return false;
    }
    if (value < 1) return false;
    if (name) name->assign(text, static_cast<size_t>(colon - text));
    if (port) *port = static_cast<int>(value);
    return true;
}
