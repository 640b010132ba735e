// Sprites on a real display of the headless host: loading, colour keys at every
// depth, drawing, reloading after a lost surface, and the debugger texts.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "framework/sprite.h"
#include "port/control.h"
#include "port/hosts/headless/headless.h"
#include "port/src/pixels.h"
#include "port/src/surface.h"
#include "tests/fuzz/bmp_files.h"

namespace {

using bmp_files::Image;
using bmp_files::Layout;

constexpr COLORREF kMagenta = 0xFF00FF;
constexpr COLORREF kBackground = 0x204060;

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// A picture with every kind of pixel a key test needs: magenta ones, one of the
// top-left pixel's colour elsewhere, and plain ones.
Image KeyPicture() {
    Image image = bmp_files::Pattern(6, 4);
    image.pixels[0] = 0x00C000;                 // top-left, not magenta
    image.pixels[1 * 6 + 2] = kMagenta;
    image.pixels[3 * 6 + 5] = kMagenta;
    image.pixels[2 * 6 + 4] = 0x00C000;         // the top-left's colour again
    return image;
}

class Sprites : public testing::TestWithParam<int> {
protected:
    void SetUp() override {
        port::ResetForTest();
        std::string pattern = testing::TempDir() + "sprites_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern + "/";
        ASSERT_NE(getcwd(startDir, sizeof startDir), nullptr);
        ASSERT_EQ(chdir(dir.c_str()), 0);  // relative names, as the game uses

        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = TestWindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "SPRITES";
        RegisterClassA(&windowClass);
        window = CreateWindowExA(0, "SPRITES", "sprites", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480,
                                 nullptr, nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(window, nullptr);
        PumpMessages();
        display = std::make_unique<Display>();
        ASSERT_EQ(display->SetUp(window, 640, 480, Bits()), DisplaySetUp::READY);
        FillBackBuffer(kBackground);
    }
    void TearDown() override {
        display.reset();
        EXPECT_EQ(chdir(startDir), 0);
        std::string command = "rm -rf '" + dir + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
    }

    virtual int Bits() const { return GetParam(); }

    void WritePicture(const std::string& name, const Image& image) {
        ASSERT_TRUE(bmp_files::WriteFile(dir + name, bmp_files::Encode(image, Layout::Rgb24)));
    }

    port::PixelFormat Format() const {
        port::PixelFormat format;
        port::FormatForDepth(Bits(), &format);
        return format;
    }
    // A colour as this display keeps it.
    COLORREF Kept(COLORREF color) const {
        return port::PixelToColor(port::ColorToPixel(color, Format()), Format());
    }

    void FillBackBuffer(COLORREF color) {
        DDBLTFX fx = {};
        fx.dwSize = sizeof fx;
        fx.dwFillColor = port::ColorToPixel(color, Format());
        ASSERT_EQ(display->backBuffer->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx),
                  DD_OK);
    }
    COLORREF SurfacePixel(IDirectDrawSurface* surface, int x, int y) {
        HDC dc = nullptr;
        if (surface->GetDC(&dc) != DD_OK) return CLR_INVALID;
        COLORREF color = GetPixel(dc, x, y);
        surface->ReleaseDC(dc);
        return color;
    }
    COLORREF BackPixel(int x, int y) { return SurfacePixel(display->backBuffer, x, y); }

    // Whether the back buffer shows `image` at (left, top), with pixels of
    // `transparent` left showing the background.
    void ExpectDrawn(const Image& image, int left, int top, COLORREF transparent = CLR_INVALID) {
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) {
                COLORREF c = image.At(x, y);
                COLORREF expected = Kept(c == transparent ? kBackground : c);
                ASSERT_EQ(BackPixel(left + x, top + y), expected) << x << "," << y;
            }
    }
    void ExpectBackground(int left, int top, int width, int height) {
        for (int y = top; y < top + height; ++y)
            for (int x = left; x < left + width; ++x)
                ASSERT_EQ(BackPixel(x, y), Kept(kBackground)) << x << "," << y;
    }

