// The headless host itself: virtual clock, scripted input, frames and
// pictures, and the script parser.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "port/control.h"
#include "port/hosts/headless/headless.h"
#include "port/src/host.h"
#include "port/include/dinput.h"

namespace {

namespace headless = port::headless;
using port::HostEvent;

const port::Host& H() { return port::CurrentHost(); }

std::vector<HostEvent> Drain() {
    std::vector<HostEvent> events;
    HostEvent e;
    while (H().pollEvent(&e)) events.push_back(e);
    return events;
}

std::string TempPath(const std::string& name) {
    return ::testing::TempDir() + "vexar_headless_" + std::to_string(getpid()) + "_" + name;
}

std::string WriteFile(const std::string& name, const std::string& text) {
    std::string path = TempPath(name);
    std::ofstream(path) << text;
    return path;
}

std::vector<unsigned char> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class HeadlessTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The host's state is made on first use; make it now so that every
        // reset below, and the environment it reads, reaches it.
        headless::FrameCount();
        port::ResetForTest();
    }
};

TEST_F(HeadlessTest, UsesTheHeadlessHost) { EXPECT_STREQ(H().name, "headless"); }

TEST_F(HeadlessTest, VerticalBlanksAdvanceTheClockAndRunFrameActions) {
    std::vector<uint64_t> ran;
    headless::At(2, [&] { ran.push_back(headless::FrameCount()); });
    headless::At(0, [&] { ran.push_back(100); });  // frame 0 has begun: at once
    EXPECT_EQ(ran, (std::vector<uint64_t>{100}));
    H().waitVerticalBlank();
    EXPECT_EQ(headless::NowMicros(), 16667u);
    EXPECT_EQ(headless::FrameCount(), 1u);
    H().waitVerticalBlank();
    EXPECT_EQ(headless::NowMicros(), 33334u);
    EXPECT_EQ(ran, (std::vector<uint64_t>{100, 2}));
}

TEST_F(HeadlessTest, WaitingJumpsToTheWakeUpOrTheNextScriptedFrame) {
    H().waitEvent(5000);
    EXPECT_EQ(H().now(), 5000u);
    headless::At(3, [] { headless::KeyDown(VK_SPACE, DIK_SPACE); });
    H().waitEvent(1000000);
    EXPECT_EQ(H().now(), 3 * 16667u);
    H().waitEvent(1000000);  // an event waits: no time passes
    EXPECT_EQ(H().now(), 3 * 16667u);
    auto events = Drain();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].type, HostEvent::KeyDown);
    EXPECT_EQ(events[0].scanCode, DIK_SPACE);
}

TEST_F(HeadlessTest, ResetGivesAFreshMachine) {
    headless::SetFocus(false);
    headless::KeyDown('A', 0x1E);
    H().messageBox("text", "caption", 0);
    H().waitVerticalBlank();
    headless::SetDisplayAvailable(false);
    port::ResetForTest();
    EXPECT_EQ(headless::NowMicros(), 0u);
    EXPECT_EQ(headless::FrameCount(), 0u);
    EXPECT_TRUE(Drain().empty());
    EXPECT_TRUE(headless::MessageBoxes().empty());
    EXPECT_FALSE(H().keyDown(0x1E));
    EXPECT_TRUE(H().openWindow("VEXAR", 640, 480));
}

TEST_F(HeadlessTest, MachineSetUp) {
    EXPECT_EQ(H().desktopBitsPerPixel(), 32);
    headless::SetDesktopBitsPerPixel(16);
    EXPECT_EQ(H().desktopBitsPerPixel(), 16);
    EXPECT_TRUE(H().openAudio());
    headless::SetAudioAvailable(false);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(H().openAudio());
    headless::SetDisplayAvailable(false);
    EXPECT_FALSE(H().openWindow("VEXAR", 640, 480));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.find("audio"), std::string::npos) << err;  // a sound failure is silent
    EXPECT_NE(err.find("vexar: no display available"), std::string::npos) << err;
}

