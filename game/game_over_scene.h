// The statistics screen shown when the lives run out.
#pragma once

#include "framework/platform.h"
#include "game/component.h"

// Arial 100 for the title and Arial 15 for the lines below it.
extern HFONT TitleFont;
extern HFONT StatsFont;

// More kills than this earn the lowered-price message.
const int PRICE_KILLS = 20;

class GameOverScene : public Component {
public:
    void Init() override;
    void Run() override;
    void Draw();
    void Update();
    // Enter goes back to the intro; other keys do nothing.
    void OnKeyDown(int key);
};
