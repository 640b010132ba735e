#include "port/src/blit.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace port::blit {
namespace {

// 16-byte vectors through the compiler's vector extension: SSE2 on x86-64,
// NEON on ARM, plain code elsewhere. Loads and stores go through memcpy, so
// rows need no particular alignment.
typedef uint32_t U32x4 __attribute__((vector_size(16)));
typedef uint16_t U16x8 __attribute__((vector_size(16)));

template <typename V>
inline V Load(const uint8_t* p) {
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <typename V>
inline void Store(uint8_t* p, V v) {
    std::memcpy(p, &v, sizeof v);
}

template <typename V, typename Pixel>
inline V Splat(Pixel value) {
    V v = {};
    return v + value;
}

// Writes `n` pixels of `value` from `d`.
template <typename Pixel, typename V>
void FillRow(uint8_t* d, int n, Pixel value) {
    constexpr int kLanes = sizeof(V) / sizeof(Pixel);
    if (n < kLanes) {
        for (int i = 0; i < n; ++i) std::memcpy(d + i * sizeof(Pixel), &value, sizeof(Pixel));
        return;
    }
    const V v = Splat<V>(value);
    int i = 0;
    for (; i + kLanes <= n; i += kLanes) Store(d + i * sizeof(Pixel), v);
    // The last few pixels: one more vector ending at the row's end.
    if (i < n) Store(d + (n - kLanes) * sizeof(Pixel), v);
}

void FillRow24(uint8_t* d, int n, uint32_t value) {
    const uint8_t b0 = value & 0xFF, b1 = (value >> 8) & 0xFF, b2 = (value >> 16) & 0xFF;
    for (int i = 0; i < n; ++i, d += 3) {
        d[0] = b0;
        d[1] = b1;
        d[2] = b2;
    }
}

// Keeps the destination where the source holds the key, takes the source
// elsewhere. Applying it twice gives the same result, so a row's last partial
// vector can overlap the one before it.
template <typename V>
inline void KeyedVector(uint8_t* d, const uint8_t* s, V key) {
    const V source = Load<V>(s);
    const V dest = Load<V>(d);
    const V skip = (V)(source == key);
    Store(d, (dest & skip) | (source & ~skip));
}

template <typename Pixel, typename V>
void KeyedRow(uint8_t* d, const uint8_t* s, int n, Pixel key) {
    constexpr int kLanes = sizeof(V) / sizeof(Pixel);
    constexpr int kBytes = sizeof(V);
    if (n < kLanes) {
        for (int i = 0; i < n; ++i) {
            Pixel p;
            std::memcpy(&p, s + i * sizeof(Pixel), sizeof p);
            if (p != key) std::memcpy(d + i * sizeof(Pixel), &p, sizeof p);
        }
        return;
    }
    const V k = Splat<V>(key);
    const int bytes = n * static_cast<int>(sizeof(Pixel));
    int i = 0;
    for (; i + 2 * kBytes <= bytes; i += 2 * kBytes) {
        KeyedVector(d + i, s + i, k);
        KeyedVector(d + i + kBytes, s + i + kBytes, k);
    }
    if (i + kBytes <= bytes) {
        KeyedVector(d + i, s + i, k);
        i += kBytes;
    }
    if (i < bytes) KeyedVector(d + bytes - kBytes, s + bytes - kBytes, k);
}

void KeyedPixels24(uint8_t* d, const uint8_t* s, int n, uint32_t key) {
    for (int i = 0; i < n; ++i, d += 3, s += 3) {
        const uint32_t p = s[0] | (s[1] << 8) | (static_cast<uint32_t>(s[2]) << 16);
        if (p == key) continue;
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
    }
}

#if defined(__SSE2__)
// Sixteen pixels (48 bytes, three vectors) per step. A pixel is the key when
// its three bytes all are; byte shifts carry that across the vectors' edges.
struct Key24 {
    __m128i bytes[3];  // the key's three bytes over and over, 48 bytes
    explicit Key24(uint32_t key) {
        alignas(16) uint8_t pattern[48];
        for (int b = 0; b < 48; ++b) pattern[b] = static_cast<uint8_t>(key >> (8 * (b % 3)));
        for (int v = 0; v < 3; ++v)
            bytes[v] = _mm_load_si128(reinterpret_cast<const __m128i*>(pattern + 16 * v));
    }
};

inline __m128i Load16(const uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// At each pixel's first byte (`starts`), whether it and the next two bytes match.
inline __m128i Hits(__m128i same, __m128i sameNext, __m128i starts) {
    const __m128i next1 = _mm_or_si128(_mm_srli_si128(same, 1), _mm_slli_si128(sameNext, 15));
    const __m128i next2 = _mm_or_si128(_mm_srli_si128(same, 2), _mm_slli_si128(sameNext, 14));
    return _mm_and_si128(_mm_and_si128(same, starts), _mm_and_si128(next1, next2));
}

// Spreads each hit over its pixel's three bytes and blends one vector.
inline void Blend(uint8_t* d, __m128i source, __m128i hit, __m128i hitBefore) {
    const __m128i prev1 = _mm_or_si128(_mm_slli_si128(hit, 1), _mm_srli_si128(hitBefore, 15));
    const __m128i prev2 = _mm_or_si128(_mm_slli_si128(hit, 2), _mm_srli_si128(hitBefore, 14));
    const __m128i keep = _mm_or_si128(hit, _mm_or_si128(prev1, prev2));
    const __m128i dest = Load16(d);
    const __m128i out = _mm_or_si128(_mm_and_si128(keep, dest), _mm_andnot_si128(keep, source));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), out);
}

void KeyedRow24(uint8_t* d, const uint8_t* s, int n, uint32_t key, const Key24& k) {
    const __m128i starts0 = _mm_setr_epi8(-1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1);
    const __m128i starts1 = _mm_setr_epi8(0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0);
    const __m128i starts2 = _mm_setr_epi8(0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0);
    const __m128i none = _mm_setzero_si128();
    int i = 0;
    for (; i + 16 <= n; i += 16, s += 48, d += 48) {
        const __m128i s0 = Load16(s), s1 = Load16(s + 16), s2 = Load16(s + 32);
        const __m128i e0 = _mm_cmpeq_epi8(s0, k.bytes[0]);
        const __m128i e1 = _mm_cmpeq_epi8(s1, k.bytes[1]);
        const __m128i e2 = _mm_cmpeq_epi8(s2, k.bytes[2]);
        const __m128i h0 = Hits(e0, e1, starts0);
        const __m128i h1 = Hits(e1, e2, starts1);
        const __m128i h2 = Hits(e2, none, starts2);
        Blend(d, s0, h0, none);
        Blend(d + 16, s1, h1, h0);
        Blend(d + 32, s2, h2, h1);
    }
    KeyedPixels24(d, s, n - i, key);
}
#else
struct Key24 {
    explicit Key24(uint32_t) {}
};

void KeyedRow24(uint8_t* d, const uint8_t* s, int n, uint32_t key, const Key24&) {
    KeyedPixels24(d, s, n, key);
}
#endif

bool SameBytes(uint32_t value, int bytesPerPixel) {
    const uint8_t b = value & 0xFF;
    for (int i = 1; i < bytesPerPixel; ++i)
        if (((value >> (8 * i)) & 0xFF) != b) return false;
    return true;
}

}  // namespace

