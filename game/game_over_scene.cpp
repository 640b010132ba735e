#include "framework/engine.h"

#include <cstdlib>

#include "game/game_main.h"
#include "game/game_over_scene.h"

HFONT TitleFont = MakeFont("Arial", 100);
HFONT StatsFont = MakeFont("Arial", 15);

namespace {

const int KEY_ENTER = 13;
const COLORREF BACKGROUND_FILL = 0xB4B4B4;
const COLORREF BACKGROUND_OUTLINE = 0xC8C8C8;
const COLORREF STATS_COLOR = 0x0000FF;

}  // namespace

void GameOverScene::Init() {}

void GameOverScene::Run() {
    Draw();
    if (engine.TickFlag()) Update();
}

void GameOverScene::Draw() {
    TextPainter& text = engine.textPainter;
    engine.shapePainter.FillRect(0, 0, 640, 480, BACKGROUND_FILL, BACKGROUND_OUTLINE);
    text.SetBackColor(BACKGROUND_FILL);

    // A new title colour every frame: blue and green from rand, never red.
    int blue = std::rand() % 255;
    int green = std::rand() % 255;
    text.SetTextColor(static_cast<COLORREF>(blue * 65536 + green * 256));
    text.SetFont(TitleFont);
    text.DrawText("Game over", 50, 50);

    text.SetFont(StatsFont);
    text.SetTextColor(STATS_COLOR);
    text.DrawFormatted(70, 200, "Player Stats");
    text.DrawFormatted(70, 230, "Score: %i", gameStats.score);
    text.DrawFormatted(70, 260, "Kills: %i", gameStats.kills);
    if (gameStats.kills > PRICE_KILLS) {
        text.DrawFormatted(70, 290,
                           "You have destroyed over 20 cds, the price has been lowered 70 precent!");
    } else {
        text.DrawFormatted(
            70, 290, "You have not meet the specified amount of cds destroyed, price is still $100");
    }
    text.DrawText("press enter to continue, escape to exit", 70, 330);
}

void GameOverScene::Update() {}

void GameOverScene::OnKeyDown(int key) {
    if (key == KEY_ENTER) engine.SetScene(SCENE_INTRO);
}
