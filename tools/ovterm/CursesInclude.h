// curses.h names its opaque terminal type "struct screen", which would clash
// with the screen geometry namespace; the type is only used through pointers,
// so it is renamed here (C linkage does not see struct names).
#pragma once

#define screen curses_screen_type
#include <curses.h>
#undef screen
