// ovterm's drawing: the screen rows from the cell store, the status line or
// the command prompt, a panel of text over the screen, and the line-size
// escapes of terminals that have double-width lines.
#include <unistd.h>

#include <string>

#include "tools/ovterm/CellLook.h"
#include "tools/ovterm/CursesInclude.h"
#include "tools/ovterm/OvtermPlatform.h"
#include "tools/ovterm/TermSession.h"
#include "session/CWinTermController.h"
#include "view/CWinTermView.h"
#include "view/posix/TextWindowPort.h"

namespace ovterm {
namespace {

constexpr int kStatusRow = screen::kShownRows;

// The cells shown on terminal row line, or null when the row shows nothing
// (nothing below the message row is shown, even when scrolled back).
const unsigned* ShownCells(const CWinTermView& view, int line) {
    const int index = view.ScrollPosition() + line;
    const int limit = screen::kMessageRow + screen::kHistoryLines - view.ScrollPosition();
    if (line > limit || index < 0 || index >= CWinTermView::kTableLines) return nullptr;
    return view.TableLine(index);
}

bool IsWideRow(const CWinTermView& view, int line) {
    const unsigned* cells = ShownCells(view, line);
    return cells && (cells[0] & cell::kDoubleWidth) != 0;
}

// DECDWL / DECSWL for one row, leaving the cursor and attributes as curses
// left them.
void WriteLineSize(int row, bool wide) {
    const std::string text = "\0337\033[" + std::to_string(row + 1) + ";1H\033#" + (wide ? "6" : "5") + "\0338";
    for (size_t done = 0; done < text.size();) {
        const ssize_t n = write(STDOUT_FILENO, text.data() + done, text.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
}

}  // namespace

void TermSession::Draw() {
    const int needRows = screen::kShownRows + (options.statusLine ? 1 : 0);
    const bool small = LINES < needRows || COLS < screen::kColumns;
    if (small) {
        // The store keeps receiving; only drawing waits for room.
        if (!tooSmall) {
            tooSmall = true;
            ForgetLineSizes();
            erase();
        }
        mvaddstr(0, 0, ("ovterm needs 80x" + std::to_string(needRows) + " (now " + std::to_string(COLS) + "x" +
                        std::to_string(LINES) + ")")
                           .c_str());
        clrtoeol();
        refresh();
        return;
    }
    if (tooSmall) {
        tooSmall = false;
        erase();
        platform->port.MarkAll();
    }
    std::bitset<screen::kShownRows> wide;
    for (int line = 0; line < screen::kShownRows; ++line)
        wide[line] = static_cast<size_t>(line) >= panel.size() && IsWideRow(*view, line);
    // A row going back to single width changes size before curses writes
    // its 80 columns; a row becoming double width after its 40 are written.
    if (lineSizeEscapes)
        for (int line = 0; line < screen::kShownRows; ++line)
            if (!wide[line] && (shownWide[line] || !lineSizesKnown)) WriteLineSize(line, false);

    const auto dirty = platform->port.TakeDirty();
    for (int line = 0; line < screen::kShownRows; ++line) {
        if (!dirty.test(line)) continue;
        if (static_cast<size_t>(line) < panel.size()) {
            DrawPanelLine(line);
        } else {
            DrawScreenLine(line);
        }
    }
    if (options.statusLine || prompting || !panel.empty()) DrawStatus();
    if (prompting) {
        curs_set(1);
        move(options.statusLine ? kStatusRow : screen::kMessageRow, static_cast<int>(8 + promptText.size()));
    } else {
        int line = platform->port.CaretLine(), col = platform->port.CaretColumn();
        if (line >= 0 && line < screen::kShownRows && wide[line]) col = lineSizeEscapes ? col : col * 2;
        const bool shown = panel.empty() && !view->CaretHidden() && line >= 0 && line < screen::kShownRows &&
                           col >= 0 && col < screen::kColumns;
        curs_set(shown ? 1 : 0);
        if (shown) move(line, col);
    }
    refresh();

    if (lineSizeEscapes) {
        for (int line = 0; line < screen::kShownRows; ++line)
            if (wide[line] && (!shownWide[line] || !lineSizesKnown)) WriteLineSize(line, true);
        shownWide = wide;
        lineSizesKnown = true;
    }
}

void TermSession::ForgetLineSizes() { lineSizesKnown = false; }

void TermSession::RestoreLineSizes() {
    if (!lineSizeEscapes || !lineSizesKnown) return;
    for (int line = 0; line < screen::kShownRows; ++line)
        if (shownWide[line]) WriteLineSize(line, false);
    shownWide.reset();
}

void TermSession::DrawScreenLine(int line) {
    move(line, 0);
    const unsigned* cells = ShownCells(*view, line);
    if (!cells) {
        attrset(A_NORMAL);
        clrtoeol();
        return;
    }
    const bool wide = (cells[0] & cell::kDoubleWidth) != 0;
    const int count = wide ? screen::kColumns / 2 : screen::kColumns;
    for (int col = 0; col < count; ++col) {
        const CellLook look = LookOf(cells[col], utf8);
        const CursesPalette::Shown shown = palette.For(look);
        attr_set(shown.attrs, shown.pair, nullptr);
        if (shown.blank) {
            addch(' ');
        } else if (look.acs) {
            addch(NCURSES_ACS(look.acs));
        } else {
            addstr(look.glyph.c_str());
        }
        // Without the terminal's double-width lines each character takes two
        // columns; with them the row's right half is never shown.
        if (wide && !lineSizeEscapes) addch(' ');
    }
    attrset(A_NORMAL);
    if (wide && lineSizeEscapes) clrtoeol();
}

void TermSession::DrawPanelLine(int line) {
    std::string text = panel[static_cast<size_t>(line)];
    if (text.size() > static_cast<size_t>(screen::kColumns)) text.resize(screen::kColumns);
    text.resize(screen::kColumns, ' ');
    attrset(A_BOLD);
    mvaddstr(line, 0, text.c_str());
    attrset(A_NORMAL);
}

void TermSession::DrawStatus() {
    const int row = options.statusLine ? kStatusRow : screen::kMessageRow;
    std::string text;
    if (prompting) {
        text = "ovterm> " + promptText;
    } else if (!panel.empty()) {
        text = " any key closes this list";
    } else {
        // A note comes first: it is what the line is for just then.
        if (!note.empty()) text = " " + note + " |";
        text += " " + (hostLabel.empty() ? std::string("(no host)") : hostLabel) + " | " +
                (controller->IsConnected() ? "connected" : "disconnected");
        if (controller->LocalMode()) text += " | LOCAL";
        if (view->IsLogging()) text += " | LOG";
        if (note.empty()) text += " | Ctrl-] commands";
    }
    if (text.size() > static_cast<size_t>(COLS)) text.resize(static_cast<size_t>(COLS));
    attrset(prompting ? A_NORMAL : A_REVERSE);
    mvaddstr(row, 0, text.c_str());
    for (int col = static_cast<int>(text.size()); col < COLS; ++col) addch(' ');
    attrset(A_NORMAL);
}

}  // namespace ovterm
