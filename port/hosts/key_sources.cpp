#include "port/hosts/key_sources.h"

#include <algorithm>
#include <cstdint>

namespace port {

KeySources::HeldKey* KeySources::Find(int scanCode) {
    for (HeldKey& held : held_)
        if (held.key.scanCode == scanCode) return &held;
    return nullptr;
}

const KeySources::HeldKey* KeySources::Find(int scanCode) const {
    return const_cast<KeySources*>(this)->Find(scanCode);
}

bool KeySources::RepeatsHere(const HeldKey& held) const {
    return std::find(held.sources.begin(), held.sources.end(), kKeyboard) == held.sources.end();
}

void KeySources::Press(int source, KeyCodes key, uint64_t now, std::vector<Change>* out) {
    HeldKey* held = Find(key.scanCode);
    if (!held) {
        held_.push_back({key, {source}, now + kRepeatDelayMicros});
        out->push_back({key, true, false});
        return;
    }
    std::vector<int>& sources = held->sources;
    if (std::find(sources.begin(), sources.end(), source) == sources.end()) {
        sources.push_back(source);
    } else if (source != kKeyboard) {
        return;  // a source's second press of a key it holds: its repeats come from Repeats()
    }
    // The key is down already: to the game this is one more press of a held key.
    out->push_back({held->key, true, true});
}

void KeySources::Release(int source, KeyCodes key, std::vector<Change>* out) {
    HeldKey* held = Find(key.scanCode);
    if (!held) return;
    std::vector<int>& sources = held->sources;
    sources.erase(std::remove(sources.begin(), sources.end(), source), sources.end());
    if (!sources.empty()) return;
    out->push_back({held->key, false, false});
    held_.erase(held_.begin() + (held - held_.data()));
}

void KeySources::ReleaseSource(int source, std::vector<Change>* out) {
    std::vector<KeyCodes> keys;
    for (const HeldKey& held : held_)
        if (std::find(held.sources.begin(), held.sources.end(), source) != held.sources.end())
            keys.push_back(held.key);
    for (const KeyCodes& key : keys) Release(source, key, out);
}

void KeySources::ReleaseAll(std::vector<Change>* out) {
    for (const HeldKey& held : held_) out->push_back({held.key, false, false});
    held_.clear();
}

void KeySources::Repeats(uint64_t now, std::vector<Change>* out) {
    for (HeldKey& held : held_) {
        if (!RepeatsHere(held)) continue;
        // A long stall (the page in the background) gives one repeat, not a burst.
        if (now >= held.nextRepeat) {
            out->push_back({held.key, true, true});
            held.nextRepeat = now + kRepeatIntervalMicros;
        }
    }
}

uint64_t KeySources::NextRepeat() const {
    uint64_t next = UINT64_MAX;
    for (const HeldKey& held : held_)
        if (RepeatsHere(held)) next = std::min(next, held.nextRepeat);
    return next;
}

bool KeySources::Held(int scanCode) const { return Find(scanCode) != nullptr; }

bool KeySources::HeldBy(int source, int scanCode) const {
    const HeldKey* held = Find(scanCode);
    return held && std::find(held->sources.begin(), held->sources.end(), source) != held->sources.end();
}

}  // namespace port
