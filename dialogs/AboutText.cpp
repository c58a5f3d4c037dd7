#include "dialogs/AboutText.h"

#include <cstdio>

namespace {

constexpr std::uint32_t kNotNtFamily = 0x80000000u;

}  // namespace

std::string WindowsVersionLine(std::uint32_t versionWord) {
    const unsigned major = versionWord & 0xFFu;
    const unsigned minor = (versionWord >> 8) & 0xFFu;
    const unsigned build = (versionWord >> 16) & 0xFFFFu;
    char line[96];
    if ((versionWord & kNotNtFamily) == 0) {
        std::snprintf(line, sizeof line, "Microsoft Windows NT %u.%u (Build: %u)", major, minor, build);
    } else if (major > 3) {
        std::snprintf(line, sizeof line, "Microsoft Windows 95  (osv: %u.%u)", major, minor);
    } else {
        // Win32s keeps the family flag in the build's top bit.
        std::snprintf(line, sizeof line, "Microsoft Win32s %u.%u (Build: %u)", major, minor, build & 0x7FFFu);
    }
    return line;
}

std::string VersionValuePath(const std::string& key) { return "\\StringFileInfo\\040904E4\\" + key; }

std::string VersionLookupErrorText(unsigned long errorCode) {
    char text[32];
    std::snprintf(text, sizeof text, "Error %lu", errorCode);
    return text;
}
