// What the game's tests and the benchmark do to run the game more than once
// in one process: give back what a run held, and make again what the port's
// reset forgets.
#pragma once

#include "framework/engine.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/game_main.h"
#include "game/game_over_scene.h"
#include "game/intro_scene.h"
#include "game/object_pool.h"
#include "game/play_scene.h"
#include "game/player_cannon.h"
#include "port/control.h"

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

// Releases the sprites' surfaces, the display and the devices, as the exit
// destructors would, so that the port can be reset under them.
inline void ReleaseGame() {
    for (Sprite* sprite : {&objectPool.cdSprite, &introScene.startSprite, &introScene.introSprite}) {
        sprite->Release();
        *sprite = Sprite();
    }
    ReleaseDisplayAndDevices();
}

// The fonts the game made at load and what it asked for, read on the first
// call, which must come before a reset of the port forgets them.
struct GameFont {
    HFONT* font;
    std::string face;
    int height;
};
inline const std::vector<GameFont>& GameFonts() {
    static const std::vector<GameFont> fonts = [] {
        std::vector<GameFont> made;
        for (HFONT* font : {&HudFont, &TitleFont, &StatsFont}) {
            made.push_back({font, "", 0});
            if (!port::FontRequest(*font, &made.back().face, &made.back().height)) {
                std::fprintf(stderr, "the game's fonts were forgotten before they were read\n");
                std::abort();
            }
        }
        return made;
    }();
    return fonts;
}

// Puts the game objects back as the start-up of the program leaves them
// before GameMain runs, each as its class makes it, after releasing whatever
// a run made.
inline void ResetGame() {
    GameFonts();
    ReleaseGame();
    engine = Engine();
    introScene = IntroScene();
    playScene = PlayScene();
    gameOverScene = GameOverScene();
    gameStats = GameStats();
    objectPool = ObjectPool();
    playerCannon = PlayerCannon();
}

// Makes the game's fonts again, as they were made at load.
inline void RemakeGameFonts() {
    for (const GameFont& f : GameFonts()) *f.font = MakeFont(f.face.c_str(), f.height);
}
