// Writes small BMP files in the layouts GDI's loader reads: 1, 4 and 8 bpp with a
// colour table, 8 bpp run-length encoded, 16 bpp 5-6-5 bit fields, 24 and 32 bpp,
// bottom-up or top-down, and the old OS/2 core header. Used by the tests and to
// make the fuzzer's seed corpus.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace bmp_files {

using Bytes = std::vector<uint8_t>;

enum class Layout { Rgb1, Rgb4, Rgb8, Rle8, Fields16, Rgb24, Rgb32, Core24 };

// Pixels are COLORREF values (0x00BBGGRR), rows top-down.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

inline void Put16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Put32(Bytes& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
inline void Poke32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

inline int BitsOf(Layout layout) {
    switch (layout) {
    case Layout::Rgb1: return 1;
    case Layout::Rgb4: return 4;
    case Layout::Rgb8:
    case Layout::Rle8: return 8;
    case Layout::Fields16: return 16;
    case Layout::Rgb24:
    case Layout::Core24: return 24;
    case Layout::Rgb32: return 32;
    }
    return 0;
}

// The image's colours as a table, or empty when there are more than fit.
inline std::vector<uint32_t> Palette(const Image& image, int bits) {
    std::vector<uint32_t> table;
    for (uint32_t c : image.pixels) {
        bool known = false;
        for (uint32_t t : table) known = known || t == c;
        if (!known) table.push_back(c);
        if (table.size() > (size_t{1} << bits)) return {};
    }
    return table;
}

inline uint32_t IndexOf(const std::vector<uint32_t>& table, uint32_t color) {
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i] == color) return static_cast<uint32_t>(i);
    return 0;
}

// One row of pixel data, padded to four bytes.
inline Bytes Row(const Image& image, int y, Layout layout, const std::vector<uint32_t>& table) {
    Bytes row;
    const int bits = BitsOf(layout);
    if (bits <= 8) {
        uint32_t acc = 0;
        int used = 0;
        for (int x = 0; x < image.width; ++x) {
            acc = (acc << bits) | IndexOf(table, image.At(x, y));
            used += bits;
            if (used == 8) {
                row.push_back(static_cast<uint8_t>(acc));
                acc = 0;
                used = 0;
            }
        }
        if (used) row.push_back(static_cast<uint8_t>(acc << (8 - used)));
    } else {
        for (int x = 0; x < image.width; ++x) {
            uint32_t c = image.At(x, y);
            uint32_t r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
            if (bits == 16) {
                Put16(row, ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
                continue;
            }
            row.push_back(static_cast<uint8_t>(b));
            row.push_back(static_cast<uint8_t>(g));
            row.push_back(static_cast<uint8_t>(r));
            if (bits == 32) row.push_back(0);
        }
    }
    while (row.size() % 4) row.push_back(0);
    return row;
}

// Rows of runs: (count, index) pairs, an end-of-line code after each row, an
// end-of-bitmap code at the end.
inline Bytes Rle8(const Image& image, const std::vector<uint32_t>& table) {
    Bytes data;
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width;) {
            uint32_t index = IndexOf(table, image.At(x, y));
            int run = 1;
            while (x + run < image.width && run < 255 && IndexOf(table, image.At(x + run, y)) == index)
                ++run;
            data.push_back(static_cast<uint8_t>(run));
            data.push_back(static_cast<uint8_t>(index));
            x += run;
        }
        data.push_back(0);
        data.push_back(0);
    }
    data.push_back(0);
    data.push_back(1);
    return data;
}

// The whole file; empty when the image has more colours than the layout holds.
inline Bytes Encode(const Image& image, Layout layout, bool topDown = false) {
    const int bits = BitsOf(layout);
    std::vector<uint32_t> table;
    if (bits <= 8) {
        table = Palette(image, bits);
        if (table.empty()) return {};
    }
    const bool core = layout == Layout::Core24;
    Bytes b = {'B', 'M'};
    Put32(b, 0);  // file size, filled in below
    Put32(b, 0);
    Put32(b, 0);  // pixel data offset, filled in below
    if (core) {
        Put32(b, 12);
        Put16(b, image.width);
        Put16(b, image.height);
        Put16(b, 1);
        Put16(b, 24);
    } else {
        Put32(b, 40);
        Put32(b, image.width);
        Put32(b, topDown ? -image.height : image.height);
        Put16(b, 1);
        Put16(b, bits);
        Put32(b, layout == Layout::Rle8 ? 1 : layout == Layout::Fields16 ? 3 : 0);
        Put32(b, 0);     // image size
        Put32(b, 2835);  // 72 dpi
        Put32(b, 2835);
        Put32(b, static_cast<uint32_t>(table.size()));
        Put32(b, 0);
        if (layout == Layout::Fields16) {
            Put32(b, 0xF800);
            Put32(b, 0x07E0);
            Put32(b, 0x001F);
        }
        for (uint32_t c : table) Put32(b, ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF));
    }
    Poke32(b, 10, static_cast<uint32_t>(b.size()));
    if (layout == Layout::Rle8) {
        Bytes data = Rle8(image, table);
        b.insert(b.end(), data.begin(), data.end());
    } else {
        for (int i = 0; i < image.height; ++i) {
            int y = topDown ? i : image.height - 1 - i;
            Bytes row = Row(image, y, layout, table);
            b.insert(b.end(), row.begin(), row.end());
        }
    }
    Poke32(b, 2, static_cast<uint32_t>(b.size()));
    return b;
}

inline bool WriteFile(const std::string& path, const Bytes& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

// A test picture: each pixel's colour depends on its position, so flips,
// shifts and swapped channels all show. `colors` (up to 16) limits it to that
// many colours for the layouts with a colour table.
inline Image Pattern(int width, int height, int colors = 0) {
    Image image{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint32_t c = (x * 40 + 7) % 256 | (((y * 60 + 13) % 256) << 8) |
                         ((((x + y) * 25) % 256) << 16);
            if (colors) {
                static const uint32_t kColors[16] = {
                    0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00, 0xFF0000, 0xFF00FF, 0x00FFFF, 0xFFFF00,
                    0x808080, 0x000080, 0x008000, 0x800000, 0x800080, 0x008080, 0x808000, 0xC0C0C0};
                c = kColors[(x + 2 * y) % colors];
            }
            image.pixels[static_cast<size_t>(y) * width + x] = c;
        }
    return image;
}

}  // namespace bmp_files
