// Bitmaps: DIB sections loaded from BMP files, the blits between DCs, single
// pixels and SetRect.
//
// A file's header is checked here before the decoder (bmp_decode.h) sees it,
// so that a file claiming an absurd size is refused before anything large is
// allocated. Loaded bitmaps are kept as 32 bpp XRGB with the unused byte zero,
// the value GDI writes for a colour, so raw compares against SetPixel results hold.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "port/src/bmp_decode.h"
#include "port/src/core.h"
#include "port/src/gdi_objects.h"
#include "port/src/pixels.h"

namespace port {
namespace {

// ---- BMP header check ----------------------------------------------------------

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;    // OS/2 1.x BITMAPCOREHEADER
constexpr uint32_t kInfoHeaderSize = 40;    // BITMAPINFOHEADER
constexpr uint32_t kLargestHeaderSize = 124;  // BITMAPV5HEADER
// Larger bitmaps are refused: a few bytes of run-length codes could otherwise
// ask for gigabytes of pixels.
constexpr int64_t kMaxLoadPixels = int64_t{8192} * 8192;
constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;

uint16_t ReadLE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t ReadLE32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

struct BmpLayout {
    int width = 0;
    int height = 0;  // rows, whichever way they are stored
    int bitCount = 0;
    uint32_t compression = kRgb;
    uint64_t fileBytesNeeded = 0;  // the whole file for an uncompressed bitmap
    uint64_t fileBytesUseful = 0;  // beyond this a decoder never reads
};

bool PlausibleBitCount(int bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

bool PlausibleCompression(uint32_t compression, int bits) {
    switch (compression) {
    case kRgb: return true;
    case kRle8: return bits == 8;
    case kRle4: return bits == 4;
    case kBitFields: return bits == 16 || bits == 32;
    default: return false;  // JPEG, PNG and the rest are not for GDI's loader
    }
}

// Checks the headers of a BMP file whose first `prefixSize` bytes are `prefix`
// and whose whole length is `fileSize`. Sets `why` when it refuses.
bool CheckBmpHeader(const uint8_t* prefix, size_t prefixSize, uint64_t fileSize,
                    BmpLayout* layout, const char** why) {
    *why = "not a bitmap file";
    if (prefixSize < kFileHeaderSize + 4 || prefix[0] != 'B' || prefix[1] != 'M') return false;
    const uint32_t offBits = ReadLE32(prefix + 10);
    const uint32_t headerSize = ReadLE32(prefix + 14);
    const bool core = headerSize == kCoreHeaderSize;
    *why = "unknown header";
    if (!core && headerSize != kInfoHeaderSize && headerSize != 52 && headerSize != 56 &&
        headerSize != 64 && headerSize != 108 && headerSize != kLargestHeaderSize)
        return false;
    *why = "truncated header";
    if (prefixSize < kFileHeaderSize + headerSize) return false;
    const uint8_t* info = prefix + kFileHeaderSize;

    int64_t width, height;
    uint32_t compression = kRgb, colorsUsed = 0;
    int bits;
    if (core) {
        width = ReadLE16(info + 4);
        height = ReadLE16(info + 6);
        bits = ReadLE16(info + 10);
    } else {
        width = static_cast<int32_t>(ReadLE32(info + 4));
        height = static_cast<int32_t>(ReadLE32(info + 8));
        bits = ReadLE16(info + 14);
        compression = ReadLE32(info + 16);
        colorsUsed = ReadLE32(info + 32);
    }
    const bool topDown = height < 0;
    if (topDown) height = -height;
    *why = "bad size";
    if (width <= 0 || height <= 0 || width > kMaxPixmapSide || height > kMaxPixmapSide ||
        width * height > kMaxLoadPixels)
        return false;
    *why = "bad bit count";
    if (!PlausibleBitCount(bits) || (core && (bits == 16 || bits == 32))) return false;
    *why = "bad compression";
    if (!PlausibleCompression(compression, bits)) return false;
    if (topDown && (compression == kRle8 || compression == kRle4)) return false;

    // The colour table (or the three masks of a plain info header) follows the header.
    uint64_t tableBytes = 0;
    if (bits <= 8) {
        const uint64_t maxColors = uint64_t{1} << bits;
        *why = "bad colour count";
        if (colorsUsed > maxColors) return false;
        tableBytes = (colorsUsed ? colorsUsed : maxColors) * (core ? 3 : 4);
    } else if (compression == kBitFields && headerSize == kInfoHeaderSize) {
        tableBytes = 12;
    }
    const uint64_t tableEnd = kFileHeaderSize + headerSize + tableBytes;
    *why = "bad data offset";
    if (offBits < kFileHeaderSize + headerSize || offBits > fileSize || tableEnd > fileSize)
        return false;

    const uint64_t rowBytes = ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4;
    layout->width = static_cast<int>(width);
    layout->height = static_cast<int>(height);
    layout->bitCount = bits;
    layout->compression = compression;
    if (compression == kRle8 || compression == kRle4) {
        // A run-length stream has no set length; at worst it spends two bytes
        // per row of pixels plus a code at each row's end.
        layout->fileBytesNeeded = offBits + 2;
        layout->fileBytesUseful = offBits + 2 * (rowBytes + 2) * height + 2;
    } else {
        layout->fileBytesNeeded = offBits + rowBytes * height;
        layout->fileBytesUseful = layout->fileBytesNeeded;
    }
    *why = "truncated pixel data";
    return fileSize >= layout->fileBytesNeeded;
}

// ---- File reading -----------------------------------------------------------------

struct FileCloser {
    int fd;
    ~FileCloser() {
        if (fd >= 0) close(fd);
    }
};

bool ReadAt(int fd, uint8_t* buffer, size_t length, size_t* got) {
    *got = 0;
    while (*got < length) {
        ssize_t n = read(fd, buffer + *got, length - *got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        *got += static_cast<size_t>(n);
    }
    return true;
}

// Reads a BMP file's useful bytes after its header passed the check.
bool ReadBmpFile(const char* path, std::vector<uint8_t>* bytes, BmpLayout* layout,
                 const char** why) {
    *why = "cannot open";
    FileCloser file{open(path, O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0) return false;
    struct stat info;
    *why = "not a file";
    if (fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode)) return false;
    const uint64_t fileSize = static_cast<uint64_t>(info.st_size);

    constexpr size_t kPrefix = kFileHeaderSize + kLargestHeaderSize;
    uint8_t prefix[kPrefix];
    size_t got = 0;
    *why = "cannot read";
    if (!ReadAt(file.fd, prefix, kPrefix, &got)) return false;
    if (!CheckBmpHeader(prefix, got, fileSize, layout, why)) return false;

    const uint64_t length = std::min(fileSize, layout->fileBytesUseful);
    bytes->resize(static_cast<size_t>(length));
    std::memcpy(bytes->data(), prefix, std::min<size_t>(got, bytes->size()));
    if (got < bytes->size()) {
        size_t more = 0;
        *why = "cannot read";
        if (!ReadAt(file.fd, bytes->data() + got, bytes->size() - got, &more)) return false;
        *why = "file shrank while read";
        if (got + more < layout->fileBytesNeeded) return false;
        bytes->resize(got + more);
    }
    return true;
}

// ---- Blits -------------------------------------------------------------------------

inline uint32_t LoadPixel(const uint8_t* p, int bytes) {
    switch (bytes) {
    case 2: return p[0] | (p[1] << 8);
    case 3: return p[0] | (p[1] << 8) | (p[2] << 16);
    default: {
        uint32_t value;
        std::memcpy(&value, p, 4);
        return value;
    }
    }
}

inline void StorePixel(uint8_t* p, int bytes, uint32_t value) {
    if (bytes == 4) {
        std::memcpy(p, &value, 4);
        return;
    }
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
    if (bytes == 3) p[2] = static_cast<uint8_t>(value >> 16);
}

// A raw pixel of one display format as another stores it: the same as
// ColorToPixel(PixelToColor(pixel, from), to), without the COLORREF.
inline uint32_t ConvertPixel(uint32_t pixel, int fromBits, int toBits) {
    if (fromBits == 16) {
        if (toBits == 16) return pixel & 0xFFFF;
        return (((pixel >> 11) & 0x1F) << 19) | (((pixel >> 5) & 0x3F) << 10) | ((pixel & 0x1F) << 3);
    }
    if (toBits == 16)
        return (((pixel >> 19) & 0x1F) << 11) | (((pixel >> 10) & 0x3F) << 5) | ((pixel >> 3) & 0x1F);
    return pixel & 0xFFFFFF;
}

Pixmap* TargetOf(HDC handle) {
    DC* dc = LookupDC(handle);
    if (!dc || !dc->target || dc->target->width <= 0 || dc->target->bits.empty()) return nullptr;
    return dc->target;
}

// Copies a w x h block, already clipped to both pixmaps.
void CopyBlock(Pixmap& to, int x, int y, const Pixmap& from, int fromX, int fromY, int w, int h) {
    const int toBytes = to.format.BytesPerPixel(), fromBytes = from.format.BytesPerPixel();
    if (to.format == from.format) {
        // Same pixmap: rows may overlap, so copy them in the safe order.
        const bool upward = &to == &from && y > fromY;
        for (int i = 0; i < h; ++i) {
            int row = upward ? h - 1 - i : i;
            std::memmove(to.Row(y + row) + x * toBytes, from.Row(fromY + row) + fromX * fromBytes,
                         static_cast<size_t>(w) * toBytes);
        }
        return;
    }
    const int toBits = to.format.bitsPerPixel, fromBits = from.format.bitsPerPixel;
    for (int row = 0; row < h; ++row) {
        const uint8_t* source = from.Row(fromY + row) + fromX * fromBytes;
        uint8_t* dest = to.Row(y + row) + x * toBytes;
        for (int col = 0; col < w; ++col, source += fromBytes, dest += toBytes)
            StorePixel(dest, toBytes, ConvertPixel(LoadPixel(source, fromBytes), fromBits, toBits));
    }
}

// Clips a same-size copy to both pixmaps and copies what is left.
void Blit(Pixmap& to, int64_t x, int64_t y, int64_t w, int64_t h, const Pixmap& from,
          int64_t fromX, int64_t fromY) {
    // Moves both starts inside their pixmaps and shortens the run to fit both.
    auto clip = [](int64_t& d, int64_t& s, int64_t& n, int64_t dLimit, int64_t sLimit) {
        if (d < 0) {
            s -= d;
            n += d;
            d = 0;
        }
        if (s < 0) {
            d -= s;
            n += s;
            s = 0;
        }
        n = std::min({n, dLimit - d, sLimit - s});
    };
    clip(x, fromX, w, to.width, from.width);
    clip(y, fromY, h, to.height, from.height);
    if (w <= 0 || h <= 0) return;
    CopyBlock(to, static_cast<int>(x), static_cast<int>(y), from, static_cast<int>(fromX),
              static_cast<int>(fromY), static_cast<int>(w), static_cast<int>(h));
}

// The source index that destination index i of n samples, nearest neighbour
// at the centre of the destination pixel.
inline int64_t Sample(int64_t i, int64_t sourceLength, int64_t length) {
    // 128 bits: i and both lengths may each be near 2^31.
    return static_cast<int64_t>((__int128{2} * i + 1) * sourceLength / (__int128{2} * length));
}

// Stretches the source rectangle over the destination rectangle; pixels whose
// source or destination lies outside its pixmap are left out.
void Stretch(Pixmap& to, int64_t x, int64_t y, int64_t w, int64_t h, const Pixmap& from,
             int64_t fromX, int64_t fromY, int64_t fromW, int64_t fromH) {
    const int64_t left = std::max<int64_t>(x, 0), right = std::min<int64_t>(x + w, to.width);
    const int64_t top = std::max<int64_t>(y, 0), bottom = std::min<int64_t>(y + h, to.height);
    if (left >= right || top >= bottom) return;
    // Source column of each destination column, -1 where it falls outside.
    std::vector<int> columns(static_cast<size_t>(right - left));
    for (int64_t dx = left; dx < right; ++dx) {
        int64_t sx = fromX + Sample(dx - x, fromW, w);
        columns[dx - left] = sx >= 0 && sx < from.width ? static_cast<int>(sx) : -1;
    }
    const int toBytes = to.format.BytesPerPixel(), fromBytes = from.format.BytesPerPixel();
    const int toBits = to.format.bitsPerPixel, fromBits = from.format.bitsPerPixel;
    for (int64_t dy = top; dy < bottom; ++dy) {
        int64_t sy = fromY + Sample(dy - y, fromH, h);
        if (sy < 0 || sy >= from.height) continue;
        const uint8_t* sourceRow = from.Row(static_cast<int>(sy));
        uint8_t* dest = to.Row(static_cast<int>(dy)) + left * toBytes;
        for (int sx : columns) {
            if (sx >= 0)
                StorePixel(dest, toBytes,
                           ConvertPixel(LoadPixel(sourceRow + sx * fromBytes, fromBytes), fromBits,
                                        toBits));
            dest += toBytes;
        }
    }
}

}  // namespace
}  // namespace port

using namespace port;

HANDLE WINAPI LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height,
                         UINT flags) {
    if (Injected("LoadImageA")) return nullptr;
    const char* shown = name ? name : "(null)";
    // The program carries no resources, and loads bitmaps at their own size only.
    const char* why = nullptr;
    if (!name || type != IMAGE_BITMAP) why = "not a bitmap";
    else if (!(flags & LR_LOADFROMFILE)) why = "no such resource";
    else if (width != 0 || height != 0) why = "resizing on load is not supported";
    std::vector<uint8_t> bytes;
    BmpLayout layout;
    Pixmap pixels;
    if (!why) {
        if (ReadBmpFile(name, &bytes, &layout, &why)) {
            if (DecodeBmp(bytes, layout.width, layout.height, &pixels, &why)) why = nullptr;
        }
    }
    if (why) {
        Trace("LoadImageA(%p, \"%s\", %u, %d, %d, 0x%x) -> null (%s)", static_cast<void*>(instance),
              shown, type, width, height, flags, why);
        return nullptr;
    }
    Bitmap* bitmap = new Bitmap;
    bitmap->pixels = std::move(pixels);
    bitmap->sourceBitsPerPixel = layout.bitCount;
    HANDLE handle = Register(bitmap);
    Trace("LoadImageA(%p, \"%s\", %u, %d, %d, 0x%x) -> bitmap %dx%dx%d",
          static_cast<void*>(instance), shown, type, width, height, flags, layout.width,
          layout.height, layout.bitCount);
    return handle;
}

BOOL WINAPI BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY,
                   DWORD rop) {
    if (Injected("BitBlt")) return FALSE;
    Pixmap* to = TargetOf(dest);
    Pixmap* from = TargetOf(src);
    BOOL ok = to && from && rop == SRCCOPY;
    if (ok) Blit(*to, x, y, width, height, *from, srcX, srcY);
    Trace("BitBlt(%d, %d, %d, %d, %d, %d) -> %d", x, y, width, height, srcX, srcY, ok);
    return ok;
}

