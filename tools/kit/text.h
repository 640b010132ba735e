// Lettering drawn into a picture: filled, bevelled, and optionally outlined,
// extruded, shadowed and glowing.
#pragma once

#include <string>

#include "kit/picture.h"

struct TextStyle {
    int scale = 2;
    double slant = 0;
    // Fill colours from the top of the letters to the bottom.
    Color top = Rgb(1, 1, 1);
    Color bottom = Rgb(1, 1, 1);
    // Optional chrome: a sharp horizon across the middle of the letters.
    bool chrome = false;
    int outline = 0;  // pixels of dark outline
    Color outlineColor = Rgb(0, 0, 0);
    int depth = 0;  // pixels of extrusion down and to the right
    Color depthColor = Rgb(0.1, 0.1, 0.2);
    int shadow = 0;  // offset of a soft shadow
    double glow = 0;  // strength of a coloured halo
    Color glowColor = Rgb(1, 0.3, 0.8);

    // Letters `scale` times the font's size, filled from `top` to `bottom`,
    // and the same style with one effect more.
    static TextStyle Filled(int scale, Color top, Color bottom) {
        TextStyle style;
        style.scale = scale;
        style.top = top;
        style.bottom = bottom;
        return style;
    }
    TextStyle Outlined(int pixels, Color color) const {
        TextStyle style = *this;
        style.outline = pixels;
        style.outlineColor = color;
        return style;
    }
    TextStyle Glowing(double strength, Color color) const {
        TextStyle style = *this;
        style.glow = strength;
        style.glowColor = color;
        return style;
    }
    TextStyle Shadowed(int offset) const {
        TextStyle style = *this;
        style.shadow = offset;
        return style;
    }
};

// Draws text with its top-left corner at (x, y).
void DrawText(Picture& p, const std::string& text, int x, int y, const TextStyle& s);

// Draws text centred across the picture, its top at `y`.
void DrawCentered(Picture& p, const std::string& text, int y, const TextStyle& s);
