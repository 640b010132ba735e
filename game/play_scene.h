// The play field: the score display, the disc spawner and the end-of-game
// check; runs the object pool and the cannon.
#pragma once

#include "framework/platform.h"
#include "game/component.h"

// Arial, height 14, made before WinMain and kept for the whole run.
extern HFONT HudFont;

const int SPAWN_COUNTER_START = 25;
// A disc comes on the tick that takes the counter above this: every 21 ticks.
const int SPAWN_INTERVAL = 20;

class PlayScene : public Component {
public:
    int spawnCounter = 0;

    void Init() override;
    void Run() override;
    void Draw();
    void Update();
};

// The left edge of a new disc for a value of rand(): 0 to 533.
int DiscLeftEdge(int randomValue);
