// The mouse, the clipboard, the menu and the painted pixels of the target.
#include <cstring>
#include <memory>

#include "Driver.h"
#include "DriverHook.h"
#include "TextEscape.h"

namespace ovdrive {

namespace {

// Windows without an answer to the cell size message size their cells by
// the stock OEM fixed font.
bool OemCellSize(int& width, int& height) {
    HDC screen = GetDC(nullptr);
    if (!screen) return false;
    HGDIOBJ old = SelectObject(screen, GetStockObject(OEM_FIXED_FONT));
    TEXTMETRICA tm;
    const bool ok = GetTextMetricsA(screen, &tm) != 0;
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    if (!ok || tm.tmAveCharWidth <= 0) return false;
    width = tm.tmAveCharWidth;
    height = tm.tmHeight + tm.tmExternalLeading;
    return height > 0;
}

// The target's cell size, as it answers "WinOvTerm.CellSize" (width in the
// low word, height in the high word), else that of the OEM fixed font.
bool TargetCellSize(HWND target, int& width, int& height) {
    static const UINT message = RegisterWindowMessageA("WinOvTerm.CellSize");
    DWORD_PTR answer = 0;
    if (target && message &&
        SendMessageTimeoutA(target, message, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer) && LOWORD(answer) > 0 &&
        HIWORD(answer) > 0) {
        width = LOWORD(answer);
        height = HIWORD(answer);
        return true;
    }
    return OemCellSize(width, height);
}

void WriteLe(std::string& out, unsigned value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string MenuStateText(UINT state) {
    std::string text = (state & (MF_GRAYED | MF_DISABLED)) ? "grayed" : "enabled";
    if (state & MF_CHECKED) text += " checked";
    return text;
}

}  // namespace

bool Driver::CellSize(const Command& c) {
    int width, height;
    if (!ArgCount(c, 0, 0)) return false;
    if (!TargetCellSize(target_, width, height)) return Fail("cellsize: no cell size from the window or the OEM fixed font");
    Print("cellsize " + std::to_string(width) + " " + std::to_string(height));
    return true;
}

// The code pages the system runs with: what decides the glyphs of a
// program that draws its text through them.
bool Driver::CodePages(const Command& c) {
    if (!ArgCount(c, 0, 0)) return false;
    Print("codepages " + std::to_string(GetACP()) + " " + std::to_string(GetOEMCP()));
    return true;
}

// The system's DPI as a DPI-aware program sees it (the driver is one): what
// the programs scale their windows to. (Wine answers GetDpiForWindow for
// another process's window with 96 whatever its scale.)
bool Driver::WindowDpi(const Command& c) {
    if (!ArgCount(c, 0, 0)) return false;
    HDC screen = GetDC(nullptr);
    if (!screen) return Fail("dpi: no screen device context");
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    Print("dpi " + std::to_string(dpi));
    return true;
}

bool Driver::SendMouse(UINT msg, WPARAM wp, int x, int y) {
    return SendWait(target_, msg, wp, MAKELPARAM(x, y), "mouse");
}

bool Driver::DragPx(const Command& c) {
    long v[4];
    if (!ArgCount(c, 4, 4) || !NeedTarget(c)) return false;
    for (int i = 0; i < 4; ++i)
        if (!IntArg(c, i, v[i])) return false;
    const int x1 = v[0], y1 = v[1], x2 = v[2], y2 = v[3];
    return SendMouse(WM_LBUTTONDOWN, MK_LBUTTON, x1, y1) && SendMouse(WM_MOUSEMOVE, MK_LBUTTON, x2, y2) &&
           SendMouse(WM_LBUTTONUP, 0, x2, y2);
}

bool Driver::DragCells(long r1, long c1, long r2, long c2) {
    int width, height;
    if (!TargetCellSize(target_, width, height)) return Fail("drag: no cell size from the window or the OEM fixed font");
    // The centre of each cell, so that rounding in the program cannot move it.
    auto x = [&](long col) { return static_cast<int>(col * width + width / 2); };
    auto y = [&](long row) { return static_cast<int>(row * height + height / 2); };
    return SendMouse(WM_LBUTTONDOWN, MK_LBUTTON, x(c1), y(r1)) && SendMouse(WM_MOUSEMOVE, MK_LBUTTON, x(c2), y(r2)) &&
           SendMouse(WM_LBUTTONUP, 0, x(c2), y(r2));
}

bool Driver::Drag(const Command& c) {
    long v[4];
    if (!ArgCount(c, 4, 4) || !NeedTarget(c)) return false;
    for (int i = 0; i < 4; ++i)
        if (!IntArg(c, i, v[i])) return false;
    return DragCells(v[0], v[1], v[2], v[3]);
}

bool Driver::MouseMove(const Command& c) {
    long x, y;
    if (!ArgCount(c, 2, 2) || !IntArg(c, 0, x) || !IntArg(c, 1, y) || !NeedTarget(c)) return false;
    return SendMouse(WM_MOUSEMOVE, 0, static_cast<int>(x), static_cast<int>(y));
}

// --- clipboard ---------------------------------------------------------------

bool Driver::WithClipboard(DWORD ms, const std::function<void()>& action) {
    // Another process (the program) may hold the clipboard for a moment.
    if (!WaitUntil(ms, [] { return OpenClipboard(nullptr) != 0; }))
        return Fail("clipboard: could not open the clipboard within " + std::to_string(ms) + " ms");
    action();
    CloseClipboard();
    return true;
}

bool Driver::ReadClipboard(bool& has, std::string& text) {
    has = false;
    text.clear();
    return WithClipboard(kDefaultTimeout, [&] {
        HANDLE data = GetClipboardData(CF_TEXT);
        if (!data) return;
        if (const char* p = static_cast<const char*>(GlobalLock(data))) {
            has = true;
            text = p;
            GlobalUnlock(data);
        }
    });
}

bool Driver::Clipboard(const Command& c) {
    if (!ArgCount(c, 0, 0)) return false;
    bool has = false;
    std::string text;
    if (!ReadClipboard(has, text)) return false;
    Print(has ? "clipboard " + EscapeText(text, false) : std::string("clipboard-empty"));
    return true;
}

bool Driver::SetClipboard(const Command& c) {
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, c.rest.size() + 1);
    if (!mem) return Fail("setclipboard: GlobalAlloc failed");
    memcpy(GlobalLock(mem), c.rest.c_str(), c.rest.size() + 1);
    GlobalUnlock(mem);
    bool set = false;
    if (!WithClipboard(kDefaultTimeout, [&] {
            EmptyClipboard();
            set = SetClipboardData(CF_TEXT, mem) != nullptr;
        })) {
        GlobalFree(mem);
        return false;
    }
    if (!set) {
        GlobalFree(mem);
        return Fail("setclipboard: SetClipboardData failed");
    }
    return true;
}

bool Driver::ClearClipboard(const Command& c) {
    if (!ArgCount(c, 0, 0)) return false;
    return WithClipboard(kDefaultTimeout, [] { EmptyClipboard(); });
}

// --- menu --------------------------------------------------------------------

bool Driver::MenuState(const Command& c) {
    long index, id;
    if (!ArgCount(c, 2, 2) || !IntArg(c, 0, index) || !IntArg(c, 1, id)) return false;
    HookShared request = {};
    request.op = kHookMenuState;
    request.popup = index;
    request.id = id;
    if (!AskHook(c, request)) return false;
    Print("menustate " + c.args[1] + " " + MenuStateText(request.state));
    return true;
}

bool Driver::MenuItems(const Command& c) {
    long index;
    if (!ArgCount(c, 1, 1) || !IntArg(c, 0, index)) return false;
    auto request = std::make_unique<HookShared>();
    request->op = kHookMenuItems;
    request->popup = index;
    if (!AskHook(c, *request)) return false;
    for (LONG i = 0; i < request->count; ++i) {
        const HookItem& item = request->items[i];
        const std::string text = EscapeText(std::string(item.text, strnlen(item.text, sizeof item.text)), false);
        if (item.kind == kHookSeparator) {
            Print("separator");
        } else if (item.kind == kHookPopup) {
            Print("popup " + text);
        } else {
            Print("item " + std::to_string(item.id) + " " + text);
        }
    }
    return true;
}

// --- pixels ------------------------------------------------------------------

bool Driver::CaptureClient(std::vector<unsigned char>& bgr, int& width, int& height) {
    Command c;
    c.name = "screenshot";
    RECT client;
    if (!GetClientRect(target_, &client)) return Fail("screenshot: no client area");
    width = client.right;
    height = client.bottom;
    if (width <= 0 || height <= 0) return Fail("screenshot: the client area is empty");
    const size_t size = HookStride(width) * static_cast<size_t>(height);
    char name[64];
    snprintf(name, sizeof name, "%s%lu", kHookPixelsPrefix, static_cast<unsigned long>(GetCurrentProcessId()));
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, static_cast<DWORD>(size), name);
    if (!mapping) return Fail("screenshot: cannot create the shared block for the pixels");
    // The capture is taken inside the program: from outside, Wine shows only
    // what has reached the X server, which lags behind the painting.
    HookShared request = {};
    request.op = kHookCapture;
    request.width = width;
    request.height = height;
    bool ok = AskHook(c, request);
    if (ok) {
        const void* pixels = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, size);
        if (pixels) {
            bgr.assign(static_cast<const unsigned char*>(pixels), static_cast<const unsigned char*>(pixels) + size);
            UnmapViewOfFile(pixels);
        } else {
            ok = Fail("screenshot: cannot read the pixels");
        }
    }
    CloseHandle(mapping);
    return ok;
}

