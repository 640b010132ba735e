// What a frame of VEXAR costs and how fast the game runs, printed as one table.
// Runs on the headless host; asserts nothing.
//
//   blits     a 640 x 480 clear and 100 colour-keyed cd.bmp blits at random
//             places, through the port's DirectDraw and through SDL's own
//             surfaces (SDL_FillRect, SDL_BlitSurface with a colour key, RLE on)
//   frames    the real framework and game code: a busy play frame (100 discs,
//             50 shots, HUD and cannon, no tick) and a statistics-screen frame
//   pace      on the virtual clock: WM_TIMER messages per second from the game's
//             1 ms timer, and game ticks per second at 60 frames a second
//
//   build/tests/vexar_bench [PICTURE_DIR [FRAMES]]
//     PICTURE_DIR: where cd.bmp is (default: the build folder)
//     FRAMES: frames per batch (default 200)
#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "framework/engine.h"
#include "game/game_main.h"
#include "game/game_over_scene.h"
#include "game/intro_scene.h"
#include "game/object_pool.h"
#include "game/play_scene.h"
#include "game/player_cannon.h"
#include "port/control.h"
#include "port/hosts/headless/headless.h"
#include "tests/lib/game_reset.h"

namespace {

// The game's globals call the port while they are built, before main(): the
// host is chosen from the environment at its first use, so it is set first.
__attribute__((constructor(101))) void UseHeadlessHost() { setenv("VEXAR_HOST", "headless", 1); }

constexpr int kWidth = 640, kHeight = 480;
constexpr int kBlits = 100;
constexpr int kBatches = 10;
constexpr int kPlaySeconds = 30;   // virtual seconds of play for the pace
constexpr int kIdleSeconds = 300;  // and of the timer alone (they cost nothing)
constexpr COLORREF kMagenta = 0xFF00FF;

// ---- Timing ----------------------------------------------------------------------

// This thread's processor time in nanoseconds: time the machine gives to
// other programs does not count.
double ThreadNanos() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e9 + now.tv_nsec;
}

// Nanoseconds per call of `work`: the best of kBatches batches, so that what
// other programs do to the caches on a busy machine counts as little as it can.
template <typename Work>
double NanosPerCall(int perBatch, Work work) {
    for (int i = 0; i < perBatch / 4 + 1; ++i) work();  // warm the caches
    double best = 1e18;
    for (int b = 0; b < kBatches; ++b) {
        const double start = ThreadNanos();
        for (int i = 0; i < perBatch; ++i) work();
        best = std::min(best, (ThreadNanos() - start) / perBatch);
    }
    return best;
}

struct Spot {
    int x, y;
};

// Places where a w x h block fits on the screen, the same every run.
std::vector<Spot> Spots(int count, int w, int h) {
    std::vector<Spot> spots;
    unsigned seed = 12345;
    for (int i = 0; i < count; ++i) {
        seed = seed * 1103515245 + 12345;
        const int x = static_cast<int>((seed >> 8) % static_cast<unsigned>(kWidth - w + 1));
        seed = seed * 1103515245 + 12345;
        const int y = static_cast<int>((seed >> 8) % static_cast<unsigned>(kHeight - h + 1));
        spots.push_back({x, y});
    }
    return spots;
}

// ---- Blits: the port -------------------------------------------------------------

// A flip chain at `bpp` and cd.bmp in an off-screen surface, keyed on magenta,
// loaded as the game loads its sprites.
struct PortBlits {
    IDirectDraw* dd = nullptr;
    IDirectDrawSurface* primary = nullptr;
    IDirectDrawSurface* back = nullptr;
    IDirectDrawSurface* disc = nullptr;
    int discWidth = 0, discHeight = 0;

    bool Open(int bpp) {
        HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(1));  // never looked at
        if (DirectDrawCreate(nullptr, &dd, nullptr) != DD_OK) return false;
        if (dd->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN) != DD_OK)
            return false;
        if (dd->SetDisplayMode(kWidth, kHeight, bpp) != DD_OK) return false;
        DDSURFACEDESC desc;
        std::memset(&desc, 0, sizeof desc);
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        desc.dwBackBufferCount = 1;
        if (dd->CreateSurface(&desc, &primary, nullptr) != DD_OK) return false;
        DDSCAPS caps = {DDSCAPS_BACKBUFFER};
        if (primary->GetAttachedSurface(&caps, &back) != DD_OK) return false;
        disc = LoadBitmapSurface(dd, "cd.bmp", &discWidth, &discHeight);
        return disc && SetSurfaceColorKey(disc, kMagenta) == DD_OK;
    }

    ~PortBlits() {
        if (disc) disc->Release();
        if (back) back->Release();
        if (primary) primary->Release();
        if (dd) dd->Release();
    }
};

