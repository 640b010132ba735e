// Keys held by several input sources at once: the keyboard, each game
// controller, the page's touch controls. A key is down while any source holds
// it and goes up when the last one lets go; a source that goes away lets go of
// everything it held. So the game sees one keyboard, whatever pressed the keys.
#pragma once

#include <cstdint>
#include <vector>

#include "port/hosts/keys.h"
#include "port/hosts/shared_numbers.h"
#include "port/src/host.h"

namespace port {

class KeySources {
public:
    // The keyboard repeats its own held keys; every other source's held key is
    // repeated here, at a keyboard's pace.
    static constexpr int kKeyboard = shared::kKeyboardSource;
    static constexpr uint64_t kRepeatDelayMicros = 500000;
    static constexpr uint64_t kRepeatIntervalMicros = 33000;

    // A key message to send: a press (or its repeat), or a release.
    struct Change {
        KeyCodes key;
        bool down = false;
        bool repeat = false;
    };

    // `source` presses `key` at `now` (microseconds). A press of a key another
    // source already holds makes a repeat; the keyboard's repeats of its own
    // held keys pass through as repeats.
    void Press(int source, KeyCodes key, uint64_t now, std::vector<Change>* out);
    // `source` lets go of `key`: a release only when no other source holds it.
    void Release(int source, KeyCodes key, std::vector<Change>* out);
    // `source` lets go of everything it holds (a pad pulled out, a finger lifted).
    void ReleaseSource(int source, std::vector<Change>* out);
    // Every source lets go of everything (the window lost the focus).
    void ReleaseAll(std::vector<Change>* out);
    // The repeats due by `now` for keys that only sources other than the keyboard hold.
    void Repeats(uint64_t now, std::vector<Change>* out);

    // When Repeats() next has one to give (UINT64_MAX: none).
    uint64_t NextRepeat() const;

    // Whether any source holds the key with this DIK_ code.
    bool Held(int scanCode) const;
    // Whether `source` holds the key with this DIK_ code.
    bool HeldBy(int source, int scanCode) const;

    // The key message of a change, as a host hands it to the port; `alt` as the source saw it.
    static HostEvent Message(const Change& change, bool alt) {
        HostEvent event;
        event.type = change.down ? HostEvent::KeyDown : HostEvent::KeyUp;
        event.virtualKey = change.key.virtualKey;
        event.scanCode = change.key.scanCode;
        event.repeat = change.repeat;
        event.alt = alt;
        return event;
    }

private:
    struct HeldKey {
        KeyCodes key;
        std::vector<int> sources;
        uint64_t nextRepeat = 0;
    };
    HeldKey* Find(int scanCode);
    const HeldKey* Find(int scanCode) const;
    bool RepeatsHere(const HeldKey& held) const;

    std::vector<HeldKey> held_;
};

}  // namespace port
