#include "framework/engine.h"

#include <cstdlib>

#include "game/game_main.h"
#include "game/object_pool.h"
#include "game/play_scene.h"
#include "game/player_cannon.h"

HFONT HudFont = MakeFont("Arial", 14);

namespace {
const COLORREF HUD_TEXT_COLOR = 0xFF0000;
const COLORREF HUD_BACK_COLOR = 0x000000;
const int DISC_SPEED = 7;
}  // namespace

int DiscLeftEdge(int randomValue) {
    int left = randomValue % 640 - CD_HIT_WIDTH;
    return left < 0 ? 0 : left;
}

void PlayScene::Init() { spawnCounter = SPAWN_COUNTER_START; }

void PlayScene::Run() {
    Draw();
    if (engine.TickFlag()) Update();
    objectPool.Run();
    playerCannon.Run();
}

void PlayScene::Draw() {
    TextPainter& text = engine.textPainter;
    text.SetFont(HudFont);
    text.SetTextColor(HUD_TEXT_COLOR);
    text.SetBackColor(HUD_BACK_COLOR);
    text.DrawFormatted(10, 10, "Player Lives: %i", gameStats.lives);
    text.DrawFormatted(10, 30, "Player Score: %i", gameStats.score);
    text.DrawFormatted(10, 50, "Player Kills: %i", gameStats.kills);
}

void PlayScene::Update() {
    // The switch shows from the next frame; this tick still plays out.
    if (gameStats.lives < 0) engine.SetScene(SCENE_GAME_OVER);
    if (++spawnCounter > SPAWN_INTERVAL) {
        spawnCounter = 0;
        objectPool.Spawn(DiscLeftEdge(std::rand()), 0, DISC_SPEED, KIND_CD);
    }
}
