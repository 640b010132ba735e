// A play session on the real frame loop that switches away from the game and
// back 100 times at random frames (fixed seed), through the intro, play and
// statistics screens. While away: no frame is drawn and the timer still ticks.
// After each return: the first frame shown is whole again (pictures reloaded,
// flip chain restored), the ticks go on, and a held arrow moves the cannon.
#include "tests/game/game_fixture.h"

#include <filesystem>
#include <random>
#include <sstream>

#include "port/control.h"
#include "tests/lib/game_reset.h"

namespace {

using port::headless::Picture;

const int kSwitches = 100;
const uint64_t kTimerMicros = 15625;  // the system tick that paces WM_TIMER
const COLORREF kIntroColor = 0x00FF00, kIntroBox = 0x0000FF;
const COLORREF kStartColor = 0x804000, kStartBox = 0xFFFFFF;
const COLORREF kDiscColor = 0x00FFFF, kMagenta = 0xFF00FF;
const COLORREF kHudBlue = 0xFF0000, kStatsRed = 0x0000FF;

Picture TitlePicture(COLORREF color, COLORREF box) {
    Picture p;
    p.width = 640;
    p.height = 480;
    p.pixels.assign(640 * 480, color);
    for (int y = 100; y < 300; ++y)
        for (int x = 200; x < 500; ++x) p.pixels[y * 640 + x] = box;
    return p;
}

int Count(const Picture& p, int left, int top, int width, int height, COLORREF color) {
    int n = 0;
    for (int y = top; y < top + height; ++y)
        for (int x = left; x < left + width; ++x) n += p.At(x, y) == color;
    return n;
}

void ActiveDiscs(bool* slots) {
    for (int i = 0; i < POOL_SIZE; ++i)
        slots[i] = objectPool.slots[i].active && objectPool.slots[i].kind == KIND_CD;
}

// Drives the session from the host's per-frame hook and checks each switch.
class Session {
public:
    Session(const Picture& intro, const Picture& start)
        : intro_(intro), start_(start), random_(20240611) {}

    void Observe() {
        ++frames_;
        if (frames_ > 200000) {  // a session that never ends is a failure too
            Fail("the session did not finish");
            done_ = true;
            Press(VK_ESCAPE, DIK_ESCAPE);
            return;
        }
        if (away_) ObserveAway();
        else ObserveActive();
        port::ClearTrace();
        if (!done_) Schedule();
    }

    void Schedule() {
        port::headless::At(port::headless::FrameCount() + 1, [this] { Observe(); });
    }

    std::vector<std::string> failures;
    int returnsIn[3] = {};
    int cannonChecks = 0, discChecks = 0;

private:
    void Fail(const std::string& what) {
        std::ostringstream line;
        line << "switch " << switches_ << ", scene " << sceneAtBlur_ << ": " << what;
        failures.push_back(line.str());
    }

