// The web host's key names: KeyboardEvent.code to the codes the other hosts give.
#include "port/hosts/web/web_keys.h"

#include <gtest/gtest.h>

namespace {

port::KeyCodes CodesOf(const char* code) {
    port::KeyCodes codes;
    EXPECT_TRUE(port::WebKeyCodes(code, &codes)) << code;
    return codes;
}

TEST(WebKeys, NamedKeysGiveTheirVirtualKeyAndScanCode) {
    struct Case {
        const char* code;
        int virtualKey;
        int scanCode;
    };
    const Case cases[] = {
        {"Enter", VK_RETURN, DIK_RETURN},      {"NumpadEnter", VK_RETURN, DIK_NUMPADENTER},
        {"Escape", VK_ESCAPE, DIK_ESCAPE},     {"Space", VK_SPACE, DIK_SPACE},
        {"ArrowLeft", VK_LEFT, DIK_LEFT},      {"ArrowRight", VK_RIGHT, DIK_RIGHT},
        {"ArrowUp", VK_UP, DIK_UP},            {"ArrowDown", VK_DOWN, DIK_DOWN},
        {"ControlLeft", VK_CONTROL, DIK_LCONTROL}, {"ShiftLeft", VK_SHIFT, DIK_LSHIFT},
    };
    for (const Case& c : cases) {
        port::KeyCodes codes = CodesOf(c.code);
        EXPECT_EQ(codes.virtualKey, c.virtualKey) << c.code;
        EXPECT_EQ(codes.scanCode, c.scanCode) << c.code;
    }
}

TEST(WebKeys, LettersAndDigitsFollowTheKeyboardRows) {
    EXPECT_EQ(CodesOf("KeyA").virtualKey, 'A');
    EXPECT_EQ(CodesOf("KeyA").scanCode, 0x1E);
    EXPECT_EQ(CodesOf("KeyQ").scanCode, 0x10);
    EXPECT_EQ(CodesOf("KeyZ").scanCode, 0x2C);
    EXPECT_EQ(CodesOf("Digit1").scanCode, DIK_1);
    EXPECT_EQ(CodesOf("Digit9").virtualKey, '9');
    EXPECT_EQ(CodesOf("Digit0").scanCode, DIK_0);
}

TEST(WebKeys, OtherNamesAreNotKeysOfTheGame) {
    for (const char* code : {"", "Key", "Keya", "KeyAB", "Key1", "Digit", "DigitA", "Digit10",
                             "F11", "ShiftRight", "enter", "Numpad1"}) {
        port::KeyCodes codes{7, 7};
        EXPECT_FALSE(port::WebKeyCodes(code, &codes)) << code;
    }
    port::KeyCodes codes;
    EXPECT_FALSE(port::WebKeyCodes(nullptr, &codes));
}

}  // namespace
