// Text and filled shapes, drawn on the back buffer through GDI.
#pragma once

#include "framework/display.h"

class TextPainter {
public:
    Display* display = nullptr;
    HFONT font = nullptr;
    COLORREF backColor = 0;
    COLORREF textColor = 0;

    void Prepare(Display* display);
    void SetFont(HFONT font);
    void SetBackColor(COLORREF color);
    void SetTextColor(COLORREF color);
    void DrawText(const char* text, int x, int y);
    void DrawFormatted(int x, int y, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
};

class ShapePainter {
public:
    Display* display = nullptr;

    void Prepare(Display* display);
    // Rectangle and ellipse by GDI's rules, filled and with a 2-pixel outline.
    void FillRect(int left, int top, int right, int bottom, COLORREF fillColor,
                  COLORREF outlineColor);
    void FillEllipse(int left, int top, int right, int bottom, COLORREF fillColor,
                     COLORREF outlineColor);
};

// A font of the given face and cell height (CreateFontA's nHeight); null on failure.
HFONT MakeFont(const char* faceName, int height);
