// Brushes, pens, Rectangle and Ellipse on DC pixels in the three display formats.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "port/control.h"
#include "port/src/gdi_objects.h"
#include "tests/port/lib/pixmap_canvas.h"

namespace {

constexpr COLORREF kPaper = 0x204080;
constexpr COLORREF kInk = 0x0000F8;    // pen
constexpr COLORREF kFill = 0xF80000;   // brush
constexpr uint8_t kPadding = 0xAB;     // row padding, which nothing may touch

// A DC on a pixmap filled with kPaper, its row padding marked.
class Canvas : public PixmapCanvas {
public:
    Canvas(int width, int height, int bitsPerPixel)
        : PixmapCanvas(width, height, bitsPerPixel, kPaper) {
        for (int y = 0; y < height; ++y)
            for (int i = width * pixels.format.BytesPerPixel(); i < pixels.pitch; ++i)
                pixels.Row(y)[i] = kPadding;
    }
    // 'P' pen, 'B' brush, '.' paper, '?' anything else.
    char Kind(int x, int y) const {
        COLORREF c = At(x, y);
        return c == kInk ? 'P' : c == kFill ? 'B' : c == kPaper ? '.' : '?';
    }
    bool PaddingIntact() const {
        for (int y = 0; y < pixels.height; ++y)
            for (int i = pixels.width * pixels.format.BytesPerPixel(); i < pixels.pitch; ++i)
                if (pixels.Row(y)[i] != kPadding) return false;
        return true;
    }
    std::string Picture() const {
        std::string s;
        for (int y = 0; y < pixels.height; ++y) {
            for (int x = 0; x < pixels.width; ++x) s += Kind(x, y);
            s += '\n';
        }
        return s;
    }
};

// Selects a brush and a pen into the canvas for the test's lifetime.
struct Tools {
    Tools(Canvas& canvas, int penWidth) : dc(canvas.Handle()) {
        brush = CreateSolidBrush(kFill);
        pen = CreatePen(PS_SOLID, penWidth, kInk);
        oldBrush = SelectObject(dc, brush);
        oldPen = SelectObject(dc, pen);
    }
    ~Tools() {
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        DeleteObject(brush);
        DeleteObject(pen);
    }
    HDC dc;
    HBRUSH brush;
    HPEN pen;
    HGDIOBJ oldBrush, oldPen;
};

class GdiDraw : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override { port::ResetForTest(); }
    int Bpp() const { return GetParam(); }
};

INSTANTIATE_TEST_SUITE_P(Depths, GdiDraw, ::testing::Values(16, 24, 32));

// Expected picture of a rectangle whose outline takes the columns in `penCols`
// and rows in `penRows` (inclusive ranges) and whose brush takes `fill`.
struct Box {
    int x0, y0, x1, y1;  // inclusive
    bool Has(int x, int y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
};
std::string Expected(int width, int height, Box outer, Box inner) {
    std::string s;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) s += inner.Has(x, y) ? 'B' : outer.Has(x, y) ? 'P' : '.';
        s += '\n';
    }
    return s;
}

TEST_P(GdiDraw, RectangleWidthTwoOutlineIsCentredOnTheEdges) {
    Canvas canvas(40, 40, Bpp());
    Tools tools(canvas, 2);
    EXPECT_TRUE(Rectangle(canvas.Handle(), 10, 20, 30, 35));
    // Columns 9, 10, 28, 29 and rows 19, 20, 33, 34 in the pen; the rest of
    // [10, 30) x [20, 35) in the brush.
    EXPECT_EQ(canvas.Picture(), Expected(40, 40, {9, 19, 29, 34}, {11, 21, 27, 32}));
    EXPECT_TRUE(canvas.PaddingIntact());
}

