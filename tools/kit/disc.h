// A compact disc: silver, the rainbow of its tracks, the hub and the hole.
#pragma once

#include "kit/picture.h"

// The colour of a compact disc at (nx, ny), coordinates scaled so that the
// disc's rim is the unit circle, or false where the disc is not (outside the
// rim and in the hole).
bool DiscColor(double nx, double ny, Color* out);

// Draws a disc in the ellipse of the given centre and radii, turned by `tilt`
// radians, blended smoothly into the picture (for decoration; the game's disc
// has a hard edge).
void SoftDisc(Picture& p, double cx, double cy, double rx, double ry, double tilt);
