// Everything the view needs from a window. The Win32 implementation lives in
// view/win32; tests use a recording double and the tools a headless port.
// Coordinates are client-area pixels.
#pragma once

#include <string>

struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool Empty() const { return left >= right || top >= bottom; }
};

// Colours as the platform's RGB word: red in the low byte, then green, then blue.
constexpr unsigned Rgb(unsigned r, unsigned g, unsigned b) { return r | (g << 8) | (b << 16); }

// Draws the cells of one paint pass. A run is a stretch of cells of one row
// with equal attributes; its colours are set before it is drawn.
class CCellPainter {
public:
    virtual ~CCellPainter() = default;
    virtual void SetTextColour(unsigned rgb) = 0;
    virtual void SetBackColour(unsigned rgb) = 0;
    // count characters (bits 0-7 of the cell words) from pixel (x, y), one cell
    // each, with an opaque background. lineSize is the row's size bits: double
    // width cells are twice as wide; a double-height row shows the upper half
    // of its glyphs, or the lower half when the lower-half bit is set.
    virtual void DrawRun(int x, int y, const unsigned* cells, int count, unsigned lineSize) = 0;
};

enum class PointerShape { kArrow, kTextBeam };

class CWindowPort {
public:
    virtual ~CWindowPort() = default;

    // Geometry of the selected font and of the desktop.
    virtual void GetCellSize(int* charWidth, int* lineHeight) = 0;
    virtual void GetScreenSize(int* width, int* height) = 0;
    virtual void MoveWindow(int x, int y, int width, int height) = 0;
    // Pixels of the window frame, given at 96 DPI, at the window's own DPI.
    virtual int ScaledForDpi(int pixels) { return pixels; }
    virtual bool HasFocus() = 0;
    virtual bool IsMinimised() = 0;

    // Painting: a null rectangle means the whole client area.
    virtual void Invalidate(const PixelRect* rect, bool erase) = 0;
    virtual void UpdateNow() = 0;  // paint pending updates at once
    // Moves the pixels of band by (dx, dy) within band: what moves out of it
    // is dropped (the window clips the scroll to it), and the part of band
    // left uncovered is invalidated and erased.
    virtual void ScrollPixels(const PixelRect& band, int dx, int dy) = 0;
    virtual void FillBackground(const PixelRect& rect) = 0;

    // The system caret.
    virtual void CreateCaret(int width, int height) = 0;
    virtual void SetCaretPos(int x, int y) = 0;
    virtual void ShowCaret() = 0;
    virtual void HideCaret() = 0;

    // The vertical scroll bar.
    virtual void SetScrollRange(int minPos, int maxPos) = 0;
    virtual void SetScrollPos(int pos) = 0;
    virtual void ShowScrollBar(bool show) = 0;

    // Shell services.
    virtual void SetCaption(const char* text) = 0;
    virtual int MessageBox(const char* text, const char* caption, unsigned type) = 0;
    virtual void Beep() = 0;
    virtual void RequestQuit(int exitCode) = 0;

    // Painting: the update rectangle and a painter for it, or null when
    // nothing can be painted; every BeginPaint that answered a painter is
    // followed by one EndPaint.
    virtual CCellPainter* BeginPaint(PixelRect* update) {
        (void)update;
        return nullptr;
    }
    virtual void EndPaint() {}
    // Inverts the pixels of a rectangle (the selection highlight).
    virtual void InvertRect(const PixelRect& rect) { (void)rect; }

    // Mouse capture and the pointer shape while selecting.
    virtual void CaptureMouse(bool capture) { (void)capture; }
    virtual void SetPointer(PointerShape shape) { (void)shape; }

    // Plain text on the clipboard. GetClipboardText is false when there is none.
    virtual bool ClipboardHasText() { return false; }
    virtual bool SetClipboardText(const char* text, int length) {
        (void)text;
        (void)length;
        return false;
    }
    virtual bool GetClipboardText(std::string* text) {
        (void)text;
        return false;
    }
};

// Message-box types the portable code passes on.
#include "view/MessageBoxes.h"
