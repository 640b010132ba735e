// Pieces of scenery that more than one picture shows.
#pragma once

#include <cstdint>

#include "kit/picture.h"

// Deep space over a glowing horizon at `horizon`, with stars.
void SpaceBackground(Picture& p, int horizon, uint32_t seed);

// A neon grid running from the horizon to the bottom of the picture.
void GridFloor(Picture& p, int horizon);

// A flickering shot, as in the game.
void Shot(Picture& p, double cx, double cy);

// A falling disc with a motion streak above it.
void FallingDisc(Picture& p, double cx, double cy, double size, double tilt);

// The slanted chrome "VEXAR" with its magenta extrusion and glow, centred, its
// top at `top`: big on the intro picture, smaller on the start picture.
void ChromeTitle(Picture& p, int top, int scale, int outline, int depth, double glow);