double PortBlitFrame(int bpp, int frames) {
    PortBlits port;
    if (!port.Open(bpp)) {
        std::fprintf(stderr, "vexar_bench: the port's blit set-up failed at %d bpp\n", bpp);
        return -1;
    }
    const std::vector<Spot> spots = Spots(kBlits, port.discWidth, port.discHeight);
    RECT whole = {0, 0, port.discWidth, port.discHeight};
    int failures = 0;
    const double ns = NanosPerCall(frames, [&] {
        DDBLTFX fx;
        std::memset(&fx, 0, sizeof fx);
        fx.dwSize = sizeof fx;
        failures += port.back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx) != DD_OK;
        for (const Spot& s : spots)
            failures += port.back->BltFast(static_cast<DWORD>(s.x), static_cast<DWORD>(s.y),
                                           port.disc, &whole, DDBLTFAST_SRCCOLORKEY) != DD_OK;
    });
    if (failures) {
        std::fprintf(stderr, "vexar_bench: %d of the port's blits failed at %d bpp\n", failures, bpp);
        return -1;
    }
    return ns;
}

// ---- Blits: SDL ------------------------------------------------------------------

double SdlBlitFrame(int bpp, int frames) {
    const Uint32 format = bpp == 16 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB888;
    SDL_Surface* screen = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, bpp, format);
    SDL_Surface* file = SDL_LoadBMP("cd.bmp");
    SDL_Surface* disc = file ? SDL_ConvertSurfaceFormat(file, format, 0) : nullptr;
    double ns = -1;
    if (!screen || !disc) {
        std::fprintf(stderr, "vexar_bench: SDL's surfaces at %d bpp: %s\n", bpp, SDL_GetError());
    } else {
        SDL_SetColorKey(disc, SDL_TRUE, SDL_MapRGB(disc->format, 0xFF, 0x00, 0xFF));
        SDL_SetSurfaceRLE(disc, 1);
        const std::vector<Spot> spots = Spots(kBlits, disc->w, disc->h);
        int failures = 0;
        ns = NanosPerCall(frames, [&] {
            failures += SDL_FillRect(screen, nullptr, 0) != 0;
            for (const Spot& s : spots) {
                SDL_Rect at = {s.x, s.y, disc->w, disc->h};
                failures += SDL_BlitSurface(disc, nullptr, screen, &at) != 0;
            }
        });
        if (failures) {
            std::fprintf(stderr, "vexar_bench: %d of SDL's blits failed at %d bpp\n", failures, bpp);
            ns = -1;
        }
    }
    SDL_FreeSurface(disc);
    SDL_FreeSurface(file);
    SDL_FreeSurface(screen);
    return ns;
}

// ---- Whole frames: the game --------------------------------------------------------

long timerMessages = 0;

// The game's window procedure, counting the timer's messages on the way.
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) ++timerMessages;
    return WindowProc(window, message, wParam, lParam);
}

// The game as GameMain leaves it before its frame loop, at a desktop of `bpp`,
// on a fresh platform. The fonts are made again: the port's reset forgot them.
bool StartGame(int bpp) {
    ResetGame();
    port::ResetForTest();
    port::headless::SetDesktopBitsPerPixel(bpp);
    RemakeGameFonts();
    if (!engine.Create("VEXAR", kWidth, kHeight, 4, CountingProc, GetModuleHandleA(nullptr),
                       nullptr, nullptr)) {
        std::fprintf(stderr, "vexar_bench: the engine did not start at %d bpp\n", bpp);
        return false;
    }
    introScene.Init();
    playScene.Init();
    objectPool.Init();
    playerCannon.Init();
    if (!objectPool.cdSprite.surface) {
        std::fprintf(stderr, "vexar_bench: cd.bmp did not load\n");
        return false;
    }
    gameStats.lives = 5;
    return true;
}

// A busy play field: 100 discs and 50 shots spread over the screen.
void FillPool() {
    const std::vector<Spot> discs = Spots(100, CD_HIT_WIDTH, CD_HIT_HEIGHT);
    const std::vector<Spot> shots = Spots(50, 25, 25);
    int i = 0;
    for (const Spot& s : discs) objectPool.slots[i++] = {s.x, s.y, 7, KIND_CD, true};
    for (const Spot& s : shots) objectPool.slots[i++] = {s.x, s.y, 20, KIND_SHOT, true};
}

// One frame as RunLoop runs it, with no tick taken: nothing moves.
double SceneFrame(int scene, int frames) {
    engine.SetScene(scene);
    // A sprite whose blit fails loads its file again: that is not a frame's cost.
    const int loads = port::CallCount("LoadImageA");
    const double ns = NanosPerCall(frames, [scene] {
        engine.ClearBackBuffer();
        FrameCallback(scene);
        engine.Flip();
    });
    if (port::CallCount("LoadImageA") != loads) {
        std::fprintf(stderr, "vexar_bench: a sprite's blit failed in scene %d\n", scene);
        return -1;
    }
    return ns;
}

struct Pace {
    double idleTimerPerSecond = -1;  // the window in the background: RunLoop waits for messages
    double playTimerPerSecond = -1;  // the game drawing 60 frames a second
    double ticksPerSecond = -1;
};

