#include "framework/engine.h"

#include "game/game_main.h"
#include "game/object_pool.h"
#include "game/player_cannon.h"

namespace {

// DirectInput scan codes of the arrow keys, and the space bar's virtual key.
const int KEY_RIGHT = 205;
const int KEY_LEFT = 203;
const int KEY_FIRE = 32;

const int SCREEN_WIDTH = 640;
const int SHOT_OFFSET_X = 40;
const int SHOT_TOP = 420;
const int SHOT_SPEED = 20;

const COLORREF BASE_FILL = 0xB4B4B4;
const COLORREF BODY_FILL = 0xFFFFFF;
const COLORREF FRAME_COLOR = 0xC8C8C8;
const COLORREF BARREL_COLOR = 0xFF0000;

}  // namespace

void PlayerCannon::Init() { x = CANNON_START_X; }

void PlayerCannon::Run() {
    Draw();
    if (engine.TickFlag()) Update();
}

void PlayerCannon::Draw() {
    ShapePainter& shapes = engine.shapePainter;
    shapes.FillRect(x, 460, x + 100, 480, BASE_FILL, FRAME_COLOR);
    shapes.FillRect(x + 20, 440, x + 80, 460, BODY_FILL, FRAME_COLOR);
    shapes.FillRect(x + 35, 420, x + 65, 440, BARREL_COLOR, BARREL_COLOR);
}

void PlayerCannon::Update() {
    if (engine.IsKeyDown(KEY_RIGHT) && x + CANNON_WIDTH < SCREEN_WIDTH) x += CANNON_STEP;
    // Sees x as the right arrow left it: both held at 540 gives 530.
    if (engine.IsKeyDown(KEY_LEFT) && x > 0) x -= CANNON_STEP;
}

void PlayerCannon::OnKeyDown(int key) {
    if (key == KEY_FIRE) objectPool.Spawn(x + SHOT_OFFSET_X, SHOT_TOP, SHOT_SPEED, KIND_SHOT);
}
