// A window port for a character-cell terminal: one pixel is one cell, so the
// view's rectangles and caret positions are cell coordinates. Nothing is drawn
// here; the port records what must be redrawn, where the caret is and what
// the view asked to show, and the front end draws from the cell store.
#pragma once

#include <bitset>
#include <string>
#include <vector>

#include "view/CTermView.h"
#include "view/WindowPort.h"

class CTextWindowPort : public CWindowPort {
public:
    void GetCellSize(int* charWidth, int* lineHeight) override { *charWidth = 1; *lineHeight = 1; }
    void GetScreenSize(int* width, int* height) override {
        *width = screen::kColumns;
        *height = screen::kShownRows;
    }
    void MoveWindow(int, int, int, int) override {}
    bool HasFocus() override { return true; }
    bool IsMinimised() override { return false; }
    void Invalidate(const PixelRect* rect, bool erase) override;
    void UpdateNow() override {}
    void ScrollPixels(const PixelRect& band, int dx, int dy) override;
    void FillBackground(const PixelRect& rect) override { Invalidate(&rect, true); }
    void CreateCaret(int, int) override {}
    void SetCaretPos(int x, int y) override { caretX = x; caretY = y; }
    void ShowCaret() override { caretShown = true; }
    void HideCaret() override { caretShown = false; }
    void SetScrollRange(int, int) override {}
    void SetScrollPos(int) override { MarkAll(); }
    void ShowScrollBar(bool) override {}
    void SetCaption(const char* text) override { caption = text ? text : ""; }
    int MessageBox(const char* text, const char* caption, unsigned type) override;
    void Beep() override { ++beeps; }
    void RequestQuit(int exitCode) override { quitRequested = true; quitCode = exitCode; }

    // Lines (0..24) changed since the last TakeDirty, which clears them.
    std::bitset<screen::kShownRows> TakeDirty();
    bool AnyDirty() const { return dirty.any(); }
    void MarkAll() { dirty.set(); }

    int CaretColumn() const { return caretX; }
    int CaretLine() const { return caretY; }
    bool CaretShown() const { return caretShown; }
    const std::string& Caption() const { return caption; }
    // Message boxes not yet shown by the front end, each "CAPTION: TEXT".
    std::vector<std::string> TakeMessages();
    int TakeBeeps() { int n = beeps; beeps = 0; return n; }
    bool QuitRequested() const { return quitRequested; }

private:
    void MarkLines(int top, int bottom);

    std::bitset<screen::kShownRows> dirty;
    int caretX = 0, caretY = 0;
    bool caretShown = true;
    std::string caption;
    std::vector<std::string> messages;
    int beeps = 0;
    bool quitRequested = false;
    int quitCode = 0;
};
