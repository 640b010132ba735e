#include "framework/engine.h"

#include "game/game_main.h"
#include "game/game_over_scene.h"
#include "game/intro_scene.h"
#include "game/object_pool.h"
#include "game/play_scene.h"
#include "game/player_cannon.h"

// The order of these definitions is the order of construction; the exit
// destructors run the other way round.
Engine engine;
IntroScene introScene;
PlayScene playScene;
GameOverScene gameOverScene;
GameStats gameStats;
ObjectPool objectPool;
PlayerCannon playerCannon;

namespace {

const int KEY_ESCAPE = 27;
const UINT_PTR TIMER_ID = 1;
const UINT TIMER_PERIOD_MS = 1;

void RouteKey(int key) {
    switch (engine.GetScene()) {
    case SCENE_INTRO:
        introScene.OnKeyDown(key);
        break;
    case SCENE_PLAY:
        playerCannon.OnKeyDown(key);
        break;
    case SCENE_GAME_OVER:
        gameOverScene.OnKeyDown(key);
        break;
    default:
        break;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    return GameMain(instance, commandLine);
}

int GameMain(HINSTANCE instance, LPSTR) {
    if (!engine.Create("VEXAR", 640, 480, 4, WindowProc, instance, nullptr, nullptr)) return 0;
    introScene.Init();
    playScene.Init();
    objectPool.Init();
    playerCannon.Init();
    engine.StartTimer(TIMER_ID, TIMER_PERIOD_MS);
    engine.HideCursor();
    engine.SetScene(SCENE_INTRO);
    return engine.RunLoop(FrameCallback);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_ACTIVATEAPP:
        engine.active = static_cast<DWORD>(wParam);
        return 0;
    case WM_KEYDOWN:
        // Repeats of a held key arrive here like fresh presses.
        if (wParam == KEY_ESCAPE) {
            engine.Close();
        } else {
            RouteKey(static_cast<int>(wParam));
        }
        return 0;
    case WM_TIMER:
        engine.OnTimer();
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void FrameCallback(int scene) {
    engine.UpdateTickFlag();
    switch (scene) {
    case SCENE_INTRO:
        introScene.Run();
        break;
    case SCENE_PLAY:
        playScene.Run();
        break;
    case SCENE_GAME_OVER:
        gameOverScene.Run();
        break;
    default:
        break;
    }
}
