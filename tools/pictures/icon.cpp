// The desktop's icon: a falling disc over the neon grid, a shot rising to
// meet it, on a rounded tile with a cyan rim.
#include "kit/shapes.h"
#include "pictures/pictures.h"
#include "pictures/scenery.h"

namespace {

const int SIZE = 256;
const double MARGIN = 8, RADIUS = 44, RIM = 4;

// Cuts the tile's rounded shape out of the picture and edges it with the rim.
void Tile(Picture& p) {
    const double lo = MARGIN, hi = SIZE - MARGIN;
    for (int y = 0; y < SIZE; ++y) {
        for (int x = 0; x < SIZE; ++x) {
            double outer = RoundedRectCover(x, y, lo, lo, hi, hi, RADIUS);
            double inner = RoundedRectCover(x, y, lo + RIM, lo + RIM, hi - RIM, hi - RIM, RADIUS - RIM);
            p.Blend(x, y, Hex(0x38E1FF), outer - inner);
            p.SetOpacity(x, y, outer);
        }
    }
}

}  // namespace

Picture DrawIcon() {
    Picture p(SIZE, SIZE);
    const int horizon = 176;
    SpaceBackground(p, horizon, 0x5EEDu);
    GridFloor(p, horizon);
    FallingDisc(p, 128, 96, 74, 0.25);
    Shot(p, 128, 212);
    Tile(p);
    return p;
}
