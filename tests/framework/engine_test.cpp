// The engine's tick, its frame loop and the order of Create, on the headless host.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/engine.h"
#include "port/control.h"
#include "port/hosts/headless/headless.h"
#include "port/src/user.h"

namespace {

// ---- The tick, on its own ---------------------------------------------------------

void Timers(Engine& engine, int count) {
    for (int i = 0; i < count; ++i) engine.OnTimer();
}

TEST(EngineTick, NoTimerBetweenFramesMeansNoStep) {
    Engine engine;
    engine.UpdateTickFlag();
    EXPECT_FALSE(engine.TickFlag());
    Timers(engine, 1);
    engine.UpdateTickFlag();
    EXPECT_TRUE(engine.TickFlag());
    engine.UpdateTickFlag();
    EXPECT_FALSE(engine.TickFlag());
}

TEST(EngineTick, SeveralTimersBetweenFramesMakeOneStep) {
    Engine engine;
    Timers(engine, 7);
    engine.UpdateTickFlag();
    EXPECT_TRUE(engine.TickFlag());
    engine.UpdateTickFlag();
    EXPECT_FALSE(engine.TickFlag());
}

TEST(EngineTick, ExactlyOneHundredAndOneTimersLookLikeNone) {
    Engine engine;
    Timers(engine, 5);
    engine.UpdateTickFlag();
    Timers(engine, 101);
    EXPECT_EQ(5, engine.tickCount);
    engine.UpdateTickFlag();
    EXPECT_FALSE(engine.TickFlag());
    Timers(engine, 102);
    engine.UpdateTickFlag();
    EXPECT_TRUE(engine.TickFlag());
}

TEST(EngineTick, CounterWrapsAfterOneHundred) {
    Engine engine;
    Timers(engine, 100);
    EXPECT_EQ(100, engine.tickCount);
    engine.UpdateTickFlag();
    EXPECT_TRUE(engine.TickFlag());
    engine.OnTimer();
    EXPECT_EQ(0, engine.tickCount);
    engine.UpdateTickFlag();
    EXPECT_TRUE(engine.TickFlag());
    for (int i = 0; i < 1000; ++i) {
        engine.OnTimer();
        ASSERT_GE(engine.tickCount, 0);
        ASSERT_LE(engine.tickCount, 100);
    }
}

// ---- The engine in its window ----------------------------------------------------

Engine* current = nullptr;              // the engine the window procedure serves
std::vector<std::string> seen;          // key, close and destroy messages, in order
std::function<void(WPARAM)> onTimer;    // runs after each WM_TIMER's OnTimer
std::function<void(int)> onFrame;       // the body of each frame

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATEAPP:
        current->active = static_cast<DWORD>(wParam);
        return 0;
    case WM_TIMER:
        current->OnTimer();
        if (onTimer) onTimer(wParam);
        return 0;
    case WM_KEYDOWN:
        seen.push_back("WM_KEYDOWN");
        if (wParam == VK_ESCAPE) current->Close();
        return 0;
    case WM_CLOSE:
        seen.push_back("WM_CLOSE");
        break;
    case WM_DESTROY:
        seen.push_back("WM_DESTROY");
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void Frame(int scene) {
    current->UpdateTickFlag();
    if (onFrame) onFrame(scene);
}

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        port::ResetForTest();
        seen.clear();
        onTimer = nullptr;
        onFrame = nullptr;
        engine = std::make_unique<Engine>();
        current = engine.get();
    }
    void TearDown() override {
        engine.reset();
        current = nullptr;
        onTimer = nullptr;
        onFrame = nullptr;
    }
    bool Create(int depthCode = 4) {
        return engine->Create("VEXAR", 640, 480, depthCode, WindowProc, GetModuleHandleA(nullptr),
                              nullptr, nullptr);
    }

    std::unique_ptr<Engine> engine;
};

