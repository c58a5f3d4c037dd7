// The print server window's log: a grid of rows x columns characters that
// mirrors the client area. Status lines fill it from the top; the line that
// would land on the last row clears the grid and becomes its first line.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace netspool {

inline constexpr long kMaxGridCells = 0xFFFF;

class CStatusGrid {
public:
    enum class ResizeResult { kResized, kTooLarge };

    // A new client size in pixels and the font's cell size: columns and
    // rows by integer division, each at least 1. A grid of more than
    // kMaxGridCells cells is refused (the old grid stays, emptied); either
    // way the log starts again at the top row.
    ResizeResult Resize(int clientWidth, int clientHeight, int cellWidth, int cellHeight);
    // Appends a line (cut at the row's end). True when the grid was cleared
    // first (the whole window must be redrawn).
    bool AddLine(const std::string& text);

    int Rows() const { return rows; }
    int Columns() const { return columns; }
    int CurrentRow() const { return currentRow; }
    // Row r's columns characters (spaces where nothing was written).
    std::string RowText(int row) const;
    // True once; the caller then adds the greeting line.
    bool TakeGreeting();

private:
    void Clear();

    int rows = 0;
    int columns = 0;
    int currentRow = 0;
    bool greetingPending = true;
    std::vector<char> cells;
};

}  // namespace netspool
