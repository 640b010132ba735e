// The engine: the window, the frame loop and its tick, and the order in which
// the display, the devices and the painters are brought up.
#include "framework/engine.h"

namespace {

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
            ClearBackBuffer();
            frame(scene);
            Flip();
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

bool Engine::InitSound() { return OpenSound(&directSound); }

HRESULT Engine::InitKeyboard() { return OpenKeyboard(window, &directInput, &keyboard); }

bool Engine::IsKeyDown(int key) { return KeyboardKeyDown(keyboard, key); }
