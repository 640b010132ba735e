// Game controllers through SDL's game controller subsystem (its own mapping
// database, $SDL_GAMECONTROLLERCONFIG, which SDL reads itself, and the
// player's gamecontrollerdb.txt). Each pad
// is a key source of its own; a pad pulled out lets go of its keys.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "port/hosts/key_sources.h"
#include "port/hosts/pad_mapping.h"

namespace port {
namespace sdl {

class Pads {
public:
    // Opens the subsystem once; without it the keyboard plays alone, silently.
    void Open();
    void Close();
    // A controller event: true when it was one (its key changes go to `out`).
    bool Take(const SDL_Event& e, uint64_t now, KeySources* keys, std::vector<KeySources::Change>* out);
    // Held Back buttons that have turned into Escape by `now`.
    void Tick(uint64_t now, KeySources* keys, std::vector<KeySources::Change>* out);
    uint64_t NextDeadline() const { return mapping_.NextDeadline(); }

private:
    struct Pad {
        SDL_GameController* controller;
        SDL_JoystickID id;
    };
    void Update(const Pad& pad, uint64_t now, KeySources* keys, std::vector<KeySources::Change>* out);
    static int Source(SDL_JoystickID id) { return shared::kFirstPadSource + static_cast<int>(id); }

    bool tried_ = false;
    bool open_ = false;
    std::vector<Pad> pads_;
    PadMapping mapping_;
};

}  // namespace sdl
}  // namespace port
