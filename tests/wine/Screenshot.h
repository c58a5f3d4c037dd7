// ovdrive's screenshots (uncompressed 24-bit BMPs) read back as pixels.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace ovwine {

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
};

inline std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "RGB(" << c.r << "," << c.g << "," << c.b << ")";
}

// A screenshot: pixels top row first.
struct Image {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;
    Rgb At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// False with a reason when the file is not such a BMP or is cut short.
bool ReadBmp(const std::string& path, Image& image, std::string& error);

}  // namespace ovwine
