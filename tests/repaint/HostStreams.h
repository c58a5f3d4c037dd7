// Host byte streams for the repaint checks: random streams biased toward the
// commands that change cells away from the cursor (erase, insert, delete,
// scroll, attributes, line sizes, the drawing and saved-line commands), and
// the line records that give recalled lines their sizes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace repaint {

// A stream of about length bytes.
std::string RandomHostStream(std::mt19937& random, size_t length);

// Block sizes to feed a stream of size bytes in: mostly small, some large.
std::vector<size_t> RandomChunks(std::mt19937& random, size_t size);

// The contents of "SCRLINES.SRC" for the checks: records 0 to 5 are lines of
// text at every line size (single, double width, double height upper and
// lower half, with and without double width), with attributes.
std::string LineRecordsWithSizes();
constexpr int kSizedRecords = 6;

}  // namespace repaint
