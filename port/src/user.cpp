// The window manager: window classes, the one game window, its message queue
// and window timers, activation, the cursor and message boxes.
//
// Retrieval order is Windows': input from the host (keys), then the quit flag
// of PostQuitMessage, then WM_TIMER, which is seen only when nothing else is
// waiting. Focus changes and the host's close request are sent to the window
// procedure while the queue is being read, as Windows sends them.
#include "port/src/user.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "port/src/host.h"
#include "port/src/core.h"

namespace port {
namespace {

constexpr uint64_t kSystemTickMicros = 15625;  // the default 64 Hz clock interrupt
constexpr uintptr_t kDesktopHandle = 0x10010;
constexpr uintptr_t kFirstWindowHandle = 0x10020;
constexpr UINT kLargestTimerPeriod = 0x7FFFFFFF;  // USER_TIMER_MAXIMUM
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;

struct WindowClass {
    WNDPROC proc = nullptr;
    ATOM atom = 0;
};

struct Window {
    HWND handle = nullptr;  // null: no window
    WNDPROC proc = nullptr;
    bool visible = false;
    bool destroying = false;
};

struct Timer {
    HWND window = nullptr;
    UINT_PTR id = 0;
    uint64_t period = 0;  // microseconds
    uint64_t due = 0;     // next expiry, on the system tick
    TIMERPROC proc = nullptr;
};

struct UserState {
    std::map<std::string, WindowClass> classes;  // by lower-case name
    ATOM nextAtom = 0xC000;
    Window window;
    uintptr_t windowSerial = 0;  // never reused, so stale handles stay stale
    std::deque<MSG> input;
    bool quitPending = false;
    int quitCode = 0;
    std::vector<Timer> timers;
    UINT_PTR nextThreadTimer = 1;
    bool hostFocused = true;  // a program starts in the foreground
    bool active = false;
    int cursorCount = 0;
    std::vector<ActivationListener> listeners;  // registered once, kept over resets
};

UserState& S();

void Reset() {
    UserState& s = S();
    bool hadWindow = s.window.handle != nullptr;
    UserState fresh;
    fresh.windowSerial = s.windowSerial;
    fresh.listeners = s.listeners;
    s = fresh;
    if (hadWindow) CurrentHost().closeWindow();
}

UserState& S() {
    static UserState* state = [] {
        RegisterReset(&Reset);
        return new UserState;
    }();
    return *state;
}

const char* MessageName(UINT message) {
    switch (message) {
    case WM_CREATE: return "WM_CREATE";
    case WM_DESTROY: return "WM_DESTROY";
    case WM_CLOSE: return "WM_CLOSE";
    case WM_QUIT: return "WM_QUIT";
    case WM_ACTIVATEAPP: return "WM_ACTIVATEAPP";
    case WM_KEYDOWN: return "WM_KEYDOWN";
    case WM_KEYUP: return "WM_KEYUP";
    case WM_SYSKEYDOWN: return "WM_SYSKEYDOWN";
    case WM_SYSKEYUP: return "WM_SYSKEYUP";
    case WM_TIMER: return "WM_TIMER";
    default: return nullptr;
    }
}

std::string DescribeMessage(UINT message) {
    const char* name = MessageName(message);
    if (name) return name;
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%04X", message);
    return hex;
}

std::string Fold(const char* name) {
    std::string folded(name);
    for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded;
}

Window* Find(HWND handle) {
    UserState& s = S();
    return handle && s.window.handle == handle ? &s.window : nullptr;
}

// Runs the window procedure; 0 when the window is gone.
LRESULT CallProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* window = Find(handle);
    if (!window || !window->proc) return 0;
    WNDPROC proc = window->proc;  // the procedure may destroy the window
    return proc(handle, message, wParam, lParam);
}

// The window gains or loses the foreground: the port's listeners first, then
// WM_ACTIVATEAPP, sent.
void SetActive(bool on) {
    UserState& s = S();
    if (s.active == on || (on && !s.window.handle)) return;
    s.active = on;
    std::vector<ActivationListener> listeners = s.listeners;
    for (ActivationListener listener : listeners) listener(on);
    Trace("WM_ACTIVATEAPP(%d)", on ? 1 : 0);
    CallProc(s.window.handle, WM_ACTIVATEAPP, on ? 1 : 0, 0);
}

DWORD MessageTime(uint64_t micros) { return static_cast<DWORD>(micros / 1000); }

// A key goes to the window only while it has the foreground.
void QueueKey(const HostEvent& event) {
    UserState& s = S();
    if (!s.active || !s.window.handle || event.virtualKey <= 0 || event.virtualKey > 0xFF) return;
    const bool up = event.type == HostEvent::KeyUp;
    uint32_t lParam = 1;  // repeat count
    lParam |= static_cast<uint32_t>(event.scanCode & 0x7F) << 16;
    if (event.scanCode & 0x80) lParam |= 1u << 24;  // extended key (arrows)
    if (up || event.repeat) lParam |= 1u << 30;     // the key was down before
    if (up) lParam |= 1u << 31;
    if (event.alt) lParam |= 1u << 29;              // context code: Alt held
    MSG msg = {};
    msg.hwnd = s.window.handle;
    // With Alt held a key is a system key, as on Windows: the window
    // procedure leaves it to DefWindowProcA.
    if (event.alt) msg.message = up ? WM_SYSKEYUP : WM_SYSKEYDOWN;
    else msg.message = up ? WM_KEYUP : WM_KEYDOWN;
    msg.wParam = static_cast<WPARAM>(event.virtualKey);
    msg.lParam = static_cast<LPARAM>(lParam);
    msg.time = MessageTime(CurrentHost().now());
    s.input.push_back(msg);
}

void HandleHostEvent(const HostEvent& event) {
    UserState& s = S();
    switch (event.type) {
    case HostEvent::KeyDown:
    case HostEvent::KeyUp:
        QueueKey(event);
        break;
    case HostEvent::FocusGained:
        s.hostFocused = true;
        if (s.window.handle && s.window.visible) SetActive(true);
        break;
    case HostEvent::FocusLost:
        s.hostFocused = false;
        SetActive(false);
        break;
    case HostEvent::Quit:
        if (s.window.handle) {
            Trace("host: close requested");
            CallProc(s.window.handle, WM_CLOSE, 0, 0);
        }
        break;
    }
}

// Handles every event the host has; true when there was one.
bool PumpHostEvents() {
    const Host& host = CurrentHost();
    HostEvent event;
    bool any = false;
    while (host.pollEvent(&event)) {
        HandleHostEvent(event);
        any = true;
    }
    return any;
}

uint64_t NextTick(uint64_t micros) {
    return (micros + kSystemTickMicros - 1) / kSystemTickMicros * kSystemTickMicros;
}

struct Filter {
    HWND window;
    UINT first;
    UINT last;
    bool PassesWindow(HWND h) const { return !window || h == window; }
    bool PassesMessage(UINT m) const { return (first == 0 && last == 0) || (m >= first && m <= last); }
};

// The next expiry among the timers the filter lets through.
Timer* EarliestTimer(const Filter& filter) {
    Timer* earliest = nullptr;
    if (!filter.PassesMessage(WM_TIMER)) return nullptr;
    for (Timer& t : S().timers)
        if (filter.PassesWindow(t.window) && (!earliest || t.due < earliest->due)) earliest = &t;
    return earliest;
}

// Takes (or, without `remove`, looks at) the first message by Windows' order.
bool Retrieve(MSG* out, const Filter& filter, bool remove) {
    UserState& s = S();
    const uint64_t now = CurrentHost().now();
    for (auto it = s.input.begin(); it != s.input.end(); ++it) {
        if (!filter.PassesWindow(it->hwnd) || !filter.PassesMessage(it->message)) continue;
        *out = *it;
        if (remove) s.input.erase(it);
        return true;
    }
    if (s.quitPending) {  // WM_QUIT gets through every filter
        *out = MSG();
        out->message = WM_QUIT;
        out->wParam = static_cast<WPARAM>(s.quitCode);
        out->time = MessageTime(now);
        if (remove) s.quitPending = false;
        return true;
    }
    Timer* timer = EarliestTimer(filter);
    if (!timer || timer->due > now) return false;
    *out = MSG();
    out->hwnd = timer->window;
    out->message = WM_TIMER;
    out->wParam = timer->id;
    out->lParam = reinterpret_cast<LPARAM>(timer->proc);
    out->time = MessageTime(now);
    if (remove) {
        // However late, one message; the timer keeps its cadence on the tick.
        do timer->due = NextTick(timer->due + timer->period);
        while (timer->due <= now);
    }
    return true;
}

// Blocks until a message the filter lets through can be retrieved, a focus
// change or close request from the host has been handled, or the filter's
// window is gone (true), or until the host's clock reaches `end` (false).
bool WaitFor(const Filter& filter, uint64_t end = UINT64_MAX) {
    const Host& host = CurrentHost();
    for (;;) {
        bool handled = PumpHostEvents();
        MSG msg;
        if (Retrieve(&msg, filter, false) || handled) return true;
        if (filter.window && !Find(filter.window)) return true;
        uint64_t now = host.now();
        if (now >= end) return false;
        uint64_t wait = end == UINT64_MAX ? UINT64_MAX : end - now;  // UINT64_MAX: no end
        if (Timer* timer = EarliestTimer(filter))
            wait = std::min(wait, timer->due > now ? timer->due - now : 0);
        host.waitEvent(wait);
    }
}

void ForgetWindow(HWND handle) {
    UserState& s = S();
    auto& timers = s.timers;
    timers.erase(std::remove_if(timers.begin(), timers.end(),
                                [handle](const Timer& t) { return t.window == handle; }),
                 timers.end());
    auto& input = s.input;
    input.erase(std::remove_if(input.begin(), input.end(),
                               [handle](const MSG& m) { return m.hwnd == handle; }),
                input.end());
    s.window = Window();
    CurrentHost().closeWindow();
}

// Writes a message box as one line, newlines turned into spaces.
void WriteBoxLine(const char* text, const char* caption) {
    std::string line = std::string("vexar: ") + caption + ": " + text;
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    std::fprintf(stderr, "%s\n", line.c_str());
}

}  // namespace

