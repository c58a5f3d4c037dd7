// Which colours a run of cells is drawn in: the colour codes of its attribute,
// protection, reverse, the alternate text colour and alternate intensity.
#pragma once

#include "view/WindowPort.h"

namespace colours {

// Colour code 0 (and any unknown code) is drawn black on white.
constexpr unsigned kDefaultText = Rgb(0, 0, 0);
constexpr unsigned kDefaultBack = Rgb(255, 255, 255);
constexpr unsigned kAlternateText = Rgb(0, 128, 0);
constexpr unsigned kProtectedText = Rgb(200, 200, 200);

struct RunColours {
    unsigned text;
    unsigned back;
};

// The colours the device draws a run with (text on background), given the
// run's attribute bits.
RunColours ForAttribute(unsigned attr);

}  // namespace colours
