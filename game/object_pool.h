// Every falling disc and rising shot of the play field, in a fixed array.
#pragma once

#include "framework/sprite.h"
#include "game/component.h"

const int KIND_CD = 0;
const int KIND_SHOT = 1;
const int POOL_SIZE = 150;

// A disc's collision box, whatever the size of its bitmap.
const int CD_HIT_WIDTH = 106;
const int CD_HIT_HEIGHT = 82;

struct PoolSlot {
    int x = 0;
    int y = 0;
    int speed = 0;
    int kind = 0;
    bool active = false;
};

class ObjectPool : public Component {
public:
    PoolSlot slots[POOL_SIZE];
    Sprite cdSprite;

    void Init() override;
    void Run() override;

    // The lowest free index, or -1 when every slot is taken.
    int FindFreeSlot() const;
    // Does nothing when the pool is full.
    void Spawn(int x, int y, int speed, int kind);
    // Keeps the slot's kind; an index outside the pool is ignored.
    void FreeSlot(int index);
    void Draw();
    void Update();
    // Tests the shot in `shotIndex` against the discs and scores the first hit.
    void HitTest(int shotIndex);
};
