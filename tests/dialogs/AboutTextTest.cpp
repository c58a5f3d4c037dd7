#include <gtest/gtest.h>

#include <cstdint>

#include "dialogs/AboutText.h"

namespace {

struct VersionLineCase {
    const char* what;
    std::uint32_t versionWord;
    const char* line;
};

const VersionLineCase kVersionLines[] = {
    {"NT 4.0", 0x05650004u, "Microsoft Windows NT 4.0 (Build: 1381)"},
    {"NT 3.51", 0x04213303u, "Microsoft Windows NT 3.51 (Build: 1057)"},
    {"what Windows 8 and later report", 0x23F00206u, "Microsoft Windows NT 6.2 (Build: 9200)"},
    {"NT with the largest build", 0x7FFF0105u, "Microsoft Windows NT 5.1 (Build: 32767)"},
    {"Windows 95", 0xC3B60004u, "Microsoft Windows 95  (osv: 4.0)"},
    {"Windows 98", 0xC0000A04u, "Microsoft Windows 95  (osv: 4.10)"},
    {"Windows Me", 0xC0005A04u, "Microsoft Windows 95  (osv: 4.90)"},
    {"Win32s on 3.10: the family bit is not part of the build", 0x80000A03u, "Microsoft Win32s 3.10 (Build: 0)"},
    {"Win32s with a build number", 0x80990B03u, "Microsoft Win32s 3.11 (Build: 153)"},
    {"Win32s build keeps its other high bits", 0xFFFF0A03u, "Microsoft Win32s 3.10 (Build: 32767)"},
};

TEST(AboutText, WindowsVersionLineFollowsTheFamily) {
    for (const VersionLineCase& c : kVersionLines) {
        EXPECT_EQ(WindowsVersionLine(c.versionWord), c.line) << c.what;
    }
}

TEST(AboutText, VersionResourceLookups) {
    EXPECT_EQ(VersionValuePath("ProductName"), "\\StringFileInfo\\040904E4\\ProductName");
    EXPECT_EQ(VersionValuePath("OSVERSION"), "\\StringFileInfo\\040904E4\\OSVERSION");
    EXPECT_EQ(VersionLookupErrorText(1813), "Error 1813");
    EXPECT_EQ(VersionLookupErrorText(0), "Error 0");
    EXPECT_EQ(VersionLookupErrorText(4294967295ul), "Error 4294967295");
}

}  // namespace
