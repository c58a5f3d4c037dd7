// Internal key codes for the cursor, editing and function keys, the modifier
// bits ORed into them, and the virtual keys of the keyboard that produce them.
#pragma once

namespace keys {
constexpr unsigned kLeft = 0x100;
constexpr unsigned kRight = 0x101;
constexpr unsigned kUp = 0x102;
constexpr unsigned kDown = 0x103;
constexpr unsigned kInsert = 0x104;
constexpr unsigned kDelete = 0x105;
constexpr unsigned kHome = 0x106;
constexpr unsigned kEnd = 0x107;
constexpr unsigned kPageUp = 0x108;
constexpr unsigned kPageDown = 0x109;
constexpr unsigned kF1 = 0x10A;
constexpr unsigned kF16 = 0x119;
constexpr unsigned kBreak = 0x11B;

constexpr unsigned kShift = 0x1000;
constexpr unsigned kCtrl = 0x2000;
constexpr unsigned kAlt = 0x4000;
// Strips the modifier bits (Shift is 0x1000, so the mask stops below it).
constexpr unsigned kCodeMask = 0x0FFF;

inline bool IsCursorKey(unsigned k) { return k >= kLeft && k <= kPageDown; }
inline bool IsFunctionKey(unsigned k) { return k >= kF1 && k <= kF16; }

// Virtual keys (the Windows VK_ values) and the code each produces, in the
// order they are searched. F1 and Help share a code.
struct VirtualKeyPair {
    unsigned virtualKey;
    unsigned code;
};
constexpr int kVirtualKeyPairs = 28;
extern const VirtualKeyPair kVirtualKeyTable[kVirtualKeyPairs];

// Virtual keys of the modifiers, as the platform's key-state query takes them.
constexpr unsigned kVkShift = 0x10;
constexpr unsigned kVkControl = 0x11;
constexpr unsigned kVkMenu = 0x12;  // Alt
}  // namespace keys
