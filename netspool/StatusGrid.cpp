#include "netspool/StatusGrid.h"

#include <algorithm>

namespace netspool {

CStatusGrid::ResizeResult CStatusGrid::Resize(int clientWidth, int clientHeight, int cellWidth, int cellHeight) {
    const long newColumns = std::max(1, cellWidth > 0 ? clientWidth / cellWidth : 1);
    const long newRows = std::max(1, cellHeight > 0 ? clientHeight / cellHeight : 1);
    currentRow = 0;
    if (newColumns * newRows > kMaxGridCells) {
        // The old grid stays, emptied, so that what the window shows and
        // what the log holds still agree.
        Clear();
        return ResizeResult::kTooLarge;
    }
    rows = static_cast<int>(newRows);
    columns = static_cast<int>(newColumns);
    cells.assign(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns), ' ');
    return ResizeResult::kResized;
}

bool CStatusGrid::TakeGreeting() {
    const bool pending = greetingPending;
    greetingPending = false;
    return pending;
}

void CStatusGrid::Clear() { std::fill(cells.begin(), cells.end(), ' '); }

bool CStatusGrid::AddLine(const std::string& text) {
    if (cells.empty()) return false;
    bool cleared = false;
    if (currentRow >= rows - 1) {
        Clear();
        currentRow = 0;
        cleared = true;
    }
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(columns));
    std::copy_n(text.begin(), length, cells.begin() + static_cast<long>(currentRow) * columns);
    ++currentRow;
    return cleared;
}

std::string CStatusGrid::RowText(int row) const {
    if (row < 0 || row >= rows) return std::string();
    const auto start = cells.begin() + static_cast<long>(row) * columns;
    return std::string(start, start + columns);
}

}  // namespace netspool
