// The remembered window: its file's text, bad input, and the file on disk.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "port/hosts/sdl/sdl_displays.h"
#include "port/hosts/window_settings.h"

namespace {

using port::WindowSettings;

TEST(WindowSettingsTest, WrittenTextReadsBack) {
    WindowSettings s;
    s.fullScreen = false;
    s.width = 1023;
    s.height = 767;
    s.display = 1;
    s.displayName = "DELL U2415 #2";
    WindowSettings read;
    std::string error;
    ASSERT_TRUE(port::ParseWindowSettings(port::FormatWindowSettings(s), &read, &error)) << error;
    EXPECT_FALSE(read.fullScreen);
    EXPECT_EQ(read.width, 1023);
    EXPECT_EQ(read.height, 767);
    EXPECT_EQ(read.display, 1);
    EXPECT_EQ(read.displayName, "DELL U2415 #2");
    ASSERT_TRUE(port::ParseWindowSettings(" # a note\r\n\n width = 800 \r\n", &read, &error));
    EXPECT_EQ(read.width, 800);
    EXPECT_EQ(read.height, 767);
}

TEST(WindowSettingsTest, BadInputIsRefusedWholeWithTheLineNamed) {
    const std::string bads[] = {"width=800\nheight=abc\n", "fullscreen=yes", "fullscreen=1\ncolour=red",
                                "width", "width=159", "height=16385", "width=-640", "width=99999999999",
                                "width=80 0", "=1", std::string("width=\0", 7),
                                "display=64", "display=-1", "display=", "display_name=a\x01b",
                                "display_name=" + std::string(129, 'x')};
    for (const std::string& bad : bads) {
        WindowSettings s;
        s.width = 1234;
        std::string error;
        EXPECT_FALSE(port::ParseWindowSettings(bad, &s, &error)) << bad;
        EXPECT_NE(error.find("line "), std::string::npos) << error;
        EXPECT_EQ(s.width, 1234) << bad;  // nothing taken from a bad file
        EXPECT_TRUE(s.fullScreen);
    }
    std::string error;
    WindowSettings s;
    EXPECT_FALSE(port::ParseWindowSettings("width=800\nheight=x", &s, &error));
    EXPECT_EQ(error.substr(0, 6), "line 2");
}

class WindowSettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char folder[] = "/tmp/vexar-settings-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        dir_ = folder;
        setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
    }
    void TearDown() override {
        std::system(("rm -rf " + dir_).c_str());
        unsetenv("XDG_CONFIG_HOME");
    }
    std::string dir_;
};

TEST_F(WindowSettingsFileTest, SavedSettingsComeBackFromTheConfigFolder) {
    // The config folder need not exist yet.
    setenv("XDG_CONFIG_HOME", (dir_ + "/new/config").c_str(), 1);
    const std::string path = port::WindowSettingsPath();
    EXPECT_EQ(path, dir_ + "/new/config/vexar/window.conf");
    WindowSettings s;
    s.fullScreen = false;
    s.width = 900;
    port::SaveWindowSettings(path, s);
    WindowSettings read = port::LoadWindowSettings(path);
    EXPECT_FALSE(read.fullScreen);
    EXPECT_EQ(read.width, 900);
    // No file: the defaults.
    EXPECT_TRUE(port::LoadWindowSettings(dir_ + "/none").fullScreen);
}

TEST_F(WindowSettingsFileTest, ABadOrUnreadableFileGivesTheDefaults) {
    const std::string path = dir_ + "/window.conf";
    for (const std::string& text : {std::string("fullscreen=0\nwidth=huge\n"), std::string(5000, '#'),
                                    std::string("\xff\xfe\x00garbage", 10)}) {
        std::ofstream(path, std::ios::binary) << text;
        testing::internal::CaptureStderr();
        WindowSettings s = port::LoadWindowSettings(path);
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(s.fullScreen);
        EXPECT_EQ(s.width, 640);
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find(path), std::string::npos) << said;
    }
    testing::internal::CaptureStderr();
    EXPECT_TRUE(port::LoadWindowSettings(dir_).fullScreen);  // a folder
    EXPECT_NE(testing::internal::GetCapturedStderr().find("not a regular file"), std::string::npos);
}

TEST(FitWindowTest, AnySizeFitsTheUsableArea) {
    const port::WindowPlace areas[] = {{0, 0, 1920, 1080}, {1920, 24, 1280, 1000}};
    const int sizes[][2] = {{16384, 16384}, {5000, 300}, {-640, -480}, {1, 1}, {0, 900}, {640, 480}};
    for (const port::WindowPlace& area : areas) {
        for (const auto& size : sizes) {
            const port::WindowPlace p = port::FitWindow(size[0], size[1], area);
            EXPECT_GE(p.width, port::kSmallestWindow);
            EXPECT_GE(p.height, port::kSmallestWindow);
            EXPECT_GE(p.x, area.x);
            EXPECT_GE(p.y, area.y);
            EXPECT_LE(p.x + p.width, area.x + area.width) << size[0] << "x" << size[1];
            EXPECT_LE(p.y + p.height, area.y + area.height) << size[0] << "x" << size[1];
        }
    }
    const port::WindowPlace wide = port::FitWindow(5000, 300, areas[0]);
    EXPECT_EQ(wide.width, 1920);
    EXPECT_EQ(wide.height, 300);  // what fits is kept
    const port::WindowPlace plain = port::FitWindow(640, 480, areas[1]);
    EXPECT_EQ(plain.x, 1920 + 320);
    EXPECT_EQ(plain.height, 480);
}

// The display to open on: by a name no other display has, by number where
// the names are not the displays' own; a display that is gone gives the first.
TEST(WindowSettingsTest, TheRememberedDisplayOrTheFirst) {
    using port::sdl::PickDisplay;
    WindowSettings s;
    EXPECT_EQ(PickDisplay({"", ""}, s, -1), 0);
    s.display = 1;
    EXPECT_EQ(PickDisplay({"", ""}, s, -1), 1);
    EXPECT_EQ(PickDisplay({""}, s, -1), 0);      // unplugged
    EXPECT_EQ(PickDisplay({"", ""}, s, 0), 0);   // $VEXAR_DISPLAY
    EXPECT_EQ(PickDisplay({"", ""}, s, 2), 1);   // not a display: as if unset
    s.displayName = "HDMI-1";
    EXPECT_EQ(PickDisplay({"HDMI-1", "DP-2"}, s, -1), 0);  // the name wins over the number
    EXPECT_EQ(PickDisplay({"DP-2", "eDP-1"}, s, -1), 0);   // that monitor is gone
    EXPECT_EQ(PickDisplay({"DP-2", "eDP-1", "HDMI-1"}, s, 1), 1);
}

}  // namespace
