// Centres a dialog over its owner inside the desktop work area (the rule of
// dialogs/CenterOverOwner.h), for every dialog of both programs.
#pragma once

#include <windows.h>

#include "dialogs/CenterOverOwner.h"

// Without an owner (or with one that is gone) the dialog is centred in the
// work area.
void CenterOverOwner(HWND dialog, HWND owner);
