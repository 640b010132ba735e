// xprobe: the one pixel checker of the shell tests. It checks conditions on
// the X screen, polled until they hold, or once on a BMP file (a frame the
// headless host captured, or one of the game's pictures).
//
//   xprobe TIMEOUT_SECONDS [--save FILE.ppm] [--picture X,Y,W,H | --window TITLE]
//          [--scale aspect|integer|stretch] CONDITION...
//   xprobe --file FILE.bmp CONDITION...
//   xprobe --file FILE.bmp --measure MEASURE
//
// On the screen: polls the root window about a hundred times a second until
// every condition holds, then saves that screenshot (if asked) and exits 0;
// exits 1 with the conditions that still failed once the timeout passes. On
// a file: exits 0 when every condition holds, 1 with the failed ones. Bad
// arguments or a file that cannot be read: exit code 2 and a message.
// Conditions (the browser tests' tests/web/lib/probe.js reads the same words):
//   bmp:FILE              the screen shows a 24-bit BMP file drawn at (0, 0);
//                         a file is that picture, of its size, exactly
//   px:X,Y=RRGGBB         the pixel at (X, Y) has that colour
//   has:X,Y,W,H=RRGGBB    some pixel in the box has that colour
//   nothas:X,Y,W,H=RRGGBB no pixel in the box has that colour
//   notblack:X,Y,W,H      some pixel in the box is not black
//   black:X,Y,W,H         every pixel in the box is black
//   sprite:FILE           somewhere are the BMP's pixels but its magenta (FF00FF)
// Measures, printed for a file:
//   size                  "WIDTH HEIGHT"
//   px:X,Y                the pixel as RRGGBB
//   has:X,Y,W,H=RRGGBB    how many pixels of the box have the colour
//   notblack:X,Y,W,H      how many pixels of the box are not black
//   first:Y=RRGGBB        the first x of row Y with the colour, or -1
//   sprite:FILE           "X Y" for every place where the sprite is drawn
//   fringe                how many pixels are nearly magenta without being magenta
// Coordinates are the game's 640 x 480. With --picture the game's picture is
// scaled into that rectangle of the screen; with --window it is wherever the
// window of that title shows it, by the scaling mode (default aspect), found
// again at every look. A pixel is looked for at the centre of its scaled
// place (in a bmp: it or a neighbour), a box over the screen pixels wholly inside it.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "../../lib/bmp_reader.h"
#include "port/hosts/picture_fit.h"

namespace {

using bmp::Image;

bool Grab(Display* display, Image* screen) {
    Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, root, &attributes)) return false;
    XImage* image = XGetImage(display, root, 0, 0, attributes.width, attributes.height, AllPlanes,
                              ZPixmap);
    if (!image) return false;
    screen->width = attributes.width;
    screen->height = attributes.height;
    screen->rgb.resize(static_cast<size_t>(screen->width) * screen->height);
    for (int y = 0; y < screen->height; ++y)
        for (int x = 0; x < screen->width; ++x)
            screen->rgb[static_cast<size_t>(y) * screen->width + x] =
                XGetPixel(image, x, y) & 0xFFFFFF;
    XDestroyImage(image);
    return true;
}

// The pictures and frames: 24-bit BMP files, 16384 pixels a side at most.
bool ReadBmp(const std::string& path, Image* picture) {
    std::string error;
    if (bmp::Read24(path, 16384, picture, &error)) return true;
    std::fprintf(stderr, "xprobe: %s\n", error.c_str());
    return false;
}

constexpr int kGameWidth = 640, kGameHeight = 480;

// Where the game's picture is on the screen; 1:1 at (0, 0) unless told.
struct Placement {
    int x = 0, y = 0, w = kGameWidth, h = kGameHeight;
    int X(int gameX) const { return x + static_cast<int>((2LL * gameX + 1) * w / (2 * kGameWidth)); }
    int Y(int gameY) const { return y + static_cast<int>((2LL * gameY + 1) * h / (2 * kGameHeight)); }
    // The first screen column whose whole width lies at or right of gameX.
    int Left(int gameX) const { return x + static_cast<int>((1LL * gameX * w + kGameWidth - 1) / kGameWidth); }
    int Top(int gameY) const { return y + static_cast<int>((1LL * gameY * h + kGameHeight - 1) / kGameHeight); }
    int Right(int gameX) const { return x + static_cast<int>(1LL * gameX * w / kGameWidth); }
    int Bottom(int gameY) const { return y + static_cast<int>(1LL * gameY * h / kGameHeight); }
};
Placement placement;
std::string windowTitle;
port::ScaleMode scaleMode = port::ScaleMode::Aspect;
bool onFile = false;  // a BMP file rather than the screen

