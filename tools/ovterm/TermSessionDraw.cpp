// ovterm's drawing: a frame of the screen rows (ScreenLines), the status
// line or the command prompt, a panel of text over the screen, the cursor.
#include <unistd.h>

#include <string>

#include "tools/ovterm/CursesInclude.h"
#include "tools/ovterm/OvtermPlatform.h"
#include "tools/ovterm/ScreenLines.h"
#include "tools/ovterm/TermSession.h"
#include "session/CWinTermController.h"
#include "view/CWinTermView.h"
#include "view/posix/TextWindowPort.h"

namespace ovterm {
namespace {
constexpr int kStatusRow = screen::kShownRows;
}  // namespace

void WriteToTerminal(const std::string& text) {
    for (size_t done = 0; done < text.size();) {
        const ssize_t n = write(STDOUT_FILENO, text.data() + done, text.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
}

void TermSession::Draw() {
    const int needRows = screen::kShownRows + (options.statusLine ? 1 : 0);
    const bool small = LINES < needRows || COLS < screen::kColumns;
    if (small) {
        // The store keeps receiving; only drawing waits for room.
        if (!tooSmall) {
            tooSmall = true;
            lines->ForgetLineSizes();
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
    const int covered = static_cast<int>(panel.size() < screen::kShownRows ? panel.size() : screen::kShownRows);
    lines->BeginFrame(covered);
    const auto dirty = platform->port.TakeDirty();
    for (int line = 0; line < covered; ++line)
        if (dirty.test(static_cast<size_t>(line))) DrawPanelLine(line);
    lines->DrawLines(stdscr, dirty, covered);
    if (options.statusLine || prompting || !panel.empty()) DrawStatus();
    if (prompting) {
        curs_set(1);
        move(options.statusLine ? kStatusRow : screen::kMessageRow, static_cast<int>(8 + promptText.size()));
    } else {
        int line = platform->port.CaretLine(), col = platform->port.CaretColumn();
        if (line >= 0 && line < screen::kShownRows && lines->FrameWide(line))
            col = lines->LineSizeEscapes() ? col : col * 2;
        const bool shown = panel.empty() && !view->CaretHidden() && line >= 0 && line < screen::kShownRows &&
                           col >= 0 && col < screen::kColumns;
        curs_set(shown ? 1 : 0);
        if (shown) move(line, col);
    }
    refresh();
    lines->EndFrame();
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
