// Where the picture goes for each scaling mode, and that SDL's own logical
// size, which the renderers letterbox with, puts it in the same place.
#include <SDL.h>
#include <gtest/gtest.h>

#include <tuple>

#include "port/hosts/picture_fit.h"
#include "port/hosts/sdl/sdl_present.h"

namespace {

using port::FitPicture;
using port::PictureRect;
using port::ScaleMode;

std::tuple<int, int, int, int> T(const PictureRect& r) { return {r.x, r.y, r.w, r.h}; }

TEST(PictureFitTest, AspectKeepsTheShapeWithBarsOnTheLongSides) {
    using R = std::tuple<int, int, int, int>;
    EXPECT_EQ(T(FitPicture(ScaleMode::Aspect, 640, 480, 1920, 1080)), R(240, 0, 1440, 1080));
    EXPECT_EQ(T(FitPicture(ScaleMode::Aspect, 640, 480, 1280, 1024)), R(0, 32, 1280, 960));
    EXPECT_EQ(T(FitPicture(ScaleMode::Aspect, 640, 480, 3840, 2160)), R(480, 0, 2880, 2160));
    EXPECT_EQ(T(FitPicture(ScaleMode::Aspect, 640, 480, 640, 480)), R(0, 0, 640, 480));
    EXPECT_EQ(T(FitPicture(ScaleMode::Aspect, 640, 480, 1001, 701)), R(33, 0, 934, 701));
    EXPECT_EQ(T(FitPicture(ScaleMode::Aspect, 640, 480, 333, 999)), R(0, 375, 333, 249));
    EXPECT_EQ(T(FitPicture(ScaleMode::Aspect, 640, 480, 200, 150)), R(0, 0, 200, 150));
}

TEST(PictureFitTest, IntegerTakesTheLargestWholeMultipleCentred) {
    using R = std::tuple<int, int, int, int>;
    EXPECT_EQ(T(FitPicture(ScaleMode::Integer, 640, 480, 1920, 1080)), R(320, 60, 1280, 960));
    EXPECT_EQ(T(FitPicture(ScaleMode::Integer, 640, 480, 3840, 2160)), R(640, 120, 2560, 1920));
    EXPECT_EQ(T(FitPicture(ScaleMode::Integer, 640, 480, 1279, 1000)), R(319, 260, 640, 480));
    EXPECT_EQ(T(FitPicture(ScaleMode::Integer, 640, 480, 1280, 959)), R(320, 239, 640, 480));
    // Smaller than the frame: no whole multiple fits, so the picture shrinks as in aspect.
    EXPECT_EQ(T(FitPicture(ScaleMode::Integer, 640, 480, 639, 480)), R(0, 0, 639, 479));
    EXPECT_EQ(T(FitPicture(ScaleMode::Integer, 640, 480, 320, 100)), R(93, 0, 133, 100));
}

TEST(PictureFitTest, StretchFillsAndEmptyAreasGiveNothing) {
    using R = std::tuple<int, int, int, int>;
    EXPECT_EQ(T(FitPicture(ScaleMode::Stretch, 640, 480, 1921, 7)), R(0, 0, 1921, 7));
    for (ScaleMode mode : {ScaleMode::Aspect, ScaleMode::Integer, ScaleMode::Stretch}) {
        EXPECT_EQ(T(FitPicture(mode, 640, 480, 0, 480)), R(0, 0, 0, 0));
        EXPECT_EQ(T(FitPicture(mode, 640, 480, 640, -1)), R(0, 0, 0, 0));
        EXPECT_EQ(T(FitPicture(mode, 0, 480, 640, 480)), R(0, 0, 0, 0));
        // Tiny areas still give a picture that fits.
        PictureRect tiny = FitPicture(mode, 640, 480, 1, 1);
        EXPECT_LE(tiny.x + tiny.w, 1);
        EXPECT_LE(tiny.y + tiny.h, 1);
    }
}

TEST(PictureFitTest, ModesAreReadByName) {
    ScaleMode mode = ScaleMode::Stretch;
    EXPECT_TRUE(port::ParseScaleMode("integer", &mode));
    EXPECT_EQ(mode, ScaleMode::Integer);
    EXPECT_TRUE(port::ParseScaleMode("aspect", &mode));
    EXPECT_EQ(mode, ScaleMode::Aspect);
    for (const char* bad : {"", "Aspect", "integer ", "fill"}) {
        EXPECT_FALSE(port::ParseScaleMode(bad, &mode)) << bad;
        EXPECT_EQ(mode, ScaleMode::Aspect);
    }
}

// The parts of a frame cut into tiles cover the picture exactly once.
TEST(PictureFitTest, FramePartsTileThePictureWithoutGapsOrOverlap) {
    for (auto area : {std::make_pair(1920, 1080), std::make_pair(1001, 701), std::make_pair(300, 200)}) {
        const PictureRect picture = FitPicture(ScaleMode::Aspect, 640, 480, area.first, area.second);
        int covered = 0, right = picture.x;
        for (int x0 = 0; x0 < 640; x0 += 32) {
            PictureRect part = port::MapFramePart(picture, 640, 480, x0, 0, x0 + 32, 16);
            EXPECT_EQ(part.x, right);
            right = part.x + part.w;
            covered += part.w;
        }
        EXPECT_EQ(covered, picture.w);
        PictureRect bottom = port::MapFramePart(picture, 640, 480, 0, 464, 640, 480);
        EXPECT_EQ(bottom.y + bottom.h, picture.y + picture.h);
    }
}

// The bounding box of what SDL's software renderer draws for a white
// 640x480 texture in a `w` x `h` target, scaled as the presenter scales.
PictureRect DrawnBySdl(int w, int h, ScaleMode mode) {
    PictureRect box;
    SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGB888);
    SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(target);
    SDL_Texture* texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888,
                                             SDL_TEXTUREACCESS_STREAMING, 640, 480);
    SDL_Surface* white = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 32, SDL_PIXELFORMAT_RGB888);
    SDL_FillRect(white, nullptr, 0xFFFFFF);
    SDL_UpdateTexture(texture, nullptr, white->pixels, white->pitch);
    port::SetRendererScaling(renderer, mode, 640, 480);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    SDL_RenderPresent(renderer);
    int left = w, top = h, right = -1, bottom = -1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Uint32 p = static_cast<const Uint32*>(target->pixels)[y * target->pitch / 4 + x];
            if ((p & 0xFFFFFF) == 0) continue;
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
    if (right >= 0) box = {left, top, right - left + 1, bottom - top + 1};
    SDL_FreeSurface(white);
    SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    SDL_FreeSurface(target);
    return box;
}

TEST(PictureFitTest, SdlsLogicalSizePlacesThePictureAsTheArithmeticDoes) {
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    for (auto area : {std::make_pair(1920, 1080), std::make_pair(1280, 1024), std::make_pair(1001, 701),
                      std::make_pair(333, 999), std::make_pair(1283, 963)}) {
        const int w = area.first, h = area.second;
        for (ScaleMode mode : {ScaleMode::Aspect, ScaleMode::Integer, ScaleMode::Stretch})
            EXPECT_EQ(T(DrawnBySdl(w, h, mode)), T(FitPicture(mode, 640, 480, w, h)))
                << w << "x" << h << " mode " << static_cast<int>(mode);
    }
}

}  // namespace
