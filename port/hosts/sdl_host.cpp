// The SDL host: a real window (full-screen on the desktop, or 640 x 480 with
// $VEXAR_WINDOWED=1), the keyboard, the default audio device and message boxes.
#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "port/src/host.h"
#include "port/hosts/keys.h"
#include "port/src/core.h"

namespace port {
namespace sdl {
namespace {

constexpr uint64_t kMicrosPerSecond = 1000000;
constexpr uint64_t kRefreshRate = 60;

struct State {
    bool videoTried = false;
    bool videoReady = false;
    std::string videoError;
    SDL_Window* window = nullptr;
    SDL_Surface* surface = nullptr;  // the window's; fetched again after a resize
    bool bordersClean = false;
    bool cursorVisible = true;
    SDL_AudioDeviceID audio = 0;
    int desktopBits = 0;
    bool hasPending = false;  // an event taken while waiting, not yet handed out
    SDL_Event pending;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    // Nearest-neighbour column map, for one source and destination width.
    std::vector<int> columns;
    int columnsFrom = 0;
    int columnsTo = 0;
};

State& S();

void CloseWindow() {
    State& s = S();
    if (s.window) SDL_DestroyWindow(s.window);
    s.window = nullptr;
    s.surface = nullptr;
    s.hasPending = false;
}

void CloseAudio() {
    State& s = S();
    if (s.audio) SDL_CloseAudioDevice(s.audio);
    s.audio = 0;
}

void Reset() {
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
        s.videoReady = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
        if (!s.videoReady) s.videoError = SDL_GetError();
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
        add(SDL_SCANCODE_RETURN, {VK_RETURN, DIK_RETURN});
        add(SDL_SCANCODE_ESCAPE, {VK_ESCAPE, DIK_ESCAPE});
        add(SDL_SCANCODE_SPACE, {VK_SPACE, DIK_SPACE});
        add(SDL_SCANCODE_LEFT, {VK_LEFT, DIK_LEFT});
        add(SDL_SCANCODE_RIGHT, {VK_RIGHT, DIK_RIGHT});
        add(SDL_SCANCODE_UP, {VK_UP, DIK_UP});
        add(SDL_SCANCODE_DOWN, {VK_DOWN, DIK_DOWN});
        add(SDL_SCANCODE_LCTRL, {VK_CONTROL, DIK_LCONTROL});
        add(SDL_SCANCODE_LSHIFT, {VK_SHIFT, DIK_LSHIFT});
        return t;
    }();
    return *table;
}

// ---- Events -------------------------------------------------------------------

bool Translate(const SDL_Event& e, HostEvent* out) {
    State& s = S();
    switch (e.type) {
    case SDL_QUIT:
        out->type = HostEvent::Quit;
        return true;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const int sc = static_cast<int>(e.key.keysym.scancode);
        if (sc < 0 || sc >= SDL_NUM_SCANCODES) return false;
        const KeyCodes& codes = Keys().byScancode[sc];
        if (codes.virtualKey == 0) return false;
        out->type = e.type == SDL_KEYDOWN ? HostEvent::KeyDown : HostEvent::KeyUp;
        out->virtualKey = codes.virtualKey;
        out->scanCode = codes.scanCode;
        out->repeat = e.key.repeat != 0;
        return true;
    }
    case SDL_WINDOWEVENT:
        switch (e.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            out->type = HostEvent::FocusGained;
            return true;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            out->type = HostEvent::FocusLost;
            return true;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_RESIZED:
            s.surface = nullptr;  // SDL made a new one
            return false;
        case SDL_WINDOWEVENT_EXPOSED:
            if (s.window && s.surface) SDL_UpdateWindowSurface(s.window);
            return false;
        default:
            return false;
        }
    default:
        return false;
    }
}

bool PollEvent(HostEvent* event) {
    State& s = S();
    if (!s.videoReady) return false;
    *event = HostEvent();
    if (s.hasPending) {
        s.hasPending = false;
        if (Translate(s.pending, event)) return true;
    }
    SDL_Event e;
    while (SDL_PollEvent(&e))
        if (Translate(e, event)) return true;
    return false;
}

void WaitEvent(uint64_t micros) {
    State& s = S();
    if (micros == 0) return;
    if (!s.videoReady || s.hasPending) {
        if (!s.videoReady) std::this_thread::sleep_for(std::chrono::microseconds(std::min<uint64_t>(micros, 100000)));
        return;
    }
    // Whole milliseconds, rounded up so that a timer is never woken early.
    int ms = micros >= static_cast<uint64_t>(INT_MAX) * 1000 ? INT_MAX
                                                              : static_cast<int>((micros + 999) / 1000);
    // The event is kept, not peeked: SDL's wait with no event returns at
    // once for its own internal events.
    if (SDL_WaitEventTimeout(&s.pending, ms) == 1) s.hasPending = true;
}

uint64_t Now() {
    auto elapsed = std::chrono::steady_clock::now() - S().start;
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count());
}

