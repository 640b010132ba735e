// Key codes shared by the hosts: virtual-key (VK_) and DirectInput (DIK_)
// codes of the keys a host can report.
#pragma once

#include "port/include/dinput.h"
#include "port/include/windows.h"

namespace port {

struct KeyCodes {
    int virtualKey = 0;
    int scanCode = 0;
};

// The named keys the hosts report. Both Enters are VK_RETURN to the window;
// DirectInput tells them apart.
constexpr KeyCodes kEnterKey = {VK_RETURN, DIK_RETURN};
constexpr KeyCodes kKeypadEnterKey = {VK_RETURN, DIK_NUMPADENTER};
constexpr KeyCodes kEscapeKey = {VK_ESCAPE, DIK_ESCAPE};
constexpr KeyCodes kSpaceKey = {VK_SPACE, DIK_SPACE};
constexpr KeyCodes kLeftKey = {VK_LEFT, DIK_LEFT};
constexpr KeyCodes kRightKey = {VK_RIGHT, DIK_RIGHT};
constexpr KeyCodes kUpKey = {VK_UP, DIK_UP};
constexpr KeyCodes kDownKey = {VK_DOWN, DIK_DOWN};
constexpr KeyCodes kLeftControlKey = {VK_CONTROL, DIK_LCONTROL};
constexpr KeyCodes kLeftShiftKey = {VK_SHIFT, DIK_LSHIFT};

// DIK_ codes of the letters, in alphabetical order (they follow the QWERTY rows).
constexpr unsigned char kLetterScanCodes[26] = {
    0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
    0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};

// A letter 'A'..'Z' or a digit '0'..'9'; false for anything else.
inline bool LetterOrDigitKey(char c, KeyCodes* codes) {
    if (c >= 'A' && c <= 'Z') {
        *codes = {c, kLetterScanCodes[c - 'A']};
        return true;
    }
    if (c >= '1' && c <= '9') {
        *codes = {c, DIK_1 + (c - '1')};
        return true;
    }
    if (c == '0') {
        *codes = {'0', DIK_0};
        return true;
    }
    return false;
}

}  // namespace port