    // The program goes to the background and back: every surface is lost. The
    // display restores its flip chain as its failed flip would.
    void LoseSurfaces() {
        port::headless::SetFocus(false);
        PumpMessages();
        port::headless::SetFocus(true);
        PumpMessages();
        ASSERT_EQ(display->primary->Restore(), DD_OK);
        FillBackBuffer(kBackground);
    }

    DWORD KeyOf(const Sprite& sprite) {
        auto* surface = static_cast<port::Surface*>(sprite.surface);
        return surface->keyed ? surface->colorKey : 0xDEADBEEF;
    }

    std::string dir;
    char startDir[4096];
    HWND window = nullptr;
    std::unique_ptr<Display> display;
};

INSTANTIATE_TEST_SUITE_P(Depths, Sprites, testing::Values(16, 24, 32),
                         [](const testing::TestParamInfo<int>& info) {
                             return std::to_string(info.param) + "bpp";
                         });

// ---- Loading and drawing -----------------------------------------------------------

TEST_P(Sprites, NeverLoadedDrawsNothing) {
    Sprite sprite;
    EXPECT_EQ(sprite.Draw(0, 0), 0);
    sprite.SetColorKey(kMagenta);
    EXPECT_FALSE(sprite.keyed);
    EXPECT_EQ(port::CallCount("BltFast"), 0);
    ExpectBackground(0, 0, 8, 8);
}

TEST_P(Sprites, LoadedSpriteDrawsWholeAtItsPosition) {
    Image image = KeyPicture();
    WritePicture("picture.bmp", image);
    Sprite sprite;
    ASSERT_TRUE(sprite.Load("picture.bmp", display.get()));
    EXPECT_EQ(sprite.width, 6);
    EXPECT_EQ(sprite.height, 4);
    EXPECT_STREQ(sprite.fileName, "picture.bmp");
    EXPECT_FALSE(sprite.keyed);
    EXPECT_EQ(sprite.Draw(10, 20), 0);
    ExpectDrawn(image, 10, 20);  // magenta too: no key
    ExpectBackground(16, 20, 1, 4);
    ExpectBackground(10, 24, 6, 1);
}

TEST_P(Sprites, LoadingLeaksNoGdiObjectOrDc) {
    WritePicture("picture.bmp", KeyPicture());
    {
        Sprite sprite;
        ASSERT_TRUE(sprite.Load("picture.bmp", display.get()));
        sprite.SetColorKey(kMagenta);
        LoseSurfaces();
        sprite.Draw(0, 0);
        sprite.Draw(0, 0);
        EXPECT_EQ(port::Live().gdiObjects, 0);
        EXPECT_EQ(port::Live().dcs, 0);
        EXPECT_EQ(port::Live().surfaces, 3);
    }
    EXPECT_EQ(port::Live().surfaces, 2);  // the flip chain alone
}

