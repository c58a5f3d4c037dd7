// Line-drawing characters (code page 437) for the bytes 0x30..0x3F in
// graphics mode and after ESC H.
#pragma once

namespace wyse50 {
constexpr unsigned char kGraphicsCharacters[16] = {
    0xC2, 0xC0, 0xDA, 0xBF, 0xC3, 0xD9, 0xB3, 0xDB,
    0xC5, 0xB4, 0xC4, 0xB1, 0xCD, 0xC1, 0xBA, 0xB0,
};

inline bool IsGraphicsSelector(unsigned char b) { return b >= 0x30 && b <= 0x3F; }
inline unsigned char GraphicsCharacter(unsigned char b) { return kGraphicsCharacters[b - 0x30]; }
}  // namespace wyse50
