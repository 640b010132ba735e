// The opening screens: the intro picture for a while, then the start picture
// until Enter begins a game.
#pragma once

#include "framework/sprite.h"
#include "game/component.h"

const int INTRO_STATE_INTRO = 3;
const int INTRO_STATE_START = 4;
// The intro picture gives way on the tick that takes `ticks` above this.
const int INTRO_TICKS = 30;

class IntroScene : public Component {
public:
    int state = 0;
    Sprite introSprite;
    Sprite startSprite;
    int ticks = 0;

    void Init() override;
    void Run() override;
    void Draw();
    void Update();
    void OnKeyDown(int key);
};