TEST_F(HeadlessTest, LastFrameConvertsEachDisplayFormat) {
    EXPECT_EQ(headless::LastFrame().width, 0);  // nothing shown yet

    const uint16_t rgb565[4] = {0xF81F, 0x07E0, 0x0000, 0xFFFF};  // 2 x 2
    H().present(rgb565, 2, 2, 4, 16);
    auto p = headless::LastFrame();
    ASSERT_EQ(p.width, 2);
    ASSERT_EQ(p.height, 2);
    EXPECT_EQ(p.At(0, 0), RGB(0xF8, 0, 0xF8));
    EXPECT_EQ(p.At(1, 0), RGB(0, 0xFC, 0));
    EXPECT_EQ(p.At(1, 1), RGB(0xF8, 0xFC, 0xF8));

    // 24 bpp: packed B, G, R, with a padded pitch.
    const unsigned char bgr[2 * 8] = {0x01, 0x02, 0x03, 0x11, 0x12, 0x13, 0xEE, 0xEE,
                                      0x21, 0x22, 0x23, 0x31, 0x32, 0x33, 0xEE, 0xEE};
    H().present(bgr, 2, 2, 8, 24);
    p = headless::LastFrame();
    EXPECT_EQ(p.At(0, 0), RGB(0x03, 0x02, 0x01));
    EXPECT_EQ(p.At(1, 1), RGB(0x33, 0x32, 0x31));

    const uint32_t xrgb[2] = {0x00FF0000, 0x000000FF};
    H().present(xrgb, 2, 1, 8, 32);
    p = headless::LastFrame();
    EXPECT_EQ(p.At(0, 0), RGB(0xFF, 0, 0));
    EXPECT_EQ(p.At(1, 0), RGB(0, 0, 0xFF));

    H().present(xrgb, 2, 1, 4, 32);  // pitch too small: refused, picture kept
    H().present(xrgb, 2, 1, 8, 8);   // no such format
    EXPECT_EQ(headless::LastFrame().pixels, p.pixels);
}

TEST_F(HeadlessTest, SavePictureWritesABottomUp24BitBmp) {
    headless::Picture picture;
    picture.width = 2;
    picture.height = 2;
    picture.pixels = {RGB(1, 2, 3), RGB(4, 5, 6), RGB(7, 8, 9), RGB(10, 11, 12)};
    std::string path = TempPath("pic.bmp");
    ASSERT_TRUE(headless::SavePicture(picture, path));
    auto bytes = ReadFile(path);
    ASSERT_EQ(bytes.size(), 54u + 2 * 8);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(bytes[2], 54 + 16);
    EXPECT_EQ(bytes[10], 54);
    EXPECT_EQ(bytes[18], 2);  // width
    EXPECT_EQ(bytes[22], 2);  // height, positive: bottom-up
    EXPECT_EQ(bytes[28], 24);
    // The first stored row is the bottom one, each pixel B, G, R, rows padded to 4.
    const std::vector<unsigned char> rows = {9, 8, 7, 12, 11, 10, 0, 0, 3, 2, 1, 6, 5, 4, 0, 0};
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 54, bytes.end()), rows);
    std::remove(path.c_str());

    EXPECT_FALSE(headless::SavePicture(picture, "/nonexistent-dir/x.bmp"));
    picture.pixels.pop_back();  // size does not match
    EXPECT_FALSE(headless::SavePicture(picture, path));
}

TEST_F(HeadlessTest, ScriptDrivesKeysFocusAndQuitAtTheirFrames) {
    std::string path = WriteFile("good.txt",
                                 "# a test run\n"
                                 "\n"
                                 "2 down RETURN   # Enter\n"
                                 "2 repeat return\n"
                                 "3 up RETURN\n"
                                 "3 down Q\n"
                                 "4 blur\n"
                                 "4 focus\n"
                                 "5 down 0\n"
                                 "6 quit\n");
    ASSERT_TRUE(headless::LoadScript(path));
    EXPECT_TRUE(Drain().empty());
    H().waitVerticalBlank();
    H().waitVerticalBlank();
    auto events = Drain();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].type, HostEvent::KeyDown);
    EXPECT_EQ(events[0].virtualKey, VK_RETURN);
    EXPECT_EQ(events[0].scanCode, DIK_RETURN);
    EXPECT_FALSE(events[0].repeat);
    EXPECT_TRUE(events[1].repeat);
    EXPECT_TRUE(H().keyDown(DIK_RETURN));

    H().waitVerticalBlank();
    events = Drain();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].type, HostEvent::KeyUp);
    EXPECT_EQ(events[1].virtualKey, 'Q');
    EXPECT_EQ(events[1].scanCode, 0x10);
    EXPECT_FALSE(H().keyDown(DIK_RETURN));

    H().waitEvent(UINT64_MAX);  // straight to frame 4
    EXPECT_EQ(headless::FrameCount(), 4u);
    events = Drain();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].type, HostEvent::FocusLost);
    EXPECT_EQ(events[1].type, HostEvent::FocusGained);

    H().waitVerticalBlank();
    events = Drain();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].virtualKey, '0');
    EXPECT_EQ(events[0].scanCode, DIK_0);
    H().waitVerticalBlank();
    events = Drain();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].type, HostEvent::Quit);
    std::remove(path.c_str());
}

