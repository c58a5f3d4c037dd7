// Key arguments of ovdrive's key commands: "VK [shift] [ctrl] [alt]", VK a
// number (decimal or 0x..), a key name (F1..F24, LEFT, PRIOR, CANCEL, ...) or a
// single letter. A digit is a number: the digit keys are 0x30..0x39.
// Portable, so the native tests check the table.
#pragma once

#include <string>
#include <vector>

namespace ovdrive {

struct KeySpec {
    int vk = 0;
    bool extended = false;  // an extended key (bit 24 of the key message)
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

// Reads the key and its modifiers; false with `error` for an unknown name, a
// number out of 1..254 or an unknown modifier.
bool ParseKey(const std::vector<std::string>& args, KeySpec& key, std::string& error);

}  // namespace ovdrive
