// The headless host: pixels in memory, a virtual clock and scripted input.
// Time moves only when the game waits: one 60 Hz frame at each vertical blank,
// and straight to the wake-up time (or the next scripted event) in waitEvent.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <map>
#include <utility>

#include <unistd.h>

#include "port/control.h"
#include "port/hosts/headless/headless.h"
#include "port/hosts/host_core.h"
#include "port/src/host.h"
#include "port/hosts/keys.h"
#include "port/src/core.h"
#include "port/src/pixels.h"

namespace port {
namespace headless {
namespace {

struct State {
    uint64_t clock = 0;
    std::deque<HostEvent> events;
    std::multimap<uint64_t, std::function<void()>> actions;  // by frame
    bool held[256] = {};
    bool focused = true;
    bool altHeld = false;
    bool displayAvailable = true;
    bool audioAvailable = true;
    bool flipWaits = true;
    int bitsPerPixel = 32;
    bool windowOpen = false;
    bool audioOpen = false;
    bool cursorVisible = true;
    uint64_t maxFrames = 0;
    bool maxFramesReached = false;
    uint64_t reportEvery = 0;  // 0: no reports
    uint64_t nextReport = 0;
    std::string captureDir = ".";
    std::vector<Box> boxes;
    // The last presented frame, rows packed, in the format it was presented in.
    std::vector<uint8_t> frame;
    int frameWidth = 0;
    int frameHeight = 0;
    int frameBits = 0;
};

// Settings taken from the environment, for a fresh state.
void Configure(State& s) {
    const HostSettings& settings = Settings();
    if (settings.bitsPerPixel) s.bitsPerPixel = settings.bitsPerPixel;
    s.maxFrames = settings.maxFrames;
    s.reportEvery = settings.reportEvery;
    s.flipWaits = settings.flipWaits;
    s.captureDir = settings.captureDir;
}

State*& StatePointer() {
    static State* state = nullptr;
    return state;
}

void Reset() {
    State& s = *StatePointer();
    ReadSettingsAgain();
    s = State();
    Configure(s);
}

State& S() {
    State*& state = StatePointer();
    if (!state) {
        state = new State;
        Configure(*state);
        RegisterReset(&Reset);
        // The script of a scripted run; LoadScript comes back here, now that
        // the state exists.
        const std::string& script = Settings().script;
        if (!script.empty() && !LoadScript(script)) {
            std::fprintf(stderr, "vexar: the script was not loaded; closing the window\n");
            HostEvent quit;
            quit.type = HostEvent::Quit;
            state->events.push_back(quit);
        }
    }
    return *state;
}

uint64_t CurrentFrame() { return S().clock / kFrameMicros; }

void PushEvent(HostEvent::Type type, int virtualKey = 0, int scanCode = 0, bool repeat = false) {
    HostEvent event;
    event.type = type;
    event.virtualKey = virtualKey;
    event.scanCode = scanCode;
    event.repeat = repeat;
    event.alt = S().altHeld && (type == HostEvent::KeyDown || type == HostEvent::KeyUp);
    S().events.push_back(event);
}

// Resident memory in kB, from /proc/self/statm; -1 when it cannot be read.
long ResidentKilobytes() {
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm) return -1;
    long size = 0, resident = -1;
    if (std::fscanf(statm, "%ld %ld", &size, &resident) != 2) resident = -1;
    std::fclose(statm);
    long pageKilobytes = sysconf(_SC_PAGESIZE) / 1024;
    return resident < 0 || pageKilobytes <= 0 ? -1 : resident * pageKilobytes;
}

// One line on stderr with what is alive now, for long runs that look for leaks.
void Report(uint64_t frame) {
    LiveCounts live = Live();
    std::fprintf(stderr,
                 "vexar: frame %llu: gdi objects %d, dcs %d, surfaces %d, com objects %d, "
                 "resident %ld kB\n",
                 static_cast<unsigned long long>(frame), live.gdiObjects, live.dcs, live.surfaces,
                 live.comObjects, ResidentKilobytes());
}

// Runs the actions of every frame that has begun, reports every
// $VEXAR_REPORT_EVERY frames, and closes the window once $VEXAR_MAX_FRAMES is reached.
void RunDueActions() {
    State& s = S();
    uint64_t frame = CurrentFrame();
    if (s.reportEvery && frame >= s.nextReport) {
        Report(frame);
        s.nextReport = (frame / s.reportEvery + 1) * s.reportEvery;
    }
    while (!s.actions.empty() && s.actions.begin()->first <= frame) {
        std::function<void()> action = std::move(s.actions.begin()->second);
        s.actions.erase(s.actions.begin());
        action();
    }
    if (!s.maxFramesReached && frame >= s.maxFrames) {
        s.maxFramesReached = true;
        PushEvent(HostEvent::Quit);
    }
}

void AdvanceTo(uint64_t micros) {
    State& s = S();
    if (micros > s.clock) s.clock = micros;
    RunDueActions();
}

// ---- Script -------------------------------------------------------------------

struct Command {
    uint64_t frame = 0;
    std::string verb;
    KeyCodes key;
    std::string name;
};

bool KeyByName(std::string name, KeyCodes* codes) {
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    static const struct {
        const char* name;
        int virtualKey;
        int scanCode;
    } named[] = {{"RETURN", VK_RETURN, DIK_RETURN}, {"SPACE", VK_SPACE, DIK_SPACE},
                 {"ESCAPE", VK_ESCAPE, DIK_ESCAPE}, {"LEFT", VK_LEFT, DIK_LEFT},
                 {"RIGHT", VK_RIGHT, DIK_RIGHT},   {"UP", VK_UP, DIK_UP},
                 {"DOWN", VK_DOWN, DIK_DOWN}};
    for (const auto& key : named)
        if (name == key.name) {
            *codes = {key.virtualKey, key.scanCode};
            return true;
        }
    return name.size() == 1 && LetterOrDigitKey(name[0], codes);
}

// A capture name stays a plain file name inside the capture folder.
bool GoodCaptureName(const std::string& name) {
    if (name.empty() || name.size() > 100 || name[0] == '.') return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-' && c != '.')
            return false;
    return true;
}

// Reads one line; false with `error` set when it is not a command. A blank or
// comment-only line gives a command with an empty verb.
bool ParseLine(std::string line, Command* command, std::string* error) {
    size_t hash = line.find('#');
    if (hash != std::string::npos) line.resize(hash);
    std::vector<std::string> words;
    size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && std::isspace(static_cast<unsigned char>(line[at]))) ++at;
        size_t end = at;
        while (end < line.size() && !std::isspace(static_cast<unsigned char>(line[end]))) ++end;
        if (end > at) words.push_back(line.substr(at, end - at));
        at = end;
    }
    if (words.empty()) return true;
    if (!ParseWholeNumber(words[0], 0, kLargestFrameNumber, &command->frame)) {
        *error = "'" + words[0] + "' is not a frame number";
        return false;
    }
    if (words.size() < 2) {
        *error = "a command is missing after the frame number";
        return false;
    }
    const std::string& verb = words[1];
    bool needsKey = verb == "down" || verb == "up" || verb == "repeat";
    bool needsName = verb == "capture";
    bool bare = verb == "blur" || verb == "focus" || verb == "quit";
    if (!needsKey && !needsName && !bare) {
        *error = "unknown command '" + verb + "'";
        return false;
    }
    size_t expected = bare ? 2 : 3;
    if (words.size() != expected) {
        *error = "'" + verb + "' takes " + (bare ? "no argument" : "one argument");
        return false;
    }
    if (needsKey && !KeyByName(words[2], &command->key)) {
        *error = "unknown key '" + words[2] + "'";
        return false;
    }
    if (needsName) {
        if (!GoodCaptureName(words[2])) {
            *error = "'" + words[2] + "' is not a plain file name";
            return false;
        }
        command->name = words[2];
    }
    command->verb = verb;
    return true;
}

