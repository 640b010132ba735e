// DirectDraw: the display set-up, fills and blits in every format, DC locking,
// flipping, lost surfaces and reference counts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "port/control.h"
#include "port/hosts/headless/headless.h"
#include "port/include/ddraw.h"
#include "port/src/blit.h"
#include "port/src/surface.h"
#include "tests/lib/test_window.h"

namespace {

HWND MakeWindow() { return OpenTestWindow(DefWindowProcA, "ddraw_test", "test", WS_POPUP, nullptr); }

DDSURFACEDESC Desc() {
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    return desc;
}

DDBLTFX Fx(DWORD color) {
    DDBLTFX fx;
    std::memset(&fx, 0, sizeof fx);
    fx.dwSize = sizeof fx;
    fx.dwFillColor = color;
    return fx;
}

class DirectDrawTest : public ::testing::Test {
protected:
    IDirectDraw* dd = nullptr;
    IDirectDrawSurface* primary = nullptr;
    IDirectDrawSurface* back = nullptr;
    HWND window = nullptr;

    void SetUp() override {
        port::ResetForTest();
        port::EnableTrace(true);
        window = MakeWindow();
    }
    void TearDown() override {
        if (back) back->Release();
        if (primary) primary->Release();
        if (dd) dd->Release();
        EXPECT_EQ(port::Live().surfaces, 0);
        EXPECT_EQ(port::Live().comObjects, 0);
        EXPECT_EQ(port::Live().dcs, 0);
    }

    // Exclusive full-screen at width x height x bpp, with the flip chain.
    void Open(int bpp, int width = 640, int height = 480) {
        ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
        ASSERT_EQ(
            dd->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_ALLOWREBOOT | DDSCL_FULLSCREEN),
            DD_OK);
        ASSERT_EQ(dd->SetDisplayMode(width, height, bpp), DD_OK);
        DDSURFACEDESC desc = Desc();
        desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        desc.dwBackBufferCount = 1;
        ASSERT_EQ(dd->CreateSurface(&desc, &primary, nullptr), DD_OK);
        DDSCAPS caps = {DDSCAPS_BACKBUFFER};
        ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
    }

    IDirectDrawSurface* Offscreen(int w, int h) {
        DDSURFACEDESC desc = Desc();
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = w;
        desc.dwHeight = h;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
        IDirectDrawSurface* surface = nullptr;
        EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DD_OK);
        return surface;
    }
};

// Raw pixels through Lock, as a caller of the real DirectDraw reads them.
struct Pixels {
    std::vector<uint32_t> values;
    int width = 0, height = 0;
    uint32_t At(int x, int y) const { return values[y * width + x]; }
};

Pixels Read(IDirectDrawSurface* surface) {
    DDSURFACEDESC desc = Desc();
    Pixels out;
    if (surface->Lock(nullptr, &desc, 0, nullptr) != DD_OK) return out;
    out.width = desc.dwWidth;
    out.height = desc.dwHeight;
    const int bytes = desc.ddpfPixelFormat.dwRGBBitCount / 8;
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            uint32_t v = 0;
            std::memcpy(&v, static_cast<uint8_t*>(desc.lpSurface) + y * desc.lPitch + x * bytes,
                        bytes);
            out.values.push_back(v);
        }
    surface->Unlock(nullptr);
    return out;
}

void Write(IDirectDrawSurface* surface, int x, int y, uint32_t value) {
    DDSURFACEDESC desc = Desc();
    ASSERT_EQ(surface->Lock(nullptr, &desc, 0, nullptr), DD_OK);
    const int bytes = desc.ddpfPixelFormat.dwRGBBitCount / 8;
    std::memcpy(static_cast<uint8_t*>(desc.lpSurface) + y * desc.lPitch + x * bytes, &value, bytes);
    surface->Unlock(nullptr);
}

