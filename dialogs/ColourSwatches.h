// The colour dialog's sixteen swatches and the colour its Apply button
// reports. Colours are Windows RGB values: red + green * 256 + blue * 65536.
#pragma once

#include <array>
#include <cstdint>

inline constexpr int kSwatchCount = 16;
inline constexpr int kSwatchesPerRow = 8;

constexpr std::uint32_t SwatchRgb(unsigned red, unsigned green, unsigned blue) {
    return (red & 0xFFu) | ((green & 0xFFu) << 8) | ((blue & 0xFFu) << 16);
}

// In grid order: the first row the background colours, the second the
// foreground colours, named BLACK, RED, GREEN, BROWN, BLUE, MAGENTA, CYAN
// and WHITE along each row.
std::array<std::uint32_t, kSwatchCount> InitialSwatches();

// A number field read the way the dialog manager reads an unsigned number:
// leading blanks skipped, decimal digits up to the first other character;
// no digits, or a value beyond 32 bits, reads as 0.
unsigned ReadUnsignedField(const char* text);

// The colour from the red, green and blue field texts, each cut to its low
// 8 bits (300 gives 44).
std::uint32_t ColourFromFieldTexts(const char* red, const char* green, const char* blue);
