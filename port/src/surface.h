// DirectDraw in software: the DirectDraw object and its surfaces.
//
// Surfaces hold pixels in the display's format (16 bpp RGB565, 24 bpp packed
// BGR, 32 bpp XRGB8888). A flip chain is a primary with one back buffer; the
// primary holds one reference on its back buffer. Surfaces do not hold their
// DirectDraw object: when it goes, they stay alive until their own Release,
// and every other call on them fails with DDERR_INVALIDOBJECT.
//
// Names for FailCall and the trace: DirectDrawCreate, SetCooperativeLevel,
// SetDisplayMode, GetMonitorFrequency, CreateSurface, GetAttachedSurface, Blt,
// BltFast, Flip, Restore, Lock, Unlock, GetSurfaceDesc, SetColorKey, and
// IDirectDrawSurface::GetDC / IDirectDrawSurface::ReleaseDC (GDI has its own
// GetDC). An injected failure changes nothing and returns what Windows would:
//   Blt, BltFast, Flip        DDERR_SURFACELOST
//   Lock                      DDERR_WASSTILLDRAWING (a caller's retry loop)
//   CreateSurface             DDERR_OUTOFMEMORY
//   SetDisplayMode            DDERR_INVALIDMODE
//   GetMonitorFrequency       DDERR_UNSUPPORTED (a driver that does not know)
//   GetAttachedSurface        DDERR_NOTFOUND
//   Restore                   DDERR_WRONGMODE
//   IDirectDrawSurface::GetDC DDERR_CANTCREATEDC
//   the others                DDERR_GENERIC
// Trace lines name surfaces "primary", "backbuffer" or "offscreen WxH", e.g.
// "Flip(0x1) -> 0x0", "BltFast(backbuffer, 10, 20, offscreen 106x82, 0x1) -> 0x0",
// "Release(primary) -> 0", "Release(DirectDraw) -> 0".
#pragma once

#include <cstdint>
#include <vector>

#include "port/include/ddraw.h"
#include "port/src/blit.h"
#include "port/src/pixels.h"

namespace port {

class DirectDrawObject;

class Surface final : public IDirectDrawSurface {
public:
    enum class Kind { Primary, BackBuffer, Offscreen };

    Surface(Kind kind, DirectDrawObject* owner) : kind(kind), owner(owner) {}

    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE Blt(LPRECT destRect, LPDIRECTDRAWSURFACE src, LPRECT srcRect,
                                  DWORD flags, LPDDBLTFX fx) override;
    HRESULT STDMETHODCALLTYPE BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE src, LPRECT srcRect,
                                      DWORD trans) override;
    HRESULT STDMETHODCALLTYPE Flip(LPDIRECTDRAWSURFACE target, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE GetAttachedSurface(LPDDSCAPS caps,
                                                 LPDIRECTDRAWSURFACE* surface) override;
    HRESULT STDMETHODCALLTYPE GetDC(HDC* dc) override;
    HRESULT STDMETHODCALLTYPE GetSurfaceDesc(LPDDSURFACEDESC desc) override;
    HRESULT STDMETHODCALLTYPE Lock(LPRECT rect, LPDDSURFACEDESC desc, DWORD flags,
                                   HANDLE event) override;
    HRESULT STDMETHODCALLTYPE ReleaseDC(HDC dc) override;
    HRESULT STDMETHODCALLTYPE Restore() override;
    HRESULT STDMETHODCALLTYPE SetColorKey(DWORD flags, LPDDCOLORKEY key) override;
    HRESULT STDMETHODCALLTYPE Unlock(LPVOID surfaceData) override;

    const Kind kind;
    ULONG refs = 1;
    DirectDrawObject* owner;        // null once the DirectDraw object is gone
    Surface* backBuffer = nullptr;  // a primary's back buffer (one reference held)
    Surface* front = nullptr;       // a back buffer's primary, while it lives
    Pixmap pixels;
    bool lost = false;
    bool locked = false;
    HDC dc = nullptr;  // the GDI DC handed out by GetDC, until ReleaseDC
    bool keyed = false;
    uint32_t colorKey = 0;
    bool counted = true;  // in Counters().surfaces (false after a reset)

    // Keyed blits from this surface copy runs found once per content and key.
    // Everything that can change the pixels bumps `version`.
    uint64_t version = 0;
    uint64_t spansVersion = UINT64_MAX;
    uint32_t spansKey = 0;
    bool spansUsable = false;
    blit::Spans spans;

    // "primary", "backbuffer" or "offscreen WxH", for the trace.
    const char* Name(char* buffer, size_t size) const;
    bool Busy() const { return locked || dc != nullptr; }
    // Drops one reference without tracing; deletes at zero.
    ULONG Drop();
    // The runs of the current pixels for the current key, or null when the
    // per-pixel keyed copy is the better choice.
    const blit::Spans* KeySpans();

private:
    ~Surface() = default;
    HRESULT DoBltFast(DWORD x, DWORD y, Surface* src, const RECT* srcRect, DWORD trans);
    HRESULT DoFlip(Surface* target, DWORD flags);
    HRESULT DoRestore();
    HRESULT DoLock(const RECT* rect, LPDDSURFACEDESC desc);
    HRESULT DoGetDC(HDC* dc);
    HRESULT DoReleaseDC(HDC dc);
    void Describe(DDSURFACEDESC* desc) const;
    void Destroy();
};

class DirectDrawObject final : public IDirectDraw {
public:
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateSurface(LPDDSURFACEDESC desc, LPDIRECTDRAWSURFACE* surface,
                                            IUnknown* outer) override;
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE SetDisplayMode(DWORD width, DWORD height, DWORD bpp) override;
    HRESULT STDMETHODCALLTYPE GetMonitorFrequency(LPDWORD frequency) override;

    ULONG refs = 1;
    HWND window = nullptr;
    DWORD level = 0;  // the cooperative-level flags; 0 before SetCooperativeLevel
    bool modeSet = false;
    int width = 0;
    int height = 0;
    PixelFormat format;              // the display mode's, once set
    std::vector<Surface*> surfaces;  // every surface made here and not yet released
    bool counted = true;             // in Counters().comObjects (false after a reset)
    bool detached = false;           // a reset has retired it: every call fails

    bool ExclusiveFullScreen() const;
    // The format new surfaces take: the display mode's, or the desktop's.
    bool CurrentFormat(PixelFormat* format) const;
    // The size of the flip chain: the display mode's (640 x 480 before one is set).
    int DisplayWidth() const { return modeSet ? width : 640; }
    int DisplayHeight() const { return modeSet ? height : 480; }
    void LoseSurfaces();

private:
    ~DirectDrawObject() = default;
    HRESULT DoCreateSurface(const DDSURFACEDESC* desc, LPDIRECTDRAWSURFACE* surface);
    HRESULT MakeFlipChain(const DDSURFACEDESC& desc, const PixelFormat& format, Surface** out);
    HRESULT MakeOffscreen(const DDSURFACEDESC& desc, const PixelFormat& format, Surface** out);
};

// What losing (false) or regaining (true) the foreground does to DirectDraw:
// in exclusive full-screen mode every surface is lost. The window manager
// calls it through its activation listeners.
void DirectDrawActivation(bool active);

// The bytes a restored surface is filled with: its old pixels are gone.
constexpr uint8_t kRestoredByte = 0xCD;

}  // namespace port
