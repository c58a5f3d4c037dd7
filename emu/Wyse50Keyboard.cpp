// The keyboard side of the Wyse 50: the strings the special keys send, the
// host's and the user's definitions, and loading the user's per host.
#include <cstdio>
#include <cstring>

#include "emu/CWyse50Emulator.h"
#include "emu/KeyCodes.h"
#include "settings/HexDigit.h"
#include "settings/Settings.h"
#include "view/CTermView.h"
#include "view/MessageBoxes.h"

namespace {

// Built-in strings of the cursor and editing keys, in code order Left..Page Down.
const char* const kCursorKeyStrings[CWyse50Emulator::kCursorKeys] = {
    "\x15", "\x0c", "\x0b", "\x0a", "\x0e", "\x0f", "\x1e", "\x17", "\x1c", "\x1d",
};
// With Ctrl: Up, Insert and Delete have strings of their own; the rest send nothing.
const char* const kCtrlCursorKeyStrings[CWyse50Emulator::kCursorKeys] = {
    "", "", "\x1b{", "", "\x19", "\x19", "", "", "", "",
};

constexpr int kKeyNames = 80;
struct KeyName {
    const char* name;
    unsigned code;
};

// The user-definable keys, in the order they are read.
const KeyName* KeyNames() {
    static KeyName names[kKeyNames];
    static char functionNames[64][20];
    static bool built = false;
    if (built) return names;
    const KeyName fixed[16] = {
        {"KBD_PAGE_UP", keys::kPageUp},         {"KBD_PAGE_DOWN", keys::kPageDown},
        {"KBD_END", keys::kEnd},                {"KBD_HOME", keys::kHome},
        {"KBD_LEFT", keys::kLeft},              {"KBD_UP", keys::kUp},
        {"KBD_RIGHT", keys::kRight},            {"KBD_DOWN", keys::kDown},
        {"KBD_INSERT", keys::kInsert},          {"KBD_DELETE", keys::kDelete},
        {"KBD_CTL_PAGE_UP", keys::kPageUp | keys::kCtrl},
        {"KBD_CTL_PAGE_DOWN", keys::kPageDown | keys::kCtrl},
        {"KBD_CTL_END", keys::kEnd | keys::kCtrl},
        {"KBD_CTL_HOME", keys::kHome | keys::kCtrl},
        {"KBD_CTL_LEFT", keys::kLeft | keys::kCtrl},
        {"KBD_CTL_RIGHT", keys::kRight | keys::kCtrl},
    };
    for (int i = 0; i < 16; ++i) names[i] = fixed[i];
    const struct {
        const char* prefix;
        unsigned modifier;
    } groups[4] = {{"KBD_F", 0}, {"KBD_SHFT_F", keys::kShift}, {"KBD_CTL_F", keys::kCtrl}, {"KBD_ALT_F", keys::kAlt}};
    for (int g = 0; g < 4; ++g) {
        for (int f = 0; f < 16; ++f) {
            char* text = functionNames[g * 16 + f];
            std::snprintf(text, sizeof functionNames[0], "%s%d", groups[g].prefix, f + 1);
            names[16 + g * 16 + f] = {text, (keys::kF1 + static_cast<unsigned>(f)) | groups[g].modifier};
        }
    }
    built = true;
    return names;
}

}  // namespace

// The built-in string of a function key: SOH, a letter, CR.
void CWyse50Emulator::BuiltInFunctionKey(char out[4], unsigned key, int table) {
    out[0] = '\0';
    int index = static_cast<int>(key - keys::kF1);
    char letter;
    if (table == 0)
        letter = static_cast<char>('@' + index);
    else if (table == 1 || table == 2)
        letter = static_cast<char>('`' + index);
    else if (index < 6)
        letter = static_cast<char>('j' + index);
    else
        return;
    out[0] = '\x01';
    out[1] = letter;
    out[2] = '\r';
    out[3] = '\0';
}

void CWyse50Emulator::SendString(const char* text) {
    for (const char* p = text; *p; ++p) SendBytes(p, 1);
}

