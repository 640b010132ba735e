// The port's core talks to the machine through one table of operations, which
// each host in port/hosts/ implements: `sdl` is a real window, keyboard, game
// controllers and audio device; `headless` is memory, a virtual clock and a
// script, for tests; `web` is a browser page (the emscripten build's only host).
// Hosts include the core; the core never includes a host. What the hosts do
// alike is written once beside them, in port/hosts/host_core.h.
//
// A host fills its table by the operations' names, in a function at the end of
// its file, and adds itself to the list in port/hosts/choose_host.cpp, where
// $VEXAR_HOST chooses among them (the first is the default). A table with an
// operation left out fails the port's unit tests, and the program at start-up.
#pragma once

#include <cstdint>
#include <vector>

namespace port {

struct HostEvent {
    enum Type { KeyDown, KeyUp, FocusGained, FocusLost, Quit };
    Type type = Quit;
    int virtualKey = 0;  // VK_ code of a key event
    int scanCode = 0;    // DIK_ code of a key event
    bool repeat = false; // auto-repeat of a held key
    bool alt = false;    // Alt was held: WM_SYSKEYDOWN/WM_SYSKEYUP, as on Windows
};

// Every host shows frames at this rate: the sdl host's pacer, the headless
// host's clock, the browser's frames; DirectDraw reports it.
constexpr int kRefreshRate = 60;

// Not an aggregate: no table can be filled by position, where two operations
// of one type could trade places unseen.
struct Host {
    explicit Host(const char* hostName) : name(hostName) {}

    const char* name;
    // Opens the game's window. False, after one plain line on stderr, when
    // there is no display.
    bool (*openWindow)(const char* title, int width, int height) = nullptr;
    void (*closeWindow)() = nullptr;
    // The desktop's bits per pixel.
    int (*desktopBitsPerPixel)() = nullptr;
    // Shows a frame: `height` rows of `width` pixels, `pitch` bytes apart, in
    // the display format of `bitsPerPixel` (16: RGB565, 24: BGR, 32: XRGB).
    void (*present)(const void* pixels, int width, int height, int pitch, int bitsPerPixel) = nullptr;
    // Returns at the next vertical blank (vsync, or a 60 Hz pacer).
    void (*waitVerticalBlank)() = nullptr;
    // The next input or focus event, if one is waiting.
    bool (*pollEvent)(HostEvent* event) = nullptr;
    // Sleeps until an event may be waiting or `micros` have passed.
    void (*waitEvent)(uint64_t micros) = nullptr;
    // Microseconds on a monotonic clock (virtual in the headless host).
    uint64_t (*now)() = nullptr;
    // Whether the host's keyboard has this DIK_ key down now.
    bool (*keyDown)(int scanCode) = nullptr;
    // Opens the default audio device, playing silence; false when there is none.
    bool (*openAudio)() = nullptr;
    void (*closeAudio)() = nullptr;
    // Shows a message box and returns once it is dismissed (the caller has
    // already written the text to stderr).
    void (*messageBox)(const char* text, const char* caption, unsigned style) = nullptr;
    // Shows or hides the mouse cursor over the game's window (ShowCursor).
    void (*showCursor)(bool visible) = nullptr;
    // Called before each long piece of the program's start (CreateSurface): a
    // host that shares its thread with the system, as the browser's page does,
    // lets it handle its own work first. Elsewhere it returns at once.
    void (*letSystemRun)() = nullptr;
};

// The operation `host` leaves out (its name), or null when it has them all.
const char* MissingOperation(const Host& host);

// Every host this build has, the default first.
std::vector<const Host*> AllHosts();

// The host chosen by $VEXAR_HOST, picked on first use.
const Host& CurrentHost();

}  // namespace port
