#include "tools/ovterm/CellLook.h"

#include "tools/replay/ScreenText.h"
#include "view/CTermView.h"
#include "view/Cp437.h"

namespace ovterm {
namespace {
// Line drawing as the curses ACS letters (vt100 graphics set) where the
// terminal cannot show the code page 437 glyph itself.
char AcsOf(char16_t cp) {
    switch (cp) {
    case 0x2500: case 0x2550: return 'q';
    case 0x2502: case 0x2551: return 'x';
    case 0x250C: case 0x2554: case 0x2552: case 0x2553: return 'l';
    case 0x2510: case 0x2557: case 0x2555: case 0x2556: return 'k';
    case 0x2514: case 0x255A: case 0x2558: case 0x2559: return 'm';
    case 0x2518: case 0x255D: case 0x255B: case 0x255C: return 'j';
    case 0x251C: case 0x2560: case 0x255E: case 0x255F: return 't';
    case 0x2524: case 0x2563: case 0x2561: case 0x2562: return 'u';
    case 0x252C: case 0x2566: case 0x2564: case 0x2565: return 'w';
    case 0x2534: case 0x2569: case 0x2567: case 0x2568: return 'v';
    case 0x253C: case 0x256C: case 0x256A: case 0x256B: return 'n';
    case 0x2591: case 0x2592: case 0x2593: return 'a';
    case 0x2588: case 0x2584: case 0x2580: case 0x258C: case 0x2590: case 0x25A0: return '0';
    case 0x00B0: return 'f';
    case 0x00B1: return 'g';
    case 0x2264: return 'y';
    case 0x2265: return 'z';
    case 0x03C0: return '{';
    case 0x00B7: case 0x2219: return '~';
    default: return 0;
    }
}
}  // namespace

CellLook LookOf(unsigned word, bool utf8) {
    CellLook look;
    const unsigned char ch = static_cast<unsigned char>(word & cell::kCharMask);
    if (utf8) {
        look.glyph = Cp437ToUtf8(ch);
    } else if (ch >= 0x20 && ch < 0x7F) {
        look.glyph.assign(1, static_cast<char>(ch));
    } else if (ch == 0x00) {
        look.glyph = " ";
    } else {
        look.acs = AcsOf(cp437::ToUnicode(ch));
        look.glyph = look.acs ? "" : "?";
    }
    look.reverse = (word & cell::kReverse) != 0;
    look.underline = (word & cell::kUnderline) != 0;
    look.blink = (word & cell::kBlink) != 0;
    look.dim = (word & cell::kAltIntensity) != 0;
    look.protectedText = (word & cell::kProtected) != 0;
    look.altColour = (word & cell::kAltColour) != 0;
    look.fore = static_cast<int>((word & cell::kForeMask) >> cell::kForeShift);
    look.back = static_cast<int>((word & cell::kBackMask) >> cell::kBackShift);
    if (look.fore > 8) look.fore = 0;
    if (look.back > 8) look.back = 0;
    // ESC G 1 sets the foreground code to the background's; the Windows
    // program's grey, green and intense text colours still show on it.
    look.invisible =
        look.fore != 0 && look.fore == look.back && !look.protectedText && !look.altColour && !look.dim;
    return look;
}

}  // namespace ovterm
