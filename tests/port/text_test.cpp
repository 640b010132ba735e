// Fonts and TextOutA: face lookup, cell sizes, baseline, colours and the glyph cache.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <set>
#include <string>

#include "port/control.h"
#include "port/src/fonts.h"
#include "port/src/gdi_objects.h"
#include "tests/port/lib/pixmap_canvas.h"

namespace {

constexpr COLORREF kPaper = 0x204080;
constexpr COLORREF kText = 0x0000F8;
constexpr COLORREF kBack = 0xF80000;

HFONT Arial(int height, DWORD quality = NONANTIALIASED_QUALITY, int weight = FW_NORMAL) {
    return CreateFontA(height, 0, 0, 0, weight, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, quality, VARIABLE_PITCH | FF_DONTCARE, "Arial");
}

port::Font* FontOf(HFONT font) { return port::LookupAs<port::Font>(font, port::GdiKind::Font); }

// A DC on a pixmap filled with kPaper, with the test's text and background colours.
class Canvas : public PixmapCanvas {
public:
    Canvas(int width, int height, int bitsPerPixel)
        : PixmapCanvas(width, height, bitsPerPixel, kPaper) {
        SetTextColor(Handle(), kText);
        SetBkColor(Handle(), kBack);
    }

    // The smallest box holding every pixel that is no longer paper.
    struct Box {
        int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;  // exclusive ends
        int Width() const { return right - left; }
        int Height() const { return bottom - top; }
        bool Empty() const { return right < left; }
    };
    Box Changed(COLORREF only = CLR_INVALID) const {
        Box box;
        for (int y = 0; y < pixels.height; ++y)
            for (int x = 0; x < pixels.width; ++x) {
                COLORREF c = At(x, y);
                if (c == kPaper || (only != CLR_INVALID && c != only)) continue;
                box.left = std::min(box.left, x), box.right = std::max(box.right, x + 1);
                box.top = std::min(box.top, y), box.bottom = std::max(box.bottom, y + 1);
            }
        return box;
    }
    std::set<COLORREF> Colours() const {
        std::set<COLORREF> colours;
        for (int y = 0; y < pixels.height; ++y)
            for (int x = 0; x < pixels.width; ++x) colours.insert(At(x, y));
        return colours;
    }
};

BOOL Draw(const Canvas& canvas, int x, int y, const char* text) {
    return TextOutA(canvas.Handle(), x, y, text, static_cast<int>(std::strlen(text)));
}

class Text : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override { port::ResetForTest(); }
    int Bpp() const { return GetParam(); }
};

INSTANTIATE_TEST_SUITE_P(Depths, Text, ::testing::Values(16, 24, 32));

TEST(Fonts, ArialIsLiberationSansSizedByItsCell) {
    port::ResetForTest();
    struct Case {
        int height, pixelSize, ascent, descent;
    };
    // Liberation Sans: 2048 units per em, Windows ascent 1854, descent 434.
    for (Case c : {Case{13, 11, 10, 3}, Case{14, 12, 11, 3}, Case{15, 13, 12, 3},
                   Case{100, 89, 81, 19}, Case{-20, 20, 19, 5}}) {
        SCOPED_TRACE(c.height);
        HFONT font = Arial(c.height);
        ASSERT_NE(font, nullptr);
        const port::Font::Face* face = FontOf(font)->face;
        EXPECT_EQ(face->family, "Liberation Sans");
        EXPECT_EQ(face->pixelSize, c.pixelSize);
        EXPECT_EQ(face->ascent, c.ascent);
        EXPECT_EQ(face->descent, c.descent);
        EXPECT_TRUE(DeleteObject(font));
    }
    EXPECT_EQ(port::Live().gdiObjects, 0);
}

