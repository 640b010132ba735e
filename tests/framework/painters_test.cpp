// The text and shape painters on a real flip chain, in the three display depths.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "framework/painters.h"
#include "port/control.h"
#include "port/src/fonts.h"
#include "port/src/surface.h"

namespace {

constexpr COLORREF kGrey = 0x404040;

// A window in exclusive full-screen mode with the game's flip chain, and both
// painters prepared on it.
class Painters : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        port::ResetForTest();
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "PaintersTest";
        RegisterClassA(&windowClass);
        window = CreateWindowExA(0, "PaintersTest", "PaintersTest", WS_POPUPWINDOW, 0, 0, 640, 480,
                                 nullptr, nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(window, nullptr);
        display = std::make_unique<Display>();
        ASSERT_EQ(display->SetUp(window, 640, 480, GetParam()), DisplaySetUp::READY);
        text.Prepare(display.get());
        shapes.Prepare(display.get());
        Fill(kGrey);
    }
    void TearDown() override {
        display.reset();
        if (window) DestroyWindow(window);
        port::ResetForTest();
    }

    port::Surface& Back() const { return *static_cast<port::Surface*>(display->backBuffer); }
    COLORREF At(int x, int y) const {
        return port::PixelToColor(Back().pixels.Get(x, y), Back().pixels.format);
    }
    // A colour as the back buffer's format keeps it.
    COLORREF Stored(COLORREF color) const {
        const port::PixelFormat& format = Back().pixels.format;
        return port::PixelToColor(port::ColorToPixel(color, format), format);
    }
    void Fill(COLORREF color) {
        Back().pixels.Fill(0, 0, 640, 480, port::ColorToPixel(color, Back().pixels.format));
    }

    // The smallest box (exclusive ends) of pixels that are not `background`.
    struct Box {
        int left = 640, top = 480, right = -1, bottom = -1;
        int Width() const { return right - left; }
        int Height() const { return bottom - top; }
        bool Empty() const { return right < 0; }
    };
    Box Changed(int top = 0, int bottom = 480, COLORREF background = kGrey) const {
        Box box;
        const COLORREF stored = Stored(background);
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < 640; ++x) {
                if (At(x, y) == stored) continue;
                box.left = std::min(box.left, x), box.right = std::max(box.right, x + 1);
                box.top = std::min(box.top, y), box.bottom = std::max(box.bottom, y + 1);
            }
        return box;
    }
    std::set<COLORREF> ColoursIn(const Box& box) const {
        std::set<COLORREF> colours;
        for (int y = box.top; y < box.bottom; ++y)
            for (int x = box.left; x < box.right; ++x) colours.insert(At(x, y));
        return colours;
    }
    // Whether rows [top, top + height) and [otherTop, otherTop + height) hold the same pixels.
    bool SameRows(int top, int otherTop, int height) const {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < 640; ++x)
                if (At(x, top + y) != At(x, otherTop + y)) return false;
        return true;
    }

    HWND window = nullptr;
    std::unique_ptr<Display> display;
    TextPainter text;
    ShapePainter shapes;
};

INSTANTIATE_TEST_SUITE_P(Depths, Painters, ::testing::Values(16, 24, 32));

TEST_P(Painters, PrepareGivesRedOneBitArialOnNearBlack) {
    EXPECT_EQ(text.display, display.get());
    EXPECT_EQ(shapes.display, display.get());
    EXPECT_EQ(text.backColor, 0x000001u);
    EXPECT_EQ(text.textColor, 0x0000FFu);
    ASSERT_NE(text.font, nullptr);

    text.DrawText("Player Stats", 20, 30);
    Box box = Changed();
    EXPECT_EQ(box.left, 20);
    EXPECT_EQ(box.top, 30);
    EXPECT_EQ(box.Height(), 13);
    // Only the two colours: the characters' pure red and the box's near-black.
    EXPECT_EQ(ColoursIn(box), (std::set<COLORREF>{Stored(0x0000FF), Stored(0x000001)}));
}