bool Driver::Screenshot(const Command& c) {
    std::vector<unsigned char> bgr;
    int width, height;
    if (!ArgCount(c, 1, 1) || !NeedTarget(c) || !CaptureClient(bgr, width, height)) return false;
    // A bottom-up 24-bit BMP, the layout every reader takes.
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
    std::string file;
    WriteLe(file, 'B' | ('M' << 8), 2);
    WriteLe(file, static_cast<unsigned>(54 + bgr.size()), 4);
    WriteLe(file, 0, 4);
    WriteLe(file, 54, 4);
    WriteLe(file, 40, 4);
    WriteLe(file, static_cast<unsigned>(width), 4);
    WriteLe(file, static_cast<unsigned>(height), 4);
    WriteLe(file, 1, 2);
    WriteLe(file, 24, 2);
    WriteLe(file, 0, 4);
    WriteLe(file, static_cast<unsigned>(bgr.size()), 4);
    WriteLe(file, 2835, 4);
    WriteLe(file, 2835, 4);
    WriteLe(file, 0, 4);
    WriteLe(file, 0, 4);
    for (int row = height - 1; row >= 0; --row)
        file.append(reinterpret_cast<const char*>(&bgr[static_cast<size_t>(row) * stride]), stride);
    FILE* out = fopen(c.args[0].c_str(), "wb");
    if (!out) return Fail("screenshot: cannot create " + c.args[0]);
    const bool written = fwrite(file.data(), 1, file.size(), out) == file.size();
    if (fclose(out) != 0 || !written) return Fail("screenshot: cannot write " + c.args[0]);
    Print("screenshot " + std::to_string(width) + " " + std::to_string(height));
    return true;
}