TEST_P(GdiDraw, RectanglePenWidthsOneZeroAndThree) {
    {
        Canvas canvas(30, 30, Bpp());
        Tools tools(canvas, 1);
        Rectangle(canvas.Handle(), 5, 6, 15, 20);
        EXPECT_EQ(canvas.Picture(), Expected(30, 30, {5, 6, 14, 19}, {6, 7, 13, 18}));
    }
    {
        Canvas canvas(30, 30, Bpp());
        Tools tools(canvas, 0);  // a zero-width pen draws one pixel
        Rectangle(canvas.Handle(), 5, 6, 15, 20);
        EXPECT_EQ(canvas.Picture(), Expected(30, 30, {5, 6, 14, 19}, {6, 7, 13, 18}));
    }
    {
        Canvas canvas(30, 30, Bpp());
        Tools tools(canvas, 3);
        Rectangle(canvas.Handle(), 5, 6, 15, 20);
        EXPECT_EQ(canvas.Picture(), Expected(30, 30, {4, 5, 15, 20}, {7, 8, 12, 17}));
    }
}

TEST_P(GdiDraw, RectangleCornersInAnyOrderAndEmptyBoxes) {
    Canvas forward(30, 30, Bpp()), backward(30, 30, Bpp()), empty(30, 30, Bpp());
    {
        Tools tools(forward, 2);
        Rectangle(forward.Handle(), 4, 5, 20, 25);
    }
    {
        Tools tools(backward, 2);
        Rectangle(backward.Handle(), 20, 25, 4, 5);
    }
    EXPECT_EQ(forward.Picture(), backward.Picture());
    {
        Tools tools(empty, 2);
        EXPECT_TRUE(Rectangle(empty.Handle(), 10, 10, 10, 20));
        EXPECT_TRUE(Ellipse(empty.Handle(), 10, 10, 20, 10));
    }
    EXPECT_EQ(empty.Picture(), Expected(30, 30, {-1, -1, -2, -2}, {-1, -1, -2, -2}));
}

TEST_P(GdiDraw, ThinBoxesAreAllOutline) {
    Canvas canvas(20, 20, Bpp());
    Tools tools(canvas, 2);
    Rectangle(canvas.Handle(), 5, 5, 8, 15);  // three wide: no room for the brush
    EXPECT_EQ(canvas.Picture(), Expected(20, 20, {4, 4, 7, 14}, {-1, -1, -2, -2}));
}

TEST_P(GdiDraw, ShapesAreClippedToTheTarget) {
    Canvas canvas(7, 5, Bpp());
    Tools tools(canvas, 2);
    EXPECT_TRUE(Rectangle(canvas.Handle(), -10, -10, 100, 100));
    EXPECT_EQ(canvas.Picture(), Expected(7, 5, {-1, -1, -2, -2}, {0, 0, 6, 4}));
    EXPECT_TRUE(Rectangle(canvas.Handle(), 3, 2, 1000000, 1000000));
    EXPECT_EQ(canvas.Kind(2, 1), 'P');
    EXPECT_EQ(canvas.Kind(4, 3), 'B');
    EXPECT_TRUE(Ellipse(canvas.Handle(), -100000, -3, 100000, 400));
    EXPECT_TRUE(Ellipse(canvas.Handle(), 6, 4, 50, 50));
    EXPECT_TRUE(Rectangle(canvas.Handle(), -50, -50, -20, -20));
    EXPECT_TRUE(canvas.PaddingIntact());
}

TEST_P(GdiDraw, CoordinatesBeyondGdisSpaceAreRefused) {
    Canvas canvas(10, 10, Bpp());
    Tools tools(canvas, 2);
    EXPECT_FALSE(Rectangle(canvas.Handle(), INT_MIN, INT_MIN, INT_MAX, INT_MAX));
    EXPECT_FALSE(Ellipse(canvas.Handle(), 0, 0, INT_MAX, 5));
    EXPECT_EQ(canvas.Picture(), Expected(10, 10, {-1, -1, -2, -2}, {-1, -1, -2, -2}));
    // The largest box that is allowed still works, and the ellipse's centre is brush.
    EXPECT_TRUE(Ellipse(canvas.Handle(), -(1 << 27), -(1 << 27), 1 << 27, 1 << 27));
    EXPECT_EQ(canvas.Picture(), Expected(10, 10, {-1, -1, -2, -2}, {0, 0, 9, 9}));
}

