// The title screen: the chrome title over a sunset, a neon grid, falling
// discs and the cannon firing at one of them.
#include <cmath>

#include "kit/shapes.h"
#include "kit/text.h"
#include "pictures/pictures.h"
#include "pictures/scenery.h"

namespace {

// A striped sunset sun sinking into the horizon.
void Sun(Picture& p, double cx, double horizon, double radius) {
    GlowSpot(p, cx, horizon - radius * 0.4, radius * 2.2, Hex(0xFF3C8E), 0.35);
    for (int y = static_cast<int>(horizon - radius) - 1; y < horizon; ++y) {
        double t = (y - (horizon - radius)) / radius;  // 0 at the top, 1 at the horizon
        // Gaps that widen towards the bottom.
        double band = Fract((horizon - y) / (radius * 0.16));
        double gap = SmoothStep(0.35, 1.0, t) * 0.55;
        if (band < gap) continue;
        Color c = Mix(Hex(0xFFF07A), Hex(0xFF2E88), SmoothStep(0.0, 1.0, t));
        for (int x = static_cast<int>(cx - radius) - 1; x <= cx + radius + 1; ++x) {
            double d = std::hypot(x + 0.5 - cx, y + 0.5 - horizon);
            p.Blend(x, y, c, Clamp01(radius - d + 0.5));
        }
    }
}

// The player's cannon as the game draws it, at `x` on a floor at `bottom`.
void Cannon(Picture& p, int x, int bottom) {
    RoundedRect(p, x, bottom - 20, x + 100, bottom, 2, Hex(0xC8C8C8), 1);
    RoundedRect(p, x + 2, bottom - 18, x + 98, bottom - 2, 1, Hex(0xB4B4B4), 1);
    RoundedRect(p, x + 20, bottom - 40, x + 80, bottom - 20, 2, Hex(0xC8C8C8), 1);
    RoundedRect(p, x + 22, bottom - 38, x + 78, bottom - 22, 1, Hex(0xFFFFFF), 1);
    RoundedRect(p, x + 35, bottom - 60, x + 65, bottom - 40, 1, Hex(0x0000FF), 1);
}

}  // namespace

Picture DrawIntro() {
    Picture p(640, 480);
    const int horizon = 330;
    SpaceBackground(p, horizon, 0x1234567u);
    Sun(p, 320, horizon, 120);
    GridFloor(p, horizon);

    FallingDisc(p, 92, 82, 38, 0.3);
    FallingDisc(p, 585, 282, 24, -0.4);
    FallingDisc(p, 470, 42, 18, 0.1);
    FallingDisc(p, 58, 262, 22, -0.2);

    // The cannon on the grid firing at the disc above it.
    Cannon(p, 420, 470);
    Shot(p, 470, 360);
    Shot(p, 470, 300);

    ChromeTitle(p, 112, 18, 3, 8, 1.2);

    const TextStyle tagline = TextStyle::Filled(3, Hex(0xBFF7FF), Hex(0x38D5FF))
                                  .Outlined(2, Hex(0x08061A))
                                  .Glowing(0.8, Hex(0x2AB8FF));
    DrawCentered(p, "THE DISCS ARE FALLING", 262, tagline);

    const TextStyle small = TextStyle::Filled(2, Hex(0xFFD0F4), Hex(0xFF7AD9)).Outlined(1, Hex(0x08061A));
    DrawText(p, "ARCADE EDITION", 12, 456, small);
    return p;
}
