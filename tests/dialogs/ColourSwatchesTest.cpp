#include <gtest/gtest.h>

#include <cstdint>

#include "dialogs/ColourSwatches.h"

namespace {

struct Rgb {
    unsigned red, green, blue;
};

std::uint32_t Value(const Rgb& c) { return c.red + c.green * 256u + c.blue * 65536u; }

TEST(ColourSwatches, StartWithBackgroundsThenForegroundsInNameOrder) {
    // Names along each row: BLACK RED GREEN BROWN BLUE MAGENTA CYAN WHITE.
    const Rgb background[kSwatchesPerRow] = {{0, 0, 0},   {200, 0, 0},   {0, 200, 0},   {128, 64, 0},
                                             {0, 0, 180}, {200, 0, 200}, {0, 180, 180}, {220, 220, 220}};
    const Rgb foreground[kSwatchesPerRow] = {{10, 10, 10},  {255, 0, 0},   {0, 255, 0},   {200, 64, 64},
                                             {0, 128, 200}, {255, 0, 255}, {0, 255, 200}, {255, 255, 255}};
    const auto swatches = InitialSwatches();
    for (int i = 0; i < kSwatchesPerRow; ++i) {
        EXPECT_EQ(swatches[i], Value(background[i])) << "background swatch " << i + 1;
        EXPECT_EQ(swatches[kSwatchesPerRow + i], Value(foreground[i])) << "foreground swatch " << i + 1;
    }
    // The fifth swatch of the second row is the foreground BLUE.
    EXPECT_EQ(swatches[12], 0xC88000u);
}

struct FieldCase {
    const char* red;
    const char* green;
    const char* blue;
    std::uint32_t colour;
};

const FieldCase kFieldCases[] = {
    {"0", "128", "200", 0xC88000u},
    {"255", "255", "255", 0xFFFFFFu},
    {"300", "0", "0", 44u},                      // only the low 8 bits count
    {"0", "256", "511", 0xFF0000u},              // 256 -> 0, 511 -> 255
    {"", "", "", 0u},                            // empty fields read as 0
    {"  12", "\t7", "1", 0x01070Cu},             // leading blanks skipped
    {"12abc", "3 4", "9x", 0x09030Cu},           // digits up to the first other character
    {"-5", "+5", "abc", 0u},                     // no unsigned number at all
    {"4294967295", "0", "0", 0xFFu},             // the largest value still reads
    {"4294967296", "99999999999", "0", 0u},      // beyond 32 bits reads as 0
    {"00000000000000000000010", "0", "0", 10u},  // leading zeros are no overflow
};

TEST(ColourSwatches, ApplyColourFromTheNumberFields) {
    for (const FieldCase& c : kFieldCases) {
        EXPECT_EQ(ColourFromFieldTexts(c.red, c.green, c.blue), c.colour)
            << '"' << c.red << "\" \"" << c.green << "\" \"" << c.blue << '"';
    }
    EXPECT_EQ(ReadUnsignedField(nullptr), 0u);
}

}  // namespace
