// The desktop build's font renderer: faces found through fontconfig, rendered
// by FreeType.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <map>

#include "port/src/font_renderer.h"

namespace port {
namespace {

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

FT_Face OpenFace(const std::string& family, bool bold, bool italic) {
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

// The glyph of one character, rendered at the face's size.
void RenderGlyph(FT_Face ft, uint32_t unicode, bool mono, Glyph* glyph) {
    const FT_UInt index = FT_Get_Char_Index(ft, unicode);
    const FT_Int32 load = mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL;
    if (FT_Load_Glyph(ft, index, load) != 0) return;
    glyph->advance = static_cast<int>((ft->glyph->advance.x + 32) >> 6);
    const FT_Render_Mode mode = mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL;
    if (FT_Render_Glyph(ft->glyph, mode) != 0) return;
    const FT_Bitmap& bitmap = ft->glyph->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return;
    glyph->left = ft->glyph->bitmap_left;
    glyph->top = ft->glyph->bitmap_top;
    CopyCoverage(bitmap, glyph);
}

class FreeTypeFace final : public ScalableFace {
public:
    explicit FreeTypeFace(FT_Face ft) : ft_(ft) {}
    ~FreeTypeFace() override { FT_Done_Face(ft_); }
    FreeTypeFace(const FreeTypeFace&) = delete;
    FreeTypeFace& operator=(const FreeTypeFace&) = delete;

    std::string Family() const override { return ft_->family_name ? ft_->family_name : ""; }
    std::string Style() const override { return ft_->style_name ? ft_->style_name : ""; }
    CellUnits Units() const override { return UnitsOf(ft_); }
    bool SetPixelSize(int pixels) override { return FT_Set_Pixel_Sizes(ft_, 0, pixels) == 0; }
    void Render(uint32_t unicode, bool mono, Glyph* glyph) override {
        RenderGlyph(ft_, unicode, mono, glyph);
    }

private:
    FT_Face ft_;
};

}  // namespace

std::unique_ptr<ScalableFace> OpenScalable(const std::string& family, bool bold, bool italic) {
    FT_Face ft = OpenFace(family, bold, italic);
    if (!ft) return nullptr;
    return std::make_unique<FreeTypeFace>(ft);
}

}  // namespace port

// Fontconfig loses a few bytes while parsing its configuration files. Not ours
// to fix; the leak checker of sanitized builds reads this and looks away.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