// The window of that title, searched for a few levels down (a window
// manager puts a frame around it).
Window FindWindow(Display* display, Window parent, int depth) {
    Window root, up, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, parent, &root, &up, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name) {
            if (windowTitle == name) found = children[i];
            XFree(name);
        }
        if (!found && depth > 0) found = FindWindow(display, children[i], depth - 1);
    }
    if (children) XFree(children);
    return found;
}

// Places the picture in the window's client area, as the game does.
bool PlaceInWindow(Display* display) {
    Window root = DefaultRootWindow(display);
    Window window = FindWindow(display, root, 3), child;
    XWindowAttributes a;
    int x = 0, y = 0;
    if (!window || !XGetWindowAttributes(display, window, &a) ||
        !XTranslateCoordinates(display, window, root, 0, 0, &x, &y, &child))
        return false;
    port::PictureRect r = port::FitPicture(scaleMode, kGameWidth, kGameHeight, a.width, a.height);
    if (r.w <= 0 || r.h <= 0) return false;
    placement = {x + r.x, y + r.y, r.w, r.h};
    return true;
}

struct Condition {
    std::string text;
    std::string kind;
    int x = 0, y = 0, w = 1, h = 1;
    uint32_t color = 0;
    Image picture;
};

bool Parse(const std::string& text, Condition* c) {
    c->text = text;
    size_t colon = text.find(':');
    if (colon == std::string::npos) return false;
    c->kind = text.substr(0, colon);
    std::string rest = text.substr(colon + 1);
    if (c->kind == "bmp" || c->kind == "sprite") return ReadBmp(rest, &c->picture);
    unsigned color = 0;
    int end = -1;
    // The whole text read, nothing left over.
    auto all = [&rest, &end] { return end == static_cast<int>(rest.size()); };
    if (c->kind == "px") return std::sscanf(rest.c_str(), "%d,%d=%x%n", &c->x, &c->y, &color, &end) == 3 &&
                                all() && color <= 0xFFFFFF && (c->color = color, true);
    if (c->kind == "has" || c->kind == "nothas")
        return std::sscanf(rest.c_str(), "%d,%d,%d,%d=%x%n", &c->x, &c->y, &c->w, &c->h, &color, &end) ==
                   5 &&
               all() && color <= 0xFFFFFF && (c->color = color, true);
    if (c->kind == "notblack" || c->kind == "black")
        return std::sscanf(rest.c_str(), "%d,%d,%d,%d%n", &c->x, &c->y, &c->w, &c->h, &end) == 4 && all();
    return false;
}

// A measure: a condition's words without the colour where it counts or reads
// one (px:X,Y), or size, or fringe.
bool ParseMeasure(const std::string& text, Condition* c) {
    if (text == "size" || text == "fringe") {
        c->text = c->kind = text;
        return true;
    }
    if (text.rfind("px:", 0) == 0) return Parse(text + "=0", c) && (c->text = text, true);
    if (text.rfind("first:", 0) == 0) {
        unsigned color = 0;
        int end = -1;
        c->text = text;
        c->kind = "first";
        return std::sscanf(text.c_str(), "first:%d=%x%n", &c->y, &color, &end) == 2 &&
               end == static_cast<int>(text.size()) && color <= 0xFFFFFF && (c->color = color, true);
    }
    return text.rfind("nothas:", 0) != 0 && text.rfind("black:", 0) != 0 && text.rfind("bmp:", 0) != 0 &&
           Parse(text, c);
}

// Every place where the sprite's pixels but its magenta are drawn, top-left
// corners row by row; only the first when `all` is false.
std::vector<std::pair<int, int>> FindSprite(const Image& s, const Image& sprite, bool all) {
    struct Opaque {
        int x, y;
        uint32_t c;
    };
    std::vector<Opaque> opaque;
    for (int y = 0; y < sprite.height; ++y)
        for (int x = 0; x < sprite.width; ++x)
            if (sprite.At(x, y) != 0xFF00FF) opaque.push_back({x, y, sprite.At(x, y)});
    std::vector<std::pair<int, int>> found;
    if (opaque.empty()) return found;
    for (int y = 0; y + sprite.height <= s.height; ++y)
        for (int x = 0; x + sprite.width <= s.width; ++x) {
            bool match = true;
            for (size_t i = 0; i < opaque.size() && match; ++i)
                match = s.At(x + opaque[i].x, y + opaque[i].y) == opaque[i].c;
            if (match) {
                found.emplace_back(x, y);
                if (!all) return found;
            }
        }
    return found;
}

