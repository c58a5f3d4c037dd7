// Settings, FTP (dialog 110) and Utilities, Download File / Upload File
// (dialog 111). The transfer itself, its script and its messages belong to
// the menu transfer flow; these dialogs only collect its fields.
#include <windows.h>

#include <string>

#include "dialogs/win32/CenterOverOwner.h"
#include "dialogs/win32/DialogIds.h"
#include "dialogs/win32/Dialogs.h"
#include "ext/MenuTransfer.h"

namespace {

constexpr int kShortField = 99;   // host, user and password
constexpr int kLongField = 999;   // file name and directory

std::string FieldText(HWND dialog, int id, int maxChars) {
    std::string text(static_cast<std::size_t>(maxChars) + 1, '\0');
    const int length = GetDlgItemTextA(dialog, id, &text[0], maxChars + 1);
    text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return text;
}

void LimitField(HWND dialog, int id, int maxChars) {
    SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
}

// OK does the dialog's work and closes it with 1; Cancel closes it with 0.
INT_PTR CloseOnOkOrCancel(HWND dialog, WPARAM wParam, void (*onOk)(HWND)) {
    switch (LOWORD(wParam)) {
        case IDOK:
            onOk(dialog);
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
    }
    return FALSE;
}

void SaveLogin(HWND dialog) {
    SaveFtpLogin(FieldText(dialog, IDC_FTP_HOST, kShortField), FieldText(dialog, IDC_FTP_USER, kShortField),
                 FieldText(dialog, IDC_FTP_PASSWORD, kShortField));
}

INT_PTR CALLBACK FtpSettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            // Starts empty: nothing is read back from the settings.
            LimitField(dialog, IDC_FTP_HOST, kShortField);
            LimitField(dialog, IDC_FTP_USER, kShortField);
            LimitField(dialog, IDC_FTP_PASSWORD, kShortField);
            CenterOverOwner(dialog, GetWindow(dialog, GW_OWNER));
            return TRUE;
        case WM_COMMAND:
            return CloseOnOkOrCancel(dialog, wParam, SaveLogin);
    }
    return FALSE;
}

// The direction of the transfer dialog: 1 download, 0 upload.
int transferDownload = 1;

void SetUpTransferDirection(HWND dialog) {
    const bool upload = transferDownload == 0;
    SetWindowTextA(dialog, upload ? "Upload File" : "Download File");
    const int show = upload ? SW_SHOW : SW_HIDE;
    ShowWindow(GetDlgItem(dialog, IDC_TRANSFER_DIRECTORY), show);
    ShowWindow(GetDlgItem(dialog, IDC_TRANSFER_DIRECTORY_LABEL), show);
    SetDlgItemTextA(dialog, IDOK, upload ? "&Upload" : "&Download");
}

void StartTransfer(HWND dialog) {
    MenuTransferRequest request;
    request.host = FieldText(dialog, IDC_TRANSFER_HOST, kShortField);
    request.file = FieldText(dialog, IDC_TRANSFER_FILE, kLongField);
    // The directory field is on view only for uploads.
    const LONG directoryStyle = GetWindowLongA(GetDlgItem(dialog, IDC_TRANSFER_DIRECTORY), GWL_STYLE);
    request.upload = (directoryStyle & WS_VISIBLE) != 0;
    if (request.upload) request.directory = FieldText(dialog, IDC_TRANSFER_DIRECTORY, kLongField);
    request.textMode = IsDlgButtonChecked(dialog, IDC_TRANSFER_TEXT) == BST_CHECKED;

    HWND owner = GetWindow(dialog, GW_OWNER);
    const MessageFn showMessage = [owner](const char* text, const char* caption, unsigned type) {
        return MessageBoxA(owner, text, caption, type);
    };
    // Blocks while the FTP client runs.
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    RunMenuTransfer(request, showMessage);
    SetCursor(previous);
}

INT_PTR CALLBACK TransferDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            LimitField(dialog, IDC_TRANSFER_HOST, kShortField);
            LimitField(dialog, IDC_TRANSFER_FILE, kLongField);
            LimitField(dialog, IDC_TRANSFER_DIRECTORY, kLongField);
            CenterOverOwner(dialog, GetWindow(dialog, GW_OWNER));
            SetUpTransferDirection(dialog);
            return TRUE;
        case WM_COMMAND:
            return CloseOnOkOrCancel(dialog, wParam, StartTransfer);
    }
    return FALSE;
}

}  // namespace

void RunFtpSettingsDialog(HWND owner) {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FTP_SETTINGS), owner, FtpSettingsDialogProc, 0);
}

void RunTransferDialog(HWND owner, int download) {
    transferDownload = download ? 1 : 0;
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TRANSFER), owner, TransferDialogProc, 0);
}