BOOL WINAPI StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX,
                       int srcY, int srcWidth, int srcHeight, DWORD rop) {
    if (Injected("StretchBlt")) return FALSE;
    Pixmap* to = TargetOf(dest);
    Pixmap* from = TargetOf(src);
    // Mirroring (negative sizes) is not needed by the game and not provided.
    BOOL ok = to && from && rop == SRCCOPY && width >= 0 && height >= 0 && srcWidth >= 0 &&
              srcHeight >= 0;
    if (ok && width > 0 && height > 0 && srcWidth > 0 && srcHeight > 0) {
        if (width == srcWidth && height == srcHeight) {
            Blit(*to, x, y, width, height, *from, srcX, srcY);
        } else if (to == from) {
            Pixmap copy = *from;  // the source must not change under the stretch
            Stretch(*to, x, y, width, height, copy, srcX, srcY, srcWidth, srcHeight);
        } else {
            Stretch(*to, x, y, width, height, *from, srcX, srcY, srcWidth, srcHeight);
        }
    }
    Trace("StretchBlt(%d, %d, %d, %d, %d, %d, %d, %d) -> %d", x, y, width, height, srcX, srcY,
          srcWidth, srcHeight, ok);
    return ok;
}

COLORREF WINAPI GetPixel(HDC dc, int x, int y) {
    if (Injected("GetPixel")) return CLR_INVALID;
    Pixmap* target = TargetOf(dc);
    if (!target || !target->Contains(x, y)) return CLR_INVALID;
    return PixelToColor(target->Get(x, y), target->format);
}

COLORREF WINAPI SetPixel(HDC dc, int x, int y, COLORREF color) {
    if (Injected("SetPixel")) return CLR_INVALID;
    Pixmap* target = TargetOf(dc);
    if (!target || !target->Contains(x, y)) return CLR_INVALID;
    uint32_t value = ColorToPixel(color & 0xFFFFFF, target->format);
    target->Set(x, y, value);
    return PixelToColor(value, target->format);
}

BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom) {
    if (Injected("SetRect") || !rect) return FALSE;
    rect->left = left;
    rect->top = top;
    rect->right = right;
    rect->bottom = bottom;
    return TRUE;
}
