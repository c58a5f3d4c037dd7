// ReadSetting / WriteSetting in both layouts, against real files in a
// private configuration directory.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "SettingsTestSupport.h"
#include "settings/Settings.h"

namespace {

using settingstest::Layout;
using settingstest::ReadFile;
using settingstest::ScopedConfigHome;

std::string Read(const char* key, const char* defaultValue, const char* section, size_t size = 256) {
    std::string out(size, '#');
    ReadSetting(key, defaultValue, section, kApplicationName, kProfileBase, &out[0], size);
    return out.c_str();
}

int Write(const char* key, const char* section, const char* value) {
    return WriteSetting(key, section, kApplicationName, kProfileBase, value);
}

TEST(SettingsRegistryMode, UnwrittenSettingReadsEmptyNotAsTheDefault) {
    ScopedConfigHome home(Layout::Registry);
    EXPECT_EQ(Read("Fore", "NULL", "Colors"), "");
    ASSERT_EQ(Write("Back", "Colors", "BLUE"), 1);
    EXPECT_EQ(Read("Fore", "NULL", "Colors"), "") << "missing value in an existing key";
}

TEST(SettingsRegistryMode, WritesTheRegistryLayout) {
    ScopedConfigHome home(Layout::Registry);
    ASSERT_EQ(Write("Fore", "Colors", "WHITE"), 1);
    ASSERT_EQ(Write("User", "ftp.example.com", "C:\\me \"x\""), 1);
    EXPECT_EQ(ReadFile(home.RegistryPath()),
              "REGEDIT4\r\n\r\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\Orvane Emulator\\Colors]\r\n"
              "\"Fore\"=\"WHITE\"\r\n\r\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\Orvane Emulator\\ftp.example.com]\r\n"
              "\"User\"=\"C:\\\\me \\\"x\\\"\"\r\n");
    EXPECT_EQ(Read("fore", "NULL", "COLORS"), "WHITE");
    EXPECT_EQ(Read("User", "NULL", "ftp.example.com"), "C:\\me \"x\"");
    EXPECT_FALSE(settingstest::FileExists(home.IniPath()));
}

TEST(SettingsRegistryMode, LongValueIsCutToTheBuffer) {
    ScopedConfigHome home(Layout::Registry);
    const std::string value(300, 'v');
    ASSERT_EQ(Write("Long", "Test", value.c_str()), 1);
    std::string out(40, '#');
    ReadSetting("Long", "", "Test", kApplicationName, kProfileBase, &out[0], 32);
    EXPECT_EQ(std::string(out.c_str()), value.substr(0, 31));
    EXPECT_EQ(out.substr(32), std::string(8, '#'));
    EXPECT_EQ(Read("Long", "", "Test", 1024), value);
}

TEST(SettingsRegistryMode, ValuesWithLineBreaksSurvive) {
    ScopedConfigHome home(Layout::Registry);
    ASSERT_EQ(Write("KBD_F1", "keys", "a\r\n[b]\x1b"), 1);
    EXPECT_EQ(Read("KBD_F1", "", "keys"), "a\r\n[b]\x1b");
}

TEST(SettingsRegistryMode, FlushFormIsHarmlessAndNullsAreRefused) {
    ScopedConfigHome home(Layout::Registry);
    EXPECT_EQ(WriteSetting(nullptr, nullptr, kApplicationName, kProfileBase, nullptr), 1);
    EXPECT_EQ(Write(nullptr, "Colors", "x"), 0);
    EXPECT_EQ(Write("Fore", nullptr, "x"), 0);
    EXPECT_EQ(Write("Fore", "Colors", nullptr), 0);
    EXPECT_TRUE(settingstest::ListDirectory(home.Root()).empty()) << "nothing may be created";
}

TEST(SettingsProfileMode, UnwrittenSettingReadsAsTheDefault) {
    ScopedConfigHome home(Layout::Profile);
    EXPECT_EQ(Read("Fore", "NULL", "Colors"), "NULL");
    EXPECT_EQ(Read("Fore", "", "Colors"), "");
    EXPECT_FALSE(settingstest::FileExists(home.ConfigDir())) << "reads create nothing";
}

TEST(SettingsProfileMode, WritesOvtermIniInTheConfigDirectory) {
    ScopedConfigHome home(Layout::Profile);
    ASSERT_EQ(Write("Fore", "Colors", "WHITE"), 1);
    ASSERT_EQ(Write("Back", "Colors", "BLUE"), 1);
    EXPECT_EQ(settingstest::ListDirectory(home.ConfigDir()), std::vector<std::string>{"OVTERM.INI"});
    EXPECT_EQ(ReadFile(home.IniPath()), "[Colors]\r\nFore=WHITE\r\nBack=BLUE\r\n");
    EXPECT_EQ(Read("FORE", "NULL", "colors"), "WHITE");
}

TEST(SettingsProfileMode, ValuesTheFileWouldAlterAreQuoted) {
    ScopedConfigHome home(Layout::Profile);
    const char* const values[] = {"  leading", "trailing ", " both ", "\"quoted\"", "'single'", "\"",
                                  "a \"b\" c", "x=y", "", "caf\xE9"};
    for (const char* value : values) {
        ASSERT_EQ(Write("Key", "Test", value), 1) << value;
        EXPECT_EQ(Read("Key", "NULL", "Test"), value);
    }
    ASSERT_EQ(Write("Plain", "Test", "WHITE"), 1);
    EXPECT_NE(ReadFile(home.IniPath()).find("\r\nPlain=WHITE\r\n"), std::string::npos) << "plain values unquoted";
}

TEST(SettingsProfileMode, RefusesWhatTheFileCannotHold) {
    ScopedConfigHome home(Layout::Profile);
    ASSERT_EQ(Write("Fore", "Colors", "WHITE"), 1);
    const std::string before = ReadFile(home.IniPath());
    struct {
        const char* key;
        const char* section;
        const char* value;
    } const refused[] = {
        {"Fore", "Colors", "two\nlines"}, {"Fore", "Colors", "cr\r"},  {"a=b", "Colors", "v"},
        {"[x", "Colors", "v"},            {";x", "Colors", "v"},       {"  ", "Colors", "v"},
        {"Fore", "a]b", "v"},             {"Fore", "new\nsect", "v"}, {"Fore", " ", "v"},
        {"Fore", nullptr, "v"},
    };
    for (const auto& r : refused) {
        EXPECT_EQ(Write(r.key, r.section, r.value), 0) << (r.key ? r.key : "(null)") << " / "
                                                      << (r.section ? r.section : "(null)");
    }
    EXPECT_EQ(ReadFile(home.IniPath()), before);
    EXPECT_EQ(Read("Fore", "NULL", "Colors"), "WHITE");
}

TEST(SettingsProfileMode, FlushFormAnswersSuccess) {
    ScopedConfigHome home(Layout::Profile);
    EXPECT_EQ(WriteSetting(nullptr, nullptr, kApplicationName, kProfileBase, nullptr), 1);
    EXPECT_EQ(WriteIniSetting(nullptr, nullptr, kProfileBase, nullptr), 1);
}

TEST(SettingsProfileMode, IniFunctionsIgnoreTheStorageMode) {
    ScopedConfigHome home(Layout::Registry);
    ASSERT_EQ(WriteIniSetting("Fore", "Colors", kProfileBase, "RED"), 1);
    char out[16];
    ReadIniSetting("Fore", "NULL", "Colors", kProfileBase, out, sizeof out);
    EXPECT_STREQ(out, "RED");
    EXPECT_EQ(Read("Fore", "NULL", "Colors"), "") << "registry mode does not see the profile file";
    EXPECT_FALSE(settingstest::FileExists(home.RegistryPath()));
}

TEST(SettingsStore, LayoutsAreKeptApart) {
    ScopedConfigHome home(Layout::Registry);
    ASSERT_EQ(Write("Fore", "Colors", "WHITE"), 1);
    home.Use(Layout::Profile);
    EXPECT_EQ(Read("Fore", "NULL", "Colors"), "NULL");
    ASSERT_EQ(Write("Fore", "Colors", "GREEN"), 1);
    home.Use(Layout::Registry);
    EXPECT_EQ(Read("Fore", "NULL", "Colors"), "WHITE");
}

TEST(SettingsStore, ReadsNeverWriteOutsideTheBuffer) {
    for (Layout layout : {Layout::Registry, Layout::Profile}) {
        ScopedConfigHome home(layout);
        ASSERT_EQ(Write("Fore", "Colors", "WHITE"), 1);
        char out[4] = {'#', '#', '#', '#'};
        ReadSetting("Fore", "NULL", "Colors", kApplicationName, kProfileBase, out, 0);
        EXPECT_EQ(out[0], '#') << "a zero-sized buffer is left alone";
        ReadSetting("Fore", "NULL", "Colors", kApplicationName, kProfileBase, out, 3);
        EXPECT_STREQ(out, "WH");
        EXPECT_EQ(out[3], '#');
        ReadSetting("Fore", "NULL", "Colors", kApplicationName, kProfileBase, nullptr, 16);
    }
}

TEST(SettingsStore, WithoutXdgConfigHomeUsesDotConfigInHome) {
    ScopedConfigHome home(Layout::Profile);
    const char* oldHome = getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", home.Root().c_str(), 1);
    const int written = Write("Fore", "Colors", "WHITE");
    if (oldHome)
        setenv("HOME", savedHome.c_str(), 1);
    else
        unsetenv("HOME");
    ASSERT_EQ(written, 1);
    EXPECT_TRUE(settingstest::FileExists(home.Root() + "/.config/winovterm/OVTERM.INI"));
}

}  // namespace
