// DirectDraw in software: see surface.h for the model, the failure names and
// the results of injected failures.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "port/control.h"
#include "port/src/host.h"
#include "port/src/blit.h"
#include "port/src/core.h"
#include "port/src/gdi_objects.h"
#include "port/src/surface.h"
#include "port/src/user.h"

namespace port {
namespace {

// The largest display mode SetDisplayMode accepts.
constexpr DWORD kMaxDisplaySide = 8192;

struct DirectDrawState {
    // Every object and surface not yet released, including those a reset retired.
    std::vector<DirectDrawObject*> objects;
    std::vector<Surface*> surfaces;
    bool background = false;  // the program has lost the foreground
};

void Forget();

DirectDrawState& State() {
    static DirectDrawState* state = [] {
        RegisterReset(&Forget);
        AddActivationListener(&DirectDrawActivation);
        return new DirectDrawState;
    }();
    return *state;
}

// A reset retires every object still held: they stop counting and every call
// on them fails, but the memory stays until the holder's last Release, so a
// pointer kept across the reset is still safe to release.
void Forget() {
    DirectDrawState& s = State();
    for (DirectDrawObject* object : s.objects) {
        object->counted = false;
        object->detached = true;
        object->surfaces.clear();
    }
    for (Surface* surface : s.surfaces) {
        surface->counted = false;
        surface->owner = nullptr;
        surface->dc = nullptr;  // GDI's reset forgets its DCs
        surface->locked = false;
        surface->pixels.bits = std::vector<uint8_t>();
        surface->spans = blit::Spans();
        ++surface->version;
    }
    s.background = false;
}

template <typename T>
void Erase(std::vector<T*>& list, T* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

unsigned Hex(HRESULT result) { return static_cast<unsigned>(result); }

Surface* AsSurface(IDirectDrawSurface* surface) { return static_cast<Surface*>(surface); }

// Whether `rect` is a non-empty rectangle inside a width x height surface.
bool Inside(const RECT& rect, int width, int height) {
    return rect.left >= 0 && rect.top >= 0 && rect.left < rect.right && rect.top < rect.bottom &&
           rect.right <= width && rect.bottom <= height;
}

bool Overlap(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

HDC HandleOf(DC* dc) { return reinterpret_cast<HDC>(static_cast<GdiObject*>(dc)); }

}  // namespace

void DirectDrawActivation(bool active) {
    DirectDrawState& s = State();
    s.background = !active;
    if (active) return;
    for (DirectDrawObject* object : s.objects)
        if (!object->detached && object->ExclusiveFullScreen()) object->LoseSurfaces();
}

// ---- Surface ------------------------------------------------------------------

const char* Surface::Name(char* buffer, size_t size) const {
    switch (kind) {
    case Kind::Primary:
        return "primary";
    case Kind::BackBuffer:
        return "backbuffer";
    case Kind::Offscreen:
        break;
    }
    std::snprintf(buffer, size, "offscreen %dx%d", pixels.width, pixels.height);
    return buffer;
}

ULONG Surface::AddRef() {
    ULONG count = ++refs;
    char name[40];
    Trace("AddRef(%s) -> %u", Name(name, sizeof name), count);
    return count;
}

ULONG Surface::Release() {
    char buffer[40];
    const char* name = Name(buffer, sizeof buffer);  // before the surface may go
    ULONG count = Drop();
    Trace("Release(%s) -> %u", name, count);
    return count;
}

ULONG Surface::Drop() {
    if (refs == 0) return 0;
    ULONG count = --refs;
    if (count == 0) Destroy();
    return count;
}

void Surface::Destroy() {
    if (dc) {
        if (DC* gdi = LookupDC(dc)) port::Destroy(gdi);
        dc = nullptr;
    }
    if (owner) Erase(owner->surfaces, this);
    if (front) front->backBuffer = nullptr;
    if (backBuffer) {
        Surface* back = backBuffer;
        backBuffer = nullptr;
        back->front = nullptr;
        back->Drop();  // the chain's own reference
    }
    if (counted) --Counters().surfaces;
    Erase(State().surfaces, this);
    delete this;
}

HRESULT Surface::Blt(LPRECT destRect, LPDIRECTDRAWSURFACE src, LPRECT srcRect, DWORD flags,
                     LPDDBLTFX fx) {
    HRESULT result = DD_OK;
    RECT area = {0, 0, pixels.width, pixels.height};
    if (Injected("Blt")) result = DDERR_SURFACELOST;
    else if (!owner) result = DDERR_INVALIDOBJECT;
    // Only colour fills: nothing here copies or stretches with Blt.
    else if (!(flags & DDBLT_COLORFILL) || (flags & ~(DDBLT_COLORFILL | DDBLT_WAIT)) || src ||
             srcRect || !fx || fx->dwSize != sizeof(DDBLTFX))
        result = DDERR_INVALIDPARAMS;
    else if (lost) result = DDERR_SURFACELOST;
    else if (Busy()) result = DDERR_SURFACEBUSY;
    else if (destRect && !Inside(*destRect, pixels.width, pixels.height))
        result = DDERR_INVALIDRECT;
    if (result == DD_OK) {
        if (destRect) area = *destRect;
        blit::Fill(pixels, area.left, area.top, area.right, area.bottom, fx->dwFillColor);
        ++version;
    }
    char name[40];
    Trace("Blt(%s, 0x%x) -> 0x%x", Name(name, sizeof name), flags, Hex(result));
    return result;
}

HRESULT Surface::BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE src, LPRECT srcRect, DWORD trans) {
    HRESULT result =
        Injected("BltFast") ? DDERR_SURFACELOST : DoBltFast(x, y, AsSurface(src), srcRect, trans);
    if (TraceEnabled()) {
        char name[40], srcName[40];
        Trace("BltFast(%s, %d, %d, %s, 0x%x) -> 0x%x", Name(name, sizeof name), static_cast<int>(x),
              static_cast<int>(y), src ? AsSurface(src)->Name(srcName, sizeof srcName) : "null",
              trans, Hex(result));
    }
    return result;
}

HRESULT Surface::DoBltFast(DWORD x, DWORD y, Surface* src, const RECT* srcRect, DWORD trans) {
    if (!src || (trans & ~(DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT))) return DDERR_INVALIDPARAMS;
    if (!owner || !src->owner) return DDERR_INVALIDOBJECT;
    if (lost || src->lost) return DDERR_SURFACELOST;
    if (Busy() || src->Busy()) return DDERR_SURFACEBUSY;
    RECT from = {0, 0, src->pixels.width, src->pixels.height};
    if (srcRect) from = *srcRect;
    if (!Inside(from, src->pixels.width, src->pixels.height)) return DDERR_INVALIDRECT;
    const int64_t w = from.right - from.left, h = from.bottom - from.top;
    if (static_cast<int64_t>(x) + w > pixels.width || static_cast<int64_t>(y) + h > pixels.height)
        return DDERR_INVALIDRECT;
    if (!(src->pixels.format == pixels.format)) return DDERR_INVALIDPIXELFORMAT;

    const int dx = static_cast<int>(x), dy = static_cast<int>(y);
    const Pixmap* source = &src->pixels;
    Pixmap aside;  // an overlapping block of the same surface, copied out first
    const RECT to = {dx, dy, dx + static_cast<LONG>(w), dy + static_cast<LONG>(h)};
    if (src == this && Overlap(from, to)) {
        try {
            aside.Allocate(static_cast<int>(w), static_cast<int>(h), pixels.format);
        } catch (const std::bad_alloc&) {
            return DDERR_OUTOFMEMORY;
        }
        blit::Copy(aside, 0, 0, pixels, from.left, from.top, aside.width, aside.height);
        source = &aside;
        from = {0, 0, aside.width, aside.height};
    }
    const blit::Spans* runs = nullptr;
    if ((trans & DDBLTFAST_SRCCOLORKEY) && src->keyed && source == &src->pixels)
        runs = src->KeySpans();
    if (runs)
        blit::CopySpans(pixels, dx, dy, *source, *runs, from.left, from.top, static_cast<int>(w),
                        static_cast<int>(h));
    else if ((trans & DDBLTFAST_SRCCOLORKEY) && src->keyed)
        blit::CopyKeyed(pixels, dx, dy, *source, from.left, from.top, static_cast<int>(w),
                        static_cast<int>(h), src->colorKey);
    else
        blit::Copy(pixels, dx, dy, *source, from.left, from.top, static_cast<int>(w),
                   static_cast<int>(h));
    ++version;
    return DD_OK;
}

const blit::Spans* Surface::KeySpans() {
    if (spansVersion != version || spansKey != colorKey) {
        spansVersion = version;
        spansKey = colorKey;
        try {
            spansUsable = spans.Build(pixels, colorKey);
        } catch (const std::bad_alloc&) {
            spansUsable = false;
        }
    }
    return spansUsable ? &spans : nullptr;
}

HRESULT Surface::Flip(LPDIRECTDRAWSURFACE target, DWORD flags) {
    HRESULT result = Injected("Flip") ? DDERR_SURFACELOST : DoFlip(AsSurface(target), flags);
    Trace("Flip(0x%x) -> 0x%x", flags, Hex(result));
    return result;
}

HRESULT Surface::DoFlip(Surface* target, DWORD flags) {
    if (!owner) return DDERR_INVALIDOBJECT;
    if (kind != Kind::Primary || !backBuffer) return DDERR_NOTFLIPPABLE;
    if ((flags & ~DDFLIP_WAIT) || (target && target != backBuffer)) return DDERR_INVALIDPARAMS;
    if (!owner->ExclusiveFullScreen()) return DDERR_NOEXCLUSIVEMODE;
    if (lost || backBuffer->lost) return DDERR_SURFACELOST;
    if (Busy() || backBuffer->Busy()) return DDERR_SURFACEBUSY;
    // The back buffer becomes the front and the old front the next back buffer.
    std::swap(pixels.bits, backBuffer->pixels.bits);
    ++version;
    ++backBuffer->version;
    const Host& host = CurrentHost();
    host.present(pixels.bits.data(), pixels.width, pixels.height, pixels.pitch,
                 pixels.format.bitsPerPixel);
    if (flags & DDFLIP_WAIT) host.waitVerticalBlank();
    return DD_OK;
}

HRESULT Surface::GetAttachedSurface(LPDDSCAPS caps, LPDIRECTDRAWSURFACE* surface) {
    HRESULT result = DD_OK;
    if (surface) *surface = nullptr;
    if (Injected("GetAttachedSurface")) result = DDERR_NOTFOUND;
    else if (!caps || !surface) result = DDERR_INVALIDPARAMS;
    else if (!owner) result = DDERR_INVALIDOBJECT;
    else if (kind != Kind::Primary || !backBuffer || !(caps->dwCaps & DDSCAPS_BACKBUFFER) ||
             (caps->dwCaps & ~(DDSCAPS_BACKBUFFER | DDSCAPS_FLIP | DDSCAPS_COMPLEX)))
        result = DDERR_NOTFOUND;
    if (result == DD_OK) {
        *surface = backBuffer;
        ++backBuffer->refs;
    }
    char name[40];
    Trace("GetAttachedSurface(%s, 0x%x) -> 0x%x", Name(name, sizeof name), caps ? caps->dwCaps : 0,
          Hex(result));
    return result;
}

HRESULT Surface::GetDC(HDC* handle) {
    HRESULT result = Injected("IDirectDrawSurface::GetDC") ? DDERR_CANTCREATEDC : DoGetDC(handle);
    if (result != DD_OK && handle) *handle = nullptr;
    char name[40];
    Trace("IDirectDrawSurface::GetDC(%s) -> 0x%x", Name(name, sizeof name), Hex(result));
    return result;
}

HRESULT Surface::DoGetDC(HDC* handle) {
    if (!handle) return DDERR_INVALIDPARAMS;
    if (!owner) return DDERR_INVALIDOBJECT;
    if (lost) return DDERR_SURFACELOST;
    if (dc) return DDERR_DCALREADYCREATED;
    if (locked) return DDERR_SURFACEBUSY;
    dc = HandleOf(NewDC(DC::Origin::Surface, &pixels));
    ++version;  // GDI may draw until ReleaseDC
    *handle = dc;
    return DD_OK;
}

HRESULT Surface::ReleaseDC(HDC handle) {
    HRESULT result =
        Injected("IDirectDrawSurface::ReleaseDC") ? DDERR_GENERIC : DoReleaseDC(handle);
    char name[40];
    Trace("IDirectDrawSurface::ReleaseDC(%s) -> 0x%x", Name(name, sizeof name), Hex(result));
    return result;
}

// Also works on a surface whose DirectDraw object is gone, so that a DC
// never outlives its pixels.
HRESULT Surface::DoReleaseDC(HDC handle) {
    if (!dc) return DDERR_NODC;
    if (handle != dc) return DDERR_INVALIDPARAMS;
    if (DC* gdi = LookupDC(dc)) port::Destroy(gdi);
    dc = nullptr;
    return DD_OK;
}

void Surface::Describe(DDSURFACEDESC* desc) const {
    const DWORD size = desc->dwSize;
    std::memset(desc, 0, sizeof *desc);
    desc->dwSize = size;
    desc->dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc->dwWidth = static_cast<DWORD>(pixels.width);
    desc->dwHeight = static_cast<DWORD>(pixels.height);
    desc->lPitch = pixels.pitch;
    DDPIXELFORMAT& pf = desc->ddpfPixelFormat;
    pf.dwSize = sizeof(DDPIXELFORMAT);
    pf.dwFlags = DDPF_RGB;
    pf.dwRGBBitCount = static_cast<DWORD>(pixels.format.bitsPerPixel);
    pf.dwRBitMask = pixels.format.redMask;
    pf.dwGBitMask = pixels.format.greenMask;
    pf.dwBBitMask = pixels.format.blueMask;
    switch (kind) {
    case Kind::Primary:
        desc->dwFlags |= DDSD_BACKBUFFERCOUNT;
        desc->dwBackBufferCount = 1;
        desc->ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FRONTBUFFER | DDSCAPS_FLIP |
                               DDSCAPS_COMPLEX | DDSCAPS_SYSTEMMEMORY;
        break;
    case Kind::BackBuffer:
        desc->ddsCaps.dwCaps =
            DDSCAPS_BACKBUFFER | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_SYSTEMMEMORY;
        break;
    case Kind::Offscreen:
        desc->ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        break;
    }
}

HRESULT Surface::GetSurfaceDesc(LPDDSURFACEDESC desc) {
    HRESULT result = DD_OK;
    if (Injected("GetSurfaceDesc")) result = DDERR_GENERIC;
    else if (!desc || desc->dwSize != sizeof(DDSURFACEDESC)) result = DDERR_INVALIDPARAMS;
    else if (!owner) result = DDERR_INVALIDOBJECT;
    else Describe(desc);
    char name[40];
    Trace("GetSurfaceDesc(%s) -> 0x%x", Name(name, sizeof name), Hex(result));
    return result;
}

HRESULT Surface::Lock(LPRECT rect, LPDDSURFACEDESC desc, DWORD, HANDLE) {
    HRESULT result = Injected("Lock") ? DDERR_WASSTILLDRAWING : DoLock(rect, desc);
    char name[40];
    Trace("Lock(%s) -> 0x%x", Name(name, sizeof name), Hex(result));
    return result;
}

HRESULT Surface::DoLock(const RECT* rect, LPDDSURFACEDESC desc) {
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
    if (!owner) return DDERR_INVALIDOBJECT;
    if (lost) return DDERR_SURFACELOST;
    if (Busy()) return DDERR_SURFACEBUSY;
    RECT area = {0, 0, pixels.width, pixels.height};
    if (rect) area = *rect;
    if (!Inside(area, pixels.width, pixels.height)) return DDERR_INVALIDRECT;
    Describe(desc);
    desc->dwFlags |= DDSD_LPSURFACE;
    desc->lpSurface = pixels.Row(area.top) + area.left * pixels.format.BytesPerPixel();
    locked = true;
    ++version;  // the caller may write until Unlock
    return DD_OK;
}

// Also works on a surface whose DirectDraw object is gone.
HRESULT Surface::Unlock(LPVOID) {
    HRESULT result = DD_OK;
    if (Injected("Unlock")) result = DDERR_GENERIC;
    else if (!locked) result = DDERR_NOTLOCKED;
    else locked = false;
    char name[40];
    Trace("Unlock(%s) -> 0x%x", Name(name, sizeof name), Hex(result));
    return result;
}

HRESULT Surface::Restore() {
    HRESULT result = Injected("Restore") ? DDERR_WRONGMODE : DoRestore();
    char name[40];
    Trace("Restore(%s) -> 0x%x", Name(name, sizeof name), Hex(result));
    return result;
}

// A flip chain is restored whole, from either of its surfaces. A restored
// surface's pixels are gone: it comes back filled with kRestoredByte.
HRESULT Surface::DoRestore() {
    if (!owner) return DDERR_INVALIDOBJECT;
    Surface* chain[2] = {this, nullptr};
    if (kind == Kind::Primary) chain[1] = backBuffer;
    if (kind == Kind::BackBuffer && front) chain[0] = front, chain[1] = this;
    bool anyLost = false;
    for (Surface* s : chain) anyLost |= s && s->lost;
    if (!anyLost) return DD_OK;
    if (State().background && owner->ExclusiveFullScreen()) return DDERR_WRONGMODE;
    // A surface made for another display mode cannot come back in this one.
    PixelFormat now;
    if (!owner->CurrentFormat(&now) || !(now == pixels.format)) return DDERR_WRONGMODE;
    if (kind != Kind::Offscreen &&
        (pixels.width != owner->DisplayWidth() || pixels.height != owner->DisplayHeight()))
        return DDERR_WRONGMODE;
    for (Surface* s : chain) {
        if (!s || !s->lost) continue;
        s->lost = false;
        std::fill(s->pixels.bits.begin(), s->pixels.bits.end(), kRestoredByte);
        ++s->version;
    }
    return DD_OK;
}

HRESULT Surface::SetColorKey(DWORD flags, LPDDCOLORKEY key) {
    HRESULT result = DD_OK;
    if (Injected("SetColorKey")) result = DDERR_GENERIC;
    else if (!owner) result = DDERR_INVALIDOBJECT;
    else if (flags != DDCKEY_SRCBLT) result = DDERR_INVALIDPARAMS;
    else if (!key) keyed = false;  // no key: blits copy every pixel
    else {
        keyed = true;
        colorKey = key->dwColorSpaceLowValue;  // a single value, not a range
    }
    char name[40];
    Trace("SetColorKey(%s, 0x%x, 0x%x) -> 0x%x", Name(name, sizeof name), flags,
          key ? key->dwColorSpaceLowValue : 0, Hex(result));
    return result;
}

// ---- DirectDraw object ----------------------------------------------------------

bool DirectDrawObject::ExclusiveFullScreen() const {
    return (level & (DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN)) == (DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
}

bool DirectDrawObject::CurrentFormat(PixelFormat* out) const {
    if (modeSet) {
        *out = format;
        return true;
    }
    return FormatForDepth(CurrentHost().desktopBitsPerPixel(), out);
}

void DirectDrawObject::LoseSurfaces() {
    for (Surface* surface : surfaces) surface->lost = true;
}

ULONG DirectDrawObject::AddRef() {
    ULONG count = ++refs;
    Trace("AddRef(DirectDraw) -> %u", count);
    return count;
}

ULONG DirectDrawObject::Release() {
    if (refs == 0) return 0;
    ULONG count = --refs;
    Trace("Release(DirectDraw) -> %u", count);
    if (count > 0) return count;
    // Its surfaces live on until their own Release, cut off from it.
    for (Surface* surface : surfaces) surface->owner = nullptr;
    if (counted) --Counters().comObjects;
    Erase(State().objects, this);
    delete this;
    return 0;
}

HRESULT DirectDrawObject::SetCooperativeLevel(HWND handle, DWORD flags) {
    HRESULT result = DD_OK;
    const DWORD known = DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_NORMAL | DDSCL_EXCLUSIVE;
    const bool normal = flags & DDSCL_NORMAL;
    const bool exclusive = flags & DDSCL_EXCLUSIVE;
    const bool fullScreen = flags & DDSCL_FULLSCREEN;
    if (Injected("SetCooperativeLevel")) result = DDERR_GENERIC;
    else if (detached) result = DDERR_INVALIDOBJECT;
    else if ((flags & ~known) || normal == exclusive || fullScreen != exclusive ||
             (exclusive && !handle))
        result = DDERR_INVALIDPARAMS;
    if (result == DD_OK) {
        window = handle;
        level = flags;
        if (!exclusive) modeSet = false;  // leaving full-screen gives the desktop its mode back
    }
    Trace("SetCooperativeLevel(0x%x) -> 0x%x", flags, Hex(result));
    return result;
}

HRESULT DirectDrawObject::SetDisplayMode(DWORD w, DWORD h, DWORD bpp) {
    HRESULT result = DD_OK;
    PixelFormat wanted;
    if (Injected("SetDisplayMode")) result = DDERR_INVALIDMODE;
    else if (detached) result = DDERR_INVALIDOBJECT;
    else if (!ExclusiveFullScreen()) result = DDERR_NOEXCLUSIVEMODE;
    else if (w == 0 || h == 0 || w > kMaxDisplaySide || h > kMaxDisplaySide ||
             !FormatForDepth(static_cast<int>(bpp), &wanted))
        result = DDERR_INVALIDMODE;
    if (result == DD_OK) {
        const bool changed = !modeSet || width != static_cast<int>(w) ||
                             height != static_cast<int>(h) || !(format == wanted);
        // A change of mode takes every surface's memory.
        if (changed) LoseSurfaces();
        modeSet = true;
        width = static_cast<int>(w);
        height = static_cast<int>(h);
        format = wanted;
    }
    Trace("SetDisplayMode(%u, %u, %u) -> 0x%x", w, h, bpp, Hex(result));
    return result;
}

HRESULT DirectDrawObject::GetMonitorFrequency(LPDWORD frequency) {
    HRESULT result = DD_OK;
    if (Injected("GetMonitorFrequency")) result = DDERR_UNSUPPORTED;
    else if (!frequency) result = DDERR_INVALIDPARAMS;
    else if (detached) result = DDERR_INVALIDOBJECT;
    if (result == DD_OK) *frequency = kRefreshRate;
    Trace("GetMonitorFrequency() -> 0x%x", Hex(result));
    return result;
}

HRESULT DirectDrawObject::CreateSurface(LPDDSURFACEDESC desc, LPDIRECTDRAWSURFACE* surface,
                                        IUnknown* outer) {
    HRESULT result = DD_OK;
    if (surface) *surface = nullptr;
    if (Injected("CreateSurface")) result = DDERR_OUTOFMEMORY;
    else if (!surface || outer) result = DDERR_INVALIDPARAMS;
    else {
        // Making a surface, and the picture that usually goes with it, is a
        // long piece of the program's start.
        CurrentHost().letSystemRun();
        result = DoCreateSurface(desc, surface);
    }
    if (TraceEnabled()) {
        char what[48] = "null";
        if (desc && (desc->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE))
            std::snprintf(what, sizeof what, "primary");
        else if (desc && (desc->ddsCaps.dwCaps & DDSCAPS_OFFSCREENPLAIN))
            std::snprintf(what, sizeof what, "offscreen %ux%u", desc->dwWidth, desc->dwHeight);
        else if (desc) std::snprintf(what, sizeof what, "caps 0x%x", desc->ddsCaps.dwCaps);
        Trace("CreateSurface(%s) -> 0x%x", what, Hex(result));
    }
    return result;
}

HRESULT DirectDrawObject::DoCreateSurface(const DDSURFACEDESC* desc, LPDIRECTDRAWSURFACE* out) {
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC) || !(desc->dwFlags & DDSD_CAPS))
        return DDERR_INVALIDPARAMS;
    if (detached) return DDERR_INVALIDOBJECT;
    if (level == 0) return DDERR_NOCOOPERATIVELEVELSET;
    PixelFormat now;
    if (!CurrentFormat(&now)) return DDERR_INVALIDPIXELFORMAT;
    if (desc->dwFlags & DDSD_PIXELFORMAT) {
        const DDPIXELFORMAT& pf = desc->ddpfPixelFormat;
        if (!(pf.dwFlags & DDPF_RGB) || pf.dwRGBBitCount != static_cast<DWORD>(now.bitsPerPixel) ||
            pf.dwRBitMask != now.redMask || pf.dwGBitMask != now.greenMask ||
            pf.dwBBitMask != now.blueMask)
            return DDERR_INVALIDPIXELFORMAT;
    }
    Surface* made = nullptr;
    HRESULT result = DDERR_INVALIDCAPS;
    try {
        if (desc->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE)
            result = MakeFlipChain(*desc, now, &made);
        else if (desc->ddsCaps.dwCaps & DDSCAPS_OFFSCREENPLAIN)
            result = MakeOffscreen(*desc, now, &made);
    } catch (const std::bad_alloc&) {
        if (made) made->Drop();
        return DDERR_OUTOFMEMORY;
    }
    if (result != DD_OK) return result;
    *out = made;
    return DD_OK;
}

namespace {

// A new surface, listed and counted; its pixels are not yet allocated.
Surface* NewSurface(Surface::Kind kind, DirectDrawObject* owner) {
    Surface* surface = new Surface(kind, owner);
    owner->surfaces.push_back(surface);
    State().surfaces.push_back(surface);
    ++Counters().surfaces;
    return surface;
}

}  // namespace

HRESULT DirectDrawObject::MakeFlipChain(const DDSURFACEDESC& desc, const PixelFormat& pf,
                                        Surface** out) {
    const DWORD chainCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    const DWORD memoryCaps = DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY;
    // Only the flip chain with one back buffer, at the display's size.
    if ((desc.ddsCaps.dwCaps & ~memoryCaps) != chainCaps) return DDERR_INVALIDCAPS;
    if (!(desc.dwFlags & DDSD_BACKBUFFERCOUNT) || desc.dwBackBufferCount != 1 ||
        (desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)))
        return DDERR_INVALIDPARAMS;
    if (!ExclusiveFullScreen()) return DDERR_NOEXCLUSIVEMODE;
    for (const Surface* s : surfaces)
        if (s->kind == Surface::Kind::Primary) return DDERR_PRIMARYSURFACEALREADYEXISTS;
    // From here on a failure to allocate is caught by the caller, which drops
    // the primary and with it the back buffer.
    Surface* primary = NewSurface(Surface::Kind::Primary, this);
    *out = primary;
    Surface* back = NewSurface(Surface::Kind::BackBuffer, this);
    primary->backBuffer = back;
    back->front = primary;
    primary->pixels.Allocate(DisplayWidth(), DisplayHeight(), pf);
    back->pixels.Allocate(DisplayWidth(), DisplayHeight(), pf);
    return DD_OK;
}

