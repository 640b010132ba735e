// The SDL host: a real window, full screen on the desktop or a resizable
// window (Alt+Enter or F11 switches; $VEXAR_WINDOWED=1 starts in a window),
// the keyboard, the default audio device and message boxes. Frames are shown
// by an SdlPresenter ($VEXAR_RENDERER), scaled by $VEXAR_SCALE.
#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "port/src/host.h"
#include "port/hosts/host_core.h"
#include "port/hosts/key_sources.h"
#include "port/hosts/keys.h"
#include "port/hosts/picture_fit.h"
#include "port/hosts/sdl/sdl_displays.h"
#include "port/hosts/sdl/sdl_icon.h"
#include "port/hosts/sdl/sdl_pads.h"
#include "port/hosts/sdl/sdl_present.h"
#include "port/hosts/sdl/sdl_screenshot.h"
#include "port/hosts/window_settings.h"
#include "port/src/core.h"

namespace port {
namespace sdl {
namespace {

struct State {
    bool videoTried = false;
    bool videoReady = false;
    std::string videoError;
    SDL_Window* window = nullptr;
    SdlPresenter presenter;
    WindowSettings settings;  // the window as the player leaves it
    std::string settingsPath;
    Displays displays;
    int display = 0;  // the display the window opens on
    bool cursorVisible = true;
    SDL_AudioDeviceID audio = 0;
    int desktopBits = 0;
    bool hasPending = false;  // an event taken while waiting, not yet handed out
    SDL_Event pending;
    KeySources keys;                // the keyboard's and the pads' held keys
    Pads pads;
    HostEvents queued;              // key and focus messages made, not yet handed out
    Screenshots shots;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};

State& S();

// Silences stderr while it lives: the sound libraries print pages of noise
// when there is no sound card, libwayland a line when there is no compositor,
// and SDL's error says it in one line.
class QuietStderr {
public:
    QuietStderr() : saved_(dup(2)) {
        int null = open("/dev/null", O_WRONLY);
        if (saved_ >= 0 && null >= 0) dup2(null, 2);
        if (null >= 0) close(null);
    }
    ~QuietStderr() {
        if (saved_ < 0) return;
        dup2(saved_, 2);
        close(saved_);
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int saved_;
};

void CloseWindow() {
    State& s = S();
    if (s.window) {
        s.presenter.Close();
        s.displays.Remember(s.window, &s.settings);
        SDL_DestroyWindow(s.window);
        SaveWindowSettings(s.settingsPath, s.settings);
    }
    s.window = nullptr;
    s.hasPending = false;
}

void CloseAudio() {
    State& s = S();
    if (s.audio) SDL_CloseAudioDevice(s.audio);
    s.audio = 0;
}

void CloseKeys();

void Reset() {
    CloseKeys();
    CloseWindow();
    CloseAudio();
    S().cursorVisible = true;
}

State& S() {
    static State* state = [] {
        RegisterReset(&Reset);
        return new State;
    }();
    return *state;
}

// The video driver for the display we have. Left alone SDL would fall back
// to its off-screen driver, a window nobody sees. $SDL_VIDEODRIVER still wins.
const char* DisplayDriver() {
    if (!Env("SDL_VIDEODRIVER").empty()) return "";
    if (!Env("DISPLAY").empty()) return "x11";
    if (!Env("WAYLAND_DISPLAY").empty()) return "wayland";
    return nullptr;
}

// Whether SDL is to use its Wayland driver, with an X server named too.
bool X11CanFollow() {
    const char* driver = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    return driver && std::strcmp(driver, "wayland") == 0 && !Env("DISPLAY").empty();
}

// SDL's Wayland driver, or its window, failed: X11 instead where DISPLAY
// names a server, with one line. False when not tried or failed too.
bool UseX11Instead(const std::string& why) {
    if (!X11CanFollow()) return false;
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11", SDL_HINT_OVERRIDE);  // over $SDL_VIDEODRIVER
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    std::fprintf(stderr, "vexar: Wayland is not available (%s); using X11\n", why.c_str());
    return true;
}

bool InitVideo() {
    State& s = S();
    if (!s.videoTried) {
        s.videoTried = true;
        const char* driver = DisplayDriver();
        if (!driver) {
            s.videoError = "neither DISPLAY nor WAYLAND_DISPLAY is set";
            return false;
        }
        if (*driver) SDL_SetHint(SDL_HINT_VIDEODRIVER, driver);
        // Without a window manager a lost focus would iconify the full-screen
        // window with nothing to bring it back.
        SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
        // The window surface is the display's own (shared-memory) image, not
        // an OpenGL texture: a software GL would make every frame cost milliseconds.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        {
            std::unique_ptr<QuietStderr> quiet(X11CanFollow() ? new QuietStderr : nullptr);
            s.videoReady = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
        }
        if (!s.videoReady) {
            s.videoError = SDL_GetError();
            s.videoReady = UseX11Instead(s.videoError);
        }
    }
    return s.videoReady;
}

// ---- Keys ---------------------------------------------------------------------

struct KeyTable {
    KeyCodes byScancode[SDL_NUM_SCANCODES];
    SDL_Scancode byDik[256];
};

const KeyTable& Keys() {
    static const KeyTable* table = [] {
        KeyTable* t = new KeyTable();
        for (SDL_Scancode& sc : t->byDik) sc = SDL_SCANCODE_UNKNOWN;
        auto add = [t](SDL_Scancode sc, KeyCodes codes) {
            t->byScancode[sc] = codes;
            t->byDik[codes.scanCode] = sc;
        };
        for (int i = 0; i < 26; ++i) {
            KeyCodes codes;
            LetterOrDigitKey(static_cast<char>('A' + i), &codes);
            add(static_cast<SDL_Scancode>(SDL_SCANCODE_A + i), codes);
        }
        for (int i = 0; i < 10; ++i) {  // SDL orders them 1..9, 0
            KeyCodes codes;
            LetterOrDigitKey(i == 9 ? '0' : static_cast<char>('1' + i), &codes);
            add(static_cast<SDL_Scancode>(SDL_SCANCODE_1 + i), codes);
        }
        add(SDL_SCANCODE_RETURN, kEnterKey);
        add(SDL_SCANCODE_KP_ENTER, kKeypadEnterKey);
        add(SDL_SCANCODE_F4, {VK_F4, DIK_F4});  // Alt+F4 closes, as on Windows
        add(SDL_SCANCODE_ESCAPE, kEscapeKey);
        add(SDL_SCANCODE_SPACE, kSpaceKey);
        add(SDL_SCANCODE_LEFT, kLeftKey);
        add(SDL_SCANCODE_RIGHT, kRightKey);
        add(SDL_SCANCODE_UP, kUpKey);
        add(SDL_SCANCODE_DOWN, kDownKey);
        add(SDL_SCANCODE_LCTRL, kLeftControlKey);
        add(SDL_SCANCODE_LSHIFT, kLeftShiftKey);
        return t;
    }();
    return *table;
}

// With Num Lock off the keypad's 4, 6, 8 and 2 are arrows.
SDL_Scancode KeypadArrow(SDL_Scancode sc) {
    if (SDL_GetModState() & KMOD_NUM) return SDL_SCANCODE_UNKNOWN;
    switch (sc) {
    case SDL_SCANCODE_KP_4: return SDL_SCANCODE_LEFT;
    case SDL_SCANCODE_KP_6: return SDL_SCANCODE_RIGHT;
    case SDL_SCANCODE_KP_8: return SDL_SCANCODE_UP;
    case SDL_SCANCODE_KP_2: return SDL_SCANCODE_DOWN;
    default: return SDL_SCANCODE_UNKNOWN;
    }
}

// The keypad key that is also this arrow while Num Lock is off.
SDL_Scancode KeypadTwin(SDL_Scancode arrow) {
    for (SDL_Scancode sc : {SDL_SCANCODE_KP_4, SDL_SCANCODE_KP_6, SDL_SCANCODE_KP_8, SDL_SCANCODE_KP_2})
        if (KeypadArrow(sc) == arrow) return sc;
    return SDL_SCANCODE_UNKNOWN;
}

// ---- Window modes ----------------------------------------------------------------

bool IsFullScreen() {
    return (SDL_GetWindowFlags(S().window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
}

// Full screen on the desktop, or the window the player had.
void SetFullScreen(bool on) {
    State& s = S();
    if (!s.window || IsFullScreen() == on) return;
    if (on) {
        SDL_SetWindowFullscreen(s.window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else {
        // Back to a window on the display the full screen was on.
        const int display = std::max(0, SDL_GetWindowDisplayIndex(s.window));
        SDL_SetWindowFullscreen(s.window, 0);
        SDL_SetWindowSize(s.window, s.settings.width, s.settings.height);
        SDL_SetWindowPosition(s.window, SDL_WINDOWPOS_CENTERED_DISPLAY(display),
                              SDL_WINDOWPOS_CENTERED_DISPLAY(display));
    }
    s.settings.fullScreen = on;
    s.presenter.Resized();
}

// A new size from SDL or the window manager: a window's size is the one to
// remember, whoever made it.
void WindowResized() {
    State& s = S();
    s.presenter.Resized();
    const Uint32 flags = SDL_GetWindowFlags(s.window);
    s.settings.fullScreen = (flags & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
    if (flags & (SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_MAXIMIZED)) return;
    int w = 0, h = 0;
    SDL_GetWindowSize(s.window, &w, &h);
    SDL_Rect display = {0, 0, kLargestWindow, kLargestWindow};
    SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(s.window)), &display);
    const int most_w = std::min(display.w, kLargestWindow), most_h = std::min(display.h, kLargestWindow);
    if (w >= kSmallestWindow && h >= kSmallestWindow && w <= most_w && h <= most_h) {
        s.settings.width = w;
        s.settings.height = h;
    }
}

// Alt+Enter (either Enter) and F11, pressed, not repeated.
bool IsToggleKey(const SDL_KeyboardEvent& key) {
    if (key.type != SDL_KEYDOWN || key.repeat) return false;
    const SDL_Scancode sc = key.keysym.scancode;
    if (sc == SDL_SCANCODE_F11) return true;
    return (key.keysym.mod & KMOD_ALT) && (sc == SDL_SCANCODE_RETURN || sc == SDL_SCANCODE_KP_ENTER);
}

uint64_t Now();

void CloseKeys() {
    State& s = S();
    s.pads.Close();
    s.keys = KeySources();
    s.queued.Clear();
}

void Queue(const std::vector<KeySources::Change>& changes, bool alt) { S().queued.Keys(changes, alt); }

// ---- Events -------------------------------------------------------------------

bool Translate(const SDL_Event& e, HostEvent* out) {
    State& s = S();
    switch (e.type) {
    case SDL_QUIT:
        out->type = HostEvent::Quit;
        return true;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        if (IsToggleKey(e.key)) SetFullScreen(!IsFullScreen());
        if (s.shots.TakeKey(e.key)) return false;
        SDL_Scancode sc = e.key.keysym.scancode;
        if (sc < 0 || sc >= SDL_NUM_SCANCODES) return false;
        if (KeypadArrow(sc) != SDL_SCANCODE_UNKNOWN) sc = KeypadArrow(sc);
        const KeyCodes& codes = Keys().byScancode[sc];
        if (codes.virtualKey == 0) return false;
        // Through the key sources: a key a pad holds stays down.
        std::vector<KeySources::Change> changes;
        if (e.type == SDL_KEYDOWN) s.keys.Press(KeySources::kKeyboard, codes, Now(), &changes);
        else s.keys.Release(KeySources::kKeyboard, codes, &changes);
        Queue(changes, (e.key.keysym.mod & KMOD_ALT) != 0);
        return false;
    }
    case SDL_WINDOWEVENT:
        switch (e.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            out->type = HostEvent::FocusGained;
            return true;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            s.queued.Focus(false, &s.keys);  // pads' keys too: they come back when pressed again
            return false;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            if (s.window) WindowResized();
            return false;
        case SDL_WINDOWEVENT_EXPOSED:
            if (s.window) s.presenter.Exposed();
            return false;
        default:
            return false;
        }
    default: {
        std::vector<KeySources::Change> changes;
        if (s.pads.Take(e, Now(), &s.keys, &changes)) Queue(changes, false);
        return false;
    }
    }
}

bool TakeQueued(HostEvent* event) { return S().queued.Take(event); }

// The pads' repeats and their held Back buttons come due without an event.
void QueueDue() {
    State& s = S();
    std::vector<KeySources::Change> changes;
    const uint64_t now = Now();
    s.pads.Tick(now, &s.keys, &changes);
    s.keys.Repeats(now, &changes);
    Queue(changes, false);
}

bool PollEvent(HostEvent* event) {
    State& s = S();
    if (!s.videoReady) return false;
    s.pads.Open();
    *event = HostEvent();
    if (TakeQueued(event)) return true;
    if (s.hasPending) {
        s.hasPending = false;
        if (Translate(s.pending, event) || TakeQueued(event)) return true;
    }
    SDL_Event e;
    while (SDL_PollEvent(&e))
        if (Translate(e, event) || TakeQueued(event)) return true;
    QueueDue();
    return TakeQueued(event);
}

void WaitEvent(uint64_t micros) {
    State& s = S();
    if (micros == 0) return;
    if (!s.videoReady || s.hasPending || !s.queued.Empty()) {
        if (!s.videoReady) std::this_thread::sleep_for(std::chrono::microseconds(std::min<uint64_t>(micros, 100000)));
        return;
    }
    s.pads.Open();
    // A pad's repeat or held Back ends the wait as an event would.
    const uint64_t due = std::min(s.keys.NextRepeat(), s.pads.NextDeadline());
    const uint64_t now = Now();
    if (due <= now) return;
    micros = std::min(micros, due - now);
    const int ms = static_cast<int>(std::min<uint64_t>(WaitMillis(micros), INT_MAX));
    // The event is kept, not peeked: SDL's wait with no event returns at
    // once for its own internal events.
    if (SDL_WaitEventTimeout(&s.pending, ms) == 1) s.hasPending = true;
}

uint64_t Now() {
    auto elapsed = std::chrono::steady_clock::now() - S().start;
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count());
}

// After a present through a renderer whose vsync waits, the blank has come;
// otherwise (no GPU, a vsync that returns at once, nothing new shown) a 60 Hz
// pacer stands in for it.
void WaitVerticalBlank() {
    if (S().presenter.WaitedForBlank()) return;
    const uint64_t now = Now(), next = NextVerticalBlank(now);
    if (next > now) std::this_thread::sleep_for(std::chrono::microseconds(next - now));
}

bool IsKeyDown(int scanCode) {
    if (!S().videoReady || scanCode < 0 || scanCode > 255) return false;
    SDL_Scancode sc = Keys().byDik[scanCode];
    if (sc == SDL_SCANCODE_UNKNOWN) return false;
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    auto down = [&](SDL_Scancode key) { return key != SDL_SCANCODE_UNKNOWN && key < count && state[key]; };
    return down(sc) || down(KeypadTwin(sc)) || S().keys.Held(scanCode);
}

// ---- Window and frames -----------------------------------------------------------

// The remembered window size, inside the usable area of the display.
SDL_Rect FittedWindow(const WindowSettings& settings, int display) {
    SDL_Rect usable = {0, 0, 0, 0};
    if (SDL_GetDisplayUsableBounds(display, &usable) != 0 || usable.w <= 0 || usable.h <= 0)
        return {static_cast<int>(SDL_WINDOWPOS_CENTERED_DISPLAY(display)),
                static_cast<int>(SDL_WINDOWPOS_CENTERED_DISPLAY(display)), settings.width, settings.height};
    const WindowPlace p = FitWindow(settings.width, settings.height, {usable.x, usable.y, usable.w, usable.h});
    return {p.x, p.y, p.width, p.height};
}

// The window, full screen or as remembered and fitted to the display.
SDL_Window* CreateGameWindow(const char* title) {
    State& s = S();
    SDL_Rect place = FittedWindow(s.settings, s.display);
    s.settings.width = place.w;  // what is shown is what is saved
    s.settings.height = place.h;
    // Full screen starts out as big as the desktop: with no window manager
    // to grant the full-screen request, the window keeps the size it was made with.
    if (s.settings.fullScreen) SDL_GetDisplayBounds(s.display, &place);
    // Drawn in the display's own pixels where the desktop scales windows up.
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
    if (s.settings.fullScreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    return SDL_CreateWindow(title, place.x, place.y, place.w, place.h, flags);
}

// Full screen, unless the player left a window last time or asks for one.
bool OpenWindow(const char* title, int width, int height) {
    State& s = S();
    if (s.window) return true;
    if (!InitVideo()) {
        std::fprintf(stderr, "vexar: no display available (%s)\n", s.videoError.c_str());
        return false;
    }
    s.settingsPath = WindowSettingsPath();
    s.settings = LoadWindowSettings(s.settingsPath);
    if (Settings().windowed) s.settings.fullScreen = false;
    s.display = s.displays.Choose(s.settings);
    s.window = CreateGameWindow(title);
    if (!s.window && UseX11Instead(SDL_GetError())) {
        s.display = s.displays.Choose(s.settings);
        s.window = CreateGameWindow(title);
    }
    if (!s.window) {
        std::fprintf(stderr, "vexar: no display available (%s)\n", SDL_GetError());
        return false;
    }
    SDL_SetWindowMinimumSize(s.window, kSmallestWindow, kSmallestWindow * height / width);
    // The renderer is chosen before the window shows: an OpenGL one may have
    // to make the window again.
    s.presenter.Open(s.window, Settings().renderer, Settings().scale);
    SetGameIcon(s.window);
    SDL_ShowWindow(s.window);
    SDL_ShowCursor(s.cursorVisible ? SDL_ENABLE : SDL_DISABLE);
    Trace("host: showing frames through %s", s.presenter.Name());
    if (Settings().showRenderer)
        std::fprintf(stderr, "vexar: showing frames through %s\n", s.presenter.Name());
    return true;
}

int DesktopBitsPerPixel() {
    State& s = S();
    if (s.desktopBits) return s.desktopBits;
    if (Settings().bitsPerPixel) return s.desktopBits = Settings().bitsPerPixel;
    SDL_DisplayMode mode;
    // Windows reports a 24-bit X screen (4 bytes a pixel) as 32 bits.
    if (InitVideo() && SDL_GetDesktopDisplayMode(0, &mode) == 0)
        s.desktopBits = SDL_BYTESPERPIXEL(mode.format) * 8;
    if (s.desktopBits <= 0) s.desktopBits = 32;
    return s.desktopBits;
}

void Present(const void* pixels, int width, int height, int pitch, int bits) {
    State& s = S();
    if (!s.window) return;
    s.shots.Shown(pixels, width, height, pitch, bits);
    s.presenter.Present(pixels, width, height, pitch, bits);
}

void ShowCursor(bool visible) {
    State& s = S();
    s.cursorVisible = visible;
    if (s.videoReady) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

// ---- Audio and message boxes -----------------------------------------------------

SDL_AudioDeviceID OpenSilentDevice() {
    QuietStderr quiet;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 0;
    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = 22050;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    // No callback and nothing queued: the device plays silence.
    SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (!device) {
        std::string error = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        SDL_SetError("%s", error.c_str());
    }
    return device;
}

bool OpenAudio() {
    State& s = S();
    if (s.audio) return true;
    s.audio = OpenSilentDevice();
    if (!s.audio) {
        Trace("host: no audio device (%s)", SDL_GetError());  // silent on stderr
        return false;
    }
    SDL_PauseAudioDevice(s.audio, 0);
    return true;
}

void ShowMessageBox(const char* text, const char* caption, unsigned style) {
    if (!InitVideo()) return;  // stderr has it already
    Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
    unsigned icon = style & 0xF0;
    if (icon == MB_ICONERROR) flags = SDL_MESSAGEBOX_ERROR;
    else if (icon == 0x30) flags = SDL_MESSAGEBOX_WARNING;  // MB_ICONWARNING
    SDL_ShowSimpleMessageBox(flags, caption ? caption : "Error", text ? text : "", S().window);
}

}  // namespace
}  // namespace sdl

const Host& SdlHost() {
    static const Host host = [] {
        Host h("sdl");
        h.openWindow = &sdl::OpenWindow;
        h.closeWindow = &sdl::CloseWindow;
        h.desktopBitsPerPixel = &sdl::DesktopBitsPerPixel;
        h.present = &sdl::Present;
        h.waitVerticalBlank = &sdl::WaitVerticalBlank;
        h.pollEvent = &sdl::PollEvent;
        h.waitEvent = &sdl::WaitEvent;
        h.now = &sdl::Now;
        h.keyDown = &sdl::IsKeyDown;
        h.openAudio = &sdl::OpenAudio;
        h.closeAudio = &sdl::CloseAudio;
        h.messageBox = &sdl::ShowMessageBox;
        h.showCursor = &sdl::ShowCursor;
        h.letSystemRun = [] {};  // nothing else waits on the game's thread
        return h;
    }();
    return host;
}

}  // namespace port
