#include "view/win32/CWinWindowPort.h"

#include <cstring>
#include <utility>

#include "view/CTermView.h"
#include "view/Cp437Font.h"
#include "view/win32/WindowDpi.h"

namespace {
// Cell size of a font as the screen uses it: average character width, and
// height plus external leading.
void CellSizeOf(HDC dc, int* width, int* height) {
    TEXTMETRICA metrics;
    if (!GetTextMetricsA(dc, &metrics)) return;
    *width = metrics.tmAveCharWidth > 0 ? metrics.tmAveCharWidth : 1;
    *height = metrics.tmHeight + metrics.tmExternalLeading > 0 ? metrics.tmHeight + metrics.tmExternalLeading : 1;
}

RECT ToRect(const PixelRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }
}  // namespace

CWinWindowPort::CWinWindowPort(HWND mainWindow) : window(mainWindow), hasFocus(GetFocus() == mainWindow) {
    // The class has its own device context: what is selected here stays
    // selected between calls and paint passes.
    HDC device = Dc();
    dpi = WindowDpi(window, device);
    UseBuiltInFont();
    SetTextColor(device, RGB(0, 0, 0));
    SetBkColor(device, backColour);
    SetBkMode(device, OPAQUE);
}

CWinWindowPort::~CWinWindowPort() {
    if (backBrush) DeleteObject(backBrush);
    if (dc) ReleaseDC(window, dc);
}

HDC CWinWindowPort::Dc() {
    if (painting) return paint.hdc;
    if (!dc) dc = GetDC(window);
    return dc;
}

void CWinWindowPort::UseBuiltInFont() {
    fontChosen = false;
    cellWidth = MulDiv(cp437::kFontWidth, dpi, 96);
    cellHeight = MulDiv(cp437::kFontHeight, dpi, 96);
    letters = glyphs::BuiltInLetters();
    for (glyphs::CGlyphSet& set : screenGlyphs) set = glyphs::CGlyphSet();
}

bool CWinWindowPort::UseFont(const LOGFONTA& description) {
    // Rendered into two-colour masks: smoothed edges would only be lost.
    LOGFONTA sharp = description;
    sharp.lfQuality = NONANTIALIASED_QUALITY;
    HFONT font = CreateFontIndirectA(&sharp);
    if (!font) return false;
    HDC device = Dc();
    HGDIOBJ old = SelectObject(device, font);
    int width = 0, height = 0;
    CellSizeOf(device, &width, &height);
    SelectObject(device, old);
    glyphs::CGlyphSet rendered = width > 0 && height > 0 ? glyphs::RenderFontLetters(device, font, width, height)
                                                         : glyphs::CGlyphSet();
    DeleteObject(font);
    if (rendered.Empty()) return false;
    letters = std::move(rendered);
    cellWidth = width;
    cellHeight = height;
    for (glyphs::CGlyphSet& set : screenGlyphs) set = glyphs::CGlyphSet();
    return true;
}

bool CWinWindowPort::ChangeFont(LOGFONTA description, int* charWidth, int* lineHeight) {
    description.lfCharSet = OEM_CHARSET;
    description.lfOutPrecision = OUT_CHARACTER_PRECIS;
    description.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    description.lfQuality = DEFAULT_QUALITY;
    description.lfPitchAndFamily = FIXED_PITCH;
    description.lfFaceName[0] = '\0';
    if (!UseFont(description)) return false;
    fontChosen = true;
    chosenFont = description;
    chosenAtDpi = dpi;
    *charWidth = cellWidth;
    *lineHeight = cellHeight;
    return true;
}

void CWinWindowPort::ChangeDpi(int newDpi, int* charWidth, int* lineHeight) {
    dpi = newDpi > 0 ? newDpi : 96;
    if (fontChosen) {
        LOGFONTA scaled = chosenFont;
        scaled.lfHeight = MulDiv(chosenFont.lfHeight, dpi, chosenAtDpi);
        scaled.lfWidth = MulDiv(chosenFont.lfWidth, dpi, chosenAtDpi);
        if (!UseFont(scaled)) UseBuiltInFont();
    } else {
        UseBuiltInFont();
    }
    *charWidth = cellWidth;
    *lineHeight = cellHeight;
}

