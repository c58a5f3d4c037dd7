// Dialog 101: host name in, blocking connect, then closed whatever happened
// (the controller reports failures itself).
#include <windows.h>

#include "dialogs/win32/CenterOverOwner.h"
#include "dialogs/win32/DialogIds.h"
#include "dialogs/win32/Dialogs.h"
#include "session/CTermController.h"

namespace {

constexpr int kHostChars = 99;

// The controller the open Connect dialog hands its host to.
CTermController* connectController = nullptr;

INT_PTR CALLBACK ConnectDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            connectController = reinterpret_cast<CTermController*>(lParam);
            SendDlgItemMessageA(dialog, IDC_CONNECT_HOST, EM_LIMITTEXT, kHostChars, 0);
            CenterOverOwner(dialog, GetWindow(dialog, GW_OWNER));
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK: {
                    char host[kHostChars + 1] = "";
                    GetDlgItemTextA(dialog, IDC_CONNECT_HOST, host, sizeof host);
                    // The dialog stays up, its buttons dead, until the
                    // attempt has ended.
                    EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
                    EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
                    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
                    if (connectController) connectController->Connect(host);
                    SetCursor(previous);
                    EndDialog(dialog, 1);
                    return TRUE;
                }
                case IDCANCEL:
                    EndDialog(dialog, 1);
                    return TRUE;
            }
            break;
    }
    return FALSE;
}

}  // namespace

void RunConnectDialog(HWND owner, CTermController* controller) {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CONNECT), owner, ConnectDialogProc,
                    reinterpret_cast<LPARAM>(controller));
    connectController = nullptr;
}
