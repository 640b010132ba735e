// The pictures' own lettering: a 5 x 7 font of capitals, digits and a little
// punctuation, rendered as coverage at whole-number scales.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

const int GLYPH_W = 5;
const int GLYPH_H = 7;

// Text as coverage: the share of each pixel that the letters cover.
struct Mask {
    int width = 0;
    int height = 0;
    std::vector<float> cover;
    double Cover(int x, int y) const {
        return x >= 0 && y >= 0 && x < width && y < height ? cover[size_t(y) * width + x] : 0.0;
    }
    // Solid: at least half covered. Outlines and extrusions use this.
    bool At(int x, int y) const { return Cover(x, y) >= 0.5; }
};

// The width in pixels of upright text at `scale` pixels a font cell.
int TextWidth(const std::string& text, int scale);

// `slant` leans the letters: each row moves right by slant x its height above
// the baseline. Unknown characters are drawn as blanks.
Mask TextMask(const std::string& text, int scale, double slant);
