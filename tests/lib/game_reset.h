// What the game's tests and the benchmark do to run the game more than once
// in one process: give back what a run held, and make again what the port's
// reset forgets.
#pragma once

#include "framework/engine.h"
#include "game/game_main.h"
#include "game/game_over_scene.h"
#include "game/play_scene.h"

template <typename T>
void ReleaseInterface(T*& pointer) {
    if (pointer) pointer->Release();
    pointer = nullptr;
}

// Releases the display and the devices, as the exit destructors would.
inline void ReleaseDisplayAndDevices() {
    ReleaseInterface(engine.display.backBuffer);
    ReleaseInterface(engine.display.primary);
    ReleaseInterface(engine.display.directDraw);
    if (engine.keyboard) engine.keyboard->Unacquire();
    ReleaseInterface(engine.keyboard);
    ReleaseInterface(engine.directInput);
    ReleaseInterface(engine.directSound);
}

// Makes the game's fonts again, as they are made at load.
inline void RemakeGameFonts() {
    HudFont = MakeFont("Arial", 14);
    TitleFont = MakeFont("Arial", 100);
    StatsFont = MakeFont("Arial", 15);
}
