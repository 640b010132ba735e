// The browser build's font renderer (stb_truetype over Liberation Sans as the
// browser build carries it, cut to the game's characters): the desktop's face,
// cell and advances (FreeType's on the whole font), the whole font's outlines.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "port/src/font_renderer.h"

namespace {

std::unique_ptr<port::ScalableFace> Open(const char* family, bool bold = false) {
    auto face = port::OpenScalable(family, bold, false);
    EXPECT_NE(face, nullptr) << family;
    return face;
}

TEST(StbFonts, EveryFamilyIsLiberationSansWithItsWindowsMetrics) {
    for (const char* family : {"Arial", "sans-serif", "No Such Face"}) {
        auto face = Open(family);
        ASSERT_NE(face, nullptr);
        EXPECT_EQ(face->Family(), "Liberation Sans");
        EXPECT_EQ(face->Style(), "Regular");
        const port::CellUnits units = face->Units();
        EXPECT_EQ(units.unitsPerEm, 2048);
        EXPECT_EQ(units.ascent, 1854);   // usWinAscent
        EXPECT_EQ(units.descent, 434);   // usWinDescent
    }
    // The browser build carries the regular face only.
    auto bold = Open("Arial", true);
    ASSERT_NE(bold, nullptr);
    EXPECT_EQ(bold->Style(), "Regular");
}

// What the game can draw: Latin-1's printable characters and Windows-1252's others.
std::vector<uint32_t> GameCharacters() {
    std::vector<uint32_t> all = {0x152, 0x153, 0x160, 0x161, 0x178, 0x17D, 0x17E, 0x192, 0x2C6, 0x2DC,
                                 0x2013, 0x2014, 0x2018, 0x2019, 0x201A, 0x201C, 0x201D, 0x201E,
                                 0x2020, 0x2021, 0x2022, 0x2026, 0x2030, 0x2039, 0x203A, 0x20AC, 0x2122};
    for (uint32_t c = 0x20; c <= 0xFF; ++c)
        if (c < 0x7F || c >= 0xA0) all.push_back(c);
    return all;
}

// An unhinted FreeType rendering: the outline as the file has it.
std::vector<uint8_t> Outline(FT_Face face, uint32_t c) {
    EXPECT_EQ(FT_Load_Char(face, c, FT_LOAD_NO_HINTING | FT_LOAD_RENDER), 0);
    const FT_Bitmap& b = face->glyph->bitmap;
    std::vector<uint8_t> pixels(b.buffer, b.buffer + static_cast<size_t>(b.rows) * b.pitch);
    pixels.push_back(static_cast<uint8_t>(face->glyph->bitmap_left));
    pixels.push_back(static_cast<uint8_t>(face->glyph->bitmap_top));
    return pixels;
}

TEST(StbFonts, AdvancesAreFreeTypesAtEverySize) {
    FT_Library library = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face ft = nullptr, cut = nullptr;
    ASSERT_EQ(FT_New_Face(library, VEXAR_WHOLE_FONT, 0, &ft), 0);
    ASSERT_EQ(FT_New_Face(library, VEXAR_FONT_DIR "/LiberationSans-Regular.ttf", 0, &cut), 0);
    auto face = Open("Arial");
    ASSERT_NE(face, nullptr);
    int wrong = 0;
    for (int size = 6; size <= 120; ++size) {
        ASSERT_TRUE(face->SetPixelSize(size));
        FT_Set_Pixel_Sizes(ft, 0, size);
        FT_Set_Pixel_Sizes(cut, 0, size);
        for (uint32_t c : GameCharacters()) {
            port::Glyph glyph;
            face->Render(c, false, &glyph);
            ASSERT_EQ(FT_Load_Char(ft, c, FT_LOAD_TARGET_NORMAL), 0);
            const int expected = static_cast<int>((ft->glyph->advance.x + 32) >> 6);
            if (glyph.advance != expected && wrong++ < 5)
                ADD_FAILURE() << "U+" << std::hex << c << std::dec << " at " << size << " px: "
                              << glyph.advance << ", FreeType " << expected;
            if (size % 17 == 0 && Outline(cut, c) != Outline(ft, c) && wrong++ < 5)
                ADD_FAILURE() << "U+" << std::hex << c << std::dec << " at " << size
                              << " px: not the whole font's outline";
        }
    }
    FT_Done_Face(cut);
    FT_Done_Face(ft);
    FT_Done_FreeType(library);
}

TEST(StbFonts, GlyphsAreOneBitOrAntiAliasedAndSitOnTheBaseline) {
    auto face = Open("Arial");
    ASSERT_NE(face, nullptr);
    ASSERT_TRUE(face->SetPixelSize(40));
    port::Glyph mono, smooth, space;
    face->Render('O', true, &mono);
    face->Render('O', false, &smooth);
    face->Render(' ', false, &space);
    ASSERT_GT(mono.width, 20);
    EXPECT_EQ(mono.width, smooth.width);
    EXPECT_EQ(mono.coverage.size(), static_cast<size_t>(mono.width) * mono.rows);
    EXPECT_TRUE(std::all_of(mono.coverage.begin(), mono.coverage.end(),
                            [](uint8_t c) { return c == 0 || c == 255; }));
    EXPECT_TRUE(std::any_of(smooth.coverage.begin(), smooth.coverage.end(),
                            [](uint8_t c) { return c > 0 && c < 255; }));
    // An 'O' of a 40-pixel em stands on the baseline, about 29 rows tall.
    EXPECT_NEAR(smooth.top, 29, 2);
    EXPECT_NEAR(smooth.rows, 30, 2);
    EXPECT_EQ(space.coverage.size(), 0u);
    EXPECT_GT(space.advance, 0);
}

}  // namespace
