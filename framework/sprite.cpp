// Sprites: a bitmap file in an off-screen surface, drawn onto the back buffer,
// and reloaded from its file by itself when a blit fails. The surface helpers
// below know nothing of sprites; the sprite knows nothing of GDI.
#include "framework/sprite.h"

#include <cstring>

namespace {

const UINT kLoadFromFile = LR_LOADFROMFILE | LR_CREATEDIBSECTION;

HBITMAP LoadBitmapFile(const char* name) {
    return static_cast<HBITMAP>(LoadImageA(nullptr, name, IMAGE_BITMAP, 0, 0, kLoadFromFile));
}

}  // namespace

// ---- Sprite ----------------------------------------------------------------------

bool Sprite::Load(const char* name, Display* newDisplay) {
    display = newDisplay;
    // A name that does not fit fileName is refused, and fileName keeps the last one.
    if (!name || strnlen(name, sizeof fileName) == sizeof fileName) return false;
    std::strcpy(fileName, name);
    if (!display) return false;
    Release();  // nothing would refer to an earlier surface afterwards
    int loadedWidth = 0, loadedHeight = 0;
    surface = LoadBitmapSurface(display->directDraw, fileName, &loadedWidth, &loadedHeight);
    if (!surface) return false;
    width = loadedWidth;
    height = loadedHeight;
    return true;
}

void Sprite::SetColorKey(COLORREF color) {
    if (!surface) return;
    SetSurfaceColorKey(surface, color);
    keyed = true;
}

HRESULT Sprite::Draw(int x, int y) {
    RECT source;
    SetRect(&source, 0, 0, width, height);
    if (!surface) return 0;
    // Loaded once and then given a null display: there is no back buffer to draw on.
    if (!display || !display->backBuffer) return 0;
    // The keyed blit waits for a busy blitter too; failing at once would cost
    // a reload from the file and a missing frame.
    const DWORD flags = keyed ? DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT : DDBLTFAST_WAIT;
    HRESULT result = display->backBuffer->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y),
                                                  surface, &source, flags);
    if (result == 0) return 0;
    // Not tried again: the sprite is missing from this frame only.
    return Reload();
}

HRESULT Sprite::Reload() { return ReloadBitmapSurface(surface, fileName); }

void Sprite::Release() {
    if (!surface) return;
    surface->Release();
    surface = nullptr;
}

// ---- Surface helpers ----------------------------------------------------------------

IDirectDrawSurface* LoadBitmapSurface(IDirectDraw* directDraw, const char* name, int* width,
                                      int* height) {
    HBITMAP bitmap = LoadBitmapFile(name);
    if (!bitmap) return nullptr;
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    if (width) *width = info.bmWidth;
    if (height) *height = info.bmHeight;
    IDirectDrawSurface* surface = CreateOffscreenSurface(directDraw, info.bmWidth, info.bmHeight);
    if (surface) CopyBitmapToSurface(surface, bitmap, info.bmWidth, info.bmHeight);
    DeleteObject(bitmap);
    return surface;
}

IDirectDrawSurface* CreateOffscreenSurface(IDirectDraw* directDraw, int width, int height) {
    if (!directDraw) return nullptr;
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.dwHeight = static_cast<DWORD>(height);
    desc.dwWidth = static_cast<DWORD>(width);
    // Offscreen alone: the platform chooses video or system memory.
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    IDirectDrawSurface* surface = nullptr;
    if (directDraw->CreateSurface(&desc, &surface, nullptr) != DD_OK) return nullptr;
    return surface;
}

HRESULT CopyBitmapToSurface(IDirectDrawSurface* surface, HBITMAP bitmap, int width, int height) {
    if (!surface) return E_FAIL;
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    HDC surfaceDC = nullptr;
    HRESULT result = surface->GetDC(&surfaceDC);
    if (result == DD_OK) {
        BitBlt(surfaceDC, 0, 0, width, height, memory, 0, 0, SRCCOPY);
        surface->ReleaseDC(surfaceDC);
    }
    SelectObject(memory, previous);
    DeleteDC(memory);
    return result;
}

HRESULT SetSurfaceColorKey(IDirectDrawSurface* surface, COLORREF color) {
    if (!surface) return E_FAIL;
    DDCOLORKEY key;
    // One colour, not a range; set even when the surface could not be read.
    key.dwColorSpaceLowValue = MatchSurfaceColor(surface, color);
    key.dwColorSpaceHighValue = key.dwColorSpaceLowValue;
    return surface->SetColorKey(DDCKEY_SRCBLT, &key);
}

// Lets GDI write the colour into pixel (0, 0) and reads back the raw value the
// surface stores for it, whatever its format; the pixel is put back after.
DWORD MatchSurfaceColor(IDirectDrawSurface* surface, COLORREF color) {
    DWORD result = 0xFFFFFFFF;
    if (!surface) return result;
    bool saved = false;
    COLORREF savedColor = 0;
    HDC dc = nullptr;
    if (color != CLR_INVALID && surface->GetDC(&dc) == DD_OK) {
        savedColor = GetPixel(dc, 0, 0);
        SetPixel(dc, 0, 0, color);
        surface->ReleaseDC(dc);
        saved = true;
    }

    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    HRESULT locked;
    while ((locked = surface->Lock(nullptr, &desc, 0, nullptr)) == DDERR_WASSTILLDRAWING) {
    }
    if (locked == DD_OK) {
        if (desc.lpSurface) {
            const unsigned char* p = static_cast<const unsigned char*>(desc.lpSurface);
            result = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<DWORD>(p[3]) << 24);
            const DWORD bits = desc.ddpfPixelFormat.dwRGBBitCount;
            if (bits < 32) result &= (DWORD{1} << bits) - 1;
        }
        surface->Unlock(nullptr);
    }

    if (saved && surface->GetDC(&dc) == DD_OK) {
        SetPixel(dc, 0, 0, savedColor);
        surface->ReleaseDC(dc);
    }
    return result;
}

HRESULT ReloadBitmapSurface(IDirectDrawSurface* surface, const char* name) {
    // A resource of the program first, then the file.
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap) bitmap = LoadBitmapFile(name);
    if (!bitmap) {
        OutputDebugStringA("handle is null\n");
        return E_FAIL;
    }
    HRESULT result = StretchBitmapToSurface(surface, bitmap, 0, 0, 0, 0);
    if (result != 0) OutputDebugStringA("ddcopybitmap failed\n");
    DeleteObject(bitmap);
    return result;
}

HRESULT StretchBitmapToSurface(IDirectDrawSurface* surface, HBITMAP bitmap, int x, int y,
                               int sourceWidth, int sourceHeight) {
    if (!bitmap || !surface) return E_FAIL;
    surface->Restore();
    HDC memory = CreateCompatibleDC(nullptr);
    if (!memory) OutputDebugStringA("createcompatible dc failed\n");
    SelectObject(memory, bitmap);
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    if (sourceWidth == 0) sourceWidth = info.bmWidth;
    if (sourceHeight == 0) sourceHeight = info.bmHeight;

    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_HEIGHT | DDSD_WIDTH;
    surface->GetSurfaceDesc(&desc);
    HDC surfaceDC = nullptr;
    HRESULT result = surface->GetDC(&surfaceDC);
    if (result == DD_OK) {
        StretchBlt(surfaceDC, 0, 0, static_cast<int>(desc.dwWidth), static_cast<int>(desc.dwHeight),
                   memory, x, y, sourceWidth, sourceHeight, SRCCOPY);
        surface->ReleaseDC(surfaceDC);
    }
    DeleteDC(memory);  // the bitmap goes out of it with the DC
    return result;
}