void Fill(Pixmap& dest, int left, int top, int right, int bottom, uint32_t value) {
    if (left >= right || top >= bottom) return;
    const int bpp = dest.format.BytesPerPixel();
    const int n = right - left;
    const size_t rowBytes = static_cast<size_t>(n) * bpp;
    // Black and other single-byte patterns: memset, over whole rows at once
    // when the rectangle spans the surface's width.
    if (SameBytes(value, bpp)) {
        if (left == 0 && right == dest.width) {
            const size_t span = static_cast<size_t>(bottom - top - 1) * dest.pitch + rowBytes;
            std::memset(dest.Row(top), value & 0xFF, span);
            return;
        }
        for (int y = top; y < bottom; ++y)
            std::memset(dest.Row(y) + left * bpp, value & 0xFF, rowBytes);
        return;
    }
    uint8_t* first = dest.Row(top) + left * bpp;
    switch (bpp) {
    case 4:
        FillRow<uint32_t, U32x4>(first, n, value);
        break;
    case 2:
        FillRow<uint16_t, U16x8>(first, n, static_cast<uint16_t>(value));
        break;
    default:
        FillRow24(first, n, value);
        break;
    }
    for (int y = top + 1; y < bottom; ++y) std::memcpy(dest.Row(y) + left * bpp, first, rowBytes);
}

