// The port's core talks to the machine through one table of operations, which
// each host in port/hosts/ implements: `sdl` is a real window, keyboard and
// audio device; `headless` is memory, a virtual clock and a script, for tests.
// Hosts include the core; the core never includes a host. $VEXAR_HOST chooses
// (default: sdl), in port/hosts/choose_host.cpp.
#pragma once

#include <cstdint>

namespace port {

struct HostEvent {
    enum Type { KeyDown, KeyUp, FocusGained, FocusLost, Quit };
    Type type = Quit;
    int virtualKey = 0;  // VK_ code of a key event
    int scanCode = 0;    // DIK_ code of a key event
    bool repeat = false; // auto-repeat of a held key
    bool alt = false;    // Alt was held: WM_SYSKEYDOWN/WM_SYSKEYUP, as on Windows
};

struct Host {
    const char* name;
    // Opens the game's window. False, after one plain line on stderr, when
    // there is no display.
    bool (*openWindow)(const char* title, int width, int height);
    void (*closeWindow)();
    // The desktop's bits per pixel.
    int (*desktopBitsPerPixel)();
    // Shows a frame: `height` rows of `width` pixels, `pitch` bytes apart, in
    // the display format of `bitsPerPixel` (16: RGB565, 24: BGR, 32: XRGB).
    void (*present)(const void* pixels, int width, int height, int pitch, int bitsPerPixel);
    // Returns at the next vertical blank (vsync, or a 60 Hz pacer).
    void (*waitVerticalBlank)();
    // The next input or focus event, if one is waiting.
    bool (*pollEvent)(HostEvent* event);
    // Sleeps until an event may be waiting or `micros` have passed.
    void (*waitEvent)(uint64_t micros);
    // Microseconds on a monotonic clock (virtual in the headless host).
    uint64_t (*now)();
    // Whether the host's keyboard has this DIK_ key down now.
    bool (*keyDown)(int scanCode);
    // Opens the default audio device, playing silence; false when there is none.
    bool (*openAudio)();
    void (*closeAudio)();
    // Shows a message box and returns once it is dismissed (the caller has
    // already written the text to stderr).
    void (*messageBox)(const char* text, const char* caption, unsigned style);
    // Shows or hides the mouse cursor over the game's window (ShowCursor).
    void (*showCursor)(bool visible);
};

// The host chosen by $VEXAR_HOST, picked on first use.
const Host& CurrentHost();

}  // namespace port