void Capture(const std::string& name) {
    Picture picture = LastFrame();
    std::string path = S().captureDir + "/" + name + ".bmp";
    if (picture.width == 0)
        std::fprintf(stderr, "vexar: capture %s: no frame has been shown yet\n", name.c_str());
    else if (!SavePicture(picture, path))
        std::fprintf(stderr, "vexar: capture %s: cannot write %s\n", name.c_str(), path.c_str());
}

std::function<void()> ActionFor(const Command& c) {
    KeyCodes key = c.key;
    if (c.verb == "down") return [key] { KeyDown(key.virtualKey, key.scanCode); };
    if (c.verb == "repeat") return [key] { KeyDown(key.virtualKey, key.scanCode, true); };
    if (c.verb == "up") return [key] { KeyUp(key.virtualKey, key.scanCode); };
    if (c.verb == "blur") return [] { SetFocus(false); };
    if (c.verb == "focus") return [] { SetFocus(true); };
    if (c.verb == "quit") return [] { Quit(); };
    std::string name = c.name;
    return [name] { Capture(name); };
}

// ---- The host's operations ----------------------------------------------------

bool OpenWindow(const char*, int, int) {
    State& s = S();
    if (!s.displayAvailable) {
        std::fprintf(stderr, "vexar: no display available (the headless host was set up without one)\n");
        return false;
    }
    s.windowOpen = true;
    return true;
}