TEST_P(Painters, FontsTakeTheirCellHeight) {
    for (int height : {14, 15, 100}) {
        SCOPED_TRACE(height);
        Fill(kGrey);
        HFONT font = MakeFont("Arial", height);
        ASSERT_NE(font, nullptr);
        text.SetFont(font);
        text.SetBackColor(0x000000);
        text.SetTextColor(0xFF0000);
        text.DrawText("Game over", 50, 50);
        Box box = Changed();
        EXPECT_EQ(box.top, 50);
        EXPECT_EQ(box.Height(), height);
        // MakeFont's fonts are antialiased: blends between blue and black.
        EXPECT_GT(ColoursIn(box).size(), 2u);
    }
}

TEST_P(Painters, NullFontDrawsInTheDcsOwnFont) {
    text.SetFont(nullptr);
    text.DrawText("Default", 10, 10);
    Box box = Changed();
    EXPECT_FALSE(box.Empty());
    EXPECT_EQ(box.Height(), port::DefaultFont()->face->CellHeight());
    EXPECT_NE(box.Height(), 13);
}

TEST_P(Painters, FormattedTextIsNeverCut) {
    text.DrawFormatted(10, 10, "Score: %i", 123456);
    text.DrawText("Score: 123456", 10, 40);
    Box formatted = Changed(0, 30);
    Box plain = Changed(30, 60);
    EXPECT_EQ(formatted.Width(), plain.Width());
    EXPECT_TRUE(SameRows(10, 40, 13));
    port::Font* font = port::LookupAs<port::Font>(text.font, port::GdiKind::Font);
    EXPECT_EQ(formatted.Width(), port::TextWidth(font, "Score: 123456", 13));

    // A result far longer than the format.
    text.DrawFormatted(0, 100, "%090i", -42);
    char expected[100];
    std::snprintf(expected, sizeof expected, "%090i", -42);
    text.DrawText(expected, 0, 130);
    EXPECT_EQ(Changed(90, 120).Width(), port::TextWidth(font, expected, 90));
    EXPECT_TRUE(SameRows(100, 130, 13));
}

TEST_P(Painters, FormatsWithoutConversionsAreDrawnAsTheyAre) {
    text.DrawFormatted(70, 200, "Player Stats");
    text.DrawText("Player Stats", 70, 230);
    EXPECT_FALSE(Changed(0, 220).Empty());
    EXPECT_TRUE(SameRows(200, 230, 13));
}

TEST_P(Painters, EmptyTextDrawsNothing) {
    text.DrawText("", 10, 10);
    text.DrawFormatted(10, 10, "%s", "");
    EXPECT_TRUE(Changed().Empty());
}

TEST_P(Painters, ColoursPersistAcrossCalls) {
    text.SetTextColor(0x00FF00);
    text.SetBackColor(0xB4B4B4);
    text.DrawText("I", 10, 10);
    text.DrawText("I", 10, 40);
    for (int top : {10, 40}) {
        Box box = Changed(top - 5, top + 20);
        EXPECT_EQ(ColoursIn(box), (std::set<COLORREF>{Stored(0x00FF00), Stored(0xB4B4B4)}));
    }
}

TEST_P(Painters, FullScreenRectangleCoversEveryPixel) {
    shapes.FillRect(0, 0, 640, 480, 0x0000FF, 0x0000FF);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) ASSERT_EQ(At(x, y), Stored(0x0000FF)) << x << "," << y;
}

TEST_P(Painters, RectangleOutlineIsTwoPixelsCentredOnTheBox) {
    shapes.FillRect(100, 460, 200, 480, 0xB4B4B4, 0xC8C8C8);  // the cannon's base
    const COLORREF fill = Stored(0xB4B4B4), outline = Stored(0xC8C8C8), grey = Stored(kGrey);
    for (int y = 455; y < 480; ++y)
        for (int x = 95; x < 205; ++x) {
            const bool inPen = x >= 99 && x <= 199 && y >= 459;
            const bool inBrush = x >= 101 && x <= 197 && y >= 461 && y <= 477;
            ASSERT_EQ(At(x, y), inBrush ? fill : inPen ? outline : grey) << x << "," << y;
        }
}

