#include "kit/text.h"

#include "kit/font.h"
#include "kit/shapes.h"

namespace {

Color TextFill(const TextStyle& s, double t) {
    if (!s.chrome) return Mix(s.top, s.bottom, t);
    // Sky above the horizon, ground below: the classic chrome lettering.
    if (t < 0.52) {
        return Mix(Hex(0x1B3A8A), Hex(0xEAF6FF), SmoothStep(0.0, 0.5, t));
    }
    double u = (t - 0.52) / 0.48;
    Color ground = Mix(Hex(0x3A1A40), Hex(0xFF9A3C), SmoothStep(0.0, 0.75, u));
    return Mix(ground, Hex(0xFFE9A8), SmoothStep(0.75, 1.0, u));
}

}  // namespace

void DrawText(Picture& p, const std::string& text, int x, int y, const TextStyle& s) {
    Mask m = TextMask(text, s.scale, s.slant);
    if (s.glow > 0) {
        const int reach = s.scale * 2;
        for (int my = 0; my < m.height; my += 1) {
            for (int mx = 0; mx < m.width; mx += 1) {
                if (!m.At(mx, my)) continue;
                // Sampling every third pixel keeps the halo soft and fast.
                if ((mx + my) % 3) continue;
                GlowSpot(p, x + mx + 0.5, y + my + 0.5, reach, s.glowColor, s.glow * 0.025);
            }
        }
    }
    if (s.shadow > 0) {
        for (int my = 0; my < m.height; ++my) {
            for (int mx = 0; mx < m.width; ++mx) {
                p.Blend(x + mx + s.shadow, y + my + s.shadow, Rgb(0, 0, 0), 0.55 * m.Cover(mx, my));
            }
        }
    }
    for (int d = s.depth; d >= 1; --d) {
        Color c = Scale(s.depthColor, 0.6 + 0.4 * (1 - double(d) / (s.depth + 1)));
        for (int my = 0; my < m.height; ++my) {
            for (int mx = 0; mx < m.width; ++mx) {
                p.Blend(x + mx + d, y + my + d, c, m.Cover(mx, my));
            }
        }
    }
    if (s.outline > 0) {
        const int o = s.outline;
        for (int my = -o; my < m.height + o; ++my) {
            for (int mx = -o; mx < m.width + o; ++mx) {
                if (m.At(mx, my)) continue;
                bool near = false;
                for (int dy = -o; dy <= o && !near; ++dy) {
                    for (int dx = -o; dx <= o && !near; ++dx) {
                        near = dx * dx + dy * dy <= o * o + o && m.At(mx + dx, my + dy);
                    }
                }
                if (near) p.Set(x + mx, y + my, s.outlineColor);
            }
        }
    }
    for (int my = 0; my < m.height; ++my) {
        double t = (my + 0.5) / m.height;
        Color fill = TextFill(s, t);
        for (int mx = 0; mx < m.width; ++mx) {
            double cover = m.Cover(mx, my);
            if (cover <= 0) continue;
            Color c = fill;
            // A bevel: lit top edges, shaded bottom edges.
            if (!m.At(mx, my - 1)) c = Mix(c, Rgb(1, 1, 1), 0.3);
            else if (!m.At(mx, my + 1)) c = Scale(c, 0.75);
            p.Blend(x + mx, y + my, c, cover);
        }
    }
}

void DrawCentered(Picture& p, const std::string& text, int y, const TextStyle& s) {
    int w = TextWidth(text, s.scale) + static_cast<int>(s.slant * GLYPH_H * s.scale);
    DrawText(p, text, (p.Width() - w) / 2, y, s);
}
