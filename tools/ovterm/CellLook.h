// How one cell of the store is shown on a character terminal.
#pragma once

#include <string>

namespace ovterm {

struct CellLook {
    std::string glyph;  // UTF-8 (code page 437 glyph) or, without UTF-8, ASCII/ACS fallback
    char acs = 0;       // non-zero: the curses ACS letter to draw instead (non-UTF-8 only)
    bool reverse = false, underline = false, blink = false;
    bool dim = false;            // alternate intensity
    bool protectedText = false;  // the Windows program paints it light grey
    bool altColour = false;      // the view's alternate text colour (green)
    bool invisible = false;      // foreground code equals background code
    int fore = 0, back = 0;      // colour codes 1..8 of the settings, 0 for the default
};

CellLook LookOf(unsigned cellWord, bool utf8);

}  // namespace ovterm
