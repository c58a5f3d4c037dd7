// ovdrivehook.dll: runs inside the driven program's thread (a WH_CALLWNDPROC
// hook that ovdrive sets) and answers ovdrive's menu requests there.
#include <cstdio>
#include <cstring>

#include "DriverHook.h"

namespace {

using namespace ovdrive;

// The program's message traffic, for the flood benchmark; the hooks run on
// the program's one thread, so plain counters do.
ULONGLONG socketMessages = 0;
ULONGLONG queuedPaints = 0;
ULONGLONG calledPaints = 0;

// Paints what is pending, then copies the client area from the window's DC.
LONG Capture(HWND hwnd, DWORD driverProcess, LONG width, LONG height) {
    char name[64];
    snprintf(name, sizeof name, "%s%lu", kHookPixelsPrefix, static_cast<unsigned long>(driverProcess));
    HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name);
    if (!mapping) return kHookNoPixels;
    const size_t size = HookStride(width) * static_cast<size_t>(height);
    void* pixels = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, size);
    LONG status = kHookNoPixels;
    if (pixels) {
        UpdateWindow(hwnd);
        HDC dc = GetDC(hwnd);
        HDC memory = CreateCompatibleDC(dc);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bitmap) {
            HGDIOBJ old = SelectObject(memory, bitmap);
            if (BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY)) {
                GdiFlush();
                memcpy(pixels, bits, size);
                status = kHookDone;
            }
            SelectObject(memory, old);
            DeleteObject(bitmap);
        }
        DeleteDC(memory);
        ReleaseDC(hwnd, dc);
        UnmapViewOfFile(pixels);
    }
    CloseHandle(mapping);
    return status;
}

// Text drawn during a repaint: the program's import table entries of the
// ANSI text calls are pointed here while the window paints.
HookShared* recording = nullptr;
using TextOutAProc = BOOL(WINAPI*)(HDC, int, int, LPCSTR, int);
using ExtTextOutAProc = BOOL(WINAPI*)(HDC, int, int, UINT, const RECT*, LPCSTR, UINT, const INT*);
TextOutAProc realTextOutA = nullptr;
ExtTextOutAProc realExtTextOutA = nullptr;

void Record(int x, int y, const char* text, int length) {
    if (!recording || length < 0 || !text) return;
    if (recording->count >= static_cast<LONG>(sizeof recording->items / sizeof recording->items[0])) return;
    while (length > 0 && text[length - 1] == ' ') --length;
    HookItem& item = recording->items[recording->count++];
    item.kind = x;
    item.id = y;
    const int kept = length < static_cast<int>(sizeof item.text) - 1 ? length : static_cast<int>(sizeof item.text) - 1;
    memcpy(item.text, text, static_cast<size_t>(kept));
    item.text[kept] = '\0';
}

BOOL WINAPI RecordTextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
    Record(x, y, text, length);
    return realTextOutA(dc, x, y, text, length);
}

BOOL WINAPI RecordExtTextOutA(HDC dc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT length,
                              const INT* dx) {
    Record(x, y, text, static_cast<int>(length));
    return realExtTextOutA(dc, x, y, options, rect, text, length, dx);
}

// The import table slot of dll!function in the program's own module.
void** ImportSlot(const char* dll, const char* function) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) return nullptr;
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); entry->Name;
         ++entry) {
        if (_stricmp(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(
            base + (entry->OriginalFirstThunk ? entry->OriginalFirstThunk : entry->FirstThunk));
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
                return reinterpret_cast<void**>(&slots->u1.Function);
        }
    }
    return nullptr;
}

// Puts `replacement` in the slot and answers what was there.
void* Swap(void** slot, void* replacement) {
    DWORD protection;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection)) return nullptr;
    void* old = *slot;
    *slot = replacement;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
    return old;
}

LONG PaintText(HWND hwnd, HookShared* shared) {
    void** textOut = ImportSlot("gdi32.dll", "TextOutA");
    void** extTextOut = ImportSlot("gdi32.dll", "ExtTextOutA");
    if (!textOut && !extTextOut) return kHookNoTextCalls;
    shared->count = 0;
    recording = shared;
    if (textOut) {
        if (void* real = Swap(textOut, reinterpret_cast<void*>(RecordTextOutA)))
            realTextOutA = reinterpret_cast<TextOutAProc>(real);
        else
            textOut = nullptr;
    }
    if (extTextOut) {
        if (void* real = Swap(extTextOut, reinterpret_cast<void*>(RecordExtTextOutA)))
            realExtTextOutA = reinterpret_cast<ExtTextOutAProc>(real);
        else
            extTextOut = nullptr;
    }
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
    if (textOut) Swap(textOut, reinterpret_cast<void*>(realTextOutA));
    if (extTextOut) Swap(extTextOut, reinterpret_cast<void*>(realExtTextOutA));
    recording = nullptr;
    return kHookDone;
}

