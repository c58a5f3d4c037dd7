// ovprobe: a small window for testing the Wine harness and ovdrive without the
// terminal. It keeps the typed characters as lines of text, reports in its
// title what it saw last (a key with the modifier state GetKeyState gives, a
// drag in character cells, a menu or dialog outcome), and has the pieces the
// terminal's tests need: a menu set up on WM_INITMENUPOPUP, a message box, a
// dialog, clipboard copy and paste, and known colours to read back as pixels.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ovprobe.h"

namespace {

// Fixed colours: the background, the text, and a marker square the
// screenshot tests look for.
const COLORREF kBackground = RGB(0, 0, 128);
const COLORREF kText = RGB(255, 255, 0);
const COLORREF kMarker = RGB(255, 0, 0);
const RECT kMarkerRect = {600, 360, 620, 380};
const int kClientWidth = 640;
const int kClientHeight = 400;

struct ProbeState {
    std::vector<std::string> lines{std::string()};
    bool mark = false;
    std::string name = "probe";
    int cellWidth = 8;
    int cellHeight = 12;
    int dragRow = 0;
    int dragCol = 0;
};

ProbeState g_probe;

void SetTitle(HWND hwnd, const std::string& text) {
    SetWindowTextA(hwnd, ("OvProbe " + text).c_str());
}

std::string AllText() {
    std::string text;
    for (size_t i = 0; i < g_probe.lines.size(); ++i) {
        if (i > 0) text += "\r\n";
        text += g_probe.lines[i];
    }
    return text;
}

void AddText(HWND hwnd, const std::string& text) {
    for (char c : text) {
        if (c == '\r') {
            g_probe.lines.emplace_back();
        } else if (c == '\b') {
            if (!g_probe.lines.back().empty()) g_probe.lines.back().pop_back();
        } else if (c != '\n') {
            g_probe.lines.back() += c;
        }
    }
    InvalidateRect(hwnd, nullptr, FALSE);
}

void CopyText(HWND hwnd) {
    const std::string text = AllText();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, text.size() + 1);
    if (!mem) return;
    memcpy(GlobalLock(mem), text.c_str(), text.size() + 1);
    GlobalUnlock(mem);
    if (!OpenClipboard(hwnd)) {
        GlobalFree(mem);
        return;
    }
    EmptyClipboard();
    if (!SetClipboardData(CF_TEXT, mem)) GlobalFree(mem);
    CloseClipboard();
}

void PasteText(HWND hwnd) {
    if (!OpenClipboard(hwnd)) return;
    std::string text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* p = static_cast<const char*>(GlobalLock(data))) {
            text = p;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    AddText(hwnd, text);
}

