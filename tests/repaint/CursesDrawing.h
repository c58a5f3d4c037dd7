// ovterm's drawing under test: its character-cell port and its ScreenLines
// drawing, frame by frame, into a real curses screen whose output goes to
// /dev/null. What curses then holds for the terminal is compared with the
// store drawn afresh.
#pragma once

#include <memory>
#include <string>

#include "tools/ovterm/CursesPalette.h"
#include "tools/ovterm/ScreenLines.h"
#include "view/posix/TextWindowPort.h"

class CWinTermView;

namespace repaint {

class CursesDrawing {
public:
    explicit CursesDrawing(bool lineSizeEscapes);
    ~CursesDrawing();
    CursesDrawing(const CursesDrawing&) = delete;
    CursesDrawing& operator=(const CursesDrawing&) = delete;

    CWindowPort& Port() { return port; }
    void Attach(const CWinTermView& view);
    // What ovterm's loop does when it redraws: the marked lines, a refresh.
    void DrawFrame();
    // The first terminal cell whose contents differ from the store, or "".
    std::string FirstDifference() const;

private:
    CTextWindowPort port;
    ovterm::CursesPalette palette;
    std::unique_ptr<ovterm::ScreenLines> lines;
    const CWinTermView* view = nullptr;
    bool lineSizeEscapes;
    std::string savedLocale;
};

}  // namespace repaint
