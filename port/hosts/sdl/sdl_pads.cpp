#include "port/hosts/sdl/sdl_pads.h"

#include <cstdio>

#include "port/hosts/sdl/sdl_controller_db.h"

namespace port {
namespace sdl {

void Pads::Open() {
    if (tried_) return;
    tried_ = true;
    ReadControllerMappings();  // before SDL announces the pads already plugged in
    // Already connected pads come as SDL_CONTROLLERDEVICEADDED events.
    open_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
}

void Pads::Close() {
    for (const Pad& pad : pads_) SDL_GameControllerClose(pad.controller);
    pads_.clear();
    mapping_ = PadMapping();
    if (open_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    open_ = false;
    tried_ = false;
}

void Pads::Update(const Pad& pad, uint64_t now, KeySources* keys, std::vector<KeySources::Change>* out) {
    static const struct {
        SDL_GameControllerButton button;
        uint32_t bit;
    } kButtons[] = {
        {SDL_CONTROLLER_BUTTON_A, kPadSouth},         {SDL_CONTROLLER_BUTTON_B, kPadEast},
        {SDL_CONTROLLER_BUTTON_BACK, kPadBack},       {SDL_CONTROLLER_BUTTON_START, kPadStart},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, kPadLeft},  {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, kPadRight},
    };
    PadState state;
    for (const auto& b : kButtons)
        if (SDL_GameControllerGetButton(pad.controller, b.button)) state.buttons |= b.bit;
    state.stickX = SDL_GameControllerGetAxis(pad.controller, SDL_CONTROLLER_AXIS_LEFTX) / 32767.0;
    mapping_.Update(Source(pad.id), state, now, keys, out);
}

bool Pads::Take(const SDL_Event& e, uint64_t now, KeySources* keys, std::vector<KeySources::Change>* out) {
    switch (e.type) {
    case SDL_JOYDEVICEADDED:
        if (!SDL_IsGameController(e.jdevice.which)) {
            const char* name = SDL_JoystickNameForIndex(e.jdevice.which);
            std::fprintf(stderr, "vexar: ignoring the joystick '%s': SDL has no controller mapping for it\n",
                         name ? name : "?");
        }
        return true;
    case SDL_CONTROLLERDEVICEADDED: {
        SDL_GameController* controller = SDL_GameControllerOpen(e.cdevice.which);
        if (!controller) return true;
        const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
        for (const Pad& pad : pads_)
            if (pad.id == id) {  // announced twice
                SDL_GameControllerClose(controller);
                return true;
            }
        pads_.push_back({controller, id});
        Update(pads_.back(), now, keys, out);
        return true;
    }
    case SDL_CONTROLLERDEVICEREMOVED:
        for (size_t i = 0; i < pads_.size(); ++i) {
            if (pads_[i].id != e.cdevice.which) continue;
            mapping_.Remove(Source(pads_[i].id), keys, out);
            SDL_GameControllerClose(pads_[i].controller);
            pads_.erase(pads_.begin() + static_cast<long>(i));
            break;
        }
        return true;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
    case SDL_CONTROLLERAXISMOTION:
        for (const Pad& pad : pads_)
            if (pad.id == e.cbutton.which) Update(pad, now, keys, out);
        return true;
    default:
        return false;
    }
}

void Pads::Tick(uint64_t now, KeySources* keys, std::vector<KeySources::Change>* out) {
    if (NextDeadline() > now) return;
    for (const Pad& pad : pads_) Update(pad, now, keys, out);
}

}  // namespace sdl
}  // namespace port
