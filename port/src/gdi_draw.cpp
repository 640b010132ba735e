// Brushes, pens, rectangles, ellipses and text, drawn on a DC's pixels.
//
// Shapes follow GDI's rules: the right and bottom edges are excluded, and a pen
// of width w on a path through pixel c covers [c - w/2, c - w/2 + w), so a
// width-2 outline of Rectangle(l, t, r, b) takes columns l-1, l, r-2, r-1.
#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "port/src/core.h"
#include "port/src/fonts.h"
#include "port/src/gdi_objects.h"

namespace port {
namespace {

// GDI's coordinate space; shapes beyond it are refused.
constexpr long long kMaxCoordinate = 1 << 27;
constexpr int kMaxPenWidth = 1024;

bool InRange(long long v) { return v >= -kMaxCoordinate && v <= kMaxCoordinate; }

// Fills the part of [left, right) x [top, bottom) that lies inside `p`.
void FillClipped(Pixmap& p, long long left, long long top, long long right, long long bottom,
                 uint32_t value) {
    left = std::max(left, 0LL);
    top = std::max(top, 0LL);
    right = std::min<long long>(right, p.width);
    bottom = std::min<long long>(bottom, p.height);
    if (left < right && top < bottom)
        p.Fill(static_cast<int>(left), static_cast<int>(top), static_cast<int>(right),
               static_cast<int>(bottom), value);
}

int PenWidth(const DC& dc) {
    const int width = dc.pen ? dc.pen->width : 1;
    return std::clamp(width, 1, kMaxPenWidth);
}

// What a shape call needs: its pixels and its two colours in their format.
struct ShapeTarget {
    Pixmap* pixels = nullptr;
    int penWidth = 1;
    uint32_t pen = 0;
    uint32_t brush = 0;
};

bool PrepareShape(HDC handle, int& left, int& top, int& right, int& bottom, ShapeTarget* shape) {
    DC* dc = LookupDC(handle);
    if (!dc || !dc->target) return false;
    if (!InRange(left) || !InRange(top) || !InRange(right) || !InRange(bottom)) return false;
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    shape->pixels = dc->target;
    shape->penWidth = PenWidth(*dc);
    shape->pen = ColorToPixel(dc->pen ? dc->pen->color : 0, dc->target->format);
    shape->brush = ColorToPixel(dc->brush ? dc->brush->color : 0xFFFFFF, dc->target->format);
    return true;
}

// The pixels [first, last] that a pen of width w covers along an edge from
// pixel `low` to pixel `high` (both included): the outline's outer bounds.
struct Extent {
    long long first;
    long long last;
};
Extent PenExtent(long long low, long long high, int w) {
    return {low - w / 2, high - w / 2 + w - 1};
}

// An ellipse through the box of pixels [x0, x1] x [y0, y1]: a pixel belongs to
// it when its centre lies inside the ellipse inscribed in the box's outer edges.
// Exact integer arithmetic in doubled coordinates keeps every row symmetric.
class EllipseRows {
public:
    EllipseRows(Extent xs, Extent ys)
        : cx2_(xs.first + xs.last), cy2_(ys.first + ys.last),
          w_(xs.last - xs.first + 1), h_(ys.last - ys.first + 1) {}

    // The row's pixels [*left, *right]; false when the row has none.
    bool Span(long long y, long long* left, long long* right) const {
        using Wide = __int128;
        const long long dy2 = 2 * y - cy2_;
        if (dy2 >= h_ || dy2 <= -h_) return false;  // outside the box
        // The middle rows reach the box's sides and every row holds the middle
        // column(s), however flat or narrow the ellipse.
        const long long narrowest = cx2_ & 1;
        if (dy2 >= -1 && dy2 <= 1) return SpanOf(w_ - 1, left, right);
        // Largest dx2 (with the parity of cx2) where dx2^2 h^2 <= w^2 (h^2 - dy2^2).
        const Wide limit = Wide(w_) * w_ * (Wide(h_) * h_ - Wide(dy2) * dy2);
        const Wide hh = Wide(h_) * h_;
        long double estimate = static_cast<long double>(w_) *
                               std::sqrt(1.0L - static_cast<long double>(dy2) * dy2 /
                                                (static_cast<long double>(h_) * h_));
        long long d = static_cast<long long>(estimate);
        while (Wide(d + 1) * (d + 1) * hh <= limit) ++d;
        while (d >= 0 && Wide(d) * d * hh > limit) --d;
        if (d >= 0 && ((d - cx2_) & 1)) --d;
        return SpanOf(std::max(d, narrowest), left, right);
    }
    // Of rows y - n and y + n, the one farther from the centre.
    long long Farther(long long y, long long n) const { return 2 * y >= cy2_ ? y + n : y - n; }

private:
    // The pixels d/2 either side of the centre.
    bool SpanOf(long long d, long long* left, long long* right) const {
        *left = (cx2_ - d) / 2;
        *right = (cx2_ + d) / 2;
        return true;
    }