TEST_P(Painters, ShotEllipseIsARingAroundItsFill) {
    shapes.FillEllipse(300, 200, 325, 225, 0x00FFFF, 0xFF00FF);
    const COLORREF fill = Stored(0x00FFFF), outline = Stored(0xFF00FF);
    Box box = Changed();
    EXPECT_EQ(box.left, 299);
    EXPECT_EQ(box.top, 199);
    EXPECT_EQ(box.right, 325);
    EXPECT_EQ(box.bottom, 225);
    EXPECT_EQ(At(299, 212), outline);
    EXPECT_EQ(At(300, 212), outline);
    EXPECT_EQ(At(301, 212), fill);
    EXPECT_EQ(At(312, 212), fill);
    EXPECT_EQ(At(312, 199), outline);
    EXPECT_EQ(At(299, 199), Stored(kGrey));
}

TEST_P(Painters, ThousandCallsLeakNothingAndLeaveTheBackBufferFree) {
    const port::LiveCounts before = port::Live();
    HFONT hud = MakeFont("Arial", 14);
    const int fontObjects = port::Live().gdiObjects;
    for (int i = 0; i < 250; ++i) {
        text.SetFont(i % 2 ? hud : nullptr);
        text.DrawFormatted(10, 10, "Player Score: %i", i);
        text.DrawText("press enter to continue, escape to exit", 70, 330);
        shapes.FillRect(i, 420, i + 100, 480, 0xFFFFFF, 0xC8C8C8);
        shapes.FillEllipse(i, 100, i + 25, 125, 0x123456, 0x654321);
    }
    EXPECT_EQ(port::Live().gdiObjects, fontObjects);
    EXPECT_EQ(fontObjects, before.gdiObjects + 1);
    EXPECT_EQ(port::Live().dcs, before.dcs);
    EXPECT_FALSE(Back().Busy());
    HDC dc = nullptr;
    ASSERT_EQ(display->backBuffer->GetDC(&dc), DD_OK);
    display->backBuffer->ReleaseDC(dc);
    EXPECT_EQ(display->primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
}

TEST_P(Painters, FailuresInsideACallLeakNothing) {
    const port::LiveCounts before = port::Live();
    port::FailCall("CreateSolidBrush");
    shapes.FillRect(10, 10, 50, 50, 0x0000FF, 0x00FF00);
    port::FailCall("CreatePen");
    shapes.FillEllipse(10, 10, 50, 50, 0x0000FF, 0x00FF00);
    port::FailCall("SelectObject", 3);  // putting the old pen back
    shapes.FillRect(10, 10, 50, 50, 0x0000FF, 0x00FF00);
    port::FailCall("TextOutA");
    text.DrawText("lost", 10, 10);
    EXPECT_EQ(port::Live().gdiObjects, before.gdiObjects);
    EXPECT_EQ(port::Live().dcs, before.dcs);
    EXPECT_FALSE(Back().Busy());
}

TEST_P(Painters, WithoutABackBufferDcNothingIsDrawn) {
    port::FailCall("IDirectDrawSurface::GetDC", 1, 4);
    text.DrawText("nothing", 10, 10);
    text.DrawFormatted(10, 10, "%i", 1);
    shapes.FillRect(0, 0, 640, 480, 0, 0);
    shapes.FillEllipse(0, 0, 640, 480, 0, 0);
    EXPECT_TRUE(Changed().Empty());
    EXPECT_EQ(port::CallCount("CreateSolidBrush"), 0);

    TextPainter unprepared;
    ShapePainter alsoUnprepared;
    unprepared.DrawText("x", 0, 0);
    unprepared.DrawFormatted(0, 0, "%i", 2);
    alsoUnprepared.FillRect(0, 0, 10, 10, 0, 0);
    Display empty;
    unprepared.display = &empty;
    alsoUnprepared.display = &empty;
    unprepared.DrawText("x", 0, 0);
    alsoUnprepared.FillEllipse(0, 0, 10, 10, 0, 0);
    EXPECT_TRUE(Changed().Empty());
}

TEST(MakeFont, AskedForFacesComeBackOrNull) {
    port::ResetForTest();
    HFONT font = MakeFont("Arial", 15);
    ASSERT_NE(font, nullptr);
    const port::Font* made = port::LookupAs<port::Font>(font, port::GdiKind::Font);
    EXPECT_EQ(made->face->family, "Liberation Sans");
    EXPECT_EQ(made->face->CellHeight(), 15);
    EXPECT_TRUE(made->antialiased);
    port::FailCall("CreateFontA");
    EXPECT_EQ(MakeFont("Arial", 14), nullptr);
    port::ResetForTest();
}

}  // namespace
