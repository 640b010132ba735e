// A picture being drawn: a grid of colours with an opacity each (1 unless a
// picture cuts itself a shape, as the icon does), and the fixed-seed random
// numbers the pictures use, so every run draws the same.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "kit/color.h"

class Picture {
public:
    Picture(int width, int height, Color fill = Color{})
        : width_(width),
          height_(height),
          pixels_(static_cast<size_t>(width) * height, fill),
          opacity_(pixels_.size(), 1.0) {}

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
    double Opacity(int x, int y) const { return opacity_[Index(x, y)]; }
    void SetOpacity(int x, int y, double alpha) {
        if (Inside(x, y)) opacity_[Index(x, y)] = Clamp01(alpha);
    }

private:
    size_t Index(int x, int y) const { return static_cast<size_t>(y) * width_ + x; }

    int width_;
    int height_;
    std::vector<Color> pixels_;
    std::vector<double> opacity_;
};

// The picture made `factor` times smaller, each pixel the average of the
// square it stands for (weighted by opacity, so clear pixels lend no colour).
Picture Shrink(const Picture& p, int factor);

// A small fixed-seed generator (xorshift).
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