INT_PTR CALLBACK SettingsProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dlg, IDC_PROBE_NAME, g_probe.name.c_str());
        CheckDlgButton(dlg, IDC_PROBE_MARK, g_probe.mark ? BST_CHECKED : BST_UNCHECKED);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            char name[128] = "";
            GetDlgItemTextA(dlg, IDC_PROBE_NAME, name, sizeof name);
            g_probe.name = name;
            g_probe.mark = IsDlgButtonChecked(dlg, IDC_PROBE_MARK) == BST_CHECKED;
            EndDialog(dlg, IDOK);
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) {
            EndDialog(dlg, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

void OnCommand(HWND hwnd, int id) {
    switch (id) {
    case IDM_PROBE_COPY:
        CopyText(hwnd);
        break;
    case IDM_PROBE_PASTE:
        PasteText(hwnd);
        break;
    case IDM_PROBE_MARK:
        g_probe.mark = !g_probe.mark;
        break;
    case IDM_PROBE_ASK: {
        int answer = MessageBoxA(hwnd, "Clear the typed text?", "Probe question",
                                 MB_YESNO | MB_ICONQUESTION);
        if (answer == IDYES) {
            g_probe.lines.assign(1, std::string());
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        SetTitle(hwnd, answer == IDYES ? "asked yes" : "asked no");
        break;
    }
    case IDM_PROBE_SETTINGS: {
        INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(PROBE_DIALOG),
                                    hwnd, SettingsProc, 0);
        SetTitle(hwnd, (r == IDOK ? "settings name=" + g_probe.name : std::string("settings cancelled")) +
                           " mark=" + (g_probe.mark ? "1" : "0"));
        break;
    }
    case IDM_PROBE_EXIT:
        DestroyWindow(hwnd);
        break;
    }
}

void OnInitMenuPopup(HMENU popup, int index) {
    if (index != 0) return;
    EnableMenuItem(popup, IDM_PROBE_COPY,
                   MF_BYCOMMAND | (AllText().empty() ? MF_GRAYED : MF_ENABLED));
    EnableMenuItem(popup, IDM_PROBE_PASTE,
                   MF_BYCOMMAND | (IsClipboardFormatAvailable(CF_TEXT) ? MF_ENABLED : MF_GRAYED));
    CheckMenuItem(popup, IDM_PROBE_MARK, MF_BYCOMMAND | (g_probe.mark ? MF_CHECKED : MF_UNCHECKED));
}

void OnKey(HWND hwnd, const char* kind, WPARAM vk) {
    char text[96];
    snprintf(text, sizeof text, "%s %u shift=%d ctrl=%d alt=%d", kind, static_cast<unsigned>(vk),
             GetKeyState(VK_SHIFT) < 0 ? 1 : 0, GetKeyState(VK_CONTROL) < 0 ? 1 : 0,
             GetKeyState(VK_MENU) < 0 ? 1 : 0);
    SetTitle(hwnd, text);
}

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH background = CreateSolidBrush(kBackground);
    FillRect(dc, &client, background);
    DeleteObject(background);
    HBRUSH marker = CreateSolidBrush(kMarker);
    FillRect(dc, &kMarkerRect, marker);
    DeleteObject(marker);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(OEM_FIXED_FONT));
    SetTextColor(dc, kText);
    SetBkColor(dc, kBackground);
    for (size_t row = 0; row < g_probe.lines.size(); ++row) {
        const std::string& line = g_probe.lines[row];
        TextOutA(dc, 0, static_cast<int>(row) * g_probe.cellHeight, line.c_str(),
                 static_cast<int>(line.size()));
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CHAR:
        AddText(hwnd, std::string(1, static_cast<char>(wp)));
        return 0;
    case WM_KEYDOWN:
        OnKey(hwnd, "key", wp);
        return 0;
    case WM_SYSKEYDOWN:
        OnKey(hwnd, "syskey", wp);
        return DefWindowProcA(hwnd, msg, wp, lp);
    case WM_LBUTTONDOWN:
        g_probe.dragRow = HIWORD(lp) / g_probe.cellHeight;
        g_probe.dragCol = LOWORD(lp) / g_probe.cellWidth;
        SetCapture(hwnd);
        return 0;
    case WM_LBUTTONUP: {
        ReleaseCapture();
        char text[64];
        snprintf(text, sizeof text, "drag %d %d %d %d", g_probe.dragRow, g_probe.dragCol,
                 HIWORD(lp) / g_probe.cellHeight, LOWORD(lp) / g_probe.cellWidth);
        SetTitle(hwnd, text);
        return 0;
    }
    case WM_COMMAND:
        OnCommand(hwnd, LOWORD(wp));
        return 0;
    case WM_INITMENUPOPUP:
        OnInitMenuPopup(reinterpret_cast<HMENU>(wp), LOWORD(lp));
        return 0;
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    static const UINT cellSizeMessage = RegisterWindowMessageA("WinOvTerm.CellSize");
    if (msg == cellSizeMessage) return MAKELRESULT(g_probe.cellWidth, g_probe.cellHeight);
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // The cell size the harness computes (cellsize) comes from the same font.
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, GetStockObject(OEM_FIXED_FONT));
    TEXTMETRICA tm;
    if (GetTextMetricsA(screen, &tm)) {
        g_probe.cellWidth = tm.tmAveCharWidth;
        g_probe.cellHeight = tm.tmHeight + tm.tmExternalLeading;
    }
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);

    WNDCLASSA wc = {};
    wc.lpfnWndProc = ProbeProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "OvProbe";
    wc.lpszMenuName = MAKEINTRESOURCEA(PROBE_MENU);
    if (!RegisterClassA(&wc)) return 1;

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRect(&frame, style, TRUE);
    HWND hwnd = CreateWindowA("OvProbe", "OvProbe", style, 0, 0, frame.right - frame.left,
                              frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);

    // Alt+X (Exit) goes through an accelerator table, as in the terminal, so
    // the tests can show whether a posted key reaches the message loop.
    ACCEL accels[] = {{FVIRTKEY | FALT, 'X', IDM_PROBE_EXIT}};
    HACCEL accel = CreateAcceleratorTableA(accels, 1);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (TranslateAcceleratorA(hwnd, accel, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    DestroyAcceleratorTable(accel);
    return static_cast<int>(msg.wParam);
}
