// The page's game controllers (the Gamepad API, web_pads.js), read once a
// frame. Only pads in the standard layout play; each is a key source of its
// own, and one that goes away lets go of its keys.
#pragma once

#include <cstdint>
#include <vector>

#include "port/hosts/key_sources.h"
#include "port/hosts/pad_mapping.h"

namespace port {
namespace web {

class Pads {
public:
    // The pad at navigator.getGamepads()[i] is source kFirstSource + i.
    static constexpr int kFirstSource = shared::kFirstPadSource;
    static constexpr int kMaxPads = 8;

    // Reads the pads as they are now; their key changes go to `out`.
    void Poll(uint64_t now, KeySources* keys, std::vector<KeySources::Change>* out);
    // Whether a pad was there at the last poll.
    bool Any() const { return !present_.empty(); }

private:
    std::vector<int> present_;  // the sources of the pads seen at the last poll
    PadMapping mapping_;
};

}  // namespace web
}  // namespace port
