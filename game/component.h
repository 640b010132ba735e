// The base of the game's objects and the types the scenes share.
#pragma once

// Which scene the frame loop runs and which object receives key presses.
enum SceneId : int {
    SCENE_INTRO = 0,
    SCENE_PLAY = 1,
    SCENE_GAME_OVER = 2,
};

// Every scene and game object: prepared once, then run once per frame.
// Run draws, then updates on frames that took a tick.
class Component {
public:
    virtual void Init() = 0;
    virtual void Run() = 0;

protected:
    // The objects are globals that are never deleted through this base.
    ~Component() = default;
};

// The counters of the game in progress.
class GameStats {
public:
    int lives;
    int score;
    int kills;

    GameStats() : lives(0), score(0), kills(0) {}
};
