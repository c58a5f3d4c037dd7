// The Settings menu's colour and font choosers: the standard dialogs, the
// colour one on the program's own "ChooseColor16" layout.
#include <windows.h>
#include <commdlg.h>

#include <array>
#include <cstdint>

#include "dialogs/ColourSwatches.h"
#include "dialogs/win32/CenterOverOwner.h"
#include "dialogs/win32/DialogIds.h"
#include "dialogs/win32/Dialogs.h"

namespace {

// The swatches start from the table at every program start; the dialog may
// change them and they are kept, unsaved, for the program's lifetime.
COLORREF* CustomColours() {
    static COLORREF colours[kSwatchCount];
    static bool filled = false;
    if (!filled) {
        const auto initial = InitialSwatches();
        for (int i = 0; i < kSwatchCount; ++i) colours[i] = initial[i];
        filled = true;
    }
    return colours;
}

bool colourDialogOpen = false;
HWND colourTarget = nullptr;

constexpr char kColourCaption[] = "Change Display Colors";
constexpr char kPopupClass[] = "ModelessPopup";

UINT_PTR CALLBACK ColourHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            const CHOOSECOLORA* choose = reinterpret_cast<const CHOOSECOLORA*>(lParam);
            colourTarget = reinterpret_cast<HWND>(choose->lCustData);
            CenterOverOwner(dialog, colourTarget);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                char red[16] = "", green[16] = "", blue[16] = "";
                GetDlgItemTextA(dialog, IDC_COLOUR_RED, red, sizeof red);
                GetDlgItemTextA(dialog, IDC_COLOUR_GREEN, green, sizeof green);
                GetDlgItemTextA(dialog, IDC_COLOUR_BLUE, blue, sizeof blue);
                const std::uint32_t colour = ColourFromFieldTexts(red, green, blue);
                // Sent, not posted: the screen shows the colour before the
                // user can press Apply again. The main window may have been
                // closed behind the dialog.
                if (IsWindow(colourTarget)) {
                    SendMessageA(colourTarget, WM_OV_APPLY_COLOUR, 0, static_cast<LPARAM>(colour));
                }
                return TRUE;  // handled: the dialog stays open
            }
            break;
    }
    return FALSE;
}

// A hidden owner for the colour dialog, so that the main window is not
// disabled while it is open.
HWND CreateHiddenOwner() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA existing;
    if (!GetClassInfoA(instance, kPopupClass, &existing)) {
        WNDCLASSA popupClass = {};
        popupClass.lpfnWndProc = DefWindowProcA;
        popupClass.hInstance = instance;
        popupClass.lpszClassName = kPopupClass;
        RegisterClassA(&popupClass);
    }
    return CreateWindowExA(0, kPopupClass, "Parent", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
}

}  // namespace

void ChooseScreenColour(HWND mainWindow) {
    if (colourDialogOpen) {
        MessageBoxA(mainWindow, "Color Dialog is already open", kColourCaption, MB_OK);
        return;
    }
    HINSTANCE instance = GetModuleHandleA(nullptr);
    // RT_DIALOG in its narrow form.
    HRSRC found = FindResourceA(instance, "ChooseColor16", MAKEINTRESOURCEA(5));
    HGLOBAL layout = found ? LoadResource(instance, found) : nullptr;
    if (!layout) return;

    HWND hiddenOwner = CreateHiddenOwner();
    CHOOSECOLORA choose = {};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = hiddenOwner;  // may be null: the dialog then has no owner
    choose.hInstance = reinterpret_cast<HWND>(layout);
    choose.rgbResult = RGB(255, 255, 255);
    choose.lpCustColors = CustomColours();
    choose.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ENABLEHOOK | CC_ENABLETEMPLATEHANDLE;
    choose.lCustData = reinterpret_cast<LPARAM>(mainWindow);
    choose.lpfnHook = ColourHook;

    colourDialogOpen = true;
    ChooseColorA(&choose);
    colourDialogOpen = false;
    colourTarget = nullptr;
    if (hiddenOwner) DestroyWindow(hiddenOwner);
    FreeResource(layout);
}

bool ChooseTerminalFont(HWND mainWindow, LOGFONTA* chosen) {
    if (!chosen) return false;
    // Always offered from the same description, whatever font is in use.
    LOGFONTA font = {};
    font.lfHeight = 12;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = OEM_CHARSET;
    lstrcpynA(font.lfFaceName, "Courier New", LF_FACESIZE);

    CHOOSEFONTA choose = {};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = mainWindow;
    choose.lpLogFont = &font;
    choose.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_LIMITSIZE | CF_FIXEDPITCHONLY | CF_FORCEFONTEXIST;
    choose.nSizeMin = 5;
    choose.nSizeMax = 20;
    if (!ChooseFontA(&choose)) return false;
    *chosen = font;
    return true;
}