bool Driver::Pixel(const Command& c) {
    long x, y;
    std::vector<unsigned char> bgr;
    int width, height;
    if (!ArgCount(c, 2, 2) || !IntArg(c, 0, x) || !IntArg(c, 1, y) || !NeedTarget(c) ||
        !CaptureClient(bgr, width, height))
        return false;
    if (x < 0 || y < 0 || x >= width || y >= height)
        return Fail("pixel: " + c.args[0] + "," + c.args[1] + " is outside the client area of " +
                    std::to_string(width) + "x" + std::to_string(height));
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
    const unsigned char* p = &bgr[static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3];
    Print("pixel " + std::to_string(p[2]) + " " + std::to_string(p[1]) + " " + std::to_string(p[0]));
    return true;
}

// --- responsiveness ----------------------------------------------------------

bool Driver::PopupHandle(const Command& c, LONG index, HMENU& popup) {
    HookShared request = {};
    request.op = kHookSubMenu;
    request.popup = index;
    if (!AskHook(c, request)) return false;
    // The handle is the program's own; the program reads it in its process.
    popup = reinterpret_cast<HMENU>(request.menu);
    return true;
}

bool Driver::TimeSend(const Command& c) {
    long count;
    if (!ArgCount(c, 1, 1) || !IntArg(c, 0, count) || !NeedTarget(c)) return false;
    if (count <= 0) return Fail("timesend: the count must be above 0");
    HMENU popup = nullptr;
    if (!PopupHandle(c, 0, popup)) return false;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    double total = 0, worst = 0;
    for (long i = 0; i < count; ++i) {
        const UINT messages[2] = {WM_NULL, WM_INITMENUPOPUP};
        const WPARAM wps[2] = {0, reinterpret_cast<WPARAM>(popup)};
        for (int m = 0; m < 2; ++m) {
            QueryPerformanceCounter(&start);
            if (!SendWait(target_, messages[m], wps[m], 0, "timesend")) return false;
            QueryPerformanceCounter(&end);
            const double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                              static_cast<double>(frequency.QuadPart);
            total += ms;
            if (ms > worst) worst = ms;
        }
    }
    char text[96];
    snprintf(text, sizeof text, "timesend max_ms=%.3f avg_ms=%.3f", worst, total / (2.0 * count));
    Print(text);
    return true;
}

}  // namespace ovdrive
