// F12: the game's picture as it was drawn (its own 640 x 480, not the scaled
// window) saved as a PNG in the player's pictures folder, VEXAR/ in it. The
// key is the host's: the game never sees it.
#pragma once

#include <SDL.h>

#include <string>

namespace port {
namespace sdl {

// $XDG_PICTURES_DIR, else the one user-dirs.dirs names (as xdg-user-dir
// reads it), else ~/Pictures, with VEXAR/ added; the configuration folder
// when there is no home. Empty when there is nowhere.
std::string ScreenshotFolder();

// Writes a frame (16: RGB565, 24: BGR, 32: XRGB) into `folder` as
// vexar-DATE-TIME.png, -2, -3... when taken within a second: written to a
// temporary name, then given its own, so a file there is whole. The path,
// or empty after one line on stderr.
std::string SaveScreenshot(const std::string& folder, const void* pixels, int width, int height,
                           int pitch, int bits);

class Screenshots {
public:
    // Whether the key is the screenshot key (then the game must not see it);
    // a press asks for the next frame shown.
    bool TakeKey(const SDL_KeyboardEvent& key);
    // A frame shown: saved when one was asked for.
    void Shown(const void* pixels, int width, int height, int pitch, int bits);

private:
    bool wanted_ = false;
};

}  // namespace sdl
}  // namespace port
