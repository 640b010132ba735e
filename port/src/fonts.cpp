// CreateFontA and the default font: faces found by the font renderer, sized
// by the face's Windows metrics and cached glyph by glyph.
#include "port/src/fonts.h"

#include <algorithm>
#include <cstring>

#include "port/control.h"
#include "port/src/core.h"

namespace port {
namespace {

constexpr int kMaxPixelSize = 4096;    // larger requests are refused
constexpr int kDefaultCellHeight = 16;  // height 0, and the DC's default font
constexpr size_t kMaxFaceName = 31;     // LF_FACESIZE less the terminator

long rasterised = 0;

// The largest pixel size whose cell fits in `cellHeight` rows (at least 1).
int PixelSizeForCell(const CellUnits& units, int cellHeight) {
    long size = static_cast<long>(cellHeight) * units.unitsPerEm / (units.ascent + units.descent);
    size = std::clamp<long>(size, 1, kMaxPixelSize);
    while (size > 1 && units.Cell(size) > cellHeight) --size;
    while (size < kMaxPixelSize && units.Cell(size + 1) <= cellHeight) ++size;
    return static_cast<int>(size);
}

// Opens the face a font asks for at its size; null when nothing can be had.
Font::Face* LoadFace(const Font& font, bool italic) {
    if (font.height < -kMaxPixelSize || font.height > kMaxPixelSize) return nullptr;
    const bool bold = font.weight >= 600;
    std::string family = font.faceName.empty() ? "sans-serif" : font.faceName;
    std::unique_ptr<ScalableFace> renderer = OpenScalable(family, bold, italic);
    if (!renderer) renderer = OpenScalable("sans-serif", bold, italic);
    if (!renderer) return nullptr;
    const CellUnits units = renderer->Units();
    int size = 0;
    if (font.height < 0) size = -font.height;
    else size = PixelSizeForCell(units, font.height > 0 ? font.height : kDefaultCellHeight);
    if (!renderer->SetPixelSize(size)) return nullptr;
    auto* face = new Font::Face;
    face->family = renderer->Family();
    face->style = renderer->Style();
    face->renderer = std::move(renderer);
    face->pixelSize = size;
    face->ascent = static_cast<int>(units.Ascent(size));
    face->descent = static_cast<int>(units.Descent(size));
    face->mono = !font.antialiased;
    return face;
}

// Windows-1252 bytes 0x80..0x9F; the rest are Latin-1. Unassigned bytes map to
// themselves, as Windows does.
uint32_t UnicodeOf(unsigned char code) {
    static const uint16_t k80to9F[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    return code >= 0x80 && code <= 0x9F ? k80to9F[code - 0x80] : code;
}

std::unique_ptr<Glyph> Rasterise(Font::Face& face, unsigned char code) {
    auto glyph = std::make_unique<Glyph>();
    ++rasterised;
    face.renderer->Render(UnicodeOf(code), face.mono, glyph.get());
    return glyph;
}

}  // namespace

Font::~Font() { delete face; }

const Glyph* GlyphFor(Font* font, unsigned char code) {
    if (!font || !font->face) return nullptr;
    auto& slot = font->face->glyphs[code];
    if (!slot) slot = Rasterise(*font->face, code);
    return slot.get();
}

int TextWidth(Font* font, const char* text, int length) {
    long width = 0;
    for (int i = 0; i < length; ++i) {
        const Glyph* glyph = GlyphFor(font, static_cast<unsigned char>(text[i]));
        if (glyph) width += glyph->advance;
    }
    return static_cast<int>(std::min<long>(width, 1L << 30));
}

long RasterisedGlyphs() { return rasterised; }

Font* DefaultFont() {
    static Font* font = [] {
        auto* made = new Font;
        made->faceName = "sans-serif";
        made->height = kDefaultCellHeight;
        made->weight = FW_NORMAL;
        made->antialiased = false;
        made->face = LoadFace(*made, false);
        RegisterStock(made);
        return made;
    }();
    return font;
}

}  // namespace port

using namespace port;

HFONT WINAPI CreateFontA(int height, int /*width*/, int /*escapement*/, int /*orientation*/,
                         int weight, DWORD italic, DWORD /*underline*/, DWORD /*strikeOut*/,
                         DWORD /*charSet*/, DWORD /*outputPrecision*/, DWORD /*clipPrecision*/,
                         DWORD quality, DWORD /*pitchAndFamily*/, LPCSTR faceName) {
    const char* name = faceName ? faceName : "";
    if (Injected("CreateFontA")) {
        Trace("CreateFontA(%d, %d, \"%.31s\") -> NULL", height, weight, name);
        return nullptr;
    }
    auto* font = new Font;
    font->faceName.assign(name, strnlen(name, kMaxFaceName));
    font->height = height;
    font->weight = weight;
    font->antialiased = quality != NONANTIALIASED_QUALITY;
    font->face = LoadFace(*font, italic != 0);
    if (!font->face) {
        Trace("CreateFontA(%d, %d, \"%s\") -> NULL", height, weight, font->faceName.c_str());
        delete font;
        return nullptr;
    }
    Trace("CreateFontA(%d, %d, \"%s\") -> \"%s\" %s, %d px", height, weight,
          font->faceName.c_str(), font->face->family.c_str(), font->face->style.c_str(),
          font->face->pixelSize);
    return static_cast<HFONT>(Register(font));
}

namespace port {

bool FontRequest(const void* handle, std::string* faceName, int* height) {
    const Font* font = LookupAs<Font>(static_cast<HGDIOBJ>(const_cast<void*>(handle)), GdiKind::Font);
    if (!font) return false;
    *faceName = font->faceName;
    *height = font->height;
    return true;
}

}  // namespace port
