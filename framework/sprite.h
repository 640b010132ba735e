// Bitmap files held in off-screen surfaces and drawn onto the back buffer.
#pragma once

#include "framework/display.h"

class Sprite {
public:
    Display* display = nullptr;
    IDirectDrawSurface* surface = nullptr;
    char fileName[50] = {};
    bool keyed = false;
    int width = 0;
    int height = 0;

    ~Sprite() { Release(); }

    bool Load(const char* name, Display* display);
    // Makes `color` transparent; CLR_INVALID takes the top-left pixel's colour.
    void SetColorKey(COLORREF color);
    // 0, or the result of the reload that follows a failed blit.
    HRESULT Draw(int x, int y);
    HRESULT Reload();
    void Release();
};

// Surface helpers; results are 0 on success, as DirectDraw's are.
IDirectDrawSurface* LoadBitmapSurface(IDirectDraw* directDraw, const char* name, int* width,
                                      int* height);
IDirectDrawSurface* CreateOffscreenSurface(IDirectDraw* directDraw, int width, int height);
HRESULT CopyBitmapToSurface(IDirectDrawSurface* surface, HBITMAP bitmap, int width, int height);
HRESULT SetSurfaceColorKey(IDirectDrawSurface* surface, COLORREF color);
DWORD MatchSurfaceColor(IDirectDrawSurface* surface, COLORREF color);
HRESULT ReloadBitmapSurface(IDirectDrawSurface* surface, const char* name);
HRESULT StretchBitmapToSurface(IDirectDrawSurface* surface, HBITMAP bitmap, int x, int y,
                               int sourceWidth, int sourceHeight);
