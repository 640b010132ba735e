// SDL's game controllers as keys: virtual pads (SDL's virtual joystick driver,
// no device and no display needed) through the SDL host's pad code.
#include <gtest/gtest.h>

#include <SDL.h>

#include <stdlib.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "port/hosts/sdl/sdl_pads.h"
#include "tests/port/lib/key_changes.h"

namespace {

using port::KeySources;

class SdlPadsTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        char folder[] = "/tmp/vexar-pads-XXXXXX";  // the configuration folder's parent
        ASSERT_NE(mkdtemp(folder), nullptr);
        config = folder;
        setenv("XDG_CONFIG_HOME", folder, 1);
        pads.Open();
        ASSERT_TRUE(SDL_WasInit(SDL_INIT_GAMECONTROLLER)) << SDL_GetError();
        Events(0);
    }
    void TearDown() override {
        while (!plugged.empty()) Unplug(0, 0);
        pads.Close();
        std::remove((config + "/vexar/gamecontrollerdb.txt").c_str());
        std::remove((config + "/vexar").c_str());
        std::remove(config.c_str());
    }

    // A pad with every button and axis of a game controller; its number.
    int Plug(uint64_t now) {
        SDL_VirtualJoystickDesc desc = {};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "virtual pad";
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        EXPECT_GE(index, 0) << SDL_GetError();
        plugged.push_back(SDL_JoystickOpen(index));
        EXPECT_NE(plugged.back(), nullptr) << SDL_GetError();
        EXPECT_EQ(Events(now), "");
        return static_cast<int>(plugged.size()) - 1;
    }
    std::string Unplug(int pad, uint64_t now) {
        SDL_Joystick* joystick = plugged[pad];
        const SDL_JoystickID id = SDL_JoystickInstanceID(joystick);
        SDL_JoystickClose(joystick);
        plugged.erase(plugged.begin() + pad);
        for (int i = 0; i < SDL_NumJoysticks(); ++i)
            if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
        return Events(now);
    }
    std::string Button(int pad, SDL_GameControllerButton button, bool down, uint64_t now) {
        SDL_JoystickSetVirtualButton(plugged[pad], button, down ? 1 : 0);
        return Events(now);
    }
    std::string Stick(int pad, double x, uint64_t now) {
        SDL_JoystickSetVirtualAxis(plugged[pad], SDL_CONTROLLER_AXIS_LEFTX, static_cast<Sint16>(x * 32767));
        return Events(now);
    }
    // What SDL has to say by `now`, through the pads, as key changes.
    std::string Events(uint64_t now) {
        last.clear();
        for (SDL_Event e; SDL_PollEvent(&e);) pads.Take(e, now, &keys, &last);
        pads.Tick(now, &keys, &last);
        return KeyText(last);
    }

    std::string config;
    port::sdl::Pads pads;
    KeySources keys;
    std::vector<SDL_Joystick*> plugged;
    std::vector<KeySources::Change> last;
};

