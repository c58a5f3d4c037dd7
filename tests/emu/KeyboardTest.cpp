// Key strings: built-in ones, those the host programs, and the user's
// definitions loaded per host from the settings.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "emu/CWyse50Emulator.h"
#include "emu/KeyCodes.h"
#include "session/CTermController.h"
#include "settings/Settings.h"
#include "support/TempDirectory.h"
#include "tools/replay/CaptureDevices.h"
#include "tools/replay/HeadlessPort.h"
#include "view/CWinTermView.h"

namespace fs = std::filesystem;
using testsupport::ToHex;

namespace {

class NotingPort : public CHeadlessPort {
public:
    int MessageBox(const char* text, const char* caption, unsigned) override {
        boxes.push_back(std::string(caption) + ": " + text);
        return 1;
    }
    std::vector<std::string> boxes;
};

struct Keyboard {
    Keyboard() {
        int failed = 0;
        view = new CWinTermView(&controller, &failed, &port);
        controller.AdoptView(view);
        controller.AdoptPrinter(new CCapturePrinter);
        int status = 0;
        comms = new CCaptureComm(&status, view, nullptr);
        controller.AdoptComms(comms);
        controller.CreateEmulator(&status, view, nullptr, CTermController::kWyse50Emulator);
        emulator = static_cast<CWyse50Emulator*>(controller.Emulator());
    }
    std::string Press(unsigned code) {
        comms->sent.clear();
        emulator->SendKey(code);
        return ToHex(comms->sent);
    }
    NotingPort port;
    CTermController controller;
    CWinTermView* view = nullptr;
    CCaptureComm* comms = nullptr;
    CWyse50Emulator* emulator = nullptr;
};

using namespace keys;
constexpr unsigned kF2 = kF1 + 1;

TEST(KeyboardBuiltIn, StringsOfEveryKeyAndModifier) {
    const struct {
        unsigned code;
        const char* sent;
    } cases[] = {
        {kF1, "01 40 0d"},
        {kF16, "01 4f 0d"},
        {kF1 | kShift, "01 60 0d"},
        {kF16 | kShift, "01 6f 0d"},
        {kF1 | kCtrl, "01 60 0d"},
        {kF1 | kAlt, "01 6a 0d"},
        {(kF1 + 5) | kAlt, "01 6f 0d"},
        {(kF1 + 6) | kAlt, ""},
        {kF1 | kShift | kCtrl, "01 60 0d"},
        {kF1 | kShift | kAlt, "01 60 0d"},
        {kLeft, "15"},
        {kRight, "0c"},
        {kUp, "0b"},
        {kDown, "0a"},
        {kInsert, "0e"},
        {kDelete, "0f"},
        {kHome, "1e"},
        {kEnd, "17"},
        {kPageUp, "1c"},
        {kPageDown, "1d"},
        {kLeft | kShift, ""},
        {kUp | kCtrl, "1b 7b"},
        {kInsert | kCtrl, "19"},
        {kDelete | kCtrl, "19"},
        {kHome | kCtrl, ""},
        {kLeft | kAlt, ""},
        {kBreak, "7f"},
        {kBreak | kCtrl | kShift | kAlt, "7f"},
        {0x11A, ""},
        {0x0FF, ""},
    };
    Keyboard k;
    for (const auto& c : cases) EXPECT_EQ(k.Press(c.code), c.sent) << std::hex << c.code;
}

TEST(KeyboardHost, EscZReplacesAKeyUntilAnEmptyStringRestoresIt) {
    Keyboard k;
    k.emulator->OnReceive("\x1bz@XY\x7f", 6);
    EXPECT_EQ(k.Press(kF1), "58 59");
    EXPECT_EQ(k.Press(kF1 | kShift), "01 60 0d");
    k.emulator->OnReceive("\x1bz`S\x7f", 5);
    EXPECT_EQ(k.Press(kF1 | kShift), "53");
    k.emulator->OnReceive("\x1bz@\x7f", 4);
    EXPECT_EQ(k.Press(kF1), "01 40 0d");
}

TEST(KeyboardDefinitions, ParsingHexValues) {
    const struct {
        const char* text;
        const char* bytes;
        int messages;
    } cases[] = {
        {"\\x1b", "1b", 0},
        {"1B", "1b", 0},
        {"\\0x1B", "1b", 0},
        {"1G", "01", 1},
        {"GG", "", 2},
        {"", "", 0},
        {"\\x1b\\x5b\\x41", "1b 5b 41", 0},
        {"1b,5b,41", "1b 5b 41", 0},
        {"1b 0d", "1b 0d", 0},
        {"\\x", "", 0},  // a zero byte would end the string
        {"fff", "ff", 0},
    };
    for (const auto& c : cases) {
        Keyboard k;
        char out[80] = "junk";
        k.emulator->ParseKeyDefinition(out, sizeof out, c.text);
        EXPECT_EQ(ToHex(out), c.bytes) << c.text;
        EXPECT_EQ(static_cast<int>(k.port.boxes.size()), c.messages) << c.text;
        if (c.messages) {
            EXPECT_EQ(k.port.boxes[0],
                      "Read in Custom User Defined Keys: Invalid Hex Number Found in Custom String");
        }
    }
}

TEST(KeyboardDefinitions, AParsedStringNeverOverrunsItsSlot) {
    Keyboard k;
    char slot[8];
    k.emulator->ParseKeyDefinition(slot, sizeof slot, "1 2 3 4 5 6 7 8 9 a b");
    EXPECT_EQ(ToHex(slot), "01 02 03 04 05 06 07");
}

TEST(KeyboardDefinitions, StoreChoosesTheSlotByModifier) {
    Keyboard k;
    k.emulator->StoreKeyDefinition(kF1 | kCtrl, "41");
    k.emulator->StoreKeyDefinition(kF1 | kAlt, "42");
    k.emulator->StoreKeyDefinition(kHome | kCtrl, "43");
    k.emulator->StoreKeyDefinition(kLeft, "44");
    k.emulator->StoreKeyDefinition(kBreak, "45");
    EXPECT_EQ(k.Press(kF1 | kCtrl), "41");
    EXPECT_EQ(k.Press(kF1 | kAlt), "42");
    EXPECT_EQ(k.Press(kHome | kCtrl), "43");
    EXPECT_EQ(k.Press(kLeft), "44");
    EXPECT_EQ(k.Press(kBreak), "7f");
    EXPECT_EQ(k.Press(kF1), "01 40 0d");
}

// Settings live under XDG_CONFIG_HOME on this platform; each test gets its own.
class KeyboardSettings : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        config = fs::path(testsupport::WorkDirectory()) / ("keys-" + std::string(GetParam()));
        fs::remove_all(config);
        fs::create_directories(config);
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        setenv("OVTERM_STORAGE", GetParam(), 1);
    }
    void TearDown() override {
        unsetenv("OVTERM_STORAGE");
        unsetenv("XDG_CONFIG_HOME");
        fs::remove_all(config);
    }
    static void Write(const char* section, const char* key, const char* value) {
        ASSERT_EQ(WriteSetting(key, section, kApplicationName, kProfileBase, value), 1);
    }
    fs::path config;
};

