#include "framework/painters.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The back buffer's DC, or null when there is none to be had.
HDC BackBufferDC(Display* display) {
    if (!display || !display->backBuffer) return nullptr;
    HDC dc = nullptr;
    if (display->backBuffer->GetDC(&dc) != DD_OK) return nullptr;
    return dc;
}

void ReleaseBackBufferDC(Display* display, HDC dc) { display->backBuffer->ReleaseDC(dc); }

enum class Shape { RECTANGLE, ELLIPSE };

// One brush and one 2-pixel pen, made, used and deleted within the call.
void DrawShape(Display* display, Shape shape, int left, int top, int right, int bottom,
               COLORREF fillColor, COLORREF outlineColor) {
    HDC dc = BackBufferDC(display);
    if (!dc) return;
    HBRUSH brush = CreateSolidBrush(fillColor);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HPEN pen = CreatePen(PS_SOLID, 2, outlineColor);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    if (shape == Shape::RECTANGLE) Rectangle(dc, left, top, right, bottom);
    else Ellipse(dc, left, top, right, bottom);
    if (oldPen) SelectObject(dc, oldPen);
    if (oldBrush) SelectObject(dc, oldBrush);
    if (brush) DeleteObject(brush);
    if (pen) DeleteObject(pen);
    ReleaseBackBufferDC(display, dc);
}

}  // namespace

void TextPainter::Prepare(Display* newDisplay) {
    display = newDisplay;
    font = CreateFontA(13, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, VARIABLE_PITCH | FF_DONTCARE,
                       "Arial");
    backColor = 0x000001;
    textColor = 0x0000FF;
}

void TextPainter::SetFont(HFONT newFont) { font = newFont; }

void TextPainter::SetBackColor(COLORREF color) { backColor = color; }

void TextPainter::SetTextColor(COLORREF color) { textColor = color; }

void TextPainter::DrawText(const char* text, int x, int y) {
    if (!text) return;
    HDC dc = BackBufferDC(display);
    if (!dc) return;
    ::SetTextColor(dc, textColor);
    ::SetBkColor(dc, backColor);
    if (font) SelectObject(dc, font);
    TextOutA(dc, x, y, text, static_cast<int>(std::strlen(text)));
    ReleaseBackBufferDC(display, dc);
}

void TextPainter::DrawFormatted(int x, int y, const char* format, ...) {
    if (!format) return;
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    char* buffer = length >= 0 ? static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1))
                               : nullptr;
    if (buffer) std::vsnprintf(buffer, static_cast<size_t>(length) + 1, format, args);
    va_end(args);
    if (!buffer) return;
    DrawText(buffer, x, y);
    std::free(buffer);
}

void ShapePainter::Prepare(Display* newDisplay) { display = newDisplay; }

void ShapePainter::FillRect(int left, int top, int right, int bottom, COLORREF fillColor,
                            COLORREF outlineColor) {
    DrawShape(display, Shape::RECTANGLE, left, top, right, bottom, fillColor, outlineColor);
}

void ShapePainter::FillEllipse(int left, int top, int right, int bottom, COLORREF fillColor,
                               COLORREF outlineColor) {
    DrawShape(display, Shape::ELLIPSE, left, top, right, bottom, fillColor, outlineColor);
}

HFONT MakeFont(const char* faceName, int height) {
    return CreateFontA(height, 0, 0, 0, FW_DONTCARE, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_MODERN | DEFAULT_PITCH, faceName);
}
