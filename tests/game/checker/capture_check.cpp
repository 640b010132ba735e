// capture_check: reads 24-bit BMP files (the game's pictures and the frames
// the headless host captures) and answers the scripts' questions about them.
//
//   capture_check size FILE                  prints "WIDTH HEIGHT"
//   capture_check px FILE X Y                prints the pixel as RRGGBB
//   capture_check same FILE OTHER            exits 0 when both hold the same pixels
//   capture_check count FILE X Y W H RRGGBB  prints how many pixels of the box have the colour
//   capture_check notblack FILE X Y W H      prints how many pixels of the box are not black
//   capture_check first FILE Y RRGGBB        prints the first x of row Y with the colour, or -1
//   capture_check find FILE SPRITE           prints "X Y" wherever every pixel of SPRITE
//                                            that is not magenta (FF00FF) matches the file
//   capture_check fringe FILE                prints how many pixels are nearly magenta
//                                            without being magenta
//
// A file that cannot be read, or bad arguments, give exit code 2 and a message.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../../lib/bmp_reader.h"

namespace {

using bmp::Image;

[[noreturn]] void Fail(const std::string& message) {
    std::fprintf(stderr, "capture_check: %s\n", message.c_str());
    std::exit(2);
}

Image Read(const std::string& path) {
    Image image;
    std::string error;
    if (!bmp::Read24(path, 16384, &image, &error)) Fail(error);
    return image;
}

int Number(const char* text) {
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < -100000 || v > 100000) Fail(std::string("not a number: ") + text);
    return static_cast<int>(v);
}

uint32_t Color(const char* text) {
    char* end = nullptr;
    unsigned long v = std::strtoul(text, &end, 16);
    if (!*text || *end || v > 0xFFFFFF) Fail(std::string("not a colour: ") + text);
    return static_cast<uint32_t>(v);
}

// Counts the pixels of the box, clipped to the image, that satisfy `test`.
template <typename Test>
int CountBox(const Image& image, int x, int y, int w, int h, Test test) {
    int count = 0;
    for (int j = std::max(y, 0); j < std::min(y + h, image.height); ++j)
        for (int i = std::max(x, 0); i < std::min(x + w, image.width); ++i) count += test(image.At(i, j));
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) Fail("usage: capture_check COMMAND FILE ...");
    const std::string command = argv[1];
    auto need = [argc](int n) {
        if (argc != n) Fail("wrong number of arguments");
    };
    const Image image = Read(argv[2]);
    if (command == "size") {
        need(3);
        std::printf("%d %d\n", image.width, image.height);
    } else if (command == "px") {
        need(5);
        int x = Number(argv[3]), y = Number(argv[4]);
        if (x < 0 || y < 0 || x >= image.width || y >= image.height) Fail("pixel outside the image");
        std::printf("%06X\n", image.At(x, y));
    } else if (command == "same") {
        need(4);
        const Image other = Read(argv[3]);
        return other.width == image.width && other.height == image.height && other.rgb == image.rgb
                   ? 0
                   : 1;
    } else if (command == "count") {
        need(8);
        const uint32_t c = Color(argv[7]);
        std::printf("%d\n", CountBox(image, Number(argv[3]), Number(argv[4]), Number(argv[5]),
                                     Number(argv[6]), [c](uint32_t p) { return p == c; }));
    } else if (command == "notblack") {
        need(7);
        std::printf("%d\n", CountBox(image, Number(argv[3]), Number(argv[4]), Number(argv[5]),
                                     Number(argv[6]), [](uint32_t p) { return p != 0; }));
    } else if (command == "first") {
        need(5);
        const int y = Number(argv[3]);
        const uint32_t c = Color(argv[4]);
        if (y < 0 || y >= image.height) Fail("row outside the image");
        int found = -1;
        for (int x = 0; x < image.width && found < 0; ++x)
            if (image.At(x, y) == c) found = x;
        std::printf("%d\n", found);
    } else if (command == "find") {
        need(4);
        const Image sprite = Read(argv[3]);
        struct Opaque {
            int x, y;
            uint32_t c;
        };
        std::vector<Opaque> opaque;
        for (int y = 0; y < sprite.height; ++y)
            for (int x = 0; x < sprite.width; ++x)
                if (sprite.At(x, y) != 0xFF00FF) opaque.push_back({x, y, sprite.At(x, y)});
        if (opaque.empty()) Fail("the sprite is all magenta");
        for (int y = 0; y + sprite.height <= image.height; ++y) {
            for (int x = 0; x + sprite.width <= image.width; ++x) {
                bool match = true;
                for (size_t i = 0; i < opaque.size() && match; ++i)
                    match = image.At(x + opaque[i].x, y + opaque[i].y) == opaque[i].c;
                if (match) std::printf("%d %d\n", x, y);
            }
        }
    } else if (command == "fringe") {
        need(3);
        std::printf("%d\n", CountBox(image, 0, 0, image.width, image.height, [](uint32_t p) {
                        const uint32_t r = p >> 16, g = (p >> 8) & 0xFF, b = p & 0xFF;
                        return p != 0xFF00FF && r >= 200 && g <= 60 && b >= 200;
                    }));
    } else {
        Fail("unknown command " + command);
    }
    return 0;
}
