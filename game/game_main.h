// The game's global objects, its window procedure and its per-frame dispatch.
#pragma once

#include "framework/platform.h"
#include "game/component.h"

class Engine;
class IntroScene;
class PlayScene;
class GameOverScene;
class ObjectPool;
class PlayerCannon;

// Defined in game_main.cpp and built in this order: the engine before the
// objects that hold sprites, so their surfaces are released first at exit.
extern Engine engine;
extern IntroScene introScene;
extern PlayScene playScene;
extern GameOverScene gameOverScene;
extern GameStats gameStats;
extern ObjectPool objectPool;
extern PlayerCannon playerCannon;

// Start-up, then the frame loop; returns the process exit code.
int GameMain(HINSTANCE instance, LPSTR commandLine);
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Takes the frame's tick, then runs the objects of `scene`.
void FrameCallback(int scene);
