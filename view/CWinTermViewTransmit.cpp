// Screen contents and cursor reports sent to the host. Each character takes
// one transmit entry; the controller gets one byte per entry.
#include "view/CWinTermView.h"

// Rows firstRow..lastRow, all 80 columns except the last row, which stops
// before lastRowEndCol. Marked positions are left out when skipMarked.
void CWinTermView::TransmitRows(int firstRow, int lastRow, int lastRowEndCol, bool skipMarked) {
    int n = 0;
    for (int row = firstRow; row <= lastRow; ++row) {
        if (!ValidRow(row)) continue;
        const unsigned* cells = RowCells(row);
        const int end = row == lastRow ? Clamp(lastRowEndCol, 0, screen::kColumns) : screen::kColumns;
        for (int col = 0; col < end && n < screen::kTransmitSize; ++col) {
            if (skipMarked && FlagAt(row, col)) continue;
            transmit[n++] = cells[col] & cell::kCharMask;
        }
    }
    transmitCount = n;
    TransmitBuffer();
}

void CWinTermView::SendPageUnmarked() {
    TransmitRows(0, screen::kExtraRow, cursorCol + 1, true);
}

void CWinTermView::SendPage() { TransmitRows(0, screen::kExtraRow, cursorCol + 1, false); }

void CWinTermView::SendLineUnmarked() {
    TransmitRows(cursorRow, cursorRow, screen::kColumns, true);
}

void CWinTermView::SendLine() { TransmitRows(cursorRow, cursorRow, screen::kColumns, false); }

void CWinTermView::SendCursorAddress() {
    transmit[0] = static_cast<unsigned>(cursorRow + 0x20);
    transmit[1] = static_cast<unsigned>(cursorCol + 0x20);
    transmit[2] = 0x0D;
    transmitCount = 3;
    TransmitBuffer();
}

void CWinTermView::SendCursorAddressDecimal() {
    const unsigned row = static_cast<unsigned>(cursorRow + 1);
    const unsigned col = static_cast<unsigned>(cursorCol + 1);
    transmit[0] = '0' + row / 10 % 10;
    transmit[1] = '0' + row % 10;
    transmit[2] = 'R';
    transmit[3] = '0' + col / 100 % 10;
    transmit[4] = '0' + col / 10 % 10;
    transmit[5] = '0' + col % 10;
    transmit[6] = 'C';
    transmitCount = 7;
    TransmitBuffer();
}
