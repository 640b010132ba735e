// What every host shares: its table, its settings, its frame checks and pace,
// and what a lost focus does to held keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "port/hosts/host_core.h"

namespace {

using port::HostEvent;

TEST(HostTableTest, EveryHostHasANameOfItsOwnAndEveryOperation) {
    std::set<std::string> names;
    for (const port::Host* host : port::AllHosts()) {
        EXPECT_EQ(port::MissingOperation(*host), nullptr) << host->name;
        names.insert(host->name);
    }
    EXPECT_EQ(names, (std::set<std::string>{"sdl", "headless"}));
    port::Host partial("partial");
    partial.openWindow = [](const char*, int, int) { return true; };
    EXPECT_STREQ(port::MissingOperation(partial), "closeWindow");
}

std::map<std::string, std::string> environment;
std::string Lookup(const char* name) { return environment[name]; }

TEST(HostSettingsTest, ValuesAreReadStrictlyAndABadOneIsSaidOnceAndLeftAtItsDefault) {
    environment = {{"VEXAR_BPP", "16"}, {"VEXAR_WINDOWED", "1"}, {"VEXAR_SCALE", "integer"},
                   {"VEXAR_MAX_FRAMES", "0"}, {"VEXAR_FLIP_NO_WAIT", "1"}, {"VEXAR_HOST", "headless"},
                   {"VEXAR_DISPLAY", "1"}};
    port::HostSettings good = port::ReadHostSettings(&Lookup);
    EXPECT_EQ(good.bitsPerPixel, 16);
    EXPECT_TRUE(good.windowed);
    EXPECT_EQ(good.scale, port::ScaleMode::Integer);
    EXPECT_EQ(good.maxFrames, 0u);
    EXPECT_FALSE(good.flipWaits);
    EXPECT_EQ(good.host, "headless");
    EXPECT_EQ(good.display, 1);

    environment = {{"VEXAR_BPP", "16x"}, {"VEXAR_WINDOWED", "yes"}, {"VEXAR_SCALE", "big"},
                   {"VEXAR_MAX_FRAMES", "-3"}, {"VEXAR_REPORT_EVERY", "0"}, {"VEXAR_SHOW_RENDERER", " 1"},
                   {"VEXAR_DISPLAY", "64"}};
    testing::internal::CaptureStderr();
    port::HostSettings bad = port::ReadHostSettings(&Lookup);
    const std::string said = testing::internal::GetCapturedStderr();
    const port::HostSettings defaults;
    EXPECT_EQ(bad.bitsPerPixel, 0);
    EXPECT_EQ(bad.windowed, defaults.windowed);
    EXPECT_EQ(bad.scale, defaults.scale);
    EXPECT_EQ(bad.maxFrames, defaults.maxFrames);
    EXPECT_EQ(bad.reportEvery, defaults.reportEvery);
    EXPECT_EQ(bad.showRenderer, defaults.showRenderer);
    EXPECT_EQ(bad.display, defaults.display);
    for (const char* line : {"VEXAR_BPP='16x' is not a depth (1 to 64); using the desktop's\n",
                             "VEXAR_WINDOWED='yes' is neither 0 nor 1", "VEXAR_SCALE='big'",
                             "VEXAR_MAX_FRAMES='-3' is not a frame count", "VEXAR_REPORT_EVERY='0'",
                             "VEXAR_SHOW_RENDERER=' 1'", "VEXAR_DISPLAY='64' is not a display number"})
        EXPECT_NE(said.find(line), std::string::npos) << line << " in:\n" << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 7) << said;
}

TEST(HostFrameTest, OnlyAFrameAHostCanReadIsShownAndBlanksFallAt60Hz) {
    const char pixels[4] = {};
    EXPECT_TRUE(port::FrameIsShowable(pixels, 640, 480, 1280, 16));
    EXPECT_TRUE(port::FrameIsShowable(pixels, 640, 480, 1920, 24));
    EXPECT_FALSE(port::FrameIsShowable(pixels, 640, 480, 1919, 24));  // rows overlap
    EXPECT_FALSE(port::FrameIsShowable(pixels, 640, 480, 2560, 8));
    EXPECT_FALSE(port::FrameIsShowable(nullptr, 640, 480, 2560, 32));
    EXPECT_FALSE(port::FrameIsShowable(pixels, 0, 480, 2560, 32));
    EXPECT_FALSE(port::FrameIsShowable(pixels, port::kLargestFrameSide + 1, 1, 1 << 20, 32));
    EXPECT_FALSE(port::FrameIsShowable(pixels, 640, 480, -2560, 32));

    EXPECT_EQ(port::kFrameMicros, 16667u);
    EXPECT_EQ(port::NextVerticalBlank(0), 16667u);
    EXPECT_EQ(port::NextVerticalBlank(16666), 16667u);
    EXPECT_EQ(port::NextVerticalBlank(16667), 33334u);
    EXPECT_EQ(port::NextVerticalBlank(999999), 1000000u);
    EXPECT_EQ(port::WaitMillis(1), 1u);
    EXPECT_EQ(port::WaitMillis(2000), 2u);
    EXPECT_EQ(port::WaitMillis(2001), 3u);
}

TEST(HostEventsTest, ALostFocusLetsGoOfEveryKeyWithoutAKeyUp) {
    port::KeySources keys;
    port::HostEvents events;
    std::vector<port::KeySources::Change> changes;
    keys.Press(port::KeySources::kKeyboard, port::kSpaceKey, 0, &changes);
    keys.Press(port::shared::kFirstPadSource, port::kLeftKey, 0, &changes);
    events.Keys(changes, true);
    events.Focus(false, &keys);
    events.Focus(true, &keys);
    HostEvent e;
    std::vector<std::pair<HostEvent::Type, int>> seen;
    while (events.Take(&e)) seen.push_back({e.type, e.scanCode});
    EXPECT_EQ(seen, (std::vector<std::pair<HostEvent::Type, int>>{{HostEvent::KeyDown, DIK_SPACE},
                                                                   {HostEvent::KeyDown, DIK_LEFT},
                                                                   {HostEvent::FocusLost, 0},
                                                                   {HostEvent::FocusGained, 0}}));
    EXPECT_FALSE(keys.Held(DIK_SPACE));
    EXPECT_FALSE(keys.Held(DIK_LEFT));
    EXPECT_TRUE(events.Empty());
}

}  // namespace
