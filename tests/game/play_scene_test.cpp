#include "tests/game/game_fixture.h"

#include <cstdlib>

#include "port/control.h"

namespace {

using PlaySceneTest = GameTest;
using PlayerCannonTest = GameTest;

std::vector<int> DiscSlots() {
    std::vector<int> slots;
    for (int i = 0; i < POOL_SIZE; ++i) {
        if (objectPool.slots[i].active && objectPool.slots[i].kind == KIND_CD) slots.push_back(i);
    }
    return slots;
}

TEST(DiscLeftEdge, RemaindersUpTo106GiveZeroAndTheLargestGives533) {
    for (int r = 0; r <= 106; ++r) EXPECT_EQ(DiscLeftEdge(r), 0) << r;
    EXPECT_EQ(DiscLeftEdge(107), 1);
    EXPECT_EQ(DiscLeftEdge(639), 533);
    EXPECT_EQ(DiscLeftEdge(640), 0);
    EXPECT_EQ(DiscLeftEdge(640 + 639), 533);
}

TEST_F(PlaySceneTest, FirstTickOfTheFirstGameSpawnsThenEvery21Ticks) {
    playScene.Init();
    gameStats.lives = 5;
    std::vector<int> spawnTicks;
    for (int tick = 1; tick <= 100; ++tick) {
        size_t before = DiscSlots().size();
        playScene.Update();
        if (DiscSlots().size() != before) spawnTicks.push_back(tick);
    }
    EXPECT_EQ(spawnTicks, (std::vector<int>{1, 22, 43, 64, 85}));
}

TEST_F(PlaySceneTest, SpawnedDiscTakesItsLeftEdgeFromRand) {
    playScene.spawnCounter = 20;
    std::srand(99);
    const int expected = DiscLeftEdge(std::rand());
    std::srand(99);
    playScene.Update();
    EXPECT_EQ(playScene.spawnCounter, 0);
    const PoolSlot& disc = objectPool.slots[0];
    EXPECT_TRUE(disc.active);
    EXPECT_EQ(disc.kind, KIND_CD);
    EXPECT_EQ(disc.x, expected);
    EXPECT_EQ(disc.y, 0);
    EXPECT_EQ(disc.speed, 7);
}

TEST_F(PlaySceneTest, DiscSpawnedIntoAFullPoolIsLost) {
    for (int i = 0; i < POOL_SIZE; ++i) objectPool.Spawn(0, 100, 0, KIND_SHOT);
    playScene.spawnCounter = 20;
    playScene.Update();
    EXPECT_EQ(playScene.spawnCounter, 0);
    EXPECT_TRUE(DiscSlots().empty());
    objectPool.FreeSlot(9);
    for (int tick = 1; tick <= 20; ++tick) playScene.Update();
    EXPECT_TRUE(DiscSlots().empty()) << "the next attempt is a full interval later";
    playScene.Update();
    EXPECT_EQ(DiscSlots(), std::vector<int>{9});
}

TEST_F(PlaySceneTest, GameEndsOnlyWhenLivesDropBelowZero) {
    engine.SetScene(SCENE_PLAY);
    playScene.spawnCounter = 5;
    gameStats.lives = 0;
    playScene.Update();
    EXPECT_EQ(engine.GetScene(), SCENE_PLAY);
    gameStats.lives = -1;
    playScene.Update();
    EXPECT_EQ(engine.GetScene(), SCENE_GAME_OVER);
    EXPECT_EQ(playScene.spawnCounter, 7) << "the spawner still counts on that tick";
}

TEST_F(PlaySceneTest, HudShowsTheCountersInBlueOnBlack) {
    StartEngine(FreshDir("hud"));
    engine.SetScene(SCENE_PLAY);
    gameStats.lives = -1;
    gameStats.score = 123456;
    gameStats.kills = 7;
    port::ClearTrace();
    DrawFrame(playScene);
    std::vector<std::string> text = TextOuts();
    ASSERT_EQ(text.size(), 3u);
    EXPECT_EQ(text[0], "TextOutA(10, 10, \"Player Lives: -1\", 16)");
    EXPECT_EQ(text[1], "TextOutA(10, 30, \"Player Score: 123456\", 20)");
    EXPECT_EQ(text[2], "TextOutA(10, 50, \"Player Kills: 7\", 15)");
    // Blue characters on black cells, nothing else.
    port::headless::Picture screen = Screen();
    int blue = 0;
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 200; ++x) {
            COLORREF c = screen.At(x, y);
            ASSERT_EQ(c & 0x00FFFF, 0u) << "no red or green at " << x << ", " << y;
            blue += GetBValue(c) >= 0x80;
        }
    }
    EXPECT_GT(blue, 150);
}

TEST_F(PlaySceneTest, SwitchFrameStillMovesEverythingThenStatisticsShow) {
    StartEngine(FreshDir("switch"));
    engine.SetScene(SCENE_PLAY);
    gameStats.lives = -1;
    objectPool.Spawn(10, 100, 7, KIND_CD);
    playScene.spawnCounter = 20;
    port::headless::KeyDown(VK_RIGHT, DIK_RIGHT);
    RunTickFrame();
    EXPECT_EQ(engine.GetScene(), SCENE_GAME_OVER);
    EXPECT_EQ(objectPool.slots[0].y, 107) << "the pool moved in the switching frame";
    EXPECT_TRUE(objectPool.slots[1].active) << "the spawner ran in the switching frame";
    EXPECT_EQ(playerCannon.x, 110) << "the cannon moved in the switching frame";
    EXPECT_NE(Screen().At(320, 470), 0xB4B4B4u) << "the statistics are not shown yet";
    RunTickFrame();
    EXPECT_EQ(Screen().At(320, 470), 0xB4B4B4u);
    EXPECT_EQ(objectPool.slots[0].y, 107) << "the pool stands still on the statistics screen";
    EXPECT_EQ(playerCannon.x, 110);
}

