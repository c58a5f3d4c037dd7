#include "dialogs/win32/CenterOverOwner.h"

namespace {

DialogRect FromRect(const RECT& r) { return DialogRect{r.left, r.top, r.right, r.bottom}; }

}  // namespace

void CenterOverOwner(HWND dialog, HWND owner) {
    RECT dialogRect;
    if (!GetWindowRect(dialog, &dialogRect)) return;
    RECT workArea;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0)) {
        workArea.left = 0;
        workArea.top = 0;
        workArea.right = GetSystemMetrics(SM_CXSCREEN);
        workArea.bottom = GetSystemMetrics(SM_CYSCREEN);
    }
    RECT ownerRect;
    if (!owner || !GetWindowRect(owner, &ownerRect)) ownerRect = workArea;
    const DialogPosition p = CenterOverOwner(FromRect(dialogRect), FromRect(ownerRect), FromRect(workArea));
    SetWindowPos(dialog, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
