// Pixels in a display format: the storage behind surfaces, DIB sections and DCs.
#pragma once

#include <cstdint>
#include <vector>

#include "port/include/windows.h"

namespace port {

// The three display formats: 16 bpp RGB565, 24 bpp packed BGR, 32 bpp XRGB8888.
struct PixelFormat {
    int bitsPerPixel = 32;
    uint32_t redMask = 0xFF0000;
    uint32_t greenMask = 0x00FF00;
    uint32_t blueMask = 0x0000FF;

    int BytesPerPixel() const { return bitsPerPixel / 8; }
    bool operator==(const PixelFormat& other) const;
};

// False for depths that have no format here (only 16, 24 and 32 do).
bool FormatForDepth(int bitsPerPixel, PixelFormat* format);

// A COLORREF as this format stores it, and back. Channels are truncated to
// the format's width, and widened by a left shift, as GDI does.
uint32_t ColorToPixel(COLORREF color, const PixelFormat& format);
COLORREF PixelToColor(uint32_t pixel, const PixelFormat& format);

// A width x height block of pixels, rows top-down, `pitch` bytes apart.
struct Pixmap {
    int width = 0;
    int height = 0;
    int pitch = 0;
    PixelFormat format;
    std::vector<uint8_t> bits;

    // Sizes the block and fills it with zeros; false for an absurd size.
    bool Allocate(int width, int height, const PixelFormat& format);
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    uint8_t* Row(int y) { return bits.data() + static_cast<size_t>(y) * pitch; }
    const uint8_t* Row(int y) const { return bits.data() + static_cast<size_t>(y) * pitch; }
    // Raw pixel values; the caller keeps (x, y) inside.
    uint32_t Get(int x, int y) const;
    void Set(int x, int y, uint32_t value);
    // Fills the part of [left, right) x [top, bottom) that lies inside.
    void Fill(int left, int top, int right, int bottom, uint32_t value);
};

// The largest surface or bitmap side the port accepts.
constexpr int kMaxPixmapSide = 16384;

}  // namespace port
