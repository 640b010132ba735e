#include "tests/game/game_fixture.h"

namespace {

using IntroSceneTest = GameTest;

void PressKey(int key) { WindowProc(engine.window, WM_KEYDOWN, key, 0); }

TEST_F(IntroSceneTest, IntroPictureGivesWayOnThe31stTick) {
    introScene.state = INTRO_STATE_INTRO;
    for (int tick = 1; tick <= 30; ++tick) {
        introScene.Update();
        ASSERT_EQ(introScene.state, INTRO_STATE_INTRO) << "tick " << tick;
        ASSERT_EQ(introScene.ticks, tick);
    }
    introScene.Update();
    EXPECT_EQ(introScene.state, INTRO_STATE_START);
    EXPECT_EQ(introScene.ticks, 0);
    // The start picture waits for Enter however long it is shown.
    for (int tick = 0; tick < 500; ++tick) introScene.Update();
    EXPECT_EQ(introScene.state, INTRO_STATE_START);
    EXPECT_EQ(introScene.ticks, 0);
}

TEST_F(IntroSceneTest, EnterActsOnlyOnTheStartPicture) {
    engine.SetScene(SCENE_INTRO);
    introScene.state = INTRO_STATE_INTRO;
    introScene.ticks = 12;
    gameStats.lives = -3;
    PressKey(VK_RETURN);
    EXPECT_EQ(engine.GetScene(), SCENE_INTRO);
    EXPECT_EQ(introScene.state, INTRO_STATE_INTRO);
    EXPECT_EQ(introScene.ticks, 12);
    EXPECT_EQ(gameStats.lives, -3);

    introScene.state = INTRO_STATE_START;
    introScene.ticks = 0;
    // Space, letters and the arrows do nothing on the start picture either.
    for (int key : {VK_SPACE, int('A'), int('Z'), int('1'), VK_LEFT, VK_RIGHT, VK_TAB, 0}) {
        PressKey(key);
        ASSERT_EQ(engine.GetScene(), SCENE_INTRO) << "key " << key;
        ASSERT_EQ(introScene.state, INTRO_STATE_START) << "key " << key;
    }
    EXPECT_EQ(gameStats.lives, -3);

    PressKey(VK_RETURN);
    EXPECT_EQ(engine.GetScene(), SCENE_PLAY);
    EXPECT_EQ(introScene.state, INTRO_STATE_INTRO);
}

TEST_F(IntroSceneTest, NewGameResetsOnlyTheCountersAndTheIntro) {
    // How a finished game leaves things.
    engine.SetScene(SCENE_INTRO);
    introScene.state = INTRO_STATE_START;
    gameStats.lives = -2;
    gameStats.score = 57;
    gameStats.kills = 19;
    objectPool.Spawn(200, 300, 7, KIND_CD);
    objectPool.Spawn(240, 120, 20, KIND_SHOT);
    playerCannon.x = 370;
    playScene.spawnCounter = 13;

    introScene.OnKeyDown(VK_RETURN);

    EXPECT_EQ(gameStats.lives, 5);
    EXPECT_EQ(gameStats.score, 0);
    EXPECT_EQ(gameStats.kills, 0);
    EXPECT_EQ(introScene.state, INTRO_STATE_INTRO);
    EXPECT_EQ(engine.GetScene(), SCENE_PLAY);
    // Everything else carries over into the new game.
    EXPECT_TRUE(objectPool.slots[0].active);
    EXPECT_EQ(objectPool.slots[0].y, 300);
    EXPECT_TRUE(objectPool.slots[1].active);
    EXPECT_EQ(objectPool.slots[1].y, 120);
    EXPECT_FALSE(objectPool.slots[2].active);
    EXPECT_EQ(playerCannon.x, 370);
    EXPECT_EQ(playScene.spawnCounter, 13);
}

TEST_F(IntroSceneTest, ReturningFromTheStatisticsShowsTheIntroPictureAgain) {
    introScene.state = INTRO_STATE_START;
    engine.SetScene(SCENE_INTRO);
    PressKey(VK_RETURN);
    ASSERT_EQ(engine.GetScene(), SCENE_PLAY);
    engine.SetScene(SCENE_GAME_OVER);
    PressKey(VK_RETURN);
    ASSERT_EQ(engine.GetScene(), SCENE_INTRO);
    EXPECT_EQ(introScene.state, INTRO_STATE_INTRO);
    EXPECT_EQ(introScene.ticks, 0);
}

TEST_F(IntroSceneTest, DrawsTheIntroThenTheStartPicture) {
    const std::string dir = FreshDir("intro-pictures");
    ASSERT_TRUE(WritePicture(dir + "/intro.bmp", 640, 480, 0x00FF00));
    ASSERT_TRUE(WritePicture(dir + "/start.bmp", 640, 480, 0x0000FF));
    StartEngine(dir);
    ASSERT_EQ(introScene.state, INTRO_STATE_INTRO);

    for (int tick = 1; tick <= 31; ++tick) {
        RunTickFrame();
        // The frame that takes the 31st tick still shows the intro picture.
        ASSERT_EQ(Screen().At(320, 240), 0x00FF00u) << "tick " << tick;
    }
    RunFrame();
    EXPECT_EQ(Screen().At(0, 0), 0x0000FFu);
    EXPECT_EQ(Screen().At(639, 479), 0x0000FFu);
}

TEST_F(IntroSceneTest, MissingIntroPictureLeavesTheScreenBlackButKeepsTime) {
    const std::string dir = FreshDir("no-intro");
    ASSERT_TRUE(WritePicture(dir + "/start.bmp", 640, 480, 0x0000FF));
    StartEngine(dir);
    for (int tick = 1; tick <= 31; ++tick) {
        RunTickFrame();
        ASSERT_EQ(Screen().At(320, 240), 0x000000u) << "tick " << tick;
    }
    RunFrame();
    EXPECT_EQ(Screen().At(320, 240), 0x0000FFu);
}

}  // namespace
