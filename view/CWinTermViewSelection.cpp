// Mouse selection over stored lines, its inverted highlight, and the clipboard
// commands. Positions are linear row-table positions (index x 80 + column),
// so a selection names stored lines, not window lines.
#include "view/CWinTermView.h"

#include <algorithm>
#include <cstring>

#include "session/CTermController.h"

int CWinTermView::LinearPosition(int x, int y) const {
    // With the mouse captured the pointer can be left of or above the window.
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    return (scrollPos + y / lineHeight) * screen::kColumns + x / charWidth;
}

int CWinTermView::MouseDown(int x, int y) {
    if (selectionLength != 0) InvertSelection();
    selectionLength = 0;
    selecting = 1;
    port->CaptureMouse(true);
    port->SetPointer(PointerShape::kTextBeam);
    selectionStart = LinearPosition(x, y);
    return 0;
}

int CWinTermView::MouseMove(int x, int y) {
    if (selecting) {
        const int length = LinearPosition(x, y) - selectionStart;
        if (length != selectionLength) {
            if (selectionLength != 0) InvertSelection();
            selectionLength = length;
            if (selectionLength != 0) InvertSelection();
        }
    }
    TrackScrollBar(x, y);
    return 0;
}

int CWinTermView::MouseUp(int, int) {
    selecting = 0;
    port->CaptureMouse(false);
    port->SetPointer(PointerShape::kArrow);
    return 0;
}

void CWinTermView::InvertSelection() {
    if (selectionLength == 0) return;
    const int end = selectionStart + selectionLength - 1;
    const int line1 = selectionStart / screen::kColumns, col1 = selectionStart % screen::kColumns;
    const int line2 = end / screen::kColumns, col2 = end % screen::kColumns + 1;
    PixelRect rect;
    if (line1 == line2) {
        if (col1 == col2) return;
        rect = CellRect(line1 - scrollPos, std::min(col1, col2), line1 - scrollPos + 1, std::max(col1, col2));
    } else {
        const int upper = std::min(line1, line2), lower = std::max(line1, line2);
        rect = CellRect(upper - scrollPos, 0, lower - scrollPos + 1, screen::kColumns);
    }
    port->InvertRect(rect);
}

std::string CWinTermView::SelectionText() const {
    std::string text;
    if (selectionLength <= 0) return text;
    int line = selectionStart / screen::kColumns;
    int col = selectionStart % screen::kColumns;
    const int lastLine = (selectionStart + selectionLength - 1) / screen::kColumns;
    // A drag can reach below the last stored line; nothing is read from
    // there. A cell holding byte 0 (cleared by some hosts) is copied as a
    // space: the clipboard text would end at it.
    auto charAt = [this](int index, int column) -> char {
        const unsigned* row = TableLine(index);
        const char c = row ? static_cast<char>(row[column] & cell::kCharMask) : ' ';
        return c ? c : ' ';
    };
    for (int i = 0; i < selectionLength; ++i) {
        if (col >= screen::kColumns) {
            text += "\r\n";
            col = 0;
            ++line;
        }
        text += charAt(line, col++);
    }
    if (lastLine != selectionStart / screen::kColumns)
        for (; col < screen::kColumns; ++col) text += charAt(line, col);
    return text;
}

void CWinTermView::Copy() {
    const std::string text = SelectionText();
    if (!port->SetClipboardText(text.c_str(), static_cast<int>(text.size())))
        port->MessageBox(mb::kMemoryError, mb::kCaption, mb::kIconExclamation);
}

void CWinTermView::Paste() {
    std::string text;
    if (!port->GetClipboardText(&text)) {
        port->MessageBox(mb::kMemoryError, mb::kCaption, mb::kIconExclamation);
        return;
    }
    // Up to the terminating zero, line ends as they are.
    const std::size_t length = std::strlen(text.c_str());
    if (controller && length > 0) controller->SendToHost(text.data(), static_cast<int>(length));
}
