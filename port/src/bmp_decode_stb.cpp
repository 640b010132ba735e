// BMP decoding by stb_image, for the browser build (no SDL there). stb_image
// reads what the game's pictures use (1, 4, 8, 16, 24 and 32 bpp, bit fields,
// top-down rows, the OS/2 header) but no run-length encoding: such a file is
// refused as undecodable.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
// One thread: its failure reason needs no thread-local storage, which the
// linker would refuse without threads once bulk memory is on (port/web.cmake).
#define STBI_NO_THREAD_LOCALS
#include <stb_image.h>

#include <climits>
#include <cstring>
#include <memory>

#include "port/src/bmp_decode.h"

namespace port {
namespace {

uint32_t Le16(const uint8_t* p) { return p[0] | (p[1] << 8); }
uint32_t Le32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The game's own pictures are plain 24 bpp files (a Windows info header, no
// compression, every row there with its padding). Those are converted here
// straight from the file's rows, without stb_image's byte-at-a-time reader
// and the RGB copy it makes; the same bytes give the same pixels. Returns
// false, having touched nothing, for any other file: stb_image decodes those.
bool DecodePlain24(const std::vector<uint8_t>& bytes, int width, int height, Pixmap* pixels) {
    constexpr size_t kFileHeader = 14, kInfoHeader = 40;
    if (bytes.size() < kFileHeader + kInfoHeader || bytes[0] != 'B' || bytes[1] != 'M') return false;
    const uint8_t* info = bytes.data() + kFileHeader;
    const uint32_t headerSize = Le32(info), offBits = Le32(bytes.data() + 10);
    // The info headers stb_image reads, without its OS/2 one.
    if (headerSize != 40 && headerSize != 56 && headerSize != 108 && headerSize != 124) return false;
    const int64_t fileWidth = static_cast<int32_t>(Le32(info + 4));
    const int64_t fileHeight = static_cast<int32_t>(Le32(info + 8));
    if (Le16(info + 12) != 1 || Le16(info + 14) != 24 || Le32(info + 16) != 0 || fileWidth != width || width <= 0 ||
        height <= 0 || (fileHeight != height && fileHeight != -int64_t{height}))
        return false;
    const uint64_t rowBytes = (static_cast<uint64_t>(width) * 3 + 3) & ~uint64_t{3};
    if (offBits < kFileHeader + headerSize || offBits > bytes.size() ||
        (bytes.size() - offBits) / rowBytes < static_cast<uint64_t>(height))
        return false;
    PixelFormat format;
    FormatForDepth(32, &format);
    if (!pixels->Allocate(width, height, format)) return false;
    const bool bottomUp = fileHeight > 0;
    for (int y = 0; y < height; ++y) {
        const uint8_t* from = bytes.data() + offBits + rowBytes * static_cast<uint64_t>(bottomUp ? height - 1 - y : y);
        uint8_t* row = pixels->Row(y);
        for (int x = 0; x < width; ++x, from += 3) {  // B, G, R
            const uint32_t value = from[0] | (uint32_t{from[1]} << 8) | (uint32_t{from[2]} << 16);
            std::memcpy(row + 4 * x, &value, 4);
        }
    }
    return true;
}

}  // namespace

bool DecodeBmp(const std::vector<uint8_t>& bytes, int width, int height, Pixmap* pixels,
               const char** why) {
    *why = "undecodable";
    if (bytes.size() > static_cast<size_t>(INT_MAX)) return false;
    if (DecodePlain24(bytes, width, height, pixels)) return true;
    int w = 0, h = 0, channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> rgb(
        stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &channels, 3),
        &stbi_image_free);
    PixelFormat format;
    FormatForDepth(32, &format);
    if (!rgb || w != width || h != height || !pixels->Allocate(width, height, format)) return false;
    // R, G, B bytes to XRGB words, row by row.
    const stbi_uc* from = rgb.get();
    for (int y = 0; y < height; ++y) {
        uint8_t* row = pixels->Row(y);
        for (int x = 0; x < width; ++x, from += 3) {
            const uint32_t value = (uint32_t{from[0]} << 16) | (uint32_t{from[1]} << 8) | from[2];
            std::memcpy(row + 4 * x, &value, 4);
        }
    }
    return true;
}

}  // namespace port
