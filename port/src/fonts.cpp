// CreateFontA and the default font: faces found through fontconfig, sized by
// the face's Windows metrics, rendered by FreeType and cached glyph by glyph.
#include "port/src/fonts.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "port/src/core.h"

namespace port {
namespace {

constexpr int kMaxPixelSize = 4096;    // larger requests are refused
constexpr int kDefaultCellHeight = 16;  // height 0, and the DC's default font
constexpr size_t kMaxFaceName = 31;     // LF_FACESIZE less the terminator

long rasterised = 0;

// Made on first use and never destroyed: fonts outlive main().
FT_Library Library() {
    static FT_Library library = [] {
        FT_Library made = nullptr;
        return FT_Init_FreeType(&made) == 0 ? made : nullptr;
    }();
    return library;
}

struct FaceFile {
    std::string path;
    int index = 0;
};

// Fontconfig's answers, kept: the same faces are asked for again and again.
std::map<std::string, FaceFile>& FoundFaces() {
    static auto* found = new std::map<std::string, FaceFile>;
    return *found;
}

bool FontconfigReady() {
    static bool ready = FcInit() == FcTrue;
    return ready;
}

// The file of the installed face that best matches; fontconfig substitutes
// (Arial -> Liberation Sans) and falls back to its default sans face.
bool FindFaceFile(const std::string& family, bool bold, bool italic, FaceFile* file) {
    std::string key = family + (bold ? "/b" : "/r") + (italic ? "i" : "");
    auto& found = FoundFaces();
    auto it = found.find(key);
    if (it != found.end()) {
        *file = it->second;
        return true;
    }
    if (!FontconfigReady()) return false;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return false;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return false;
    FcChar8* path = nullptr;
    bool ok = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path;
    if (ok) {
        file->path = reinterpret_cast<const char*>(path);
        file->index = 0;
        FcPatternGetInteger(match, FC_INDEX, 0, &file->index);
        found[key] = *file;
    }
    FcPatternDestroy(match);
    return ok;
}

FT_Face OpenScalable(const std::string& family, bool bold, bool italic) {
    FaceFile file;
    if (!Library() || !FindFaceFile(family, bold, italic, &file)) return nullptr;
    FT_Face face = nullptr;
    if (FT_New_Face(Library(), file.path.c_str(), file.index, &face) != 0) return nullptr;
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) {
        FT_Done_Face(face);
        return nullptr;
    }
    return face;
}

// The face's cell above and below the baseline in font units: the OS/2
// table's Windows metrics, or the horizontal header's when it has none.
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

CellUnits UnitsOf(FT_Face face) {
    CellUnits units;
    units.unitsPerEm = face->units_per_EM;
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        units.ascent = os2->usWinAscent;
        units.descent = os2->usWinDescent;
    } else {
        units.ascent = std::max<long>(face->ascender, 0);
        units.descent = std::max<long>(-face->descender, 0);
    }
    if (units.ascent + units.descent == 0) units.ascent = units.unitsPerEm;
    return units;
}

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
    FT_Face ft = OpenScalable(family, bold, italic);
    if (!ft) ft = OpenScalable("sans-serif", bold, italic);
    if (!ft) return nullptr;
    const CellUnits units = UnitsOf(ft);
    int size = 0;
    if (font.height < 0) size = -font.height;
    else size = PixelSizeForCell(units, font.height > 0 ? font.height : kDefaultCellHeight);
    if (FT_Set_Pixel_Sizes(ft, 0, size) != 0) {
        FT_Done_Face(ft);
        return nullptr;
    }
    auto* face = new Font::Face;
    face->ft = ft;
    face->family = ft->family_name ? ft->family_name : "";
    face->style = ft->style_name ? ft->style_name : "";
    face->pixelSize = size;
    face->ascent = static_cast<int>(units.Ascent(size));
    face->descent = static_cast<int>(units.Descent(size));
    face->mono = !font.antialiased;
    return face;
}

// Windows-1252 bytes 0x80..0x9F; the rest are Latin-1. Unassigned bytes map to
// themselves, as Windows does.
FT_ULong UnicodeOf(unsigned char code) {
    static const uint16_t k80to9F[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    return code >= 0x80 && code <= 0x9F ? k80to9F[code - 0x80] : code;
}

// Copies FreeType's bitmap into coverage values 0..255.
void CopyCoverage(const FT_Bitmap& bitmap, Glyph* glyph) {
    glyph->width = static_cast<int>(bitmap.width);
    glyph->rows = static_cast<int>(bitmap.rows);
    glyph->coverage.assign(static_cast<size_t>(glyph->width) * glyph->rows, 0);
    const int levels = bitmap.num_grays > 1 ? bitmap.num_grays - 1 : 255;
    for (int row = 0; row < glyph->rows; ++row) {
        const unsigned char* src = bitmap.pitch >= 0
                                       ? bitmap.buffer + static_cast<long>(row) * bitmap.pitch
                                       : bitmap.buffer + static_cast<long>(glyph->rows - 1 - row) * -bitmap.pitch;
        uint8_t* dst = glyph->coverage.data() + static_cast<size_t>(row) * glyph->width;
        for (int x = 0; x < glyph->width; ++x) {
            if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
                dst[x] = (src[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
            else
                dst[x] = static_cast<uint8_t>(src[x] * 255 / levels);
        }
    }
}

std::unique_ptr<Glyph> Rasterise(Font::Face& face, unsigned char code) {
    auto glyph = std::make_unique<Glyph>();
    ++rasterised;
    FT_Face ft = face.ft;
    const FT_UInt index = FT_Get_Char_Index(ft, UnicodeOf(code));
    const FT_Int32 load = face.mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL;
    if (FT_Load_Glyph(ft, index, load) != 0) return glyph;
    glyph->advance = static_cast<int>((ft->glyph->advance.x + 32) >> 6);
    const FT_Render_Mode mode = face.mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL;
    if (FT_Render_Glyph(ft->glyph, mode) != 0) return glyph;
    const FT_Bitmap& bitmap = ft->glyph->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
        return glyph;
    glyph->left = ft->glyph->bitmap_left;
    glyph->top = ft->glyph->bitmap_top;
    CopyCoverage(bitmap, glyph.get());
    return glyph;
}

}  // namespace

Font::~Font() {
    if (!face) return;
    FT_Done_Face(face->ft);
    delete face;
}

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

// Fontconfig loses a few bytes while parsing its configuration files. Not ours
// to fix; the leak checker of sanitized builds reads this and looks away.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

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
