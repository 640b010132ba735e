// The keyboard, sound and sockets start-up, on the headless host.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/engine.h"
#include "port/control.h"
#include "port/hosts/headless/headless.h"
#include "port/src/user.h"
#include "tests/lib/test_window.h"

namespace {

Engine* current = nullptr;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ACTIVATEAPP && current) {
        current->active = static_cast<DWORD>(wParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND OpenWindow() {
    return OpenTestWindow(WindowProc, "KEYS", "KEYS", WS_POPUPWINDOW, GetModuleHandleA(nullptr));
}

std::vector<std::string> SocketCalls() {
    std::vector<std::string> calls;
    for (const std::string& line : port::TraceLines())
        if (line.rfind("WSA", 0) == 0) calls.push_back(line);
    return calls;
}

class DevicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        port::ResetForTest();
        port::EnableTrace(true);
        current = &engine;
    }
    void TearDown() override {
        port::EnableTrace(false);
        current = nullptr;
    }

    Engine engine;
};

// ---- Sockets ---------------------------------------------------------------------

TEST_F(DevicesTest, FailedSocketsStartShowsTheBoxAndQuits) {
    port::FailCall("WSAStartup");
    StartSockets();
    auto boxes = port::headless::MessageBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Error Couldnt Init Winsock!", boxes[0].text);
    EXPECT_EQ("Aborting", boxes[0].caption);
    // MB_ICONINFORMATION | MB_SETFOREGROUND | MB_TOPMOST: in front of the game's window.
    EXPECT_EQ(0x50040u, boxes[0].style);
    EXPECT_EQ(0, port::CallCount("WSACleanup"));

    // The frame loop then ends at its first look at the queue, with code 0.
    engine.active = 1;
    EXPECT_EQ(0, engine.RunLoop([](int) {
        ADD_FAILURE() << "a frame ran";
        PostQuitMessage(1);
    }));
}

TEST_F(DevicesTest, OtherSocketsVersionIsUndoneAtOnceAndSilently) {
    port::SetSocketsVersion(1, 0);
    StartSockets();
    EXPECT_EQ((std::vector<std::string>{"WSAStartup(0x101) -> 0", "WSACleanup() -> 0"}),
              SocketCalls());
    EXPECT_TRUE(port::headless::MessageBoxes().empty());
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
    CleanupSockets();  // the guard's own clean-up still comes, and fails harmlessly
    EXPECT_EQ("WSACleanup() -> -1", SocketCalls().back());
}

TEST_F(DevicesTest, GuardStartsAndCleansUpOnce) {
    {
        NetworkGuard guard;
        EXPECT_EQ((std::vector<std::string>{"WSAStartup(0x101) -> 0"}), SocketCalls());
    }
    EXPECT_EQ((std::vector<std::string>{"WSAStartup(0x101) -> 0", "WSACleanup() -> 0"}),
              SocketCalls());
    EXPECT_TRUE(port::headless::MessageBoxes().empty());
}

// ---- Keyboard --------------------------------------------------------------------

TEST_F(DevicesTest, HeldKeysAreSeenWhileHeld) {
    engine.window = OpenWindow();
    ASSERT_EQ(DI_OK, engine.InitKeyboard());
    EXPECT_FALSE(engine.IsKeyDown(DIK_RIGHT));
    port::headless::KeyDown(VK_RIGHT, DIK_RIGHT);
    port::headless::KeyDown(VK_LEFT, DIK_LEFT);
    EXPECT_TRUE(engine.IsKeyDown(DIK_RIGHT));
    EXPECT_TRUE(engine.IsKeyDown(DIK_LEFT));
    EXPECT_FALSE(engine.IsKeyDown(DIK_UP));
    port::headless::KeyUp(VK_RIGHT, DIK_RIGHT);
    EXPECT_FALSE(engine.IsKeyDown(DIK_RIGHT));
    EXPECT_TRUE(engine.IsKeyDown(DIK_LEFT));
    port::headless::KeyUp(VK_LEFT, DIK_LEFT);
    EXPECT_FALSE(engine.IsKeyDown(DIK_LEFT));
}

TEST_F(DevicesTest, KeyCodesOutsideTheStateAreUp) {
    engine.window = OpenWindow();
    ASSERT_EQ(DI_OK, engine.InitKeyboard());
    port::headless::KeyDown(VK_ESCAPE, DIK_ESCAPE);
    int reads = port::CallCount("IDirectInputDevice::GetDeviceState");
    EXPECT_FALSE(engine.IsKeyDown(-1));
    EXPECT_FALSE(engine.IsKeyDown(256));
    EXPECT_FALSE(engine.IsKeyDown(DIK_ESCAPE + 256));
    EXPECT_EQ(reads, port::CallCount("IDirectInputDevice::GetDeviceState"));
    EXPECT_TRUE(engine.IsKeyDown(DIK_ESCAPE));
    EXPECT_FALSE(Engine().IsKeyDown(DIK_ESCAPE)) << "no keyboard opened";
}

