// Winsock's header goes before <windows.h>.
#include "netspool/win32/WinsockServerSockets.h"

#include "ServerWindow.h"

#include <array>
#include <memory>
#include <string>

#include "NetSpoolIds.h"
#include "PortSetupDialog.h"
#include "WindowFrontEnd.h"
#include "netspool/PrintServer.h"
#include "netspool/StatusGrid.h"
#include "netspool/StatusText.h"
#include "netspool/win32/WinSpooler.h"
#include "view/win32/WindowDpi.h"

namespace {

using netspool::CPrintServer;

// Everything the one main window owns.
struct ServerState {
    netspool::CStatusGrid grid;
    netspool::CWindowFrontEnd frontEnd{grid};
    netspool::CWinsockServerSockets sockets;
    netspool::CWinSpooler spooler;
    std::unique_ptr<CPrintServer> server;
    int cellWidth = 8;
    int cellHeight = 16;
    // The log's font: the system fixed font, made anew at the window's DPI
    // when that is not the one the stock fonts were made for.
    HFONT gridFont = nullptr;
    bool ownsGridFont = false;
};

ServerState* state = nullptr;

void ChooseGridFont(HWND window, ServerState& s, int dpi) {
    if (s.ownsGridFont) DeleteObject(s.gridFont);
    s.gridFont = static_cast<HFONT>(GetStockObject(SYSTEM_FIXED_FONT));
    s.ownsGridFont = false;
    HDC dc = GetDC(window);
    if (!dc) return;
    const int stockDpi = GetDeviceCaps(dc, LOGPIXELSY);
    if (dpi <= 0) dpi = WindowDpi(window, dc);
    ReleaseDC(window, dc);
    LOGFONTA description;
    if (dpi == stockDpi || stockDpi <= 0 || !GetObjectA(s.gridFont, sizeof description, &description)) return;
    description.lfHeight = MulDiv(description.lfHeight, dpi, stockDpi);
    description.lfWidth = MulDiv(description.lfWidth, dpi, stockDpi);
    if (HFONT scaled = CreateFontIndirectA(&description)) {
        s.gridFont = scaled;
        s.ownsGridFont = true;
    }
}

// The log font's cell: its height and average character width.
void MeasureCell(HWND window, ServerState& s) {
    HDC dc = GetDC(window);
    if (!dc) return;
    HGDIOBJ old = SelectObject(dc, s.gridFont);
    TEXTMETRICA metrics;
    if (GetTextMetricsA(dc, &metrics) && metrics.tmHeight > 0 && metrics.tmAveCharWidth > 0) {
        s.cellHeight = metrics.tmHeight;
        s.cellWidth = metrics.tmAveCharWidth;
    }
    SelectObject(dc, old);
    ReleaseDC(window, dc);
}

void OnCreate(HWND window) {
    state = new ServerState;
    state->frontEnd.SetWindow(window);
    state->sockets.SetWindow(window);
    // The receive buffer comes with the server (its warning, if any, first).
    std::array<netspool::CSpooler*, netspool::kPortCount> perPort;
    perPort.fill(&state->spooler);
    state->server.reset(new CPrintServer(state->sockets, state->frontEnd, perPort));
    // Measured first: the grid needs a cell size even when the network
    // cannot be started.
    ChooseGridFont(window, *state, 0);
    MeasureCell(window, *state);
    if (state->server->Start() == netspool::StartResult::kListenerFailed) PostQuitMessage(0);
}

void OnSize(HWND window, int width, int height) {
    if (state->grid.Resize(width, height, state->cellWidth, state->cellHeight) ==
        netspool::CStatusGrid::ResizeResult::kTooLarge)
        state->frontEnd.ShowWarning("Window too large.  Cannot allocate enough memory.", "Type");
    InvalidateRect(window, nullptr, FALSE);
    if (state->grid.TakeGreeting()) state->frontEnd.ShowStatusLine(netspool::kGreetingLine);
}

void OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    HGDIOBJ old = SelectObject(dc, state->gridFont);
    for (int row = 0; row < state->grid.Rows(); ++row) {
        const std::string text = state->grid.RowText(row);
        TextOutA(dc, 0, row * state->cellHeight, text.data(), static_cast<int>(text.size()));
    }
    SelectObject(dc, old);
    EndPaint(window, &paint);
}

void OnCommand(HWND window, WPARAM command) {
    switch (command) {
    case IDM_EXIT:
        if (MessageBoxA(window, "Are you sure you want to shutdown the Print Server?", "Close Print Server",
                        MB_YESNO) == IDYES) {
            state->server->Shutdown();
            PostQuitMessage(0);
        }
        break;
    case IDM_PRINTER_SETUP: RunPortSetupDialog(window, *state->server, state->spooler); break;
    default: break;
    }
}

// On a monitor of another DPI the log's font and cell follow it, and the
// window takes the size Windows suggests (its WM_SIZE lays the grid out anew).
void OnDpiChanged(HWND window, int dpi, const RECT* suggested) {
    ChooseGridFont(window, *state, dpi);
    MeasureCell(window, *state);
    if (suggested)
        SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window, nullptr, TRUE);
}

void OnDestroy() {
    state->server->Shutdown();
    state->frontEnd.ShowStatusLine(netspool::kShutdownLine);
    state->frontEnd.SetWindow(nullptr);
    PostQuitMessage(0);
}

LRESULT CALLBACK ServerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        OnCreate(window);
        return 0;
    }
    if (!state) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_SIZE: OnSize(window, LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_PAINT: OnPaint(window); return 0;
    case WM_COMMAND: OnCommand(window, wParam); return 0;
    case WM_DPICHANGED: OnDpiChanged(window, HIWORD(wParam), reinterpret_cast<const RECT*>(lParam)); return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    default: break;
    }
    if (message >= WM_USER && message < WM_USER + netspool::kPortCount) {
        state->server->OnSocketEvent(static_cast<int>(message - WM_USER), WSAGETSELECTEVENT(lParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

bool RegisterServerWindowClass(HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = ServerWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, "NETSPOOL_ICON");
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    // Resource names match whatever their case: this is the menu "NETSPOOL".
    windowClass.lpszMenuName = "NetSpool";
    windowClass.lpszClassName = kServerWindowClass;
    return RegisterClassA(&windowClass) != 0;
}

HWND CreateServerWindow(HINSTANCE instance) {
    return CreateWindowA(kServerWindowClass, kServerWindowCaption,
                         WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX, CW_USEDEFAULT, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
}
