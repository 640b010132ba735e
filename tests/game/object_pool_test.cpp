#include "tests/game/game_fixture.h"

#include <cstdlib>

#include "port/control.h"

namespace {

using ObjectPoolTest = GameTest;

int ActiveCount() {
    int count = 0;
    for (const PoolSlot& slot : objectPool.slots) count += slot.active;
    return count;
}

TEST_F(ObjectPoolTest, FullPoolIgnoresSpawnAndFreedSlotIsTakenNext) {
    for (int i = 0; i < POOL_SIZE; ++i) objectPool.Spawn(i, i * 2, 7, i % 2 ? KIND_SHOT : KIND_CD);
    ASSERT_EQ(ActiveCount(), POOL_SIZE);
    EXPECT_EQ(objectPool.FindFreeSlot(), -1);

    objectPool.Spawn(999, 999, 99, KIND_SHOT);
    for (int i = 0; i < POOL_SIZE; ++i) {
        ASSERT_EQ(objectPool.slots[i].x, i);
        ASSERT_EQ(objectPool.slots[i].y, i * 2);
        ASSERT_EQ(objectPool.slots[i].speed, 7);
    }

    objectPool.FreeSlot(77);
    EXPECT_EQ(objectPool.FindFreeSlot(), 77);
    objectPool.Spawn(5, 6, 20, KIND_SHOT);
    EXPECT_EQ(ActiveCount(), POOL_SIZE);
    EXPECT_EQ(objectPool.slots[77].x, 5);
    EXPECT_EQ(objectPool.slots[77].y, 6);
    EXPECT_EQ(objectPool.slots[77].speed, 20);
    EXPECT_EQ(objectPool.slots[77].kind, KIND_SHOT);
}

TEST_F(ObjectPoolTest, LowestFreeSlotIsReused) {
    for (int i = 0; i < 5; ++i) objectPool.Spawn(10 * i, 0, 7, KIND_CD);
    objectPool.FreeSlot(3);
    objectPool.FreeSlot(2);
    objectPool.Spawn(123, 45, 20, KIND_SHOT);
    EXPECT_EQ(objectPool.slots[2].x, 123);
    EXPECT_TRUE(objectPool.slots[2].active);
    EXPECT_FALSE(objectPool.slots[3].active);
    objectPool.Spawn(321, 54, 20, KIND_SHOT);
    EXPECT_EQ(objectPool.slots[3].x, 321);
    EXPECT_EQ(objectPool.FindFreeSlot(), 5);
}

TEST_F(ObjectPoolTest, FreeSlotClearsPositionAndSpeedButKeepsKind) {
    objectPool.Spawn(40, 50, 20, KIND_SHOT);
    objectPool.FreeSlot(0);
    const PoolSlot& slot = objectPool.slots[0];
    EXPECT_FALSE(slot.active);
    EXPECT_EQ(slot.x, 0);
    EXPECT_EQ(slot.y, 0);
    EXPECT_EQ(slot.speed, 0);
    EXPECT_EQ(slot.kind, KIND_SHOT);
    // Indices outside the pool are refused without touching anything.
    objectPool.Spawn(1, 2, 3, KIND_CD);
    objectPool.FreeSlot(-1);
    objectPool.FreeSlot(POOL_SIZE);
    objectPool.HitTest(-1);
    objectPool.HitTest(POOL_SIZE);
    EXPECT_TRUE(objectPool.slots[0].active);
    EXPECT_EQ(gameStats.kills, 0);
}

TEST_F(ObjectPoolTest, DiscUnderAn82PixelBitmapLeavesOnIts57thTick) {
    objectPool.cdSprite.height = 82;
    gameStats.lives = 5;
    objectPool.Spawn(100, 0, 7, KIND_CD);
    for (int tick = 1; tick <= 56; ++tick) {
        objectPool.Update();
        ASSERT_TRUE(objectPool.slots[0].active) << "tick " << tick;
        ASSERT_EQ(objectPool.slots[0].y, 7 * tick);
    }
    EXPECT_EQ(objectPool.slots[0].y, 392);
    EXPECT_EQ(gameStats.lives, 5);
    objectPool.Update();
    EXPECT_FALSE(objectPool.slots[0].active);
    EXPECT_EQ(gameStats.lives, 4);
}

TEST_F(ObjectPoolTest, TwoDiscsLostInOneTickCostTwoLives) {
    objectPool.cdSprite.height = 82;
    gameStats.lives = 0;
    objectPool.Spawn(0, 392, 7, KIND_CD);
    objectPool.Spawn(300, 390, 7, KIND_CD);
    objectPool.Spawn(500, 100, 7, KIND_CD);
    objectPool.Update();
    EXPECT_EQ(gameStats.lives, -2);
    EXPECT_FALSE(objectPool.slots[0].active);
    EXPECT_FALSE(objectPool.slots[1].active);
    EXPECT_TRUE(objectPool.slots[2].active);
}

TEST_F(ObjectPoolTest, ShotLeavesOnIts21stTickWithoutATestAtZero) {
    // A disc that the shot would touch only at y 0: its box is y -70 to 12.
    objectPool.Spawn(180, -70, 0, KIND_CD);
    objectPool.Spawn(200, 420, 20, KIND_SHOT);
    for (int tick = 1; tick <= 20; ++tick) {
        objectPool.Update();
        ASSERT_TRUE(objectPool.slots[1].active) << "tick " << tick;
        ASSERT_EQ(objectPool.slots[1].y, 420 - 20 * tick);
    }
    EXPECT_EQ(objectPool.slots[1].y, 20);
    objectPool.Update();
    EXPECT_FALSE(objectPool.slots[1].active);
    EXPECT_TRUE(objectPool.slots[0].active) << "the disc was never hit";
    EXPECT_EQ(gameStats.kills, 0);
    EXPECT_EQ(gameStats.score, 0);
}

TEST_F(ObjectPoolTest, HitBoxBoundsAreInclusive) {
    struct Case {
        int dx, dy;
        bool hit;
    } cases[] = {
        {0, 0, true},     {106, 82, true},  {106, 0, true},    {0, 82, true},
        {53, 41, true},   {107, 41, false}, {53, 83, false},   {-1, 41, false},
        {53, -1, false},  {107, 83, false}, {-1, -1, false},
    };
    const int discX = 200, discY = 150;
    for (const Case& c : cases) {
        for (PoolSlot& slot : objectPool.slots) slot = PoolSlot();
        gameStats = GameStats();
        objectPool.Spawn(discX, discY, 7, KIND_CD);
        objectPool.Spawn(discX + c.dx, discY + c.dy, 20, KIND_SHOT);
        objectPool.HitTest(1);
        SCOPED_TRACE(testing::Message() << "shot at disc + (" << c.dx << ", " << c.dy << ")");
        EXPECT_EQ(objectPool.slots[0].active, !c.hit);
        EXPECT_EQ(objectPool.slots[1].active, !c.hit);
        EXPECT_EQ(gameStats.kills, c.hit ? 1 : 0);
        EXPECT_EQ(gameStats.score, c.hit ? 3 : 0);
    }
}

TEST_F(ObjectPoolTest, OverlappingDiscsLoseOnlyTheLowestIndex) {
    objectPool.Spawn(0, 0, 7, KIND_SHOT);  // slot 0, freed below: a gap
    objectPool.Spawn(100, 100, 7, KIND_CD);
    objectPool.Spawn(120, 110, 7, KIND_CD);
    objectPool.Spawn(90, 90, 7, KIND_CD);
    objectPool.FreeSlot(0);
    objectPool.Spawn(150, 150, 20, KIND_SHOT);  // takes slot 0
    objectPool.HitTest(0);
    EXPECT_FALSE(objectPool.slots[0].active);
    EXPECT_FALSE(objectPool.slots[1].active);
    EXPECT_TRUE(objectPool.slots[2].active);
    EXPECT_TRUE(objectPool.slots[3].active);
    EXPECT_EQ(gameStats.kills, 1);
    EXPECT_EQ(gameStats.score, 3);
}

TEST_F(ObjectPoolTest, ShotsNeverHitShots) {
    objectPool.Spawn(100, 100, 0, KIND_SHOT);
    objectPool.Spawn(100, 100, 0, KIND_SHOT);
    objectPool.HitTest(1);
    EXPECT_TRUE(objectPool.slots[0].active);
    EXPECT_TRUE(objectPool.slots[1].active);
    EXPECT_EQ(gameStats.kills, 0);
}

TEST_F(ObjectPoolTest, UpdateMovesLowerDiscsBeforeTestingAShot) {
    // Disc 0 moves into the shot's reach on this tick; disc 2, after the shot,
    // is tested where it stood before its move.
    objectPool.Spawn(100, 213, 7, KIND_CD);  // box after the move: y 220 to 302
    objectPool.Spawn(100, 240, 20, KIND_SHOT);  // tested at y 220
    objectPool.Update();
    EXPECT_FALSE(objectPool.slots[0].active);
    EXPECT_FALSE(objectPool.slots[1].active);
    EXPECT_EQ(gameStats.kills, 1);

    for (PoolSlot& slot : objectPool.slots) slot = PoolSlot();
    gameStats = GameStats();
    objectPool.Spawn(100, 240, 20, KIND_SHOT);  // slot 0, tested at y 220
    objectPool.Spawn(300, 0, 7, KIND_CD);      // unrelated
    objectPool.Spawn(100, 221, 7, KIND_CD);    // slot 2: box y 221 to 303 before its move
    objectPool.Update();
    EXPECT_TRUE(objectPool.slots[0].active) << "220 is above the unmoved disc";
    EXPECT_TRUE(objectPool.slots[2].active);
    EXPECT_EQ(objectPool.slots[2].y, 228);
    EXPECT_EQ(gameStats.kills, 0);
}

TEST_F(ObjectPoolTest, WithoutCdBmpDiscsAreInvisibleButFallAreShotAndCostLives) {
    const std::string dir = FreshDir("no-cd");  // no pictures at all
    StartEngine(dir);
    EXPECT_EQ(objectPool.cdSprite.surface, nullptr);
    EXPECT_EQ(objectPool.cdSprite.height, 0);

    objectPool.Spawn(100, 100, 7, KIND_CD);
    engine.ClearBackBuffer();
    port::ClearTrace();
    objectPool.Draw();
    engine.Flip();
    for (const std::string& line : port::TraceLines()) {
        EXPECT_EQ(line.rfind("BltFast", 0), std::string::npos) << line;
    }
    port::headless::Picture screen = Screen();
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) ASSERT_EQ(screen.At(x, y), 0u) << x << ", " << y;
    }

    // It falls, and leaves at 475 since the missing bitmap has no height.
    gameStats.lives = 5;
    for (int tick = 1; tick <= 53; ++tick) objectPool.Update();
    ASSERT_TRUE(objectPool.slots[0].active);
    EXPECT_EQ(objectPool.slots[0].y, 471);
    objectPool.Update();
    EXPECT_FALSE(objectPool.slots[0].active);
    EXPECT_EQ(gameStats.lives, 4);

    // And it can be shot.
    objectPool.Spawn(300, 200, 7, KIND_CD);
    objectPool.Spawn(350, 320, 20, KIND_SHOT);
    objectPool.Update();  // the disc's box is y 207 to 289, the shot at 300: no hit
    objectPool.Update();  // 214 to 296, the shot at 280: hit
    EXPECT_FALSE(objectPool.slots[0].active);
    EXPECT_FALSE(objectPool.slots[1].active);
    EXPECT_EQ(gameStats.kills, 1);
    EXPECT_EQ(gameStats.score, 3);
}

