#include "kit/color.h"

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

Color Spectrum(double t) { return Hue(0.76 * (1 - std::fabs(2 * Fract(t) - 1))); }
