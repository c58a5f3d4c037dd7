// The repaint check: a byte stream fed in blocks to a fresh session whose
// view draws on one front end, which draws after every block as it would
// when the input goes quiet; then what the front end shows must be what the
// store holds, cell by cell.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace repaint {

enum class FrontEnd {
    kWindow,              // the window port's painting, through a painted double
    kWindowOddCells,      // the same with 7x13 cells
    kCurses,              // ovterm, each wide character followed by a space
    kCursesLineSizes,     // ovterm with the terminal's double-width lines
};
const char* NameOf(FrontEnd frontEnd);
constexpr FrontEnd kAllFrontEnds[] = {FrontEnd::kWindow, FrontEnd::kWindowOddCells, FrontEnd::kCurses,
                                      FrontEnd::kCursesLineSizes};

// "" when every block left the front end showing the store; otherwise the
// front end, the block, the blocks, the first differing cell and the stream.
// Runs in the current directory, which it gives the sized line records.
std::string CheckStream(FrontEnd frontEnd, const std::string& stream, const std::vector<size_t>& blocks);

// The check of the check: a cell changed behind the view's back after a
// frame is drawn. Answers the difference found, which must name line 3
// column 5 (the cell changed); "" when none was found.
std::string CheckStaleCellIsFound(FrontEnd frontEnd);

// Block sizes: all of it at once, one byte each, or size n repeated.
std::vector<size_t> WholeBlock(size_t size);
std::vector<size_t> EvenBlocks(size_t size, size_t n);

// The bytes as the fixture files write them (\e, \r, \n, \xHH).
std::string Escaped(const std::string& bytes);

}  // namespace repaint