TEST_F(DevicesTest, HeldKeysComeBackWithTheForeground) {
    engine.window = OpenWindow();
    ASSERT_EQ(DI_OK, engine.InitKeyboard());
    port::headless::KeyDown(VK_RIGHT, DIK_RIGHT);
    ASSERT_TRUE(engine.IsKeyDown(DIK_RIGHT));

    port::headless::SetFocus(false);
    DispatchWaitingMessages();
    EXPECT_FALSE(engine.IsKeyDown(DIK_RIGHT)) << "lost, and cannot be taken back yet";
    EXPECT_FALSE(engine.IsKeyDown(DIK_RIGHT));
    EXPECT_EQ(3, port::CallCount("IDirectInputDevice::Acquire")) << "one try per read";

    port::headless::SetFocus(true);
    DispatchWaitingMessages();
    EXPECT_TRUE(engine.IsKeyDown(DIK_RIGHT));
    EXPECT_TRUE(engine.IsKeyDown(DIK_RIGHT));
    EXPECT_EQ(4, port::CallCount("IDirectInputDevice::Acquire")) << "taken back once, kept";
}

TEST_F(DevicesTest, KeyboardStepsStopAtTheFirstMissingInterface) {
    HWND window = OpenWindow();
    struct Case {
        const char* failing;
        bool hasInput;
        std::vector<const char*> notCalled;
    } cases[] = {
        {"DirectInputCreateA", false,
         {"IDirectInput::CreateDevice", "IDirectInputDevice::SetDataFormat",
          "IDirectInputDevice::SetCooperativeLevel", "IDirectInputDevice::Acquire"}},
        {"IDirectInput::CreateDevice", true,
         {"IDirectInputDevice::SetDataFormat", "IDirectInputDevice::SetCooperativeLevel",
          "IDirectInputDevice::Acquire"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failing);
        port::ClearFailures();
        port::FailCall(c.failing);
        for (const char* step : c.notCalled) ASSERT_EQ(0, port::CallCount(step));
        IDirectInput* input = nullptr;
        IDirectInputDevice* keyboard = nullptr;
        EXPECT_NE(DI_OK, OpenKeyboard(window, &input, &keyboard));
        EXPECT_EQ(c.hasInput, input != nullptr);
        EXPECT_EQ(nullptr, keyboard);
        for (const char* step : c.notCalled) EXPECT_EQ(0, port::CallCount(step)) << step;
        EXPECT_FALSE(KeyboardKeyDown(keyboard, DIK_RIGHT));
        if (input) input->Release();
    }
}

// ---- Sound -----------------------------------------------------------------------

TEST_F(DevicesTest, SoundPlaysThePrimaryBufferInALoop) {
    HWND window = OpenWindow();
    ASSERT_TRUE(engine.InitSound());
    ASSERT_NE(nullptr, engine.directSound);
    char level[64];
    std::snprintf(level, sizeof level, "IDirectSound::SetCooperativeLevel(%p, 2) -> 0x0",
                  static_cast<void*>(window));
    std::vector<std::string> calls;
    for (const std::string& line : port::TraceLines())
        if (line.rfind("IDirectSound", 0) == 0 || line.rfind("DirectSound", 0) == 0)
            calls.push_back(line);
    EXPECT_EQ((std::vector<std::string>{"DirectSoundCreate(default) -> 0x0", level,
                                        "IDirectSound::CreateSoundBuffer(primary) -> 0x0",
                                        "IDirectSoundBuffer::Play(0, 0, 0x1) -> 0x0"}),
              calls);
    EXPECT_EQ(2, port::Live().comObjects) << "the sound object and its primary buffer stay";
}

TEST_F(DevicesTest, SoundWithoutAForegroundWindowUsesTheDesktop) {
    ASSERT_EQ(nullptr, GetForegroundWindow());
    ASSERT_TRUE(engine.InitSound());
    char level[64];
    std::snprintf(level, sizeof level, "IDirectSound::SetCooperativeLevel(%p, 2) -> 0x0",
                  static_cast<void*>(GetDesktopWindow()));
    bool found = false;
    for (const std::string& line : port::TraceLines()) found |= line == level;
    EXPECT_TRUE(found) << level;
}

TEST_F(DevicesTest, SoundFailuresAreSilentAndLeaveNothing) {
    for (const char* failing : {"DirectSoundCreate", "IDirectSound::SetCooperativeLevel",
                                "IDirectSound::CreateSoundBuffer"}) {
        SCOPED_TRACE(failing);
        port::ResetForTest();
        port::FailCall(failing);
        IDirectSound* sound = nullptr;
        EXPECT_FALSE(OpenSound(&sound));
        EXPECT_EQ(nullptr, sound);
        EXPECT_EQ(0, port::Live().comObjects);
        EXPECT_EQ(0, port::CallCount("IDirectSoundBuffer::Play"));
        EXPECT_TRUE(port::headless::MessageBoxes().empty());
    }
}

TEST_F(DevicesTest, GameRunsWithoutASoundDevice) {
    port::headless::SetAudioAvailable(false);
    ASSERT_TRUE(engine.Create("VEXAR", 640, 480, 4, WindowProc, GetModuleHandleA(nullptr), nullptr,
                              nullptr));
    EXPECT_EQ(nullptr, engine.directSound);
    EXPECT_NE(nullptr, engine.keyboard);
    EXPECT_TRUE(port::headless::MessageBoxes().empty());
}

}  // namespace
