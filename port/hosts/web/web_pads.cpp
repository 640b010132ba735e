#include "port/hosts/web/web_pads.h"

#include <algorithm>

extern "C" {
// Writes three numbers per standard pad (its index, its PadButton bits, its
// left stick's x) and returns how many pads it wrote.
int vexar_web_read_pads(double* pads, int max);
}

namespace port {
namespace web {

void Pads::Poll(uint64_t now, KeySources* keys, std::vector<KeySources::Change>* out) {
    double read[kMaxPads * 3];
    const int count = std::clamp(vexar_web_read_pads(read, kMaxPads), 0, kMaxPads);
    std::vector<int> seen;
    for (int i = 0; i < count; ++i) {
        const double* pad = read + i * 3;
        if (!(pad[0] >= 0 && pad[0] < 64)) continue;  // not an index a browser gives
        const int source = kFirstSource + static_cast<int>(pad[0]);
        PadState state;
        state.buttons = static_cast<uint32_t>(pad[1]);
        state.stickX = std::clamp(pad[2], -1.0, 1.0);
        mapping_.Update(source, state, now, keys, out);
        seen.push_back(source);
    }
    for (int source : present_)
        if (std::find(seen.begin(), seen.end(), source) == seen.end()) mapping_.Remove(source, keys, out);
    present_ = seen;
}

}  // namespace web
}  // namespace port