    long long cx2_, cy2_, w_, h_;
};

// Half the width of the round pen's footprint `k` rows from its centre: a
// disc of radius w, widened to at least the 3 x 3 square so that the outline
// never lets the inside touch the outside, even diagonally.
long long PenReach(int w, int k) {
    const long long reach = std::lround(std::sqrt(double(w) * w - double(k) * k));
    return k <= 1 ? std::max(reach, 1LL) : reach;
}

// One row of an ellipse's outline: its pixels [left, right], when it has any.
struct RowSpan {
    bool any = false;
    long long left = 0;
    long long right = 0;
};

// The brush's part of row y: pixels whose whole pen footprint lies in the
// ellipse. Spans shrink away from the centre, so only the footprint's rows on
// the far side can bound it. `spans` holds the rows from `firstSpan` on, and
// reaches w rows past y either way; `reach` is PenReach(w, k) by k.
bool Inside(const EllipseRows& rows, const std::vector<RowSpan>& spans, long long firstSpan,
            const std::vector<long long>& reach, long long y, int w, long long* left,
            long long* right) {
    *left = LLONG_MIN;
    *right = LLONG_MAX;
    for (int k = 0; k <= w; ++k) {
        const RowSpan& far = spans[static_cast<size_t>(rows.Farther(y, k) - firstSpan)];
        if (!far.any) return false;
        *left = std::max(*left, far.left + reach[static_cast<size_t>(k)]);
        *right = std::min(*right, far.right - reach[static_cast<size_t>(k)]);
    }
    return *left <= *right;
}

void DrawEllipse(const ShapeTarget& shape, int left, int top, int right, int bottom) {
    Pixmap& p = *shape.pixels;
    const int w = shape.penWidth;
    const Extent xs = PenExtent(left, right - 1, w);
    const Extent ys = PenExtent(top, bottom - 1, w);
    const EllipseRows rows(xs, ys);
    const long long firstRow = std::max(ys.first, 0LL);
    const long long lastRow = std::min<long long>(ys.last, p.height - 1);
    if (firstRow > lastRow) return;
    // Every row's span and the pen's reach, worked out once: each row's brush
    // test looks at the rows up to w either side of it.
    const long long firstSpan = firstRow - w;
    std::vector<RowSpan> spans(static_cast<size_t>(lastRow + w - firstSpan + 1));
    for (size_t i = 0; i < spans.size(); ++i)
        spans[i].any = rows.Span(firstSpan + static_cast<long long>(i), &spans[i].left,
                                 &spans[i].right);
    std::vector<long long> reach(static_cast<size_t>(w) + 1);
    for (int k = 0; k <= w; ++k) reach[static_cast<size_t>(k)] = PenReach(w, k);
    for (long long y = firstRow; y <= lastRow; ++y) {
        const RowSpan& row = spans[static_cast<size_t>(y - firstSpan)];
        if (!row.any) continue;
        const long long l = row.left, r = row.right;
        long long il, ir;
        if (Inside(rows, spans, firstSpan, reach, y, w, &il, &ir)) {
            FillClipped(p, l, y, il, y + 1, shape.pen);
            FillClipped(p, il, y, ir + 1, y + 1, shape.brush);
            FillClipped(p, ir + 1, y, r + 1, y + 1, shape.pen);
        } else {
            FillClipped(p, l, y, r + 1, y + 1, shape.pen);
        }
    }
}

void DrawRectangle(const ShapeTarget& shape, int left, int top, int right, int bottom) {
    Pixmap& p = *shape.pixels;
    const int w = shape.penWidth;
    const Extent xs = PenExtent(left, right - 1, w);
    const Extent ys = PenExtent(top, bottom - 1, w);
    // The brush's part: what the pen leaves of [left, right) x [top, bottom).
    const long long ix0 = xs.first + w, ix1 = xs.last - w + 1;
    const long long iy0 = ys.first + w, iy1 = ys.last - w + 1;
    if (ix0 >= ix1 || iy0 >= iy1) {
        FillClipped(p, xs.first, ys.first, xs.last + 1, ys.last + 1, shape.pen);
        return;
    }
    FillClipped(p, xs.first, ys.first, xs.last + 1, iy0, shape.pen);
    FillClipped(p, xs.first, iy1, xs.last + 1, ys.last + 1, shape.pen);
    FillClipped(p, xs.first, iy0, ix0, iy1, shape.pen);
    FillClipped(p, ix1, iy0, xs.last + 1, iy1, shape.pen);
    FillClipped(p, ix0, iy0, ix1, iy1, shape.brush);
}

uint8_t Mix(unsigned over, unsigned under, unsigned coverage) {
    return static_cast<uint8_t>((over * coverage + under * (255 - coverage) + 127) / 255);
}

// Pixels of one format read and written in place, as ColorToPixel and
// PixelToColor convert them, without a switch on the format per pixel.
template <int kBytes>
struct FormatPixels {
    static uint32_t Read(const uint8_t* p) {
        if (kBytes == 2) return p[0] | (p[1] << 8);
        return p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16);
    }
    static void Write(uint8_t* p, uint32_t value) {
        p[0] = value & 0xFF;
        p[1] = (value >> 8) & 0xFF;
        if (kBytes >= 3) p[2] = (value >> 16) & 0xFF;
        if (kBytes == 4) p[3] = (value >> 24) & 0xFF;
    }
    // The red, green and blue of a pixel, widened to 8 bits as GDI does.
    static void Channels(uint32_t pixel, unsigned* r, unsigned* g, unsigned* b) {
        if (kBytes == 2) {
            *r = ((pixel >> 11) & 0x1F) << 3;
            *g = ((pixel >> 5) & 0x3F) << 2;
            *b = (pixel & 0x1F) << 3;
        } else {
            *r = (pixel >> 16) & 0xFF;
            *g = (pixel >> 8) & 0xFF;
            *b = pixel & 0xFF;
        }
    }
    static uint32_t FromChannels(unsigned r, unsigned g, unsigned b) {
        if (kBytes == 2) return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
        return (r << 16) | (g << 8) | b;
    }
};

// Draws one glyph with its pen position at (penX, baseline), clipped to `p`.
// Partly covered pixels blend the text colour with what is underneath.
template <int kBytes>
void DrawGlyphIn(Pixmap& p, const Glyph& glyph, long long penX, long long baseline,
                 COLORREF color, uint32_t colorPixel) {
    using Format = FormatPixels<kBytes>;
    const long long gx = penX + glyph.left;
    const long long gy = baseline - glyph.top;
    const int col0 = static_cast<int>(std::clamp<long long>(-gx, 0, glyph.width));
    const int col1 = static_cast<int>(std::clamp<long long>(p.width - gx, 0, glyph.width));
    const int row0 = static_cast<int>(std::clamp<long long>(-gy, 0, glyph.rows));
    const int row1 = static_cast<int>(std::clamp<long long>(p.height - gy, 0, glyph.rows));
    if (col0 >= col1) return;
    const unsigned red = GetRValue(color), green = GetGValue(color), blue = GetBValue(color);
    for (int row = row0; row < row1; ++row) {
        const uint8_t* coverage = glyph.coverage.data() + static_cast<size_t>(row) * glyph.width;
        uint8_t* line = p.Row(static_cast<int>(gy + row)) + (gx + col0) * kBytes;
        for (int col = col0; col < col1; ++col, line += kBytes) {
            const unsigned c = coverage[col];
            if (c == 0) continue;
            if (c == 255) {
                Format::Write(line, colorPixel);
                continue;
            }
            unsigned r, g, b;
            Format::Channels(Format::Read(line), &r, &g, &b);
            Format::Write(line, Format::FromChannels(Mix(red, r, c), Mix(green, g, c),
                                                     Mix(blue, b, c)));
        }
    }
}

void DrawGlyph(Pixmap& p, const Glyph& glyph, long long penX, long long baseline,
               COLORREF color, uint32_t colorPixel) {
    switch (p.format.BytesPerPixel()) {
    case 2:
        DrawGlyphIn<2>(p, glyph, penX, baseline, color, colorPixel);
        break;
    case 3:
        DrawGlyphIn<3>(p, glyph, penX, baseline, color, colorPixel);
        break;
    default:
        DrawGlyphIn<4>(p, glyph, penX, baseline, color, colorPixel);
        break;
    }
}

}  // namespace
}  // namespace port

