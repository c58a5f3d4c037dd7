// A window port that keeps what a real window would show after the view's
// requests: the cells each paint pass drew inside its update region, pixels
// moved by scrolls (the update region moving with them, as ScrollWindowEx
// does), and background where the window was filled. Paint messages come as
// Windows sends them: UpdateNow paints at once, PaintPending is the WM_PAINT
// that follows when the input has gone quiet.
#pragma once

#include <string>

#include "view/CTermView.h"
#include "view/WindowPort.h"

class CWinTermView;

namespace repaint {

class PaintedWindowPort : public CWindowPort, private CCellPainter {
public:
    // Cell sizes other than the usual 8x16 catch pixel arithmetic that only
    // works for one font.
    PaintedWindowPort(int charWidth, int lineHeight);

    // The view whose Paint serves the paint messages.
    void Attach(CWinTermView* paintedView) { view = paintedView; }
    void PaintPending();
    // The first shown cell whose picture differs from the store, described
    // with both, or "" when the window shows exactly what the store holds.
    std::string FirstDifference() const;

    // CWindowPort
    void GetCellSize(int* width, int* height) override;
    void GetScreenSize(int* width, int* height) override;
    void MoveWindow(int, int, int, int) override {}
    bool HasFocus() override { return true; }
    bool IsMinimised() override { return false; }
    void Invalidate(const PixelRect* rect, bool erase) override;
    void UpdateNow() override;
    void ScrollPixels(const PixelRect& band, int dx, int dy) override;
    void FillBackground(const PixelRect& rect) override;
    void CreateCaret(int, int) override {}
    void SetCaretPos(int, int) override {}
    void ShowCaret() override {}
    void HideCaret() override {}
    void SetScrollRange(int, int) override {}
    void SetScrollPos(int) override {}
    void ShowScrollBar(bool) override {}
    void SetCaption(const char*) override {}
    int MessageBox(const char*, const char*, unsigned) override { return 1; }
    void Beep() override {}
    void RequestQuit(int) override {}
    CCellPainter* BeginPaint(PixelRect* update) override;
    void EndPaint() override;

    // How one cell of the window looks: its glyph, the attribute bits that
    // change a glyph, the row's size, which half of a doubled glyph, colours.
    struct Look {
        int glyph = kNeverDrawn;
        unsigned marks = 0;
        unsigned lineSize = 0;
        int half = -1;
        unsigned text = 0, back = 0;
        bool operator==(const Look& o) const {
            return glyph == o.glyph && marks == o.marks && lineSize == o.lineSize && half == o.half &&
                   text == o.text && back == o.back;
        }
        bool operator!=(const Look& o) const { return !(*this == o); }
        std::string Describe() const;
    };
    static constexpr int kNeverDrawn = -1;  // erased or never painted
    // A store cell as the painter draws it on a row of the given size.
    static Look LookOfCell(unsigned cellWord, unsigned lineSize, int half, unsigned text, unsigned back);

private:
    // CCellPainter
    void SetTextColour(unsigned rgb) override { textColour = rgb; }
    void SetBackColour(unsigned rgb) override { backColour = rgb; }
    void DrawRun(int x, int y, const unsigned* cells, int count, unsigned lineSize) override;

    struct CellBox {
        int top, left, bottom, right;  // lines and columns, end exclusive
    };
    CellBox CellsOf(const PixelRect& rect) const;
    void Fault(const std::string& what);
    bool AnyInvalid() const;

    static constexpr int kLines = screen::kShownRows;
    static constexpr int kColumns = screen::kColumns;
    const int charWidth;
    const int lineHeight;
    CWinTermView* view = nullptr;
    Look shown[kLines][kColumns];
    bool invalid[kLines][kColumns] = {};
    bool clip[kLines][kColumns] = {};
    bool painting = false;
    // The device starts black on white and keeps its colours between passes.
    unsigned textColour = Rgb(0, 0, 0);
    unsigned backColour = Rgb(255, 255, 255);
    std::string faults;  // requests no real window could carry out as meant
};

}  // namespace repaint
