#include "port/hosts/window_settings.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace port {
namespace {

constexpr size_t kLargestFile = 4096;

std::string Trim(const std::string& text) {
    const char* space = " \t\r";
    size_t begin = text.find_first_not_of(space);
    if (begin == std::string::npos) return "";
    return text.substr(begin, text.find_last_not_of(space) - begin + 1);
}

bool ParseNumber(const std::string& text, int low, int high, int* value) {
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    int number = std::atoi(text.c_str());
    if (number < low || number > high) return false;
    *value = number;
    return true;
}

bool ParseLine(const std::string& key, const std::string& value, WindowSettings* s) {
    int number = 0;
    if (key == "fullscreen") {
        if (value != "0" && value != "1") return false;
        s->fullScreen = value == "1";
        return true;
    }
    if (key == "display") {
        if (!ParseNumber(value, 0, kMostDisplays - 1, &number)) return false;
        s->display = number;
        return true;
    }
    if (key == "display_name") {
        if (value.size() > kLongestDisplayName) return false;
        for (unsigned char c : value)
            if (c < 0x20 || c == 0x7f) return false;
        s->displayName = value;
        return true;
    }
    if (!ParseNumber(value, kSmallestWindow, kLargestWindow, &number)) return false;
    if (key == "width") s->width = number;
    else if (key == "height") s->height = number;
    else return false;
    return true;
}

bool MakeFolder(const std::string& path) {
    return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

}  // namespace

bool ParseWindowSettings(const std::string& text, WindowSettings* settings, std::string* error) {
    WindowSettings read = *settings;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        line = Trim(line);
        if (line.empty() || line[0] == '#') continue;
        size_t equals = line.find('=');
        std::string key = equals == std::string::npos ? line : Trim(line.substr(0, equals));
        std::string value = equals == std::string::npos ? "" : Trim(line.substr(equals + 1));
        if (equals == std::string::npos || !ParseLine(key, value, &read)) {
            *error = "line " + std::to_string(number) + " is not fullscreen=0|1, width=N or height=N (" +
                     std::to_string(kSmallestWindow) + ".." + std::to_string(kLargestWindow) +
                     "), display=N (0.." + std::to_string(kMostDisplays - 1) + ") or display_name=NAME";
            return false;
        }
    }
    *settings = read;
    return true;
}

std::string FormatWindowSettings(const WindowSettings& s) {
    return "# VEXAR's window, written when the game ends\nfullscreen=" +
           std::string(s.fullScreen ? "1" : "0") + "\nwidth=" + std::to_string(s.width) +
           "\nheight=" + std::to_string(s.height) + "\n" +
           (s.display >= 0 ? "display=" + std::to_string(s.display) + "\n" : "") +
           (s.displayName.empty() ? "" : "display_name=" + s.displayName + "\n");
}

std::string ConfigFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') return std::string(config) + "/vexar";
    const char* home = std::getenv("HOME");
    if (home && home[0]) return std::string(home) + "/.config/vexar";
    return "";
}

std::string WindowSettingsPath() {
    const std::string folder = ConfigFolder();
    return folder.empty() ? "" : folder + "/window.conf";
}

WindowSettings LoadWindowSettings(const std::string& path) {
    WindowSettings settings;
    if (path.empty()) return settings;
    struct stat info;
    if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        std::fprintf(stderr, "vexar: ignoring %s: not a regular file\n", path.c_str());
        return settings;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (errno != ENOENT)
            std::fprintf(stderr, "vexar: cannot read %s (%s); using the defaults\n", path.c_str(),
                         std::strerror(errno));
        return settings;
    }
    std::string text(kLargestFile + 1, '\0');
    file.read(&text[0], static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(file.gcount()));
    std::string error = text.size() > kLargestFile ? "longer than 4096 bytes" : "";
    if (error.empty() && file.bad()) error = "unreadable";
    if (error.empty()) ParseWindowSettings(text, &settings, &error);
    if (!error.empty())
        std::fprintf(stderr, "vexar: ignoring %s: %s\n", path.c_str(), error.c_str());
    return settings;
}

void SaveWindowSettings(const std::string& path, const WindowSettings& settings) {
    if (path.empty()) return;
    // Every folder on the way to the file.
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        MakeFolder(path.substr(0, slash));
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << FormatWindowSettings(settings);
    file.close();
    if (!file) std::fprintf(stderr, "vexar: cannot write %s\n", path.c_str());
}

WindowPlace FitWindow(int width, int height, const WindowPlace& usable) {
    const auto fit = [](int size, int room) {
        if (size > room) size = room;
        return size < kSmallestWindow ? kSmallestWindow : size;
    };
    WindowPlace place;
    place.width = fit(width, usable.width);
    place.height = fit(height, usable.height);
    place.x = usable.x + (usable.width - place.width) / 2;
    place.y = usable.y + (usable.height - place.height) / 2;
    return place;
}

}  // namespace port
