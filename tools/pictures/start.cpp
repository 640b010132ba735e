// The controls: the keys with what they do, the scoring rules, and the prompt.
#include <cmath>
#include <string>

#include "kit/disc.h"
#include "kit/font.h"
#include "kit/shapes.h"
#include "kit/text.h"
#include "pictures/pictures.h"
#include "pictures/scenery.h"

namespace {

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
    const TextStyle s = TextStyle::Filled(2, ink, ink);
    int tw = TextWidth(label, 2);
    DrawText(p, label, x + (width - tw) / 2, y + 6, s);
}

}  // namespace

Picture DrawStart() {
    Picture p(640, 480);
    SpaceBackground(p, 480, 0x7654321u);
    GridFloor(p, 440);

    ChromeTitle(p, 18, 8, 2, 4, 0.8);

    // The panel behind the controls.
    RoundedRect(p, 38, 92, 602, 424, 14, Hex(0x2AB8FF), 0.55);
    RoundedRect(p, 41, 95, 599, 421, 12, Hex(0x0A0820), 0.86);

    const TextStyle heading = TextStyle::Filled(3, Hex(0xFFF3A0), Hex(0xFFB23C)).Outlined(1, Hex(0x000000));
    DrawCentered(p, "CONTROLS", 108, heading);

    const TextStyle label = TextStyle::Filled(3, Hex(0xE8FBFF), Hex(0x7FDCFF)).Shadowed(2);

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

    const TextStyle rule = TextStyle::Filled(2, Hex(0xFFD0F4), Hex(0xFF8ADF));
    DrawText(p, "SHOOT A DISC: +3 POINTS", 80, 346, rule);
    DrawText(p, "EVERY DISC THAT LANDS COSTS A LIFE", 80, 366, rule);
    DrawText(p, "DESTROY OVER 20 FOR A PRICE CUT!", 80, 386, rule);

    SoftDisc(p, 520, 200, 44, 34, 0.15);

    const TextStyle prompt = TextStyle::Filled(3, Hex(0xFFFFFF), Hex(0xFFE25A))
                                 .Outlined(2, Hex(0x1A0730))
                                 .Glowing(1.0, Hex(0xFFB030));
    DrawCentered(p, "PRESS ENTER TO START", 442, prompt);
    return p;
}
