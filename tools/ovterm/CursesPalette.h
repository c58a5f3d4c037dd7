// The cell looks as curses attributes and colour pairs, by what the
// terminal can show: colour codes as the eight curses colours (code 0 is the
// terminal's own default), the Windows program's grey for protected text as
// a grey where the terminal has one and as dim otherwise, its green for the
// alternate text colour, and invisible text as blanks without colours.
#pragma once

#include <map>
#include <utility>

#include "tools/ovterm/CellLook.h"
#include "tools/ovterm/CursesInclude.h"

namespace ovterm {

class CursesPalette {
public:
    // After start_color (or without it on a terminal without colours).
    void Init();

    struct Shown {
        attr_t attrs = A_NORMAL;
        short pair = 0;
        bool blank = false;  // draw a space instead of the glyph
    };
    Shown For(const CellLook& look);

private:
    short PairOf(short fore, short back);

    bool colours = false;
    short grey = -1;  // the colour for protected text, -1 when there is none
    std::map<std::pair<short, short>, short> pairs;
    short nextPair = 1;
};

}  // namespace ovterm