// Whether the trace holds lines starting with each of `steps`, in that order.
::testing::AssertionResult TracedInOrder(const std::vector<std::string>& steps) {
    std::vector<std::string> lines = port::TraceLines();
    size_t next = 0;
    for (const std::string& line : lines)
        if (next < steps.size() && line.rfind(steps[next], 0) == 0) ++next;
    if (next == steps.size()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "\"" << steps[next] << "\" missing or out of order";
}

TEST_F(EngineTest, CreateBringsEverythingUpInOrder) {
    port::EnableTrace(true);
    ASSERT_TRUE(Create());
    port::EnableTrace(false);
    EXPECT_TRUE(TracedInOrder({"RegisterClassA(\"VEXAR\")",
                               "CreateWindowExA(\"VEXAR\", 0x80880000",
                               "ShowWindow(",
                               "DirectDrawCreate() -> 0x0",
                               "SetCooperativeLevel(0x13) -> 0x0",
                               "SetDisplayMode(640, 480, 32) -> 0x0",
                               "CreateSurface(",
                               "GetAttachedSurface(",
                               "DirectSoundCreate(default) -> 0x0",
                               "IDirectSound::SetCooperativeLevel(",
                               "IDirectSound::CreateSoundBuffer(primary) -> 0x0",
                               "IDirectSoundBuffer::Play(0, 0, 0x1) -> 0x0",
                               "DirectInputCreateA(0x700) -> 0x0",
                               "IDirectInput::CreateDevice(GUID_SysKeyboard) -> 0x0",
                               "IDirectInputDevice::SetDataFormat(c_dfDIKeyboard) -> 0x0",
                               "IDirectInputDevice::SetCooperativeLevel(0x6) -> 0x0",
                               "IDirectInputDevice::Acquire() -> 0x0"}));
    EXPECT_EQ(port::GameWindow(), engine->window);
    EXPECT_NE(0u, engine->active);
    EXPECT_NE(nullptr, engine->display.primary);
    EXPECT_NE(nullptr, engine->display.backBuffer);
    EXPECT_NE(nullptr, engine->directSound);
    EXPECT_NE(nullptr, engine->keyboard);
    EXPECT_EQ(&engine->display, engine->textPainter.display);
    EXPECT_EQ(&engine->display, engine->shapePainter.display);
    EXPECT_TRUE(port::headless::MessageBoxes().empty());
    EXPECT_EQ(0, port::Live().dcs) << "the screen DC read for the depth is given back";
}

TEST_F(EngineTest, DepthCodesChooseTheBitsPerPixel) {
    struct Case {
        int depthCode;
        int desktop;
        const char* modeLine;
    } cases[] = {{1, 32, "SetDisplayMode(640, 480, 16) -> 0x0"},
                 {2, 32, "SetDisplayMode(640, 480, 24) -> 0x0"},
                 {3, 16, "SetDisplayMode(640, 480, 32) -> 0x0"},
                 {4, 16, "SetDisplayMode(640, 480, 16) -> 0x0"},
                 {4, 24, "SetDisplayMode(640, 480, 24) -> 0x0"},
                 {0, 32, "SetDisplayMode(640, 480, 8) -> 0x"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.modeLine);
        engine.reset();
        port::ResetForTest();
        engine = std::make_unique<Engine>();
        current = engine.get();
        port::headless::SetDesktopBitsPerPixel(c.desktop);
        port::EnableTrace(true);
        bool created = Create(c.depthCode);
        port::EnableTrace(false);
        EXPECT_TRUE(TracedInOrder({c.modeLine}));
        // The port has no 8-bit mode: that request fails like a refused mode.
        EXPECT_EQ(c.depthCode != 0, created);
    }
}

TEST_F(EngineTest, UnknownDepthCodeIsRefusedBeforeTheDisplay) {
    for (int depthCode : {5, -1}) {
        port::ResetForTest();
        Engine refused;
        current = &refused;
        EXPECT_FALSE(refused.Create("VEXAR", 640, 480, depthCode, WindowProc,
                                    GetModuleHandleA(nullptr), nullptr, nullptr));
        EXPECT_EQ(0, port::CallCount("DirectDrawCreate"));
        EXPECT_TRUE(port::headless::MessageBoxes().empty());
        EXPECT_NE(nullptr, port::GameWindow()) << "the window stays, as after display failures";
    }
}

TEST_F(EngineTest, FailedWindowEndsCreateSilently) {
    port::FailCall("CreateWindowExA");
    EXPECT_FALSE(Create());
    EXPECT_EQ(nullptr, engine->window);
    EXPECT_TRUE(port::headless::MessageBoxes().empty());
    EXPECT_EQ(0, port::CallCount("ShowWindow"));
    EXPECT_EQ(0, port::CallCount("DirectDrawCreate"));
    EXPECT_EQ(0, port::CallCount("DirectSoundCreate"));
    EXPECT_EQ(0, port::CallCount("DirectInputCreateA"));
}

TEST_F(EngineTest, EachFrameTakesAtMostOneStepForAnyTimerId) {
    ASSERT_TRUE(Create());
    engine->StartTimer(42, 1);
    int timers = 0;  // since the previous frame
    int frames = 0;
    int framesWithTimers = 0;
    onTimer = [&](WPARAM id) {
        EXPECT_TRUE(id == 42 || id == 7) << id;
        ++timers;
    };
    onFrame = [&](int) {
        ++frames;
        EXPECT_EQ(timers % 101 != 0, engine->TickFlag()) << "frame " << frames;
        if (frames == 31) {
            EXPECT_GE(timers, 5);
        }
        if (timers > 0) ++framesWithTimers;
        timers = 0;
        // Many timer messages, of another id, before the next frame: one step.
        if (frames == 30)
            for (int i = 0; i < 5; ++i) SendMessageA(engine->window, WM_TIMER, 7, 0);
        if (frames == 120) engine->Close();
    };
    EXPECT_EQ(0, engine->RunLoop(Frame));
    EXPECT_EQ(120, frames);
    EXPECT_GT(framesWithTimers, 60) << "the timer ticks about once per frame";
}

TEST_F(EngineTest, EscapeClosesTheWindowAndEndsTheLoopWithZero) {
    ASSERT_TRUE(Create());
    int frames = 0;
    onFrame = [&](int) {
        ++frames;
        if (frames == 3) port::headless::KeyDown(VK_ESCAPE, DIK_ESCAPE);
    };
    EXPECT_EQ(0, engine->RunLoop(Frame));
    EXPECT_EQ(3, frames) << "no frame runs once Escape is handled";
    EXPECT_EQ((std::vector<std::string>{"WM_KEYDOWN", "WM_CLOSE", "WM_DESTROY"}), seen);
    EXPECT_EQ(nullptr, port::GameWindow());
}

TEST_F(EngineTest, NoFramesWhileInactiveButTicksGoOn) {
    ASSERT_TRUE(Create());
    engine->StartTimer(1, 1);
    int frames = 0;
    int inactiveTimers = 0;
    int flipsAtBlur = -1;
    int clearsAtBlur = -1;
    int tickAtBlur = -1;
    bool firstFrameBack = false;
    onTimer = [&](WPARAM) {
        if (engine->active) return;
        if (++inactiveTimers == 1) {
            flipsAtBlur = port::CallCount("Flip");
            clearsAtBlur = port::CallCount("Blt");
            tickAtBlur = engine->tickCount;
        }
        if (inactiveTimers == 30) {
            EXPECT_EQ(flipsAtBlur, port::CallCount("Flip"));
            EXPECT_EQ(clearsAtBlur, port::CallCount("Blt"));
            EXPECT_EQ((tickAtBlur + 29) % 101, engine->tickCount);
            firstFrameBack = true;
            port::headless::SetFocus(true);
        }
    };
    onFrame = [&](int) {
        ++frames;
        EXPECT_TRUE(port::AppActive()) << "a frame ran in the background";
        if (firstFrameBack) {
            EXPECT_TRUE(engine->TickFlag()) << "the first frame back takes the ticks missed";
            firstFrameBack = false;
        }
        if (frames == 5) port::headless::SetFocus(false);
        if (frames == 10) engine->Close();
    };
    EXPECT_EQ(0, engine->RunLoop(Frame));
    EXPECT_EQ(30, inactiveTimers);
    EXPECT_EQ(10, frames);
}

TEST_F(EngineTest, SceneChangeIsSeenFromTheNextFrame) {
    ASSERT_TRUE(Create());
    std::vector<int> scenes;
    onFrame = [&](int scene) {
        scenes.push_back(scene);
        if (scenes.size() == 2) {
            engine->SetScene(2);
            EXPECT_EQ(2, engine->GetScene());
        }
        if (scenes.size() == 4) engine->Close();
    };
    EXPECT_EQ(0, engine->RunLoop(Frame));
    EXPECT_EQ((std::vector<int>{0, 0, 2, 2}), scenes);
}

}  // namespace

