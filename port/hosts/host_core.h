// What every host does alike, written once: the checks a frame passes before a
// host shows it, the 60 Hz display the game paces itself by, the settings the
// hosts read from the environment, and the key messages of a host whose keys
// come from several sources (KeySources), with what a lost focus does to them.
// Each host (sdl/, headless/, web/) keeps only what is its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "port/hosts/key_sources.h"
#include "port/hosts/picture_fit.h"
#include "port/src/core.h"
#include "port/src/host.h"

namespace port {

// ---- Frames ---------------------------------------------------------------------

constexpr uint64_t kMicrosPerSecond = 1000000;
// One refresh of the display, rounded to the microsecond (16667).
constexpr uint64_t kFrameMicros = (kMicrosPerSecond + kRefreshRate / 2) / kRefreshRate;
// The largest frame number a host counts to: about 500 years at 60 Hz.
constexpr uint64_t kLargestFrameNumber = 1000000000000ull;
// The largest side of a frame a host takes.
constexpr int kLargestFrameSide = 16384;

// Whether a host can show this frame: pixels, a size of 1..kLargestFrameSide
// each way, 16, 24 or 32 bits per pixel, and rows at least a row of pixels apart.
inline bool FrameIsShowable(const void* pixels, int width, int height, int pitch, int bitsPerPixel) {
    if (!pixels || width <= 0 || height <= 0 || width > kLargestFrameSide || height > kLargestFrameSide)
        return false;
    if (bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32) return false;
    return pitch >= 0 && static_cast<size_t>(pitch) >= static_cast<size_t>(width) * (bitsPerPixel / 8);
}

// The first vertical blank after `micros` on a display whose blanks fall at
// whole multiples of 1/kRefreshRate s, rounded up to the microsecond.
inline uint64_t NextVerticalBlank(uint64_t micros) {
    const uint64_t next = (micros * kRefreshRate / kMicrosPerSecond + 1) * kMicrosPerSecond;
    return (next + kRefreshRate - 1) / kRefreshRate;
}

// A wait of `micros` in whole milliseconds, rounded up so that a timer is never
// woken early.
inline uint64_t WaitMillis(uint64_t micros) { return micros / 1000 + (micros % 1000 != 0); }

// ---- Settings -------------------------------------------------------------------

// What the hosts read from the environment. A value that is set but not
// understood costs one line on stderr, which says what is used instead.
struct HostSettings {
    std::string host;              // VEXAR_HOST: which host (choose_host.cpp checks the name)
    int bitsPerPixel = 0;          // VEXAR_BPP=1..64: the desktop's depth; 0: the desktop's own
    // The sdl host's.
    bool windowed = false;         // VEXAR_WINDOWED=1: start in a window
    int display = -1;              // VEXAR_DISPLAY=0..63: the display of this run; -1: the remembered one
    ScaleMode scale = ScaleMode::Aspect;  // VEXAR_SCALE=aspect|integer|stretch
    std::string renderer;          // VEXAR_RENDERER: auto, surface or an SDL render driver
    bool showRenderer = false;     // VEXAR_SHOW_RENDERER=1: say on stderr how frames are shown
    // The headless host's (headless.h).
    std::string script;            // VEXAR_SCRIPT
    std::string captureDir = ".";  // VEXAR_CAPTURE_DIR
    uint64_t maxFrames = 1000000;  // VEXAR_MAX_FRAMES
    uint64_t reportEvery = 0;      // VEXAR_REPORT_EVERY; 0: no reports
    bool flipWaits = true;         // VEXAR_FLIP_NO_WAIT=1: a flip returns at once
};

// Reads the settings; `lookup` gives a variable's value, empty when unset.
using EnvironmentLookup = std::string (*)(const char* name);
HostSettings ReadHostSettings(EnvironmentLookup lookup = &Env);

// The settings of this run, read from the environment on first use.
const HostSettings& Settings();
// Reads them again, for a host's reset: a test may have changed the environment.
void ReadSettingsAgain();

// A whole decimal number from `low` to `high`; false for anything else.
bool ParseWholeNumber(const std::string& text, uint64_t low, uint64_t high, uint64_t* value);

// ---- Key messages ---------------------------------------------------------------

// The messages a host has made and not yet handed out: the key changes of its
// KeySources and its focus changes, in order.
class HostEvents {
public:
    // The key messages of `changes`; `alt` as the source saw it.
    void Keys(const std::vector<KeySources::Change>& changes, bool alt);
    // The window gained or lost the foreground. On a loss every source lets
    // go of every key, and no key-up is sent: Windows gives a window that has
    // lost the foreground no WM_KEYUP for the keys held then. A key still held
    // comes back when the host sees it pressed again.
    void Focus(bool gained, KeySources* keys);

    bool Take(HostEvent* event);
    bool Empty() const { return events_.empty(); }
    void Clear() { events_.clear(); }

private:
    std::deque<HostEvent> events_;
};

}  // namespace port
