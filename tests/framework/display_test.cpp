// The display's set-up failures, the per-frame clear and flip, and the
// release at exit, on the headless host with injected failures.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/engine.h"
#include "port/control.h"
#include "port/hosts/headless/headless.h"
#include "port/src/user.h"

namespace {

Engine* current = nullptr;
std::function<void()> onFrame;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATEAPP:
        current->active = static_cast<DWORD>(wParam);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void Frame(int) {
    current->UpdateTickFlag();
    if (onFrame) onFrame();
}

// The trace lines that release an interface or show a message box, in order.
std::vector<std::string> ReleasesAndBoxes() {
    std::vector<std::string> events;
    for (const std::string& line : port::TraceLines()) {
        if (line.rfind("Release(", 0) == 0) events.push_back(line.substr(0, line.find(')') + 1));
        if (line.rfind("MessageBoxA(", 0) == 0) events.push_back("MessageBoxA");
    }
    return events;
}

bool QuitQueued() {
    MSG message;
    return PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE) && message.message == WM_QUIT &&
           message.wParam == 0;
}

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override { Fresh(); }
    void TearDown() override {
        engine.reset();
        port::EnableTrace(false);
        current = nullptr;
        onFrame = nullptr;
    }
    void Fresh() {
        engine.reset();
        port::ResetForTest();
        port::EnableTrace(true);
        onFrame = nullptr;
        engine = std::make_unique<Engine>();
        current = engine.get();
    }
    bool Create() {
        return engine->Create("VEXAR", 640, 480, 4, WindowProc, GetModuleHandleA(nullptr), nullptr,
                              nullptr);
    }
    // Fills the back buffer with one grey level (the same value in every format).
    void Fill(DWORD grey) {
        DDBLTFX fx = {};
        fx.dwSize = sizeof fx;
        fx.dwFillColor = grey | grey << 8 | grey << 16;
        ASSERT_EQ(DD_OK, engine->display.backBuffer->Blt(nullptr, nullptr, nullptr,
                                                         DDBLT_COLORFILL | DDBLT_WAIT, &fx));
    }

    std::unique_ptr<Engine> engine;
};

struct SetUpFailure {
    const char* call;
    const char* text;
    const char* caption;  // null: none given
    std::vector<std::string> events;
    bool closesWindow;
    int displayModeCalls;
};

TEST_F(DisplayTest, EverySetUpFailureShowsItsBoxAndLeavesNothingHeld) {
    const char* surfaces = "Couldnt Set Surfaces! Fatal Error! DirectX is jacked Man";
    const SetUpFailure failures[] = {
        {"DirectDrawCreate", "Couldnt Create DirectX Object! Error: Terminating!", "Error!!!",
         {"MessageBoxA"}, true, 0},
        {"SetCooperativeLevel", "Couldnt Set Cooperative Level, Fatal Error Aborting", "Error",
         {"Release(DirectDraw)", "MessageBoxA"}, false, 0},
        {"SetDisplayMode", "Error Setting Display Mode", nullptr,
         {"MessageBoxA", "Release(DirectDraw)"}, false, 1},
        {"CreateSurface", surfaces, "Broken Software :(",
         {"Release(DirectDraw)", "MessageBoxA"}, false, 1},
        {"GetAttachedSurface", surfaces, "Broken Software :(",
         {"Release(primary)", "Release(DirectDraw)", "MessageBoxA"}, false, 1},
    };
    for (const SetUpFailure& failure : failures) {
        SCOPED_TRACE(failure.call);
        Fresh();
        port::FailCall(failure.call);
        EXPECT_FALSE(Create());

        auto boxes = port::headless::MessageBoxes();
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ(failure.text, boxes[0].text);
        EXPECT_EQ(failure.caption ? failure.caption : "", boxes[0].caption);
        // The error icon, in front of the full-screen window: MB_ICONERROR |
        // MB_SETFOREGROUND | MB_TOPMOST.
        EXPECT_EQ(0x50010u, boxes[0].style);
        std::string boxLine = std::string("MessageBoxA(\"") + failure.text + "\", " +
                              (failure.caption ? std::string("\"") + failure.caption + "\""
                                               : std::string("NULL")) +
                              ", 0x50010)";
        bool traced = false;
        for (const std::string& line : port::TraceLines()) traced |= line.rfind(boxLine, 0) == 0;
        EXPECT_TRUE(traced) << boxLine;

        EXPECT_EQ(failure.events, ReleasesAndBoxes());
        EXPECT_EQ(failure.displayModeCalls, port::CallCount("SetDisplayMode"));
        EXPECT_EQ(failure.closesWindow, port::GameWindow() == nullptr);
        EXPECT_EQ(failure.closesWindow, QuitQueued());
        EXPECT_EQ(nullptr, engine->display.directDraw);
        EXPECT_EQ(nullptr, engine->display.primary);
        EXPECT_EQ(nullptr, engine->display.backBuffer);
        EXPECT_EQ(0, port::Live().comObjects);
        EXPECT_EQ(0, port::Live().surfaces);
        EXPECT_EQ(0, port::CallCount("DirectSoundCreate")) << "devices are not opened";

        engine.reset();
        EXPECT_EQ(failure.events, ReleasesAndBoxes()) << "nothing is released again at exit";
    }
}

