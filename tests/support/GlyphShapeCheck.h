// How box drawing, blocks and shades must look wherever a screen is drawn:
// a sample screen of every box drawing character (boxes of single, double
// and mixed lines), blocks and shades, and the checks of a picture of it.
// The picture is read through an ink test, so the same checks run on glyphs
// drawn here and on a screenshot of the Windows program.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace shapecheck {

// Whether pixel (x, y) of the picture holds the text colour.
using InkAt = std::function<bool(int x, int y)>;

// The sample's rows, code page 437 bytes, to be drawn from a row's first
// column.
const std::vector<std::string>& SampleRows();

// Problems found in a picture of the sample drawn with its top left cell at
// pixel (left, top) in cells of width x height, light lines `stroke` pixels
// wide; empty when the shapes are right.
std::vector<std::string> CheckSample(const InkAt& ink, int left, int top, int width, int height, int stroke);

}  // namespace shapecheck
