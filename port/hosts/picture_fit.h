// Where the game's picture goes in a window or on a screen, for each scaling
// mode ($VEXAR_SCALE): no SDL here, so the arithmetic can be checked alone.
#pragma once

#include <string>

namespace port {

enum class ScaleMode {
    Aspect,   // the largest picture of the game's shape, black bars beside it
    Integer,  // the largest whole multiple that fits, centred
    Stretch,  // the whole area
};

struct PictureRect {
    int x = 0, y = 0, w = 0, h = 0;
};

// The picture's place for a `width` x `height` frame in an `areaWidth` x
// `areaHeight` area; empty when either is empty. Integer falls back to
// Aspect in an area smaller than the frame.
PictureRect FitPicture(ScaleMode mode, int width, int height, int areaWidth, int areaHeight);

// "aspect", "integer" or "stretch"; false for anything else.
bool ParseScaleMode(const std::string& text, ScaleMode* mode);

// The part of `picture` that shows the frame's columns [x0, x1) and rows
// [y0, y1): the frame's edges map to the picture's with whole-pixel
// rounding down, so neighbouring parts tile the picture without gaps.
PictureRect MapFramePart(const PictureRect& picture, int width, int height, int x0, int y0, int x1,
                         int y1);

}  // namespace port
