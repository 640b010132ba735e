// Which display the game opens on: $VEXAR_DISPLAY for one run, else the one
// it was on last time (by the display's name where the system gives it one
// that no other display has, by its number otherwise), else the first.
#pragma once

#include <SDL.h>

#include <string>
#include <vector>

#include "port/hosts/window_settings.h"

namespace port {
namespace sdl {

// The display among `names` (one a display, in SDL's order) for a
// remembered name and number; `forced` (-1: none) wins. A display that is
// gone gives the first. No SDL here.
int PickDisplay(const std::vector<std::string>& names, const WindowSettings& remembered, int forced);

class Displays {
public:
    // Reads $VEXAR_DISPLAY (a bad one says so in one line and is left out)
    // and gives the display to open on.
    int Choose(const WindowSettings& remembered);
    // Notes in `settings` the display `window` is on, $VEXAR_DISPLAY's too:
    // the next start is on the display the game was last on.
    static void Remember(SDL_Window* window, WindowSettings* settings);

private:
    bool said_ = false;  // a bad $VEXAR_DISPLAY is said once a run
};

}  // namespace sdl
}  // namespace port
