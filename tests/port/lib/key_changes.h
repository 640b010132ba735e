// Key changes as short text: "+205" pressed, "*205" repeated, "-205" let go,
// by DIK_ code, in order.
#pragma once

#include <string>
#include <vector>

#include "port/hosts/key_sources.h"

inline std::string KeyText(const std::vector<port::KeySources::Change>& changes) {
    std::string text;
    for (const port::KeySources::Change& c : changes) {
        if (!text.empty()) text += ' ';
        text += (c.down ? (c.repeat ? "*" : "+") : "-") + std::to_string(c.key.scanCode);
    }
    return text;
}
