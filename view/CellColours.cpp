#include "view/CellColours.h"

#include "view/CTermView.h"

namespace colours {
namespace {
struct CodeColours {
    unsigned fore, intense, back;
};
// Indexed by colour code - 1: BLACK, BLUE, GREEN, CYAN, RED, MAGENTA, BROWN, WHITE.
constexpr CodeColours kCodes[8] = {
    {Rgb(10, 10, 10), Rgb(100, 100, 100), Rgb(0, 0, 0)},
    {Rgb(50, 50, 180), Rgb(0, 0, 255), Rgb(0, 0, 180)},
    {Rgb(0, 180, 0), Rgb(0, 255, 0), Rgb(0, 200, 0)},
    {Rgb(0, 180, 180), Rgb(0, 100, 180), Rgb(0, 180, 180)},
    {Rgb(200, 0, 0), Rgb(255, 0, 0), Rgb(200, 0, 0)},
    {Rgb(200, 0, 200), Rgb(255, 0, 255), Rgb(200, 0, 200)},
    {Rgb(180, 100, 100), Rgb(150, 100, 100), Rgb(128, 64, 0)},
    {Rgb(255, 255, 255), Rgb(200, 200, 200), Rgb(255, 255, 255)},
};
bool Known(unsigned code) { return code >= 1 && code <= 8; }
}  // namespace

RunColours ForAttribute(unsigned attr) {
    const unsigned fore = (attr & cell::kForeMask) >> cell::kForeShift;
    const unsigned backCode = (attr & cell::kBackMask) >> cell::kBackShift;
    unsigned text = Known(fore) ? kCodes[fore - 1].fore : kDefaultText;
    if (attr & cell::kProtected) text = kProtectedText;
    const unsigned back = Known(backCode) ? kCodes[backCode - 1].back : kDefaultBack;
    const unsigned shown = (attr & cell::kAltColour) ? kAlternateText : text;
    RunColours run = (attr & cell::kReverse) ? RunColours{back, shown} : RunColours{shown, back};
    // Alternate intensity replaces the text colour last, as the device sees it.
    if (attr & cell::kAltIntensity) run.text = Known(fore) ? kCodes[fore - 1].intense : kDefaultText;
    return run;
}

}  // namespace colours
