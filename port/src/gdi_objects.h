// GDI objects and device contexts, and the handle table that checks every
// handle before it is used: a stale or foreign handle is refused, never followed.
#pragma once

#include <string>

#include "port/include/windows.h"
#include "port/src/pixels.h"

namespace port {

enum class GdiKind { Brush, Pen, Font, Bitmap, DC };

struct GdiObject {
    explicit GdiObject(GdiKind k) : kind(k) {}
    virtual ~GdiObject() = default;
    const GdiKind kind;
    bool stock = false;   // stock objects are never deleted
    int selections = 0;   // how many DCs have it selected
    bool deletePending = false;  // deleted while selected: goes when deselected
};

struct Brush : GdiObject {
    Brush() : GdiObject(GdiKind::Brush) {}
    COLORREF color = 0;
};

struct Pen : GdiObject {
    Pen() : GdiObject(GdiKind::Pen) {}
    int style = PS_SOLID;
    int width = 1;
    COLORREF color = 0;
};

// A font as CreateFontA asked for it; `face` is its FreeType face, size and
// glyph cache, made and freed by fonts.cpp.
struct Font : GdiObject {
    Font() : GdiObject(GdiKind::Font) {}
    ~Font() override;
    struct Face;
    Face* face = nullptr;
    std::string faceName;
    int height = 0;
    int weight = 0;
    bool antialiased = true;
};

// A DIB section: pixels in memory, selectable into a memory DC.
struct Bitmap : GdiObject {
    Bitmap() : GdiObject(GdiKind::Bitmap) {}
    Pixmap pixels;
    int sourceBitsPerPixel = 32;  // the file's depth, reported by GetObjectA
};

// A device context draws on `target`: a surface's pixels (IDirectDrawSurface::GetDC),
// the bitmap selected into a memory DC, or the screen's pixels.
struct DC : GdiObject {
    enum class Origin { Screen, Memory, Surface };
    explicit DC(Origin o) : GdiObject(GdiKind::DC), origin(o) {}
    const Origin origin;
    Pixmap* target = nullptr;
    Brush* brush = nullptr;
    Pen* pen = nullptr;
    Font* font = nullptr;
    Bitmap* bitmap = nullptr;  // memory DCs: the selected bitmap
    COLORREF textColor = 0x000000;
    COLORREF bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
};

// Adds an object to the table (counting it) and returns its handle.
HGDIOBJ Register(GdiObject* object);
// The live object behind a handle, or null when the handle is not one of ours
// or is of another kind.
GdiObject* Lookup(HGDIOBJ handle);
template <typename T>
T* LookupAs(HGDIOBJ handle, GdiKind kind) {
    GdiObject* object = Lookup(handle);
    return object && object->kind == kind ? static_cast<T*>(object) : nullptr;
}
inline DC* LookupDC(HDC dc) { return LookupAs<DC>(dc, GdiKind::DC); }
// Removes an object from the table and deletes it (uncounting it).
void Destroy(GdiObject* object);

// Adds a stock object: in the table for good, never counted or deleted.
void RegisterStock(GdiObject* object);

// The stock objects every new DC starts with.
Brush* StockWhiteBrush();
Brush* StockBlackBrush();
Pen* StockBlackPen();
Bitmap* StockBitmap();  // 1 x 1, what a memory DC holds before a bitmap is selected
Font* DefaultFont();    // the DC's default font, a stock object (fonts.cpp)

// A new DC on `target` with the default objects selected; registered and counted.
DC* NewDC(DC::Origin origin, Pixmap* target);

}  // namespace port