using namespace port;

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    if (Injected("CreateSolidBrush")) return nullptr;
    auto* brush = new Brush;
    brush->color = color;
    Trace("CreateSolidBrush(0x%06X) -> brush", static_cast<unsigned>(color));
    return static_cast<HBRUSH>(Register(brush));
}

HPEN WINAPI CreatePen(int style, int width, COLORREF color) {
    if (Injected("CreatePen")) return nullptr;
    // Only solid pens are provided; width 0 (and below) is one pixel.
    if (style != PS_SOLID) {
        Trace("CreatePen(%d, %d, 0x%06X) -> NULL", style, width, static_cast<unsigned>(color));
        return nullptr;
    }
    auto* pen = new Pen;
    pen->style = style;
    pen->width = std::clamp(width, 1, kMaxPenWidth);
    pen->color = color;
    Trace("CreatePen(%d, %d, 0x%06X) -> pen", style, width, static_cast<unsigned>(color));
    return static_cast<HPEN>(Register(pen));
}

BOOL WINAPI Rectangle(HDC dc, int left, int top, int right, int bottom) {
    if (Injected("Rectangle")) return FALSE;
    ShapeTarget shape;
    if (!PrepareShape(dc, left, top, right, bottom, &shape)) return FALSE;
    Trace("Rectangle(%d, %d, %d, %d) -> 1", left, top, right, bottom);
    if (left < right && top < bottom) DrawRectangle(shape, left, top, right, bottom);
    return TRUE;
}