// Whether any brush pixel can be reached from the canvas border through
// non-pen pixels, moving to any of the eight neighbours.
bool BrushLeaks(const Canvas& canvas) {
    const int w = canvas.pixels.width, h = canvas.pixels.height;
    std::vector<char> seen(static_cast<size_t>(w) * h, 0);
    std::vector<std::pair<int, int>> todo;
    for (int x = 0; x < w; ++x) todo.push_back({x, 0}), todo.push_back({x, h - 1});
    for (int y = 0; y < h; ++y) todo.push_back({0, y}), todo.push_back({w - 1, y});
    while (!todo.empty()) {
        auto [x, y] = todo.back();
        todo.pop_back();
        if (x < 0 || y < 0 || x >= w || y >= h || seen[y * w + x]) continue;
        seen[y * w + x] = 1;
        char kind = canvas.Kind(x, y);
        if (kind == 'P') continue;
        if (kind == 'B') return true;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) todo.push_back({x + dx, y + dy});
    }
    return false;
}

struct EllipseCase {
    int left, top, right, bottom, penWidth;
};

TEST_P(GdiDraw, EllipsesAreSymmetricGapFreeAndInsideTheirPenBox) {
    const EllipseCase cases[] = {
        {10, 10, 35, 35, 2},  // a shot
        {8, 9, 60, 20, 2},    {20, 5, 26, 55, 2},  {5, 5, 75, 60, 2},   {30, 30, 31, 31, 2},
        {12, 12, 40, 50, 1},  {12, 12, 41, 50, 3}, {4, 6, 70, 9, 2},    {10, 10, 60, 60, 5}};
    for (const EllipseCase& e : cases) {
        SCOPED_TRACE(testing::Message() << "Ellipse(" << e.left << ", " << e.top << ", "
                                        << e.right << ", " << e.bottom << ") pen " << e.penWidth);
        Canvas canvas(90, 80, Bpp());
        Tools tools(canvas, e.penWidth);
        ASSERT_TRUE(Ellipse(canvas.Handle(), e.left, e.top, e.right, e.bottom));
        const int half = e.penWidth / 2;
        const int x0 = e.left - half, x1 = e.right - 1 - half + e.penWidth - 1;
        const int y0 = e.top - half, y1 = e.bottom - 1 - half + e.penWidth - 1;
        int minX = INT_MAX, maxX = INT_MIN, minY = INT_MAX, maxY = INT_MIN;
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 90; ++x) {
                char kind = canvas.Kind(x, y);
                ASSERT_NE(kind, '?');
                if (kind == '.') continue;
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
                ASSERT_EQ(kind, canvas.Kind(x0 + x1 - x, y)) << x << "," << y;
                ASSERT_EQ(kind, canvas.Kind(x, y0 + y1 - y)) << x << "," << y;
                if (kind == 'B') {  // the brush stays inside [left, right) x [top, bottom)
                    ASSERT_GE(x, e.left);
                    ASSERT_LT(x, e.right);
                    ASSERT_GE(y, e.top);
                    ASSERT_LT(y, e.bottom);
                }
            }
        // The pen reaches all four sides of its box, as Rectangle's would.
        EXPECT_EQ(minX, x0);
        EXPECT_EQ(maxX, x1);
        EXPECT_EQ(minY, y0);
        EXPECT_EQ(maxY, y1);
        EXPECT_FALSE(BrushLeaks(canvas)) << canvas.Picture();
    }
}

