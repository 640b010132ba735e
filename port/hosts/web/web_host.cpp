// The web host: the game in a browser page, built with emscripten. Frames go
// to the page's canvas, key and focus events come from the page's listeners
// (web_host.js), and the waits for the vertical blank and for messages give
// the browser its turn through Asyncify. The game plays no sound, so there is
// no audio device to open.
#include <emscripten.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <vector>

#include "port/hosts/key_sources.h"
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

// The page's event types (web_host.js).
enum PageEvent { kNone, kKeyDown, kKeyUp, kFocusGained, kFocusLost };
// What pressed a key, KeySources::kKeyboard (0) for the keyboard, comes in
// the page's event flags above their low byte (VexarPage.sources).

struct State {
    bool open = false;
    KeySources keys;  // the keys down, as the events taken so far say
    Pads pads;        // the page's game controllers, as last read
    std::deque<HostEvent> events;
    WebFrame frame;          // the frame as the canvas shows it
    std::vector<int> parts;  // what changed in it, for the page
    uint64_t lastChange = 0;  // when the frame last changed or an event came
    double start = emscripten_get_now();
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
void Queue(const std::vector<KeySources::Change>& changes, bool alt) {
    for (const KeySources::Change& change : changes) {
        S().events.push_back(KeySources::Message(change, alt));
    }
}

// One page event: a focus change, or a key of some source that the game has
// a use for, pressed or let go (flags: 2 for Alt held, the source above the low byte).
void TakePageEvent(int type, const char* code, int flags) {
    State& s = S();
    std::vector<KeySources::Change> changes;
    if (type == kFocusGained || type == kFocusLost) {
        // Keys let go elsewhere send no key-up here.
        if (type == kFocusLost) s.keys.ReleaseAll(&changes);
        HostEvent event;
        event.type = type == kFocusGained ? HostEvent::FocusGained : HostEvent::FocusLost;
        s.events.push_back(event);
        return;
    }
    KeyCodes codes;
    if ((type != kKeyDown && type != kKeyUp) || !WebKeyCodes(code, &codes)) return;
    const int source = flags >> 8;
    if (type == kKeyDown) s.keys.Press(source, codes, Now(), &changes);
    else s.keys.Release(source, codes, &changes);
    Queue(changes, (flags & 2) != 0);
}

// Takes every event the page has queued, and the repeats of keys held by
// sources other than the keyboard.
void TakePageEvents() {
    State& s = S();
    if (!s.open) return;
    char code[32];
    int flags = 0;
    for (int type; (type = vexar_web_next_event(code, sizeof code, &flags)) != kNone;) {
        TakePageEvent(type, code, flags);
        s.lastChange = Now();
    }
    std::vector<KeySources::Change> repeats;
    s.keys.Repeats(Now(), &repeats);
    Queue(repeats, false);
}

bool PollEvent(HostEvent* event) {
    TakePageEvents();
    State& s = S();
    if (s.events.empty()) return false;
    *event = s.events.front();
    s.events.pop_front();
    return true;
}

void WaitEvent(uint64_t micros) {
    TakePageEvents();
    if (micros == 0 || !S().events.empty()) return;
    // A held key's next repeat ends the wait too.
    const uint64_t now = Now(), repeat = S().keys.NextRepeat();
    if (repeat != UINT64_MAX) micros = std::min(micros, repeat > now ? repeat - now : 0);
    // Whole milliseconds, rounded up so that a timer is never woken early.
    vexar_web_wait_event(micros == UINT64_MAX ? -1.0 : std::ceil(static_cast<double>(micros) / 1000));
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
    if (!s.open) std::fprintf(stderr, "vexar: no display available (the page has no canvas)\n");
    return s.open;
}

void CloseWindow() {
    State& s = S();
    if (s.open) vexar_web_close();
    s.open = false;
    s.events.clear();
    s.keys = KeySources();
    s.pads = Pads();
}

void Reset() { CloseWindow(); }

int DesktopBitsPerPixel() { return 32; }

// Only the parts that changed go to the canvas, as x, y, w, h quadruples;
// an unchanged frame costs the comparison alone.
void Present(const void* pixels, int width, int height, int pitch, int bits) {
    State& s = S();
    if (!s.open) return;
    const std::vector<PictureRect>& parts = s.frame.Update(pixels, width, height, pitch, bits);
    if (parts.empty()) return;
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
    vexar_web_message_box(text ? text : "", caption ? caption : "Error");
}

}  // namespace
}  // namespace web

const Host& WebHost() {
    static const Host host = {
        "web",
        &web::OpenWindow,
        &web::CloseWindow,
        &web::DesktopBitsPerPixel,
        &web::Present,
        &web::WaitVerticalBlank,
        &web::PollEvent,
        &web::WaitEvent,
        &web::Now,
        &web::IsKeyDown,
        &web::OpenAudio,
        &web::CloseAudio,
        &web::ShowMessageBox,
        &web::ShowCursor,
    };
    return host;
}

}  // namespace port