// ---- The pace where the flip does not wait ------------------------------------------

namespace pace {

constexpr uint64_t kFrameMicros = 16667;  // the headless host's 60 Hz
constexpr int kFrames = 180;              // three seconds of them

bool Traced(const std::string& start) {
    for (const std::string& line : port::TraceLines())
        if (line.rfind(start, 0) == 0) return true;
    return false;
}

}  // namespace pace

TEST_F(EngineTest, FlipThatDoesNotWaitIsHeldToTheRefreshRateWithOneTickAFrame) {
    port::headless::SetFlipWaits(false);
    ASSERT_TRUE(Create());
    engine->StartTimer(1, 1);
    std::vector<uint64_t> starts;
    int ticks = 0;
    onFrame = [&](int) {
        starts.push_back(port::headless::NowMicros());
        if (starts.size() > 3 && engine->TickFlag()) ++ticks;
        if (starts.size() == pace::kFrames) engine->Close();
    };
    EXPECT_EQ(0, engine->RunLoop(Frame));
    ASSERT_EQ(size_t(pace::kFrames), starts.size());
    // The first three frames, back to back, show that the flip does not wait;
    // from then on each frame is due a whole period after the one before.
    for (size_t i = 4; i < starts.size(); ++i)
        ASSERT_GE(starts[i] - starts[i - 1], pace::kFrameMicros - 1000) << "frame " << i;
    const uint64_t span = starts.back() - starts[2];
    EXPECT_GE(span, (pace::kFrames - 3) * pace::kFrameMicros) << "faster than 60 a second";
    EXPECT_LT(span, (pace::kFrames - 3) * pace::kFrameMicros + 1000) << "slower than 60 a second";
    EXPECT_EQ(pace::kFrames - 3, ticks) << "the 64 Hz timer gives every frame its tick";
}