void AddActivationListener(ActivationListener listener) {
    auto& listeners = S().listeners;
    if (listener && std::find(listeners.begin(), listeners.end(), listener) == listeners.end())
        listeners.push_back(listener);
}

bool AppActive() { return S().active; }

HWND GameWindow() { return S().window.handle; }

}  // namespace port

using namespace port;

ATOM WINAPI RegisterClassA(const WNDCLASSA* wndClass) {
    if (Injected("RegisterClassA")) return 0;
    if (!wndClass || !wndClass->lpszClassName || !wndClass->lpfnWndProc) return 0;
    UserState& s = S();
    std::string name = Fold(wndClass->lpszClassName);
    ATOM atom = 0;
    if (!s.classes.count(name)) {  // ERROR_CLASS_ALREADY_EXISTS otherwise
        atom = s.nextAtom++;
        s.classes[name] = {wndClass->lpfnWndProc, atom};
    }
    Trace("RegisterClassA(\"%s\") -> 0x%X", wndClass->lpszClassName, atom);
    return atom;
}

HWND WINAPI CreateWindowExA(DWORD, LPCSTR className, LPCSTR windowName, DWORD style, int, int,
                            int width, int height, HWND, HMENU, HINSTANCE, LPVOID) {
    const char* title = windowName ? windowName : "";
    if (Injected("CreateWindowExA")) {
        Trace("CreateWindowExA(\"%s\") -> NULL (injected)", title);
        return nullptr;
    }
    UserState& s = S();
    auto cls = className ? s.classes.find(Fold(className)) : s.classes.end();
    if (cls == s.classes.end() || s.window.handle) {
        Trace("CreateWindowExA(\"%s\") -> NULL (%s)", title,
              s.window.handle ? "a window is open already" : "no such class");
        return nullptr;
    }
    if (!CurrentHost().openWindow(title, width > 0 ? width : kDefaultWidth,
                                  height > 0 ? height : kDefaultHeight)) {
        Trace("CreateWindowExA(\"%s\") -> NULL (no display)", title);
        return nullptr;
    }
    ++s.windowSerial;
    HWND handle = reinterpret_cast<HWND>(kFirstWindowHandle + s.windowSerial * 0x10);
    s.window = Window();
    s.window.handle = handle;
    s.window.proc = cls->second.proc;
    if (CallProc(handle, WM_NCCREATE, 0, 0) == 0) {
        CallProc(handle, WM_NCDESTROY, 0, 0);
        if (Find(handle)) ForgetWindow(handle);
        Trace("CreateWindowExA(\"%s\") -> NULL (WM_NCCREATE refused)", title);
        return nullptr;
    }
    if (CallProc(handle, WM_CREATE, 0, 0) == -1) DestroyWindow(handle);
    if (!Find(handle)) {
        Trace("CreateWindowExA(\"%s\") -> NULL (destroyed while created)", title);
        return nullptr;
    }
    if (style & WS_VISIBLE) ShowWindow(handle, SW_SHOW);
    Trace("CreateWindowExA(\"%s\", 0x%X, %dx%d) -> %p", title, static_cast<unsigned>(style), width,
          height, static_cast<void*>(handle));
    return handle;
}

