#include "port/hosts/host_core.h"

#include <cstdio>

#include "port/hosts/window_settings.h"

namespace port {
namespace {

// 0 or 1; anything else says so and keeps `fallback`.
bool Flag(EnvironmentLookup lookup, const char* name, bool fallback, const char* fallbackMeans) {
    const std::string text = lookup(name);
    if (text == "0" || text == "1") return text == "1";
    if (!text.empty())
        std::fprintf(stderr, "vexar: %s='%s' is neither 0 nor 1; %s\n", name, text.c_str(), fallbackMeans);
    return fallback;
}

// A whole number in low..high; anything else says so and keeps `*value`.
void Number(EnvironmentLookup lookup, const char* name, uint64_t low, uint64_t high, const char* what,
            const char* fallbackMeans, uint64_t* value) {
    const std::string text = lookup(name);
    if (text.empty() || ParseWholeNumber(text, low, high, value)) return;
    std::fprintf(stderr, "vexar: %s='%s' is not %s; %s\n", name, text.c_str(), what, fallbackMeans);
}

}  // namespace

bool ParseWholeNumber(const std::string& text, uint64_t low, uint64_t high, uint64_t* value) {
    if (text.empty() || text.size() > 19) return false;
    uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<uint64_t>(c - '0');
    }
    if (v < low || v > high) return false;
    *value = v;
    return true;
}

HostSettings ReadHostSettings(EnvironmentLookup lookup) {
    HostSettings s;
    s.host = lookup("VEXAR_HOST");
    uint64_t number = 0;
    Number(lookup, "VEXAR_BPP", 1, 64, "a depth (1 to 64)", "using the desktop's", &number);
    s.bitsPerPixel = static_cast<int>(number);

    s.windowed = Flag(lookup, "VEXAR_WINDOWED", false, "starting as the player left it");
    uint64_t display = kMostDisplays;  // none asked for
    Number(lookup, "VEXAR_DISPLAY", 0, kMostDisplays - 1, "a display number", "using the remembered display",
           &display);
    if (display < kMostDisplays) s.display = static_cast<int>(display);
    const std::string scale = lookup("VEXAR_SCALE");
    if (!scale.empty() && !ParseScaleMode(scale, &s.scale))
        std::fprintf(stderr, "vexar: VEXAR_SCALE='%s' is not aspect, integer or stretch; using aspect\n",
                     scale.c_str());
    s.renderer = lookup("VEXAR_RENDERER");
    s.showRenderer = Flag(lookup, "VEXAR_SHOW_RENDERER", false, "not saying");

    s.script = lookup("VEXAR_SCRIPT");
    const std::string dir = lookup("VEXAR_CAPTURE_DIR");
    if (!dir.empty()) s.captureDir = dir;
    Number(lookup, "VEXAR_MAX_FRAMES", 0, kLargestFrameNumber, "a frame count", "using 1000000",
           &s.maxFrames);
    Number(lookup, "VEXAR_REPORT_EVERY", 1, kLargestFrameNumber, "a frame count", "no reports",
           &s.reportEvery);
    s.flipWaits = !Flag(lookup, "VEXAR_FLIP_NO_WAIT", false, "the flip waits");
    return s;
}

namespace {

HostSettings*& SettingsPointer() {
    static HostSettings* settings = nullptr;
    return settings;
}

}  // namespace

const HostSettings& Settings() {
    HostSettings*& settings = SettingsPointer();
    if (!settings) settings = new HostSettings(ReadHostSettings());
    return *settings;
}

void ReadSettingsAgain() {
    HostSettings*& settings = SettingsPointer();
    if (settings) *settings = ReadHostSettings();
}

void HostEvents::Keys(const std::vector<KeySources::Change>& changes, bool alt) {
    for (const KeySources::Change& change : changes) events_.push_back(KeySources::Message(change, alt));
}

void HostEvents::Focus(bool gained, KeySources* keys) {
    if (!gained) {
        std::vector<KeySources::Change> released;
        keys->ReleaseAll(&released);  // sent nowhere
    }
    HostEvent event;
    event.type = gained ? HostEvent::FocusGained : HostEvent::FocusLost;
    events_.push_back(event);
}

bool HostEvents::Take(HostEvent* event) {
    if (events_.empty()) return false;
    *event = events_.front();
    events_.pop_front();
    return true;
}

}  // namespace port
