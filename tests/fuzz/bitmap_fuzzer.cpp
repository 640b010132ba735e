// Fuzzes LoadImageA with bitmap files: whatever the bytes, loading must give
// a null handle or a bitmap of a sane size whose every pixel can be read,
// never crash or read out of bounds, and leave no GDI object behind.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "port/control.h"
#include "port/include/windows.h"
#include "port/src/gdi_objects.h"
#include "port/src/pixels.h"

namespace {

std::string path;  // the file each input is written to

// A 16 bpp bitmap in a memory DC, to copy loaded bitmaps into.
HDC MakeCanvas(HGDIOBJ* bitmap) {
    auto* object = new port::Bitmap;
    port::PixelFormat format;
    port::FormatForDepth(16, &format);
    object->pixels.Allocate(7, 5, format);
    *bitmap = port::Register(object);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, *bitmap);
    return dc;
}

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "bitmap_fuzzer: %s\n", what);
    std::abort();
}

void Exercise(HBITMAP bitmap) {
    BITMAP info = {};
    Check(GetObjectA(bitmap, sizeof info, &info) == sizeof info, "GetObjectA failed");
    Check(info.bmWidth > 0 && info.bmHeight > 0 && info.bmWidth <= port::kMaxPixmapSide &&
              info.bmHeight <= port::kMaxPixmapSide,
          "loaded bitmap of an absurd size");
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    const int w = info.bmWidth, h = info.bmHeight;
    Check(GetPixel(memory, w - 1, h - 1) != CLR_INVALID, "last pixel unreadable");
    Check(GetPixel(memory, w, h) == CLR_INVALID, "pixel past the end readable");
    HGDIOBJ canvasBitmap = nullptr;
    HDC canvas = MakeCanvas(&canvasBitmap);
    StretchBlt(canvas, 0, 0, 7, 5, memory, 0, 0, w, h, SRCCOPY);
    BitBlt(canvas, -1, -1, 9, 7, memory, w / 2, h / 2, SRCCOPY);
    DeleteDC(canvas);
    DeleteObject(canvasBitmap);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("VEXAR_HOST", "headless", 0);
    const char* tmp = std::getenv("TMPDIR");
    path = std::string(tmp && *tmp ? tmp : "/tmp") + "/vexar_fuzz_" + std::to_string(getpid()) + ".bmp";
    // The first DC loads the default font; do it once, outside any input.
    DeleteDC(CreateCompatibleDC(nullptr));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return 0;
    const bool written = std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written) return 0;
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (bitmap) {
        Exercise(bitmap);
        Check(DeleteObject(bitmap), "DeleteObject failed");
    }
    Check(port::Live().gdiObjects == 0 && port::Live().dcs == 0, "a GDI object or DC leaked");
    return 0;
}
