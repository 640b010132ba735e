// Decoding a BMP file whose headers bitmaps.cpp has already checked: SDL's
// loader in the desktop build (bmp_decode_sdl.cpp), stb_image in the browser
// build (bmp_decode_stb.cpp). Both give the same pixels for what both read.
#pragma once

#include <cstdint>
#include <vector>

#include "port/src/pixels.h"

namespace port {

// Decodes the file's bytes into 32 bpp XRGB pixels with the unused byte zero,
// `width` x `height` as the header says; sets `why` when it cannot.
bool DecodeBmp(const std::vector<uint8_t>& bytes, int width, int height, Pixmap* pixels,
               const char** why);

}  // namespace port
