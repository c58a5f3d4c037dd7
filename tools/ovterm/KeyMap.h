// The user's terminal keys (curses key codes) as the emulator's internal key
// codes, and the keys ovterm keeps for itself.
#pragma once

namespace ovterm {

enum class KeyAction { kNone, kSendKey, kType, kScrollUp, kScrollDown };

struct KeyResult {
    KeyAction action = KeyAction::kNone;
    unsigned code = 0;  // kSendKey: internal key code with modifiers; kType: the byte
};

// key is what wgetch answered: a byte (0..255) or a KEY_* code.
KeyResult MapKey(int key);

}  // namespace ovterm
