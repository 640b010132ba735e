// What the game's tests share: a fresh platform and game objects for every
// test, and a running engine on the headless host for the tests that draw.
#pragma once

#include "framework/engine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/game_main.h"
#include "game/game_over_scene.h"
#include "game/intro_scene.h"
#include "game/object_pool.h"
#include "game/play_scene.h"
#include "game/player_cannon.h"
#include "port/hosts/headless/headless.h"

#include "tests/lib/game_reset.h"

class GameTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the engine on the headless host, as GameMain does, and makes
    // the game's fonts again (the port's reset forgot the ones made at load).
    // Pictures are loaded from `pictureDir` when one is given.
    void StartEngine(const std::string& pictureDir = "");
    // Handles every waiting message as the frame loop does; true when the
    // quit message was among them.
    bool PumpMessages();
    // One frame as the frame loop runs it: clear, FrameCallback, flip.
    void RunFrame();
    // One frame that takes a tick.
    void RunTickFrame();
    // A frame with nothing but `object`'s drawing.
    template <typename T>
    void DrawFrame(T& object) {
        engine.ClearBackBuffer();
        object.Draw();
        engine.Flip();
    }
    // The last presented frame.
    port::headless::Picture Screen();
    // TextOutA calls traced since the last ClearTrace, without their results.
    std::vector<std::string> TextOuts();

    std::string originalDir_;
};

// A folder of its own under the system's temporary folder, made empty.
std::string FreshDir(const std::string& name);
// Writes a picture of the given size filled with `color`, with `inner`
// painted over the box (left, top)-(right, bottom) when right > left.
bool WritePicture(const std::string& path, int width, int height, COLORREF color,
                  COLORREF inner = 0, int left = 0, int top = 0, int right = 0, int bottom = 0);