TEST_P(Sprites, MissingFileGivesFalseQuietly) {
    Sprite sprite;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(sprite.Load("missing.bmp", display.get()));
    EXPECT_EQ(sprite.surface, nullptr);
    EXPECT_EQ(sprite.Draw(0, 0), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(port::CallCount("BltFast"), 0);
    EXPECT_EQ(sprite.width, 0);
    EXPECT_EQ(port::Live().surfaces, 2);
}

TEST_P(Sprites, FailedReloadKeepsTheEarlierSize) {
    WritePicture("picture.bmp", KeyPicture());
    Sprite sprite;
    ASSERT_TRUE(sprite.Load("picture.bmp", display.get()));
    EXPECT_FALSE(sprite.Load("missing.bmp", display.get()));
    EXPECT_EQ(sprite.surface, nullptr);  // the old surface was released first
    EXPECT_EQ(sprite.width, 6);
    EXPECT_EQ(sprite.height, 4);
    EXPECT_EQ(port::Live().surfaces, 2);
}

TEST_P(Sprites, LoadingAgainReleasesTheSurfaceHeld) {
    WritePicture("a.bmp", bmp_files::Pattern(3, 3));
    WritePicture("b.bmp", bmp_files::Pattern(5, 2));
    Sprite sprite;
    ASSERT_TRUE(sprite.Load("a.bmp", display.get()));
    ASSERT_TRUE(sprite.Load("b.bmp", display.get()));
    EXPECT_EQ(port::Live().surfaces, 3);
    EXPECT_EQ(sprite.width, 5);
    EXPECT_EQ(sprite.height, 2);
    sprite.Release();
    EXPECT_EQ(sprite.surface, nullptr);
    EXPECT_EQ(port::Live().surfaces, 2);
    EXPECT_STREQ(sprite.fileName, "b.bmp");  // the other fields stay
    EXPECT_EQ(sprite.width, 5);
    sprite.Release();  // twice is harmless
}

TEST_P(Sprites, NullDisplayKeepsTheNameAndTheSurface) {
    WritePicture("picture.bmp", KeyPicture());
    Sprite sprite;
    ASSERT_TRUE(sprite.Load("picture.bmp", display.get()));
    IDirectDrawSurface* held = sprite.surface;
    EXPECT_FALSE(sprite.Load("other.bmp", nullptr));
    EXPECT_STREQ(sprite.fileName, "other.bmp");
    EXPECT_EQ(sprite.surface, held);
    EXPECT_EQ(sprite.display, nullptr);
    EXPECT_EQ(sprite.Draw(0, 0), 0);  // no display, nothing to draw on
    ExpectBackground(0, 0, 6, 4);

    Sprite fresh;
    EXPECT_FALSE(fresh.Load("picture.bmp", nullptr));
    EXPECT_STREQ(fresh.fileName, "picture.bmp");
    EXPECT_EQ(fresh.surface, nullptr);
}

TEST_P(Sprites, NamesUpTo49CharactersFit) {
    const std::string name49 = std::string(45, 'n') + ".bmp";
    const std::string name50 = std::string(46, 'n') + ".bmp";
    ASSERT_EQ(name49.size(), 49u);
    WritePicture(name49, bmp_files::Pattern(2, 2));
    WritePicture(name50, bmp_files::Pattern(2, 2));
    Sprite sprite;
    ASSERT_TRUE(sprite.Load(name49.c_str(), display.get()));
    EXPECT_EQ(std::string(sprite.fileName), name49);

    const int loads = port::CallCount("LoadImageA");
    EXPECT_FALSE(sprite.Load(name50.c_str(), display.get()));
    EXPECT_EQ(port::CallCount("LoadImageA"), loads);  // refused before any load
    EXPECT_EQ(std::string(sprite.fileName), name49);
    EXPECT_NE(sprite.surface, nullptr);  // the 49-character one is still held
    EXPECT_FALSE(sprite.Load(nullptr, display.get()));
}

TEST_P(Sprites, ManyMalformedFilesLeakNothing) {
    const bmp_files::Bytes good = bmp_files::Encode(bmp_files::Pattern(4, 3), Layout::Rgb24);
    std::vector<bmp_files::Bytes> files;
    for (size_t cut : {0, 1, 2, 13, 14, 30, 53, 54}) files.emplace_back(good.begin(), good.begin() + cut);
    bmp_files::Bytes b = good;
    b[0] = 'X';
    files.push_back(b);
    b = good;
    bmp_files::Poke32(b, 18, 100000);
    bmp_files::Poke32(b, 22, 100000);
    files.push_back(b);
    b = good;
    bmp_files::Poke32(b, 18, 0);
    bmp_files::Poke32(b, 22, 0);
    files.push_back(b);
    b = good;
    b.pop_back();
    files.push_back(b);
    ASSERT_EQ(mkdir((dir + "folder.bmp").c_str(), 0755), 0);
    testing::internal::CaptureStderr();
    for (int round = 0; round < 20; ++round) {
        for (size_t i = 0; i < files.size(); ++i) {
            ASSERT_TRUE(bmp_files::WriteFile(dir + "bad.bmp", files[i]));
            Sprite sprite;
            EXPECT_FALSE(sprite.Load("bad.bmp", display.get())) << i;
        }
        Sprite folder;
        EXPECT_FALSE(folder.Load("folder.bmp", display.get()));
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(port::Live().gdiObjects, 0);
    EXPECT_EQ(port::Live().dcs, 0);
    EXPECT_EQ(port::Live().surfaces, 2);
}

// ---- Colour keys ----------------------------------------------------------------------

TEST_P(Sprites, MagentaKeyIsTheDisplaysOwnValue) {
    Image image = KeyPicture();
    WritePicture("cd.bmp", image);
    Sprite sprite;
    ASSERT_TRUE(sprite.Load("cd.bmp", display.get()));
    const COLORREF topLeft = SurfacePixel(sprite.surface, 0, 0);
    sprite.SetColorKey(kMagenta);
    EXPECT_TRUE(sprite.keyed);
    EXPECT_EQ(KeyOf(sprite), Bits() == 16 ? 0xF81Fu : 0xFF00FFu);
    EXPECT_EQ(SurfacePixel(sprite.surface, 0, 0), topLeft);  // put back
    EXPECT_EQ(sprite.Draw(30, 40), 0);
    ExpectDrawn(image, 30, 40, kMagenta);
}

TEST_P(Sprites, InvalidColourKeysTheTopLeftPixelWithoutWritingIt) {
    Image image = KeyPicture();
    WritePicture("cd.bmp", image);
    Sprite sprite;
    ASSERT_TRUE(sprite.Load("cd.bmp", display.get()));
    const int setPixels = port::CallCount("SetPixel");
    const int surfaceDCs = port::CallCount("IDirectDrawSurface::GetDC");
    sprite.SetColorKey(CLR_INVALID);
    EXPECT_EQ(port::CallCount("SetPixel"), setPixels);
    EXPECT_EQ(port::CallCount("IDirectDrawSurface::GetDC"), surfaceDCs);
    EXPECT_EQ(KeyOf(sprite), port::ColorToPixel(0x00C000, Format()));
    EXPECT_EQ(sprite.Draw(0, 0), 0);
    ExpectDrawn(image, 0, 0, 0x00C000);
}

TEST_P(Sprites, KeySetBeforeLoadingHasNoEffect) {
    Image image = KeyPicture();
    WritePicture("cd.bmp", image);
    Sprite sprite;
    sprite.SetColorKey(kMagenta);
    ASSERT_TRUE(sprite.Load("cd.bmp", display.get()));
    EXPECT_FALSE(sprite.keyed);
    sprite.Draw(0, 0);
    ExpectDrawn(image, 0, 0);  // every pixel, magenta too
}

TEST_P(Sprites, BusySurfaceLockIsRetriedUntilItGives) {
    WritePicture("cd.bmp", KeyPicture());
    Sprite sprite;
    ASSERT_TRUE(sprite.Load("cd.bmp", display.get()));
    port::FailCall("Lock", 1, 25);  // "still drawing", 25 times over
    const int locks = port::CallCount("Lock");
    sprite.SetColorKey(kMagenta);
    EXPECT_EQ(port::CallCount("Lock") - locks, 26);
    EXPECT_EQ(KeyOf(sprite), port::ColorToPixel(kMagenta, Format()));
}

TEST_P(Sprites, UnreadableSurfaceGivesAllOnesKey) {
    WritePicture("cd.bmp", KeyPicture());
    Sprite sprite;
    ASSERT_TRUE(sprite.Load("cd.bmp", display.get()));
    port::headless::SetFocus(false);
    PumpMessages();  // every surface lost: GetDC and Lock fail
    EXPECT_EQ(MatchSurfaceColor(sprite.surface, kMagenta), 0xFFFFFFFFu);
    sprite.SetColorKey(kMagenta);
    EXPECT_TRUE(sprite.keyed);
    EXPECT_EQ(KeyOf(sprite), 0xFFFFFFFFu);  // set all the same
    EXPECT_EQ(port::CallCount("Unlock"), 0);
}

TEST_P(Sprites, KeyedDrawWaitsForTheBlitterToo) {
    WritePicture("cd.bmp", KeyPicture());
    Sprite sprite;
    ASSERT_TRUE(sprite.Load("cd.bmp", display.get()));
    port::EnableTrace(true);
    sprite.Draw(1, 2);
    sprite.SetColorKey(kMagenta);
    sprite.Draw(3, 4);
    std::vector<std::string> blits;
    for (const std::string& line : port::TraceLines())
        if (line.rfind("BltFast(", 0) == 0) blits.push_back(line);
    ASSERT_EQ(blits.size(), 2u);
    EXPECT_EQ(blits[0], "BltFast(backbuffer, 1, 2, offscreen 6x4, 0x10) -> 0x0");
    EXPECT_EQ(blits[1], "BltFast(backbuffer, 3, 4, offscreen 6x4, 0x11) -> 0x0");
}

// ---- Lost surfaces and reloading ---------------------------------------------------------

TEST_P(Sprites, LostSurfaceIsReloadedByTheFirstDrawAndShownByTheNext) {
    Image image = KeyPicture();
    WritePicture("cd.bmp", image);
    Sprite sprite;
    ASSERT_TRUE(sprite.Load("cd.bmp", display.get()));
    sprite.SetColorKey(kMagenta);
    LoseSurfaces();
    testing::internal::CaptureStderr();
    EXPECT_EQ(sprite.Draw(5, 5), 0);  // the reload's result
    ExpectBackground(5, 5, 6, 4);     // missing from this frame
    EXPECT_EQ(sprite.Draw(5, 5), 0);
    ExpectDrawn(image, 5, 5, kMagenta);  // the key still holds: it belongs to the surface
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(port::Live().gdiObjects, 0);
    EXPECT_EQ(port::Live().dcs, 0);
}

TEST_P(Sprites, FileOfAnotherSizeIsStretchedToTheFirst) {
    WritePicture("cd.bmp", bmp_files::Pattern(4, 2));
    Sprite sprite;
    ASSERT_TRUE(sprite.Load("cd.bmp", display.get()));
    // Twice the size, one colour per 2 x 2 block.
    Image small = bmp_files::Pattern(4, 2, 16);
    Image big{8, 4, std::vector<uint32_t>(32)};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) big.pixels[y * 8 + x] = small.At(x / 2, y / 2);
    WritePicture("cd.bmp", big);
    LoseSurfaces();
    sprite.Draw(0, 0);
    EXPECT_EQ(sprite.Draw(0, 0), 0);
    EXPECT_EQ(sprite.width, 4);
    EXPECT_EQ(sprite.height, 2);
    ExpectDrawn(small, 0, 0);
    ExpectBackground(4, 0, 4, 4);
    ExpectBackground(0, 2, 4, 2);
}

TEST_P(Sprites, FailedBlitReloadsEvenWhenNothingWasLost) {
    Image image = KeyPicture();
    WritePicture("cd.bmp", image);
    Sprite sprite;
    ASSERT_TRUE(sprite.Load("cd.bmp", display.get()));
    const int loads = port::CallCount("LoadImageA");
    port::FailCall("BltFast");
    EXPECT_EQ(sprite.Draw(0, 0), 0);
    EXPECT_EQ(port::CallCount("LoadImageA") - loads, 2);  // as a resource, then as a file
    ExpectBackground(0, 0, 6, 4);
    // Where it does not fit: BltFast does not clip, so the blit fails too.
    EXPECT_EQ(sprite.Draw(636, 0), 0);
    EXPECT_EQ(sprite.Draw(-1, 0), 0);
    EXPECT_EQ(port::CallCount("LoadImageA") - loads, 6);
    sprite.Draw(0, 0);
    ExpectDrawn(image, 0, 0);
}

TEST_P(Sprites, VanishedFileSaysHandleIsNull) {
    WritePicture("cd.bmp", KeyPicture());
    Sprite sprite;
    ASSERT_TRUE(sprite.Load("cd.bmp", display.get()));
    ASSERT_EQ(std::remove((dir + "cd.bmp").c_str()), 0);
    LoseSurfaces();
    testing::internal::CaptureStderr();
    EXPECT_EQ(sprite.Draw(0, 0), E_FAIL);
    EXPECT_EQ(sprite.Draw(0, 0), E_FAIL);  // stays lost; every draw tries again
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "handle is null\nhandle is null\n");
    ExpectBackground(0, 0, 6, 4);
    EXPECT_EQ(port::Live().gdiObjects, 0);
}