// Whether a screen pixel shows the picture's pixel (x, y). Scaled, a
// neighbour counts too: scalers round the edges of pixels differently.
bool Shows(const Image& picture, int x, int y, uint32_t screen) {
    if (screen == picture.At(x, y)) return true;
    if (placement.w == kGameWidth && placement.h == kGameHeight) return false;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if (nx >= 0 && ny >= 0 && nx < picture.width && ny < picture.height && picture.At(nx, ny) == screen)
                return true;
        }
    return false;
}

bool Inside(const Image& s, int x, int y) { return x >= 0 && y >= 0 && x < s.width && y < s.height; }

bool BoxHas(const Image& s, const Condition& c, bool (*test)(uint32_t, uint32_t)) {
    const Placement& p = placement;
    const int right = std::max(p.Right(c.x + c.w), p.Left(c.x) + 1);
    const int bottom = std::max(p.Bottom(c.y + c.h), p.Top(c.y) + 1);
    for (int y = p.Top(c.y); y < bottom; ++y)
        for (int x = p.Left(c.x); x < right; ++x)
            if (Inside(s, x, y) && test(s.At(x, y), c.color)) return true;
    return false;
}

bool Holds(const Image& s, const Condition& c) {
    const Placement& p = placement;
    if (c.kind == "sprite") return !FindSprite(s, c.picture, false).empty();
    if (c.kind == "bmp" && onFile) return s.width == c.picture.width && s.height == c.picture.height && s.rgb == c.picture.rgb;
    if (c.kind == "bmp") {
        for (int y = 0; y < c.picture.height; ++y)
            for (int x = 0; x < c.picture.width; ++x)
                if (!Inside(s, p.X(x), p.Y(y)) || !Shows(c.picture, x, y, s.At(p.X(x), p.Y(y)))) return false;
        return true;
    }
    if (c.kind == "px")
        return Inside(s, p.X(c.x), p.Y(c.y)) && s.At(p.X(c.x), p.Y(c.y)) == c.color;
    auto same = [](uint32_t p, uint32_t color) { return p == color; };
    auto notBlack = [](uint32_t p, uint32_t) { return p != 0; };
    if (c.kind == "has") return BoxHas(s, c, same);
    if (c.kind == "nothas") return !BoxHas(s, c, same);
    if (c.kind == "black") return !BoxHas(s, c, notBlack);
    return BoxHas(s, c, notBlack);
}

// Counts the pixels of the box, clipped to the image, that pass `test`.
template <typename Test>
int CountBox(const Image& s, int x, int y, int w, int h, Test test) {
    int count = 0;
    for (int j = std::max(y, 0); j < std::min(y + h, s.height); ++j)
        for (int i = std::max(x, 0); i < std::min(x + w, s.width); ++i) count += test(s.At(i, j));
    return count;
}

// Prints the measure of a file; false when it asks for a pixel outside.
bool Measure(const Image& s, const Condition& c) {
    if (c.kind == "size") {
        std::printf("%d %d\n", s.width, s.height);
    } else if (c.kind == "px") {
        if (!Inside(s, c.x, c.y)) return false;
        std::printf("%06X\n", s.At(c.x, c.y));
    } else if (c.kind == "has") {
        std::printf("%d\n", CountBox(s, c.x, c.y, c.w, c.h, [&c](uint32_t p) { return p == c.color; }));
    } else if (c.kind == "notblack") {
        std::printf("%d\n", CountBox(s, c.x, c.y, c.w, c.h, [](uint32_t p) { return p != 0; }));
    } else if (c.kind == "first") {
        if (c.y < 0 || c.y >= s.height) return false;
        int found = -1;
        for (int x = 0; x < s.width && found < 0; ++x)
            if (s.At(x, c.y) == c.color) found = x;
        std::printf("%d\n", found);
    } else if (c.kind == "sprite") {
        for (const auto& [x, y] : FindSprite(s, c.picture, true)) std::printf("%d %d\n", x, y);
    } else {  // fringe
        std::printf("%d\n", CountBox(s, 0, 0, s.width, s.height, [](uint32_t p) {
                        const uint32_t r = p >> 16, g = (p >> 8) & 0xFF, b = p & 0xFF;
                        return p != 0xFF00FF && r >= 200 && g <= 60 && b >= 200;
                    }));
    }
    return true;
}