void CloseWindow() { S().windowOpen = false; }

int DesktopBitsPerPixel() { return S().bitsPerPixel; }

void Present(const void* pixels, int width, int height, int pitch, int bitsPerPixel) {
    if (!FrameIsShowable(pixels, width, height, pitch, bitsPerPixel)) return;
    const size_t rowBytes = static_cast<size_t>(width) * (bitsPerPixel / 8);
    State& s = S();
    s.frame.resize(rowBytes * height);
    const uint8_t* source = static_cast<const uint8_t*>(pixels);
    for (int y = 0; y < height; ++y)
        std::memcpy(s.frame.data() + rowBytes * y, source + static_cast<size_t>(pitch) * y, rowBytes);
    s.frameWidth = width;
    s.frameHeight = height;
    s.frameBits = bitsPerPixel;
}

void WaitVerticalBlank() {
    State& s = S();
    if (s.flipWaits) AdvanceTo((s.clock / kFrameMicros + 1) * kFrameMicros);
}

bool PollEvent(HostEvent* event) {
    State& s = S();
    if (s.events.empty()) return false;
    *event = s.events.front();
    s.events.pop_front();
    return true;
}

void WaitEvent(uint64_t micros) {
    State& s = S();
    if (!s.events.empty()) return;
    uint64_t wake = micros > UINT64_MAX - s.clock ? UINT64_MAX : s.clock + micros;
    if (!s.actions.empty()) wake = std::min(wake, s.actions.begin()->first * kFrameMicros);
    if (!s.maxFramesReached) wake = std::min(wake, s.maxFrames * kFrameMicros);
    if (wake == UINT64_MAX) {
        // Nothing is scripted, no timer runs and the window has been told to
        // close: the program would wait for ever.
        std::fprintf(stderr, "vexar: headless host: waiting at frame %llu for input that never comes\n",
                     static_cast<unsigned long long>(CurrentFrame()));
        std::exit(1);
    }
    AdvanceTo(wake);
}

uint64_t Now() { return S().clock; }

bool IsKeyDown(int scanCode) { return scanCode >= 0 && scanCode < 256 && S().held[scanCode]; }

bool OpenAudio() {
    State& s = S();
    if (!s.audioAvailable) {
        Trace("host: no audio device (the headless host was set up without one)");
        return false;
    }
    s.audioOpen = true;
    return true;
}

void CloseAudio() { S().audioOpen = false; }

void ShowMessageBox(const char* text, const char* caption, unsigned style) {
    S().boxes.push_back({text ? text : "", caption ? caption : "", style});
}

void ShowCursor(bool visible) { S().cursorVisible = visible; }

}  // namespace

// ---- Control --------------------------------------------------------------------

void KeyDown(int virtualKey, int scanCode, bool repeat) {
    if (scanCode >= 0 && scanCode < 256) S().held[scanCode] = true;
    PushEvent(HostEvent::KeyDown, virtualKey, scanCode, repeat);
}

void KeyUp(int virtualKey, int scanCode) {
    if (scanCode >= 0 && scanCode < 256) S().held[scanCode] = false;
    PushEvent(HostEvent::KeyUp, virtualKey, scanCode);
}

void SetFocus(bool focused) {
    S().focused = focused;
    PushEvent(focused ? HostEvent::FocusGained : HostEvent::FocusLost);
}

void Quit() { PushEvent(HostEvent::Quit); }

void SetAltHeld(bool held) { S().altHeld = held; }

void At(uint64_t frame, std::function<void()> action) {
    if (!action) return;
    if (frame <= CurrentFrame()) action();
    else S().actions.emplace(frame, std::move(action));
}