TEST_F(EngineTest, FlipThatWaitsIsNeverHeld) {
    port::EnableTrace(true);
    ASSERT_TRUE(Create());
    engine->StartTimer(1, 1);
    int frames = 0;
    onFrame = [&](int) {
        ++frames;
        // Back from the background part-way through a refresh: the first flip
        // fails on its lost surfaces, the next returns after a part of a period.
        if (frames == 60) port::headless::SetFocus(false);
        if (frames == pace::kFrames) engine->Close();
    };
    onTimer = [&](WPARAM) {
        if (!engine->active && port::headless::NowMicros() % pace::kFrameMicros > 5000)
            port::headless::SetFocus(true);
    };
    EXPECT_EQ(0, engine->RunLoop(Frame));
    EXPECT_EQ(pace::kFrames, frames);
    EXPECT_FALSE(pace::Traced("MsgWaitForMultipleObjects"));
    EXPECT_FALSE(pace::Traced("timeBeginPeriod"));
    EXPECT_EQ(frames, port::CallCount("QueryPerformanceCounter")) << "one clock read a frame";
    EXPECT_EQ(1, port::CallCount("GetMonitorFrequency"));
    EXPECT_EQ(frames, port::CallCount("Flip"));
}

TEST_F(EngineTest, KeyPressDuringTheWaitIsHandledBeforeTheNextFrame) {
    port::headless::SetFlipWaits(false);
    ASSERT_TRUE(Create());
    engine->StartTimer(1, 1);
    std::vector<uint64_t> starts;
    bool pressed = false;
    onTimer = [&](WPARAM) {
        // A timer message during the hold after frame 20: the key comes with it.
        if (starts.size() == 20 && !pressed) {
            EXPECT_TRUE(engine->pace.holding);
            port::headless::KeyDown(VK_SPACE, DIK_SPACE);
            seen.push_back("key pressed");
            pressed = true;
        }
    };
    onFrame = [&](int) {
        starts.push_back(port::headless::NowMicros());
        seen.push_back("frame " + std::to_string(starts.size()));
        if (starts.size() == 22) engine->Close();
    };
    EXPECT_EQ(0, engine->RunLoop(Frame));
    auto at = std::find(seen.begin(), seen.end(), "key pressed");
    ASSERT_NE(seen.end(), at);
    EXPECT_EQ((std::vector<std::string>{"key pressed", "WM_KEYDOWN", "frame 21"}),
              std::vector<std::string>(at, at + 3));
    EXPECT_GE(starts[20] - starts[19], pace::kFrameMicros - 1000)
        << "the key does not cut the wait short";
}
