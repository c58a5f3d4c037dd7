// ovterm's screen rows: each terminal line drawn from the cell store into a
// curses window, and the line-size escapes (DECDWL, DECSWL) of terminals that
// have double-width lines. The session's drawing and the repaint tests go
// through the same calls.
#pragma once

#include <bitset>
#include <functional>
#include <string>

#include "tools/ovterm/CursesInclude.h"
#include "view/CTermView.h"

class CWinTermView;

namespace ovterm {

class CursesPalette;

class ScreenLines {
public:
    using Lines = std::bitset<screen::kShownRows>;
    // rawOutput takes the line-size escapes, which curses does not know.
    ScreenLines(const CWinTermView& view, CursesPalette& palette, std::function<void(const std::string&)> rawOutput);

    void SetUtf8(bool on) { utf8 = on; }
    void SetLineSizeEscapes(bool on) { lineSizeEscapes = on; }
    bool LineSizeEscapes() const { return lineSizeEscapes; }

    // One frame: BeginFrame, then DrawLines, then the window's refresh, then
    // EndFrame. Lines below covered (those under a list) are left to the
    // caller, and count as single width.
    void BeginFrame(int covered);
    void DrawLines(WINDOW* window, const Lines& dirty, int covered) const;
    void EndFrame();

    // Terminal line line as the store shows it now, whatever was drawn before.
    void DrawLine(WINDOW* window, int line) const;
    // Whether the frame being drawn shows line at double width.
    bool FrameWide(int line) const { return frameWide.test(static_cast<size_t>(line)); }
    // Whether the terminal has been told that line is double width.
    bool TerminalWide(int line) const { return lineSizesKnown && shownWide.test(static_cast<size_t>(line)); }
    // The terminal's line sizes are unknown (after a clear or a resize).
    void ForgetLineSizes() { lineSizesKnown = false; }
    // Every double-width line back to single width, as on exit.
    void RestoreLineSizes();

private:
    bool IsWideRow(int line) const;
    void WriteLineSize(int line, bool wide) const;

    const CWinTermView& view;
    CursesPalette& palette;
    std::function<void(const std::string&)> rawOutput;
    bool utf8 = false;
    bool lineSizeEscapes = false;
    bool lineSizesKnown = false;
    Lines frameWide;
    Lines shownWide;
};

// The cells shown on terminal line line, or null when the line shows nothing
// (nothing below the message row is shown, even when scrolled back).
const unsigned* ShownCells(const CWinTermView& view, int line);

}  // namespace ovterm
