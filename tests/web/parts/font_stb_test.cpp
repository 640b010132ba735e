// The browser build's font renderer (stb_truetype over the Liberation Sans
// files): the desktop's face, cell and advances (FreeType's), its own glyphs.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include <algorithm>

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
    auto bold = Open("Arial", true);
    ASSERT_NE(bold, nullptr);
    EXPECT_EQ(bold->Style(), "Bold");
}

TEST(StbFonts, AdvancesAreFreeTypesAtEverySize) {
    FT_Library library = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face ft = nullptr;
    ASSERT_EQ(FT_New_Face(library, VEXAR_FONT_DIR "/LiberationSans-Regular.ttf", 0, &ft), 0);
    auto face = Open("Arial");
    ASSERT_NE(face, nullptr);
    int wrong = 0;
    for (int size = 6; size <= 120; ++size) {
        ASSERT_TRUE(face->SetPixelSize(size));
        FT_Set_Pixel_Sizes(ft, 0, size);
        for (uint32_t c = 0x20; c <= 0xFF; ++c) {
            port::Glyph glyph;
            face->Render(c, false, &glyph);
            ASSERT_EQ(FT_Load_Char(ft, c, FT_LOAD_TARGET_NORMAL), 0);
            const int expected = static_cast<int>((ft->glyph->advance.x + 32) >> 6);
            if (glyph.advance != expected && wrong++ < 5)
                ADD_FAILURE() << "U+" << std::hex << c << std::dec << " at " << size << " px: "
                              << glyph.advance << ", FreeType " << expected;
        }
    }
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
