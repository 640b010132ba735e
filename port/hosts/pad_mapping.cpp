#include "port/hosts/pad_mapping.h"

#include <algorithm>

namespace port {
namespace {

constexpr KeyCodes kKeyOf[] = {kLeftKey, kRightKey, kSpaceKey, kEnterKey, kEscapeKey};

}  // namespace

PadMapping::Pad& PadMapping::Find(int source) {
    for (Pad& pad : pads_)
        if (pad.source == source) return pad;
    pads_.push_back(Pad());
    pads_.back().source = source;
    return pads_.back();
}

// The stick past the dead zone, kept until it comes back under kLetGo.
int PadMapping::Stick(int was, double x) {
    if (x >= kDeadZone || (was > 0 && x > kLetGo)) return 1;
    if (x <= -kDeadZone || (was < 0 && x < -kLetGo)) return -1;
    return 0;
}

void PadMapping::Back(Pad& pad, bool down, uint64_t now) {
    if (down && !pad.back) {
        const bool twice = pad.backPressed != 0 && now - pad.backPressed <= kBackTwiceMicros;
        pad.backPressed = twice ? 0 : now;  // a third press starts over
        pad.backSince = now;
        pad.escape = twice;
    }
    if (down && now - pad.backSince >= kBackHoldMicros) pad.escape = true;
    if (!down) pad.escape = false;
    pad.back = down;
}

void PadMapping::Update(int source, const PadState& state, uint64_t now, KeySources* keys,
                        std::vector<KeySources::Change>* out) {
    Pad& pad = Find(source);
    pad.stick = Stick(pad.stick, state.stickX);
    Back(pad, (state.buttons & kPadBack) != 0, now);
    unsigned want = 0;
    if ((state.buttons & kPadLeft) || pad.stick < 0) want |= kLeft;
    if ((state.buttons & kPadRight) || pad.stick > 0) want |= kRight;
    if (state.buttons & (kPadSouth | kPadEast)) want |= kSpace;
    if (state.buttons & kPadStart) want |= kEnter;
    if (pad.escape) want |= kEscape;
    for (unsigned i = 0; i < 5; ++i) {
        const unsigned bit = 1u << i;
        if ((want & bit) && !(pad.keys & bit)) keys->Press(source, kKeyOf[i], now, out);
        if (!(want & bit) && (pad.keys & bit)) keys->Release(source, kKeyOf[i], out);
    }
    pad.keys = want;
}

void PadMapping::Remove(int source, KeySources* keys, std::vector<KeySources::Change>* out) {
    keys->ReleaseSource(source, out);
    pads_.erase(std::remove_if(pads_.begin(), pads_.end(), [source](const Pad& p) { return p.source == source; }),
                pads_.end());
}

uint64_t PadMapping::NextDeadline() const {
    uint64_t next = UINT64_MAX;
    for (const Pad& pad : pads_)
        if (pad.back && !pad.escape) next = std::min(next, pad.backSince + kBackHoldMicros);
    return next;
}

}  // namespace port
