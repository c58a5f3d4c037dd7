#include "tools/ovterm/CursesPalette.h"

namespace ovterm {
namespace {

short CursesColour(int code) {
    static const short kColours[8] = {COLOR_BLACK, COLOR_BLUE,    COLOR_GREEN,  COLOR_CYAN,
                                      COLOR_RED,   COLOR_MAGENTA, COLOR_YELLOW, COLOR_WHITE};
    return code >= 1 && code <= 8 ? kColours[code - 1] : -1;
}

}  // namespace

void CursesPalette::Init() {
    colours = has_colors();
    pairs.clear();
    nextPair = 1;
    // A mid grey reads on light and dark backgrounds alike: xterm's 245 of
    // 256, bright black of 16. With eight colours there is no grey.
    grey = !colours ? -1 : COLORS >= 256 ? 245 : COLORS >= 16 ? 8 : -1;
}

short CursesPalette::PairOf(short fore, short back) {
    if (fore == -1 && back == -1) return 0;
    const auto key = std::make_pair(fore, back);
    const auto found = pairs.find(key);
    if (found != pairs.end()) return found->second;
    if (nextPair >= COLOR_PAIRS) return 0;
    const short pair = nextPair++;
    init_pair(pair, fore, back);
    pairs.emplace(key, pair);
    return pair;
}

CursesPalette::Shown CursesPalette::For(const CellLook& look) {
    Shown shown;
    if (look.reverse) shown.attrs |= A_REVERSE;
    if (look.underline) shown.attrs |= A_UNDERLINE;
    if (look.blink) shown.attrs |= A_BLINK;
    if (look.dim) shown.attrs |= A_DIM;
    if (!colours) {
        // The Wyse 50's dim is the alternate colour; protected text is grey.
        if (look.protectedText || look.altColour) shown.attrs |= A_DIM;
        shown.blank = look.invisible;
        return shown;
    }
    // The Windows program's order: the code's colour, grey when protected,
    // green for the alternate colour, the code's own again for alternate
    // intensity.
    short fore = CursesColour(look.fore);
    if (look.protectedText) {
        if (grey >= 0) fore = grey;
        else shown.attrs |= A_DIM;
    }
    if (look.altColour) fore = COLOR_GREEN;
    if (look.dim) fore = CursesColour(look.fore);
    shown.pair = PairOf(fore, CursesColour(look.back));
    return shown;
}

}  // namespace ovterm