// SDL's vsync does not wait on every X server, so frames are paced here.
void WaitVerticalBlank() {
    uint64_t now = Now();
    uint64_t next = (now * kRefreshRate / kMicrosPerSecond + 1) * kMicrosPerSecond;
    next = (next + kRefreshRate - 1) / kRefreshRate;
    if (next > now) std::this_thread::sleep_for(std::chrono::microseconds(next - now));
}

bool IsKeyDown(int scanCode) {
    if (!S().videoReady || scanCode < 0 || scanCode > 255) return false;
    SDL_Scancode sc = Keys().byDik[scanCode];
    if (sc == SDL_SCANCODE_UNKNOWN) return false;
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    return sc < count && state[sc] != 0;
}

// ---- Window and frames -----------------------------------------------------------

bool OpenWindow(const char* title, int width, int height) {
    State& s = S();
    if (s.window) return true;
    if (!InitVideo()) {
        std::fprintf(stderr, "vexar: no display available (%s)\n", s.videoError.c_str());
        return false;
    }
    const bool windowed = Env("VEXAR_WINDOWED") == "1";
    SDL_Rect place = {static_cast<int>(SDL_WINDOWPOS_CENTERED), static_cast<int>(SDL_WINDOWPOS_CENTERED),
                      width, height};
    // Full screen starts out as big as the desktop: with no window manager
    // to grant the full-screen request, the window keeps the size it was made with.
    if (!windowed) SDL_GetDisplayBounds(0, &place);
    Uint32 flags = windowed ? SDL_WINDOW_SHOWN : SDL_WINDOW_FULLSCREEN_DESKTOP;
    s.window = SDL_CreateWindow(title, place.x, place.y, place.w, place.h, flags);
    if (!s.window) {
        std::fprintf(stderr, "vexar: no display available (%s)\n", SDL_GetError());
        return false;
    }
    s.surface = nullptr;
    SDL_ShowCursor(s.cursorVisible ? SDL_ENABLE : SDL_DISABLE);
    return true;
}

int DesktopBitsPerPixel() {
    State& s = S();
    if (s.desktopBits) return s.desktopBits;
    std::string forced = Env("VEXAR_BPP");
    if (!forced.empty()) {
        int bits = std::atoi(forced.c_str());
        if (bits > 0 && bits <= 64) return s.desktopBits = bits;
        std::fprintf(stderr, "vexar: VEXAR_BPP='%s' is not a depth; using the desktop's\n",
                     forced.c_str());
    }
    SDL_DisplayMode mode;
    // Windows reports a 24-bit X screen (4 bytes a pixel) as 32 bits.
    if (InitVideo() && SDL_GetDesktopDisplayMode(0, &mode) == 0)
        s.desktopBits = SDL_BYTESPERPIXEL(mode.format) * 8;
    if (s.desktopBits <= 0) s.desktopBits = 32;
    return s.desktopBits;
}

inline uint32_t Read16(const uint8_t* row, int x) {
    uint32_t p = row[2 * x] | (row[2 * x + 1] << 8);
    return ((p & 0xF800u) << 8) | ((p & 0x07E0u) << 5) | ((p & 0x1Fu) << 3);
}
inline uint32_t Read24(const uint8_t* row, int x) {
    const uint8_t* p = row + 3 * x;
    return p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16);
}
inline uint32_t Read32(const uint8_t* row, int x) {
    const uint8_t* p = row + 4 * x;
    return p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16);
}

// One destination row of XRGB8888 from one source row; `columns` maps each
// destination column to its source column, or is null for a 1:1 copy.
template <uint32_t (*Read)(const uint8_t*, int)>
void ConvertRow(const uint8_t* source, uint32_t* dest, int count, const int* columns) {
    if (columns)
        for (int x = 0; x < count; ++x) dest[x] = Read(source, columns[x]);
    else
        for (int x = 0; x < count; ++x) dest[x] = Read(source, x);
}

void ConvertRowAny(int bits, const uint8_t* source, uint32_t* dest, int count, const int* columns) {
    if (bits == 16) ConvertRow<Read16>(source, dest, count, columns);
    else if (bits == 24) ConvertRow<Read24>(source, dest, count, columns);
    else if (columns) ConvertRow<Read32>(source, dest, count, columns);
    else std::memcpy(dest, source, static_cast<size_t>(count) * 4);
}

const int* ColumnMap(int from, int to) {
    State& s = S();
    if (s.columnsFrom != from || s.columnsTo != to) {
        s.columns.resize(to);
        for (int x = 0; x < to; ++x) s.columns[x] = static_cast<int>(static_cast<int64_t>(x) * from / to);
        s.columnsFrom = from;
        s.columnsTo = to;
    }
    return s.columns.data();
}