int CWinWindowPort::ScaledForDpi(int pixels) { return MulDiv(pixels, dpi, 96); }

const glyphs::CGlyphSet& CWinWindowPort::GlyphsFor(bool wide, bool tall) {
    glyphs::CGlyphSet& set = screenGlyphs[(wide ? 1 : 0) + (tall ? 2 : 0)];
    if (set.Empty()) set = glyphs::ScreenGlyphs(letters, wide ? 2 * cellWidth : cellWidth, tall ? 2 * cellHeight : cellHeight);
    return set;
}

// Geometry and window state.

void CWinWindowPort::GetCellSize(int* charWidth, int* lineHeight) {
    *charWidth = cellWidth;
    *lineHeight = cellHeight;
}

void CWinWindowPort::GetScreenSize(int* width, int* height) {
    *width = GetSystemMetrics(SM_CXSCREEN);
    *height = GetSystemMetrics(SM_CYSCREEN);
}

void CWinWindowPort::MoveWindow(int x, int y, int width, int height) {
    Flush();
    ::MoveWindow(window, x, y, width, height, TRUE);
}

bool CWinWindowPort::HasFocus() { return hasFocus; }
bool CWinWindowPort::IsMinimised() { return IsIconic(window) != 0; }

// Deferred calls.

void CWinWindowPort::Flush() {
    FlushInvalidation();
    FlushCaret();
}

void CWinWindowPort::FlushInvalidation() {
    if (!invalidPending) return;
    invalidPending = false;
    InvalidateRect(window, invalidAll ? nullptr : &invalidRect, invalidErase);
    invalidAll = invalidErase = false;
}

void CWinWindowPort::FlushCaret() {
    if (!caretExists) return;
    for (; caretHideApplied < caretHideWanted; ++caretHideApplied) ::HideCaret(window);
    for (; caretHideApplied > caretHideWanted; --caretHideApplied) ::ShowCaret(window);
    if (caretMovePending) ::SetCaretPos(caretPos.x, caretPos.y);
    caretMovePending = false;
}

void CWinWindowPort::Invalidate(const PixelRect* rect, bool erase) {
    invalidErase = invalidErase || erase;
    if (!rect || invalidAll) {
        invalidAll = invalidPending = true;
        return;
    }
    const RECT r = ToRect(*rect);
    if (r.left >= r.right || r.top >= r.bottom) return;
    if (!invalidPending) {
        invalidRect = r;
    } else {
        RECT both;
        UnionRect(&both, &invalidRect, &r);
        invalidRect = both;
    }
    invalidPending = true;
}

void CWinWindowPort::UpdateNow() {
    Flush();
    UpdateWindow(window);
}

