// The GDI handle table, stock objects, DC lifetimes and object selection.
#include "port/src/gdi_objects.h"

#include <cstring>
#include <unordered_set>

#include "port/control.h"
#include "port/src/host.h"
#include "port/src/core.h"

namespace port {
namespace {

struct GdiState {
    std::unordered_set<GdiObject*> live;
    Pixmap screen;  // what the screen DC draws on: a 1 x 1 stand-in
};

void Forget();

GdiState& State() {
    static GdiState* state = [] {
        RegisterReset(&Forget);
        return new GdiState;
    }();
    return *state;
}

// Deletes every non-stock object; stock objects live on across tests.
void Forget() {
    GdiState& s = State();
    for (auto it = s.live.begin(); it != s.live.end();) {
        GdiObject* object = *it;
        if (object->stock) {
            object->selections = 0;
            ++it;
            continue;
        }
        it = s.live.erase(it);
        delete object;
    }
}

template <typename T>
T* MakeStock() {
    T* object = new T;
    RegisterStock(object);
    return object;
}

bool IsCounted(const GdiObject* object) { return !object->stock; }

void Count(const GdiObject* object, int delta) {
    if (!IsCounted(object)) return;
    LiveCounts& counts = Counters();
    if (object->kind == GdiKind::DC) counts.dcs += delta;
    else counts.gdiObjects += delta;
}

// Takes `object` out of a DC's slot, deleting it if its deletion was put off.
void Deselect(GdiObject* object) {
    if (!object) return;
    --object->selections;
    if (object->deletePending && object->selections <= 0) Destroy(object);
}

void Select(GdiObject* object) { ++object->selections; }

}  // namespace

void RegisterStock(GdiObject* object) {
    object->stock = true;
    State().live.insert(object);
}

HGDIOBJ Register(GdiObject* object) {
    State().live.insert(object);
    Count(object, +1);
    return object;
}

GdiObject* Lookup(HGDIOBJ handle) {
    if (!handle) return nullptr;
    GdiState& s = State();
    auto it = s.live.find(static_cast<GdiObject*>(handle));
    return it == s.live.end() ? nullptr : *it;
}

void Destroy(GdiObject* object) {
    if (!object || object->stock) return;
    if (State().live.erase(object) == 0) return;
    Count(object, -1);
    if (object->kind == GdiKind::DC) {
        DC* dc = static_cast<DC*>(object);
        Deselect(dc->brush);
        Deselect(dc->pen);
        Deselect(dc->font);
        Deselect(dc->bitmap);
    }
    delete object;
}

Brush* StockWhiteBrush() {
    static Brush* brush = [] {
        Brush* b = MakeStock<Brush>();
        b->color = 0xFFFFFF;
        return b;
    }();
    return brush;
}

Brush* StockBlackBrush() {
    static Brush* brush = MakeStock<Brush>();
    return brush;
}

Pen* StockBlackPen() {
    static Pen* pen = MakeStock<Pen>();
    return pen;
}

Bitmap* StockBitmap() {
    static Bitmap* bitmap = [] {
        Bitmap* b = MakeStock<Bitmap>();
        PixelFormat format;
        FormatForDepth(32, &format);
        b->pixels.Allocate(1, 1, format);
        return b;
    }();
    return bitmap;
}

DC* NewDC(DC::Origin origin, Pixmap* target) {
    DC* dc = new DC(origin);
    dc->target = target;
    if (origin == DC::Origin::Memory) {
        dc->bitmap = StockBitmap();
        dc->target = &dc->bitmap->pixels;
        Select(dc->bitmap);
    }
    dc->brush = StockWhiteBrush();
    dc->pen = StockBlackPen();
    dc->font = DefaultFont();
    Select(dc->brush);
    Select(dc->pen);
    if (dc->font) Select(dc->font);
    Register(dc);
    return dc;
}

}  // namespace port

using namespace port;

HGDIOBJ WINAPI GetStockObject(int object) {
    Injected("GetStockObject");
    if (object == BLACK_BRUSH) return StockBlackBrush();
    return nullptr;
}