long ticks = 0;

void CountingFrame(int scene) {
    FrameCallback(scene);
    if (engine.TickFlag()) ++ticks;
}

struct Mark {
    uint64_t micros;
    long timerMessages;
    long ticks;
};
Mark Now() { return {port::headless::NowMicros(), timerMessages, ticks}; }

double PerSecond(long count, uint64_t micros) { return micros ? count * 1e6 / micros : -1; }

// The real frame loop with the game's timer on the virtual clock:
// kPlaySeconds of play at 60 frames a second, then kIdleSeconds in the
// background, where RunLoop sleeps in WaitMessage and sees only the timer.
Pace MeasurePace() {
    engine.StartTimer(1, 1);
    engine.SetScene(SCENE_PLAY);
    const uint64_t first = port::headless::FrameCount();
    static Mark start, blurred;
    start = Now();
    port::headless::At(first + 60 * kPlaySeconds, [] {
        blurred = Now();
        port::headless::SetFocus(false);
    });
    port::headless::At(first + 60 * (kPlaySeconds + kIdleSeconds), [] { port::headless::Quit(); });
    engine.RunLoop(CountingFrame);
    const Mark end = Now();
    Pace pace;
    pace.playTimerPerSecond =
        PerSecond(blurred.timerMessages - start.timerMessages, blurred.micros - start.micros);
    pace.ticksPerSecond = PerSecond(blurred.ticks - start.ticks, blurred.micros - start.micros);
    pace.idleTimerPerSecond =
        PerSecond(end.timerMessages - blurred.timerMessages, end.micros - blurred.micros);
    return pace;
}

struct Column {
    double portBlits = -1, sdlBlits = -1;
    double playFrame = -1, statsFrame = -1;
    Pace pace;
};

Column Measure(int bpp, int frames) {
    Column c;
    c.portBlits = PortBlitFrame(bpp, frames);
    c.sdlBlits = SdlBlitFrame(bpp, frames);
    if (!StartGame(bpp)) return c;
    FillPool();
    c.playFrame = SceneFrame(SCENE_PLAY, frames);
    c.statsFrame = SceneFrame(SCENE_GAME_OVER, std::max(1, frames / 4));
    c.pace = MeasurePace();
    return c;
}

void Row(const char* label, double a, double b, const char* format) {
    std::printf("| %-54s |", label);
    for (double v : {a, b}) {
        char cell[32] = "failed";
        if (v >= 0) std::snprintf(cell, sizeof cell, format, v);
        std::printf(" %10s |", cell);
    }
    std::printf("\n");
}

double Ratio(double a, double b) { return a >= 0 && b > 0 ? a / b : -1; }

}  // namespace

int main(int argc, char** argv) {
    const char* pictures = argc > 1 ? argv[1] : VEXAR_BENCH_PICTURES;
    if (chdir(pictures) != 0) {
        std::fprintf(stderr, "vexar_bench: cannot enter the picture folder %s\n", pictures);
        return 1;
    }
    // Fewer frames make a run short enough for a profiler.
    const int frames = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200;
    const Column c16 = Measure(16, frames);
    const Column c32 = Measure(32, frames);
    ReleaseGame();

    std::printf("VEXAR benchmark on %u cores: processor ns per frame, the best of %d batches of %d "
                "frames; headless host\n\n",
                std::thread::hardware_concurrency(), kBatches, frames);
    std::printf("| %-54s | %10s | %10s |\n", "measure", "16 bpp", "32 bpp");
    std::printf("|%s|%s|%s|\n", std::string(56, '-').c_str(), std::string(12, '-').c_str(),
                std::string(12, '-').c_str());
    Row("blits, port: clear + 100 keyed cd.bmp (ns)", c16.portBlits, c32.portBlits, "%.0f");
    Row("blits, SDL RLE: the same work (ns)", c16.sdlBlits, c32.sdlBlits, "%.0f");
    Row("blits, port / SDL (target <= 1.0)", Ratio(c16.portBlits, c16.sdlBlits),
        Ratio(c32.portBlits, c32.sdlBlits), "%.2f");
    Row("play frame: 100 discs, 50 shots, HUD, cannon (ns)", c16.playFrame, c32.playFrame, "%.0f");
    Row("statistics frame: 100-pixel title (ns)", c16.statsFrame, c32.statsFrame, "%.0f");
    Row("WM_TIMER per second, 1 ms timer, idle (Windows: 64)", c16.pace.idleTimerPerSecond,
        c32.pace.idleTimerPerSecond, "%.1f");
    Row("WM_TIMER per second, playing at 60 frames a second", c16.pace.playTimerPerSecond,
        c32.pace.playTimerPerSecond, "%.1f");
    Row("game ticks per second at 60 frames a second", c16.pace.ticksPerSecond,
        c32.pace.ticksPerSecond, "%.1f");
    return 0;
}
