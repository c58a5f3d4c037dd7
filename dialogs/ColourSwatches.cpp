#include "dialogs/ColourSwatches.h"

#include <cstdint>

std::array<std::uint32_t, kSwatchCount> InitialSwatches() {
    return {
        // Background row.
        SwatchRgb(0, 0, 0), SwatchRgb(200, 0, 0), SwatchRgb(0, 200, 0), SwatchRgb(128, 64, 0),
        SwatchRgb(0, 0, 180), SwatchRgb(200, 0, 200), SwatchRgb(0, 180, 180), SwatchRgb(220, 220, 220),
        // Foreground row.
        SwatchRgb(10, 10, 10), SwatchRgb(255, 0, 0), SwatchRgb(0, 255, 0), SwatchRgb(200, 64, 64),
        SwatchRgb(0, 128, 200), SwatchRgb(255, 0, 255), SwatchRgb(0, 255, 200), SwatchRgb(255, 255, 255),
    };
}

unsigned ReadUnsignedField(const char* text) {
    if (!text) return 0;
    while (*text == ' ' || *text == '\t') ++text;
    std::uint64_t value = 0;
    bool anyDigit = false;
    for (; *text >= '0' && *text <= '9'; ++text) {
        anyDigit = true;
        value = value * 10 + static_cast<unsigned>(*text - '0');
        if (value > 0xFFFFFFFFu) return 0;
    }
    return anyDigit ? static_cast<unsigned>(value) : 0;
}

std::uint32_t ColourFromFieldTexts(const char* red, const char* green, const char* blue) {
    return SwatchRgb(ReadUnsignedField(red), ReadUnsignedField(green), ReadUnsignedField(blue));
}