TEST_F(ObjectPoolTest, DiscsAreDrawnWithMagentaTransparent) {
    const std::string dir = FreshDir("cd");
    // A magenta picture with a white box in its middle.
    ASSERT_TRUE(WritePicture(dir + "/cd.bmp", 106, 82, 0xFF00FF, 0xFFFFFF, 40, 30, 60, 50));
    StartEngine(dir);
    ASSERT_EQ(objectPool.cdSprite.height, 82);
    objectPool.Spawn(100, 200, 7, KIND_CD);
    DrawFrame(objectPool);
    EXPECT_EQ(Screen().At(150, 240), 0xFFFFFFu);
    EXPECT_EQ(Screen().At(101, 201), 0u) << "magenta is not drawn";
    EXPECT_EQ(Screen().At(205, 281), 0u);
}

TEST_F(ObjectPoolTest, ShotColoursTakeSixRandValuesOutlineFirstBlueFirst) {
    StartEngine(FreshDir("shots"));
    objectPool.Spawn(300, 200, 20, KIND_SHOT);
    std::srand(4242);
    int values[6];
    for (int& v : values) v = std::rand() % 255;
    const COLORREF outline = values[0] * 65536 + values[1] * 256 + values[2];
    const COLORREF fill = values[3] * 65536 + values[4] * 256 + values[5];
    const int after = std::rand();
    std::srand(4242);
    port::ClearTrace();
    DrawFrame(objectPool);
    EXPECT_EQ(std::rand(), after) << "exactly six values were taken";
    char brush[64], pen[64];
    std::snprintf(brush, sizeof brush, "CreateSolidBrush(0x%06X)", static_cast<unsigned>(fill));
    std::snprintf(pen, sizeof pen, "CreatePen(0, 2, 0x%06X)", static_cast<unsigned>(outline));
    std::vector<std::string> lines = port::TraceLines();
    auto has = [&lines](const std::string& text) {
        for (const std::string& line : lines)
            if (line.rfind(text, 0) == 0) return true;
        return false;
    };
    EXPECT_TRUE(has(brush)) << brush;
    EXPECT_TRUE(has(pen)) << pen;
    EXPECT_TRUE(has("Ellipse(300, 200, 325, 225)"));
    // The middle of the shot has the fill colour.
    EXPECT_EQ(Screen().At(312, 212), fill);
}

}  // namespace
