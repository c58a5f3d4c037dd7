// Which colours a run of cells is drawn in: the colour codes of its attribute,
// protection, reverse, the alternate text colour and alternate intensity.
#pragma once

#include "view/WindowPort.h"

namespace colours {

constexpr unsigned kDefaultText = Rgb(0, 0, 0);
constexpr unsigned kDefaultBack = Rgb(255, 255, 255);
constexpr unsigned kAlternateText = Rgb(0, 128, 0);
constexpr unsigned kProtectedText = Rgb(200, 200, 200);

// Colour code 1..8 (BLACK .. WHITE) as foreground, as foreground at alternate
// intensity, and as background; code 0 and codes above 8 give the defaults.
unsigned Foreground(unsigned code, unsigned defaultText);
unsigned IntenseForeground(unsigned code, unsigned defaultText);
unsigned Background(unsigned code, unsigned defaultBack);

struct RunColours {
    unsigned text;
    unsigned back;
};

// The colours the device draws a run with (text on background), given the
// run's attribute bits and the view's current default and alternate colours.
RunColours ForAttribute(unsigned attr, unsigned defaultText, unsigned defaultBack, unsigned alternateText);

}  // namespace colours