uint64_t FrameCount() { return CurrentFrame(); }
uint64_t NowMicros() { return S().clock; }

Picture LastFrame() {
    const State& s = S();
    Picture picture;
    PixelFormat format;
    if (s.frameWidth == 0 || !FormatForDepth(s.frameBits, &format)) return picture;
    picture.width = s.frameWidth;
    picture.height = s.frameHeight;
    picture.pixels.resize(static_cast<size_t>(s.frameWidth) * s.frameHeight);
    const int bytes = s.frameBits / 8;
    const uint8_t* p = s.frame.data();
    for (COLORREF& out : picture.pixels) {
        uint32_t value = p[0] | (p[1] << 8);
        if (bytes >= 3) value |= static_cast<uint32_t>(p[2]) << 16;
        out = PixelToColor(value, format);
        p += bytes;
    }
    return picture;
}

bool SavePicture(const Picture& picture, const std::string& path) {
    const int w = picture.width, h = picture.height;
    if (w <= 0 || h <= 0 || w > kLargestFrameSide || h > kLargestFrameSide ||
        picture.pixels.size() != static_cast<size_t>(w) * h)
        return false;
    const uint32_t rowBytes = (static_cast<uint32_t>(w) * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(h);
    uint8_t header[54] = {'B', 'M'};
    auto put32 = [&header](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i) header[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    put32(2, 54 + imageBytes);  // file size
    put32(10, 54);              // offset of the pixels
    put32(14, 40);              // BITMAPINFOHEADER
    put32(18, static_cast<uint32_t>(w));
    put32(22, static_cast<uint32_t>(h));  // positive: rows bottom-up
    header[26] = 1;                       // planes
    header[28] = 24;                      // bits per pixel
    put32(34, imageBytes);
    put32(38, 2835);  // 72 dpi
    put32(42, 2835);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(header, 1, sizeof header, file) == sizeof header;
    std::vector<uint8_t> row(rowBytes, 0);
    for (int y = h - 1; ok && y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            COLORREF c = picture.At(x, y);
            row[x * 3] = GetBValue(c);
            row[x * 3 + 1] = GetGValue(c);
            row[x * 3 + 2] = GetRValue(c);
        }
        ok = std::fwrite(row.data(), 1, rowBytes, file) == rowBytes;
    }
    return std::fclose(file) == 0 && ok;
}

std::vector<Box> MessageBoxes() { return S().boxes; }

void SetDesktopBitsPerPixel(int bitsPerPixel) { S().bitsPerPixel = bitsPerPixel; }
void SetDisplayAvailable(bool available) { S().displayAvailable = available; }
void SetAudioAvailable(bool available) { S().audioAvailable = available; }
void SetFlipWaits(bool waits) { S().flipWaits = waits; }

bool LoadScript(const std::string& path) {
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "vexar: cannot read the script %s\n", path.c_str());
        return false;
    }
    std::vector<Command> commands;
    bool ok = true;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        Command command;
        std::string error;
        if (!ParseLine(line, &command, &error)) {
            std::fprintf(stderr, "vexar: %s:%d: %s\n", path.c_str(), number, error.c_str());
            ok = false;
        } else if (!command.verb.empty()) {
            commands.push_back(command);
        }
    }
    // A script with a bad line is not run at all, not even in part.
    if (!ok) return false;
    for (const Command& command : commands) At(command.frame, ActionFor(command));
    return true;
}

}  // namespace headless

const Host& HeadlessHost() {
    static const Host host = [] {
        Host h("headless");
        h.openWindow = &headless::OpenWindow;
        h.closeWindow = &headless::CloseWindow;
        h.desktopBitsPerPixel = &headless::DesktopBitsPerPixel;
        h.present = &headless::Present;
        h.waitVerticalBlank = &headless::WaitVerticalBlank;
        h.pollEvent = &headless::PollEvent;
        h.waitEvent = &headless::WaitEvent;
        h.now = &headless::Now;
        h.keyDown = &headless::IsKeyDown;
        h.openAudio = &headless::OpenAudio;
        h.closeAudio = &headless::CloseAudio;
        h.messageBox = &headless::ShowMessageBox;
        h.showCursor = &headless::ShowCursor;
        h.letSystemRun = [] {};  // nothing else waits on the game's thread
        return h;
    }();
    return host;
}

}  // namespace port