// The largest rectangle of the frame's shape that fits, centred.
SDL_Rect FitRect(int width, int height, int areaWidth, int areaHeight) {
    SDL_Rect r;
    if (static_cast<int64_t>(areaWidth) * height <= static_cast<int64_t>(areaHeight) * width) {
        r.w = areaWidth;
        r.h = static_cast<int>(static_cast<int64_t>(height) * areaWidth / width);
    } else {
        r.h = areaHeight;
        r.w = static_cast<int>(static_cast<int64_t>(width) * areaHeight / height);
    }
    r.x = (areaWidth - r.w) / 2;
    r.y = (areaHeight - r.h) / 2;
    return r;
}

bool IsXrgb(const SDL_Surface* surface) {
    Uint32 f = surface->format->format;
    return f == SDL_PIXELFORMAT_RGB888 || f == SDL_PIXELFORMAT_ARGB8888;
}

// Nearest-neighbour copy into an XRGB8888 window surface; rows that repeat a
// source row are copied from the row above.
void BlitXrgb(const uint8_t* pixels, int width, int height, int pitch, int bits,
              SDL_Surface* dst, const SDL_Rect& r) {
    const int* columns = r.w == width ? nullptr : ColumnMap(width, r.w);
    uint8_t* base = static_cast<uint8_t*>(dst->pixels) + static_cast<size_t>(r.y) * dst->pitch + r.x * 4;
    int lastSource = -1;
    for (int y = 0; y < r.h; ++y) {
        int sy = static_cast<int>(static_cast<int64_t>(y) * height / r.h);
        uint32_t* row = reinterpret_cast<uint32_t*>(base + static_cast<size_t>(y) * dst->pitch);
        if (sy == lastSource) {
            std::memcpy(row, base + static_cast<size_t>(y - 1) * dst->pitch, static_cast<size_t>(r.w) * 4);
            continue;
        }
        ConvertRowAny(bits, pixels + static_cast<size_t>(sy) * pitch, row, r.w, columns);
        lastSource = sy;
    }
}

// Any other window format: SDL converts and scales.
void BlitOther(const void* pixels, int width, int height, int pitch, int bits, SDL_Surface* dst,
               SDL_Rect r) {
    Uint32 format = bits == 16 ? SDL_PIXELFORMAT_RGB565
                    : bits == 24 ? SDL_PIXELFORMAT_BGR24
                                 : SDL_PIXELFORMAT_RGB888;
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<void*>(pixels), width, height,
                                                             bits, pitch, format);
    if (!source) return;
    SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
    SDL_BlitScaled(source, nullptr, dst, &r);
    SDL_FreeSurface(source);
}

void Present(const void* pixels, int width, int height, int pitch, int bits) {
    State& s = S();
    if (!s.window || !pixels || width <= 0 || height <= 0) return;
    if ((bits != 16 && bits != 24 && bits != 32) || pitch < width * (bits / 8)) return;
    if (!s.surface) {
        s.surface = SDL_GetWindowSurface(s.window);
        s.bordersClean = false;
        if (!s.surface) return;
    }
    SDL_Surface* dst = s.surface;
    SDL_Rect r = FitRect(width, height, dst->w, dst->h);
    if (r.w <= 0 || r.h <= 0) return;
    if (SDL_MUSTLOCK(dst) && SDL_LockSurface(dst) != 0) return;
    if (!s.bordersClean) {
        SDL_FillRect(dst, nullptr, SDL_MapRGB(dst->format, 0, 0, 0));
        s.bordersClean = true;
    }
    if (IsXrgb(dst)) BlitXrgb(static_cast<const uint8_t*>(pixels), width, height, pitch, bits, dst, r);
    if (SDL_MUSTLOCK(dst)) SDL_UnlockSurface(dst);
    if (!IsXrgb(dst)) BlitOther(pixels, width, height, pitch, bits, dst, r);
    SDL_UpdateWindowSurface(s.window);
}

void ShowCursor(bool visible) {
    State& s = S();
    s.cursorVisible = visible;
    if (s.videoReady) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

// ---- Audio and message boxes -----------------------------------------------------

// Silences stderr while it lives: the sound libraries print pages of noise
// when there is no sound card, and SDL's error says it in one line.
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
        std::fprintf(stderr, "vexar: no audio device (%s)\n", SDL_GetError());
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
    static const Host host = {
        "sdl",
        &sdl::OpenWindow,
        &sdl::CloseWindow,
        &sdl::DesktopBitsPerPixel,
        &sdl::Present,
        &sdl::WaitVerticalBlank,
        &sdl::PollEvent,
        &sdl::WaitEvent,
        &sdl::Now,
        &sdl::IsKeyDown,
        &sdl::OpenAudio,
        &sdl::CloseAudio,
        &sdl::ShowMessageBox,
        &sdl::ShowCursor,
    };
    return host;
}

}  // namespace port
