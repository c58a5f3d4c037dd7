#include "tools/ovterm/ScreenLines.h"

#include "tools/ovterm/CellLook.h"
#include "tools/ovterm/CursesPalette.h"
#include "view/CWinTermView.h"

namespace ovterm {

const unsigned* ShownCells(const CWinTermView& view, int line) {
    const int index = view.ScrollPosition() + line;
    const int limit = screen::kMessageRow + screen::kHistoryLines - view.ScrollPosition();
    if (line > limit || index < 0 || index >= CWinTermView::kTableLines) return nullptr;
    return view.TableLine(index);
}

ScreenLines::ScreenLines(const CWinTermView& shownView, CursesPalette& cursesPalette,
                         std::function<void(const std::string&)> raw)
    : view(shownView), palette(cursesPalette), rawOutput(std::move(raw)) {}

bool ScreenLines::IsWideRow(int line) const {
    const unsigned* cells = ShownCells(view, line);
    return cells && (cells[0] & cell::kDoubleWidth) != 0;
}

// DECDWL / DECSWL for one row, leaving the cursor and attributes as curses
// left them.
void ScreenLines::WriteLineSize(int line, bool wide) const {
    if (rawOutput) rawOutput("\0337\033[" + std::to_string(line + 1) + ";1H\033#" + (wide ? "6" : "5") + "\0338");
}

void ScreenLines::BeginFrame(int covered) {
    for (int line = 0; line < screen::kShownRows; ++line)
        frameWide[static_cast<size_t>(line)] = line >= covered && IsWideRow(line);
    // A row going back to single width changes size before curses writes
    // its 80 columns; a row becoming double width after its 40 are written.
    if (!lineSizeEscapes) return;
    for (int line = 0; line < screen::kShownRows; ++line)
        if (!FrameWide(line) && (shownWide[static_cast<size_t>(line)] || !lineSizesKnown)) WriteLineSize(line, false);
}

void ScreenLines::DrawLines(WINDOW* window, const Lines& dirty, int covered) const {
    for (int line = covered < 0 ? 0 : covered; line < screen::kShownRows; ++line)
        if (dirty.test(static_cast<size_t>(line))) DrawLine(window, line);
}

void ScreenLines::EndFrame() {
    if (!lineSizeEscapes) return;
    for (int line = 0; line < screen::kShownRows; ++line)
        if (FrameWide(line) && (!shownWide[static_cast<size_t>(line)] || !lineSizesKnown)) WriteLineSize(line, true);
    shownWide = frameWide;
    lineSizesKnown = true;
}

void ScreenLines::RestoreLineSizes() {
    if (!lineSizeEscapes || !lineSizesKnown) return;
    for (int line = 0; line < screen::kShownRows; ++line)
        if (shownWide[static_cast<size_t>(line)]) WriteLineSize(line, false);
    shownWide.reset();
}

void ScreenLines::DrawLine(WINDOW* window, int line) const {
    wmove(window, line, 0);
    const unsigned* cells = ShownCells(view, line);
    if (!cells) {
        wattrset(window, A_NORMAL);
        wclrtoeol(window);
        return;
    }
    const bool wide = (cells[0] & cell::kDoubleWidth) != 0;
    const int count = wide ? screen::kColumns / 2 : screen::kColumns;
    for (int col = 0; col < count; ++col) {
        const CellLook look = LookOf(cells[col], utf8);
        const CursesPalette::Shown shown = palette.For(look);
        wattr_set(window, shown.attrs, shown.pair, nullptr);
        if (shown.blank) {
            waddch(window, ' ');
        } else if (look.acs) {
            waddch(window, NCURSES_ACS(look.acs));
        } else {
            waddstr(window, look.glyph.c_str());
        }
        // Without the terminal's double-width lines each character takes two
        // columns; with them the row's right half is never shown.
        if (wide && !lineSizeEscapes) waddch(window, ' ');
    }
    wattrset(window, A_NORMAL);
    if (wide && lineSizeEscapes) wclrtoeol(window);
}

}  // namespace ovterm
