// Everything the view needs from a window. The Win32 implementation lives in
// view/win32; tests use a recording double and the tools a headless port.
// Coordinates are client-area pixels.
#pragma once

struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

class CWindowPort {
public:
    virtual ~CWindowPort() = default;

    // Geometry of the selected font and of the desktop.
    virtual void GetCellSize(int* charWidth, int* lineHeight) = 0;
    virtual void GetScreenSize(int* width, int* height) = 0;
    virtual void MoveWindow(int x, int y, int width, int height) = 0;
    virtual bool HasFocus() = 0;
    virtual bool IsMinimised() = 0;

    // Painting: a null rectangle means the whole client area.
    virtual void Invalidate(const PixelRect* rect, bool erase) = 0;
    virtual void UpdateNow() = 0;  // paint pending updates at once
    // Moves the pixels of band by (dx, dy); the uncovered area is invalidated and erased.
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
};

// Message-box types the portable code passes on.
namespace mb {
constexpr unsigned kOk = 0x0;
constexpr unsigned kIconExclamation = 0x30;
}  // namespace mb
