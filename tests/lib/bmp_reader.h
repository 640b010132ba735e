// Reads uncompressed 24-bit BMP files for the test tools (xprobe, which
// compares the game's pictures and frames with them, and the unit tests).
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace bmp {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> rgb;  // 0xRRGGBB, rows top-down
    uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};

// Reads an uncompressed 24-bit BMP, bottom-up or top-down, at most `maxSide`
// pixels wide and tall. On failure returns false and says why in `error`.
inline bool Read24(const std::string& path, int maxSide, Image* image, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "cannot read " + path;
        return false;
    }
    std::vector<uint8_t> d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto le = [&d](size_t at, int bytes) {
        uint32_t v = 0;
        for (int i = 0; i < bytes; ++i) v |= static_cast<uint32_t>(d[at + i]) << (8 * i);
        return v;
    };
    if (d.size() < 54 || d[0] != 'B' || d[1] != 'M') {
        *error = path + " is not a BMP file";
        return false;
    }
    const uint32_t offset = le(10, 4);
    const int32_t width = static_cast<int32_t>(le(18, 4));
    const int32_t rawHeight = static_cast<int32_t>(le(22, 4));
    const uint32_t bits = le(28, 2), compression = le(30, 4);
    if (bits != 24 || compression != 0) {
        *error = path + " is not an uncompressed 24-bit BMP";
        return false;
    }
    const bool bottomUp = rawHeight > 0;
    const int32_t height = bottomUp ? rawHeight : -rawHeight;
    if (width <= 0 || height <= 0 || width > maxSide || height > maxSide) {
        *error = path + ": bad size";
        return false;
    }
    const size_t row = (static_cast<size_t>(width) * 3 + 3) & ~size_t(3);
    if (offset > d.size() || d.size() - offset < row * height) {
        *error = path + " is cut short";
        return false;
    }
    image->width = width;
    image->height = height;
    image->rgb.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const size_t start = offset + row * static_cast<size_t>(bottomUp ? height - 1 - y : y);
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = &d[start + static_cast<size_t>(x) * 3];
            image->rgb[static_cast<size_t>(y) * width + x] = (p[2] << 16) | (p[1] << 8) | p[0];
        }
    }
    return true;
}

}  // namespace bmp
