// The parts of ovdrive's command language that need no Windows: the escapes
// of command and answer lines, and the key names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/KeyNames.h"
#include "driver/TextEscape.h"

namespace {

using ovdrive::EscapeText;
using ovdrive::KeySpec;
using ovdrive::ParseKey;
using ovdrive::UnescapeText;

TEST(DriverEscapes, DecodeEveryEscape) {
    struct Case {
        const char* in;
        std::string out;
    } cases[] = {
        {"plain text", "plain text"},
        {"a\\sb", "a b"},
        {"\\r\\n\\t\\e", "\r\n\t\x1b"},
        {"\\\\x41", "\\x41"},
        {"\\x41\\x7e\\xff\\x00z", std::string("A~\xff\0z", 5)},
        {"\\xaB", "\xab"},
        {"", ""},
    };
    for (const Case& c : cases) {
        std::string out, error;
        EXPECT_TRUE(UnescapeText(c.in, out, error)) << c.in << ": " << error;
        EXPECT_EQ(out, c.out) << c.in;
    }
}

TEST(DriverEscapes, RejectBadEscapesSayingWhy) {
    struct Case {
        const char* in;
        const char* says;
    } cases[] = {
        {"end\\", "backslash at the end"},
        {"\\q", "unknown escape \\q"},
        {"\\x4", "two hex digits"},
        {"\\xg1", "two hex digits"},
    };
    for (const Case& c : cases) {
        std::string out, error;
        EXPECT_FALSE(UnescapeText(c.in, out, error)) << c.in;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.in << " -> " << error;
    }
}

TEST(DriverEscapes, EncodeGivesOneLineThatDecodesBack) {
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    for (bool spaces : {false, true}) {
        const std::string encoded = EscapeText(all, spaces);
        EXPECT_EQ(encoded.find_first_of("\r\n"), std::string::npos);
        EXPECT_EQ(encoded.find(' ') == std::string::npos, spaces);
        std::string decoded, error;
        ASSERT_TRUE(UnescapeText(encoded, decoded, error)) << error;
        EXPECT_EQ(decoded, all);
    }
    EXPECT_EQ(EscapeText("a b\r\n\\", false), "a b\\r\\n\\\\");
    EXPECT_EQ(EscapeText("Probe question", true), "Probe\\squestion");
    EXPECT_EQ(EscapeText("\x1b\x80", false), "\\e\\x80");
}

TEST(DriverKeys, NamesNumbersAndModifiers) {
    struct Case {
        std::vector<std::string> args;
        int vk;
        bool extended, shift, ctrl, alt;
    } cases[] = {
        {{"F1"}, 0x70, false, false, false, false},
        {{"f16", "shift"}, 0x7F, false, true, false, false},
        {{"F24"}, 0x87, false, false, false, false},
        {{"LEFT", "ctrl", "shift"}, 0x25, true, true, true, false},
        {{"right"}, 0x27, true, false, false, false},
        {{"UP"}, 0x26, true, false, false, false},
        {{"DOWN", "ALT"}, 0x28, true, false, false, true},
        {{"INSERT"}, 0x2D, true, false, false, false},
        {{"DELETE"}, 0x2E, true, false, false, false},
        {{"HOME"}, 0x24, true, false, false, false},
        {{"END"}, 0x23, true, false, false, false},
        {{"PRIOR"}, 0x21, true, false, false, false},
        {{"NEXT"}, 0x22, true, false, false, false},
        {{"CANCEL", "ctrl"}, 0x03, true, false, true, false},
        {{"HELP"}, 0x2F, false, false, false, false},
        {{"RETURN"}, 0x0D, false, false, false, false},
        {{"x", "alt", "shift"}, 'X', false, true, false, true},
        {{"112"}, 0x70, false, false, false, false},
        {{"0x41"}, 0x41, false, false, false, false},
        {{"1"}, 1, false, false, false, false},
    };
    for (const Case& c : cases) {
        KeySpec key;
        std::string error;
        ASSERT_TRUE(ParseKey(c.args, key, error)) << c.args[0] << ": " << error;
        EXPECT_EQ(key.vk, c.vk) << c.args[0];
        EXPECT_EQ(key.extended, c.extended) << c.args[0];
        EXPECT_EQ(key.shift, c.shift) << c.args[0];
        EXPECT_EQ(key.ctrl, c.ctrl) << c.args[0];
        EXPECT_EQ(key.alt, c.alt) << c.args[0];
    }
}

TEST(DriverKeys, RejectUnknownKeysAndModifiers) {
    const std::vector<std::vector<std::string>> bad = {
        {}, {"F0"}, {"F25"}, {"0"}, {"255"}, {"NOSUCHKEY"}, {"F1", "meta"}, {"AB"}, {"12x"},
    };
    for (const auto& args : bad) {
        KeySpec key;
        std::string error;
        EXPECT_FALSE(ParseKey(args, key, error)) << (args.empty() ? "(none)" : args[0]);
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
