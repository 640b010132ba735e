#include "port/hosts/sdl/sdl_controller_db.h"

#include <SDL.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>

#include "port/hosts/window_settings.h"

namespace port {
namespace sdl {
namespace {

constexpr const char* kFileName = "gamecontrollerdb.txt";
constexpr off_t kLargestFile = 16 << 20;  // the community's whole file is about half a megabyte

}  // namespace

bool AddControllerMappings(const std::string& path, MappingCount* count) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return false;
    if (!S_ISREG(info.st_mode) || info.st_size > kLargestFile) {
        std::fprintf(stderr, "vexar: ignoring %s: not a regular file of at most 16 MB\n", path.c_str());
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "vexar: cannot read %s\n", path.c_str());
        return false;
    }
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        if (SDL_GameControllerAddMapping(line.c_str() + start) < 0) ++count->skipped;
        else ++count->read;
    }
    return true;
}

void ReadControllerMappings() {
    const std::string config = ConfigFolder();
    for (const std::string& path : {std::string(kFileName), config.empty() ? "" : config + "/" + kFileName}) {
        MappingCount count;
        if (path.empty() || !AddControllerMappings(path, &count)) continue;
        std::fprintf(stderr, "vexar: %d controller mappings from %s", count.read, path.c_str());
        if (count.skipped) std::fprintf(stderr, ", %d bad lines skipped", count.skipped);
        std::fprintf(stderr, "\n");
    }
}

}  // namespace sdl
}  // namespace port