TEST_P(KeyboardSettings, OnConnectLoadsTheHostsKeyboardSection) {
    Write("myhost", "keyboard", "WYSEKEYS");
    Write("WYSEKEYS", "KBD_F1", "\\x1b");
    Write("WYSEKEYS", "KBD_CTL_HOME", "1e");
    Write("WYSEKEYS", "KBD_SHFT_F16", "\\x1b\\x5b\\x41");
    Write("WYSEKEYS", "KBD_CTL_RIGHT", "06");
    Keyboard k;
    k.emulator->OnConnect("myhost");
    EXPECT_STREQ(k.emulator->HostName(), "myhost");
    EXPECT_EQ(k.Press(kF1), "1b");
    EXPECT_EQ(k.Press(kHome | kCtrl), "1e");
    EXPECT_EQ(k.Press(kF16 | kShift), "1b 5b 41");
    EXPECT_EQ(k.Press(kRight | kCtrl), "06");
    EXPECT_EQ(k.Press(kF2), "01 41 0d");
}

TEST_P(KeyboardSettings, AHostWithoutAKeyboardSettingChangesNothing) {
    Write("WYSEKEYS", "KBD_F1", "41");
    Keyboard k;
    k.emulator->OnReceive("\x1bzAhost\x7f", 9);
    k.emulator->OnConnect("otherhost");
    EXPECT_EQ(k.Press(kF1), "01 40 0d");
    EXPECT_EQ(k.Press(kF2), "68 6f 73 74");
}

TEST_P(KeyboardSettings, DefinitionsAddAndReplaceButNeverClear) {
    Write("first", "keyboard", "ONE");
    Write("ONE", "KBD_F1", "31");
    Write("ONE", "KBD_F2", "32");
    Write("second", "keyboard", "TWO");
    Write("TWO", "KBD_F2", "33");
    Keyboard k;
    k.emulator->OnConnect("first");
    k.emulator->OnConnect("second");
    EXPECT_STREQ(k.emulator->HostName(), "second");
    EXPECT_EQ(k.Press(kF1), "31");
    EXPECT_EQ(k.Press(kF2), "33");
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, KeyboardSettings, ::testing::Values("registry", "profile"));

TEST(KeyboardVirtualKeys, TheTableHas28PairsWithF1AndHelpSharingACode) {
    int f1 = 0;
    for (const auto& pair : kVirtualKeyTable) f1 += pair.code == kF1;
    EXPECT_EQ(f1, 2);
    EXPECT_EQ(kVirtualKeyTable[0].virtualKey, 0x03u);
    EXPECT_EQ(kVirtualKeyTable[0].code, kBreak);
    EXPECT_EQ(kVirtualKeyTable[27].virtualKey, 0x7Fu);
    EXPECT_EQ(kVirtualKeyTable[27].code, kF16);
}

}  // namespace
