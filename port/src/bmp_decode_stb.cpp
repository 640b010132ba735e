// BMP decoding by stb_image, for the browser build (no SDL there). stb_image
// reads what the game's pictures use (1, 4, 8, 16, 24 and 32 bpp, bit fields,
// top-down rows, the OS/2 header) but no run-length encoding: such a file is
// refused as undecodable.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#include <stb_image.h>

#include <climits>
#include <memory>

#include "port/src/bmp_decode.h"

namespace port {

bool DecodeBmp(const std::vector<uint8_t>& bytes, int width, int height, Pixmap* pixels,
               const char** why) {
    *why = "undecodable";
    if (bytes.size() > static_cast<size_t>(INT_MAX)) return false;
    int w = 0, h = 0, channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> rgb(
        stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &channels, 3),
        &stbi_image_free);
    PixelFormat format;
    FormatForDepth(32, &format);
    if (!rgb || w != width || h != height || !pixels->Allocate(width, height, format)) return false;
    const stbi_uc* from = rgb.get();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x, from += 3)
            pixels->Set(x, y, (uint32_t{from[0]} << 16) | (uint32_t{from[1]} << 8) | from[2]);
    return true;
}

}  // namespace port