void CWinWindowPort::ScrollPixels(const PixelRect& band, int dx, int dy) {
    // Pending invalidation goes first: the scroll moves the update region too.
    Flush();
    RECT r = ToRect(band);
    ScrollWindowEx(window, dx, dy, &r, &r, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
}

void CWinWindowPort::FillBackground(const PixelRect& rect) {
    Flush();
    if (!backBrush) backBrush = CreateSolidBrush(GetNearestColor(Dc(), backColour));
    RECT r = ToRect(rect);
    FillRect(Dc(), &r, backBrush);
}

// Caret and scroll bar.

void CWinWindowPort::CreateCaret(int width, int height) {
    // Whatever was pending belonged to the caret this one replaces.
    caretMovePending = false;
    caretExists = ::CreateCaret(window, nullptr, width, height) != 0;
    caretHideWanted = caretHideApplied = 1;
}

void CWinWindowPort::DestroyCaret() {
    caretExists = false;
    caretMovePending = false;
    ::DestroyCaret();
}

void CWinWindowPort::SetCaretPos(int x, int y) {
    caretPos = POINT{x, y};
    caretMovePending = true;
}

void CWinWindowPort::ShowCaret() {
    if (caretHideWanted > 0) --caretHideWanted;
}

void CWinWindowPort::HideCaret() { ++caretHideWanted; }
void CWinWindowPort::SetScrollRange(int minPos, int maxPos) { ::SetScrollRange(window, SB_VERT, minPos, maxPos, FALSE); }
void CWinWindowPort::SetScrollPos(int pos) { ::SetScrollPos(window, SB_VERT, pos, TRUE); }
void CWinWindowPort::ShowScrollBar(bool show) { ::ShowScrollBar(window, SB_VERT, show ? TRUE : FALSE); }

// Shell services.

void CWinWindowPort::SetCaption(const char* text) { SetWindowTextA(window, text ? text : ""); }

int CWinWindowPort::MessageBox(const char* text, const char* caption, unsigned type) {
    Flush();  // the box's own message loop paints the window
    return MessageBoxA(window, text ? text : "", caption ? caption : "", type);
}

void CWinWindowPort::Beep() { MessageBeep(0xFFFFFFFFu); }
void CWinWindowPort::RequestQuit(int exitCode) { PostQuitMessage(exitCode); }

// Painting.

CCellPainter* CWinWindowPort::BeginPaint(PixelRect* update) {
    Flush();
    if (!::BeginPaint(window, &paint)) return nullptr;
    painting = true;
    update->left = paint.rcPaint.left;
    update->top = paint.rcPaint.top;
    update->right = paint.rcPaint.right;
    update->bottom = paint.rcPaint.bottom;
    return this;
}

void CWinWindowPort::EndPaint() {
    if (!painting) return;
    FlushCaret();
    ::EndPaint(window, &paint);
    painting = false;
}

void CWinWindowPort::InvertRect(const PixelRect& rect) {
    if (!painting) Flush();
    RECT r = ToRect(rect);
    HDC device = Dc();
    // Outside a paint pass the whole window may be drawn on.
    if (!painting) SelectClipRgn(device, nullptr);
    ::InvertRect(device, &r);
}

void CWinWindowPort::SetTextColour(unsigned rgb) {
    textColour = rgb;
    SetTextColor(Dc(), rgb);
}

void CWinWindowPort::SetBackColour(unsigned rgb) {
    backColour = rgb;
    // The brush is made again when something is filled with it.
    if (backBrush) DeleteObject(backBrush);
    backBrush = nullptr;
    SetBkColor(Dc(), rgb);
}

void CWinWindowPort::DrawRun(int x, int y, const unsigned* cells, int count, unsigned lineSize) {
    if (count <= 0) return;
    if (count > screen::kColumns) count = screen::kColumns;
    const bool wide = (lineSize & cell::kDoubleWidth) != 0;
    const bool tall = (lineSize & cell::kDoubleHeight) != 0;
    // A double-height row shows the upper half of its glyphs, or the lower
    // half when it is the second row of the pair.
    const int firstRow = tall && (lineSize & cell::kLowerHalf) ? cellHeight : 0;
    runPainter.Draw(Dc(), x, y, GlyphsFor(wide, tall), cells, count, textColour, backColour, firstRow, cellHeight);
}

// Mouse and clipboard.

void CWinWindowPort::CaptureMouse(bool capture) {
    if (capture)
        SetCapture(window);
    else
        ReleaseCapture();
}

void CWinWindowPort::SetPointer(PointerShape shape) {
    SetCursor(LoadCursor(nullptr, shape == PointerShape::kTextBeam ? IDC_IBEAM : IDC_ARROW));
}

bool CWinWindowPort::ClipboardHasText() { return IsClipboardFormatAvailable(CF_TEXT) != 0; }

bool CWinWindowPort::SetClipboardText(const char* text, int length) {
    if (length < 0) return false;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(length) + 1);
    if (!memory) return false;
    if (void* bytes = GlobalLock(memory)) {
        std::memcpy(bytes, text, static_cast<size_t>(length));
        GlobalUnlock(memory);
    }
    if (!OpenClipboard(window)) {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    // The clipboard owns the memory once it has taken it.
    const bool taken = SetClipboardData(CF_TEXT, memory) != nullptr;
    CloseClipboard();
    if (!taken) GlobalFree(memory);
    return taken;
}

bool CWinWindowPort::GetClipboardText(std::string* text) {
    if (!IsClipboardFormatAvailable(CF_TEXT) || !OpenClipboard(window)) return false;
    bool ok = false;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
            const SIZE_T size = GlobalSize(data);
            // The text ends at its zero byte, or at the end of the block.
            text->assign(bytes, strnlen(bytes, size));
            GlobalUnlock(data);
            ok = true;
        }
    }
    CloseClipboard();
    return ok;
}
