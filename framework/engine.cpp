// The engine: the window, the frame loop and its tick, and the order in which
// the display, the devices and the painters are brought up.
#include "framework/engine.h"

namespace {

constexpr DWORD kDefaultRefreshRate = 60;
// Rates outside these are not taken from the display.
constexpr DWORD kLowestRefreshRate = 24;
constexpr DWORD kHighestRefreshRate = 500;
// A quick frame or two prove nothing: a flip that fails returns at once, the
// first flip after a pause may catch a refresh already under way, and a flip
// queued for the next refresh lets one more frame begin before it waits.
// Three in a row mean the flip does not wait.
constexpr int kQuickFramesToHold = 3;

LONGLONG ClockNow() {
    LARGE_INTEGER now;
    now.QuadPart = 0;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// Bits per pixel for a depth code; 0 for a code that has none.
int BitsPerPixel(int depthCode) {
    switch (depthCode) {
    case 0: return 8;
    case 1: return 16;
    case 2: return 24;
    case 3: return 32;
    case 4: {
        HDC screen = GetDC(nullptr);
        int bits = GetDeviceCaps(screen, BITSPIXEL);
        ReleaseDC(nullptr, screen);
        return bits;
    }
    default: return 0;
    }
}

}  // namespace

bool Engine::Create(const char* className, int width, int height, int depthCode,
                    WNDPROC windowProc, HINSTANCE instance, HICON icon, HCURSOR cursor) {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = windowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = cursor;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);

    window = CreateWindowExA(0, className, className, WS_POPUPWINDOW, 0, 0, width, height,
                             nullptr, nullptr, instance, nullptr);
    if (!window) return false;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);

    // An unknown depth code is refused here, before the display is touched;
    // the window stays open, as after the later display failures.
    int bitsPerPixel = BitsPerPixel(depthCode);
    if (bitsPerPixel == 0) return false;

    switch (display.SetUp(window, width, height, bitsPerPixel)) {
    case DisplaySetUp::READY: break;
    case DisplaySetUp::FAILED: return false;
    case DisplaySetUp::FAILED_CLOSE_WINDOW: Close(); return false;
    }

    InitSound();     // without sound the game goes on
    InitKeyboard();  // likewise without the keyboard
    textPainter.Prepare(&display);
    shapePainter.Prepare(&display);
    return true;
}

int Engine::RunLoop(FrameFunction frame) {
    MSG message = {};
    for (;;) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            if (GetMessageA(&message, nullptr, 0, 0) == 0) return static_cast<int>(message.wParam);
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else if (active) {
            if (FrameDue()) {
                ClearBackBuffer();
                frame(scene);
                Flip();
            } else {
                WaitForFrame();
            }
        } else {
            WaitMessage();
        }
    }
}

void Engine::Close() { SendMessageA(window, WM_CLOSE, 0, 0); }

void Engine::StartTimer(UINT_PTR id, UINT period) { SetTimer(window, id, period, nullptr); }

void Engine::HideCursor() { ShowCursor(FALSE); }

void Engine::OnTimer() {
    ++tickCount;
    if (tickCount > 100) tickCount = 0;
}

bool Engine::ConsumeTick() {
    if (tickCount == lastTick) return false;
    lastTick = tickCount;
    return true;
}

void Engine::UpdateTickFlag() { tickFlag = ConsumeTick(); }

bool Engine::LoadSprite(Sprite& sprite, const char* fileName) {
    return sprite.Load(fileName, &display);
}

void Engine::ClearBackBuffer() { display.Clear(clearFx); }

void Engine::Flip() { display.Flip(); }

// A frame that begins less than most of a refresh period after the one before
// means the flip did not wait; the next frame is then held until a whole
// period has passed since, as a flip that waits would have held it.
bool Engine::FrameDue() {
    if (!pace.ready) StartFramePace();
    const LONGLONG now = ClockNow();
    if (pace.started && !pace.holding) {
        const bool quick = now - pace.frameStart < pace.period * 3 / 4;
        pace.quickFrames = quick ? pace.quickFrames + 1 : 0;
        if (pace.quickFrames >= kQuickFramesToHold) {
            pace.holding = true;
            pace.holdUntil = pace.frameStart + pace.period;
        }
    }
    if (pace.holding) {
        if (now < pace.holdUntil) return false;
        pace.holding = false;
        // The period is counted from when the frame was due, so a late wake-up
        // does not slow the pace; after a long stall it starts afresh.
        pace.frameStart = now - pace.holdUntil < pace.period ? pace.holdUntil : now;
    } else {
        pace.frameStart = now;
    }
    pace.started = true;
    return true;
}

void Engine::WaitForFrame() {
    if (!pace.finerWaits) {
        timeBeginPeriod(1);  // kept until the process ends
        pace.finerWaits = true;
    }
    const LONGLONG left = pace.holdUntil - ClockNow();
    if (left <= 0 || pace.frequency <= 0) return;
    // Whole milliseconds, rounded up: the wait never ends before the frame is due.
    const LONGLONG milliseconds = (left * 1000 + pace.frequency - 1) / pace.frequency;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(milliseconds), QS_ALLINPUT);
}

// The clock's rate, and the display's refresh period (60 Hz when it gives
// no plausible rate).
void Engine::StartFramePace() {
    LARGE_INTEGER frequency;
    frequency.QuadPart = 0;
    QueryPerformanceFrequency(&frequency);
    DWORD rate = 0;
    if (!display.directDraw || display.directDraw->GetMonitorFrequency(&rate) != DD_OK ||
        rate < kLowestRefreshRate || rate > kHighestRefreshRate)
        rate = kDefaultRefreshRate;
    pace.frequency = frequency.QuadPart;
    pace.period = frequency.QuadPart / rate;
    pace.ready = true;
}

bool Engine::InitSound() { return OpenSound(&directSound); }

HRESULT Engine::InitKeyboard() { return OpenKeyboard(window, &directInput, &keyboard); }

bool Engine::IsKeyDown(int key) { return KeyboardKeyDown(keyboard, key); }