TEST_F(HeadlessTest, ScriptCaptureWritesTheLastFrame) {
    std::string dir = ::testing::TempDir();
    setenv("VEXAR_CAPTURE_DIR", dir.c_str(), 1);
    port::ResetForTest();  // the capture folder is read with the rest of the set-up
    unsetenv("VEXAR_CAPTURE_DIR");
    std::string name = "cap" + std::to_string(getpid());
    std::string script = WriteFile("capture.txt", "1 capture " + name + "\n");
    ASSERT_TRUE(headless::LoadScript(script));
    const uint32_t red[1] = {0x00FF0000};
    H().present(red, 1, 1, 4, 32);
    H().waitVerticalBlank();
    auto bytes = ReadFile(dir + "/" + name + ".bmp");
    ASSERT_EQ(bytes.size(), 54u + 4);
    EXPECT_EQ(bytes[54 + 2], 0xFF);  // red, stored as B, G, R
    EXPECT_EQ(bytes[54], 0);
    std::remove((dir + "/" + name + ".bmp").c_str());
    std::remove(script.c_str());
}

TEST_F(HeadlessTest, ABadScriptIsRefusedWholeWithTheLineNamed) {
    const char* bad[] = {
        "x down RETURN\n",           // not a frame number
        "-1 down RETURN\n",          // negative frame
        "5\n",                       // no command
        "5 press RETURN\n",          // unknown command
        "5 down\n",                  // missing key
        "5 down F1\n",               // unknown key
        "5 down RETURN SPACE\n",     // one argument too many
        "5 blur now\n",              // takes no argument
        "5 capture ../escape\n",     // not a plain file name
        "99999999999999999999 quit\n",  // too large
    };
    for (const char* line : bad) {
        std::string path = WriteFile("bad.txt", std::string("1 down SPACE\n") + line);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(headless::LoadScript(path)) << line;
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(path + ":2:"), std::string::npos) << line << err;
        std::remove(path.c_str());
    }
    // Nothing of the refused scripts was scheduled, not even their good first line.
    H().waitVerticalBlank();
    H().waitVerticalBlank();
    EXPECT_TRUE(Drain().empty());

    testing::internal::CaptureStderr();
    EXPECT_FALSE(headless::LoadScript(TempPath("missing.txt")));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot read"), std::string::npos);
}

TEST_F(HeadlessTest, MaxFramesClosesTheWindow) {
    setenv("VEXAR_MAX_FRAMES", "3", 1);
    port::ResetForTest();
    unsetenv("VEXAR_MAX_FRAMES");
    H().waitVerticalBlank();
    H().waitVerticalBlank();
    EXPECT_TRUE(Drain().empty());
    H().waitVerticalBlank();
    auto events = Drain();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].type, HostEvent::Quit);
    H().waitVerticalBlank();
    EXPECT_TRUE(Drain().empty());  // once
}

}  // namespace

namespace {

TEST_F(HeadlessTest, AFlipThatDoesNotWaitLeavesTheClockToTheWaits) {
    headless::SetFlipWaits(false);
    H().waitVerticalBlank();
    EXPECT_EQ(headless::NowMicros(), 0u);
    H().waitEvent(5000);
    EXPECT_EQ(headless::NowMicros(), 5000u);
    headless::SetFlipWaits(true);
    H().waitVerticalBlank();
    EXPECT_EQ(headless::NowMicros(), 16667u);
}

}  // namespace
