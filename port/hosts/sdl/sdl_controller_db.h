// Controller mappings of the player's own: gamecontrollerdb.txt, the
// community's format (one SDL mapping a line), read before any pad is opened
// so that a pad SDL does not know plays as soon as it is plugged in.
#pragma once

#include <string>

namespace port {
namespace sdl {

struct MappingCount {
    int read = 0;     // lines SDL took (another platform's among them)
    int skipped = 0;  // lines SDL refused
};

// Hands every line of the file at `path` to SDL; a missing file reads nothing.
// False when there is no file to read.
bool AddControllerMappings(const std::string& path, MappingCount* count);

// The data folder's gamecontrollerdb.txt (the current directory, beside the
// pictures), then the configuration folder's, whose lines win: one line on
// stderr for each file found, with its counts.
void ReadControllerMappings();

}  // namespace sdl
}  // namespace port
