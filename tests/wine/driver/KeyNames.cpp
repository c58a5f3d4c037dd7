#include "KeyNames.h"

#include <cctype>
#include <cstdlib>

namespace ovdrive {

namespace {

struct NamedKey {
    const char* name;
    int vk;
    bool extended;
};

// Virtual-key codes as Windows numbers them. The cursor and editing block
// and Ctrl+Break are extended keys on a 101-key keyboard.
const NamedKey kNamedKeys[] = {
    {"BACK", 0x08, false},    {"TAB", 0x09, false},     {"CLEAR", 0x0C, false},
    {"RETURN", 0x0D, false},  {"ENTER", 0x0D, false},   {"PAUSE", 0x13, false},
    {"ESCAPE", 0x1B, false},  {"ESC", 0x1B, false},     {"SPACE", 0x20, false},
    {"PRIOR", 0x21, true},    {"PAGEUP", 0x21, true},   {"NEXT", 0x22, true},
    {"PAGEDOWN", 0x22, true}, {"END", 0x23, true},      {"HOME", 0x24, true},
    {"LEFT", 0x25, true},     {"UP", 0x26, true},       {"RIGHT", 0x27, true},
    {"DOWN", 0x28, true},     {"INSERT", 0x2D, true},   {"DELETE", 0x2E, true},
    {"HELP", 0x2F, false},    {"CANCEL", 0x03, true},   {"SHIFT", 0x10, false},
    {"CONTROL", 0x11, false}, {"MENU", 0x12, false},    {"MULTIPLY", 0x6A, false},
    {"ADD", 0x6B, false},     {"SUBTRACT", 0x6D, false}, {"DIVIDE", 0x6F, true},
};

bool SameName(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != b[i]) return false;
    }
    return i == a.size() && !b[i];
}

bool ParseVk(const std::string& text, KeySpec& key, std::string& error) {
    for (const NamedKey& named : kNamedKeys) {
        if (SameName(text, named.name)) {
            key.vk = named.vk;
            key.extended = named.extended;
            return true;
        }
    }
    const unsigned char first = text.empty() ? 0 : static_cast<unsigned char>(text[0]);
    if ((first == 'F' || first == 'f') && text.size() > 1 && std::isdigit(static_cast<unsigned char>(text[1]))) {
        char* end = nullptr;
        long n = strtol(text.c_str() + 1, &end, 10);
        if (*end == '\0' && n >= 1 && n <= 24) {
            key.vk = 0x70 + static_cast<int>(n) - 1;
            return true;
        }
    }
    if (text.size() == 1 && std::isalpha(first)) {
        key.vk = std::toupper(first);
        return true;
    }
    if (!text.empty() && std::isdigit(first)) {
        char* end = nullptr;
        long n = strtol(text.c_str(), &end, 0);
        if (*end == '\0' && n >= 1 && n <= 254) {
            key.vk = static_cast<int>(n);
            return true;
        }
    }
    error = "unknown key \"" + text + "\"";
    return false;
}

}  // namespace

bool ParseKey(const std::vector<std::string>& args, KeySpec& key, std::string& error) {
    key = KeySpec();
    if (args.empty()) {
        error = "missing key";
        return false;
    }
    if (!ParseVk(args[0], key, error)) return false;
    for (size_t i = 1; i < args.size(); ++i) {
        if (SameName(args[i], "SHIFT")) {
            key.shift = true;
        } else if (SameName(args[i], "CTRL")) {
            key.ctrl = true;
        } else if (SameName(args[i], "ALT")) {
            key.alt = true;
        } else {
            error = "unknown modifier \"" + args[i] + "\" (shift, ctrl or alt)";
            return false;
        }
    }
    return true;
}

}  // namespace ovdrive
