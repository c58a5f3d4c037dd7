// The view's window port over the program's main window: GDI painting through
// the window's own device context, the caret, the scroll bar, the clipboard,
// message boxes and the caption.
#pragma once

#include <windows.h>
// The port's MessageBox is its own operation, not the A/W macro.
#undef MessageBox

#include "view/GlyphSet.h"
#include "view/WindowPort.h"
#include "view/win32/GdiGlyphs.h"

class CWinWindowPort : public CWindowPort, private CCellPainter {
public:
    explicit CWinWindowPort(HWND window);
    ~CWinWindowPort() override;
    CWinWindowPort(const CWinWindowPort&) = delete;
    CWinWindowPort& operator=(const CWinWindowPort&) = delete;

    HWND Window() const { return window; }
    void SetWindow(HWND handle) { window = handle; }

    // Invalidation and the caret are applied lazily: every call to the window
    // system is a round trip to the server under Wine, and a screen of host
    // output asks for hundreds of them (the caret hidden, shown and moved,
    // a rectangle invalidated, for every run of text). Flush applies what is
    // pending; the window procedure calls it after every message, and every
    // drawing call here flushes first, so what is seen is unchanged.
    void Flush();
    // Focus as the window's own focus messages report it.
    void SetFocused(bool focused) { hasFocus = focused; }
    void DestroyCaret();

    // A font chosen in the font dialog, forced to a fixed-pitch OEM font of
    // its size and weight, draws the letters from then on; the new cell size
    // is returned. False when the font cannot be made (the old one stays).
    bool ChangeFont(LOGFONTA description, int* charWidth, int* lineHeight);
    // The window's monitor has another DPI: the cell grows or shrinks with
    // it (the built-in font by whole steps, a chosen font made anew at the
    // scaled size); the new cell size is returned.
    void ChangeDpi(int dpi, int* charWidth, int* lineHeight);
    int Dpi() const { return dpi; }

    // CWindowPort
    void GetCellSize(int* charWidth, int* lineHeight) override;
    void GetScreenSize(int* width, int* height) override;
    void MoveWindow(int x, int y, int width, int height) override;
    int ScaledForDpi(int pixels) override;
    bool HasFocus() override;
    bool IsMinimised() override;
    void Invalidate(const PixelRect* rect, bool erase) override;
    void UpdateNow() override;
    void ScrollPixels(const PixelRect& band, int dx, int dy) override;
    void FillBackground(const PixelRect& rect) override;
    void CreateCaret(int width, int height) override;
    void SetCaretPos(int x, int y) override;
    void ShowCaret() override;
    void HideCaret() override;
    void SetScrollRange(int minPos, int maxPos) override;
    void SetScrollPos(int pos) override;
    void ShowScrollBar(bool show) override;
    void SetCaption(const char* text) override;
    int MessageBox(const char* text, const char* caption, unsigned type) override;
    void Beep() override;
    void RequestQuit(int exitCode) override;
    CCellPainter* BeginPaint(PixelRect* update) override;
    void EndPaint() override;
    void InvertRect(const PixelRect& rect) override;
    void CaptureMouse(bool capture) override;
    void SetPointer(PointerShape shape) override;
    bool ClipboardHasText() override;
    bool SetClipboardText(const char* text, int length) override;
    bool GetClipboardText(std::string* text) override;

private:
    // CCellPainter
    void SetTextColour(unsigned rgb) override;
    void SetBackColour(unsigned rgb) override;
    void DrawRun(int x, int y, const unsigned* cells, int count, unsigned lineSize) override;

    HDC Dc();
    void FlushInvalidation();
    void FlushCaret();
    void UseBuiltInFont();
    bool UseFont(const LOGFONTA& description);
    const glyphs::CGlyphSet& GlyphsFor(bool wide, bool tall);

    HWND window;
    HDC dc = nullptr;
    PAINTSTRUCT paint = {};
    bool painting = false;
    int dpi = 96;
    // The letters: the built-in font, or one chosen in the font dialog (its
    // description kept to make it again at another DPI, for the DPI it was
    // chosen at). The screen's glyphs are made from them per line size.
    bool fontChosen = false;
    LOGFONTA chosenFont = {};
    int chosenAtDpi = 96;
    glyphs::CGlyphSet letters;
    glyphs::CGlyphSet screenGlyphs[4];  // normal, wide, tall, wide and tall
    glyphs::CGdiRunPainter runPainter;
    int cellWidth = 8;
    int cellHeight = 12;
    COLORREF textColour = RGB(0, 0, 0);
    HBRUSH backBrush = nullptr;
    COLORREF backColour = RGB(255, 255, 255);

    bool hasFocus = false;
    // Pending invalidation: nothing, a rectangle (the union of those asked
    // for), or the whole client area.
    bool invalidPending = false;
    bool invalidAll = false;
    bool invalidErase = false;
    RECT invalidRect = {};
    // The caret: its hide count as the view wants it and as the window system
    // has it (a new caret starts hidden, count 1), and a move still to make.
    bool caretExists = false;
    int caretHideWanted = 0;
    int caretHideApplied = 0;
    bool caretMovePending = false;
    POINT caretPos = {};
};
