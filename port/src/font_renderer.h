// What fonts.cpp needs from a font renderer: find a face, read its cell
// metrics, rasterise characters. FreeType with fontconfig in the desktop build
// (font_freetype.cpp); stb_truetype over the Liberation Sans files built into
// the program in the browser build (font_stb.cpp).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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

// A face's cell above and below the baseline in font units: the OS/2 table's
// Windows metrics, or the horizontal header's when it has none.
struct CellUnits {
    long ascent = 0;
    long descent = 0;
    long unitsPerEm = 1;

    static long CeilScaled(long units, long pixels, long perEm) {
        return (units * pixels + perEm - 1) / perEm;
    }
    long Ascent(long pixels) const { return CeilScaled(ascent, pixels, unitsPerEm); }
    long Descent(long pixels) const { return CeilScaled(descent, pixels, unitsPerEm); }
    long Cell(long pixels) const { return Ascent(pixels) + Descent(pixels); }
};

// An open scalable face.
class ScalableFace {
public:
    virtual ~ScalableFace() = default;
    virtual std::string Family() const = 0;  // e.g. "Liberation Sans"
    virtual std::string Style() const = 0;   // e.g. "Regular", "Bold"
    virtual CellUnits Units() const = 0;
    // Sets the em in pixels; false when the face cannot be had at that size.
    virtual bool SetPixelSize(int pixels) = 0;
    // Rasterises one Unicode character at the set size; 1-bit when `mono`.
    // Leaves `glyph` empty (no advance) for what cannot be drawn.
    virtual void Render(uint32_t unicode, bool mono, Glyph* glyph) = 0;
};

// The face that best matches: Arial resolves to Liberation Sans, unknown
// families to the default sans face. Null when there is none.
std::unique_ptr<ScalableFace> OpenScalable(const std::string& family, bool bold, bool italic);

}  // namespace port
