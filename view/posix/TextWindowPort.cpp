#include "view/posix/TextWindowPort.h"

void CTextWindowPort::MarkLines(int top, int bottom) {
    if (top < 0) top = 0;
    if (bottom > screen::kShownRows) bottom = screen::kShownRows;
    for (int line = top; line < bottom; ++line) dirty.set(line);
}

void CTextWindowPort::Invalidate(const PixelRect* rect, bool) {
    if (!rect) {
        dirty.set();
        return;
    }
    MarkLines(rect->top, rect->bottom);
}

void CTextWindowPort::ScrollPixels(const PixelRect& band, int, int) {
    // Scrolled lines are redrawn from the store; the scroll stays in band.
    MarkLines(band.top, band.bottom);
}

int CTextWindowPort::MessageBox(const char* text, const char* caption, unsigned) {
    std::string line = std::string(caption ? caption : "") + ": " + (text ? text : "");
    for (char& c : line)
        if (c == '\r' || c == '\n') c = ' ';
    messages.push_back(line);
    return 1;
}

std::bitset<screen::kShownRows> CTextWindowPort::TakeDirty() {
    auto taken = dirty;
    dirty.reset();
    return taken;
}

std::vector<std::string> CTextWindowPort::TakeMessages() {
    std::vector<std::string> taken;
    taken.swap(messages);
    return taken;
}
