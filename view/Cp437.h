// The screen's character set is code page 437, the PC's own: the box-drawing
// characters of the graphics mode and the accented letters hosts send as
// 0x80..0xFF. Windows draws through Unicode, so every cell byte is mapped to
// the code point of its code page 437 glyph, whatever the system's code page.
#pragma once

#include <cstdint>

namespace cp437 {
// The glyph of byte b; 0x00..0x1F and 0x7F are the PC's symbol glyphs.
char16_t ToUnicode(unsigned char b);
}  // namespace cp437
