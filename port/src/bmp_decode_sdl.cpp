// BMP decoding by SDL's loader, for the desktop build.
#include <SDL.h>

#include <cstring>

#include "port/src/bmp_decode.h"

namespace port {
namespace {

// Copies an XRGB surface into `pixels`, clearing the unused byte.
void CopyXrgb(const SDL_Surface* surface, Pixmap* pixels) {
    for (int y = 0; y < pixels->height; ++y) {
        const uint8_t* from = static_cast<const uint8_t*>(surface->pixels) +
                              static_cast<size_t>(y) * surface->pitch;
        uint8_t* to = pixels->Row(y);
        for (int x = 0; x < pixels->width; ++x, from += 4, to += 4) {
            uint32_t value;
            std::memcpy(&value, from, 4);
            value &= 0x00FFFFFF;
            std::memcpy(to, &value, 4);
        }
    }
}

// Widens the channels of a 16 bpp surface to the full 0..255 range (0x1F
// becomes 0xFF), which SDL's own 16-to-32 blitters do not quite do.
void CopyWidened16(const SDL_Surface* surface, Pixmap* pixels) {
    for (int y = 0; y < pixels->height; ++y) {
        const uint8_t* from = static_cast<const uint8_t*>(surface->pixels) +
                              static_cast<size_t>(y) * surface->pitch;
        for (int x = 0; x < pixels->width; ++x, from += 2) {
            Uint8 r, g, b;
            SDL_GetRGB(from[0] | (from[1] << 8), surface->format, &r, &g, &b);
            pixels->Set(x, y, (uint32_t{r} << 16) | (uint32_t{g} << 8) | b);
        }
    }
}

}  // namespace

bool DecodeBmp(const std::vector<uint8_t>& bytes, int width, int height, Pixmap* pixels,
               const char** why) {
    *why = "undecodable";
    SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (!stream) return false;
    SDL_Surface* decoded = SDL_LoadBMP_RW(stream, 1);
    if (!decoded) return false;
    const bool wide16 = decoded->format->BytesPerPixel == 2 && !decoded->format->palette;
    SDL_Surface* converted =
        wide16 ? decoded : SDL_ConvertSurfaceFormat(decoded, SDL_PIXELFORMAT_RGB888, 0);
    if (converted != decoded) SDL_FreeSurface(decoded);
    if (!converted) return false;
    PixelFormat format;
    FormatForDepth(32, &format);
    bool made = converted->w == width && converted->h == height &&
                pixels->Allocate(width, height, format) &&
                SDL_LockSurface(converted) == 0;
    if (made) {
        if (wide16) CopyWidened16(converted, pixels);
        else CopyXrgb(converted, pixels);
        SDL_UnlockSurface(converted);
    }
    SDL_FreeSurface(converted);
    return made;
}

}  // namespace port