// The file mode: xprobe --file FILE.bmp (CONDITION... | --measure MEASURE).
int OnFile(int argc, char** argv) {
    onFile = true;
    Image image;
    if (argc < 4 || !ReadBmp(argv[2], &image)) {
        if (argc < 4) std::fprintf(stderr, "usage: xprobe --file FILE.bmp (CONDITION... | --measure MEASURE)\n");
        return 2;
    }
    if (std::strcmp(argv[3], "--measure") == 0) {
        Condition c;
        if (argc != 5 || !ParseMeasure(argv[4], &c)) {
            std::fprintf(stderr, "xprobe: cannot measure %s\n", argc > 4 ? argv[4] : "nothing");
            return 2;
        }
        if (Measure(image, c)) return 0;
        std::fprintf(stderr, "xprobe: %s is outside the %dx%d picture\n", c.text.c_str(), image.width, image.height);
        return 2;
    }
    std::vector<Condition> conditions(argc - 3);
    for (int i = 3; i < argc; ++i)
        if (!Parse(argv[i], &conditions[i - 3])) {
            std::fprintf(stderr, "xprobe: cannot use the condition %s\n", argv[i]);
            return 2;
        }
    int failed = 0;
    for (const Condition& c : conditions)
        if (!Holds(image, c)) {
            std::fprintf(stderr, "xprobe: not met in %s: %s\n", argv[2], c.text.c_str());
            ++failed;
        }
    return failed ? 1 : 0;
}

bool SavePpm(const Image& s, const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    std::fprintf(file, "P6\n%d %d\n255\n", s.width, s.height);
    for (uint32_t p : s.rgb) {
        uint8_t rgb[3] = {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)};
        std::fwrite(rgb, 1, 3, file);
    }
    return std::fclose(file) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--file") == 0) return OnFile(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: xprobe TIMEOUT_SECONDS [--save FILE.ppm] [--picture X,Y,W,H] CONDITION...\n"
                             "       xprobe --file FILE.bmp (CONDITION... | --measure MEASURE)\n");
        return 2;
    }
    double timeout = std::atof(argv[1]);
    std::string savePath;
    std::vector<Condition> conditions;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--save") == 0 && i + 1 < argc) {
            savePath = argv[++i];
            continue;
        }
        if (std::strcmp(argv[i], "--window") == 0 && i + 1 < argc) {
            windowTitle = argv[++i];
            continue;
        }
        if (std::strcmp(argv[i], "--scale") == 0 && i + 1 < argc) {
            if (!port::ParseScaleMode(argv[++i], &scaleMode)) {
                std::fprintf(stderr, "xprobe: --scale wants aspect, integer or stretch, not %s\n", argv[i]);
                return 2;
            }
            continue;
        }
        if (std::strcmp(argv[i], "--picture") == 0 && i + 1 < argc) {
            Placement& p = placement;
            if (std::sscanf(argv[++i], "%d,%d,%d,%d", &p.x, &p.y, &p.w, &p.h) != 4 || p.w <= 0 || p.h <= 0) {
                std::fprintf(stderr, "xprobe: --picture wants X,Y,W,H, not %s\n", argv[i]);
                return 2;
            }
            continue;
        }
        Condition c;
        if (!Parse(argv[i], &c)) {
            std::fprintf(stderr, "xprobe: cannot use the condition %s\n", argv[i]);
            return 2;
        }
        conditions.push_back(std::move(c));
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "xprobe: cannot open the display\n");
        return 2;
    }
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
    Image screen;
    std::vector<std::string> failing;
    while (true) {
        failing.clear();
        const bool placed = windowTitle.empty() || PlaceInWindow(display);
        if (!placed) failing.push_back("a window titled " + windowTitle);
        if (placed && Grab(display, &screen))
            for (const Condition& c : conditions)
                if (!Holds(screen, c)) failing.push_back(c.text);
        if (failing.empty() && !screen.rgb.empty()) break;
        if (std::chrono::steady_clock::now() >= end) {
            for (const std::string& text : failing) std::fprintf(stderr, "xprobe: not met: %s\n", text.c_str());
            if (!savePath.empty()) SavePpm(screen, savePath);
            XCloseDisplay(display);
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    XCloseDisplay(display);
    if (!savePath.empty() && !SavePpm(screen, savePath)) {
        std::fprintf(stderr, "xprobe: cannot write %s\n", savePath.c_str());
        return 1;
    }
    return 0;
}