TEST_F(PlayerCannonTest, ArrowsMoveTenPixelsPerTickAndStopAtTheEdges) {
    StartEngine(FreshDir("cannon"));
    ASSERT_EQ(playerCannon.x, 100);
    port::headless::KeyDown(VK_RIGHT, DIK_RIGHT);
    std::vector<int> xs;
    for (int tick = 0; tick < 50; ++tick) {
        playerCannon.Update();
        xs.push_back(playerCannon.x);
    }
    EXPECT_EQ(xs[0], 110);
    EXPECT_EQ(xs[43], 540);
    EXPECT_EQ(xs[49], 540);
    port::headless::KeyUp(VK_RIGHT, DIK_RIGHT);
    port::headless::KeyDown(VK_LEFT, DIK_LEFT);
    for (int tick = 0; tick < 53; ++tick) playerCannon.Update();
    EXPECT_EQ(playerCannon.x, 10);
    playerCannon.Update();
    EXPECT_EQ(playerCannon.x, 0);
    playerCannon.Update();
    EXPECT_EQ(playerCannon.x, 0);
    port::headless::KeyUp(VK_LEFT, DIK_LEFT);
    playerCannon.Update();
    EXPECT_EQ(playerCannon.x, 0);
}

TEST_F(PlayerCannonTest, BothArrowsHeldStayPutExceptAt540) {
    StartEngine(FreshDir("both"));
    port::headless::KeyDown(VK_RIGHT, DIK_RIGHT);
    port::headless::KeyDown(VK_LEFT, DIK_LEFT);
    for (int start : {0, 10, 100, 530}) {
        playerCannon.x = start;
        for (int tick = 0; tick < 5; ++tick) playerCannon.Update();
        EXPECT_EQ(playerCannon.x, start) << "from " << start;
    }
    playerCannon.x = 540;
    playerCannon.Update();
    EXPECT_EQ(playerCannon.x, 530);
    playerCannon.Update();
    EXPECT_EQ(playerCannon.x, 530);
}

TEST_F(PlayerCannonTest, MovesOnlyOnTickFrames) {
    StartEngine(FreshDir("ticks"));
    engine.SetScene(SCENE_PLAY);
    gameStats.lives = 5;
    port::headless::KeyDown(VK_RIGHT, DIK_RIGHT);
    RunTickFrame();
    EXPECT_EQ(playerCannon.x, 110);
    RunFrame();
    RunFrame();
    EXPECT_EQ(playerCannon.x, 110);
    // Several timer messages between two frames still make one step.
    engine.OnTimer();
    engine.OnTimer();
    RunTickFrame();
    EXPECT_EQ(playerCannon.x, 120);
}

TEST_F(PlayerCannonTest, EverySpaceKeyDownFiresRepeatsIncluded) {
    StartEngine(FreshDir("fire"));
    engine.SetScene(SCENE_PLAY);
    playerCannon.x = 250;
    port::headless::KeyDown(VK_SPACE, DIK_SPACE);
    port::headless::KeyDown(VK_SPACE, DIK_SPACE, true);
    port::headless::KeyDown(VK_SPACE, DIK_SPACE, true);
    port::headless::KeyDown(VK_RETURN, DIK_RETURN);
    port::headless::KeyDown('A', DIK_A);
    EXPECT_FALSE(PumpMessages());
    int shots = 0;
    for (int i = 0; i < 3; ++i) {
        const PoolSlot& shot = objectPool.slots[i];
        EXPECT_TRUE(shot.active);
        EXPECT_EQ(shot.kind, KIND_SHOT);
        EXPECT_EQ(shot.x, 290);
        EXPECT_EQ(shot.y, 420);
        EXPECT_EQ(shot.speed, 20);
        ++shots;
    }
    EXPECT_EQ(shots, 3);
    EXPECT_FALSE(objectPool.slots[3].active) << "Enter and letters do not fire";
    EXPECT_EQ(engine.GetScene(), SCENE_PLAY);
}

TEST_F(PlayerCannonTest, DrawsBaseBodyAndBarrel) {
    StartEngine(FreshDir("draw"));
    playerCannon.x = 200;
    DrawFrame(playerCannon);
    port::headless::Picture screen = Screen();
    EXPECT_EQ(screen.At(250, 470), 0xB4B4B4u) << "base";
    EXPECT_EQ(screen.At(250, 450), 0xFFFFFFu) << "body";
    EXPECT_EQ(screen.At(250, 430), 0xFF0000u) << "barrel";
    EXPECT_EQ(screen.At(215, 450), 0u) << "left of the body";
    EXPECT_EQ(screen.At(195, 470), 0u) << "left of the base";
    EXPECT_EQ(screen.At(230, 430), 0u) << "left of the barrel";
}

}  // namespace
