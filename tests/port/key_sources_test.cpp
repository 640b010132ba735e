// Keys held by the keyboard, game controllers and touch at once.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "port/hosts/key_sources.h"

namespace {

using port::KeySources;
constexpr int kPad = 3, kOtherPad = 7;

// The changes as text, e.g. "+205 *205 -205" (press, repeat, release).
std::string Text(const std::vector<KeySources::Change>& changes) {
    std::string text;
    for (const KeySources::Change& c : changes) {
        if (!text.empty()) text += ' ';
        text += (c.down ? (c.repeat ? "*" : "+") : "-") + std::to_string(c.key.scanCode);
    }
    return text;
}

TEST(KeySourcesTest, AKeyIsDownWhileAnySourceHoldsItAndUpWhenTheLastLetsGo) {
    KeySources keys;
    std::vector<KeySources::Change> out;
    keys.Press(kPad, port::kRightKey, 0, &out);
    keys.Press(KeySources::kKeyboard, port::kRightKey, 10, &out);
    keys.Press(kOtherPad, port::kRightKey, 20, &out);
    EXPECT_EQ(Text(out), "+205 *205 *205");
    out.clear();
    keys.Release(kPad, port::kRightKey, &out);
    keys.Release(KeySources::kKeyboard, port::kRightKey, &out);
    EXPECT_EQ(Text(out), "");
    EXPECT_TRUE(keys.Held(DIK_RIGHT));
    EXPECT_FALSE(keys.HeldBy(kPad, DIK_RIGHT));
    keys.Release(kOtherPad, port::kRightKey, &out);
    EXPECT_EQ(Text(out), "-205");
    EXPECT_FALSE(keys.Held(DIK_RIGHT));
    // A release of a key nobody holds sends nothing.
    out.clear();
    keys.Release(kPad, port::kRightKey, &out);
    EXPECT_EQ(Text(out), "");
}

TEST(KeySourcesTest, ASourceThatGoesAwayLetsGoOfWhatItHeldAndNothingElse) {
    KeySources keys;
    std::vector<KeySources::Change> out;
    keys.Press(kPad, port::kRightKey, 0, &out);
    keys.Press(kPad, port::kSpaceKey, 0, &out);
    keys.Press(KeySources::kKeyboard, port::kSpaceKey, 0, &out);
    keys.Press(kOtherPad, port::kLeftKey, 0, &out);
    out.clear();
    keys.ReleaseSource(kPad, &out);
    EXPECT_EQ(Text(out), "-205");
    EXPECT_TRUE(keys.Held(DIK_SPACE));
    EXPECT_TRUE(keys.Held(DIK_LEFT));
    out.clear();
    keys.ReleaseAll(&out);
    EXPECT_EQ(Text(out), "-57 -203");
    EXPECT_FALSE(keys.Held(DIK_SPACE));
    EXPECT_FALSE(keys.Held(DIK_LEFT));
}

TEST(KeySourcesTest, KeysOnlyOtherSourcesHoldRepeatAtAKeyboardsPace) {
    KeySources keys;
    std::vector<KeySources::Change> out;
    keys.Press(kPad, port::kSpaceKey, 1000, &out);
    keys.Press(kPad, port::kSpaceKey, 2000, &out);  // the pad's own second press is no repeat
    const uint64_t first = 1000 + KeySources::kRepeatDelayMicros;
    EXPECT_EQ(keys.NextRepeat(), first);
    keys.Repeats(first - 1, &out);
    EXPECT_EQ(Text(out), "+57");
    keys.Repeats(first, &out);
    keys.Repeats(first + KeySources::kRepeatIntervalMicros - 1, &out);
    keys.Repeats(first + KeySources::kRepeatIntervalMicros, &out);
    EXPECT_EQ(Text(out), "+57 *57 *57");
    // A long stall gives one repeat, not a burst.
    out.clear();
    keys.Repeats(first + 100 * KeySources::kRepeatIntervalMicros, &out);
    EXPECT_EQ(Text(out), "*57");
    // While the keyboard holds it too, its own repeats are the only ones.
    out.clear();
    keys.Press(KeySources::kKeyboard, port::kSpaceKey, 0, &out);
    EXPECT_EQ(keys.NextRepeat(), UINT64_MAX);
    keys.Repeats(first + 200 * KeySources::kRepeatIntervalMicros, &out);
    keys.Press(KeySources::kKeyboard, port::kSpaceKey, 0, &out);
    EXPECT_EQ(Text(out), "*57 *57");
}

}  // namespace
