// The screen's own code page 437 font: 8 x 12 pixels, the cell of the PC's
// OEM font at 96 DPI. Built into the program from a bitmap font at build time
// (view/font/make_cp437_font.py), so that every code looks the same whatever
// fonts and code pages the system has.
#pragma once

namespace cp437 {
inline constexpr int kFontWidth = 8;
inline constexpr int kFontHeight = 12;
// Pixel row y of code c; bit 7 is the leftmost pixel.
extern const unsigned char kFontRows[256][kFontHeight];
}  // namespace cp437