HRESULT DirectDrawObject::MakeOffscreen(const DDSURFACEDESC& desc, const PixelFormat& pf,
                                        Surface** out) {
    const DWORD memoryCaps = DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY;
    if ((desc.ddsCaps.dwCaps & ~memoryCaps) != DDSCAPS_OFFSCREENPLAIN) return DDERR_INVALIDCAPS;
    if ((desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT) ||
        desc.dwWidth == 0 || desc.dwHeight == 0 || desc.dwWidth > kMaxPixmapSide ||
        desc.dwHeight > kMaxPixmapSide)
        return DDERR_INVALIDPARAMS;
    Surface* surface = NewSurface(Surface::Kind::Offscreen, this);
    *out = surface;
    surface->pixels.Allocate(static_cast<int>(desc.dwWidth), static_cast<int>(desc.dwHeight), pf);
    return DD_OK;
}

}  // namespace port

using namespace port;

HRESULT WINAPI DirectDrawCreate(GUID* driver, LPDIRECTDRAW* directDraw, IUnknown* outer) {
    HRESULT result = DD_OK;
    if (directDraw) *directDraw = nullptr;
    if (Injected("DirectDrawCreate")) result = DDERR_GENERIC;
    // Only the default driver, and no aggregation.
    else if (!directDraw || driver || outer) result = DDERR_INVALIDPARAMS;
    if (result == DD_OK) {
        DirectDrawObject* object = new DirectDrawObject;
        State().objects.push_back(object);
        ++Counters().comObjects;
        *directDraw = object;
    }
    Trace("DirectDrawCreate() -> 0x%x", Hex(result));
    return result;
}
