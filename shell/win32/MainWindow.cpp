#include "shell/win32/MainWindow.h"

#include <windowsx.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "net/CWinSockComm.h"
#include "session/CWinTermController.h"
#include "session/TypedInput.h"
#include "settings/win32/WinMenuPort.h"
#include "shell/MenuStates.h"
#include "shell/win32/ShellIds.h"
#include "shell/win32/WinSessionPlatform.h"
#include "view/CWinTermView.h"
#include "view/MessageBoxes.h"
#include "view/win32/WindowDpi.h"

namespace {

constexpr UINT kSocketMessage = WM_USER;
constexpr UINT kColourMessage = 0x402;
constexpr std::size_t kStartHostSize = 52;
// How often a flooded window lets input and painting through.
constexpr DWORD kServeIntervalMs = 40;
// A flood ends when the host has been quiet this long: output arrives in
// bursts, and the gap between two of them is no end.
constexpr UINT_PTR kFloodEndTimer = 1;
constexpr UINT kFloodQuietMs = 100;

// Asked by tools that drive the window (the tests' driver among them): the
// cell size in pixels, width in the low word, height in the high word.
UINT CellSizeMessage() {
    static const UINT message = RegisterWindowMessageA("WinOvTerm.CellSize");
    return message;
}

// Everything one main window owns; kept in the window's user data.
struct MainWindowState {
    char startHost[kStartHostSize] = {};
    std::unique_ptr<CWinSessionPlatform> platform;
    CWinTermController* controller = nullptr;
    CWinTermView* view = nullptr;
    std::unique_ptr<CWinMenuPort> connectMenu;
    HACCEL accelerators = nullptr;
    DWORD lastServed = 0;
    // A flood: more host output was waiting after the last read. While the
    // window paints for one, the view scrolls batched (unless the host chose
    // that itself) and there is no caret; both come back when output pauses.
    bool flooding = false;
    bool floodPainting = false;
    bool batchedForFlood = false;
    // Set while the window is being created: the window owns the state from
    // WM_NCCREATE on (WM_NCDESTROY deletes it, also when creation fails).
    bool* adoptedByWindow = nullptr;
};

MainWindowState* StateOf(HWND window) {
    return reinterpret_cast<MainWindowState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// After anything that may show a message box or dispatch input: whether the
// window, its state and its session are still there to go on with.
bool StillServing(HWND window, const MainWindowState* state) {
    return IsWindow(window) && StateOf(window) == state && state->controller;
}

// One message of the loop: the accelerators first, then as typed.
void Dispatch(HWND window, HACCEL accelerators, MSG& message) {
    if (accelerators && TranslateAcceleratorA(window, accelerators, &message)) return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

int CreateController(HWND window, MainWindowState* state) {
    state->platform.reset(new (std::nothrow) CWinSessionPlatform(window));
    if (!state->platform) {
        MessageBoxA(window, mb::kNoMemory, mb::kCaption, mb::kIconExclamation);
        PostQuitMessage(0);
        return 0;
    }
    int status = 0;
    state->controller = new (std::nothrow)
        CWinTermController(&status, state->platform.get(), CTermController::kWyse50Emulator, &state->view);
    if (!state->controller) {
        MessageBoxA(window, mb::kNoMemory, mb::kCaption, mb::kIconExclamation);
        PostQuitMessage(0);
        return 0;
    }
    if (status != 0) {
        MessageBoxA(window, "Initialisation failure creating controller.", mb::kCaption, mb::kIconExclamation);
        delete state->controller;
        state->controller = nullptr;
        state->view = nullptr;
        PostQuitMessage(0);
        return 0;
    }
    state->platform->SetController(state->controller);
    state->view->SetCommandPort(state->platform.get());
    state->connectMenu.reset(new CWinMenuPort(GetSubMenu(GetMenu(window), 0)));
    state->view->LoadHostHistory(state->connectMenu.get());
    return 0;
}

void DestroyController(MainWindowState* state) {
    delete state->controller;  // the view saves the recent hosts as it goes
    state->controller = nullptr;
    state->view = nullptr;
}

void TypeCharacter(MainWindowState* state, WPARAM character, LPARAM flags) {
    bool tooMany = false;
    const bool crAlone = state->controller->EnterSendsCrAlone();
    const std::string block =
        typed::BuildBlock(static_cast<char>(character), LOWORD(flags), &tooMany, crAlone);
    if (tooMany) MessageBeep(0xFFFFFFFFu);
    if (!block.empty()) state->controller->SendToHost(block.data(), static_cast<int>(block.size()));
}

void SetMenuStates(MainWindowState* state, HMENU popup, int index) {
    menus::SessionState session;
    session.connected = state->controller && state->controller->IsConnected();
    session.hasSelection = state->view && state->view->HasSelection();
    session.clipboardHasText = IsClipboardFormatAvailable(CF_TEXT) != 0;
    session.localMode = state->controller && state->controller->LocalMode();
    session.logging = state->view && state->view->IsLogging();
    for (const menus::ItemState& item : menus::StatesForPopup(index, session)) {
        EnableMenuItem(popup, static_cast<UINT>(item.id), MF_BYCOMMAND | (item.grayed ? MF_GRAYED : MF_ENABLED));
        CheckMenuItem(popup, static_cast<UINT>(item.id), MF_BYCOMMAND | (item.checked ? MF_CHECKED : MF_UNCHECKED));
    }
}

// A host that floods output keeps the queue full of socket notifications,
// which Windows hands out before typing, mouse and painting. Every so often
// the window paints what changed and takes the input waiting meanwhile.
void ServeWindowDuringOutput(HWND window, MainWindowState* state) {
    const DWORD now = GetTickCount();
    if (now - state->lastServed < kServeIntervalMs) return;
    state->lastServed = now;
    if (state->platform) state->platform->Port().UpdateNow();
    MSG message;
    for (int i = 0; i < 64 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT); ++i) {
        Dispatch(window, state->accelerators, message);
        if (!StillServing(window, state)) return;
    }
}

bool SocketMessageWaiting(HWND window) {
    MSG message;
    return PeekMessageA(&message, window, kSocketMessage, kSocketMessage, PM_NOREMOVE) != 0;
}

// Painted line by line, a flood costs a window scroll and a paint per line
// feed, and the caret is hidden, shown and moved for every run of text: under
// Wine each of those is a round trip to the server, a hundred per read. For
// the length of a flood the view therefore repaints whole screens (batched
// scrolling, painted every kServeIntervalMs) and has no caret to update.
void BeginFloodPainting(MainWindowState* state) {
    if (state->view && state->view->ScrollMode() == 0) {
        state->view->SetScrollMode(1);
        state->batchedForFlood = true;
    }
    if (!state->floodPainting) {
        state->platform->Port().DestroyCaret();
        state->floodPainting = true;
    }
}

void EndFloodPainting(MainWindowState* state) {
    state->flooding = false;
    // Pixel scrolling chosen by the host during the flood has ended the batch
    // already. (Batched scrolling it chose then is undone here: the view does
    // not tell whose choice the mode was.)
    if (state->batchedForFlood && state->view && state->view->ScrollMode() == 1) state->view->SetScrollMode(0);
    state->batchedForFlood = false;
    // A new caret as on focus: at the cursor, shown unless the host hid it.
    if (state->view && state->platform->Port().HasFocus()) state->view->TakeFocus();
    state->floodPainting = false;
    state->platform->Port().UpdateNow();
}

// The socket layer reads ahead of the transport; what it holds raises no
// notice, so it is handled here, for a while at most (then a notice of our
// own continues it, behind the input and commands that came meanwhile), or
// all of it before a close.
constexpr DWORD kReadAheadBudgetMs = 15;

bool HandleBufferedInput(HWND window, MainWindowState* state, bool all) {
    auto* comms = static_cast<CWinSockComm*>(state->controller->Comms());
    const DWORD start = GetTickCount();
    while (comms && comms->HasBufferedInput()) {
        if (!all && GetTickCount() - start >= kReadAheadBudgetMs) {
            PostMessageA(window, kSocketMessage, 0, WSAMAKESELECTREPLY(FD_READ, 0));
            return true;
        }
        state->controller->OnSocketEvent(0);
        if (!StillServing(window, state)) return false;
    }
    return true;
}

void OnSocketMessage(HWND window, MainWindowState* state, LPARAM event) {
    switch (WSAGETSELECTEVENT(event)) {
    case FD_READ:
        if (state->flooding) BeginFloodPainting(state);
        state->controller->OnSocketEvent(0);
        // A message box of the transport may have ended the window meanwhile.
        if (!StillServing(window, state)) return;
        if (!HandleBufferedInput(window, state, false)) return;
        // Winsock posts the next notification as soon as a read leaves data.
        if (SocketMessageWaiting(window)) {
            state->flooding = true;
        } else if (state->floodPainting) {
            SetTimer(window, kFloodEndTimer, kFloodQuietMs, nullptr);
        } else {
            state->flooding = false;
        }
        ServeWindowDuringOutput(window, state);
        break;
    case FD_WRITE:
        // Room to send again: the held output goes out; nothing has closed.
        state->controller->OnSocketWritable();
        break;
    default:
        // What the host sent before it closed is shown first.
        if (!HandleBufferedInput(window, state, true)) return;
        if (state->floodPainting) EndFloodPainting(state);
        // The transport reads the outcome from the last error: it is the one
        // the notice carries (0 for a close by the host), not whatever the
        // window calls just made left there.
        WSASetLastError(WSAGETSELECTERROR(event));
        state->controller->OnSocketEvent(1);
        break;
    }
}

// The window moved to a monitor of another DPI (or the user changed the
// scale): the cell follows it and the window takes the size Windows
// suggests for it.
void OnDpiChanged(HWND window, MainWindowState* state, int dpi, const RECT* suggested) {
    if (state->platform && state->view) {
        int width = 0, height = 0;
        state->platform->Port().ChangeDpi(dpi, &width, &height);
        state->view->CellSizeChanged(width, height);
    }
    if (suggested)
        SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT HandleMessage(HWND window, MainWindowState* state, UINT message, WPARAM wParam, LPARAM lParam);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MainWindowState* state = StateOf(window);
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        if (auto* adopted = static_cast<MainWindowState*>(create->lpCreateParams)->adoptedByWindow) *adopted = true;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    if (!state) return DefWindowProcA(window, message, wParam, lParam);
    if (state->controller && state->platform) state->platform->Port().SetWindow(window);
    const LRESULT result = HandleMessage(window, state, message, wParam, lParam);
    // What the view asked of the window meanwhile (invalidation, the caret)
    // is applied once per message. The state is gone after WM_NCDESTROY.
    if (message != WM_NCDESTROY && message != WM_DESTROY && state->platform) state->platform->Port().Flush();
    return result;
}

LRESULT HandleMessage(HWND window, MainWindowState* state, UINT message, WPARAM wParam, LPARAM lParam) {
    CWinTermView* view = state->view;

    switch (message) {
    case WM_CREATE:
        return CreateController(window, state);
    case WM_DESTROY:
        DestroyController(state);
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        delete state;
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_SETFOCUS:
        if (state->platform) state->platform->Port().SetFocused(true);
        if (view) view->TakeFocus();
        return 0;
    case WM_KILLFOCUS:
        if (state->platform) state->platform->Port().SetFocused(false);
        if (view) state->platform->Port().DestroyCaret();
        return 0;
    case WM_PAINT:
        if (view)
            view->Paint();
        else
            ValidateRect(window, nullptr);
        if (state->startHost[0] && state->controller) {
            // The connection blocks until the host answers, so it waits for
            // the window to be on screen (the controller's title says whom
            // it is trying).
            char host[128];
            std::strcpy(host, state->startHost);
            state->startHost[0] = '\0';
            state->controller->Connect(host);
        }
        return 0;
    case WM_KEYDOWN:
        if (state->controller) state->controller->KeyDown(static_cast<unsigned>(wParam));
        return 0;
    case WM_CHAR:
        if (state->controller) TypeCharacter(state, wParam, lParam);
        return 0;
    case WM_VSCROLL:
        if (view) view->VScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
        return 0;
    case kSocketMessage:
        if (state->controller) OnSocketMessage(window, state, lParam);
        return 0;
    case WM_TIMER:
        if (wParam != kFloodEndTimer) return DefWindowProcA(window, message, wParam, lParam);
        KillTimer(window, kFloodEndTimer);
        if (!SocketMessageWaiting(window) && state->floodPainting) EndFloodPainting(state);
        return 0;
    case WM_COMMAND:
        return view ? view->OnCommand(LOWORD(wParam)) : 0;
    case WM_INITMENUPOPUP:
        if (!HIWORD(lParam)) SetMenuStates(state, reinterpret_cast<HMENU>(wParam), LOWORD(lParam));
        return 0;
    case WM_MOUSEMOVE:
        return view ? view->MouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)) : 0;
    case WM_LBUTTONDOWN:
        return view ? view->MouseDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)) : 0;
    case WM_LBUTTONUP:
        return view ? view->MouseUp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)) : 0;
    case kColourMessage:
        if (view) view->ApplyColour(static_cast<unsigned>(lParam));
        return 0;
    case WM_DPICHANGED:
        OnDpiChanged(window, state, HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
    default:
        if (message == CellSizeMessage() && state->platform) {
            int width = 0, height = 0;
            state->platform->Port().GetCellSize(&width, &height);
            return MAKELRESULT(width, height);
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

bool RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_WINDOW_ICON));
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));
    windowClass.lpszMenuName = kMainWindowClass;
    windowClass.lpszClassName = kMainWindowClass;
    return RegisterClassA(&windowClass) != 0;
}

HWND CreateMainWindow(HINSTANCE instance, const char* startHost, HACCEL accelerators) {
    auto* state = new (std::nothrow) MainWindowState;
    if (!state) return nullptr;
    std::strncpy(state->startHost, startHost ? startHost : "", kStartHostSize - 1);
    state->accelerators = accelerators;
    bool adopted = false;
    state->adoptedByWindow = &adopted;
    HWND window = CreateWindowA(kMainWindowClass, kMainWindowTitle,
                                WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VSCROLL, 0, 0,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, state);
    if (!window) {
        // A window that got as far as WM_NCCREATE has deleted it already.
        if (!adopted) delete state;
        return nullptr;
    }
    state->adoptedByWindow = nullptr;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    return window;
}

int RunMessageLoop(HWND mainWindow) {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        // Read on every pass: the window's state goes with the window.
        const MainWindowState* state = IsWindow(mainWindow) ? StateOf(mainWindow) : nullptr;
        Dispatch(mainWindow, state ? state->accelerators : nullptr, message);
    }
    return static_cast<int>(message.wParam);
}