bool HasLine(const std::string& line) {
    auto lines = port::TraceLines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// ---- Set-up --------------------------------------------------------------------

TEST_F(DirectDrawTest, CreateRejectsAggregationAndDriversAndCountsTheObject) {
    IUnknown* outer = reinterpret_cast<IUnknown*>(&window);
    GUID driver = {};
    EXPECT_EQ(DirectDrawCreate(nullptr, &dd, outer), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd, nullptr);
    EXPECT_EQ(DirectDrawCreate(&driver, &dd, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(DirectDrawCreate(nullptr, nullptr, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(port::Live().comObjects, 0);
    ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
    EXPECT_EQ(port::Live().comObjects, 1);
    EXPECT_EQ(dd->AddRef(), 2u);
    EXPECT_EQ(dd->Release(), 1u);
}

TEST_F(DirectDrawTest, CooperativeLevelAndDisplayModeRules) {
    ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
    EXPECT_EQ(dd->SetDisplayMode(640, 480, 32), DDERR_NOEXCLUSIVEMODE);
    EXPECT_EQ(dd->SetCooperativeLevel(window, DDSCL_FULLSCREEN), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN),
              DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd->SetCooperativeLevel(window, 0), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
    EXPECT_EQ(dd->SetDisplayMode(640, 480, 32), DDERR_NOEXCLUSIVEMODE);
    EXPECT_EQ(dd->SetCooperativeLevel(window, 0x13), DD_OK);
    for (DWORD bpp : {0u, 1u, 8u, 15u, 31u, 64u})
        EXPECT_EQ(dd->SetDisplayMode(640, 480, bpp), DDERR_INVALIDMODE) << bpp;
    EXPECT_EQ(dd->SetDisplayMode(0, 480, 32), DDERR_INVALIDMODE);
    EXPECT_EQ(dd->SetDisplayMode(640, 0xFFFFFFFF, 32), DDERR_INVALIDMODE);
    for (DWORD bpp : {16u, 24u, 32u}) EXPECT_EQ(dd->SetDisplayMode(640, 480, bpp), DD_OK) << bpp;
    EXPECT_TRUE(HasLine("SetCooperativeLevel(0x13) -> 0x0"));
    EXPECT_TRUE(HasLine("SetDisplayMode(640, 480, 8) -> 0x88760078"));
}

TEST_F(DirectDrawTest, CreateSurfaceRejectsBadRecordsAndStates) {
    ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
    DDSURFACEDESC desc = Desc();
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 1;
    IDirectDrawSurface* s = reinterpret_cast<IDirectDrawSurface*>(&desc);
    EXPECT_EQ(dd->CreateSurface(&desc, &s, nullptr), DDERR_NOCOOPERATIVELEVELSET);
    EXPECT_EQ(s, nullptr);
    ASSERT_EQ(dd->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
    EXPECT_EQ(dd->CreateSurface(&desc, &s, nullptr), DDERR_NOEXCLUSIVEMODE);
    ASSERT_EQ(dd->SetCooperativeLevel(window, 0x13), DD_OK);
    desc.dwSize = 100;
    EXPECT_EQ(dd->CreateSurface(&desc, &s, nullptr), DDERR_INVALIDPARAMS);
    desc.dwSize = sizeof desc;
    EXPECT_EQ(dd->CreateSurface(&desc, &s, reinterpret_cast<IUnknown*>(&desc)),
              DDERR_INVALIDPARAMS);
    desc.dwBackBufferCount = 2;
    EXPECT_EQ(dd->CreateSurface(&desc, &s, nullptr), DDERR_INVALIDPARAMS);
    desc.dwBackBufferCount = 1;
    ASSERT_EQ(dd->CreateSurface(&desc, &primary, nullptr), DD_OK);
    EXPECT_EQ(dd->CreateSurface(&desc, &s, nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);
    DDSURFACEDESC off = Desc();
    off.dwFlags = DDSD_CAPS | DDSD_WIDTH;  // no height
    off.dwWidth = 10;
    off.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    EXPECT_EQ(dd->CreateSurface(&off, &s, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(s, nullptr);
    EXPECT_EQ(port::Live().surfaces, 2);  // the primary and its back buffer
}

TEST_F(DirectDrawTest, WithoutADisplayModeSurfacesTakeTheDesktopDepth) {
    ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
    ASSERT_EQ(dd->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
    port::headless::SetDesktopBitsPerPixel(16);
    IDirectDrawSurface* sprite = Offscreen(3, 3);
    DDSURFACEDESC desc = Desc();
    ASSERT_EQ(sprite->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 16u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRBitMask, 0xF800u);
    sprite->Release();
    port::headless::SetDesktopBitsPerPixel(8);
    DDSURFACEDESC off = Desc();
    off.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    off.dwWidth = off.dwHeight = 3;
    off.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    EXPECT_EQ(dd->CreateSurface(&off, &sprite, nullptr), DDERR_INVALIDPIXELFORMAT);
}

class DirectDrawFormatTest : public DirectDrawTest, public ::testing::WithParamInterface<int> {};

TEST_P(DirectDrawFormatTest, SurfacesTakeTheDisplayFormat) {
    const int bpp = GetParam();
    Open(bpp);
    DDSURFACEDESC desc = Desc();
    desc.dwFlags = DDSD_WIDTH | DDSD_HEIGHT;
    ASSERT_EQ(back->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_EQ(desc.dwWidth, 640u);
    EXPECT_EQ(desc.dwHeight, 480u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, static_cast<DWORD>(bpp));
    EXPECT_EQ(desc.ddpfPixelFormat.dwFlags, static_cast<DWORD>(DDPF_RGB));
    EXPECT_EQ(desc.ddpfPixelFormat.dwRBitMask, bpp == 16 ? 0xF800u : 0xFF0000u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwGBitMask, bpp == 16 ? 0x07E0u : 0x00FF00u);
    EXPECT_TRUE(desc.ddsCaps.dwCaps & DDSCAPS_BACKBUFFER);
    EXPECT_GE(desc.lPitch, 640 * bpp / 8);
    IDirectDrawSurface* sprite = Offscreen(106, 82);
    DDSURFACEDESC lock = Desc();
    ASSERT_EQ(sprite->Lock(nullptr, &lock, 0, nullptr), DD_OK);
    EXPECT_EQ(lock.dwWidth, 106u);
    EXPECT_EQ(lock.ddpfPixelFormat.dwRGBBitCount, static_cast<DWORD>(bpp));
    EXPECT_NE(lock.lpSurface, nullptr);
    EXPECT_EQ(sprite->Unlock(nullptr), DD_OK);
    EXPECT_EQ(sprite->Unlock(nullptr), DDERR_NOTLOCKED);
    lock.dwSize = 0;
    EXPECT_EQ(sprite->Lock(nullptr, &lock, 0, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(sprite->GetSurfaceDesc(&lock), DDERR_INVALIDPARAMS);
    sprite->Release();
}

// Black, a colour and the fill value cut to the format's width.
TEST_P(DirectDrawFormatTest, ColorFillWritesTheRawValueInsideTheRectangle) {
    const int bpp = GetParam();
    const uint32_t mask = bpp == 32 ? 0xFFFFFFFF : (1u << bpp) - 1;
    Open(bpp);
    DDBLTFX fx = Fx(0x12345678);
    ASSERT_EQ(back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
    Pixels all = Read(back);
    EXPECT_EQ(all.At(0, 0), 0x12345678 & mask);
    EXPECT_EQ(all.At(639, 479), 0x12345678 & mask);
    DDBLTFX black = Fx(0);
    RECT r = {3, 5, 10, 7};
    ASSERT_EQ(back->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL, &black), DD_OK);
    RECT leftEdge = {0, 10, 4, 12};
    ASSERT_EQ(back->Blt(&leftEdge, nullptr, nullptr, DDBLT_COLORFILL, &black), DD_OK);
    Pixels part = Read(back);
    EXPECT_EQ(part.At(3, 11), 0u);
    EXPECT_EQ(part.At(4, 10), 0x12345678 & mask);
    EXPECT_EQ(part.At(0, 12), 0x12345678 & mask);
    EXPECT_EQ(part.At(3, 5), 0u);
    EXPECT_EQ(part.At(9, 6), 0u);
    EXPECT_EQ(part.At(10, 6), 0x12345678 & mask);
    EXPECT_EQ(part.At(9, 7), 0x12345678 & mask);
    EXPECT_EQ(part.At(2, 5), 0x12345678 & mask);
    RECT outside = {600, 400, 641, 480};
    EXPECT_EQ(back->Blt(&outside, nullptr, nullptr, DDBLT_COLORFILL, &black), DDERR_INVALIDRECT);
    black.dwSize = 96;
    EXPECT_EQ(back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &black), DDERR_INVALIDPARAMS);
    EXPECT_EQ(Read(back).At(639, 479), 0x12345678 & mask);
}

TEST_P(DirectDrawFormatTest, KeyedBltFastSkipsKeyPixelsAndUnkeyedCopiesThem) {
    const int bpp = GetParam();
    const uint32_t key = bpp == 16 ? 0xF81F : 0xFF00FF;
    Open(bpp);
    IDirectDrawSurface* sprite = Offscreen(21, 3);
    for (int x = 0; x < 21; ++x) Write(sprite, x, 1, x % 3 == 0 ? key : 0x100 + x);
    DDCOLORKEY ck = {key, key};
    ASSERT_EQ(sprite->SetColorKey(DDCKEY_SRCBLT, &ck), DD_OK);
    DDBLTFX fx = Fx(0x0421);
    ASSERT_EQ(back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
    ASSERT_EQ(back->BltFast(100, 50, sprite, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
    RECT row = {0, 1, 21, 2};
    ASSERT_EQ(back->BltFast(100, 60, sprite, &row, DDBLTFAST_WAIT), DD_OK);
    Pixels p = Read(back);
    for (int x = 0; x < 21; ++x) {
        EXPECT_EQ(p.At(100 + x, 51), x % 3 == 0 ? 0x0421u : 0x100u + x) << x;
        EXPECT_EQ(p.At(100 + x, 50), 0u) << x;  // the sprite's other rows are black
        EXPECT_EQ(p.At(100 + x, 60), x % 3 == 0 ? key : 0x100u + x) << x;
    }
    EXPECT_EQ(p.At(121, 51), 0x0421u);
    EXPECT_EQ(p.At(99, 51), 0x0421u);
    EXPECT_EQ(p.At(100, 61), 0x0421u);
    sprite->Release();
}

TEST_P(DirectDrawFormatTest, BltFastWithoutClippingRefusesWhatDoesNotFit) {
    Open(GetParam());
    IDirectDrawSurface* sprite = Offscreen(106, 82);
    DDBLTFX fx = Fx(7);
    ASSERT_EQ(back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
    EXPECT_EQ(back->BltFast(534, 398, sprite, nullptr, 0), DD_OK);  // just fits
    EXPECT_EQ(back->BltFast(535, 0, sprite, nullptr, 0), DDERR_INVALIDRECT);
    EXPECT_EQ(back->BltFast(0, 399, sprite, nullptr, 0), DDERR_INVALIDRECT);
    EXPECT_EQ(back->BltFast(0xFFFFFFF6, 0, sprite, nullptr, 0), DDERR_INVALIDRECT);  // x = -10
    RECT tooWide = {0, 0, 107, 82}, empty = {5, 5, 5, 10}, negative = {-1, 0, 10, 10};
    for (RECT* r : {&tooWide, &empty, &negative})
        EXPECT_EQ(back->BltFast(0, 0, sprite, r, 0), DDERR_INVALIDRECT);
    EXPECT_EQ(back->BltFast(0, 0, nullptr, nullptr, 0), DDERR_INVALIDPARAMS);
    EXPECT_EQ(back->BltFast(0, 0, sprite, nullptr, DDBLTFAST_DESTCOLORKEY), DDERR_INVALIDPARAMS);
    Pixels p = Read(back);
    EXPECT_EQ(p.At(0, 0), 7u);
    EXPECT_EQ(p.At(534, 398), 0u);
    sprite->Release();
}

INSTANTIATE_TEST_SUITE_P(Depths, DirectDrawFormatTest, ::testing::Values(16, 24, 32));

// Keyed blits against a pixel-by-pixel model, in every format: every width
// from 1 to 40 (whole vectors, tails, rows shorter than one vector), random
// positions, keys and sub-rectangles. Noise makes runs too short to keep, so
// the per-pixel loops draw; long runs are drawn through the kept runs.
TEST_F(DirectDrawTest, KeyedBlitsMatchAPixelModel) {
    std::mt19937 random(7);
    port::EnableTrace(false);
    for (int bpp : {16, 24, 32}) {
        if (back) back->Release(), back = nullptr;
        if (primary) primary->Release(), primary = nullptr;
        if (dd) dd->Release(), dd = nullptr;
        Open(bpp, 64, 48);
        const uint32_t mask = bpp == 32 ? 0xFFFFFFFF : (1u << bpp) - 1;
        const uint32_t key = 0x00AB0055 & mask;
        for (bool noise : {true, false}) {
            for (int w = 1; w <= 40; ++w) {
                IDirectDrawSurface* sprite = Offscreen(w, 4);
                bool see = false;
                for (int y = 0; y < 4; ++y)
                    for (int x = 0; x < w; ++x) {
                        see = noise ? random() % 3 == 0 : (random() % 9 == 0 ? !see : see);
                        // Near-keys differ from the key in one byte only.
                        uint32_t near = key ^ (0xFFu << (8 * (random() % (bpp / 8))));
                        Write(sprite, x, y,
                              see            ? key
                              : random() % 4 ? random() & mask
                                             : near & mask);
                    }
                DDCOLORKEY ck = {key, key};
                sprite->SetColorKey(DDCKEY_SRCBLT, &ck);
                DDBLTFX fx = Fx(random() & mask);
                back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx);
                const Pixels before = Read(back), src = Read(sprite);
                RECT r = {LONG(random() % w), LONG(random() % 2), 0, 4};
                r.right = r.left + 1 + LONG(random() % (w - r.left));
                const int dx = random() % (65 - (r.right - r.left)), dy = random() % 45;
                ASSERT_EQ(back->BltFast(dx, dy, sprite, &r, DDBLTFAST_SRCCOLORKEY), DD_OK);
                Pixels expected = before;
                for (int y = r.top; y < r.bottom; ++y)
                    for (int x = r.left; x < r.right; ++x)
                        if (src.At(x, y) != key)
                            expected.values[(dy + y - r.top) * 64 + dx + x - r.left] = src.At(x, y);
                ASSERT_TRUE(Read(back).values == expected.values)
                    << "bpp " << bpp << " width " << w << (noise ? " noise" : " runs");
                sprite->Release();
            }
        }
    }
}

TEST(DirectDrawKeySpans, KeptOnlyWhenTheRunsAreLong) {
    port::PixelFormat format;
    port::FormatForDepth(32, &format);
    port::Pixmap disc, dither;
    disc.Allocate(20, 2, format);
    dither.Allocate(20, 2, format);
    for (int x = 0; x < 20; ++x) {
        disc.Set(x, 0, x < 3 || x >= 17 ? 0xFF00FF : 1);
        disc.Set(x, 1, x == 10 ? 0xFF00FF : 2);
        dither.Set(x, 0, x % 2 ? 0xFF00FF : 1);
        dither.Set(x, 1, x % 2 ? 2 : 0xFF00FF);
    }
    port::blit::Spans spans;
    ASSERT_TRUE(spans.Build(disc, 0xFF00FF));
    ASSERT_EQ(spans.rowStart, (std::vector<uint32_t>{0, 1, 3}));
    EXPECT_EQ(spans.runs[0].start, 3);
    EXPECT_EQ(spans.runs[0].length, 14);
    EXPECT_EQ(spans.runs[1].length, 10);
    EXPECT_EQ(spans.runs[2].start, 11);
    EXPECT_EQ(spans.runs[2].length, 9);
    EXPECT_FALSE(spans.Build(dither, 0xFF00FF));
    EXPECT_TRUE(spans.runs.empty());
}

// Kept runs must follow every way a source can change.
TEST_F(DirectDrawTest, KeyedBlitsFollowChangesToTheSource) {
    Open(32);
    IDirectDrawSurface* sprite = Offscreen(16, 1);
    DDBLTFX key = Fx(0xFF00FF), blank = Fx(0);
    sprite->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &key);
    DDCOLORKEY ck = {0xFF00FF, 0xFF00FF};
    sprite->SetColorKey(DDCKEY_SRCBLT, &ck);
    auto drawn = [&](int x) {
        back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &blank);
        EXPECT_EQ(back->BltFast(0, 0, sprite, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
        return Read(back).At(x, 0);
    };
    EXPECT_EQ(drawn(3), 0u);
    Write(sprite, 3, 0, 0x111111);  // Lock
    EXPECT_EQ(drawn(3), 0x111111u);
    HDC dc = nullptr;
    ASSERT_EQ(sprite->GetDC(&dc), DD_OK);
    SetPixel(dc, 5, 0, RGB(0x22, 0x22, 0x22));
    sprite->ReleaseDC(dc);
    EXPECT_EQ(drawn(5), 0x222222u);
    RECT left = {0, 0, 8, 1};
    DDBLTFX grey = Fx(0x333333);
    sprite->Blt(&left, nullptr, nullptr, DDBLT_COLORFILL, &grey);
    EXPECT_EQ(drawn(7), 0x333333u);
    IDirectDrawSurface* dot = Offscreen(1, 1);
    dot->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &grey);
    sprite->BltFast(12, 0, dot, nullptr, 0);
    EXPECT_EQ(drawn(12), 0x333333u);
    ck = {0x333333, 0x333333};
    sprite->SetColorKey(DDCKEY_SRCBLT, &ck);
    EXPECT_EQ(drawn(7), 0u);
    EXPECT_EQ(drawn(10), 0xFF00FFu);
    port::DirectDrawActivation(false);
    port::DirectDrawActivation(true);
    ASSERT_EQ(sprite->Restore(), DD_OK);
    ASSERT_EQ(primary->Restore(), DD_OK);
    EXPECT_EQ(drawn(10), 0xCDCDCDCDu);
    dot->Release();
    sprite->Release();
}

TEST_F(DirectDrawTest, OverlappingBltFastOnOneSurfaceCopiesTheOriginalPixels) {
    Open(32);
    IDirectDrawSurface* s = Offscreen(8, 1);
    for (int x = 0; x < 8; ++x) Write(s, x, 0, x + 1);
    RECT r = {0, 0, 6, 1};
    ASSERT_EQ(s->BltFast(2, 0, s, &r, 0), DD_OK);
    EXPECT_EQ(Read(s).values, (std::vector<uint32_t>{1, 2, 1, 2, 3, 4, 5, 6}));
    s->Release();
}

// ---- Device contexts -------------------------------------------------------------

TEST_F(DirectDrawTest, ADeviceContextLocksTheSurfaceUntilReleased) {
    Open(16);
    IDirectDrawSurface* sprite = Offscreen(4, 4);
    HDC dc = nullptr, second = nullptr;
    ASSERT_EQ(back->GetDC(&dc), DD_OK);
    EXPECT_EQ(port::Live().dcs, 1);
    EXPECT_EQ(back->GetDC(&second), DDERR_DCALREADYCREATED);
    DDBLTFX fx = Fx(0);
    DDSURFACEDESC desc = Desc();
    EXPECT_EQ(back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_SURFACEBUSY);
    EXPECT_EQ(back->BltFast(0, 0, sprite, nullptr, 0), DDERR_SURFACEBUSY);
    EXPECT_EQ(sprite->BltFast(0, 0, back, nullptr, 0), DDERR_SURFACEBUSY);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACEBUSY);
    EXPECT_EQ(back->Lock(nullptr, &desc, 0, nullptr), DDERR_SURFACEBUSY);
    // GDI draws on the surface's own pixels, in its format.
    EXPECT_NE(SetPixel(dc, 1, 2, RGB(255, 0, 255)), CLR_INVALID);
    EXPECT_EQ(back->ReleaseDC(reinterpret_cast<HDC>(&desc)), DDERR_INVALIDPARAMS);
    EXPECT_EQ(back->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(back->ReleaseDC(dc), DDERR_NODC);
    EXPECT_EQ(port::Live().dcs, 0);
    EXPECT_EQ(Read(back).At(1, 2), 0xF81Fu);
    EXPECT_EQ(back->BltFast(0, 0, sprite, nullptr, 0), DD_OK);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    // A surface released with its DC out takes the DC with it.
    ASSERT_EQ(sprite->GetDC(&dc), DD_OK);
    EXPECT_EQ(sprite->Release(), 0u);
    EXPECT_EQ(port::Live().dcs, 0);
}

// ---- Flipping ----------------------------------------------------------------------

TEST_F(DirectDrawTest, FlipPresentsTheBackBufferAndSwapsTheBuffers) {
    Open(32);
    DDBLTFX red = Fx(0xFF0000), blue = Fx(0x0000FF);
    back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &red);
    const uint64_t frame = port::headless::FrameCount();
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(port::headless::FrameCount(), frame + 1);
    port::headless::Picture shown = port::headless::LastFrame();
    ASSERT_EQ(shown.width, 640);
    ASSERT_EQ(shown.height, 480);
    EXPECT_EQ(shown.At(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(shown.At(639, 479), RGB(255, 0, 0));
    back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &blue);
    ASSERT_EQ(primary->Flip(back, 0), DD_OK);  // no wait: no vertical blank
    EXPECT_EQ(port::headless::FrameCount(), frame + 1);
    EXPECT_EQ(port::headless::LastFrame().At(320, 240), RGB(0, 0, 255));
    EXPECT_EQ(Read(back).At(5, 5), 0xFF0000u);  // the old front
    EXPECT_EQ(Read(primary).At(5, 5), 0x0000FFu);
    EXPECT_TRUE(HasLine("Flip(0x1) -> 0x0"));
    EXPECT_EQ(back->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
    IDirectDrawSurface* sprite = Offscreen(2, 2);
    EXPECT_EQ(sprite->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
    EXPECT_EQ(primary->Flip(sprite, DDFLIP_WAIT), DDERR_INVALIDPARAMS);
    sprite->Release();
}

// ---- Lost surfaces -------------------------------------------------------------------

TEST_F(DirectDrawTest, LosingTheForegroundLosesEverySurfaceUntilRestored) {
    Open(32);
    IDirectDrawSurface* sprite = Offscreen(8, 8);
    DDBLTFX fx = Fx(0x123456);
    sprite->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx);
    port::headless::SetFocus(false);
    DispatchWaitingMessages();
    HDC dc = nullptr;
    DDSURFACEDESC desc = Desc();
    EXPECT_EQ(back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_SURFACELOST);
    EXPECT_EQ(back->BltFast(0, 0, sprite, nullptr, 0), DDERR_SURFACELOST);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACELOST);
    EXPECT_EQ(sprite->Lock(nullptr, &desc, 0, nullptr), DDERR_SURFACELOST);
    EXPECT_EQ(sprite->GetDC(&dc), DDERR_SURFACELOST);
    EXPECT_EQ(sprite->Restore(), DDERR_WRONGMODE);
    EXPECT_EQ(primary->Restore(), DDERR_WRONGMODE);
    port::headless::SetFocus(true);
    DispatchWaitingMessages();
    EXPECT_EQ(sprite->BltFast(0, 0, sprite, nullptr, 0), DDERR_SURFACELOST);  // still lost
    EXPECT_EQ(sprite->Restore(), DD_OK);
    Pixels p = Read(sprite);
    EXPECT_EQ(p.At(0, 0), 0xCDCDCDCDu);  // the old pixels are gone
    EXPECT_EQ(p.At(7, 7), 0xCDCDCDCDu);
    EXPECT_EQ(back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_SURFACELOST);
    EXPECT_EQ(primary->Restore(), DD_OK);  // the whole chain
    EXPECT_EQ(back->BltFast(0, 0, sprite, nullptr, 0), DD_OK);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(primary->Restore(), DD_OK);  // nothing to restore
    sprite->Release();
}

TEST_F(DirectDrawTest, OnlyExclusiveFullScreenLosesSurfaces) {
    ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
    ASSERT_EQ(dd->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
    IDirectDrawSurface* sprite = Offscreen(4, 4);
    port::DirectDrawActivation(false);
    DDSURFACEDESC desc = Desc();
    EXPECT_EQ(sprite->Lock(nullptr, &desc, 0, nullptr), DD_OK);
    sprite->Unlock(nullptr);
    port::DirectDrawActivation(true);
    sprite->Release();
}

TEST_F(DirectDrawTest, ChangingTheDisplayModeLosesSurfacesMadeForTheOldOne) {
    Open(32);
    IDirectDrawSurface* sprite = Offscreen(4, 4);
    ASSERT_EQ(dd->SetDisplayMode(640, 480, 16), DD_OK);
    EXPECT_EQ(back->BltFast(0, 0, sprite, nullptr, 0), DDERR_SURFACELOST);
    EXPECT_EQ(sprite->Restore(), DDERR_WRONGMODE);
    EXPECT_EQ(primary->Restore(), DDERR_WRONGMODE);
    ASSERT_EQ(dd->SetDisplayMode(640, 480, 32), DD_OK);
    EXPECT_EQ(sprite->Restore(), DD_OK);
    EXPECT_EQ(primary->Restore(), DD_OK);
    sprite->Release();
}

// ---- References ------------------------------------------------------------------------

TEST_F(DirectDrawTest, TheFlipChainCountsItsReferences) {
    Open(32);
    EXPECT_EQ(port::Live().surfaces, 2);
    EXPECT_EQ(back->Release(), 1u);  // the chain still holds it
    back = nullptr;
    EXPECT_EQ(port::Live().surfaces, 2);
    EXPECT_EQ(primary->Release(), 0u);
    primary = nullptr;
    EXPECT_EQ(port::Live().surfaces, 0);
    EXPECT_TRUE(HasLine("Release(backbuffer) -> 1"));
    EXPECT_TRUE(HasLine("Release(primary) -> 0"));
    EXPECT_EQ(dd->Release(), 0u);
    dd = nullptr;
    EXPECT_TRUE(HasLine("Release(DirectDraw) -> 0"));
}

TEST_F(DirectDrawTest, SurfacesOutliveTheirDirectDrawObjectSafely) {
    Open(32);
    IDirectDrawSurface* sprite = Offscreen(4, 4);
    EXPECT_EQ(primary->Release(), 0u);  // the back buffer lives on, alone
    primary = nullptr;
    EXPECT_EQ(dd->Release(), 0u);
    dd = nullptr;
    EXPECT_EQ(port::Live().comObjects, 0);
    DDBLTFX fx = Fx(0);
    EXPECT_EQ(back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_INVALIDOBJECT);
    EXPECT_EQ(back->BltFast(0, 0, sprite, nullptr, 0), DDERR_INVALIDOBJECT);
    EXPECT_EQ(sprite->Restore(), DDERR_INVALIDOBJECT);
    EXPECT_EQ(sprite->Release(), 0u);
    EXPECT_EQ(back->Release(), 0u);
    back = nullptr;
}

TEST_F(DirectDrawTest, AResetRetiresWhatIsStillHeld) {
    Open(32);
    HDC dc = nullptr;
    ASSERT_EQ(back->GetDC(&dc), DD_OK);
    port::ResetForTest();
    EXPECT_EQ(port::Live().surfaces, 0);
    DDBLTFX fx = Fx(0);
    EXPECT_EQ(back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_INVALIDOBJECT);
    // Releasing after the reset neither crashes nor counts below zero (TearDown).
}

// ---- Injected failures -----------------------------------------------------------------

TEST_F(DirectDrawTest, InjectedFailuresGiveTheUsualCodesAndChangeNothing) {
    Open(32);
    IDirectDrawSurface* sprite = Offscreen(4, 4);
    port::FailCall("Lock", 1, 2);
    DDSURFACEDESC desc = Desc();
    int tries = 1;
    HRESULT r;
    while ((r = sprite->Lock(nullptr, &desc, 0, nullptr)) == DDERR_WASSTILLDRAWING) ++tries;
    EXPECT_EQ(r, DD_OK);
    EXPECT_EQ(tries, 3);
    sprite->Unlock(nullptr);
    port::FailCall("Flip");
    port::FailCall("BltFast");
    const uint64_t frame = port::headless::FrameCount();
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACELOST);
    EXPECT_EQ(port::headless::FrameCount(), frame);
    EXPECT_EQ(back->BltFast(0, 0, sprite, nullptr, 0), DDERR_SURFACELOST);
    EXPECT_EQ(back->BltFast(0, 0, sprite, nullptr, 0), DD_OK);  // not really lost
    port::FailCall("CreateSurface");
    DDSURFACEDESC off = Desc();
    off.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    off.dwWidth = off.dwHeight = 4;
    off.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    IDirectDrawSurface* none = nullptr;
    EXPECT_EQ(dd->CreateSurface(&off, &none, nullptr), DDERR_OUTOFMEMORY);
    EXPECT_EQ(port::Live().surfaces, 3);
    port::FailCall("IDirectDrawSurface::GetDC");
    HDC dc = nullptr;
    EXPECT_NE(sprite->GetDC(&dc), DD_OK);
    EXPECT_EQ(dc, nullptr);
    EXPECT_EQ(port::Live().dcs, 0);
    sprite->Release();
}

TEST_F(DirectDrawTest, ColorKeyTakesOneValueAndCanBeRemoved) {
    Open(32);
    IDirectDrawSurface* sprite = Offscreen(2, 1);
    Write(sprite, 0, 0, 0xFF00FF);
    Write(sprite, 1, 0, 0x00FF00);
    DDCOLORKEY ck = {0xFF00FF, 0xFFFFFF};  // the high value is not a range
    EXPECT_EQ(sprite->SetColorKey(DDCKEY_SRCBLT | 0x2, &ck), DDERR_INVALIDPARAMS);
    ASSERT_EQ(sprite->SetColorKey(DDCKEY_SRCBLT, &ck), DD_OK);
    DDBLTFX fx = Fx(0x111111);
    back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx);
    back->BltFast(0, 0, sprite, nullptr, DDBLTFAST_SRCCOLORKEY);
    EXPECT_EQ(Read(back).At(0, 0), 0x111111u);
    EXPECT_EQ(Read(back).At(1, 0), 0x00FF00u);
    ASSERT_EQ(sprite->SetColorKey(DDCKEY_SRCBLT, nullptr), DD_OK);
    back->BltFast(0, 0, sprite, nullptr, DDBLTFAST_SRCCOLORKEY);
    EXPECT_EQ(Read(back).At(0, 0), 0xFF00FFu);
    sprite->Release();
}

}  // namespace
