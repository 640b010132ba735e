// A pad's buttons and stick as the keys they stand for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "port/hosts/pad_mapping.h"
#include "tests/port/lib/key_changes.h"

namespace {

using port::KeySources;
using port::PadMapping;
using port::PadState;
constexpr int kPad = 2, kOtherPad = 3;

struct Pads {
    KeySources keys;
    PadMapping mapping;
    std::string Set(int source, uint32_t buttons, double x, uint64_t now) {
        std::vector<KeySources::Change> out;
        PadState state;
        state.buttons = buttons;
        state.stickX = x;
        mapping.Update(source, state, now, &keys, &out);
        return KeyText(out);
    }
};

TEST(PadMappingTest, ButtonsAndDpadAreTheirKeys) {
    Pads p;
    EXPECT_EQ(p.Set(kPad, port::kPadSouth | port::kPadStart | port::kPadRight, 0, 0), "+205 +57 +28");
    EXPECT_EQ(p.Set(kPad, port::kPadEast | port::kPadLeft, 0, 10), "+203 -205 -28");
    EXPECT_EQ(p.Set(kPad, 0, 0, 20), "-203 -57");
}

TEST(PadMappingTest, StickPastAQuarterWithHysteresis) {
    Pads p;
    EXPECT_EQ(p.Set(kPad, 0, 0.24, 0), "");
    EXPECT_EQ(p.Set(kPad, 0, 0.25, 1), "+205");
    EXPECT_EQ(p.Set(kPad, 0, 0.21, 2), "");  // resting near the edge: no chatter
    EXPECT_EQ(p.Set(kPad, 0, 0.20, 3), "-205");
    EXPECT_EQ(p.Set(kPad, 0, -0.9, 4), "+203");
}

TEST(PadMappingTest, TwoPadsHoldOneKeyTillTheLastLetsGoOrGoesAway) {
    Pads p;
    EXPECT_EQ(p.Set(kPad, port::kPadRight, 0, 0), "+205");
    EXPECT_EQ(p.Set(kOtherPad, 0, 1.0, 1), "*205");
    EXPECT_EQ(p.Set(kPad, 0, 0, 2), "");
    std::vector<KeySources::Change> out;
    p.mapping.Remove(kOtherPad, &p.keys, &out);
    EXPECT_EQ(KeyText(out), "-205");
}

TEST(PadMappingTest, BackIsEscapeOnlyHeldASecondOrPressedTwice) {
    Pads p;
    EXPECT_EQ(p.Set(kPad, port::kPadBack, 0, 0), "");
    EXPECT_EQ(p.mapping.NextDeadline(), PadMapping::kBackHoldMicros);
    EXPECT_EQ(p.Set(kPad, port::kPadBack, 0, 999999), "");
    EXPECT_EQ(p.Set(kPad, port::kPadBack, 0, 1000000), "+1");
    EXPECT_EQ(p.Set(kPad, 0, 0, 1100000), "-1");
    EXPECT_EQ(p.Set(kPad, port::kPadBack, 0, 3000000), "");  // once: nothing
    EXPECT_EQ(p.Set(kPad, 0, 0, 3100000), "");
    EXPECT_EQ(p.Set(kPad, port::kPadBack, 0, 3400000), "+1");  // twice within 0.5 s
    EXPECT_EQ(p.Set(kPad, 0, 0, 3500000), "-1");
}

}  // namespace
