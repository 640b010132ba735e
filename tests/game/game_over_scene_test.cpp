#include "tests/game/game_fixture.h"

#include <cstdlib>

#include "port/control.h"

namespace {

using GameOverSceneTest = GameTest;

const char* const STILL_100 =
    "You have not meet the specified amount of cds destroyed, price is still $100";
const char* const LOWERED =
    "You have destroyed over 20 cds, the price has been lowered 70 precent!";

std::string TextOut(int x, int y, const std::string& text) {
    return "TextOutA(" + std::to_string(x) + ", " + std::to_string(y) + ", \"" + text + "\", " +
           std::to_string(text.size()) + ")";
}

TEST_F(GameOverSceneTest, DrawsTheStatisticsInOrder) {
    StartEngine(FreshDir("stats"));
    gameStats.score = 60;
    gameStats.kills = 20;
    gameStats.lives = -1;
    port::ClearTrace();
    DrawFrame(gameOverScene);
    std::vector<std::string> expected = {
        TextOut(50, 50, "Game over"),
        TextOut(70, 200, "Player Stats"),
        TextOut(70, 230, "Score: 60"),
        TextOut(70, 260, "Kills: 20"),
        TextOut(70, 290, STILL_100),
        TextOut(70, 330, "press enter to continue, escape to exit"),
    };
    EXPECT_EQ(TextOuts(), expected);
}

TEST_F(GameOverSceneTest, MoreThan20KillsLowerThePrice) {
    StartEngine(FreshDir("price"));
    struct Case {
        int kills;
        const char* message;
    } cases[] = {{21, LOWERED}, {20, STILL_100}, {0, STILL_100}, {-5, STILL_100}, {1000, LOWERED}};
    for (const Case& c : cases) {
        gameStats.kills = c.kills;
        port::ClearTrace();
        DrawFrame(gameOverScene);
        std::vector<std::string> text = TextOuts();
        ASSERT_EQ(text.size(), 6u);
        EXPECT_EQ(text[3], TextOut(70, 260, "Kills: " + std::to_string(c.kills)));
        EXPECT_EQ(text[4], TextOut(70, 290, c.message)) << c.kills << " kills";
    }
}

TEST_F(GameOverSceneTest, ScreenIsGreyWithRedLinesAndATitleThatIsNeverRed) {
    StartEngine(FreshDir("colours"));
    gameStats.score = 3;
    gameStats.kills = 1;
    for (unsigned seed : {1u, 7u, 2024u, 31337u}) {
        std::srand(seed);
        const int blue = std::rand() % 255;
        const int green = std::rand() % 255;
        const COLORREF title = static_cast<COLORREF>(blue * 65536 + green * 256);
        std::srand(seed);
        DrawFrame(gameOverScene);
        port::headless::Picture screen = Screen();
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        EXPECT_EQ(screen.At(5, 5), 0xB4B4B4u);
        EXPECT_EQ(screen.At(0, 0), 0xC8C8C8u) << "the outline";
        EXPECT_EQ(screen.At(600, 450), 0xB4B4B4u);
        // The title's solid pixels take exactly the colour made from rand.
        int titlePixels = 0;
        for (int y = 50; y < 170; ++y) {
            for (int x = 50; x < 636; ++x) {  // short of the outline
                COLORREF c = screen.At(x, y);
                titlePixels += c == title;
                ASSERT_LE(GetRValue(c), 0xB4) << "redder than the grey at " << x << ", " << y;
            }
        }
        EXPECT_GT(titlePixels, 500);
        // Every line below the title is red on grey.
        int red = 0;
        for (int y = 200; y < 350; ++y) {
            for (int x = 70; x < 640; ++x) red += screen.At(x, y) == 0x0000FF;
        }
        EXPECT_GT(red, 300);
    }
}

int CountColour(const port::headless::Picture& screen, COLORREF colour) {
    int count = 0;
    for (COLORREF c : screen.pixels) count += c == colour;
    return count;
}

TEST_F(GameOverSceneTest, TitleColourChangesEveryFrameWithoutTicks) {
    StartEngine(FreshDir("flicker"));
    engine.SetScene(SCENE_GAME_OVER);
    std::srand(5);
    int r[5];
    for (int& value : r) value = std::rand();
    const COLORREF first = (r[0] % 255) * 65536 + (r[1] % 255) * 256;
    const COLORREF second = (r[2] % 255) * 65536 + (r[3] % 255) * 256;
    ASSERT_NE(first, second);
    std::srand(5);
    RunFrame();
    EXPECT_GT(CountColour(Screen(), first), 500);
    RunFrame();
    EXPECT_GT(CountColour(Screen(), second), 500);
    EXPECT_EQ(CountColour(Screen(), first), 0);
    EXPECT_EQ(std::rand(), r[4]) << "each frame took two values, ticks or not";
}

TEST_F(GameOverSceneTest, OnlyEnterAndEscapeAct) {
    StartEngine(FreshDir("keys"));
    engine.SetScene(SCENE_GAME_OVER);
    gameStats.lives = -1;
    gameStats.score = 30;
    gameStats.kills = 10;
    objectPool.Spawn(50, 60, 7, KIND_CD);
    for (int key = 0; key < 256; ++key) {
        if (key == VK_RETURN || key == VK_ESCAPE) continue;
        WindowProc(engine.window, WM_KEYDOWN, key, 0);
        ASSERT_EQ(engine.GetScene(), SCENE_GAME_OVER) << "key " << key;
    }
    EXPECT_EQ(gameStats.score, 30);
    EXPECT_EQ(gameStats.kills, 10);
    EXPECT_EQ(gameStats.lives, -1);
    EXPECT_FALSE(objectPool.slots[1].active) << "space did not fire";
    EXPECT_FALSE(PumpMessages());

    WindowProc(engine.window, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(engine.GetScene(), SCENE_INTRO);
    EXPECT_EQ(gameStats.score, 30) << "the next game resets the counters, not Enter here";

    engine.SetScene(SCENE_GAME_OVER);
    WindowProc(engine.window, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(PumpMessages()) << "Escape closes the window and quits";
}

}  // namespace
