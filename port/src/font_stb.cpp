// The browser build's font renderer: stb_truetype over the Liberation Sans
// files built into the program (VEXAR_FONT_DIR), since the browser has neither
// fontconfig nor FreeType. Every family resolves to Liberation Sans, which has
// Arial's metrics and is the desktop build's default sans face too.
#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
#include <stb_truetype.h>

#include <cstdint>
#include <cstdio>
#include <map>

#include "port/src/font_renderer.h"

#ifndef VEXAR_FONT_DIR
#define VEXAR_FONT_DIR "/fonts"
#endif

namespace port {
namespace {

constexpr long kMaxFontFileBytes = 64L << 20;

using FileBytes = std::vector<unsigned char>;

// The whole file, or empty when it cannot be read.
FileBytes ReadWhole(const std::string& path) {
    FileBytes bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return bytes;
    unsigned char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0 &&
           bytes.size() + got <= static_cast<size_t>(kMaxFontFileBytes))
        bytes.insert(bytes.end(), chunk, chunk + got);
    if (std::ferror(file) || !std::feof(file)) bytes.clear();
    std::fclose(file);
    return bytes;
}

// Font files by style, read once and kept: glyphs are read from them for as
// long as the program runs.
const FileBytes& StyleFile(const std::string& style) {
    static auto* files = new std::map<std::string, FileBytes>;
    auto it = files->find(style);
    if (it == files->end())
        it = files->emplace(style, ReadWhole(VEXAR_FONT_DIR "/LiberationSans-" + style + ".ttf")).first;
    return it->second;
}

uint16_t ReadBE16(const unsigned char* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

// A name table string (1: family, 2: style) in Windows' UTF-16, as ASCII.
std::string NameOf(const stbtt_fontinfo& info, int nameId) {
    int length = 0;
    const char* utf16 = stbtt_GetFontNameString(&info, &length, STBTT_PLATFORM_ID_MICROSOFT,
                                                STBTT_MS_EID_UNICODE_BMP, STBTT_MS_LANG_ENGLISH, nameId);
    std::string name;
    for (int i = 0; utf16 && i + 1 < length; i += 2) {
        const uint16_t c = ReadBE16(reinterpret_cast<const unsigned char*>(utf16) + i);
        name += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return name;
}

class StbFace final : public ScalableFace {
public:
    bool Open(const FileBytes& file) {
        if (file.empty() || stbtt_InitFont(&info_, file.data(), 0) == 0) return false;
        units_.unitsPerEm = ReadBE16(info_.data + info_.head + 18);
        return units_.unitsPerEm > 0 && ReadCell();
    }
    std::string Family() const override { return NameOf(info_, 1); }
    std::string Style() const override { return NameOf(info_, 2); }
    CellUnits Units() const override { return units_; }
    bool SetPixelSize(int pixels) override {
        if (pixels <= 0) return false;
        scale_ = stbtt_ScaleForMappingEmToPixels(&info_, static_cast<float>(pixels));
        // FreeType's em scale: 16.16 fixed point, rounded.
        fixedScale_ = ((int64_t{pixels} * 64 << 16) + units_.unitsPerEm / 2) / units_.unitsPerEm;
        return true;
    }
    void Render(uint32_t unicode, bool mono, Glyph* glyph) override;

private:
    bool ReadCell();

    stbtt_fontinfo info_ = {};
    CellUnits units_;
    float scale_ = 1;
    int64_t fixedScale_ = 0;
};

// The OS/2 table's usWinAscent and usWinDescent, or the horizontal header's
// ascender and descender when the face has no such table.
bool StbFace::ReadCell() {
    const stbtt_uint32 os2 = stbtt__find_table(info_.data, info_.fontstart, "OS/2");
    if (os2 && ReadBE16(info_.data + os2) != 0xFFFF) {
        units_.ascent = ReadBE16(info_.data + os2 + 74);
        units_.descent = ReadBE16(info_.data + os2 + 76);
    }
    if (units_.ascent + units_.descent == 0) {
        int ascent = 0, descent = 0, gap = 0;
        stbtt_GetFontVMetrics(&info_, &ascent, &descent, &gap);
        units_.ascent = ascent > 0 ? ascent : 0;
        units_.descent = descent < 0 ? -descent : 0;
    }
    if (units_.ascent + units_.descent == 0) units_.ascent = units_.unitsPerEm;
    return true;
}

void StbFace::Render(uint32_t unicode, bool mono, Glyph* glyph) {
    const int index = stbtt_FindGlyphIndex(&info_, static_cast<int>(unicode));
    int advance = 0, bearing = 0;
    stbtt_GetGlyphHMetrics(&info_, index, &advance, &bearing);
    // The advance rounded as FreeType rounds it (26.6 fixed point, then whole
    // pixels), so that text is as wide as on the desktop, where no hinting
    // changes advances (anti-aliased text).
    const int64_t advance26dot6 = (advance * fixedScale_ + 0x8000) >> 16;
    glyph->advance = static_cast<int>((advance26dot6 + 32) >> 6);
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    stbtt_GetGlyphBitmapBox(&info_, index, scale_, scale_, &x0, &y0, &x1, &y1);
    if (x1 <= x0 || y1 <= y0) return;
    glyph->left = x0;
    glyph->top = -y0;
    glyph->width = x1 - x0;
    glyph->rows = y1 - y0;
    glyph->coverage.assign(static_cast<size_t>(glyph->width) * glyph->rows, 0);
    stbtt_MakeGlyphBitmap(&info_, glyph->coverage.data(), glyph->width, glyph->rows, glyph->width,
                          scale_, scale_, index);
    // 1-bit: a pixel is set when the outline covers its larger part.
    if (mono)
        for (uint8_t& c : glyph->coverage) c = c >= 128 ? 255 : 0;
}

}  // namespace

std::unique_ptr<ScalableFace> OpenScalable(const std::string& /*family*/, bool bold, bool italic) {
    const std::string style = bold ? (italic ? "BoldItalic" : "Bold") : (italic ? "Italic" : "Regular");
    auto face = std::make_unique<StbFace>();
    if (face->Open(StyleFile(style))) return face;
    // The program may carry the regular face only.
    if (style != "Regular" && face->Open(StyleFile("Regular"))) return face;
    return nullptr;
}

}  // namespace port
