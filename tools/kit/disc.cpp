#include "kit/disc.h"

#include <algorithm>
#include <cmath>

bool DiscColor(double nx, double ny, Color* out) {
    const double r = std::hypot(nx, ny);
    if (r > 1.0 || r < 0.2) return false;
    const double a = std::atan2(ny, nx);
    if (r > 0.955) {
        // The rolled outer edge: dark, catching a little light at the top left.
        double light = 0.5 + 0.5 * std::cos(a + 2.3);
        *out = Mix(Hex(0x3A3F4A), Hex(0x9AA2B0), light * 0.7);
        return true;
    }
    if (r < 0.235) {
        // The thin metal lip around the hole.
        *out = Mix(Hex(0x8D96A6), Hex(0xE8ECF2), 0.5 + 0.5 * std::cos(a + 2.3));
        return true;
    }
    if (r < 0.36) {
        // The clear plastic hub, with its stacking ring.
        double ring = std::exp(-std::pow((r - 0.3) / 0.012, 2));
        Color hub = Mix(Hex(0x5D6778), Hex(0xAAB6C8), 0.5 + 0.5 * std::cos(a + 2.0));
        *out = Mix(hub, Hex(0xE6EEF8), 0.6 * ring);
        return true;
    }
    if (r < 0.385) {
        // The mirror band where the data starts.
        *out = Mix(Hex(0xC9D2DE), Hex(0xFFFFFF), 0.5 + 0.5 * std::cos(2 * a));
        return true;
    }
    // The data side: silver lit from the top left, two rainbow fans from the
    // tracks, a white glint and a faint pastel sheen.
    double shade = 0.74 + 0.18 * std::cos(2 * (a - 2.35)) + 0.08 * std::cos(a + 2.3);
    Color c = Scale(Hex(0xDCE2EC), shade);
    double fan = std::pow(std::max(0.0, std::cos(2 * (a - 0.55))), 2);
    Color rainbow = Spectrum(0.1 + (r - 0.38) * 0.95 + 0.03 * std::sin(a * 3));
    c = Mix(c, Mix(rainbow, Rgb(1, 1, 1), 0.12), 0.85 * fan);
    c = Mix(c, Mix(Spectrum(a / PI + r * 0.7), Rgb(1, 1, 1), 0.45), 0.12 * (1 - fan));
    double glint = std::pow(std::max(0.0, std::cos(2 * (a + 0.75))), 18);
    c = Mix(c, Rgb(1, 1, 1), 0.9 * glint * SmoothStep(0.38, 0.55, r));
    c = Scale(c, 1.0 + 0.025 * std::sin(r * 60));
    *out = c;
    return true;
}

void SoftDisc(Picture& p, double cx, double cy, double rx, double ry, double tilt) {
    int x0 = static_cast<int>(cx - rx - 2), x1 = static_cast<int>(cx + rx + 2);
    int y0 = static_cast<int>(cy - ry - 2), y1 = static_cast<int>(cy + ry + 2);
    const double cs = std::cos(tilt), sn = std::sin(tilt);
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            Color sum;
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy) {
                for (int sx = 0; sx < 4; ++sx) {
                    double dx = x + (sx + 0.5) / 4 - cx, dy = y + (sy + 0.5) / 4 - cy;
                    double u = (dx * cs + dy * sn) / rx, v = (-dx * sn + dy * cs) / ry;
                    Color c;
                    if (DiscColor(u, v, &c)) {
                        sum = Add(sum, c);
                        ++hits;
                    }
                }
            }
            if (hits) p.Blend(x, y, Scale(sum, 1.0 / hits), hits / 16.0);
        }
    }
}