void Copy(Pixmap& dest, int x, int y, const Pixmap& src, int srcX, int srcY, int width,
          int height) {
    const int bpp = dest.format.BytesPerPixel();
    const size_t rowBytes = static_cast<size_t>(width) * bpp;
    for (int row = 0; row < height; ++row)
        std::memcpy(dest.Row(y + row) + x * bpp, src.Row(srcY + row) + srcX * bpp, rowBytes);
}

void CopyKeyed(Pixmap& dest, int x, int y, const Pixmap& src, int srcX, int srcY, int width,
               int height, uint32_t key) {
    const int bpp = dest.format.BytesPerPixel();
    // A key the format cannot hold matches no pixel.
    if (bpp < 4 && (key >> (8 * bpp)) != 0) {
        Copy(dest, x, y, src, srcX, srcY, width, height);
        return;
    }
    const Key24 key24(bpp == 3 ? key : 0);
    for (int row = 0; row < height; ++row) {
        uint8_t* d = dest.Row(y + row) + x * bpp;
        const uint8_t* s = src.Row(srcY + row) + srcX * bpp;
        switch (bpp) {
        case 4:
            KeyedRow<uint32_t, U32x4>(d, s, width, key);
            break;
        case 2:
            KeyedRow<uint16_t, U16x8>(d, s, width, static_cast<uint16_t>(key));
            break;
        default:
            KeyedRow24(d, s, width, key, key24);
            break;
        }
    }
}

namespace {

template <int kBytes>
inline uint32_t PixelAt(const uint8_t* p) {
    uint32_t v = 0;
    std::memcpy(&v, p, kBytes);  // little-endian: the pixel in the low bytes
    return v;
}

template <int kBytes>
bool BuildRuns(const Pixmap& src, uint32_t key, Spans& spans) {
    // Runs shorter than about eight pixels on average do not pay for their memcpy.
    const size_t limit = static_cast<size_t>(src.width) * src.height / 8 + src.height;
    for (int y = 0; y < src.height; ++y) {
        spans.rowStart.push_back(static_cast<uint32_t>(spans.runs.size()));
        const uint8_t* row = src.Row(y);
        int x = 0;
        while (x < src.width) {
            while (x < src.width && PixelAt<kBytes>(row + x * kBytes) == key) ++x;
            const int start = x;
            while (x < src.width && PixelAt<kBytes>(row + x * kBytes) != key) ++x;
            if (x > start)
                spans.runs.push_back(
                    {static_cast<uint16_t>(start), static_cast<uint16_t>(x - start)});
        }
        if (spans.runs.size() > limit) return false;
    }
    spans.rowStart.push_back(static_cast<uint32_t>(spans.runs.size()));
    return true;
}

}  // namespace

bool Spans::Build(const Pixmap& src, uint32_t key) {
    static_assert(kMaxPixmapSide <= 0xFFFF, "runs are kept in 16 bits");
    rowStart.clear();
    runs.clear();
    bool worth = false;
    switch (src.format.BytesPerPixel()) {
    case 4:
        worth = BuildRuns<4>(src, key, *this);
        break;
    case 2:
        worth = BuildRuns<2>(src, key, *this);
        break;
    default:
        worth = BuildRuns<3>(src, key, *this);
        break;
    }
    if (!worth) {
        rowStart = std::vector<uint32_t>();
        runs = std::vector<Run>();
    }
    return worth;
}

void CopySpans(Pixmap& dest, int x, int y, const Pixmap& src, const Spans& spans, int srcX,
               int srcY, int width, int height) {
    const int bpp = dest.format.BytesPerPixel();
    const int right = srcX + width;
    for (int row = 0; row < height; ++row) {
        uint8_t* d = dest.Row(y + row) + x * bpp;
        const uint8_t* s = src.Row(srcY + row);
        const uint32_t end = spans.rowStart[srcY + row + 1];
        for (uint32_t i = spans.rowStart[srcY + row]; i < end; ++i) {
            const int from = std::max<int>(spans.runs[i].start, srcX);
            const int to = std::min<int>(spans.runs[i].start + spans.runs[i].length, right);
            if (from < to)
                std::memcpy(d + (from - srcX) * bpp, s + from * bpp,
                            static_cast<size_t>(to - from) * bpp);
        }
    }
}

}  // namespace port::blit
