#include "kit/shapes.h"

#include <algorithm>
#include <cmath>

void GlowSpot(Picture& p, double cx, double cy, double radius, Color c, double strength) {
    int x0 = static_cast<int>(cx - radius), x1 = static_cast<int>(cx + radius) + 1;
    int y0 = static_cast<int>(cy - radius), y1 = static_cast<int>(cy + radius) + 1;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy) / radius;
            if (d < 1) p.Glow(x, y, c, strength * (1 - d) * (1 - d));
        }
    }
}

double RoundedRectCover(int x, int y, double left, double top, double right, double bottom,
                        double radius) {
    double px = x + 0.5, py = y + 0.5;
    if (px < left - 0.5 || px > right + 0.5 || py < top - 0.5 || py > bottom + 0.5) return 0;
    double qx = std::max(std::max(left + radius - px, px - (right - radius)), 0.0);
    double qy = std::max(std::max(top + radius - py, py - (bottom - radius)), 0.0);
    return Clamp01(radius - std::hypot(qx, qy) + 0.5);
}

void RoundedRect(Picture& p, double left, double top, double right, double bottom,
                 double radius, Color c, double alpha) {
    for (int y = static_cast<int>(top) - 1; y <= static_cast<int>(bottom) + 1; ++y) {
        for (int x = static_cast<int>(left) - 1; x <= static_cast<int>(right) + 1; ++x) {
            p.Blend(x, y, c, alpha * RoundedRectCover(x, y, left, top, right, bottom, radius));
        }
    }
}

void Line(Picture& p, double x0, double y0, double x1, double y1, Color c, double alpha) {
    int steps = static_cast<int>(std::max(std::fabs(x1 - x0), std::fabs(y1 - y0)) * 2) + 1;
    for (int i = 0; i <= steps; ++i) {
        double t = double(i) / steps;
        double x = x0 + (x1 - x0) * t, y = y0 + (y1 - y0) * t;
        int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
        double fx = x - ix, fy = y - iy;
        p.Glow(ix, iy, c, alpha * (1 - fx) * (1 - fy) * 0.5);
        p.Glow(ix + 1, iy, c, alpha * fx * (1 - fy) * 0.5);
        p.Glow(ix, iy + 1, c, alpha * (1 - fx) * fy * 0.5);
        p.Glow(ix + 1, iy + 1, c, alpha * fx * fy * 0.5);
    }
}

void Starfield(Picture& p, int bottom, int count, uint32_t seed) {
    Random random(seed);
    for (int i = 0; i < count; ++i) {
        double x = random.Range(0, p.Width());
        double y = random.Range(0, bottom);
        double size = random.Unit();
        size = size * size * size;  // mostly faint specks, a few bright stars
        Color tint = Mix(Rgb(1, 1, 1), Hue(random.Range(0.5, 0.75)), random.Range(0, 0.5));
        if (random.Unit() < 0.15) tint = Mix(Rgb(1, 1, 1), Rgb(1, 0.8, 0.5), 0.6);
        double fade = Clamp01(1.2 - y / bottom);  // stars fade into the horizon glow
        double bright = (0.25 + 0.75 * size) * fade;
        p.Glow(static_cast<int>(x), static_cast<int>(y), tint, bright);
        if (size > 0.35) {
            GlowSpot(p, x, y, 2 + 5 * size, tint, 0.5 * bright);
        }
        if (size > 0.7) {
            // A four-pointed sparkle.
            int arm = static_cast<int>(4 + 10 * size);
            for (int d = 1; d <= arm; ++d) {
                double k = bright * 0.8 * (1 - double(d) / (arm + 1));
                p.Glow(static_cast<int>(x) + d, static_cast<int>(y), tint, k);
                p.Glow(static_cast<int>(x) - d, static_cast<int>(y), tint, k);
                p.Glow(static_cast<int>(x), static_cast<int>(y) + d, tint, k);
                p.Glow(static_cast<int>(x), static_cast<int>(y) - d, tint, k);
            }
        }
    }
}
