// xprobe: waits until the X screen shows what an end-to-end test expects.
//
//   xprobe TIMEOUT_SECONDS [--save FILE.ppm] [--picture X,Y,W,H | --window TITLE]
//          [--scale aspect|integer|stretch] CONDITION...
//
// Polls the root window about a hundred times a second until every condition
// holds, then saves that screenshot (if asked) and exits 0; exits 1 with the
// conditions that still failed once the timeout passes. Conditions:
//   bmp:FILE              the screen equals a 24-bit BMP file drawn at (0, 0)
//   px:X,Y=RRGGBB         the pixel at (X, Y) has that colour
//   has:X,Y,W,H=RRGGBB    some pixel in the box has that colour
//   nothas:X,Y,W,H=RRGGBB no pixel in the box has that colour
//   notblack:X,Y,W,H      some pixel in the box is not black
//   black:X,Y,W,H         every pixel in the box is black
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

// The pictures the screen is compared with: 24-bit BMP files, 8192 pixels a side at most.
bool ReadBmp(const std::string& path, Image* picture) {
    std::string error;
    return bmp::Read24(path, 8192, picture, &error);
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
    if (c->kind == "bmp") return ReadBmp(rest, &c->picture);
    unsigned color = 0;
    if (c->kind == "px") return std::sscanf(rest.c_str(), "%d,%d=%x", &c->x, &c->y, &color) == 3 &&
                                (c->color = color, true);
    if (c->kind == "has" || c->kind == "nothas")
        return std::sscanf(rest.c_str(), "%d,%d,%d,%d=%x", &c->x, &c->y, &c->w, &c->h, &color) ==
                   5 &&
               (c->color = color, true);
    if (c->kind == "notblack" || c->kind == "black")
        return std::sscanf(rest.c_str(), "%d,%d,%d,%d", &c->x, &c->y, &c->w, &c->h) == 4;
    return false;
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
    if (argc < 3) {
        std::fprintf(stderr, "usage: xprobe TIMEOUT_SECONDS [--save FILE.ppm] [--picture X,Y,W,H] CONDITION...\n");
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
