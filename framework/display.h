// The full-screen display: a primary surface flipped with one back buffer.
#pragma once

#include "framework/platform.h"

// What a display set-up left behind. Only a failed DirectDrawCreate closes the window.
enum class DisplaySetUp { READY, FAILED, FAILED_CLOSE_WINDOW };

class Display {
public:
    IDirectDraw* directDraw = nullptr;
    IDirectDrawSurface* backBuffer = nullptr;
    IDirectDrawSurface* primary = nullptr;

    // Releases the back buffer, then the primary, then DirectDraw.
    ~Display();

    // Exclusive full-screen mode at width x height x bitsPerPixel. A failure shows
    // its message box and leaves nothing held.
    DisplaySetUp SetUp(HWND window, int width, int height, int bitsPerPixel);
    // The flip chain: a primary surface and its one back buffer.
    bool CreateSurfaces();
    // Fills the back buffer with black; `fx` is rebuilt on every call.
    void Clear(DDBLTFX& fx);
    // Shows the back buffer; a failed flip restores the primary for the next frame.
    void Flip();
};
