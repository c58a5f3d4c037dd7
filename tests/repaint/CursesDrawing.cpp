#include "repaint/CursesDrawing.h"

#include <clocale>
#include <cstdio>
#include <stdexcept>

#include "view/CWinTermView.h"

namespace repaint {

namespace {

// One curses screen for the process, on /dev/null, 26 lines of 80 columns
// in colour; and a pad of the same size for the store drawn afresh.
struct CursesTerminal {
    WINDOW* fresh = nullptr;
    CursesTerminal() {
        std::FILE* out = std::fopen("/dev/null", "w");
        std::FILE* in = std::fopen("/dev/null", "r");
        if (!out || !in || !newterm("xterm-256color", out, in))
            throw std::runtime_error("curses cannot start on xterm-256color");
        resize_term(screen::kShownRows + 1, screen::kColumns);
        start_color();
        use_default_colors();
        fresh = newpad(screen::kShownRows, screen::kColumns);
        if (!fresh) throw std::runtime_error("curses cannot make a pad");
    }
};

CursesTerminal& Terminal() {
    static CursesTerminal terminal;
    return terminal;
}

std::string Describe(const cchar_t& shown) {
    wchar_t text[CCHARW_MAX + 1] = {};
    attr_t attrs = 0;
    short pair = 0;
    getcchar(&shown, text, &attrs, &pair, nullptr);
    char out[96];
    std::snprintf(out, sizeof out, "U+%04X attrs %lX pair %d", static_cast<unsigned>(text[0]),
                  static_cast<unsigned long>(attrs & ~A_COLOR), pair);
    return out;
}

bool Same(const cchar_t& a, const cchar_t& b) {
    wchar_t textA[CCHARW_MAX + 1] = {}, textB[CCHARW_MAX + 1] = {};
    attr_t attrsA = 0, attrsB = 0;
    short pairA = 0, pairB = 0;
    getcchar(&a, textA, &attrsA, &pairA, nullptr);
    getcchar(&b, textB, &attrsB, &pairB, nullptr);
    return std::wstring(textA) == std::wstring(textB) && (attrsA & ~A_COLOR) == (attrsB & ~A_COLOR) && pairA == pairB;
}

}  // namespace

CursesDrawing::CursesDrawing(bool escapes) : lineSizeEscapes(escapes) {
    const char* locale = std::setlocale(LC_CTYPE, nullptr);
    savedLocale = locale ? locale : "C";
    std::setlocale(LC_CTYPE, "C.UTF-8");
    Terminal();
    werase(stdscr);
    clearok(curscr, TRUE);
    palette.Init();
}

CursesDrawing::~CursesDrawing() { std::setlocale(LC_CTYPE, savedLocale.c_str()); }

void CursesDrawing::Attach(const CWinTermView& shownView) {
    view = &shownView;
    lines.reset(new ovterm::ScreenLines(shownView, palette, nullptr));
    lines->SetUtf8(true);
    lines->SetLineSizeEscapes(lineSizeEscapes);
}

void CursesDrawing::DrawFrame() {
    if (!lines) return;
    lines->BeginFrame(0);
    lines->DrawLines(stdscr, port.TakeDirty(), 0);
    wnoutrefresh(stdscr);
    doupdate();
    lines->EndFrame();
}

std::string CursesDrawing::FirstDifference() const {
    if (!lines) return "no view attached";
    WINDOW* fresh = Terminal().fresh;
    for (int line = 0; line < screen::kShownRows; ++line) lines->DrawLine(fresh, line);
    for (int line = 0; line < screen::kShownRows; ++line) {
        const unsigned* cells = ovterm::ShownCells(*view, line);
        const bool wide = cells && (cells[0] & cell::kDoubleWidth) != 0;
        if (lineSizeEscapes && lines->TerminalWide(line) != wide)
            return "line " + std::to_string(line) + ": the terminal was told it is " +
                   (wide ? "single" : "double") + " width, the store holds it " + (wide ? "double" : "single");
        for (int col = 0; col < screen::kColumns; ++col) {
            cchar_t drawn, wanted;
            mvwin_wch(curscr, line, col, &drawn);
            mvwin_wch(fresh, line, col, &wanted);
            if (!Same(drawn, wanted)) {
                char word[16] = "none";
                if (cells) std::snprintf(word, sizeof word, "%X", cells[wide ? col / 2 : col]);
                return "line " + std::to_string(line) + " column " + std::to_string(col) + ": curses shows " +
                       Describe(drawn) + ", the store drawn afresh " + Describe(wanted) + " (cell " + word + ")";
            }
        }
    }
    return "";
}

}  // namespace repaint
