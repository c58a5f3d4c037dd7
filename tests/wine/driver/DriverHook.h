// What ovdrive and its hook DLL (ovdrivehook.dll) share. Menus live in the
// process that owns them (Wine answers GetSubMenu and GetMenuState only there),
// so ovdrive hooks the target's thread with this DLL and sends it a request;
// the hook reads the menu inside the program and leaves the answer in a named
// shared memory block. Pixels are read there too: the program's own window DC
// shows what it painted before Wine has copied it to the X server.
#pragma once

#include <windows.h>

namespace ovdrive {

// The registered message that carries a request; its first parameter is the
// driver's process id, which names the shared block.
const char kHookMessage[] = "ovdrive.hook.request";
const char kHookSharedPrefix[] = "ovdrive.hook.";
// The pixels of a capture: 24-bit rows, top row first, each padded to 4 bytes.
const char kHookPixelsPrefix[] = "ovdrive.pixels.";

inline size_t HookStride(LONG width) { return (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3); }
const char kHookProcName[] = "OvDriveHookProc";

// Posted behind other posted messages to learn when the program has taken
// them: a WH_GETMESSAGE hook sees it leave the queue (first parameter: the
// driver's process id). It is posted once more from there, behind anything
// the taken messages posted in turn (TranslateMessage's WM_CHAR), and the
// second time the hook sets the driver's named event. The window never sees
// it: the hook turns it into WM_NULL.
const char kMarkerMessage[] = "ovdrive.hook.marker";
const char kMarkerEventPrefix[] = "ovdrive.marker.";
const char kMessageHookProcName[] = "OvDriveMessageHookProc";

enum HookOp : LONG {
    kHookSubMenu = 1,    // popup -> menu (the popup's handle, valid in the program)
    kHookMenuState = 2,  // WM_INITMENUPOPUP for popup, then the state of item id -> state
    kHookMenuItems = 3,  // popup -> count, items
    kHookCapture = 4,    // width, height -> the client area's pixels in the pixel block
    kHookCounters = 5,   // -> socketMessages, queuedPaints, calledPaints so far
    // The whole client area repainted with the program's text calls
    // (TextOutA, ExtTextOutA) recorded -> count, items: x in kind, y in id,
    // the text (trailing blanks cut)
    kHookPaintText = 6,
};

enum HookStatus : LONG {
    kHookPending = 0,
    kHookDone = 1,
    kHookNoMenu = 2,
    kHookNoPopup = 3,
    kHookNoItem = 4,
    kHookNoPixels = 5,
    kHookNoTextCalls = 6,  // the program imports none of the text calls
};

enum HookItemKind : LONG { kHookItem = 0, kHookSeparator = 1, kHookPopup = 2 };

struct HookItem {
    LONG kind;
    LONG id;
    char text[120];
};

struct HookShared {
    LONG op;
    LONG popup;
    LONG id;
    LONG status;
    UINT state;
    ULONGLONG menu;
    LONG width;
    LONG height;
    LONG count;
    // Counted since the hooks were set: socket notifications (WM_USER) and
    // paint messages taken from the queue, and paint messages that reached
    // the window procedure by any road (UpdateWindow sends them).
    ULONGLONG socketMessages;
    ULONGLONG queuedPaints;
    ULONGLONG calledPaints;
    HookItem items[128];
};

}  // namespace ovdrive
