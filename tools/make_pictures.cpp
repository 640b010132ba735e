// Draws the game's three pictures as 24-bit BMP files:
//   intro.bmp  640 x 480  the title screen
//   start.bmp  640 x 480  the controls
//   cd.bmp     106 x 82   the falling disc, on magenta (the transparent colour)
// Usage: make_pictures OUTPUT_DIR
//
// Everything is drawn here: a small bitmap font, gradients, stars, the disc.
// The random numbers come from a fixed seed, so every run writes the same files.

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const double PI = 3.14159265358979323846;

// ---- Colours and pictures -----------------------------------------------------

struct Color {
    double r = 0, g = 0, b = 0;
};

Color Rgb(double r, double g, double b) { return Color{r, g, b}; }
Color Hex(uint32_t rgb) {
    return Rgb(((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
}
Color Mix(Color a, Color b, double t) {
    return Rgb(a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t);
}
Color Scale(Color c, double k) { return Rgb(c.r * k, c.g * k, c.b * k); }
Color Add(Color a, Color b) { return Rgb(a.r + b.r, a.g + b.g, a.b + b.b); }
double Clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
double Fract(double v) { return v - std::floor(v); }
double SmoothStep(double e0, double e1, double v) {
    double t = Clamp01((v - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

// A fully saturated colour of the given hue, 0..1 around the wheel.
Color Hue(double h) {
    h = Fract(h) * 6;
    double x = 1 - std::fabs(std::fmod(h, 2.0) - 1);
    switch (static_cast<int>(h)) {
    case 0: return Rgb(1, x, 0);
    case 1: return Rgb(x, 1, 0);
    case 2: return Rgb(0, 1, x);
    case 3: return Rgb(0, x, 1);
    case 4: return Rgb(x, 0, 1);
    default: return Rgb(1, 0, x);
    }
}

// The colours of light split by the tracks of a disc: red to violet and back,
// never through magenta, which is not in a spectrum.
Color Spectrum(double t) { return Hue(0.76 * (1 - std::fabs(2 * Fract(t) - 1))); }

class Picture {
public:
    Picture(int width, int height, Color fill = Color{})
        : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, fill) {}

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    Color Get(int x, int y) const { return pixels_[Index(x, y)]; }
    void Set(int x, int y, Color c) {
        if (Inside(x, y)) pixels_[Index(x, y)] = c;
    }
    // Lays `c` over the pixel with the given opacity.
    void Blend(int x, int y, Color c, double alpha) {
        if (!Inside(x, y) || alpha <= 0) return;
        Color& p = pixels_[Index(x, y)];
        p = Mix(p, c, Clamp01(alpha));
    }
    // Adds light, as a glow does.
    void Glow(int x, int y, Color c, double amount) {
        if (!Inside(x, y) || amount <= 0) return;
        Color& p = pixels_[Index(x, y)];
        p = Add(p, Scale(c, amount));
    }

    bool WriteBmp(const std::string& path) const;

private:
    size_t Index(int x, int y) const { return static_cast<size_t>(y) * width_ + x; }

    int width_;
    int height_;
    std::vector<Color> pixels_;
};

uint8_t ToByte(double v) { return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.0)); }

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A bottom-up 24-bit BMP with a BITMAPINFOHEADER, rows padded to four bytes.
bool Picture::WriteBmp(const std::string& path) const {
    const uint32_t rowBytes = (static_cast<uint32_t>(width_) * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(height_);
    std::vector<uint8_t> out;
    out.reserve(54 + imageBytes);
    out.push_back('B');
    out.push_back('M');
    PutLe(out, 54 + imageBytes, 4);  // file size
    PutLe(out, 0, 4);                // reserved
    PutLe(out, 54, 4);               // offset of the pixels
    PutLe(out, 40, 4);               // header size
    PutLe(out, static_cast<uint32_t>(width_), 4);
    PutLe(out, static_cast<uint32_t>(height_), 4);
    PutLe(out, 1, 2);   // planes
    PutLe(out, 24, 2);  // bits per pixel
    PutLe(out, 0, 4);   // BI_RGB
    PutLe(out, imageBytes, 4);
    PutLe(out, 2835, 4);  // 72 dpi
    PutLe(out, 2835, 4);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
    for (int y = height_ - 1; y >= 0; --y) {
        size_t start = out.size();
        for (int x = 0; x < width_; ++x) {
            Color c = Get(x, y);
            out.push_back(ToByte(c.b));
            out.push_back(ToByte(c.g));
            out.push_back(ToByte(c.r));
        }
        while (out.size() - start < rowBytes) out.push_back(0);
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    ok = (std::fclose(file) == 0) && ok;
    return ok;
}

// A small fixed-seed generator, so the pictures never change between builds.
class Random {
public:
    explicit Random(uint32_t seed) : state_(seed) {}
    uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    double Unit() { return (Next() & 0xFFFFFF) / double(0x1000000); }
    double Range(double lo, double hi) { return lo + (hi - lo) * Unit(); }

private:
    uint32_t state_;
};

// ---- Shapes -------------------------------------------------------------------

// Soft round light around (cx, cy).
void GlowSpot(Picture& p, double cx, double cy, double radius, Color c, double strength) {
    int x0 = static_cast<int>(cx - radius), x1 = static_cast<int>(cx + radius) + 1;
    int y0 = static_cast<int>(cy - radius), y1 = static_cast<int>(cy + radius) + 1;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy) / radius;
            if (d < 1) p.Glow(x, y, c, strength * (1 - d) * (1 - d));
        }
    }
}

// A rectangle with rounded corners, filled with its own antialiased edge.
void RoundedRect(Picture& p, double left, double top, double right, double bottom,
                 double radius, Color c, double alpha) {
    for (int y = static_cast<int>(top) - 1; y <= static_cast<int>(bottom) + 1; ++y) {
        for (int x = static_cast<int>(left) - 1; x <= static_cast<int>(right) + 1; ++x) {
            double px = x + 0.5, py = y + 0.5;
            double qx = std::max(std::max(left + radius - px, px - (right - radius)), 0.0);
            double qy = std::max(std::max(top + radius - py, py - (bottom - radius)), 0.0);
            double inside = Clamp01(radius - std::hypot(qx, qy) + 0.5);
            if (px < left - 0.5 || px > right + 0.5 || py < top - 0.5 || py > bottom + 0.5) {
                inside = 0;
            }
            p.Blend(x, y, c, alpha * inside);
        }
    }
}

void Line(Picture& p, double x0, double y0, double x1, double y1, Color c, double alpha) {
    int steps = static_cast<int>(std::max(std::fabs(x1 - x0), std::fabs(y1 - y0)) * 2) + 1;
    for (int i = 0; i <= steps; ++i) {
        double t = double(i) / steps;
        double x = x0 + (x1 - x0) * t, y = y0 + (y1 - y0) * t;
        int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
        double fx = x - ix, fy = y - iy;
        p.Glow(ix, iy, c, alpha * (1 - fx) * (1 - fy) * 0.5);
        p.Glow(ix + 1, iy, c, alpha * fx * (1 - fy) * 0.5);
        p.Glow(ix, iy + 1, c, alpha * (1 - fx) * fy * 0.5);
        p.Glow(ix + 1, iy + 1, c, alpha * fx * fy * 0.5);
    }
}

void Starfield(Picture& p, int bottom, int count, uint32_t seed) {
    Random random(seed);
    for (int i = 0; i < count; ++i) {
        double x = random.Range(0, p.Width());
        double y = random.Range(0, bottom);
        double size = random.Unit();
        size = size * size * size;  // mostly faint specks, a few bright stars
        Color tint = Mix(Rgb(1, 1, 1), Hue(random.Range(0.5, 0.75)), random.Range(0, 0.5));
        if (random.Unit() < 0.15) tint = Mix(Rgb(1, 1, 1), Rgb(1, 0.8, 0.5), 0.6);
        double fade = Clamp01(1.2 - y / bottom);  // stars fade into the horizon glow
        double bright = (0.25 + 0.75 * size) * fade;
        p.Glow(static_cast<int>(x), static_cast<int>(y), tint, bright);
        if (size > 0.35) {
            GlowSpot(p, x, y, 2 + 5 * size, tint, 0.5 * bright);
        }
        if (size > 0.7) {
            // A four-pointed sparkle.
            int arm = static_cast<int>(4 + 10 * size);
            for (int d = 1; d <= arm; ++d) {
                double k = bright * 0.8 * (1 - double(d) / (arm + 1));
                p.Glow(static_cast<int>(x) + d, static_cast<int>(y), tint, k);
                p.Glow(static_cast<int>(x) - d, static_cast<int>(y), tint, k);
                p.Glow(static_cast<int>(x), static_cast<int>(y) + d, tint, k);
                p.Glow(static_cast<int>(x), static_cast<int>(y) - d, tint, k);
            }
        }
    }
}

// ---- The disc -----------------------------------------------------------------

// The colour of a compact disc at (nx, ny), coordinates scaled so that the
// disc's rim is the unit circle, or false where the disc is not (outside the
// rim and in the hole).
bool DiscColor(double nx, double ny, Color* out) {
    const double r = std::hypot(nx, ny);
    if (r > 1.0 || r < 0.2) return false;
    const double a = std::atan2(ny, nx);
    if (r > 0.955) {
        // The rolled outer edge: dark, catching a little light at the top left.
        double light = 0.5 + 0.5 * std::cos(a + 2.3);
        *out = Mix(Hex(0x3A3F4A), Hex(0x9AA2B0), light * 0.7);
        return true;
    }
    if (r < 0.235) {
        // The thin metal lip around the hole.
        *out = Mix(Hex(0x8D96A6), Hex(0xE8ECF2), 0.5 + 0.5 * std::cos(a + 2.3));
        return true;
    }
    if (r < 0.36) {
        // The clear plastic hub, with its stacking ring.
        double ring = std::exp(-std::pow((r - 0.3) / 0.012, 2));
        Color hub = Mix(Hex(0x5D6778), Hex(0xAAB6C8), 0.5 + 0.5 * std::cos(a + 2.0));
        *out = Mix(hub, Hex(0xE6EEF8), 0.6 * ring);
        return true;
    }
    if (r < 0.385) {
        // The mirror band where the data starts.
        *out = Mix(Hex(0xC9D2DE), Hex(0xFFFFFF), 0.5 + 0.5 * std::cos(2 * a));
        return true;
    }
    // The data side: silver lit from the top left, two rainbow fans from the
    // tracks, a white glint and a faint pastel sheen.
    double shade = 0.74 + 0.18 * std::cos(2 * (a - 2.35)) + 0.08 * std::cos(a + 2.3);
    Color c = Scale(Hex(0xDCE2EC), shade);
    double fan = std::pow(std::max(0.0, std::cos(2 * (a - 0.55))), 2);
    Color rainbow = Spectrum(0.1 + (r - 0.38) * 0.95 + 0.03 * std::sin(a * 3));
    c = Mix(c, Mix(rainbow, Rgb(1, 1, 1), 0.12), 0.85 * fan);
    c = Mix(c, Mix(Spectrum(a / PI + r * 0.7), Rgb(1, 1, 1), 0.45), 0.12 * (1 - fan));
    double glint = std::pow(std::max(0.0, std::cos(2 * (a + 0.75))), 18);
    c = Mix(c, Rgb(1, 1, 1), 0.9 * glint * SmoothStep(0.38, 0.55, r));
    c = Scale(c, 1.0 + 0.025 * std::sin(r * 60));
    *out = c;
    return true;
}

// Draws a disc in the ellipse of the given centre and radii, blended smoothly
// into the picture (for decoration; the game's disc has a hard edge).
void SoftDisc(Picture& p, double cx, double cy, double rx, double ry, double tilt) {
    int x0 = static_cast<int>(cx - rx - 2), x1 = static_cast<int>(cx + rx + 2);
    int y0 = static_cast<int>(cy - ry - 2), y1 = static_cast<int>(cy + ry + 2);
    const double cs = std::cos(tilt), sn = std::sin(tilt);
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            Color sum;
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy) {
                for (int sx = 0; sx < 4; ++sx) {
                    double dx = x + (sx + 0.5) / 4 - cx, dy = y + (sy + 0.5) / 4 - cy;
                    double u = (dx * cs + dy * sn) / rx, v = (-dx * sn + dy * cs) / ry;
                    Color c;
                    if (DiscColor(u, v, &c)) {
                        sum = Add(sum, c);
                        ++hits;
                    }
                }
            }
            if (hits) p.Blend(x, y, Scale(sum, 1.0 / hits), hits / 16.0);
        }
    }
}