BOOL WINAPI Ellipse(HDC dc, int left, int top, int right, int bottom) {
    if (Injected("Ellipse")) return FALSE;
    ShapeTarget shape;
    if (!PrepareShape(dc, left, top, right, bottom, &shape)) return FALSE;
    Trace("Ellipse(%d, %d, %d, %d) -> 1", left, top, right, bottom);
    if (left < right && top < bottom) DrawEllipse(shape, left, top, right, bottom);
    return TRUE;
}

COLORREF WINAPI SetTextColor(HDC handle, COLORREF color) {
    if (Injected("SetTextColor")) return CLR_INVALID;
    DC* dc = LookupDC(handle);
    if (!dc) return CLR_INVALID;
    const COLORREF previous = dc->textColor;
    dc->textColor = color;
    return previous;
}

COLORREF WINAPI SetBkColor(HDC handle, COLORREF color) {
    if (Injected("SetBkColor")) return CLR_INVALID;
    DC* dc = LookupDC(handle);
    if (!dc) return CLR_INVALID;
    const COLORREF previous = dc->bkColor;
    dc->bkColor = color;
    return previous;
}

BOOL WINAPI TextOutA(HDC handle, int x, int y, LPCSTR text, int length) {
    if (Injected("TextOutA")) return FALSE;
    DC* dc = LookupDC(handle);
    if (!dc || !dc->target) return FALSE;
    if (length == 0) return TRUE;
    if (length < 0 || !text) return FALSE;
    // A DC whose font has no face draws in the default font.
    Font* font = dc->font && dc->font->face ? dc->font : DefaultFont();
    if (!font || !font->face) return FALSE;
    Trace("TextOutA(%d, %d, \"%.*s\", %d) -> 1", x, y, std::min(length, 200), text, length);
    Pixmap& p = *dc->target;
    const Font::Face& face = *font->face;
    if (dc->bkMode == OPAQUE) {
        const long long width = TextWidth(font, text, length);
        FillClipped(p, x, y, x + width, static_cast<long long>(y) + face.CellHeight(),
                    ColorToPixel(dc->bkColor, p.format));
    }
    const uint32_t colorPixel = ColorToPixel(dc->textColor, p.format);
    const long long baseline = static_cast<long long>(y) + face.ascent;
    long long penX = x;
    for (int i = 0; i < length; ++i) {
        const Glyph* glyph = GlyphFor(font, static_cast<unsigned char>(text[i]));
        if (!glyph) continue;
        DrawGlyph(p, *glyph, penX, baseline, dc->textColor, colorPixel);
        penX += glyph->advance;
    }
    return TRUE;
}
