// Draws the game's pictures, and the desktop's icon in the sizes a menu asks for.
//   make_pictures OUTPUT_DIR           intro.bmp, start.bmp, cd.bmp (24-bit BMP)
//   make_pictures --icons OUTPUT_DIR   vexar-32.png, -64, -128, -256 (RGBA PNG),
//                                      and vexar.ico (16 to 256) for Windows,
//                                      vexar-192.png and -512 for the web app,
//                                      vexar-64.rgba.inc for the window's icon
// Every picture is drawn from scratch with a fixed seed, so every run writes
// the same files.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "kit/image_files.h"
#include "pictures/pictures.h"

namespace {

bool Written(bool ok, const std::string& path) {
    if (!ok) {
        std::fprintf(stderr, "make_pictures: cannot write %s: %s\n", path.c_str(),
                     std::strerror(errno));
    }
    return ok;
}

bool WritePictures(const std::string& dir) {
    return Written(WriteBmp(DrawIntro(), dir + "intro.bmp"), dir + "intro.bmp") &&
           Written(WriteBmp(DrawStart(), dir + "start.bmp"), dir + "start.bmp") &&
           Written(WriteBmp(DrawCd(), dir + "cd.bmp"), dir + "cd.bmp");
}

// Each pixel made a `factor` x `factor` square.
Picture Enlarge(const Picture& p, int factor) {
    Picture big(p.Width() * factor, p.Height() * factor);
    for (int y = 0; y < big.Height(); ++y) {
        for (int x = 0; x < big.Width(); ++x) {
            big.Set(x, y, p.Get(x / factor, y / factor));
            big.SetOpacity(x, y, p.Opacity(x / factor, y / factor));
        }
    }
    return big;
}

// The sizes a web app manifest asks for: 512 doubled, 192 as three quarters.
bool WriteWebIcons(const Picture& icon, const std::string& dir) {
    const Picture sizes[] = {Shrink(Enlarge(icon, 3), 4), Enlarge(icon, 2)};
    for (const Picture& size : sizes) {
        const std::string path = dir + "vexar-" + std::to_string(size.Width()) + ".png";
        if (!Written(WritePng(size, path), path)) return false;
    }
    return true;
}

// The icon is drawn once, at 256 x 256, and shrunk by halves down to 16 x 16.
bool WriteIcons(const std::string& dir) {
    const Picture icon = DrawIcon();
    std::vector<Picture> sizes;
    for (int factor = 1; icon.Width() / factor >= 16; factor *= 2) {
        sizes.push_back(Shrink(icon, factor));
    }
    for (const Picture& size : sizes) {
        if (size.Width() < 32) continue;
        const std::string path = dir + "vexar-" + std::to_string(size.Width()) + ".png";
        if (!Written(WritePng(size, path), path)) return false;
        if (size.Width() != 64) continue;
        const std::string list = dir + "vexar-64.rgba.inc";
        if (!Written(WriteRgbaList(size, list), list)) return false;
    }
    if (!Written(WriteIco(sizes, dir + "vexar.ico"), dir + "vexar.ico")) return false;
    return WriteWebIcons(icon, dir);
}

}  // namespace

int main(int argc, char** argv) {
    const bool icons = argc == 3 && std::strcmp(argv[1], "--icons") == 0;
    if (!(argc == 2 || icons) || argv[argc - 1][0] == '\0') {
        std::fprintf(stderr, "usage: make_pictures [--icons] OUTPUT_DIR\n");
        return 2;
    }
    std::string dir = argv[argc - 1];
    if (dir.back() != '/') dir += '/';
    return (icons ? WriteIcons(dir) : WritePictures(dir)) ? 0 : 1;
}
