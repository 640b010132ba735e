// The window the player left, remembered for the next start: full screen or
// a window, the window's size and the display it was on. A small text file of key=value lines in
// $XDG_CONFIG_HOME/vexar/ (~/.config/vexar/ when that is unset).
#pragma once

#include <string>

namespace port {

struct WindowSettings {
    bool fullScreen = true;
    int width = 640;   // the window's client size when not full screen
    int height = 480;
    int display = -1;         // the display's number, -1 when none is remembered
    std::string displayName;  // its name, where the system gives displays names of their own
};

constexpr int kMostDisplays = 64;
constexpr size_t kLongestDisplayName = 128;

constexpr int kSmallestWindow = 160;
constexpr int kLargestWindow = 16384;

struct WindowPlace {
    int x = 0, y = 0, width = 0, height = 0;
};

// A window of `width` x `height` made to fit `usable` (a display's usable
// area): its size within kSmallestWindow..the area, centred on the area.
WindowPlace FitWindow(int width, int height, const WindowPlace& usable);

// Reads `text` into `settings`; on bad input says why in `error` and leaves
// `settings` as it was.
bool ParseWindowSettings(const std::string& text, WindowSettings* settings, std::string* error);
std::string FormatWindowSettings(const WindowSettings& settings);

// The game's configuration folder, $XDG_CONFIG_HOME/vexar (~/.config/vexar when
// that is unset); empty when neither XDG_CONFIG_HOME nor HOME is set.
std::string ConfigFolder();
// The settings file's path, window.conf in that folder; empty without one.
std::string WindowSettingsPath();

// A missing file gives the defaults quietly; a bad or unreadable one gives
// them after one line on stderr.
WindowSettings LoadWindowSettings(const std::string& path);
// Writes the file (and its folder); one line on stderr when it cannot.
void SaveWindowSettings(const std::string& path, const WindowSettings& settings);

}  // namespace port
