// What showing a 640 x 480 frame costs, per frame, for each way the SDL host
// can show it here (the window surface, SDL's software renderer, each GPU
// renderer SDL offers), each scaling mode and three window sizes; for a
// still picture, a play-like frame (a few discs move) and a frame that
// changes everywhere. Processor time of this program and, given its pid in
// $VEXAR_BENCH_XSERVER_PID, of the X server. Needs an X screen of 3840x2160
// at least; scripts/present-bench.sh makes one and runs this.
#include <SDL.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "port/hosts/sdl/sdl_present.h"

namespace {

constexpr int kWidth = 640, kHeight = 480, kFrames = 120;

struct Frame {
    std::vector<uint32_t> pixels = std::vector<uint32_t>(kWidth * kHeight, 0);
    void Box(int x, int y, int w, int h, uint32_t color) {
        for (int r = std::max(0, y); r < std::min(kHeight, y + h); ++r)
            for (int c = std::max(0, x); c < std::min(kWidth, x + w); ++c) pixels[r * kWidth + c] = color;
    }
};

// Frame `n` of a workload: "still", "play" (six 106x82 discs falling, a
// HUD, a cannon) or "full" (every pixel changes).
void Draw(const std::string& workload, int n, Frame* f) {
    if (workload == "still" && n > 0) return;
    if (workload == "full") {
        for (size_t i = 0; i < f->pixels.size(); ++i) f->pixels[i] = static_cast<uint32_t>(i * 2654435761u + n);
        return;
    }
    f->Box(0, 0, kWidth, kHeight, 0);
    f->Box(10, 10, 120, 50, 0x0000FF);
    for (int d = 0; d < 6; ++d) f->Box(40 + d * 100, (n * 3 + d * 70) % 400, 106, 82, 0xC0C0C0 + d);
    f->Box(100, 440, 100, 40, 0xB4B4B4);
}

long XServerTicks() {
    const char* pid = std::getenv("VEXAR_BENCH_XSERVER_PID");
    if (!pid) return -1;
    FILE* stat = std::fopen((std::string("/proc/") + pid + "/stat").c_str(), "r");
    if (!stat) return -1;
    long user = 0, system = 0;
    int got = std::fscanf(stat, "%*d %*s %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %ld %ld", &user, &system);
    std::fclose(stat);
    return got == 2 ? user + system : -1;
}

double ProcessMicros() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

void Pump() {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
    }
}

// One row of the table: microseconds of processor time per frame.
void Measure(const std::string& way, port::ScaleMode mode, const char* modeName, int w, int h) {
    SDL_Window* window = SDL_CreateWindow("present_bench", 0, 0, w, h, SDL_WINDOW_HIDDEN);
    if (!window) return;
    port::SdlPresenter presenter;
    presenter.Open(window, way, mode);
    SDL_ShowWindow(window);
    Pump();
    const std::string shown = presenter.Name();
    std::printf("%-10s %-8s %5dx%-5d", shown.c_str(), modeName, w, h);
    for (const char* workload : {"still", "play", "full"}) {
        Frame frame;
        for (int n = 0; n < 5; ++n) {
            Draw(workload, n, &frame);
            presenter.Present(frame.pixels.data(), kWidth, kHeight, kWidth * 4, 32);
        }
        const long server0 = XServerTicks();
        const double cpu0 = ProcessMicros();
        for (int n = 5; n < 5 + kFrames; ++n) {
            Draw(workload, n, &frame);
            presenter.Present(frame.pixels.data(), kWidth, kHeight, kWidth * 4, 32);
        }
        const double cpu = (ProcessMicros() - cpu0) / kFrames;
        const long server = XServerTicks() - server0;
        if (server0 >= 0) std::printf("  %8.0f %8.0f", cpu, server * 1e6 / sysconf(_SC_CLK_TCK) / kFrames);
        else std::printf("  %8.0f %8s", cpu, "-");
    }
    std::printf("\n");
    presenter.Close();
    SDL_DestroyWindow(window);
    Pump();
}

}  // namespace

int main() {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "present_bench: %s\n", SDL_GetError());
        return 1;
    }
    std::vector<std::string> ways = {"surface"};
    for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
        SDL_RendererInfo info;
        if (SDL_GetRenderDriverInfo(i, &info) == 0) ways.push_back(info.name);
    }
    std::printf("us of processor time per frame (this program, then the X server), %d frames each;\n"
                "the play and full columns include making the frame (a few us)\n", kFrames);
    std::printf("%-10s %-8s %11s  %17s  %17s  %17s\n", "way", "mode", "window", "still", "play", "full");
    const struct { port::ScaleMode mode; const char* name; } modes[] = {
        {port::ScaleMode::Aspect, "aspect"}, {port::ScaleMode::Integer, "integer"},
        {port::ScaleMode::Stretch, "stretch"}};
    for (const std::string& way : ways)
        for (auto size : {std::make_pair(640, 480), std::make_pair(1920, 1080), std::make_pair(3840, 2160)})
            for (const auto& m : modes) Measure(way, m.mode, m.name, size.first, size.second);
    SDL_Quit();
    return 0;
}