BOOL WINAPI ShowWindow(HWND handle, int command) {
    if (Injected("ShowWindow")) return FALSE;
    Window* window = Find(handle);
    if (!window) return FALSE;
    const BOOL wasVisible = window->visible ? TRUE : FALSE;
    if (command == SW_HIDE) {
        if (wasVisible) {
            window->visible = false;
            CallProc(handle, WM_SHOWWINDOW, FALSE, 0);
            SetActive(false);
        }
    } else {
        if (!wasVisible) {
            window->visible = true;
            CallProc(handle, WM_SHOWWINDOW, TRUE, 0);
        }
        PumpHostEvents();  // learn whether the host still has the focus
        window = Find(handle);
        if (window && window->visible && S().hostFocused) SetActive(true);
    }
    Trace("ShowWindow(%p, %d) -> %d", static_cast<void*>(handle), command, wasVisible);
    return wasVisible;
}

BOOL WINAPI UpdateWindow(HWND handle) {
    if (Injected("UpdateWindow")) return FALSE;
    return Find(handle) ? TRUE : FALSE;
}

BOOL WINAPI DestroyWindow(HWND handle) {
    if (Injected("DestroyWindow")) return FALSE;
    Window* window = Find(handle);
    if (!window || window->destroying) return FALSE;
    window->destroying = true;
    window->visible = false;
    SetActive(false);
    CallProc(handle, WM_DESTROY, 0, 0);
    CallProc(handle, WM_NCDESTROY, 0, 0);
    ForgetWindow(handle);
    Trace("DestroyWindow(%p) -> 1", static_cast<void*>(handle));
    return TRUE;
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMsg) {
    if (Injected("PeekMessageA")) return FALSE;
    if (!msg || (window && !Find(window))) return FALSE;
    PumpHostEvents();
    return Retrieve(msg, {window, filterMin, filterMax}, (removeMsg & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
    if (msg) *msg = MSG();
    if (Injected("GetMessageA")) return -1;
    if (!msg) return -1;
    const Filter filter = {window, filterMin, filterMax};
    for (;;) {
        if (window && !Find(window)) return -1;  // ERROR_INVALID_WINDOW_HANDLE
        WaitFor(filter);
        if (Retrieve(msg, filter, true)) break;
    }
    if (msg->message != WM_QUIT) return TRUE;
    Trace("GetMessageA -> 0 (WM_QUIT, %d)", static_cast<int>(msg->wParam));
    return 0;
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
    if (Injected("TranslateMessage")) return FALSE;
    // No WM_CHAR is made: nothing here reads characters. Key messages count
    // as translated, as Windows reports them.
    return msg && (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) ? TRUE : FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    if (Injected("DispatchMessageA")) return 0;
    if (!msg) return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        // Only a timer procedure that SetTimer was given is ever called.
        for (const Timer& t : S().timers)
            if (t.window == msg->hwnd && t.id == msg->wParam &&
                reinterpret_cast<LPARAM>(t.proc) == msg->lParam) {
                TIMERPROC proc = t.proc;
                proc(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
                return 0;
            }
        return 0;
    }
    return CallProc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL WINAPI WaitMessage() {
    if (Injected("WaitMessage")) return FALSE;
    WaitFor({nullptr, 0, 0});
    return TRUE;
}

DWORD WINAPI MsgWaitForMultipleObjects(DWORD count, const HANDLE*, BOOL, DWORD milliseconds,
                                       DWORD) {
    if (Injected("MsgWaitForMultipleObjects") || count != 0) {
        Trace("MsgWaitForMultipleObjects(%u, %u) -> WAIT_FAILED", count, milliseconds);
        return WAIT_FAILED;
    }
    const Host& host = CurrentHost();
    const uint64_t start = host.now();
    const uint64_t end = milliseconds == INFINITE ? UINT64_MAX : start + milliseconds * 1000ull;
    const DWORD result = WaitFor({nullptr, 0, 0}, end) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
    Trace("MsgWaitForMultipleObjects(0, %u) -> %s after %llu us", milliseconds,
          result == WAIT_OBJECT_0 ? "WAIT_OBJECT_0" : "WAIT_TIMEOUT",
          static_cast<unsigned long long>(host.now() - start));
    return result;
}

LRESULT WINAPI SendMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (Injected("SendMessageA")) return 0;
    const std::string name = DescribeMessage(message);
    if (!Find(handle)) {
        Trace("SendMessageA(%p, %s) -> 0 (no such window)", static_cast<void*>(handle), name.c_str());
        return 0;
    }
    LRESULT result = CallProc(handle, message, wParam, lParam);
    Trace("SendMessageA(%p, %s, 0x%llX, 0x%llX) -> %lld", static_cast<void*>(handle), name.c_str(),
          static_cast<unsigned long long>(wParam), static_cast<unsigned long long>(lParam),
          static_cast<long long>(result));
    return result;
}

LRESULT WINAPI DefWindowProcA(HWND handle, UINT message, WPARAM wParam, LPARAM) {
    if (Injected("DefWindowProcA")) return 0;
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(handle);
        return 0;
    case WM_SYSKEYDOWN:
        // Alt+F4 asks the window to close, as Windows' system menu does.
        if (wParam == VK_F4) CallProc(handle, WM_CLOSE, 0, 0);
        return 0;
    case WM_NCCREATE:
        return TRUE;
    default:
        return 0;
    }
}

void WINAPI PostQuitMessage(int exitCode) {
    if (Injected("PostQuitMessage")) return;
    UserState& s = S();
    s.quitPending = true;
    s.quitCode = exitCode;
    Trace("PostQuitMessage(%d)", exitCode);
}

UINT_PTR WINAPI SetTimer(HWND handle, UINT_PTR id, UINT elapse, TIMERPROC timerProc) {
    if (Injected("SetTimer")) return 0;
    if (handle && !Find(handle)) return 0;
    UserState& s = S();
    auto same = [&](const Timer& t) { return t.window == handle && t.id == id; };
    auto existing = std::find_if(s.timers.begin(), s.timers.end(), same);
    if (!handle && existing == s.timers.end()) id = s.nextThreadTimer++;
    const UINT period = std::min(std::max(elapse, static_cast<UINT>(USER_TIMER_MINIMUM)),
                                 kLargestTimerPeriod);
    Timer timer;
    timer.window = handle;
    timer.id = id;
    timer.period = static_cast<uint64_t>(period) * 1000;
    timer.due = NextTick(CurrentHost().now() + timer.period);
    timer.proc = timerProc;
    if (existing != s.timers.end()) *existing = timer;
    else s.timers.push_back(timer);
    UINT_PTR result = handle ? (id ? id : 1) : id;
    Trace("SetTimer(%p, %llu, %u) -> %llu", static_cast<void*>(handle),
          static_cast<unsigned long long>(id), elapse, static_cast<unsigned long long>(result));
    return result;
}

int WINAPI ShowCursor(BOOL show) {
    UserState& s = S();
    if (Injected("ShowCursor")) return s.cursorCount;
    s.cursorCount += show ? 1 : -1;
    CurrentHost().showCursor(s.cursorCount >= 0);
    Trace("ShowCursor(%d) -> %d", show ? 1 : 0, s.cursorCount);
    return s.cursorCount;
}

int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    if (Injected("MessageBoxA")) return 0;
    const char* body = text ? text : "";
    WriteBoxLine(body, caption ? caption : "Error");
    CurrentHost().messageBox(body, caption, type);
    Trace("MessageBoxA(\"%s\", %s%s%s, 0x%X) -> %d", body, caption ? "\"" : "",
          caption ? caption : "NULL", caption ? "\"" : "", type, IDOK);
    return IDOK;
}

HWND WINAPI GetForegroundWindow() {
    if (Injected("GetForegroundWindow")) return nullptr;
    UserState& s = S();
    return s.active ? s.window.handle : nullptr;
}

HWND WINAPI GetDesktopWindow() {
    if (Injected("GetDesktopWindow")) return nullptr;
    return reinterpret_cast<HWND>(kDesktopHandle);
}