HGDIOBJ WINAPI SelectObject(HDC dcHandle, HGDIOBJ handle) {
    if (Injected("SelectObject")) return nullptr;
    DC* dc = LookupDC(dcHandle);
    GdiObject* object = Lookup(handle);
    if (!dc || !object) return nullptr;
    GdiObject* previous = nullptr;
    switch (object->kind) {
    case GdiKind::Brush:
        previous = dc->brush;
        dc->brush = static_cast<Brush*>(object);
        break;
    case GdiKind::Pen:
        previous = dc->pen;
        dc->pen = static_cast<Pen*>(object);
        break;
    case GdiKind::Font:
        previous = dc->font;
        dc->font = static_cast<Font*>(object);
        break;
    case GdiKind::Bitmap: {
        // Only a memory DC takes a bitmap, and a bitmap sits in one DC at a time.
        Bitmap* bitmap = static_cast<Bitmap*>(object);
        if (dc->origin != DC::Origin::Memory) return nullptr;
        if (!bitmap->stock && bitmap->selections > 0 && dc->bitmap != bitmap) return nullptr;
        previous = dc->bitmap;
        dc->bitmap = bitmap;
        dc->target = &bitmap->pixels;
        break;
    }
    case GdiKind::DC:
        return nullptr;
    }
    if (previous == object) return previous;
    Select(object);
    // The previous object stays alive for the caller to select back or delete,
    // unless its deletion was put off until now.
    if (previous && --previous->selections <= 0 && previous->deletePending) {
        Destroy(previous);
        return nullptr;
    }
    return previous;
}

BOOL WINAPI DeleteObject(HGDIOBJ handle) {
    if (Injected("DeleteObject")) return FALSE;
    GdiObject* object = Lookup(handle);
    if (!object || object->kind == GdiKind::DC) return FALSE;
    if (object->stock) return TRUE;
    // Windows puts off deleting an object that a DC still has selected.
    if (object->selections > 0) {
        object->deletePending = true;
        return TRUE;
    }
    Destroy(object);
    return TRUE;
}

int WINAPI GetObjectA(HGDIOBJ handle, int size, LPVOID buffer) {
    if (Injected("GetObjectA")) return 0;
    Bitmap* bitmap = LookupAs<Bitmap>(handle, GdiKind::Bitmap);
    if (!bitmap) return 0;
    if (!buffer) return sizeof(BITMAP);
    if (size < static_cast<int>(sizeof(BITMAP))) return 0;
    BITMAP info;
    std::memset(&info, 0, sizeof info);
    info.bmWidth = bitmap->pixels.width;
    info.bmHeight = bitmap->pixels.height;
    info.bmWidthBytes = bitmap->pixels.pitch;
    info.bmPlanes = 1;
    info.bmBitsPixel = static_cast<WORD>(bitmap->pixels.format.bitsPerPixel);
    info.bmBits = bitmap->pixels.bits.data();
    std::memcpy(buffer, &info, sizeof info);
    return sizeof(BITMAP);
}

HDC WINAPI CreateCompatibleDC(HDC like) {
    if (Injected("CreateCompatibleDC")) return nullptr;
    if (like && !LookupDC(like)) return nullptr;
    return reinterpret_cast<HDC>(NewDC(DC::Origin::Memory, nullptr));
}

BOOL WINAPI DeleteDC(HDC handle) {
    if (Injected("DeleteDC")) return FALSE;
    DC* dc = LookupDC(handle);
    if (!dc || dc->origin != DC::Origin::Memory) return FALSE;
    Destroy(dc);
    return TRUE;
}

HDC WINAPI GetDC(HWND window) {
    if (Injected("GetDC")) return nullptr;
    // Only the screen's DC is handed out; the game never draws on its window.
    if (window) return nullptr;
    GdiState& s = State();
    if (s.screen.width == 0) {
        PixelFormat format;
        if (!FormatForDepth(CurrentHost().desktopBitsPerPixel(), &format)) FormatForDepth(32, &format);
        s.screen.Allocate(1, 1, format);
    }
    return reinterpret_cast<HDC>(NewDC(DC::Origin::Screen, &s.screen));
}

int WINAPI ReleaseDC(HWND, HDC handle) {
    if (Injected("ReleaseDC")) return 0;
    DC* dc = LookupDC(handle);
    if (!dc || dc->origin != DC::Origin::Screen) return 0;
    Destroy(dc);
    return 1;
}

int WINAPI GetDeviceCaps(HDC handle, int index) {
    if (Injected("GetDeviceCaps")) return 0;
    DC* dc = LookupDC(handle);
    if (!dc || index != BITSPIXEL) return 0;
    if (dc->origin == DC::Origin::Screen) return CurrentHost().desktopBitsPerPixel();
    return dc->target ? dc->target->format.bitsPerPixel : 1;
}