TEST_F(DisplayTest, FailedFlipRestoresOnceAndTheNextFrameFlips) {
    ASSERT_TRUE(Create());
    int frames = 0;
    onFrame = [&] {
        ++frames;
        port::headless::Picture picture = port::headless::LastFrame();
        ASSERT_EQ(frames == 1 ? 0 : 640, picture.width);
        COLORREF shown = frames == 1 ? 0 : picture.At(320, 240);
        if (frames == 4) {
            EXPECT_EQ(0x202020u, shown) << "the failed frame 3 is not shown";
        }
        if (frames == 5) {
            EXPECT_EQ(0x404040u, shown) << "frame 4 flips again";
            EXPECT_EQ(4, port::CallCount("Flip"));
            EXPECT_EQ(1, port::CallCount("Restore"));
        }
        Fill(0x10 * frames);
        if (frames == 5) engine->Close();
    };
    port::FailCall("Flip", 3);
    EXPECT_EQ(0, engine->RunLoop(Frame));
    EXPECT_EQ(5, frames);
}

TEST_F(DisplayTest, EveryFrameStartsBlack) {
    ASSERT_TRUE(Create());
    int frames = 0;
    onFrame = [&] {
        ++frames;
        const DDBLTFX& fx = engine->clearFx;
        EXPECT_EQ(sizeof(DDBLTFX), fx.dwSize);
        EXPECT_EQ(0u, fx.dwFillColor);
        DDSURFACEDESC desc = {};
        desc.dwSize = sizeof desc;
        IDirectDrawSurface* back = engine->display.backBuffer;
        ASSERT_EQ(DD_OK, back->Lock(nullptr, &desc, 0, nullptr));
        const int bytes = static_cast<int>(desc.ddpfPixelFormat.dwRGBBitCount / 8);
        bool black = true;
        for (DWORD y = 0; y < desc.dwHeight && black; ++y) {
            const BYTE* row = static_cast<const BYTE*>(desc.lpSurface) + y * desc.lPitch;
            for (DWORD x = 0; x < desc.dwWidth * bytes; ++x) black &= row[x] == 0;
        }
        back->Unlock(nullptr);
        EXPECT_TRUE(black) << "frame " << frames;
        Fill(0xFF);
        engine->clearFx.dwFillColor = 0x123456;  // rebuilt before the next clear
        if (frames == 4) engine->Close();
    };
    EXPECT_EQ(0, engine->RunLoop(Frame));
    EXPECT_EQ(4, frames);
    EXPECT_EQ(0xFFFFFFu, port::headless::LastFrame().At(0, 0) & 0xFFFFFF);
}

TEST_F(DisplayTest, ReleasesBackBufferThenPrimaryThenDirectDrawAtExit) {
    ASSERT_TRUE(Create());
    port::ClearTrace();
    engine.reset();
    EXPECT_EQ((std::vector<std::string>{"Release(backbuffer)", "Release(primary)",
                                        "Release(DirectDraw)"}),
              ReleasesAndBoxes());
    EXPECT_EQ(0, port::Live().surfaces);
}

TEST_F(DisplayTest, ClearAndFlipWithoutADisplayDoNothing) {
    Display empty;
    DDBLTFX fx;
    fx.dwFillColor = 0x777;
    empty.Clear(fx);
    empty.Flip();
    EXPECT_EQ(sizeof(DDBLTFX), fx.dwSize);
    EXPECT_EQ(0u, fx.dwFillColor);
    EXPECT_EQ(0, port::CallCount("Blt"));
    EXPECT_EQ(0, port::CallCount("Flip"));
}

}  // namespace
