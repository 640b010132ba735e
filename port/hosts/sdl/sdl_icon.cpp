#include "port/hosts/sdl/sdl_icon.h"

namespace port {
namespace {

constexpr int kIconSize = 64;
const unsigned char kIconPixels[] = {
#include "vexar-64.rgba.inc"
};
static_assert(sizeof kIconPixels == kIconSize * kIconSize * 4, "the icon is 64 x 64 RGBA");

}  // namespace

void SetGameIcon(SDL_Window* window) {
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<unsigned char*>(kIconPixels), kIconSize, kIconSize, 32, kIconSize * 4,
        SDL_PIXELFORMAT_RGBA32);
    if (!icon) return;
    SDL_SetWindowIcon(window, icon);  // SDL copies the pixels
    SDL_FreeSurface(icon);
}

}  // namespace port
