#include <gtest/gtest.h>

#include <cstdint>

#include "SettingsTestSupport.h"
#include "settings/Settings.h"

namespace {

struct VersionCase {
    const char* what;
    std::uint32_t versionWord;
    int mode;
};

const VersionCase kVersionCases[] = {
    {"NT 3.51", 0x04210333u, 1},
    {"NT 4.0", 0x05650004u, 1},
    {"XP", 0x0A280105u, 1},
    {"NT with a zero word", 0x00000000u, 1},
    {"NT, low bytes that would mean 3.10", 0x00000A03u, 1},
    {"Win32s on 3.10", 0x80000A03u, 0},
    {"Win32s on 3.11", 0x80000B03u, 0},
    {"3.94, just below the line", 0x80005E03u, 0},
    {"3.95, on the line", 0x80005F03u, 2},
    {"Windows 95 (4.0)", 0xC0000004u, 2},
    {"Windows 98 (4.10)", 0xC0000A04u, 2},
    {"Windows Me (4.90)", 0xC0005A04u, 2},
    {"major 2 with a big minor", 0x8000FF02u, 0},
    {"high build bits ignored", 0xFFFF0A03u, 0},
};

TEST(SettingsStorageMode, DecidesFromTheVersionWord) {
    for (const VersionCase& c : kVersionCases) {
        EXPECT_EQ(StorageModeFromVersion(c.versionWord), c.mode) << c.what;
    }
}

TEST(SettingsStorageMode, FollowsTheStorageVariableAtEveryCall) {
    settingstest::ScopedConfigHome home(settingstest::Layout::Registry);
    EXPECT_EQ(GetStorageMode(), 1);
    home.Use(settingstest::Layout::Profile);
    EXPECT_EQ(GetStorageMode(), 0);
    home.Use(settingstest::Layout::Registry);
    EXPECT_EQ(GetStorageMode(), 1);
}

}  // namespace
