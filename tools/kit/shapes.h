// The shapes the pictures are made of: glows, rounded boxes, lines, stars.
#pragma once

#include <cstdint>

#include "kit/picture.h"

// Soft round light around (cx, cy).
void GlowSpot(Picture& p, double cx, double cy, double radius, Color c, double strength);

// A rectangle with rounded corners, filled with its own antialiased edge.
void RoundedRect(Picture& p, double left, double top, double right, double bottom,
                 double radius, Color c, double alpha);

// How much of the pixel (x, y) the rounded rectangle covers, 0..1.
double RoundedRectCover(int x, int y, double left, double top, double right, double bottom,
                        double radius);

// A thin line of light.
void Line(Picture& p, double x0, double y0, double x1, double y1, Color c, double alpha);

// `count` stars above the row `bottom`, fading towards it.
void Starfield(Picture& p, int bottom, int count, uint32_t seed);
