// Game controllers as keys, the same on every host. A pad's state comes in
// the W3C standard layout's terms (SDL's game controller buttons name the same
// places); the mapping turns it into the keys the player would press.
#pragma once

#include <cstdint>
#include <vector>

#include "port/hosts/key_sources.h"
#include "port/hosts/shared_numbers.h"

namespace port {

// Button bits, by the standard layout's button index.
enum PadButton : uint32_t {
    kPadSouth = 1u << shared::kPadButtonSouth,  // space
    kPadEast = 1u << shared::kPadButtonEast,    // space
    kPadBack = 1u << shared::kPadButtonBack,    // Escape, held 1 s or pressed twice
    kPadStart = 1u << shared::kPadButtonStart,  // Enter
    kPadLeft = 1u << shared::kPadButtonLeft,    // d-pad
    kPadRight = 1u << shared::kPadButtonRight,
};

struct PadState {
    uint32_t buttons = 0;  // PadButton bits
    double stickX = 0;     // the left stick, -1 (left) .. 1 (right)
};

class PadMapping {
public:
    static constexpr double kDeadZone = 0.25;   // past it the stick is an arrow
    static constexpr double kLetGo = 0.20;      // below it the arrow lets go
    static constexpr uint64_t kBackHoldMicros = 1000000;
    static constexpr uint64_t kBackTwiceMicros = 500000;

    // The pad of `source` is in `state` at `now`: the keys it presses or lets go.
    void Update(int source, const PadState& state, uint64_t now, KeySources* keys,
                std::vector<KeySources::Change>* out);
    // The pad is gone: everything it held goes up.
    void Remove(int source, KeySources* keys, std::vector<KeySources::Change>* out);
    // When a held Back turns into Escape (UINT64_MAX: no Back held).
    uint64_t NextDeadline() const;

private:
    enum Key : unsigned { kLeft = 1, kRight = 2, kSpace = 4, kEnter = 8, kEscape = 16 };
    struct Pad {
        int source = 0;
        unsigned keys = 0;        // Key bits the pad holds
        int stick = 0;            // -1, 0, 1: the stick as an arrow
        bool back = false;
        uint64_t backSince = 0;   // when Back went down
        uint64_t backPressed = 0; // when Back went down the time before
        bool escape = false;      // this Back press is Escape
    };
    Pad& Find(int source);
    static int Stick(int was, double x);
    static void Back(Pad& pad, bool down, uint64_t now);

    std::vector<Pad> pads_;
};

}  // namespace port
