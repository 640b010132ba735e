#include "framework/engine.h"

#include <cstdlib>

#include "game/game_main.h"
#include "game/object_pool.h"

namespace {

const COLORREF TRANSPARENT_COLOR = 0xFF00FF;
// Discs leave this many rows above the bottom of the screen.
const int CD_EXIT_LINE = 475;
const int SHOT_SIZE = 25;

bool ValidIndex(int index) { return index >= 0 && index < POOL_SIZE; }

// A colour from three rand values, taken as blue, green, red.
COLORREF ColorFrom(const int* values) {
    return static_cast<COLORREF>(values[0] * 65536 + values[1] * 256 + values[2]);
}

}  // namespace

void ObjectPool::Init() {
    engine.LoadSprite(cdSprite, "cd.bmp");
    cdSprite.SetColorKey(TRANSPARENT_COLOR);
}

void ObjectPool::Run() {
    Draw();
    if (engine.TickFlag()) Update();
}

int ObjectPool::FindFreeSlot() const {
    for (int i = 0; i < POOL_SIZE; ++i) {
        if (!slots[i].active) return i;
    }
    return -1;
}

void ObjectPool::Spawn(int x, int y, int speed, int kind) {
    int index = FindFreeSlot();
    if (index < 0) return;
    PoolSlot& slot = slots[index];
    slot.active = true;
    slot.x = x;
    slot.y = y;
    slot.speed = speed;
    slot.kind = kind;
}

void ObjectPool::FreeSlot(int index) {
    if (!ValidIndex(index)) return;
    PoolSlot& slot = slots[index];
    slot.active = false;
    slot.x = 0;
    slot.y = 0;
    slot.speed = 0;
}

void ObjectPool::Draw() {
    for (const PoolSlot& slot : slots) {
        if (!slot.active) continue;
        if (slot.kind == KIND_CD) {
            cdSprite.Draw(slot.x, slot.y);
        } else if (slot.kind == KIND_SHOT) {
            // All six values are drawn before painting: outline, then fill.
            int values[6];
            for (int& value : values) value = std::rand() % 255;
            engine.shapePainter.FillEllipse(slot.x, slot.y, slot.x + SHOT_SIZE,
                                            slot.y + SHOT_SIZE, ColorFrom(values + 3),
                                            ColorFrom(values));
        }
    }
}

void ObjectPool::Update() {
    for (int i = 0; i < POOL_SIZE; ++i) {
        PoolSlot& slot = slots[i];
        if (!slot.active) continue;
        if (slot.kind == KIND_CD) {
            slot.y += slot.speed;
            if (slot.y >= CD_EXIT_LINE - cdSprite.height) {
                --gameStats.lives;
                FreeSlot(i);
            }
        } else if (slot.kind == KIND_SHOT) {
            slot.y -= slot.speed;
            if (slot.y <= 0) {
                FreeSlot(i);
                continue;
            }
            HitTest(i);
        }
    }
}

void ObjectPool::HitTest(int shotIndex) {
    if (!ValidIndex(shotIndex)) return;
    const int shotX = slots[shotIndex].x;
    const int shotY = slots[shotIndex].y;
    for (int i = 0; i < POOL_SIZE; ++i) {
        const PoolSlot& disc = slots[i];
        if (i == shotIndex || !disc.active || disc.kind != KIND_CD) continue;
        if (disc.x <= shotX && shotX <= disc.x + CD_HIT_WIDTH && disc.y <= shotY &&
            shotY <= disc.y + CD_HIT_HEIGHT) {
            ++gameStats.kills;
            gameStats.score += 3;
            FreeSlot(shotIndex);
            FreeSlot(i);
            return;
        }
    }
}
