// Colours as three channels of 0..1, and the arithmetic the pictures use on them.
#pragma once

#include <cmath>
#include <cstdint>

const double PI = 3.14159265358979323846;

struct Color {
    double r = 0, g = 0, b = 0;
};

inline Color Rgb(double r, double g, double b) { return Color{r, g, b}; }
inline Color Hex(uint32_t rgb) {
    return Rgb(((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
}
inline Color Mix(Color a, Color b, double t) {
    return Rgb(a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t);
}
inline Color Scale(Color c, double k) { return Rgb(c.r * k, c.g * k, c.b * k); }
inline Color Add(Color a, Color b) { return Rgb(a.r + b.r, a.g + b.g, a.b + b.b); }
inline double Clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline double Fract(double v) { return v - std::floor(v); }
inline double SmoothStep(double e0, double e1, double v) {
    double t = Clamp01((v - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}
inline uint8_t ToByte(double v) { return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.0)); }

// A fully saturated colour of the given hue, 0..1 around the wheel.
Color Hue(double h);

// The colours of light split by the tracks of a disc: red to violet and back,
// never through magenta, which is not in a spectrum.
Color Spectrum(double t);
