#include "port/hosts/picture_fit.h"

#include <algorithm>
#include <cstdint>

namespace port {
namespace {

PictureRect Centred(int w, int h, int areaWidth, int areaHeight) {
    PictureRect r;
    r.w = w;
    r.h = h;
    r.x = (areaWidth - w) / 2;
    r.y = (areaHeight - h) / 2;
    return r;
}

PictureRect FitAspect(int width, int height, int areaWidth, int areaHeight) {
    const int64_t wide = static_cast<int64_t>(areaWidth) * height;
    const int64_t tall = static_cast<int64_t>(areaHeight) * width;
    if (wide <= tall)  // bars above and below
        return Centred(areaWidth, static_cast<int>(static_cast<int64_t>(height) * areaWidth / width),
                       areaWidth, areaHeight);
    return Centred(static_cast<int>(static_cast<int64_t>(width) * areaHeight / height), areaHeight,
                   areaWidth, areaHeight);
}

int Scale(int value, int to, int from) {
    return static_cast<int>(static_cast<int64_t>(value) * to / from);
}

}  // namespace

PictureRect FitPicture(ScaleMode mode, int width, int height, int areaWidth, int areaHeight) {
    if (width <= 0 || height <= 0 || areaWidth <= 0 || areaHeight <= 0) return PictureRect();
    if (mode == ScaleMode::Stretch) return Centred(areaWidth, areaHeight, areaWidth, areaHeight);
    const int times = std::min(areaWidth / width, areaHeight / height);
    if (mode == ScaleMode::Integer && times >= 1)
        return Centred(width * times, height * times, areaWidth, areaHeight);
    return FitAspect(width, height, areaWidth, areaHeight);
}

bool ParseScaleMode(const std::string& text, ScaleMode* mode) {
    if (text == "aspect") *mode = ScaleMode::Aspect;
    else if (text == "integer") *mode = ScaleMode::Integer;
    else if (text == "stretch") *mode = ScaleMode::Stretch;
    else return false;
    return true;
}

PictureRect MapFramePart(const PictureRect& picture, int width, int height, int x0, int y0, int x1,
                         int y1) {
    PictureRect r;
    if (width <= 0 || height <= 0) return r;
    r.x = picture.x + Scale(x0, picture.w, width);
    r.y = picture.y + Scale(y0, picture.h, height);
    r.w = picture.x + Scale(x1, picture.w, width) - r.x;
    r.h = picture.y + Scale(y1, picture.h, height) - r.y;
    return r;
}

}  // namespace port