TEST(Fonts, UnknownFacesFallBackAndWeightPicksBold) {
    port::ResetForTest();
    HFONT unknown = CreateFontA(20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "No Such Face At All");
    HFONT unnamed = CreateFontA(20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
    HFONT bold = Arial(20, DEFAULT_QUALITY, 700);
    ASSERT_NE(unknown, nullptr);
    ASSERT_NE(unnamed, nullptr);
    ASSERT_NE(bold, nullptr);
    EXPECT_LE(FontOf(unknown)->face->CellHeight(), 20);
    EXPECT_GE(FontOf(unknown)->face->CellHeight(), 17);
    EXPECT_NE(FontOf(bold)->face->style.find("Bold"), std::string::npos);
    EXPECT_EQ(port::Live().gdiObjects, 3);
    DeleteObject(unknown);
    DeleteObject(unnamed);
    DeleteObject(bold);
    EXPECT_EQ(port::Live().gdiObjects, 0);
}

TEST(Fonts, FailuresGiveNullAndCountNothing) {
    port::ResetForTest();
    port::FailCall("CreateFontA");
    EXPECT_EQ(Arial(13), nullptr);
    EXPECT_EQ(Arial(100000), nullptr);  // beyond any sensible size
    EXPECT_EQ(Arial(INT_MIN), nullptr);
    EXPECT_EQ(port::Live().gdiObjects, 0);
    EXPECT_NE(Arial(13), nullptr);
}

TEST(Fonts, DefaultFontIsAStockSansFont) {
    port::ResetForTest();
    port::Font* font = port::DefaultFont();
    ASSERT_NE(font, nullptr);
    ASSERT_NE(font->face, nullptr);
    EXPECT_TRUE(font->stock);
    EXPECT_GE(font->face->CellHeight(), 14);
    EXPECT_LE(font->face->CellHeight(), 18);
    EXPECT_TRUE(DeleteObject(font));  // stock objects survive deletion
    EXPECT_EQ(port::LookupAs<port::Font>(font, port::GdiKind::Font), font);
    EXPECT_EQ(port::Live().gdiObjects, 0);
}

TEST_P(Text, ArialBoxesAreExactlyTheirCellHeight) {
    for (int height : {13, 14, 15, 100}) {
        SCOPED_TRACE(height);
        Canvas canvas(700, 140, Bpp());
        HFONT font = Arial(height, DEFAULT_QUALITY);
        SelectObject(canvas.Handle(), font);
        ASSERT_TRUE(Draw(canvas, 5, 7, "Hg|Wq"));
        Canvas::Box box = canvas.Changed();
        EXPECT_EQ(box.left, 5);
        EXPECT_EQ(box.top, 7);
        EXPECT_EQ(box.Height(), height);
        EXPECT_EQ(box.Width(), port::TextWidth(FontOf(font), "Hg|Wq", 5));
        // The background colour fills the box's corners; the glyphs are inside it.
        EXPECT_EQ(canvas.At(5, 7), kBack);
        EXPECT_EQ(canvas.At(5, box.bottom - 1), kBack);
        EXPECT_GE(canvas.Changed(kText).top, 7);
        port::Destroy(canvas.dc);
        canvas.dc = nullptr;
        DeleteObject(font);
    }
}

TEST_P(Text, BaselineSitsAscentRowsBelowTheTop) {
    Canvas canvas(100, 40, Bpp());
    HFONT font = Arial(13);  // ascent 10
    SelectObject(canvas.Handle(), font);
    Draw(canvas, 20, 10, "H");
    Canvas::Box glyph = canvas.Changed(kText);
    ASSERT_FALSE(glyph.Empty());
    EXPECT_EQ(glyph.bottom, 10 + 10);  // H stands on the baseline
    EXPECT_GE(glyph.top, 10 + 1);      // and fits below the top of the cell
    EXPECT_GE(glyph.left, 20);
}

TEST_P(Text, OneBitFontsDrawExactlyTwoColours) {
    Canvas canvas(300, 30, Bpp());
    HFONT font = Arial(15, NONANTIALIASED_QUALITY);
    SelectObject(canvas.Handle(), font);
    Draw(canvas, 3, 3, "Kills: 42 price $100 @%&");
    std::set<COLORREF> colours = canvas.Colours();
    EXPECT_EQ(colours, (std::set<COLORREF>{kPaper, kText, kBack}));
}

TEST_P(Text, AntialiasedFontsBlendBetweenTextAndBackground) {
    Canvas canvas(300, 30, Bpp());
    HFONT font = Arial(15, DEFAULT_QUALITY);
    SelectObject(canvas.Handle(), font);
    Draw(canvas, 3, 3, "Kills: 42 price $100 @%&");
    std::set<COLORREF> colours = canvas.Colours();
    EXPECT_GT(colours.size(), 4u);
    bool mostlyText = false, mostlyBack = false;  // blends on both sides of half
    for (COLORREF c : colours) {
        if (c == kPaper || c == kText || c == kBack) continue;
        mostlyText |= GetRValue(c) > 0x90;
        mostlyBack |= GetBValue(c) > 0x90;
    }
    EXPECT_TRUE(mostlyText);
    EXPECT_TRUE(mostlyBack);
    for (COLORREF c : colours) {
        if (c == kPaper) continue;
        // Each channel lies between the background's and the text's.
        EXPECT_EQ(GetGValue(c), 0);
        EXPECT_LE(GetRValue(c), GetRValue(kText));
        EXPECT_LE(GetBValue(c), GetBValue(kBack));
    }
}

TEST_P(Text, EmptyAndNegativeLengthsDrawNothing) {
    Canvas canvas(50, 30, Bpp());
    EXPECT_TRUE(TextOutA(canvas.Handle(), 5, 5, "abc", 0));
    EXPECT_FALSE(TextOutA(canvas.Handle(), 5, 5, "abc", -1));
    EXPECT_FALSE(TextOutA(canvas.Handle(), 5, 5, nullptr, 3));
    EXPECT_FALSE(TextOutA(nullptr, 5, 5, "abc", 3));
    EXPECT_TRUE(canvas.Changed().Empty());
}

TEST_P(Text, LengthLimitsTheText) {
    Canvas whole(200, 30, Bpp()), part(200, 30, Bpp());
    HFONT font = Arial(14);
    SelectObject(whole.Handle(), font);
    SelectObject(part.Handle(), font);
    TextOutA(whole.Handle(), 0, 0, "Score", 5);
    TextOutA(part.Handle(), 0, 0, "Score: 123456", 5);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 200; ++x) ASSERT_EQ(whole.At(x, y), part.At(x, y));
}