TEST_F(SdlPadsTest, ButtonsDpadAndStickAreTheirKeys) {
    const int pad = Plug(0);
    EXPECT_EQ(Button(pad, SDL_CONTROLLER_BUTTON_A, true, 0), "+57");
    EXPECT_TRUE(keys.Held(DIK_SPACE));
    EXPECT_EQ(Button(pad, SDL_CONTROLLER_BUTTON_A, false, 1), "-57");
    EXPECT_EQ(Button(pad, SDL_CONTROLLER_BUTTON_B, true, 2), "+57");
    EXPECT_EQ(Button(pad, SDL_CONTROLLER_BUTTON_B, false, 3), "-57");
    EXPECT_EQ(Button(pad, SDL_CONTROLLER_BUTTON_START, true, 4), "+28");
    EXPECT_EQ(Button(pad, SDL_CONTROLLER_BUTTON_START, false, 5), "-28");
    EXPECT_EQ(Button(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT, true, 6), "+203");
    EXPECT_TRUE(keys.Held(DIK_LEFT));
    EXPECT_EQ(Button(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT, false, 7), "-203");
    EXPECT_EQ(Button(pad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true, 8), "+205");
    EXPECT_EQ(Button(pad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false, 9), "-205");
    EXPECT_EQ(Button(pad, SDL_CONTROLLER_BUTTON_Y, true, 10), "");  // not a key

    EXPECT_EQ(Stick(pad, 0.2, 20), "");  // inside the dead zone
    EXPECT_EQ(Stick(pad, 0.3, 21), "+205");
    EXPECT_EQ(Stick(pad, 0, 23), "-205");

    // Back held a second is Escape, with no event from SDL to say so.
    EXPECT_EQ(Button(pad, SDL_CONTROLLER_BUTTON_BACK, true, 3000000), "");
    EXPECT_EQ(Events(3999999), "");
    EXPECT_EQ(Events(4000000), "+1");
    EXPECT_TRUE(keys.Held(DIK_ESCAPE));
    EXPECT_EQ(Button(pad, SDL_CONTROLLER_BUTTON_BACK, false, 4100000), "-1");
}

TEST_F(SdlPadsTest, TwoPadsHoldOneKeyTillTheLastLetsGoOrIsPulledOut) {
    const int first = Plug(0), second = Plug(0);
    EXPECT_EQ(Button(first, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true, 1), "+205");
    EXPECT_EQ(Stick(second, 1, 2), "*205");
    EXPECT_EQ(Button(first, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false, 4), "");
    EXPECT_TRUE(keys.Held(DIK_RIGHT));
    EXPECT_EQ(Unplug(second, 5), "-205");  // pulled out holding right
    EXPECT_FALSE(keys.Held(DIK_RIGHT));

    // Plugged in while the game runs: it plays at once.
    const int third = Plug(6);
    EXPECT_EQ(Button(third, SDL_CONTROLLER_BUTTON_START, true, 7), "+28");
}

// A pad SDL has no mapping for, plugged in before the game starts, plays by
// a line of the player's gamecontrollerdb.txt, read before any pad is opened;
// a bad line is skipped and counted.
TEST_F(SdlPadsTest, PadMappedOnlyByThePlayersFilePlays) {
    pads.Close();
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    SDL_VirtualJoystickDesc desc = {};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_UNKNOWN;
    desc.naxes = 1;
    desc.nbuttons = 4;
    desc.vendor_id = 0x1209;
    desc.product_id = 0x7a32;
    desc.name = "odd pad";
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    ASSERT_GE(index, 0) << SDL_GetError();
    EXPECT_FALSE(SDL_IsGameController(index));
    char guid[33];
    SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(index), guid, sizeof guid);
    ASSERT_EQ(system(("mkdir -p " + config + "/vexar").c_str()), 0);
    std::ofstream(config + "/vexar/gamecontrollerdb.txt")
        << "# the player's own pads\r\n\n" << guid << ",odd pad,a:b2,start:b3,dpleft:b0,dpright:b1,leftx:a0,\r\n"
        << guid << ",no buttons at all\n";

    testing::internal::CaptureStderr();
    pads.Open();
    plugged.push_back(SDL_JoystickOpen(index));
    EXPECT_EQ(Events(0), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "vexar: 1 controller mappings from " + config + "/vexar/gamecontrollerdb.txt, 1 bad lines skipped\n");
    auto press = [&](int button, bool down, uint64_t now) {
        SDL_JoystickSetVirtualButton(plugged[0], button, down ? 1 : 0);
        return Events(now);
    };
    EXPECT_EQ(press(3, true, 1), "+28");  // start
    EXPECT_EQ(press(3, false, 2), "-28");
    EXPECT_EQ(press(2, true, 3), "+57");  // a
    EXPECT_EQ(press(0, true, 4), "+203");
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

}  // namespace
