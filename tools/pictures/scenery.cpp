#include "pictures/scenery.h"

#include <cmath>

#include "kit/disc.h"
#include "kit/shapes.h"
#include "kit/text.h"

void SpaceBackground(Picture& p, int horizon, uint32_t seed) {
    for (int y = 0; y < p.Height(); ++y) {
        double t = double(y) / horizon;
        Color c;
        if (t < 0.55) {
            c = Mix(Hex(0x03030E), Hex(0x120A33), t / 0.55);
        } else if (t <= 1.0) {
            c = Mix(Hex(0x120A33), Hex(0x6A1B6E), std::pow((t - 0.55) / 0.45, 1.6));
        } else {
            c = Hex(0x07030F);
        }
        for (int x = 0; x < p.Width(); ++x) p.Set(x, y, c);
    }
    // A faint nebula.
    Random random(seed ^ 0x9E3779B9u);
    for (int i = 0; i < 14; ++i) {
        double cx = random.Range(0, p.Width()), cy = random.Range(20, horizon * 0.8);
        Color c = Mix(Hex(0x3B1E8C), Hex(0x1E6FA8), random.Unit());
        GlowSpot(p, cx, cy, random.Range(60, 150), c, 0.12);
    }
    Starfield(p, horizon, 260, seed);
}

void GridFloor(Picture& p, int horizon) {
    const Color line = Hex(0xFF3FD2);
    const Color line2 = Hex(0x38E1FF);
    const double cx = p.Width() / 2.0;
    for (int y = horizon; y < p.Height(); ++y) {
        double t = double(y - horizon) / (p.Height() - horizon);
        Color c = Mix(Hex(0x1A0730), Hex(0x060212), t);
        for (int x = 0; x < p.Width(); ++x) p.Set(x, y, c);
    }
    // Lines across, closer together towards the horizon.
    for (int i = 1; i < 16; ++i) {
        double z = 1.0 / (i * 0.35);
        double y = horizon + (p.Height() - horizon) * (z / (z + 1.2)) * 1.05;
        if (y >= p.Height()) continue;
        double k = Clamp01(double(y - horizon) / (p.Height() - horizon) * 1.6);
        Line(p, 0, y, p.Width(), y, line, 0.5 + 0.9 * k);
        Line(p, 0, y + 1, p.Width(), y + 1, line, 0.25 * k);
    }
    // Lines towards the vanishing point.
    for (int i = -14; i <= 14; ++i) {
        double xb = cx + i * 70.0;
        Line(p, cx + i * 6.0, horizon, xb, p.Height(), i % 2 ? line : line2, 0.8);
    }
    // The horizon itself.
    for (int x = 0; x < p.Width(); ++x) {
        p.Glow(x, horizon, Hex(0xFF8AE8), 0.9);
        p.Glow(x, horizon - 1, Hex(0xFF3FD2), 0.35);
        p.Glow(x, horizon + 1, Hex(0xFF3FD2), 0.35);
    }
}

void Shot(Picture& p, double cx, double cy) {
    GlowSpot(p, cx, cy, 26, Hex(0x66FFEA), 0.5);
    for (int y = static_cast<int>(cy) - 13; y <= cy + 13; ++y) {
        for (int x = static_cast<int>(cx) - 13; x <= cx + 13; ++x) {
            double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
            Color c = d > 10 ? Hex(0xE04AFF) : Mix(Hex(0xFFFFB0), Hex(0x46E0A0), d / 10);
            p.Blend(x, y, c, Clamp01(12.5 - d));
        }
    }
}

void FallingDisc(Picture& p, double cx, double cy, double size, double tilt) {
    for (int i = 0; i < 40; ++i) {
        double k = 1 - i / 40.0;
        GlowSpot(p, cx, cy - size * 0.6 - i * size * 0.05, size * 0.55 * k,
                 Hex(0x6B7CFF), 0.05 * k);
    }
    SoftDisc(p, cx, cy, size, size * 0.77, tilt);
}

void ChromeTitle(Picture& p, int top, int scale, int outline, int depth, double glow) {
    TextStyle title;
    title.scale = scale;
    title.slant = 0.18;
    title.chrome = true;
    title.outline = outline;
    title.outlineColor = Hex(0x0B0620);
    title.depth = depth;
    title.depthColor = Hex(0xB0207A);
    title.glow = glow;
    title.glowColor = Hex(0xFF2FB0);
    DrawCentered(p, "VEXAR", top, title);
}
