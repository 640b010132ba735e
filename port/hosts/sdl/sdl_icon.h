// The game's own icon on its window, for task bars and window switchers.
#pragma once

#include <SDL.h>

namespace port {

// Sets the icon the build drew (64 x 64); on any failure the window keeps
// the desktop's default icon, and nothing is said.
void SetGameIcon(SDL_Window* window);

}  // namespace port