// The game's disc: 106 x 82, a disc seen a little from above, so it fills the
// collision box. Every pixel is either exactly magenta or a disc colour.
Picture DrawCd() {
    const Color magenta = Rgb(1, 0, 1);
    Picture p(106, 82, magenta);
    const double cx = 53, cy = 41, rx = 52.6, ry = 40.6;
    for (int y = 0; y < p.Height(); ++y) {
        for (int x = 0; x < p.Width(); ++x) {
            Color c;
            if (!DiscColor((x + 0.5 - cx) / rx, (y + 0.5 - cy) / ry, &c)) continue;
            // Keep well away from magenta, also once reduced to 16 bits a pixel.
            uint8_t r = ToByte(c.r), g = ToByte(c.g), b = ToByte(c.b);
            if (r >= 232 && g <= 24 && b >= 232) c.g = 48 / 255.0;
            p.Set(x, y, c);
        }
    }
    return p;
}

// ---- Text -----------------------------------------------------------------------

const int GLYPH_W = 5;
const int GLYPH_H = 7;

struct Glyph {
    char c;
    const char* rows[GLYPH_H];
};

// 5 x 7 capitals, digits and a little punctuation; '<' and '>' are arrows.
const Glyph FONT[] = {
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"}},
    {'H', {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'I', {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'J', {"..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."}},
    {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'N', {"#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."}},
    {'X', {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"}},
    {'Y', {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."}},
    {'Z', {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
    {' ', {".....", ".....", ".....", ".....", ".....", ".....", "....."}},
    {'.', {".....", ".....", ".....", ".....", ".....", ".##..", ".##.."}},
    {',', {".....", ".....", ".....", ".....", ".##..", "..#..", ".#..."}},
    {':', {".....", ".##..", ".##..", ".....", ".##..", ".##..", "....."}},
    {'!', {"..#..", "..#..", "..#..", "..#..", "..#..", ".....", "..#.."}},
    {'-', {".....", ".....", ".....", "#####", ".....", ".....", "....."}},
    {'+', {".....", "..#..", "..#..", "#####", "..#..", "..#..", "....."}},
    {'/', {"....#", "....#", "...#.", "..#..", ".#...", "#....", "#...."}},
    {'\'', {"..#..", "..#..", ".#...", ".....", ".....", ".....", "....."}},
    {'<', {".....", "..#..", ".##..", "#####", ".##..", "..#..", "....."}},
    {'>', {".....", "..#..", "..##.", "#####", "..##.", "..#..", "....."}},
};

const Glyph* FindGlyph(char c) {
    for (const Glyph& g : FONT) {
        if (g.c == c) return &g;
    }
    return nullptr;
}

// Text as coverage: the share of each pixel that the letters cover.
struct Mask {
    int width = 0;
    int height = 0;
    std::vector<float> cover;
    double Cover(int x, int y) const {
        return x >= 0 && y >= 0 && x < width && y < height ? cover[size_t(y) * width + x] : 0.0;
    }
    // Solid: at least half covered. Outlines and extrusions use this.
    bool At(int x, int y) const { return Cover(x, y) >= 0.5; }
};

int TextWidth(const std::string& text, int scale) {
    return text.empty() ? 0 : static_cast<int>(text.size()) * (GLYPH_W + 1) * scale - scale;
}

bool CellOn(const Glyph& g, int col, int row) {
    return col >= 0 && row >= 0 && col < GLYPH_W && row < GLYPH_H && g.rows[row][col] == '#';
}

// The share of a cell that a Gaussian of width SOFTNESS centred at `u` takes
// along one axis.
const double SOFTNESS = 0.32;
double CellWeight(double u, int cell) {
    const double k = 1.0 / (SOFTNESS * std::sqrt(2.0));
    return 0.5 * (std::erf((u - cell) * k) - std::erf((u - cell - 1) * k));
}

// Cells joined to a neighbour only through a corner (as along the arms of
// an X) are drawn as strokes between cell centres instead of as squares.
bool DiagonalLink(const Glyph& g, int col, int row, int dx, int dy) {
    return CellOn(g, col, row) && CellOn(g, col + dx, row + dy) && !CellOn(g, col + dx, row) &&
           !CellOn(g, col, row + dy);
}

bool SquareCell(const Glyph& g, int col, int row) {
    if (!CellOn(g, col, row)) return false;
    if (CellOn(g, col - 1, row) || CellOn(g, col + 1, row) || CellOn(g, col, row - 1) ||
        CellOn(g, col, row + 1)) {
        return true;
    }
    for (int dy = -1; dy <= 1; dy += 2) {
        for (int dx = -1; dx <= 1; dx += 2) {
            if (DiagonalLink(g, col, row, dx, dy)) return false;
        }
    }
    return true;
}

double SegmentDistance(double u, double v, double x0, double y0, double x1, double y1) {
    const double ex = x1 - x0, ey = y1 - y0;
    const double t = Clamp01(((u - x0) * ex + (v - y0) * ey) / (ex * ex + ey * ey));
    return std::hypot(u - (x0 + ex * t), v - (y0 + ey * t));
}

// Whether the point (u, v), in glyph cells, lies on the glyph. Square cells
// are softened and cut at half, which rounds their corners; diagonal links
// are strokes as thick as a cell, so slanted lines come out smooth.
bool GlyphCovers(const Glyph& g, double u, double v) {
    if (u < -1 || v < -1 || u >= GLYPH_W + 1 || v >= GLYPH_H + 1) return false;
    const int i = static_cast<int>(std::floor(u));
    const int j = static_cast<int>(std::floor(v));
    const double STROKE = 0.52;
    double sum = 0;
    for (int row = j - 1; row <= j + 1; ++row) {
        for (int col = i - 1; col <= i + 1; ++col) {
            if (SquareCell(g, col, row)) sum += CellWeight(u, col) * CellWeight(v, row);
            for (int dy = -1; dy <= 1; dy += 2) {
                if (DiagonalLink(g, col, row, 1, dy) &&
                    SegmentDistance(u, v, col + 0.5, row + 0.5, col + 1.5, row + dy + 0.5) <
                        STROKE) {
                    return true;
                }
            }
        }
    }
    return sum >= 0.5;
}

// `slant` leans the letters: each row moves right by slant x its height above
// the baseline. Unknown characters are drawn as blanks.
Mask TextMask(const std::string& text, int scale, double slant) {
    Mask m;
    const int lean = static_cast<int>(std::ceil(slant * GLYPH_H * scale));
    m.width = TextWidth(text, scale) + lean;
    m.height = GLYPH_H * scale;
    m.cover.assign(size_t(m.width) * m.height, 0.0f);
    const int SAMPLES = 4;
    for (size_t i = 0; i < text.size(); ++i) {
        const Glyph* g = FindGlyph(text[i]);
        if (!g) continue;
        const double left = static_cast<double>(i) * (GLYPH_W + 1) * scale;
        for (int y = 0; y < m.height; ++y) {
            for (int x = 0; x < m.width; ++x) {
                int hits = 0;
                for (int sy = 0; sy < SAMPLES; ++sy) {
                    const double py = y + (sy + 0.5) / SAMPLES;
                    const double shift = slant * (m.height - py);
                    for (int sx = 0; sx < SAMPLES; ++sx) {
                        const double px = x + (sx + 0.5) / SAMPLES;
                        hits += GlyphCovers(*g, (px - left - shift) / scale, py / scale);
                    }
                }
                float& c = m.cover[size_t(y) * m.width + x];
                c = std::min(1.0f, c + float(hits) / (SAMPLES * SAMPLES));
            }
        }
    }
    return m;
}

struct TextStyle {
    int scale = 2;
    double slant = 0;
    // Fill colours from the top of the letters to the bottom.
    Color top = Rgb(1, 1, 1);
    Color bottom = Rgb(1, 1, 1);
    // Optional chrome: a sharp horizon across the middle of the letters.
    bool chrome = false;
    int outline = 0;  // pixels of dark outline
    Color outlineColor = Rgb(0, 0, 0);
    int depth = 0;  // pixels of extrusion down and to the right
    Color depthColor = Rgb(0.1, 0.1, 0.2);
    int shadow = 0;  // offset of a soft shadow
    double glow = 0;  // strength of a coloured halo
    Color glowColor = Rgb(1, 0.3, 0.8);
};

Color TextFill(const TextStyle& s, double t) {
    if (!s.chrome) return Mix(s.top, s.bottom, t);
    // Sky above the horizon, ground below: the classic chrome lettering.
    if (t < 0.52) {
        return Mix(Hex(0x1B3A8A), Hex(0xEAF6FF), SmoothStep(0.0, 0.5, t));
    }
    double u = (t - 0.52) / 0.48;
    Color ground = Mix(Hex(0x3A1A40), Hex(0xFF9A3C), SmoothStep(0.0, 0.75, u));
    return Mix(ground, Hex(0xFFE9A8), SmoothStep(0.75, 1.0, u));
}

// Draws text with its top-left corner at (x, y).
void DrawText(Picture& p, const std::string& text, int x, int y, const TextStyle& s) {
    Mask m = TextMask(text, s.scale, s.slant);
    if (s.glow > 0) {
        const int reach = s.scale * 2;
        for (int my = 0; my < m.height; my += 1) {
            for (int mx = 0; mx < m.width; mx += 1) {
                if (!m.At(mx, my)) continue;
                // Sampling every third pixel keeps the halo soft and fast.
                if ((mx + my) % 3) continue;
                GlowSpot(p, x + mx + 0.5, y + my + 0.5, reach, s.glowColor, s.glow * 0.025);
            }
        }
    }
    if (s.shadow > 0) {
        for (int my = 0; my < m.height; ++my) {
            for (int mx = 0; mx < m.width; ++mx) {
                p.Blend(x + mx + s.shadow, y + my + s.shadow, Rgb(0, 0, 0), 0.55 * m.Cover(mx, my));
            }
        }
    }
    for (int d = s.depth; d >= 1; --d) {
        Color c = Scale(s.depthColor, 0.6 + 0.4 * (1 - double(d) / (s.depth + 1)));
        for (int my = 0; my < m.height; ++my) {
            for (int mx = 0; mx < m.width; ++mx) {
                p.Blend(x + mx + d, y + my + d, c, m.Cover(mx, my));
            }
        }
    }
    if (s.outline > 0) {
        const int o = s.outline;
        for (int my = -o; my < m.height + o; ++my) {
            for (int mx = -o; mx < m.width + o; ++mx) {
                if (m.At(mx, my)) continue;
                bool near = false;
                for (int dy = -o; dy <= o && !near; ++dy) {
                    for (int dx = -o; dx <= o && !near; ++dx) {
                        near = dx * dx + dy * dy <= o * o + o && m.At(mx + dx, my + dy);
                    }
                }
                if (near) p.Set(x + mx, y + my, s.outlineColor);
            }
        }
    }
    for (int my = 0; my < m.height; ++my) {
        double t = (my + 0.5) / m.height;
        Color fill = TextFill(s, t);
        for (int mx = 0; mx < m.width; ++mx) {
            double cover = m.Cover(mx, my);
            if (cover <= 0) continue;
            Color c = fill;
            // A bevel: lit top edges, shaded bottom edges.
            if (!m.At(mx, my - 1)) c = Mix(c, Rgb(1, 1, 1), 0.3);
            else if (!m.At(mx, my + 1)) c = Scale(c, 0.75);
            p.Blend(x + mx, y + my, c, cover);
        }
    }
}

void DrawCentered(Picture& p, const std::string& text, int y, const TextStyle& s) {
    int w = TextWidth(text, s.scale) + static_cast<int>(s.slant * GLYPH_H * s.scale);
    DrawText(p, text, (p.Width() - w) / 2, y, s);
}

// ---- Backgrounds ----------------------------------------------------------------

// Deep space over a glowing horizon at `horizon`, with stars.
void SpaceBackground(Picture& p, int horizon, uint32_t seed) {
    for (int y = 0; y < p.Height(); ++y) {
        double t = double(y) / horizon;
        Color c;
        if (t < 0.55) {
            c = Mix(Hex(0x03030E), Hex(0x120A33), t / 0.55);
        } else if (t <= 1.0) {
            c = Mix(Hex(0x120A33), Hex(0x6A1B6E), std::pow((t - 0.55) / 0.45, 1.6));
        } else {
            c = Hex(0x07030F);
        }
        for (int x = 0; x < p.Width(); ++x) p.Set(x, y, c);
    }
    // A faint nebula.
    Random random(seed ^ 0x9E3779B9u);
    for (int i = 0; i < 14; ++i) {
        double cx = random.Range(0, p.Width()), cy = random.Range(20, horizon * 0.8);
        Color c = Mix(Hex(0x3B1E8C), Hex(0x1E6FA8), random.Unit());
        GlowSpot(p, cx, cy, random.Range(60, 150), c, 0.12);
    }
    Starfield(p, horizon, 260, seed);
}

// A striped sunset sun sinking into the horizon.
void Sun(Picture& p, double cx, double horizon, double radius) {
    GlowSpot(p, cx, horizon - radius * 0.4, radius * 2.2, Hex(0xFF3C8E), 0.35);
    for (int y = static_cast<int>(horizon - radius) - 1; y < horizon; ++y) {
        double t = (y - (horizon - radius)) / radius;  // 0 at the top, 1 at the horizon
        // Gaps that widen towards the bottom.
        double band = Fract((horizon - y) / (radius * 0.16));
        double gap = SmoothStep(0.35, 1.0, t) * 0.55;
        if (band < gap) continue;
        Color c = Mix(Hex(0xFFF07A), Hex(0xFF2E88), SmoothStep(0.0, 1.0, t));
        for (int x = static_cast<int>(cx - radius) - 1; x <= cx + radius + 1; ++x) {
            double d = std::hypot(x + 0.5 - cx, y + 0.5 - horizon);
            p.Blend(x, y, c, Clamp01(radius - d + 0.5));
        }
    }
}

// A neon grid running to the horizon.
void GridFloor(Picture& p, int horizon) {
    const Color line = Hex(0xFF3FD2);
    const Color line2 = Hex(0x38E1FF);
    const double cx = p.Width() / 2.0;
    for (int y = horizon; y < p.Height(); ++y) {
        double t = double(y - horizon) / (p.Height() - horizon);
        Color c = Mix(Hex(0x1A0730), Hex(0x060212), t);
        for (int x = 0; x < p.Width(); ++x) p.Set(x, y, c);
    }
    // Lines across, closer together towards the horizon.
    for (int i = 1; i < 16; ++i) {
        double z = 1.0 / (i * 0.35);
        double y = horizon + (p.Height() - horizon) * (z / (z + 1.2)) * 1.05;
        if (y >= p.Height()) continue;
        double k = Clamp01(double(y - horizon) / (p.Height() - horizon) * 1.6);
        Line(p, 0, y, p.Width(), y, line, 0.5 + 0.9 * k);
        Line(p, 0, y + 1, p.Width(), y + 1, line, 0.25 * k);
    }
    // Lines towards the vanishing point.
    for (int i = -14; i <= 14; ++i) {
        double xb = cx + i * 70.0;
        Line(p, cx + i * 6.0, horizon, xb, p.Height(), i % 2 ? line : line2, 0.8);
    }
    // The horizon itself.
    for (int x = 0; x < p.Width(); ++x) {
        p.Glow(x, horizon, Hex(0xFF8AE8), 0.9);
        p.Glow(x, horizon - 1, Hex(0xFF3FD2), 0.35);
        p.Glow(x, horizon + 1, Hex(0xFF3FD2), 0.35);
    }
}

// The player's cannon as the game draws it, at `x` on a floor at `bottom`.
void Cannon(Picture& p, int x, int bottom) {
    RoundedRect(p, x, bottom - 20, x + 100, bottom, 2, Hex(0xC8C8C8), 1);
    RoundedRect(p, x + 2, bottom - 18, x + 98, bottom - 2, 1, Hex(0xB4B4B4), 1);
    RoundedRect(p, x + 20, bottom - 40, x + 80, bottom - 20, 2, Hex(0xC8C8C8), 1);
    RoundedRect(p, x + 22, bottom - 38, x + 78, bottom - 22, 1, Hex(0xFFFFFF), 1);
    RoundedRect(p, x + 35, bottom - 60, x + 65, bottom - 40, 1, Hex(0x0000FF), 1);
}

// A flickering shot, as in the game.
void Shot(Picture& p, double cx, double cy) {
    GlowSpot(p, cx, cy, 26, Hex(0x66FFEA), 0.5);
    for (int y = static_cast<int>(cy) - 13; y <= cy + 13; ++y) {
        for (int x = static_cast<int>(cx) - 13; x <= cx + 13; ++x) {
            double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
            Color c = d > 10 ? Hex(0xE04AFF) : Mix(Hex(0xFFFFB0), Hex(0x46E0A0), d / 10);
            p.Blend(x, y, c, Clamp01(12.5 - d));
        }
    }
}

// A falling disc with a motion streak above it.
void FallingDisc(Picture& p, double cx, double cy, double size, double tilt) {
    for (int i = 0; i < 40; ++i) {
        double k = 1 - i / 40.0;
        GlowSpot(p, cx, cy - size * 0.6 - i * size * 0.05, size * 0.55 * k,
                 Hex(0x6B7CFF), 0.05 * k);
    }
    SoftDisc(p, cx, cy, size, size * 0.77, tilt);
}

// ---- The three pictures -----------------------------------------------------

// The slanted chrome "VEXAR" with its magenta extrusion and glow, centred, its
// top at `top`: big on the intro picture, smaller on the start picture.
void ChromeTitle(Picture& p, int top, int scale, int outline, int depth, double glow) {
    TextStyle title;
    title.scale = scale;
    title.slant = 0.18;
    title.chrome = true;
    title.outline = outline;
    title.outlineColor = Hex(0x0B0620);
    title.depth = depth;
    title.depthColor = Hex(0xB0207A);
    title.glow = glow;
    title.glowColor = Hex(0xFF2FB0);
    DrawCentered(p, "VEXAR", top, title);
}

Picture DrawIntro() {
    Picture p(640, 480);
    const int horizon = 330;
    SpaceBackground(p, horizon, 0x1234567u);
    Sun(p, 320, horizon, 120);
    GridFloor(p, horizon);

    FallingDisc(p, 92, 82, 38, 0.3);
    FallingDisc(p, 585, 282, 24, -0.4);
    FallingDisc(p, 470, 42, 18, 0.1);
    FallingDisc(p, 58, 262, 22, -0.2);

    // The cannon on the grid firing at the disc above it.
    Cannon(p, 420, 470);
    Shot(p, 470, 360);
    Shot(p, 470, 300);

    ChromeTitle(p, 112, 18, 3, 8, 1.2);

    TextStyle tagline;
    tagline.scale = 3;
    tagline.top = Hex(0xBFF7FF);
    tagline.bottom = Hex(0x38D5FF);
    tagline.outline = 2;
    tagline.outlineColor = Hex(0x08061A);
    tagline.glow = 0.8;
    tagline.glowColor = Hex(0x2AB8FF);
    DrawCentered(p, "THE DISCS ARE FALLING", 262, tagline);

    TextStyle small;
    small.scale = 2;
    small.top = Hex(0xFFD0F4);
    small.bottom = Hex(0xFF7AD9);
    small.outline = 1;
    small.outlineColor = Hex(0x08061A);
    DrawText(p, "ARCADE EDITION", 12, 456, small);
    return p;
}

// An arrow pointing left (direction -1) or right (1), centred on (cx, cy).
void Arrow(Picture& p, double cx, double cy, int direction, Color c) {
    for (int y = static_cast<int>(cy) - 10; y <= cy + 10; ++y) {
        for (int x = static_cast<int>(cx) - 12; x <= cx + 12; ++x) {
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy) {
                for (int sx = 0; sx < 4; ++sx) {
                    double u = (x + (sx + 0.5) / 4 - cx) * direction;
                    double v = std::fabs(y + (sy + 0.5) / 4 - cy);
                    bool head = u >= 0 && u <= 9 && v <= 9 - u;
                    bool shaft = u >= -9 && u < 1 && v <= 2.5;
                    hits += head || shaft;
                }
            }
            p.Blend(x, y, c, hits / 16.0);
        }
    }
}

// A key cap with a label, its top-left corner at (x, y).
void KeyCap(Picture& p, int x, int y, int width, const std::string& label) {
    const int height = 34;
    RoundedRect(p, x + 2, y + 4, x + width + 2, y + height + 4, 6, Rgb(0, 0, 0), 0.6);
    RoundedRect(p, x, y, x + width, y + height, 6, Hex(0x5B6478), 1);
    RoundedRect(p, x + 3, y + 2, x + width - 3, y + height - 7, 5, Hex(0xE4E9F2), 1);
    RoundedRect(p, x + 5, y + 4, x + width - 5, y + height - 11, 4, Hex(0xF6F8FC), 1);
    const Color ink = Hex(0x262C3A);
    if (label == "<" || label == ">") {
        Arrow(p, x + width / 2.0, y + 14.0, label == "<" ? -1 : 1, ink);
        return;
    }
    TextStyle s;
    s.scale = 2;
    s.top = ink;
    s.bottom = ink;
    int tw = TextWidth(label, 2);
    DrawText(p, label, x + (width - tw) / 2, y + 6, s);
}

Picture DrawStart() {
    Picture p(640, 480);
    SpaceBackground(p, 480, 0x7654321u);
    GridFloor(p, 440);

    ChromeTitle(p, 18, 8, 2, 4, 0.8);

    // The panel behind the controls.
    RoundedRect(p, 38, 92, 602, 424, 14, Hex(0x2AB8FF), 0.55);
    RoundedRect(p, 41, 95, 599, 421, 12, Hex(0x0A0820), 0.86);

    TextStyle heading;
    heading.scale = 3;
    heading.top = Hex(0xFFF3A0);
    heading.bottom = Hex(0xFFB23C);
    heading.outline = 1;
    heading.outlineColor = Hex(0x000000);
    DrawCentered(p, "CONTROLS", 108, heading);

    TextStyle label;
    label.scale = 3;
    label.top = Hex(0xE8FBFF);
    label.bottom = Hex(0x7FDCFF);
    label.shadow = 2;

    const int keysX = 80;
    const int textX = 300;
    KeyCap(p, keysX, 146, 48, "<");
    KeyCap(p, keysX + 58, 146, 48, ">");
    DrawText(p, "MOVE", textX, 152, label);
    KeyCap(p, keysX, 194, 190, "SPACE");
    DrawText(p, "FIRE", textX, 200, label);
    KeyCap(p, keysX, 242, 106, "ENTER");
    DrawText(p, "START", textX, 248, label);
    KeyCap(p, keysX, 290, 70, "ESC");
    DrawText(p, "QUIT", textX, 296, label);

    TextStyle rule;
    rule.scale = 2;
    rule.top = Hex(0xFFD0F4);
    rule.bottom = Hex(0xFF8ADF);
    DrawText(p, "SHOOT A DISC: +3 POINTS", 80, 346, rule);
    DrawText(p, "EVERY DISC THAT LANDS COSTS A LIFE", 80, 366, rule);
    DrawText(p, "DESTROY OVER 20 FOR A PRICE CUT!", 80, 386, rule);

    SoftDisc(p, 520, 200, 44, 34, 0.15);

    TextStyle prompt;
    prompt.scale = 3;
    prompt.top = Hex(0xFFFFFF);
    prompt.bottom = Hex(0xFFE25A);
    prompt.outline = 2;
    prompt.outlineColor = Hex(0x1A0730);
    prompt.glow = 1.0;
    prompt.glowColor = Hex(0xFFB030);
    DrawCentered(p, "PRESS ENTER TO START", 442, prompt);
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '\0') {
        std::fprintf(stderr, "usage: make_pictures OUTPUT_DIR\n");
        return 2;
    }
    std::string dir = argv[1];
    if (dir.back() != '/') dir += '/';
    struct Output {
        const char* name;
        Picture picture;
    } outputs[] = {
        {"intro.bmp", DrawIntro()},
        {"start.bmp", DrawStart()},
        {"cd.bmp", DrawCd()},
    };
    for (const Output& out : outputs) {
        std::string path = dir + out.name;
        if (!out.picture.WriteBmp(path)) {
            std::fprintf(stderr, "make_pictures: cannot write %s: %s\n", path.c_str(),
                         std::strerror(errno));
            return 1;
        }
    }
    return 0;
}
