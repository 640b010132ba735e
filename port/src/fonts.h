// Fonts: faces found and rendered by the font renderer (font_renderer.h), one
// glyph cache per font. TextOutA reads the metrics and glyphs from here.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "port/src/font_renderer.h"
#include "port/src/gdi_objects.h"

namespace port {

// A font's face at its pixel size. Cell: `ascent` rows above the baseline
// and `descent` below, `ascent + descent` rows in all.
struct Font::Face {
    std::unique_ptr<ScalableFace> renderer;
    std::string family;  // what the renderer found, e.g. "Liberation Sans"
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
