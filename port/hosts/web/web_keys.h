// The keys of the web host: a KeyboardEvent's `code` (the key's place on the
// keyboard, whatever the layout) to its virtual-key and DIK_ codes.
#pragma once

#include <cstring>

#include "port/hosts/keys.h"

namespace port {

inline bool WebKeyCodes(const char* code, KeyCodes* codes) {
    struct Named {
        const char* code;
        KeyCodes codes;
    };
    static const Named kNamed[] = {
        {"Enter", kEnterKey},         {"NumpadEnter", kKeypadEnterKey},
        {"Escape", kEscapeKey},       {"Space", kSpaceKey},
        {"ArrowLeft", kLeftKey},      {"ArrowRight", kRightKey},
        {"ArrowUp", kUpKey},          {"ArrowDown", kDownKey},
        {"ControlLeft", kLeftControlKey}, {"ShiftLeft", kLeftShiftKey},
    };
    if (!code) return false;
    for (const Named& named : kNamed)
        if (std::strcmp(code, named.code) == 0) {
            *codes = named.codes;
            return true;
        }
    // "KeyA".."KeyZ" and "Digit0".."Digit9": one character after the prefix.
    const size_t length = std::strlen(code);
    if (length == 4 && std::strncmp(code, "Key", 3) == 0 && code[3] >= 'A' && code[3] <= 'Z')
        return LetterOrDigitKey(code[3], codes);
    if (length == 6 && std::strncmp(code, "Digit", 5) == 0 && code[5] >= '0' && code[5] <= '9')
        return LetterOrDigitKey(code[5], codes);
    return false;
}

}  // namespace port
