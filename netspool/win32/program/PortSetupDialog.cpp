#include "PortSetupDialog.h"

#include <array>
#include <string>
#include <vector>

#include "NetSpoolIds.h"
#include "dialogs/win32/CenterOverOwner.h"
#include "netspool/PortSetup.h"

namespace {

constexpr int kListIds[netspool::kPortCount] = {IDC_PORT10_PRINTER, IDC_PORT11_PRINTER, IDC_PORT12_PRINTER,
                                                IDC_PORT13_PRINTER};

struct SetupContext {
    netspool::CPrintServer* server;
    netspool::CSpooler* spooler;
};

// Opening the dialog reloads the four assignments from the settings; each
// list starts with the port's stored printer, which is selected.
void FillLists(HWND dialog, const SetupContext& context) {
    const std::vector<std::string> installed = context.spooler->InstalledPrinters();
    for (int i = 0; i < netspool::kPortCount; ++i) {
        netspool::PrinterPort& port = context.server->Port(i);
        const std::string stored = netspool::ReadPortSetting(i);
        netspool::AssignPrinter(port, stored);
        const HWND list = GetDlgItem(dialog, kListIds[i]);
        for (const std::string& item : netspool::BuildPortList(netspool::FirstListItem(stored), installed,
                                                                port.printerSet != 0))
            SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        SendMessageA(list, CB_SETCURSEL, 0, 0);
    }
}

// The selected item's text, empty without a selection or when it would
// not fit a printer name.
std::string SelectedText(HWND list) {
    const LRESULT index = SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return std::string();
    const LRESULT length = SendMessageA(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR || length >= static_cast<LRESULT>(netspool::kPrinterNameSize)) return std::string();
    char text[netspool::kPrinterNameSize] = "";
    SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

void Apply(HWND dialog, const SetupContext& context) {
    std::array<std::string, netspool::kPortCount> chosen;
    for (int i = 0; i < netspool::kPortCount; ++i) chosen[i] = SelectedText(GetDlgItem(dialog, kListIds[i]));
    netspool::ApplyPrinterSetup(context.server->Ports(), chosen);
}

INT_PTR CALLBACK PortSetupProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        CenterOverOwner(dialog, GetWindow(dialog, GW_OWNER));
        FillLists(dialog, *reinterpret_cast<const SetupContext*>(lParam));
        return TRUE;
    }
    case WM_COMMAND: {
        const auto* context = reinterpret_cast<const SetupContext*>(GetWindowLongPtrA(dialog, DWLP_USER));
        switch (LOWORD(wParam)) {
        case IDOK:
            if (context) Apply(dialog, *context);
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL: EndDialog(dialog, 1); return TRUE;
        default: return FALSE;
        }
    }
    default: return FALSE;
    }
}

}  // namespace

void RunPortSetupDialog(HWND owner, netspool::CPrintServer& server, netspool::CSpooler& spooler) {
    SetupContext context{&server, &spooler};
    DialogBoxParamA(reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE)),
                    MAKEINTRESOURCEA(IDD_PORT_SETUP), owner, PortSetupProc, reinterpret_cast<LPARAM>(&context));
}