TEST_P(GdiDraw, ClippedEllipseMatchesTheSameEllipseDrawnWhole) {
    Canvas whole(100, 100, Bpp());
    Canvas part(30, 25, Bpp());
    {
        Tools tools(whole, 2);
        Ellipse(whole.Handle(), 20, 30, 75, 70);
    }
    {
        Tools tools(part, 2);
        Ellipse(part.Handle(), 20 - 40, 30 - 40, 75 - 40, 70 - 40);  // the window (40, 40)
    }
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 30; ++x) ASSERT_EQ(part.Kind(x, y), whole.Kind(x + 40, y + 40));
    EXPECT_TRUE(part.PaddingIntact());
}

TEST_P(GdiDraw, BrushesAndPensAreCountedAndFailuresInjected) {
    const int before = port::Live().gdiObjects;
    HBRUSH brush = CreateSolidBrush(kFill);
    HPEN pen = CreatePen(PS_SOLID, 2, kInk);
    ASSERT_NE(brush, nullptr);
    ASSERT_NE(pen, nullptr);
    EXPECT_EQ(port::Live().gdiObjects, before + 2);
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_EQ(port::Live().gdiObjects, before);

    EXPECT_EQ(CreatePen(5 /* PS_NULL */, 1, kInk), nullptr);
    port::FailCall("CreateSolidBrush");
    port::FailCall("CreatePen");
    EXPECT_EQ(CreateSolidBrush(kFill), nullptr);
    EXPECT_EQ(CreatePen(PS_SOLID, 2, kInk), nullptr);
    EXPECT_EQ(port::Live().gdiObjects, before);

    Canvas canvas(10, 10, Bpp());
    port::FailCall("Rectangle");
    port::FailCall("Ellipse");
    EXPECT_FALSE(Rectangle(canvas.Handle(), 0, 0, 10, 10));
    EXPECT_FALSE(Ellipse(canvas.Handle(), 0, 0, 10, 10));
    EXPECT_EQ(canvas.Picture(), Expected(10, 10, {-1, -1, -2, -2}, {-1, -1, -2, -2}));
}

TEST_P(GdiDraw, FreshDcDrawsWithWhiteBrushAndBlackPen) {
    Canvas canvas(10, 10, Bpp());
    Rectangle(canvas.Handle(), 2, 2, 8, 8);
    EXPECT_EQ(canvas.At(2, 2), 0x000000u);
    EXPECT_EQ(canvas.At(7, 7), 0x000000u);
    // White as the format stores it (0xF8FCF8 in RGB565).
    EXPECT_EQ(canvas.At(3, 3), port::PixelToColor(port::ColorToPixel(0xFFFFFF, canvas.pixels.format),
                                                  canvas.pixels.format));
    EXPECT_EQ(canvas.At(1, 1), kPaper);
}

TEST_P(GdiDraw, ColourSettersReturnThePreviousColour) {
    Canvas canvas(4, 4, Bpp());
    EXPECT_EQ(SetTextColor(canvas.Handle(), 0x123456), 0x000000u);
    EXPECT_EQ(SetTextColor(canvas.Handle(), 0x0000FF), 0x123456u);
    EXPECT_EQ(SetBkColor(canvas.Handle(), 0x000001), 0xFFFFFFu);
    EXPECT_EQ(SetBkColor(canvas.Handle(), 0xB4B4B4), 0x000001u);
    EXPECT_EQ(canvas.dc->textColor, 0x0000FFu);
    EXPECT_EQ(canvas.dc->bkColor, 0xB4B4B4u);

    HBRUSH notADc = CreateSolidBrush(0);
    EXPECT_EQ(SetTextColor(reinterpret_cast<HDC>(notADc), 1), CLR_INVALID);
    EXPECT_EQ(SetBkColor(nullptr, 1), CLR_INVALID);
    EXPECT_FALSE(Rectangle(reinterpret_cast<HDC>(notADc), 0, 0, 2, 2));
    EXPECT_FALSE(Ellipse(nullptr, 0, 0, 2, 2));
    DeleteObject(notADc);
}

}  // namespace
