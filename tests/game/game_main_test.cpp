#include "tests/game/game_fixture.h"

#include <filesystem>

#include "port/control.h"

namespace {

using GameMainTest = GameTest;

bool Traced(const std::string& prefix) {
    for (const std::string& line : port::TraceLines())
        if (line.rfind(prefix, 0) == 0) return true;
    return false;
}

TEST_F(GameMainTest, TimerMessagesTickWhateverTheirId) {
    for (WPARAM id : {1u, 2u, 77u}) EXPECT_EQ(WindowProc(nullptr, WM_TIMER, id, 0), 0);
    EXPECT_EQ(engine.tickCount, 3);
}

TEST_F(GameMainTest, ActivationStoresTheWholeValue) {
    EXPECT_EQ(WindowProc(nullptr, WM_ACTIVATEAPP, 0x12345678, 0), 0);
    EXPECT_EQ(engine.active, 0x12345678u);
    WindowProc(nullptr, WM_ACTIVATEAPP, 0, 0);
    EXPECT_EQ(engine.active, 0u);
}

TEST_F(GameMainTest, KeysGoToTheCurrentScenesObject) {
    introScene.state = INTRO_STATE_START;
    playerCannon.x = 100;

    // Space on the intro and Enter during play do nothing.
    engine.SetScene(SCENE_INTRO);
    WindowProc(nullptr, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_FALSE(objectPool.slots[0].active);
    EXPECT_EQ(engine.GetScene(), SCENE_INTRO);

    engine.SetScene(SCENE_PLAY);
    WindowProc(nullptr, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(engine.GetScene(), SCENE_PLAY);
    EXPECT_EQ(introScene.state, INTRO_STATE_START) << "the intro does not hear keys during play";
    // A repeat (bit 30 of lParam) fires like a fresh press.
    WindowProc(nullptr, WM_KEYDOWN, VK_SPACE, 0x40000001);
    EXPECT_TRUE(objectPool.slots[0].active);

    // No object hears keys under a scene that does not exist.
    engine.SetScene(7);
    WindowProc(nullptr, WM_KEYDOWN, VK_SPACE, 0);
    WindowProc(nullptr, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_FALSE(objectPool.slots[1].active);
    EXPECT_EQ(engine.GetScene(), 7);
    EXPECT_EQ(introScene.state, INTRO_STATE_START);
}

TEST_F(GameMainTest, FrameTakesAtMostOneTickBeforeTheSceneRuns) {
    introScene.state = INTRO_STATE_INTRO;
    FrameCallback(SCENE_INTRO);
    EXPECT_EQ(introScene.ticks, 0) << "no timer message, no tick";
    for (int i = 0; i < 5; ++i) WindowProc(nullptr, WM_TIMER, 1, 0);
    FrameCallback(SCENE_INTRO);
    EXPECT_EQ(introScene.ticks, 1);
    FrameCallback(SCENE_INTRO);
    EXPECT_EQ(introScene.ticks, 1);
    // 101 timer messages bring the counter back round: no tick.
    for (int i = 0; i < 101; ++i) WindowProc(nullptr, WM_TIMER, 1, 0);
    FrameCallback(SCENE_INTRO);
    EXPECT_EQ(introScene.ticks, 1);
    // An unknown scene runs nothing but still takes the tick.
    WindowProc(nullptr, WM_TIMER, 1, 0);
    FrameCallback(9);
    EXPECT_TRUE(engine.TickFlag());
    EXPECT_EQ(introScene.ticks, 1);
}

TEST_F(GameMainTest, CloseDestroysTheWindowAndQuitsWithZero) {
    StartEngine(FreshDir("close"));
    WindowProc(engine.window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(Traced("PostQuitMessage(0)"));
    EXPECT_TRUE(PumpMessages());
}

TEST_F(GameMainTest, GameMainGivesUpAtOnceWhenTheWindowCannotBeMade) {
    port::FailCall("CreateWindowExA");
    EXPECT_EQ(GameMain(GetModuleHandleA(nullptr), nullptr), 0);
    EXPECT_EQ(port::CallCount("LoadImageA"), 0);
    EXPECT_EQ(port::CallCount("SetTimer"), 0);
    EXPECT_EQ(port::CallCount("ShowCursor"), 0);
}

// A whole start-up and a short game, run by the real frame loop on the
// headless host's virtual clock.
TEST_F(GameMainTest, StartsOnTheIntroPlaysAndQuitsWithZeroOnEscape) {
    const std::string dir = FreshDir("main");
    ASSERT_TRUE(WritePicture(dir + "/intro.bmp", 640, 480, 0x00FF00));
    ASSERT_TRUE(WritePicture(dir + "/start.bmp", 640, 480, 0x0000FF));
    ASSERT_TRUE(WritePicture(dir + "/cd.bmp", 106, 82, 0xFF00FF, 0xFFFFFF, 20, 20, 86, 62));
    std::filesystem::current_path(dir);
    using port::headless::At;
    using port::headless::KeyDown;
    using port::headless::KeyUp;

    struct Seen {
        int introState = 0, spawnCounter = 0, cannonX = 0, cdHeight = 0;
        bool cdKeyed = false;
        COLORREF introPixel = 1, startPixel = 1;
        int sceneAfterEnter = -1, lives = 0;
        int discs = 0;
        int scene = -1;
        int livesLater = 0;
    } seen;
    At(2, [&seen] {
        seen.introState = introScene.state;
        seen.spawnCounter = playScene.spawnCounter;
        seen.cannonX = playerCannon.x;
        seen.cdHeight = objectPool.cdSprite.height;
        seen.cdKeyed = objectPool.cdSprite.keyed;
        seen.introPixel = port::headless::LastFrame().At(320, 240);
    });
    At(60, [&seen] { seen.startPixel = port::headless::LastFrame().At(320, 240); });
    At(61, [] { KeyDown(VK_RETURN, DIK_RETURN); });
    At(62, [] { KeyUp(VK_RETURN, DIK_RETURN); });
    At(64, [&seen] {
        seen.sceneAfterEnter = engine.GetScene();
        seen.lives = gameStats.lives;
    });
    At(200, [&seen] {
        for (const PoolSlot& slot : objectPool.slots) seen.discs += slot.active;
        seen.scene = engine.GetScene();
        seen.livesLater = gameStats.lives;
    });
    At(201, [] { KeyDown(VK_ESCAPE, DIK_ESCAPE); });

    EXPECT_EQ(GameMain(GetModuleHandleA(nullptr), nullptr), 0);

    EXPECT_EQ(seen.introState, INTRO_STATE_INTRO);
    EXPECT_EQ(seen.spawnCounter, SPAWN_COUNTER_START);
    EXPECT_EQ(seen.cannonX, 100);
    EXPECT_EQ(seen.cdHeight, 82);
    EXPECT_TRUE(seen.cdKeyed);
    EXPECT_EQ(seen.introPixel, 0x00FF00u);
    EXPECT_EQ(seen.startPixel, 0x0000FFu);
    EXPECT_EQ(seen.sceneAfterEnter, SCENE_PLAY);
    EXPECT_EQ(seen.lives, 5);
    // About 137 ticks of play: discs came on ticks 1, 22, 43, ... and the
    // first four have reached the bottom (57 ticks each).
    EXPECT_GE(seen.discs, 2);
    EXPECT_LE(seen.discs, 4);
    EXPECT_GE(seen.livesLater, 0);
    EXPECT_LE(seen.livesLater, 2);
    EXPECT_EQ(seen.scene, SCENE_PLAY);
    EXPECT_TRUE(Traced("SetTimer("));
    EXPECT_TRUE(Traced("ShowCursor(0)"));
    EXPECT_TRUE(Traced("RegisterClassA(\"VEXAR\")"));
}

}  // namespace
