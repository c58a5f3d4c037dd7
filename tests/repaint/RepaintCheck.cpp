#include "repaint/RepaintCheck.h"

#include <cstdio>
#include <fstream>
#include <memory>

#include "repaint/CursesDrawing.h"
#include "repaint/HostStreams.h"
#include "repaint/PaintedWindowPort.h"
#include "tools/replay/ReplaySession.h"
#include "view/CWinTermView.h"

namespace repaint {

namespace {

// One front end: the port the view draws on, what it does once a block
// has been handled, and how what it shows differs from the store.
class Drawing {
public:
    virtual ~Drawing() = default;
    virtual CWindowPort& Port() = 0;
    virtual void Attach(CWinTermView& view) = 0;
    virtual void AfterBlock() = 0;
    virtual std::string FirstDifference() const = 0;
};

class WindowDrawing : public Drawing {
public:
    WindowDrawing(int charWidth, int lineHeight) : port(charWidth, lineHeight) {}
    CWindowPort& Port() override { return port; }
    void Attach(CWinTermView& view) override { port.Attach(&view); }
    void AfterBlock() override { port.PaintPending(); }
    std::string FirstDifference() const override { return port.FirstDifference(); }

private:
    PaintedWindowPort port;
};

class TerminalDrawing : public Drawing {
public:
    explicit TerminalDrawing(bool lineSizeEscapes) : drawing(lineSizeEscapes) {}
    CWindowPort& Port() override { return drawing.Port(); }
    void Attach(CWinTermView& view) override { drawing.Attach(view); }
    void AfterBlock() override { drawing.DrawFrame(); }
    std::string FirstDifference() const override { return drawing.FirstDifference(); }

private:
    CursesDrawing drawing;
};

std::unique_ptr<Drawing> MakeDrawing(FrontEnd frontEnd) {
    switch (frontEnd) {
    case FrontEnd::kWindow: return std::unique_ptr<Drawing>(new WindowDrawing(8, 16));
    case FrontEnd::kWindowOddCells: return std::unique_ptr<Drawing>(new WindowDrawing(7, 13));
    case FrontEnd::kCurses: return std::unique_ptr<Drawing>(new TerminalDrawing(false));
    case FrontEnd::kCursesLineSizes: return std::unique_ptr<Drawing>(new TerminalDrawing(true));
    }
    return nullptr;
}

std::string Sizes(const std::vector<size_t>& blocks) {
    std::string text;
    for (size_t i = 0; i < blocks.size() && text.size() < 2000; ++i) text += (i ? "," : "") + std::to_string(blocks[i]);
    return text;
}

}  // namespace

const char* NameOf(FrontEnd frontEnd) {
    switch (frontEnd) {
    case FrontEnd::kWindow: return "window";
    case FrontEnd::kWindowOddCells: return "window with 7x13 cells";
    case FrontEnd::kCurses: return "ovterm";
    case FrontEnd::kCursesLineSizes: return "ovterm with line-size escapes";
    }
    return "?";
}

std::string Escaped(const std::string& bytes) {
    std::string text;
    for (unsigned char c : bytes) {
        if (c == 0x1B) text += "\\e";
        else if (c == '\r') text += "\\r";
        else if (c == '\n') text += "\\n";
        else if (c == '\\') text += "\\\\";
        else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            text += hex;
        } else {
            text += static_cast<char>(c);
        }
    }
    return text;
}

std::vector<size_t> WholeBlock(size_t size) { return {size}; }

std::vector<size_t> EvenBlocks(size_t size, size_t n) {
    std::vector<size_t> blocks;
    for (size_t fed = 0; fed < size; fed += n) blocks.push_back(n < size - fed ? n : size - fed);
    return blocks;
}

namespace {

// A fresh session drawing on a fresh front end, in the current directory.
struct DrawnSession {
    explicit DrawnSession(FrontEnd frontEnd) : drawing(MakeDrawing(frontEnd)) {
        {
            std::ofstream records("SCRLINES.SRC", std::ios::binary | std::ios::trunc);
            records << LineRecordsWithSizes();
        }
        session.reset(new ReplaySession(drawing->Port()));
        drawing->Attach(session->View());
        drawing->AfterBlock();
    }
    std::unique_ptr<Drawing> drawing;
    std::unique_ptr<ReplaySession> session;
};

}  // namespace

std::string CheckStream(FrontEnd frontEnd, const std::string& stream, const std::vector<size_t>& blocks) {
    DrawnSession drawn(frontEnd);
    size_t fed = 0;
    for (size_t i = 0; i < blocks.size() && fed < stream.size(); ++i) {
        const size_t n = blocks[i] < stream.size() - fed ? blocks[i] : stream.size() - fed;
        drawn.session->Feed(stream.data() + fed, n, n);
        fed += n;
        drawn.drawing->AfterBlock();
        const std::string difference = drawn.drawing->FirstDifference();
        if (!difference.empty())
            return std::string(NameOf(frontEnd)) + " after block " + std::to_string(i + 1) + " of " +
                   std::to_string(blocks.size()) + " (bytes " + std::to_string(fed - n) + " to " +
                   std::to_string(fed) + "): " + difference + "\n  last block: " +
                   Escaped(stream.substr(fed - n, n)) + "\n  blocks: " + Sizes(blocks) +
                   "\n  stream: " + Escaped(stream);
    }
    return "";
}

std::string CheckStaleCellIsFound(FrontEnd frontEnd) {
    DrawnSession drawn(frontEnd);
    drawn.session->Feed(std::string("hello"));
    drawn.drawing->AfterBlock();
    if (!drawn.drawing->FirstDifference().empty()) return "";
    // Written behind the view's back, so no front end hears of it.
    const int line = 3, column = 5;
    auto* cells = const_cast<unsigned*>(drawn.session->View().TableLine(screen::kHistoryLines + line));
    cells[column] = 'X';
    drawn.drawing->AfterBlock();
    return drawn.drawing->FirstDifference();
}

}  // namespace repaint