TEST_P(Sprites, NoMemoryDcSaysSoAndGoesOn) {
    WritePicture("cd.bmp", KeyPicture());
    Sprite sprite;
    ASSERT_TRUE(sprite.Load("cd.bmp", display.get()));
    LoseSurfaces();
    port::FailCall("CreateCompatibleDC");
    testing::internal::CaptureStderr();
    EXPECT_EQ(sprite.Draw(0, 0), 0);  // the surface's GetDC worked
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "createcompatible dc failed\n");
    // Restored but not refilled: it holds what a restored surface holds.
    const uint32_t restored = port::kRestoredByte * 0x01010101u;
    EXPECT_EQ(SurfacePixel(sprite.surface, 0, 0),
              port::PixelToColor(restored & ((1ull << Bits()) - 1), Format()));
    EXPECT_EQ(port::Live().gdiObjects, 0);
    EXPECT_EQ(port::Live().dcs, 0);
}

TEST_P(Sprites, FailedCopySaysDdcopybitmapFailed) {
    WritePicture("cd.bmp", KeyPicture());
    Sprite sprite;
    ASSERT_TRUE(sprite.Load("cd.bmp", display.get()));
    LoseSurfaces();
    port::FailCall("IDirectDrawSurface::GetDC");
    testing::internal::CaptureStderr();
    EXPECT_EQ(sprite.Draw(0, 0), DDERR_CANTCREATEDC);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "ddcopybitmap failed\n");

    // A surface that cannot be restored cannot give a DC either.
    LoseSurfaces();
    port::FailCall("Restore");
    testing::internal::CaptureStderr();
    EXPECT_EQ(sprite.Draw(0, 0), DDERR_SURFACELOST);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "ddcopybitmap failed\n");
    EXPECT_EQ(port::Live().gdiObjects, 0);
    EXPECT_EQ(port::Live().dcs, 0);
}

TEST_P(Sprites, StretchHelperRefusesNullArguments) {
    WritePicture("cd.bmp", KeyPicture());
    Sprite sprite;
    ASSERT_TRUE(sprite.Load("cd.bmp", display.get()));
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(nullptr, "cd.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(StretchBitmapToSurface(nullptr, bitmap, 0, 0, 0, 0), E_FAIL);
    EXPECT_EQ(StretchBitmapToSurface(sprite.surface, nullptr, 0, 0, 0, 0), E_FAIL);
    // Part of the bitmap over the whole surface: its right half, doubled in width.
    EXPECT_EQ(StretchBitmapToSurface(sprite.surface, bitmap, 3, 0, 3, 4), DD_OK);
    Image image = KeyPicture();
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(SurfacePixel(sprite.surface, x, 1), Kept(image.At(3 + x / 2, 1))) << x;
    DeleteObject(bitmap);
    EXPECT_EQ(port::Live().gdiObjects, 0);
    EXPECT_EQ(port::Live().dcs, 0);
}

}  // namespace
