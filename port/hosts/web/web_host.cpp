// The web host: the game in a browser page, built with emscripten. Frames go
// to the page's canvas, key and focus events come from the page's listeners
// (web_host.js), and the waits for the vertical blank and for messages give
// the browser its turn through Asyncify. The game plays no sound, so there is
// no audio device to open.
#include <emscripten.h>

#include <algorithm>
#include <string>
#include <utility>
#include <cstdio>
#include <vector>

#include "port/hosts/host_core.h"
#include "port/hosts/key_sources.h"
#include "port/hosts/shared_numbers.h"
#include "port/hosts/web/web_frame.h"
#include "port/hosts/web/web_keys.h"
#include "port/hosts/web/web_pads.h"
#include "port/src/core.h"
#include "port/src/host.h"

extern "C" {
int vexar_web_open(const char* title);
void vexar_web_close();
void vexar_web_present(const uint8_t* rgba, int width, int height, const int* parts, int count);
int vexar_web_next_event(char* code, int codeSize, int* flags);
void vexar_web_wait_frame(double restMillis);
void vexar_web_wait_event(double millis);
void vexar_web_message_box(const char* text, const char* caption);
void vexar_web_show_cursor(int visible);
void vexar_web_yield();
}

namespace port {
namespace web {
namespace {

// A frame unchanged for this long (microseconds) is a picture waiting for the
// player: until something changes or an event comes, the vertical blank waits
// ask the browser for no frames and come this much (milliseconds) apart. Not
// while a pad plays: its buttons send no events, and a quick press between two
// such waits would be lost.
constexpr uint64_t kRestAfter = 1000000;
constexpr double kRestingWait = 100;

struct State {
    bool open = false;
    KeySources keys;  // the keys down, as the events taken so far say
    Pads pads;        // the page's game controllers, as last read
    HostEvents events;
    WebFrame frame;          // the frame as the canvas shows it
    bool shown = false;      // a frame has been shown since the window opened
    std::vector<int> parts;  // what changed in it, for the page
    uint64_t lastChange = 0;  // when the frame last changed or an event came
    double start = emscripten_get_now();
    // Boxes shown before main, by the global objects' constructors: the
    // browser's runtime cannot pause there, so main shows them first.
    bool mainBegun = false;
    std::vector<std::pair<std::string, std::string>> heldBoxes;  // text, caption
};

void Reset();

State& S() {
    static State* state = [] {
        RegisterReset(&Reset);
        return new State;
    }();
    return *state;
}

// ---- Events -------------------------------------------------------------------

uint64_t Now();

// Queues the key messages of these changes; `alt` as the page saw it.
void Queue(const std::vector<KeySources::Change>& changes, bool alt) { S().events.Keys(changes, alt); }

// One page event: a focus change, or a key of some source that the game has
// a use for, pressed or let go (shared_numbers.h: the event types and flags).
void TakePageEvent(int type, const char* code, int flags) {
    State& s = S();
    if (type == shared::kPageFocusGained || type == shared::kPageFocusLost) {
        s.events.Focus(type == shared::kPageFocusGained, &s.keys);
        return;
    }
    KeyCodes codes;
    const bool down = type == shared::kPageKeyDown;
    if ((!down && type != shared::kPageKeyUp) || !WebKeyCodes(code, &codes)) return;
    const int source = flags / shared::kPageSourceUnit;
    std::vector<KeySources::Change> changes;
    if (down) s.keys.Press(source, codes, Now(), &changes);
    else s.keys.Release(source, codes, &changes);
    Queue(changes, (flags & shared::kPageAltFlag) != 0);
}

// Takes every event the page has queued, and the repeats of keys held by
// sources other than the keyboard.
void TakePageEvents() {
    State& s = S();
    if (!s.open) return;
    char code[32];
    int flags = 0;
    for (int type; (type = vexar_web_next_event(code, sizeof code, &flags)) != shared::kPageNoEvent;) {
        TakePageEvent(type, code, flags);
        s.lastChange = Now();
    }
    std::vector<KeySources::Change> repeats;
    s.keys.Repeats(Now(), &repeats);
    Queue(repeats, false);
}

bool PollEvent(HostEvent* event) {
    TakePageEvents();
    return S().events.Take(event);
}

void WaitEvent(uint64_t micros) {
    TakePageEvents();
    if (micros == 0 || !S().events.Empty()) return;
    // A held key's next repeat ends the wait too.
    const uint64_t now = Now(), repeat = S().keys.NextRepeat();
    if (repeat != UINT64_MAX) micros = std::min(micros, repeat > now ? repeat - now : 0);
    vexar_web_wait_event(micros == UINT64_MAX ? -1.0 : static_cast<double>(WaitMillis(micros)));
}

// As the events taken so far say, as SDL's keyboard state does: the game
// looks at its messages before it reads the keyboard.
bool IsKeyDown(int scanCode) { return S().keys.Held(scanCode); }

uint64_t Now() { return static_cast<uint64_t>((emscripten_get_now() - S().start) * 1000); }

// The pads are read once a frame, as the browser updates them.
void WaitVerticalBlank() {
    State& s = S();
    const bool resting = s.open && !s.pads.Any() && Now() - s.lastChange >= kRestAfter;
    vexar_web_wait_frame(resting ? kRestingWait : 0);
    if (!s.open) return;
    std::vector<KeySources::Change> changes;
    s.pads.Poll(Now(), &s.keys, &changes);
    if (!changes.empty()) s.lastChange = Now();
    Queue(changes, false);
}

// ---- Window and frames -----------------------------------------------------------

bool OpenWindow(const char* title, int /*width*/, int /*height*/) {
    State& s = S();
    if (s.open) return true;
    s.open = vexar_web_open(title ? title : "") != 0;
    s.frame.Forget();  // a new window shows nothing yet
    s.shown = false;
    if (!s.open) std::fprintf(stderr, "vexar: no display available (the page has no canvas)\n");
    return s.open;
}

void CloseWindow() {
    State& s = S();
    if (s.open) vexar_web_close();
    s.open = false;
    s.shown = false;
    s.events.Clear();
    s.keys = KeySources();
    s.pads = Pads();
}

void Reset() { CloseWindow(); }

int DesktopBitsPerPixel() { return 32; }

// The game's start (its surfaces and pictures, up to its first frame) is
// otherwise one long task of the page: the page gets its turn before each
// surface the game makes, and before the first frame goes to the canvas. The
// runtime can pause only where port/web.cmake has the callers instrumented:
// main's set-up calls, which make every surface the game has, and Flip. So
// only in main and until the first frame.
void LetSystemRun() {
    const State& s = S();
    if (s.mainBegun && !s.shown) vexar_web_yield();
}

// Only the parts that changed go to the canvas, as x, y, w, h quadruples;
// an unchanged frame costs the comparison alone.
void Present(const void* pixels, int width, int height, int pitch, int bits) {
    State& s = S();
    if (!s.open) return;
    const std::vector<PictureRect>& parts = s.frame.Update(pixels, width, height, pitch, bits);
    if (parts.empty()) return;
    LetSystemRun();  // the first frame only (from Flip, which may wait)
    s.shown = true;
    s.lastChange = Now();
    s.parts.clear();
    for (const PictureRect& part : parts) s.parts.insert(s.parts.end(), {part.x, part.y, part.w, part.h});
    vexar_web_present(s.frame.Rgba(), width, height, s.parts.data(), static_cast<int>(parts.size()));
}

void ShowCursor(bool visible) { vexar_web_show_cursor(visible ? 1 : 0); }

// ---- Audio and message boxes -----------------------------------------------------

// Nothing is ever played: the silent device needs no device at all.
bool OpenAudio() { return true; }
void CloseAudio() {}

void ShowMessageBox(const char* text, const char* caption, unsigned /*style*/) {
    State& s = S();
    if (!s.mainBegun) s.heldBoxes.emplace_back(text ? text : "", caption ? caption : "Error");
    else vexar_web_message_box(text ? text : "", caption ? caption : "Error");
}

}  // namespace
}  // namespace web

void ShowMessageBoxesHeldBeforeMain() {
    web::State& s = web::S();
    s.mainBegun = true;
    for (const auto& box : s.heldBoxes) vexar_web_message_box(box.first.c_str(), box.second.c_str());
    s.heldBoxes.clear();
}

const Host& WebHost() {
    static const Host host = [] {
        Host h("web");
        h.openWindow = &web::OpenWindow;
        h.closeWindow = &web::CloseWindow;
        h.desktopBitsPerPixel = &web::DesktopBitsPerPixel;
        h.present = &web::Present;
        h.waitVerticalBlank = &web::WaitVerticalBlank;
        h.pollEvent = &web::PollEvent;
        h.waitEvent = &web::WaitEvent;
        h.now = &web::Now;
        h.keyDown = &web::IsKeyDown;
        h.openAudio = &web::OpenAudio;
        h.closeAudio = &web::CloseAudio;
        h.messageBox = &web::ShowMessageBox;
        h.showCursor = &web::ShowCursor;
        h.letSystemRun = &web::LetSystemRun;
        return h;
    }();
    return host;
}

}  // namespace port