void CWyse50Emulator::SendFunctionKey(unsigned key, int table) {
    const char* defined = functionKeyStrings[table][key - keys::kF1];
    if (defined[0]) {
        SendString(defined);
        return;
    }
    char builtIn[4];
    BuiltInFunctionKey(builtIn, key, table);
    SendString(builtIn);
}

void CWyse50Emulator::SendKey(unsigned keyCode) {
    const unsigned k = keyCode & keys::kCodeMask;
    if (k == keys::kBreak) {
        SendBytes("\x7f", 1);
        return;
    }
    const bool function = keys::IsFunctionKey(k);
    const bool cursor = keys::IsCursorKey(k);
    if (keyCode & keys::kShift) {
        if (function) SendFunctionKey(k, 1);
    } else if (keyCode & keys::kAlt) {
        if (function) SendFunctionKey(k, 3);
    } else if (keyCode & keys::kCtrl) {
        if (cursor) {
            const char* defined = cursorKeyStrings[1][k - keys::kLeft];
            SendString(defined[0] ? defined : kCtrlCursorKeyStrings[k - keys::kLeft]);
        } else if (function) {
            SendFunctionKey(k, 2);
        }
    } else if (cursor) {
        const char* defined = cursorKeyStrings[0][k - keys::kLeft];
        SendString(defined[0] ? defined : kCursorKeyStrings[k - keys::kLeft]);
    } else if (function) {
        SendFunctionKey(k, 0);
    }
}

// Loads the user's key definitions for the host: its "keyboard" setting
// names the section that holds them. Definitions only add or replace.
void CWyse50Emulator::OnConnect(const char* host) {
    std::snprintf(hostName, sizeof hostName, "%s", host ? host : "");
    char section[100];
    ReadSetting("keyboard", "NULL", hostName, kApplicationName, kProfileBase, section, sizeof section);
    if (!section[0]) return;
    const KeyName* names = KeyNames();
    for (int i = 0; i < kKeyNames; ++i) {
        char value[100];
        ReadSetting(names[i].name, "", section, kApplicationName, kProfileBase, value, sizeof value);
        if (value[0]) StoreKeyDefinition(names[i].code, value);
    }
}

void CWyse50Emulator::StoreKeyDefinition(unsigned keyCode, const char* text) {
    const unsigned k = keyCode & keys::kCodeMask;
    if (keys::IsCursorKey(k)) {
        char* slot = cursorKeyStrings[(keyCode & keys::kCtrl) ? 1 : 0][k - keys::kLeft];
        ParseKeyDefinition(slot, kCursorKeyStringSize, text);
    } else if (keys::IsFunctionKey(k)) {
        int table = (keyCode & keys::kShift) ? 1 : (keyCode & keys::kCtrl) ? 2 : (keyCode & keys::kAlt) ? 3 : 0;
        ParseKeyDefinition(functionKeyStrings[table][k - keys::kF1], kKeyStringSize, text);
    }
}

// A definition is hexadecimal byte values: "1B", "\x1b", "\0x1B". A prefix,
// a space or a comma ends one value and starts the next, so "\x1b\x5b\x41"
// or "1b,5b,41" give three bytes. Invalid characters are reported and skipped.
void CWyse50Emulator::ParseKeyDefinition(char* out, int outSize, const char* text) {
    int length = 0;
    int value = -1;  // none yet
    auto finish = [&] {
        if (value >= 0 && length < outSize - 1) out[length++] = static_cast<char>(value & 0xFF);
        value = -1;
    };
    for (const char* p = text; *p;) {
        if (*p == ' ' || *p == ',') {
            finish();
            ++p;
        } else if (*p == '\\') {
            finish();
            if (std::strncmp(p, "\\0x", 3) == 0) {
                p += 3;
                value = 0;
            } else if (std::strncmp(p, "\\x", 2) == 0) {
                p += 2;
                value = 0;
            } else {
                ++p;
            }
        } else {
            int digit = HexDigit(*p);
            if (digit < 0) {
                view->MessageBox("Invalid Hex Number Found in Custom String", "Read in Custom User Defined Keys",
                                 mb::kIconExclamation);
            } else {
                value = ((value < 0 ? 0 : value) * 16 + digit) & 0xFFFF;
            }
            ++p;
        }
    }
    finish();
    out[length] = '\0';
}
