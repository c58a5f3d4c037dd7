#include "support/GlyphShapeCheck.h"

#include <cstdio>
#include <map>

namespace shapecheck {
namespace {

// Every box drawing character in boxes of single, double and mixed lines,
// then runs of full, half blocks and the three shades.
const char* const kSample[] = {
    "\xDA\xC4\xC4\xC2\xC4\xC4\xBF \xC9\xCD\xCD\xCB\xCD\xCD\xBB \xD5\xCD\xCD\xD1\xCD\xCD\xB8 \xD6\xC4\xC4\xD2\xC4\xC4\xB7"
    " \xDB\xDB\xDB\xDB \xDF\xDF\xDC\xDC \xDD\xDE\xDD\xDE \xB0\xB0\xB1\xB1\xB2\xB2",
    "\xB3  \xB3  \xB3 \xBA  \xBA  \xBA \xB3  \xB3  \xB3 \xBA  \xBA  \xBA"
    " \xDB\xDB\xDB\xDB \xDF\xDF\xDC\xDC \xDD\xDE\xDD\xDE \xB0\xB0\xB1\xB1\xB2\xB2",
    "\xC3\xC4\xC4\xC5\xC4\xC4\xB4 \xCC\xCD\xCD\xCE\xCD\xCD\xB9 \xC6\xCD\xCD\xD8\xCD\xCD\xB5 \xC7\xC4\xC4\xD7\xC4\xC4\xB6",
    "\xB3  \xB3  \xB3 \xBA  \xBA  \xBA \xB3  \xB3  \xB3 \xBA  \xBA  \xBA",
    "\xC0\xC4\xC4\xC1\xC4\xC4\xD9 \xC8\xCD\xCD\xCA\xCD\xCD\xBC \xD4\xCD\xCD\xCF\xCD\xCD\xBE \xD3\xC4\xC4\xD0\xC4\xC4\xBD",
};
constexpr int kBoxColumns = 31;

// The lines each box character sends to the edges of its cell: left, right,
// up, down; 0 none, 1 single, 2 double.
const std::map<unsigned char, const char*>& Arms() {
    static const std::map<unsigned char, const char*> arms = {
        {0xB3, "0011"}, {0xB4, "1011"}, {0xB5, "2011"}, {0xB6, "1022"}, {0xB7, "1002"}, {0xB8, "2001"},
        {0xB9, "2022"}, {0xBA, "0022"}, {0xBB, "2002"}, {0xBC, "2020"}, {0xBD, "1020"}, {0xBE, "2010"},
        {0xBF, "1001"}, {0xC0, "0110"}, {0xC1, "1110"}, {0xC2, "1101"}, {0xC3, "0111"}, {0xC4, "1100"},
        {0xC5, "1111"}, {0xC6, "0211"}, {0xC7, "0122"}, {0xC8, "0220"}, {0xC9, "0202"}, {0xCA, "2220"},
        {0xCB, "2202"}, {0xCC, "0222"}, {0xCD, "2200"}, {0xCE, "2222"}, {0xCF, "2210"}, {0xD0, "1120"},
        {0xD1, "2201"}, {0xD2, "1102"}, {0xD3, "0120"}, {0xD4, "0210"}, {0xD5, "0201"}, {0xD6, "0102"},
        {0xD7, "1122"}, {0xD8, "2211"}, {0xD9, "1010"}, {0xDA, "0101"},
    };
    return arms;
}

class Picture {
public:
    Picture(const InkAt& ink, int left, int top, int width, int height)
        : ink(ink), left(left), top(top), width(width), height(height) {}
    bool At(int row, int col, int x, int y) const { return ink(left + col * width + x, top + row * height + y); }
    int EdgeInk(int row, int col, char edge) const {
        int n = 0;
        const int span = edge == 'L' || edge == 'R' ? height : width;
        for (int i = 0; i < span; ++i) n += EdgePixel(row, col, edge, i) ? 1 : 0;
        return n;
    }
    bool EdgePixel(int row, int col, char edge, int i) const {
        switch (edge) {
        case 'L': return At(row, col, 0, i);
        case 'R': return At(row, col, width - 1, i);
        case 'U': return At(row, col, i, 0);
        default: return At(row, col, i, height - 1);
        }
    }
    // Connected ink of one cell (4-neighbours); for each part, the edges it
    // touches.
    std::vector<std::string> Parts(int row, int col) const {
        std::vector<int> seen(static_cast<size_t>(width * height), 0);
        std::vector<std::string> parts;
        for (int start = 0; start < width * height; ++start) {
            if (seen[start] || !At(row, col, start % width, start / width)) continue;
            std::string edges;
            std::vector<int> stack = {start};
            seen[start] = 1;
            while (!stack.empty()) {
                const int p = stack.back();
                stack.pop_back();
                const int x = p % width, y = p / width;
                if (x == 0 && edges.find('L') == std::string::npos) edges += 'L';
                if (x == width - 1 && edges.find('R') == std::string::npos) edges += 'R';
                if (y == 0 && edges.find('U') == std::string::npos) edges += 'U';
                if (y == height - 1 && edges.find('D') == std::string::npos) edges += 'D';
                const int next[4][2] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
                for (const auto& n : next) {
                    if (n[0] < 0 || n[0] >= width || n[1] < 0 || n[1] >= height) continue;
                    const int q = n[1] * width + n[0];
                    if (!seen[q] && At(row, col, n[0], n[1])) {
                        seen[q] = 1;
                        stack.push_back(q);
                    }
                }
            }
            parts.push_back(edges);
        }
        return parts;
    }

private:
    const InkAt& ink;
    int left, top, width, height;
};

std::string Where(int row, int col, unsigned char code) {
    char text[48];
    std::snprintf(text, sizeof text, "row %d column %d (0x%02X)", row, col, code);
    return text;
}

int LineLength(int row) {
    const std::string line = kSample[row];
    return static_cast<int>(line.size()) < kBoxColumns ? static_cast<int>(line.size()) : kBoxColumns;
}

void CheckBoxes(const Picture& picture, int width, int height, int stroke, std::vector<std::string>& problems) {
    const int rows = static_cast<int>(sizeof kSample / sizeof kSample[0]);
    for (int row = 0; row < rows; ++row) {
        const std::string line = kSample[row];
        for (int col = 0; col < LineLength(row); ++col) {
            const auto code = static_cast<unsigned char>(line[col]);
            const auto found = Arms().find(code);
            const char* arms = found == Arms().end() ? "0000" : found->second;
            // Each arm reaches its edge as one stroke or two; no ink where
            // there is no arm.
            const char edges[] = "LRUD";
            for (int e = 0; e < 4; ++e) {
                const int want = (arms[e] - '0') * stroke;
                const int got = picture.EdgeInk(row, col, edges[e]);
                if (got != want)
                    problems.push_back(Where(row, col, code) + ": " + std::to_string(got) + " pixels of ink on edge " +
                                       edges[e] + ", not " + std::to_string(want));
            }
            // A line goes on in the next cell pixel for pixel: no gap, no step.
            if (col + 1 < LineLength(row))
                for (int y = 0; y < height; ++y)
                    if (picture.EdgePixel(row, col, 'R', y) != picture.EdgePixel(row, col + 1, 'L', y)) {
                        problems.push_back(Where(row, col, code) + ": the line breaks toward the right at pixel row " +
                                           std::to_string(y));
                        break;
                    }
            if (row + 1 < rows && col < LineLength(row + 1))
                for (int x = 0; x < width; ++x)
                    if (picture.EdgePixel(row, col, 'D', x) != picture.EdgePixel(row + 1, col, 'U', x)) {
                        problems.push_back(Where(row, col, code) + ": the line breaks downward at pixel column " +
                                           std::to_string(x));
                        break;
                    }
            // Corners, tees and crosses are closed: every stroke runs from
            // one edge of the cell to another.
            for (const std::string& touched : picture.Parts(row, col))
                if (touched.size() < 2)
                    problems.push_back(Where(row, col, code) + ": a stroke ends inside the cell (it touches only '" +
                                       touched + "')");
        }
    }
}

// Blocks fill exactly their part of the cell; the shades cover a quarter, a
// half and three quarters of it, on every pixel row.
void CheckBlocks(const Picture& picture, int width, int height, std::vector<std::string>& problems) {
    for (int row = 0; row < 2; ++row) {
        const std::string line = kSample[row];
        for (int col = kBoxColumns; col < static_cast<int>(line.size()); ++col) {
            const auto code = static_cast<unsigned char>(line[col]);
            if (code == ' ') continue;
            int inked = 0, wrong = 0, emptyRows = 0;
            for (int y = 0; y < height; ++y) {
                int rowInk = 0;
                for (int x = 0; x < width; ++x) {
                    const bool ink = picture.At(row, col, x, y);
                    rowInk += ink ? 1 : 0;
                    bool want = ink;
                    switch (code) {
                    case 0xDB: want = true; break;
                    case 0xDF: want = y < height / 2; break;
                    case 0xDC: want = y >= height / 2; break;
                    case 0xDD: want = x < width / 2; break;
                    case 0xDE: want = x >= width / 2; break;
                    default: break;
                    }
                    wrong += ink != want ? 1 : 0;
                }
                inked += rowInk;
                emptyRows += rowInk == 0 ? 1 : 0;
            }
            if (wrong) problems.push_back(Where(row, col, code) + ": " + std::to_string(wrong) + " pixels outside the block's part");
            const double share = static_cast<double>(inked) / (width * height);
            const double want = code == 0xB0 ? 0.25 : code == 0xB1 ? 0.5 : code == 0xB2 ? 0.75 : -1;
            // A cell whose width is no multiple of the pattern's cannot hit
            // a quarter exactly (a 5-pixel cell shows 0.3).
            if (want > 0 && (share < want - 0.07 || share > want + 0.07 || emptyRows))
                problems.push_back(Where(row, col, code) + ": the shade covers " + std::to_string(share) + " with " +
                                   std::to_string(emptyRows) + " empty pixel rows, not " + std::to_string(want));
        }
    }
}

}  // namespace

const std::vector<std::string>& SampleRows() {
    static const std::vector<std::string> rows(std::begin(kSample), std::end(kSample));
    return rows;
}

std::vector<std::string> CheckSample(const InkAt& ink, int left, int top, int width, int height, int stroke) {
    std::vector<std::string> problems;
    const Picture picture(ink, left, top, width, height);
    CheckBoxes(picture, width, height, stroke, problems);
    CheckBlocks(picture, width, height, problems);
    return problems;
}

}  // namespace shapecheck
