#include "tests/game/game_fixture.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "port/control.h"

namespace {

std::filesystem::path TestRoot() {
    return std::filesystem::temp_directory_path() /
           ("vexar-game-tests-" + std::to_string(getpid()));
}

// Removes the test folders once every test has run.
class TempCleanup : public ::testing::Environment {
public:
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(TestRoot(), ignored);
    }
};
::testing::Environment* const tempCleanup =
    ::testing::AddGlobalTestEnvironment(new TempCleanup);

}  // namespace

void GameTest::SetUp() {
    originalDir_ = std::filesystem::current_path().string();
    ResetGame();
    port::ResetForTest();
    port::EnableTrace(true);
}

void GameTest::TearDown() {
    ReleaseGame();
    std::filesystem::current_path(originalDir_);
}

void GameTest::StartEngine(const std::string& pictureDir) {
    RemakeGameFonts();
    ASSERT_TRUE(engine.Create("VEXAR", 640, 480, 4, WindowProc, GetModuleHandleA(nullptr),
                              nullptr, nullptr));
    ASSERT_NE(engine.active, 0u) << "the headless window is active once shown";
    if (!pictureDir.empty()) std::filesystem::current_path(pictureDir);
    introScene.Init();
    playScene.Init();
    objectPool.Init();
    playerCannon.Init();
    engine.SetScene(SCENE_INTRO);
}

bool GameTest::PumpMessages() {
    bool quit = false;
    MSG message = {};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit = true;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return quit;
}

void GameTest::RunFrame() {
    engine.ClearBackBuffer();
    FrameCallback(engine.scene);
    engine.Flip();
}

void GameTest::RunTickFrame() {
    engine.OnTimer();
    RunFrame();
}

port::headless::Picture GameTest::Screen() { return port::headless::LastFrame(); }

std::vector<std::string> GameTest::TextOuts() {
    std::vector<std::string> lines;
    for (std::string line : port::TraceLines()) {
        if (line.rfind("TextOutA(", 0) != 0) continue;
        // The call alone, without its result.
        size_t result = line.rfind(") -> ");
        if (result != std::string::npos) line.resize(result + 1);
        lines.push_back(line);
    }
    return lines;
}

std::string FreshDir(const std::string& name) {
    std::filesystem::path dir = TestRoot() / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

bool WritePicture(const std::string& path, int width, int height, COLORREF color,
                  COLORREF inner, int left, int top, int right, int bottom) {
    port::headless::Picture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.assign(static_cast<size_t>(width) * height, color);
    for (int y = top; y < bottom && right > left; ++y) {
        for (int x = left; x < right; ++x) picture.pixels[static_cast<size_t>(y) * width + x] = inner;
    }
    return port::headless::SavePicture(picture, path);
}
