// Control of the headless host, for tests in-process and for scripted runs of
// the real binary. No SDL: pixels in memory, a virtual clock, scripted input.
//
// The virtual clock advances by one 60 Hz frame (16667 us) at every vertical
// blank, and WaitMessage jumps it to the next timer expiry or scripted event.
// Frames are numbered by the clock: frame n begins at n x 16667 us, so frame 0
// is before the first flip.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "port/include/windows.h"

namespace port::headless {

// Input, delivered to the game at its next look at the message queue.
void KeyDown(int virtualKey, int scanCode, bool repeat = false);
void KeyUp(int virtualKey, int scanCode);
void SetAltHeld(bool held);   // the key events that follow have Alt held
void SetFocus(bool focused);  // the window gains or loses the foreground
void Quit();                  // the user closes the window (WM_CLOSE)

// Runs `action` when frame `frame` begins (at once if it has begun).
void At(uint64_t frame, std::function<void()> action);

uint64_t FrameCount();
uint64_t NowMicros();

// The last presented frame, as COLORREF values (0x00BBGGRR), rows top-down.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Picture LastFrame();
// Writes a picture as a 24-bit BMP file; false when the file cannot be written.
bool SavePicture(const Picture& picture, const std::string& path);

// Message boxes shown so far (they return IDOK at once).
struct Box {
    std::string text;
    std::string caption;  // empty when none was given
    unsigned style = 0;
};
std::vector<Box> MessageBoxes();

// Machine set-up; defaults: display and audio present, desktop at 32 bpp
// ($VEXAR_BPP sets the depth for both hosts).
void SetDesktopBitsPerPixel(int bitsPerPixel);
void SetDisplayAvailable(bool available);
void SetAudioAvailable(bool available);
// Whether Flip waits for the vertical blank (default: yes). A flip that does
// not wait returns at once, as under Wine, and leaves the clock where it is:
// it then moves only while the program waits ($VEXAR_FLIP_NO_WAIT=1 sets this).
void SetFlipWaits(bool waits);

// A script for the real binary, from $VEXAR_SCRIPT: one command per line,
// "<frame> <command> [argument]", '#' starts a comment:
//   40 down RETURN      key down (names: RETURN SPACE ESCAPE LEFT RIGHT UP DOWN A..Z 0..9)
//   41 up RETURN        key up
//   42 repeat SPACE     auto-repeat of a held key
//   100 blur            the window loses the foreground; "focus" gives it back
//   120 capture intro   writes $VEXAR_CAPTURE_DIR/intro.bmp from the last presented frame
//   5000 quit           the user closes the window
// $VEXAR_MAX_FRAMES (default 1000000) closes the window when reached.
// $VEXAR_REPORT_EVERY=N writes the live object counts and resident memory to
// stderr at the first frame and every N frames.
// Returns false, with a message on stderr, for a line it cannot read.
bool LoadScript(const std::string& path);

}  // namespace port::headless
