// A window port that records every call as one short line of text, for tests
// that check what the view asks of its window. Cell size, screen size, focus
// and the minimised state are set by the test.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "view/WindowPort.h"

class RecordingPort : public CWindowPort {
public:
    int charWidth = 8;
    int lineHeight = 16;
    int screenWidth = 1024;
    int screenHeight = 768;
    bool focus = true;
    bool minimised = false;
    int messageBoxAnswer = 1;
    std::vector<std::string> calls;

    void GetCellSize(int* width, int* height) override {
        *width = charWidth;
        *height = lineHeight;
    }
    void GetScreenSize(int* width, int* height) override {
        *width = screenWidth;
        *height = screenHeight;
    }
    void MoveWindow(int x, int y, int width, int height) override {
        Add("MoveWindow " + N(x) + " " + N(y) + " " + N(width) + " " + N(height));
    }
    bool HasFocus() override { return focus; }
    bool IsMinimised() override { return minimised; }
    void Invalidate(const PixelRect* rect, bool erase) override {
        Add("Invalidate " + (rect ? R(*rect) : std::string("all")) + (erase ? " erase" : ""));
    }
    void UpdateNow() override { Add("UpdateNow"); }
    void ScrollPixels(const PixelRect& band, int dx, int dy) override {
        Add("ScrollPixels " + R(band) + " by " + N(dx) + " " + N(dy));
    }
    void FillBackground(const PixelRect& rect) override { Add("FillBackground " + R(rect)); }
    void CreateCaret(int width, int height) override { Add("CreateCaret " + N(width) + "x" + N(height)); }
    void SetCaretPos(int x, int y) override { Add("SetCaretPos " + N(x) + " " + N(y)); }
    void ShowCaret() override { Add("ShowCaret"); }
    void HideCaret() override { Add("HideCaret"); }
    void SetScrollRange(int minPos, int maxPos) override { Add("SetScrollRange " + N(minPos) + " " + N(maxPos)); }
    void SetScrollPos(int pos) override { Add("SetScrollPos " + N(pos)); }
    void ShowScrollBar(bool show) override { Add(show ? "ShowScrollBar 1" : "ShowScrollBar 0"); }
    void SetCaption(const char* text) override { Add(std::string("SetCaption ") + (text ? text : "")); }
    int MessageBox(const char* text, const char* caption, unsigned type) override {
        Add(std::string("MessageBox ") + (caption ? caption : "") + ": " + (text ? text : "") + " " +
            N(static_cast<int>(type)));
        return messageBoxAnswer;
    }
    void Beep() override { Add("Beep"); }
    void RequestQuit(int exitCode) override { Add("RequestQuit " + N(exitCode)); }

    // Painting: the update rectangle comes from the test; the painter records
    // colour changes and runs as "Text RRGGBB", "Back RRGGBB" and
    // "Run x,y text" lines of their own.
    PixelRect paintArea;
    std::vector<std::string> painted;
    CCellPainter* BeginPaint(PixelRect* update) override {
        Add("BeginPaint " + R(paintArea));
        *update = paintArea;
        return &painter;
    }
    void EndPaint() override { Add("EndPaint"); }
    void InvertRect(const PixelRect& rect) override { Add("InvertRect " + R(rect)); }
    void CaptureMouse(bool capture) override { Add(capture ? "CaptureMouse 1" : "CaptureMouse 0"); }
    void SetPointer(PointerShape shape) override { Add(shape == PointerShape::kTextBeam ? "Pointer beam" : "Pointer arrow"); }

    // The clipboard: present while clipboardText holds a value.
    bool clipboardHasText = false;
    std::string clipboardText;
    bool clipboardWorks = true;
    bool ClipboardHasText() override { return clipboardHasText; }
    bool SetClipboardText(const char* text, int length) override {
        if (!clipboardWorks) return false;
        clipboardText.assign(text, static_cast<std::size_t>(length));
        clipboardHasText = true;
        return true;
    }
    bool GetClipboardText(std::string* text) override {
        if (!clipboardWorks || !clipboardHasText) return false;
        *text = clipboardText;
        return true;
    }

    void Clear() { calls.clear(); }
    // Calls whose text starts with prefix.
    std::vector<std::string> Matching(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const std::string& c : calls)
            if (c.compare(0, prefix.size(), prefix) == 0) out.push_back(c);
        return out;
    }
    std::size_t Count(const std::string& prefix) const { return Matching(prefix).size(); }
    // The last call starting with prefix, or "" when there is none.
    std::string Last(const std::string& prefix) const {
        for (auto it = calls.rbegin(); it != calls.rend(); ++it)
            if (it->compare(0, prefix.size(), prefix) == 0) return *it;
        return std::string();
    }

    static std::string R(const PixelRect& r) {
        return N(r.left) + "," + N(r.top) + "," + N(r.right) + "," + N(r.bottom);
    }

private:
    class Painter : public CCellPainter {
    public:
        explicit Painter(std::vector<std::string>& out) : lines(out) {}
        void SetTextColour(unsigned rgb) override { lines.push_back("Text " + Hex(rgb)); }
        void SetBackColour(unsigned rgb) override { lines.push_back("Back " + Hex(rgb)); }
        void DrawRun(int x, int y, const unsigned* cells, int count, unsigned lineSize) override {
            std::string text;
            for (int i = 0; i < count; ++i) text += static_cast<char>(cells[i] & 0xFF);
            lines.push_back("Run " + std::to_string(x) + "," + std::to_string(y) + " " + text +
                            (lineSize ? " size " + std::to_string(lineSize >> 16) : ""));
        }

    private:
        // As red, green, blue: "0080C8" is 0,128,200.
        static std::string Hex(unsigned rgb) {
            char out[8];
            std::snprintf(out, sizeof out, "%02X%02X%02X", rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
            return out;
        }
        std::vector<std::string>& lines;
    };
    Painter painter{painted};

    void Add(const std::string& line) { calls.push_back(line); }
    static std::string N(int v) { return std::to_string(v); }
};
