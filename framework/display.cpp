// The full-screen display: exclusive mode, the flip chain, the per-frame
// clear and flip, and the release of the three interfaces.
#include "framework/display.h"

namespace {

// Every set-up box has no owner window and the error icon, and comes up in
// front of the game's full-screen window.
void ShowSetUpError(const char* text, const char* caption) {
    MessageBoxA(nullptr, text, caption, MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
}

template <typename Interface>
void ReleaseInterface(Interface*& pointer) {
    if (!pointer) return;
    pointer->Release();
    pointer = nullptr;
}

}  // namespace

Display::~Display() {
    ReleaseInterface(backBuffer);
    ReleaseInterface(primary);
    ReleaseInterface(directDraw);
}

DisplaySetUp Display::SetUp(HWND window, int width, int height, int bitsPerPixel) {
    if (DirectDrawCreate(nullptr, &directDraw, nullptr) != DD_OK) {
        directDraw = nullptr;  // nothing was made, so nothing is released later
        ShowSetUpError("Couldnt Create DirectX Object! Error: Terminating!", "Error!!!");
        return DisplaySetUp::FAILED_CLOSE_WINDOW;
    }
    if (directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT |
                                                    DDSCL_EXCLUSIVE) != DD_OK) {
        ReleaseInterface(directDraw);
        ShowSetUpError("Couldnt Set Cooperative Level, Fatal Error Aborting", "Error");
        return DisplaySetUp::FAILED;
    }
    if (directDraw->SetDisplayMode(width, height, bitsPerPixel) != DD_OK) {
        ShowSetUpError("Error Setting Display Mode", nullptr);
        ReleaseInterface(directDraw);
        return DisplaySetUp::FAILED;
    }
    if (!CreateSurfaces()) {
        ShowSetUpError("Couldnt Set Surfaces! Fatal Error! DirectX is jacked Man",
                       "Broken Software :(");
        return DisplaySetUp::FAILED;
    }
    return DisplaySetUp::READY;
}

bool Display::CreateSurfaces() {
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 1;
    if (directDraw->CreateSurface(&desc, &primary, nullptr) != DD_OK) {
        primary = nullptr;
        ReleaseInterface(directDraw);
        return false;
    }
    DDSCAPS caps = {};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    if (primary->GetAttachedSurface(&caps, &backBuffer) != DD_OK) {
        backBuffer = nullptr;
        ReleaseInterface(primary);
        ReleaseInterface(directDraw);
        return false;
    }
    return true;
}

void Display::Clear(DDBLTFX& fx) {
    fx = DDBLTFX();
    fx.dwSize = sizeof fx;
    fx.dwFillColor = 0;
    if (!backBuffer) return;
    // A failed clear is not reported: the frame goes on uncleared.
    backBuffer->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

void Display::Flip() {
    if (!primary) return;
    // A lost flip chain is restored; the next frame flips again.
    if (primary->Flip(nullptr, DDFLIP_WAIT) != DD_OK) primary->Restore();
}
