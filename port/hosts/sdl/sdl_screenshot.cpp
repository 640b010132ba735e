#include "port/hosts/sdl/sdl_screenshot.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <vector>

#include "port/hosts/host_core.h"
#include "port/hosts/sdl/sdl_present.h"
#include "port/hosts/window_settings.h"
#include "port/src/core.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace port {
namespace sdl {
namespace {

// XDG_PICTURES_DIR from user-dirs.dirs: "$HOME/..." or an absolute path in
// double quotes, as xdg-user-dirs writes it.
std::string UserDirsPictures(const std::string& home) {
    const std::string config = Env("XDG_CONFIG_HOME");
    const std::string dirs = (config.empty() || config[0] != '/' ? home + "/.config" : config) + "/user-dirs.dirs";
    std::ifstream file(dirs);
    const std::string key = "XDG_PICTURES_DIR=\"";
    std::string line;
    while (std::getline(file, line)) {
        if (line.compare(0, key.size(), key) != 0) continue;
        const size_t end = line.find('"', key.size());
        if (end == std::string::npos) return "";
        std::string value = line.substr(key.size(), end - key.size());
        if (value.compare(0, 5, "$HOME") == 0) value = home + value.substr(5);
        // Set to the home folder itself, the pictures folder is switched off.
        if (value.empty() || value[0] != '/' || value == home || value == home + "/") return "";
        return value;
    }
    return "";
}

bool MakeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0755);
    return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

void Append(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
}

bool WriteWhole(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (written && closed) return true;
    const int error = errno;
    unlink(path.c_str());
    errno = error ? error : EIO;
    return false;
}

}  // namespace

std::string ScreenshotFolder() {
    const std::string forced = Env("XDG_PICTURES_DIR");
    if (!forced.empty() && forced[0] == '/') return forced + "/VEXAR";
    const std::string home = Env("HOME");
    if (!home.empty() && home[0] == '/') {
        const std::string pictures = UserDirsPictures(home);
        return (pictures.empty() ? home + "/Pictures" : pictures) + "/VEXAR";
    }
    return ConfigFolder();
}

std::string SaveScreenshot(const std::string& folder, const void* pixels, int width, int height,
                           int pitch, int bits) {
    if (folder.empty()) {
        std::fprintf(stderr, "vexar: no screenshot: neither HOME nor XDG_PICTURES_DIR names a folder\n");
        return "";
    }
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    if (SDL_ConvertPixels(width, height, SdlFormatOfDepth(bits), pixels, pitch, SDL_PIXELFORMAT_RGB24,
                          rgb.data(), width * 3) != 0) {
        std::fprintf(stderr, "vexar: no screenshot: %s\n", SDL_GetError());
        return "";
    }
    std::string png;
    if (!stbi_write_png_to_func(Append, &png, width, height, 3, rgb.data(), width * 3)) {
        std::fprintf(stderr, "vexar: no screenshot: the PNG could not be made\n");
        return "";
    }
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm local;
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "vexar-%Y-%m-%d-%H%M%S", &local);
    const std::string part = folder + "/." + stamp + ".png.part";
    if (!MakeFolders(folder) || !WriteWhole(part, png)) {
        std::fprintf(stderr, "vexar: cannot save a screenshot in %s (%s)\n", folder.c_str(), std::strerror(errno));
        return "";
    }
    // A link, unlike a rename, never takes the place of a file already there.
    for (int counter = 1; counter < 1000; ++counter) {
        const std::string path =
            folder + "/" + stamp + (counter > 1 ? "-" + std::to_string(counter) : "") + ".png";
        if (link(part.c_str(), path.c_str()) == 0) {
            unlink(part.c_str());
            return path;
        }
        // A file system without hard links (FAT on a stick): a rename to a free name.
        struct stat info;
        if ((errno == EPERM || errno == EOPNOTSUPP) && stat(path.c_str(), &info) != 0 &&
            rename(part.c_str(), path.c_str()) == 0)
            return path;
        if (errno != EEXIST) break;
    }
    std::fprintf(stderr, "vexar: cannot save a screenshot in %s (%s)\n", folder.c_str(), std::strerror(errno));
    unlink(part.c_str());
    return "";
}

bool Screenshots::TakeKey(const SDL_KeyboardEvent& key) {
    if (key.keysym.scancode != SDL_SCANCODE_F12) return false;
    if (key.type == SDL_KEYDOWN && !key.repeat) wanted_ = true;
    return true;
}

void Screenshots::Shown(const void* pixels, int width, int height, int pitch, int bits) {
    if (!wanted_ || !FrameIsShowable(pixels, width, height, pitch, bits)) return;
    wanted_ = false;
    SaveScreenshot(ScreenshotFolder(), pixels, width, height, pitch, bits);
}

}  // namespace sdl
}  // namespace port
