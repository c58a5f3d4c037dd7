#include "dialogs/CenterOverOwner.h"

namespace {

// One axis: the dialog's start, given its size, the owner's span and the
// work area's span.
int CentreOnAxis(int dialogSize, int ownerStart, int ownerEnd, int areaStart, int areaEnd) {
    int start = ownerStart + ((ownerEnd - ownerStart) - dialogSize) / 2;
    if (start < areaStart) {
        start = areaStart;
    } else if (start + dialogSize > areaEnd) {
        start = areaEnd - dialogSize;
    }
    return start;
}

}  // namespace

DialogPosition CenterOverOwner(const DialogRect& dialog, const DialogRect& owner, const DialogRect& workArea) {
    DialogPosition position;
    position.x = CentreOnAxis(dialog.right - dialog.left, owner.left, owner.right, workArea.left, workArea.right);
    position.y = CentreOnAxis(dialog.bottom - dialog.top, owner.top, owner.bottom, workArea.top, workArea.bottom);
    return position;
}
