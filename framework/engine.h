// The engine: the window, the frame loop and its tick, the display, the
// painters and the devices.
#pragma once

#include "framework/devices.h"
#include "framework/display.h"
#include "framework/painters.h"
#include "framework/platform.h"
#include "framework/sprite.h"

// Called once per frame with the scene read before the frame began.
typedef void (*FrameFunction)(int scene);

// The frame loop's pace where the flip returns without waiting for the display:
// times on the performance counter, in its counts.
struct FramePace {
    bool ready = false;         // the clock's rate and the refresh period are known
    LONGLONG frequency = 0;     // counts a second
    LONGLONG period = 0;        // one refresh of the display
    bool started = false;       // a frame has begun
    LONGLONG frameStart = 0;    // when the last frame began
    int quickFrames = 0;        // frames in a row that came back too soon
    bool holding = false;       // the next frame waits for `holdUntil`
    LONGLONG holdUntil = 0;
    bool finerWaits = false;    // timeBeginPeriod(1) has been asked for
};

class Engine {
public:
    int scene = 0;
    DDBLTFX clearFx = {};
    int lastTick = 0;
    int tickCount = 0;
    bool tickFlag = false;
    HWND window = nullptr;
    Display display;
    TextPainter textPainter;
    ShapePainter shapePainter;
    DWORD active = 0;
    IDirectInput* directInput = nullptr;
    IDirectInputDevice* keyboard = nullptr;
    IDirectSound* directSound = nullptr;
    FramePace pace;

    // Depth codes: 0 → 8, 1 → 16, 2 → 24, 3 → 32 bits per pixel, 4 → the desktop's.
    bool Create(const char* className, int width, int height, int depthCode,
                WNDPROC windowProc, HINSTANCE instance, HICON icon, HCURSOR cursor);
    int RunLoop(FrameFunction frame);
    void Close();

    int GetScene() const { return scene; }
    void SetScene(int newScene) { scene = newScene; }
    void StartTimer(UINT_PTR id, UINT period);
    void HideCursor();

    void OnTimer();
    bool ConsumeTick();
    void UpdateTickFlag();
    bool TickFlag() const { return tickFlag; }

    bool LoadSprite(Sprite& sprite, const char* fileName);

    void ClearBackBuffer();
    void Flip();
    // Whether the next frame may begin now; false while a flip that did not
    // wait is being made up for. Reads the clock once.
    bool FrameDue();
    // Sleeps until the held frame is due, or until a message arrives.
    void WaitForFrame();
    void StartFramePace();

    bool InitSound();
    HRESULT InitKeyboard();
    bool IsKeyDown(int key);
};

// Every unit that includes this header owns one guard, so the sockets library
// is started once per unit, in the order the units' globals are built.
static NetworkGuard networkGuard;
