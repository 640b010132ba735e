// A DC on a pixmap of its own, filled with one colour: what the drawing and
// text tests draw on and read back.
#pragma once

#include "port/src/gdi_objects.h"

class PixmapCanvas {
public:
    PixmapCanvas(int width, int height, int bitsPerPixel, COLORREF paper) {
        port::PixelFormat format;
        port::FormatForDepth(bitsPerPixel, &format);
        pixels.Allocate(width, height, format);
        pixels.Fill(0, 0, width, height, port::ColorToPixel(paper, format));
        dc = port::NewDC(port::DC::Origin::Surface, &pixels);
    }
    ~PixmapCanvas() { port::Destroy(dc); }
    PixmapCanvas(const PixmapCanvas&) = delete;
    PixmapCanvas& operator=(const PixmapCanvas&) = delete;

    HDC Handle() const { return reinterpret_cast<HDC>(static_cast<port::GdiObject*>(dc)); }
    COLORREF At(int x, int y) const { return port::PixelToColor(pixels.Get(x, y), pixels.format); }

    port::Pixmap pixels;
    port::DC* dc = nullptr;
};
