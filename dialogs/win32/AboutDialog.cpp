// Dialog 104: the strings of the program's own version resource and the
// Windows version it runs on.
#include <windows.h>

#include <string>
#include <vector>

#include "dialogs/AboutText.h"
#include "dialogs/win32/CenterOverOwner.h"
#include "dialogs/win32/DialogIds.h"
#include "dialogs/win32/Dialogs.h"

namespace {

// The statics whose template texts name the string each shows.
constexpr int kVersionStatics[] = {IDC_ABOUT_COMPANY, IDC_ABOUT_DESCRIPTION, IDC_ABOUT_VERSION, IDC_ABOUT_COPYRIGHT,
                                   IDC_ABOUT_OS};

// The version resource of the running program, empty when it has none.
std::vector<char> ReadOwnVersionResource() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return {};
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0) return {};
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path, 0, size, block.data())) return {};
    return block;
}

// The string for key, or nothing when the lookup fails or finds it empty.
bool LookUpVersionString(std::vector<char>& block, const std::string& key, std::string* value) {
    const std::string path = VersionValuePath(key);
    void* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), path.c_str(), &text, &length) || !text || length == 0) return false;
    const char* chars = static_cast<const char*>(text);
    std::string found(chars, length);
    found.resize(found.find('\0') == std::string::npos ? found.size() : found.find('\0'));
    if (found.empty()) return false;
    *value = found;
    return true;
}

void ShowVersionStrings(HWND dialog, HFONT font) {
    std::vector<char> block = ReadOwnVersionResource();
    if (block.empty()) return;  // template texts and the title "About" stay
    std::string productName;
    if (LookUpVersionString(block, "ProductName", &productName)) {
        SetWindowTextA(dialog, ("About " + productName).c_str());
    }
    for (int id : kVersionStatics) {
        char key[64] = "";
        GetDlgItemTextA(dialog, id, key, sizeof key);
        std::string value;
        SetLastError(0);
        if (!LookUpVersionString(block, key, &value)) value = VersionLookupErrorText(GetLastError());
        SetDlgItemTextA(dialog, id, value.c_str());
        SendDlgItemMessageA(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    // The statics use the font until the dialog is destroyed, so it lives as
    // long as the dialog (in its user slot) and goes with it.
    switch (message) {
        case WM_INITDIALOG: {
            ShowWindow(dialog, SW_HIDE);
            HFONT font = CreateFontA(14, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, nullptr);
            SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(font));
            CenterOverOwner(dialog, GetWindow(dialog, GW_OWNER));
            ShowVersionStrings(dialog, font);
            SendDlgItemMessageA(dialog, IDC_ABOUT_RUNNING_ON, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
            const std::string os = WindowsVersionLine(static_cast<std::uint32_t>(GetVersion()));
            SetDlgItemTextA(dialog, IDC_ABOUT_OS, os.c_str());
            ShowWindow(dialog, SW_SHOW);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, 1);
                return TRUE;
            }
            break;
        case WM_NCDESTROY:
            if (HFONT font = reinterpret_cast<HFONT>(GetWindowLongPtrA(dialog, DWLP_USER))) DeleteObject(font);
            SetWindowLongPtrA(dialog, DWLP_USER, 0);
            break;
    }
    return FALSE;
}

}  // namespace

void RunAboutDialog(HWND owner) {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutDialogProc, 0);
}
