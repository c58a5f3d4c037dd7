// The REGEDIT4 file that stands in for HKEY_CURRENT_USER off Windows.
#include <gtest/gtest.h>

#include <string>

#include "SettingsTestSupport.h"
#include "settings/posix/RegistryFile.h"
#include "settings/posix/TextFile.h"

namespace {

using registryfile::ValueState;
using settingsfiles::SplitLines;
using settingsfiles::TextLines;

const char kColors[] = "SOFTWARE\\Orvane Emulator\\Colors";

struct EscapeCase {
    const char* what;
    std::string name;
    std::string value;
    std::string line;
};

const EscapeCase kEscapeCases[] = {
    {"plain", "Fore", "WHITE", "\"Fore\"=\"WHITE\""},
    {"empty value", "File4", "", "\"File4\"=\"\""},
    {"backslashes", "Path", "C:\\dir\\", "\"Path\"=\"C:\\\\dir\\\\\""},
    {"quotes", "Say", "a \"b\" c", "\"Say\"=\"a \\\"b\\\" c\""},
    {"escapes in the name", "a\\\"b", "v", "\"a\\\\\\\"b\"=\"v\""},
    {"bytes above 127 as they are", "K1", "caf\xE9 \xFC\xFF", "\"K1\"=\"caf\xE9 \xFC\xFF\""},
    {"brackets and equals signs", "K2", "[x]=y;", "\"K2\"=\"[x]=y;\""},
    {"line break as hex(1)", "K3", "a\r\nb", "\"K3\"=hex(1):61,0d,0a,62,00"},
    {"tab as hex(1)", "K4", "\t", "\"K4\"=hex(1):09,00"},
    {"default value", "", "d", "@=\"d\""},
};

TEST(RegistryFileEscaping, FormatsAndReadsBackEveryValue) {
    for (const EscapeCase& c : kEscapeCases) {
        const std::string line = registryfile::FormatValueLine(c.name, c.value);
        EXPECT_EQ(line, c.line) << c.what;
        std::string name, value;
        ValueState state = ValueState::Missing;
        ASSERT_TRUE(registryfile::ParseValueLine(line, &name, &state, &value)) << c.what;
        EXPECT_EQ(state, ValueState::String) << c.what;
        EXPECT_EQ(name, c.name) << c.what;
        EXPECT_EQ(value, c.value) << c.what;
    }
}

TEST(RegistryFileEscaping, RoundTripsThroughTheFile) {
    settingstest::ScopedConfigHome home(settingstest::Layout::Registry);
    const std::string path = home.Root() + "/round.reg";
    TextLines text;
    for (const EscapeCase& c : kEscapeCases) ASSERT_TRUE(registryfile::SetValue(text, kColors, c.name, c.value));
    settingstest::WriteFile(path, settingsfiles::JoinLines(text));

    const TextLines reread = SplitLines(settingstest::ReadFile(path));
    for (const EscapeCase& c : kEscapeCases) {
        std::string value;
        EXPECT_EQ(registryfile::FindValue(reread, kColors, c.name, &value), ValueState::String) << c.what;
        EXPECT_EQ(value, c.value) << c.what;
    }
}

struct ParseCase {
    const char* what;
    std::string line;
    bool isValue;
    ValueState state;
    std::string name;
    std::string value;
};

const ParseCase kParseCases[] = {
    {"blanks around the equals sign", "  \"A\" = \"b\"  ", true, ValueState::String, "A", "b"},
    {"deleted value", "\"A\"=-", true, ValueState::Missing, "A", ""},
    {"dword is no string", "\"A\"=dword:00000001", true, ValueState::OtherType, "A", ""},
    {"binary is no string", "\"A\"=hex:01,02", true, ValueState::OtherType, "A", ""},
    {"expandable string", "\"A\"=hex(2):25,50,25,00", true, ValueState::String, "A", "%P%"},
    {"hex string in capitals", "\"A\"=HEX(1):41,42,00", true, ValueState::String, "A", "AB"},
    {"hex string without terminator", "\"A\"=hex(1):41", true, ValueState::String, "A", "A"},
    {"bad hex digits", "\"A\"=hex(1):4g,00", true, ValueState::OtherType, "A", ""},
    {"unterminated string data", "\"A\"=\"abc", true, ValueState::OtherType, "A", ""},
    {"text after the string", "\"A\"=\"abc\" x", true, ValueState::OtherType, "A", ""},
    {"unterminated name", "\"A=\"b\"", false, ValueState::Missing, "", ""},
    {"comment", "; \"A\"=\"b\"", false, ValueState::Missing, "", ""},
    {"no equals sign", "\"A\" \"b\"", false, ValueState::Missing, "", ""},
    {"blank", "   ", false, ValueState::Missing, "", ""},
};

TEST(RegistryFileParsing, ReadsValueLinesSafely) {
    for (const ParseCase& c : kParseCases) {
        std::string name, value;
        ValueState state = ValueState::String;
        EXPECT_EQ(registryfile::ParseValueLine(c.line, &name, &state, &value), c.isValue) << c.what;
        if (!c.isValue) continue;
        EXPECT_EQ(state, c.state) << c.what;
        EXPECT_EQ(name, c.name) << c.what;
        EXPECT_EQ(value, c.value) << c.what;
    }
}

TEST(RegistryFileKeys, MatchPathsAndNamesWithoutCase) {
    const TextLines text = SplitLines(
        "REGEDIT4\r\n\r\n[hkey_current_user\\software\\orvane emulator\\colors]\r\n\"fore\"=\"WHITE\"\r\n");
    std::string value;
    EXPECT_EQ(registryfile::FindValue(text, kColors, "FORE", &value), ValueState::String);
    EXPECT_EQ(value, "WHITE");
    EXPECT_TRUE(registryfile::KeyExists(text, "SOFTWARE\\ORVANE EMULATOR\\COLORS"));
    EXPECT_TRUE(registryfile::KeyExists(text, "Software\\Orvane Emulator")) << "a parent of a key exists";
    EXPECT_FALSE(registryfile::KeyExists(text, "Software\\Orvane"));
    EXPECT_FALSE(registryfile::KeyExists(text, "SOFTWARE\\Orvane Emulator\\MRU"));
}

TEST(RegistryFileKeys, LaterLinesOverrideAsOnImport) {
    const TextLines text = SplitLines(
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"a\"=\"1\"\n\"b\"=\"1\"\n\"c\"=\"1\"\n"
        "[HKEY_LOCAL_MACHINE\\K]\n\"a\"=\"other hive\"\n"
        "[-HKEY_CURRENT_USER\\K]\n\"a\"=\"deleted key\"\n"
        "[HKEY_CURRENT_USER\\k]\n\"A\"=\"2\"\n\"b\"=-\n\"c\"=dword:00000002\n");
    std::string value;
    EXPECT_EQ(registryfile::FindValue(text, "K", "a", &value), ValueState::String);
    EXPECT_EQ(value, "2");
    EXPECT_EQ(registryfile::FindValue(text, "K", "b", &value), ValueState::Missing);
    EXPECT_EQ(registryfile::FindValue(text, "K", "c", &value), ValueState::OtherType);
    EXPECT_EQ(registryfile::FindValue(text, "K", "d", &value), ValueState::Missing);
}

TEST(RegistryFileKeys, HexDataContinuesOverLines) {
    const TextLines text = SplitLines(
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"a\"=hex(1):68,6f,\\\n  73,74,00\n\"b\"=\"x\"\n");
    std::string value;
    EXPECT_EQ(registryfile::FindValue(text, "K", "a", &value), ValueState::String);
    EXPECT_EQ(value, "host");
    TextLines edited = text;
    ASSERT_TRUE(registryfile::SetValue(edited, "K", "A", "new"));
    EXPECT_EQ(settingsfiles::JoinLines(edited), "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"a\"=\"new\"\n\"b\"=\"x\"\n");
}

TEST(RegistryFileEditing, NewValueIsNeverTakenInByTheLineBeforeIt) {
    const std::string cases[] = {
        // A malformed string ending in a backslash continues nothing.
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"a\"=\"C:\\\\\n",
        // Hex data left open at the end of the section.
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"a\"=hex(1):41,\\\n  42,\\\n",
    };
    for (const std::string& before : cases) {
        TextLines text = SplitLines(before);
        ASSERT_TRUE(registryfile::SetValue(text, "K", "new", "v"));
        const TextLines reread = SplitLines(settingsfiles::JoinLines(text));
        std::string value;
        EXPECT_EQ(registryfile::FindValue(reread, "K", "new", &value), ValueState::String) << before;
        EXPECT_EQ(value, "v") << before;
    }
}

TEST(RegistryFileEditing, KeepsWhatItDoesNotUnderstand) {
    TextLines text = SplitLines(
        "REGEDIT4\n; kept by hand\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Orvane Emulator\\Colors]\n"
        "\"Size\"=dword:0000000c\n\"Fore\"=\"RED\"\n\n[HKEY_LOCAL_MACHINE\\X]\n\"Fore\"=\"keep\"\n");
    ASSERT_TRUE(registryfile::SetValue(text, kColors, "fore", "WHITE"));
    ASSERT_TRUE(registryfile::SetValue(text, kColors, "Back", "BLUE"));
    ASSERT_TRUE(registryfile::SetValue(text, "SOFTWARE\\Orvane Emulator\\MRU", "File1", "host"));
    EXPECT_EQ(settingsfiles::JoinLines(text),
              "REGEDIT4\n; kept by hand\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Orvane Emulator\\Colors]\n"
              "\"Size\"=dword:0000000c\n\"Fore\"=\"WHITE\"\n\"Back\"=\"BLUE\"\n\n[HKEY_LOCAL_MACHINE\\X]\n"
              "\"Fore\"=\"keep\"\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Orvane Emulator\\MRU]\n\"File1\"=\"host\"\n");
}

TEST(RegistryFileEditing, StartsAFileWithTheHeader) {
    TextLines text = SplitLines("");
    EXPECT_TRUE(registryfile::AddKey(text, "Software\\Orvane Emulator\\MRU"));
    EXPECT_FALSE(registryfile::AddKey(text, "SOFTWARE\\orvane emulator\\mru")) << "the key exists already";
    EXPECT_EQ(settingsfiles::JoinLines(text), "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Orvane Emulator\\MRU]\r\n");

    TextLines foreign = SplitLines("junk line\n");
    ASSERT_TRUE(registryfile::SetValue(foreign, "K", "a", "1"));
    EXPECT_EQ(settingsfiles::JoinLines(foreign), "REGEDIT4\n\njunk line\n\n[HKEY_CURRENT_USER\\K]\n\"a\"=\"1\"\n");
}

TEST(RegistryFileEditing, RefusesNamesAndPathsItCannotWrite) {
    TextLines text;
    EXPECT_FALSE(registryfile::SetValue(text, "K", "bad\nname", "v"));
    EXPECT_TRUE(text.lines.empty());
    struct {
        const char* path;
        std::string normalized;
    } const paths[] = {
        {"Software\\X", "Software\\X"},
        {"\\Software\\X\\", "Software\\X"},
        {"Software\\\\X", ""},
        {"Soft\nware", ""},
        {"", ""},
        {nullptr, ""},
    };
    for (const auto& p : paths) EXPECT_EQ(registryfile::NormalizeKeyPath(p.path), p.normalized);
}

}  // namespace