    int Random(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    void Press(int virtualKey, int scanCode) {
        port::headless::KeyDown(virtualKey, scanCode);
        port::headless::KeyUp(virtualKey, scanCode);
    }

    // ---- While away: nothing drawn, the timer still ticks.
    void ObserveAway() {
        if (port::CallCount("Flip") != flipsAtBlur_ || port::CallCount("Blt") != bltsAtBlur_ ||
            port::CallCount("BltFast") != bltFastsAtBlur_)
            Fail("drew while away");
        if (--awayLeft_ > 0) return;
        uint64_t expected = (port::headless::NowMicros() - blurMicros_) / kTimerMicros;
        int ticked = (engine.tickCount - tickAtBlur_ + 101) % 101;
        if (ticked + 2 < static_cast<int>(expected) || ticked > static_cast<int>(expected) + 2)
            Fail("ticked " + std::to_string(ticked) + " times while away, not about " +
                 std::to_string(expected));
        away_ = false;
        checking_ = 0;
        port::headless::SetFocus(true);
        if (engine.GetScene() == SCENE_PLAY && arrow_ == 0) HoldArrow();
    }

    void HoldArrow() {
        arrow_ = playerCannon.x < 270 ? +1 : -1;
        if (arrow_ > 0) port::headless::KeyDown(VK_RIGHT, DIK_RIGHT);
        else port::headless::KeyDown(VK_LEFT, DIK_LEFT);
        cannonAtHold_ = playerCannon.x;
    }

    void ReleaseArrow() {
        if (arrow_ > 0) port::headless::KeyUp(VK_RIGHT, DIK_RIGHT);
        if (arrow_ < 0) port::headless::KeyUp(VK_LEFT, DIK_LEFT);
        arrow_ = 0;
    }

    // ---- While active: the checks after a return, then play until the next switch.
    void ObserveActive() {
        if (checking_ >= 0) CheckReturn();
        if (checking_ >= 0 || --untilSwitch_ > 0) {
            Play();
        } else if (switches_ == kSwitches) {
            done_ = true;
            Press(VK_ESCAPE, DIK_ESCAPE);
        } else {
            SwitchAway();  // with no key of this frame still to be handled
        }
    }

    void SwitchAway() {
        ++switches_;
        sceneAtBlur_ = engine.GetScene();
        introStateAtBlur_ = introScene.state;
        ActiveDiscs(discSlotsAtBlur_);
        flipsAtBlur_ = port::CallCount("Flip");
        bltsAtBlur_ = port::CallCount("Blt");
        bltFastsAtBlur_ = port::CallCount("BltFast");
        tickAtBlur_ = engine.tickCount;
        blurMicros_ = port::headless::NowMicros();
        // Half the time the arrow is already held when the game comes back.
        if (sceneAtBlur_ == SCENE_PLAY && Random(0, 1)) HoldArrow();
        port::headless::SetFocus(false);
        away_ = true;
        awayLeft_ = Random(1, 80);
    }

    void CheckReturn() {
        ++checking_;
        if (checking_ == 1) CheckFirstFrames();
        if (checking_ == 2 && recheckPicture_) CheckPicture("the second frame after the return");
        if (arrow_ != 0 && engine.GetScene() == SCENE_PLAY) {
            int moved = (playerCannon.x - cannonAtHold_) * arrow_;
            if (moved >= CANNON_STEP) {
                ++cannonChecks;
                ReleaseArrow();
            } else if (checking_ == 8) {
                Fail("the held arrow did not move the cannon");
                ReleaseArrow();
            }
        } else if (arrow_ != 0) {
            ReleaseArrow();  // the game ended under it
        }
        if (checking_ == 8) {
            if (engine.tickCount == tickAtReturn_) Fail("no tick after the return");
            checking_ = -1;
            untilSwitch_ = Random(1, 50);
        }
    }

    // The first frame shown after the return, with at most one failed flip
    // before it. This runs inside that frame's flip, which has presented it
    // and not yet traced itself.
    void CheckFirstFrames() {
        ++returnsIn[sceneAtBlur_ >= 0 && sceneAtBlur_ < 3 ? sceneAtBlur_ : 0];
        tickAtReturn_ = engine.tickCount;
        int flips = 0, failed = 0;
        for (const std::string& line : port::TraceLines()) {
            if (line.rfind("Flip(", 0) != 0) continue;
            ++flips;
            failed += line.find("-> 0x0") == std::string::npos;
        }
        if (flips != failed || failed > 1) {
            Fail(std::to_string(failed) + " failed flips before the first frame shown after the return");
            return;
        }
        // A title picture that changed on the first tick back is loaded on its
        // first draw: it may take one frame more.
        recheckPicture_ = sceneAtBlur_ == SCENE_INTRO && introScene.state != introStateAtBlur_;
        CheckPicture(recheckPicture_ ? "" : "the first frame after the return");
    }

    void CheckPicture(const std::string& which) {
        if (which.empty()) return;
        const Picture screen = port::headless::LastFrame();
        switch (engine.GetScene()) {
        case SCENE_INTRO: {
            const Picture& want = introScene.state == INTRO_STATE_START ? start_ : intro_;
            if (screen.pixels != want.pixels) Fail(which + " is not the title picture");
            break;
        }
        case SCENE_PLAY: CheckPlayField(screen, which); break;
        case SCENE_GAME_OVER:
            if (screen.At(320, 470) != 0xB4B4B4 || screen.At(0, 0) != 0xC8C8C8 ||
                Count(screen, 70, 200, 570, 150, kStatsRed) < 300)
                Fail(which + " is not the statistics screen");
            break;
        }
    }

    void CheckPlayField(const Picture& screen, const std::string& which) {
        const int x = playerCannon.x + 50;  // the cannon's middle, give or take a step
        if (screen.At(x, 470) != 0xB4B4B4 || screen.At(x, 450) != 0xFFFFFF ||
            screen.At(x, 430) != kHudBlue)
            Fail(which + ": no cannon at " + std::to_string(playerCannon.x));
        if (Count(screen, 0, 0, 220, 70, kHudBlue) < 20) Fail(which + ": no HUD");
        if (Count(screen, 0, 0, 640, 480, kMagenta) != 0) Fail(which + ": magenta shows");
        // A disc that was falling when the game was left, and still is.
        bool now[POOL_SIZE];
        ActiveDiscs(now);
        bool kept = false;
        for (int i = 0; i < POOL_SIZE; ++i) kept |= now[i] && discSlotsAtBlur_[i];
        if (!kept) return;
        ++discChecks;
        if (Count(screen, 0, 0, 640, 480, kDiscColor) == 0) Fail(which + ": no disc");
    }

    // Moves the session on: Enter on the start picture and the statistics
    // after a while, and some shots during play.
    void Play() {
        switch (engine.GetScene()) {
        case SCENE_INTRO:
        case SCENE_GAME_OVER:
            if (engine.GetScene() == SCENE_INTRO && introScene.state != INTRO_STATE_START) break;
            if (waitBeforeEnter_ < 0) waitBeforeEnter_ = Random(5, 90);
            if (--waitBeforeEnter_ < 0) Press(VK_RETURN, DIK_RETURN);
            break;
        case SCENE_PLAY:
            if (Random(0, 15) == 0) Press(VK_SPACE, DIK_SPACE);
            break;
        }
    }

    const Picture& intro_;
    const Picture& start_;
    std::mt19937 random_;
    int frames_ = 0;
    int switches_ = 0;
    bool done_ = false;
    bool away_ = false;
    int awayLeft_ = 0;
    int untilSwitch_ = 20;
    int checking_ = -1;  // frames since the return, while its checks run
    bool recheckPicture_ = false;
    int waitBeforeEnter_ = -1;
    int arrow_ = 0;  // +1 right or -1 left held, 0 none
    int cannonAtHold_ = 0;
    int sceneAtBlur_ = 0, introStateAtBlur_ = 0;
    bool discSlotsAtBlur_[POOL_SIZE] = {};
    int flipsAtBlur_ = 0, bltsAtBlur_ = 0, bltFastsAtBlur_ = 0;
    int tickAtBlur_ = 0, tickAtReturn_ = 0;
    uint64_t blurMicros_ = 0;
};

using TaskSwitchTest = GameTest;

TEST_F(TaskSwitchTest, HundredSwitchesAwayAndBackThroughEveryScene) {
    const std::string dir = FreshDir("task_switch");
    const Picture intro = TitlePicture(kIntroColor, kIntroBox);
    const Picture start = TitlePicture(kStartColor, kStartBox);
    ASSERT_TRUE(port::headless::SavePicture(intro, dir + "/intro.bmp"));
    ASSERT_TRUE(port::headless::SavePicture(start, dir + "/start.bmp"));
    ASSERT_TRUE(WritePicture(dir + "/cd.bmp", 106, 82, kMagenta, kDiscColor, 20, 20, 86, 62));
    std::filesystem::current_path(dir);
    // The port's reset forgot the fonts made at load, as StartEngine knows.
    RemakeGameFonts();

    Session session(intro, start);
    session.Schedule();
    EXPECT_EQ(GameMain(GetModuleHandleA(nullptr), nullptr), 0);

    for (size_t i = 0; i < session.failures.size() && i < 10; ++i) ADD_FAILURE() << session.failures[i];
    EXPECT_EQ(session.failures.size(), 0u);
    EXPECT_EQ(session.returnsIn[0] + session.returnsIn[1] + session.returnsIn[2], kSwitches);
    EXPECT_GE(session.returnsIn[SCENE_INTRO], 10);
    EXPECT_GE(session.returnsIn[SCENE_PLAY], 10);
    EXPECT_GE(session.returnsIn[SCENE_GAME_OVER], 10);
    EXPECT_GE(session.cannonChecks, 10) << "returns to play where the arrow moved the cannon";
    EXPECT_GE(session.discChecks, 10) << "returns to play with a disc falling";
    std::printf("switches survived: intro %d, play %d, statistics %d; cannon moved after %d, "
                "disc shown after %d\n",
                session.returnsIn[0], session.returnsIn[1], session.returnsIn[2],
                session.cannonChecks, session.discChecks);
}

}  // namespace
