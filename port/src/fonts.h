// Fonts: faces found through fontconfig, rendered by FreeType, one glyph cache
// per font. TextOutA reads the metrics and glyphs from here.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "port/src/gdi_objects.h"

struct FT_FaceRec_;

namespace port {

// One character as drawn: coverage values 0..255 (0 or 255 for 1-bit fonts),
// `rows` rows of `width`, placed relative to the pen position on the baseline.
struct Glyph {
    int left = 0;     // columns from the pen position to the first column
    int top = 0;      // rows from the baseline up to the first row
    int width = 0;
    int rows = 0;
    int advance = 0;  // whole pixels to the next pen position
    std::vector<uint8_t> coverage;
};

// A font's FreeType face at its pixel size. Cell: `ascent` rows above the
// baseline and `descent` below, `ascent + descent` rows in all.
struct Font::Face {
    FT_FaceRec_* ft = nullptr;
    std::string family;  // what fontconfig found, e.g. "Liberation Sans"
    std::string style;   // e.g. "Regular", "Bold"
    int pixelSize = 0;   // the em in pixels
    int ascent = 0;
    int descent = 0;
    bool mono = false;   // 1-bit glyphs
    std::array<std::unique_ptr<Glyph>, 256> glyphs;  // by byte of the text

    int CellHeight() const { return ascent + descent; }
};

// The glyph for one byte of Windows-1252 text, rasterised on first use and
// kept with the font. Null when the font has no face.
const Glyph* GlyphFor(Font* font, unsigned char code);

// The advance width of `length` bytes of text, in pixels.
int TextWidth(Font* font, const char* text, int length);

// How many glyphs have been rasterised since the process started (the cache's
// misses), so tests can see that text drawn again comes from the cache.
long RasterisedGlyphs();

}  // namespace port
