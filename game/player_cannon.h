// The player's cannon along the bottom edge: arrows move it, space fires.
#pragma once

#include "game/component.h"

const int CANNON_START_X = 100;
const int CANNON_WIDTH = 100;
const int CANNON_STEP = 10;

class PlayerCannon : public Component {
public:
    int x = 0;

    void Init() override;
    void Run() override;
    void Draw();
    void Update();
    // Fires on the space bar, repeats included; other keys do nothing.
    void OnKeyDown(int key);
};
