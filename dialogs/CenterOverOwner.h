// Where a dialog goes when it is centred over its owner: the arithmetic
// shared by every dialog of both programs, over plain screen rectangles so
// that it can be checked without a window system.
#pragma once

struct DialogRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct DialogPosition {
    int x = 0;
    int y = 0;
};

// The dialog's new top-left corner: centred over the owner (integer halves,
// rounding towards zero), then pushed inside the work area, the left and top
// edges winning when the dialog is larger than the work area.
DialogPosition CenterOverOwner(const DialogRect& dialog, const DialogRect& owner, const DialogRect& workArea);
