#include "Screenshot.h"

#include <cstdint>
#include <fstream>
#include <iterator>

namespace ovwine {
namespace {
std::uint32_t Le(const std::string& data, size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(data[at + i]);
    return value;
}

}  // namespace

// Reads the uncompressed 24-bit BMP that ovdrive's screenshot writes.
bool ReadBmp(const std::string& path, Image& image, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (data.size() < 54 || data[0] != 'B' || data[1] != 'M') {
        error = path + ": not a BMP";
        return false;
    }
    const std::uint32_t offset = Le(data, 10, 4);
    const auto width = static_cast<std::int32_t>(Le(data, 18, 4));
    const auto height = static_cast<std::int32_t>(Le(data, 22, 4));
    if (Le(data, 28, 2) != 24 || Le(data, 30, 4) != 0 || width <= 0 || height == 0) {
        error = path + ": not an uncompressed 24-bit BMP";
        return false;
    }
    const bool bottomUp = height > 0;
    const int rows = bottomUp ? height : -height;
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
    if (data.size() < offset + stride * static_cast<size_t>(rows)) {
        error = path + ": pixel data cut short";
        return false;
    }
    image.width = width;
    image.height = rows;
    image.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(rows));
    for (int y = 0; y < rows; ++y) {
        const size_t line = offset + stride * static_cast<size_t>(bottomUp ? rows - 1 - y : y);
        for (int x = 0; x < width; ++x) {
            const size_t p = line + static_cast<size_t>(x) * 3;
            image.pixels[static_cast<size_t>(y) * width + x] = {static_cast<unsigned char>(data[p + 2]),
                                                                static_cast<unsigned char>(data[p + 1]),
                                                                static_cast<unsigned char>(data[p])};
        }
    }
    return true;
}

}  // namespace ovwine
