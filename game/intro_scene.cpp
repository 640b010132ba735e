#include "framework/engine.h"

#include "game/game_main.h"
#include "game/intro_scene.h"

namespace {
const int KEY_ENTER = 13;
}

void IntroScene::Init() {
    engine.LoadSprite(introSprite, "intro.bmp");
    engine.LoadSprite(startSprite, "start.bmp");
    state = INTRO_STATE_INTRO;
}

void IntroScene::Run() {
    Draw();
    if (engine.TickFlag()) Update();
}

void IntroScene::Draw() {
    if (state == INTRO_STATE_INTRO) {
        introSprite.Draw(0, 0);
    } else if (state == INTRO_STATE_START) {
        startSprite.Draw(0, 0);
    }
}

void IntroScene::Update() {
    if (state != INTRO_STATE_INTRO) return;
    ++ticks;
    if (ticks > INTRO_TICKS) {
        ticks = 0;
        state = INTRO_STATE_START;
    }
}

void IntroScene::OnKeyDown(int key) {
    if (state != INTRO_STATE_START || key != KEY_ENTER) return;
    // A new game: only the counters and this scene start over.
    gameStats.lives = 5;
    gameStats.score = 0;
    gameStats.kills = 0;
    state = INTRO_STATE_INTRO;
    engine.SetScene(SCENE_PLAY);
}
