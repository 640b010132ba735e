#include "port/hosts/web/web_frame.h"

#include <cstring>

#include "port/hosts/host_core.h"

namespace port {
namespace {

// One pixel of the display format as the canvas's R, G, B, A bytes.
inline uint32_t Rgba16(const uint8_t* p) {
    const uint32_t v = p[0] | (p[1] << 8);
    const uint32_t r = (v >> 11) << 3, g = ((v >> 5) & 0x3F) << 2, b = (v & 0x1F) << 3;
    return r | (g << 8) | (b << 16) | 0xFF000000u;
}
inline uint32_t Rgba24(const uint8_t* p) {  // B, G, R
    return p[2] | (p[1] << 8) | (static_cast<uint32_t>(p[0]) << 16) | 0xFF000000u;
}
inline uint32_t Rgba32(const uint8_t* p) {  // XRGB, one word: B and R change places
    uint32_t v;
    std::memcpy(&v, p, 4);
    return ((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16) | 0xFF000000u;
}

template <uint32_t (*Convert)(const uint8_t*)>
void ConvertPart(const uint8_t* pixels, int width, int pitch, int bytes, const PictureRect& part,
                 uint8_t* rgba) {
    for (int y = part.y; y < part.y + part.h; ++y) {
        const uint8_t* from = pixels + static_cast<size_t>(y) * pitch + static_cast<size_t>(part.x) * bytes;
        uint8_t* to = rgba + (static_cast<size_t>(y) * width + part.x) * 4;
        for (int x = 0; x < part.w; ++x, from += bytes, to += 4) {
            const uint32_t value = Convert(from);
            std::memcpy(to, &value, 4);
        }
    }
}

}  // namespace

const std::vector<PictureRect>& WebFrame::Update(const void* pixels, int width, int height, int pitch,
                                                 int bits) {
    if (!FrameIsShowable(pixels, width, height, pitch, bits)) return none_;
    const int bytes = bits / 8;
    const uint8_t* from = static_cast<const uint8_t*>(pixels);
    const std::vector<PictureRect>& parts = changes_.Compare(from, width, height, pitch, bytes);
    rgba_.resize(static_cast<size_t>(width) * height * 4);
    for (const PictureRect& part : parts) {
        if (bits == 16) ConvertPart<Rgba16>(from, width, pitch, bytes, part, rgba_.data());
        else if (bits == 32) ConvertPart<Rgba32>(from, width, pitch, bytes, part, rgba_.data());
        else ConvertPart<Rgba24>(from, width, pitch, bytes, part, rgba_.data());
    }
    return parts;
}

}  // namespace port
