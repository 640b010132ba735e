#include "kit/font.h"

#include <algorithm>
#include <cmath>

#include "kit/color.h"

namespace {

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

}  // namespace

int TextWidth(const std::string& text, int scale) {
    return text.empty() ? 0 : static_cast<int>(text.size()) * (GLYPH_W + 1) * scale - scale;
}

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
