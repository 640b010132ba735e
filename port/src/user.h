// What the window manager tells the rest of the port.
#pragma once

#include "port/include/windows.h"

namespace port {

// Called when the game's window gains (true) or loses (false) the foreground,
// before WM_ACTIVATEAPP reaches the window procedure. DirectDraw loses its
// surfaces and DirectInput unacquires its devices here.
using ActivationListener = void (*)(bool active);
void AddActivationListener(ActivationListener listener);

// Whether the game's window is in the foreground now.
bool AppActive();

// The game's window, or null before it is created and after it is destroyed.
HWND GameWindow();

}  // namespace port
