#include "port/src/pixels.h"

#include <algorithm>

#include "port/src/blit.h"

namespace port {

bool PixelFormat::operator==(const PixelFormat& other) const {
    return bitsPerPixel == other.bitsPerPixel && redMask == other.redMask &&
           greenMask == other.greenMask && blueMask == other.blueMask;
}

bool FormatForDepth(int bitsPerPixel, PixelFormat* format) {
    switch (bitsPerPixel) {
    case 16:
        *format = {16, 0xF800, 0x07E0, 0x001F};
        return true;
    case 24:
        *format = {24, 0xFF0000, 0x00FF00, 0x0000FF};
        return true;
    case 32:
        *format = {32, 0xFF0000, 0x00FF00, 0x0000FF};
        return true;
    default:
        return false;
    }
}

uint32_t ColorToPixel(COLORREF color, const PixelFormat& format) {
    uint32_t r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
    if (format.bitsPerPixel == 16) return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
    return (r << 16) | (g << 8) | b;
}

COLORREF PixelToColor(uint32_t pixel, const PixelFormat& format) {
    if (format.bitsPerPixel == 16)
        return RGB(((pixel >> 11) & 0x1F) << 3, ((pixel >> 5) & 0x3F) << 2, (pixel & 0x1F) << 3);
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

bool Pixmap::Allocate(int w, int h, const PixelFormat& f) {
    if (w <= 0 || h <= 0 || w > kMaxPixmapSide || h > kMaxPixmapSide) return false;
    width = w;
    height = h;
    format = f;
    pitch = (w * f.BytesPerPixel() + 3) & ~3;
    bits.assign(static_cast<size_t>(pitch) * h, 0);
    return true;
}

uint32_t Pixmap::Get(int x, int y) const {
    const uint8_t* p = Row(y) + x * format.BytesPerPixel();
    switch (format.bitsPerPixel) {
    case 16:
        return p[0] | (p[1] << 8);
    case 24:
        return p[0] | (p[1] << 8) | (p[2] << 16);
    default:
        return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
    }
}

void Pixmap::Set(int x, int y, uint32_t value) {
    uint8_t* p = Row(y) + x * format.BytesPerPixel();
    p[0] = value & 0xFF;
    p[1] = (value >> 8) & 0xFF;
    if (format.bitsPerPixel >= 24) p[2] = (value >> 16) & 0xFF;
    if (format.bitsPerPixel == 32) p[3] = (value >> 24) & 0xFF;
}

void Pixmap::Fill(int left, int top, int right, int bottom, uint32_t value) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, width);
    bottom = std::min(bottom, height);
    if (left >= right || top >= bottom) return;
    blit::Fill(*this, left, top, right, bottom, value);
}

}  // namespace port
