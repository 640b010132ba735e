#include "kit/disc.h"
#include "pictures/pictures.h"

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
