// How long the host takes to show one 640 x 480 frame, in each display format.
// Needs a display: run it in the X server the game will use, e.g.
//   Xvfb :77 -screen 0 640x480x24 & DISPLAY=:77 build/port/present_bench
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

#include "port/src/host.h"

int main() {
    const port::Host& host = port::CurrentHost();
    if (!host.openWindow("present_bench", 640, 480)) return 1;
    const int frames = 500;
    std::printf("%s host, %d presents per depth\n", host.name, frames);
    for (int bits : {16, 24, 32}) {
        const int pitch = 640 * bits / 8;
        std::vector<unsigned char> frame(static_cast<size_t>(pitch) * 480);
        for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<unsigned char>(i * 7);
        host.present(frame.data(), 640, 480, pitch, bits);  // the first one sets things up
        auto wall = std::chrono::steady_clock::now();
        std::clock_t cpu = std::clock();
        for (int i = 0; i < frames; ++i) host.present(frame.data(), 640, 480, pitch, bits);
        double wallUs = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - wall).count();
        double cpuUs = (std::clock() - cpu) * 1e6 / CLOCKS_PER_SEC;
        std::printf("%2d bpp: %7.1f us wall, %7.1f us processor per frame\n", bits, wallUs / frames,
                    cpuUs / frames);
    }
    host.closeWindow();
    return 0;
}