void Serve(HWND hwnd, DWORD driverProcess) {
    char name[64];
    snprintf(name, sizeof name, "%s%lu", kHookSharedPrefix, static_cast<unsigned long>(driverProcess));
    HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name);
    if (!mapping) return;
    auto* shared = static_cast<HookShared*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(HookShared)));
    if (shared && shared->op == kHookCapture) {
        shared->status = Capture(hwnd, driverProcess, shared->width, shared->height);
    } else if (shared && shared->op == kHookPaintText) {
        shared->status = PaintText(hwnd, shared);
    } else if (shared && shared->op == kHookCounters) {
        shared->socketMessages = socketMessages;
        shared->queuedPaints = queuedPaints;
        shared->calledPaints = calledPaints;
        shared->status = kHookDone;
    } else if (shared) {
        HMENU bar = GetMenu(hwnd);
        HMENU popup = bar ? GetSubMenu(bar, shared->popup) : nullptr;
        if (!bar) {
            shared->status = kHookNoMenu;
        } else if (!popup) {
            shared->status = kHookNoPopup;
        } else if (shared->op == kHookSubMenu) {
            shared->menu = reinterpret_cast<ULONGLONG>(popup);
            shared->status = kHookDone;
        } else if (shared->op == kHookMenuState) {
            // As the system does before it shows the popup.
            SendMessageA(hwnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(shared->popup, FALSE));
            shared->state = GetMenuState(popup, static_cast<UINT>(shared->id), MF_BYCOMMAND);
            shared->status = shared->state == static_cast<UINT>(-1) ? kHookNoItem : kHookDone;
        } else if (shared->op == kHookMenuItems) {
            const int count = GetMenuItemCount(popup);
            shared->count = 0;
            for (int i = 0; i < count && shared->count < static_cast<LONG>(sizeof shared->items / sizeof shared->items[0]); ++i) {
                HookItem& item = shared->items[shared->count];
                MENUITEMINFOA info = {};
                info.cbSize = sizeof info;
                info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_SUBMENU | MIIM_STRING;
                info.dwTypeData = item.text;
                info.cch = sizeof item.text;
                item.text[0] = '\0';
                if (!GetMenuItemInfoA(popup, static_cast<UINT>(i), TRUE, &info)) continue;
                item.kind = (info.fType & MFT_SEPARATOR) ? kHookSeparator : info.hSubMenu ? kHookPopup : kHookItem;
                item.id = static_cast<LONG>(info.wID);
                ++shared->count;
            }
            shared->status = kHookDone;
        }
    }
    if (shared) UnmapViewOfFile(shared);
    CloseHandle(mapping);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK OvDriveHookProc(int code, WPARAM wp, LPARAM lp) {
    static const UINT request = RegisterWindowMessageA(kHookMessage);
    if (code == HC_ACTION) {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lp);
        if (message->message == request) Serve(message->hwnd, static_cast<DWORD>(message->wParam));
        if (message->message == WM_PAINT) ++calledPaints;
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

extern "C" __declspec(dllexport) LRESULT CALLBACK OvDriveMessageHookProc(int code, WPARAM wp, LPARAM lp) {
    static const UINT marker = RegisterWindowMessageA(kMarkerMessage);
    if (code == HC_ACTION && wp == PM_REMOVE) {
        auto* message = reinterpret_cast<MSG*>(lp);
        if (message->message == WM_USER) ++socketMessages;
        if (message->message == WM_PAINT) ++queuedPaints;
        if (message->message == marker) {
            const DWORD driverProcess = static_cast<DWORD>(message->wParam);
            if (message->lParam == 1) {
                PostMessageA(message->hwnd, marker, message->wParam, 2);
            } else {
                char name[64];
                snprintf(name, sizeof name, "%s%lu", kMarkerEventPrefix, static_cast<unsigned long>(driverProcess));
                if (HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, name)) {
                    SetEvent(event);
                    CloseHandle(event);
                }
            }
            message->message = WM_NULL;
        }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}