TEST_P(Text, FreshDcDrawsInTheDefaultFont) {
    Canvas canvas(200, 40, Bpp());
    EXPECT_EQ(canvas.dc->font, port::DefaultFont());
    ASSERT_TRUE(Draw(canvas, 2, 2, "Default"));
    Canvas::Box box = canvas.Changed();
    EXPECT_EQ(box.Height(), port::DefaultFont()->face->CellHeight());
    EXPECT_FALSE(canvas.Changed(kText).Empty());
}

TEST_P(Text, TextIsClippedAtEveryEdge) {
    HFONT font = Arial(100, DEFAULT_QUALITY);
    Canvas whole(120, 120, Bpp()), part(40, 30, Bpp());
    SelectObject(whole.Handle(), font);
    SelectObject(part.Handle(), font);
    Draw(whole, 10, 5, "Wg");
    Draw(part, 10 - 50, 5 - 60, "Wg");  // part shows whole's window at (50, 60)
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) ASSERT_EQ(part.At(x, y), whole.At(x + 50, y + 60));
    EXPECT_TRUE(Draw(part, INT_MAX - 5, INT_MAX - 5, "far away"));
    EXPECT_TRUE(Draw(part, INT_MIN, INT_MIN, "far away"));
    EXPECT_TRUE(Draw(part, 35, -95, "Wg"));
}

TEST(TextCache, DrawingTheSameTextAgainRasterisesNothing) {
    port::ResetForTest();
    Canvas canvas(300, 30, 32);
    HFONT font = Arial(14, DEFAULT_QUALITY);
    SelectObject(canvas.Handle(), font);
    const long before = port::RasterisedGlyphs();
    Draw(canvas, 0, 0, "Player Score: 12");
    const long first = port::RasterisedGlyphs() - before;
    EXPECT_EQ(first, 13);  // distinct bytes of the text
    Draw(canvas, 0, 0, "Player Score: 12");
    Draw(canvas, 0, 0, "Player Score: 21");
    EXPECT_EQ(port::RasterisedGlyphs() - before, first);
    // Another font has its own glyphs.
    HFONT other = Arial(15, DEFAULT_QUALITY);
    SelectObject(canvas.Handle(), other);
    Draw(canvas, 0, 0, "P");
    EXPECT_EQ(port::RasterisedGlyphs() - before, first + 1);
}

}  // namespace
