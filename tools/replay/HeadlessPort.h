// A window port with no window: fixed 8x16 cells, never focused, message
// boxes optionally echoed to a stream.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "view/WindowPort.h"

class CHeadlessPort : public CWindowPort {
public:
    explicit CHeadlessPort(std::FILE* messageStream = nullptr) : messages(messageStream) {}
    void GetCellSize(int* charWidth, int* lineHeight) override { *charWidth = 8; *lineHeight = 16; }
    void GetScreenSize(int* width, int* height) override { *width = 1024; *height = 768; }
    void MoveWindow(int, int, int, int) override {}
    bool HasFocus() override { return false; }
    bool IsMinimised() override { return false; }
    void Invalidate(const PixelRect*, bool) override {}
    void UpdateNow() override {}
    void ScrollPixels(const PixelRect&, int, int) override {}
    void FillBackground(const PixelRect&) override {}
    void CreateCaret(int, int) override {}
    void SetCaretPos(int, int) override {}
    void ShowCaret() override {}
    void HideCaret() override {}
    void SetScrollRange(int, int) override {}
    void SetScrollPos(int) override {}
    void ShowScrollBar(bool) override {}
    void SetCaption(const char*) override {}
    int MessageBox(const char* text, const char* caption, unsigned) override {
        const std::string line = std::string(caption ? caption : "") + ": " + (text ? text : "");
        if (messages) std::fprintf(messages, "message %s\n", line.c_str());
        shown.push_back(line);
        return 1;
    }
    void Beep() override {}
    void RequestQuit(int) override {}

    // Every message box, "CAPTION: TEXT", in order.
    std::vector<std::string> shown;

private:
    std::FILE* messages;
};
