// Bitmap files through LoadImageA, the blits between DCs of every format, and
// single pixels.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <random>
#include <string>

#include "port/control.h"
#include "port/include/windows.h"
#include "port/src/gdi_objects.h"
#include "port/src/pixels.h"
#include "tests/fuzz/bmp_files.h"

namespace {

using bmp_files::Bytes;
using bmp_files::Image;
using bmp_files::Layout;

constexpr UINT kFromFile = LR_LOADFROMFILE | LR_CREATEDIBSECTION;

class Bitmaps : public testing::Test {
protected:
    void SetUp() override {
        port::ResetForTest();
        std::string pattern = testing::TempDir() + "bitmaps_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern + "/";
    }
    void TearDown() override {
        std::string command = "rm -rf '" + dir + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
    }

    std::string Write(const std::string& name, const Bytes& bytes) {
        std::string path = dir + name;
        EXPECT_TRUE(bmp_files::WriteFile(path, bytes));
        return path;
    }
    HBITMAP Load(const std::string& path) {
        return static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, kFromFile));
    }

    std::string dir;
};

// A bitmap of the given depth, made directly, and a memory DC holding it.
struct Canvas {
    Canvas(int width, int height, int bits) {
        auto* object = new port::Bitmap;
        port::PixelFormat format;
        port::FormatForDepth(bits, &format);
        object->pixels.Allocate(width, height, format);
        pixels = &object->pixels;
        bitmap = port::Register(object);
        dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, bitmap);
    }
    ~Canvas() {
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    HGDIOBJ bitmap;
    HDC dc;
    port::Pixmap* pixels;
};

// What GDI keeps of a colour in a format: the round trip through its pixel.
COLORREF Kept(COLORREF color, int bits) {
    port::PixelFormat format;
    port::FormatForDepth(bits, &format);
    return port::PixelToColor(port::ColorToPixel(color, format), format);
}

// Whether `loaded` is what a 5-6-5 file keeps of `color`: each channel loses
// its low bits and is widened again to the full range, so it moves by less than 8.
bool Near565(COLORREF loaded, COLORREF color) {
    for (int shift : {0, 8, 16}) {
        int a = (loaded >> shift) & 0xFF, b = (color >> shift) & 0xFF;
        if (a - b > 7 || b - a > 7) return false;
    }
    return true;
}

void ExpectPicture(HBITMAP bitmap, const Image& image, int keptBits, const std::string& what) {
    BITMAP info = {};
    ASSERT_EQ(GetObjectA(bitmap, sizeof info, &info), static_cast<int>(sizeof info)) << what;
    ASSERT_EQ(info.bmWidth, image.width) << what;
    ASSERT_EQ(info.bmHeight, image.height) << what;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    int wrong = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (!(keptBits == 16 ? Near565(GetPixel(dc, x, y), image.At(x, y))
                                 : GetPixel(dc, x, y) == image.At(x, y)) &&
                wrong++ < 3)
                ADD_FAILURE() << what << ": pixel " << x << "," << y << " is " << std::hex
                              << GetPixel(dc, x, y) << ", not " << image.At(x, y);
    SelectObject(dc, previous);
    DeleteDC(dc);
}

TEST_F(Bitmaps, LoadsEveryLayoutBottomUpAndTopDown) {
    struct Case {
        Layout layout;
        int colors;     // 0: a colour for every pixel
        int keptBits;   // the precision the file keeps
        bool topDown;
    };
    const Case cases[] = {
        {Layout::Rgb1, 2, 24, false},     {Layout::Rgb4, 16, 24, false},
        {Layout::Rgb8, 16, 24, false},    {Layout::Rle8, 16, 24, false},
        {Layout::Fields16, 0, 16, false}, {Layout::Rgb24, 0, 24, false},
        {Layout::Rgb32, 0, 24, false},    {Layout::Core24, 0, 24, false},
        {Layout::Rgb8, 16, 24, true},     {Layout::Fields16, 0, 16, true},
        {Layout::Rgb24, 0, 24, true},     {Layout::Rgb32, 0, 24, true},
    };
    // Odd widths exercise the row padding of every depth.
    for (const Case& c : cases) {
        for (int width : {1, 7, 13}) {
            Image image = bmp_files::Pattern(width, 5, c.colors);
            std::string what = "layout " + std::to_string(static_cast<int>(c.layout)) + " width " +
                               std::to_string(width) + (c.topDown ? " top-down" : "");
            Bytes file = bmp_files::Encode(image, c.layout, c.topDown);
            ASSERT_FALSE(file.empty()) << what;
            HBITMAP bitmap = Load(Write("picture.bmp", file));
            ASSERT_NE(bitmap, nullptr) << what;
            ExpectPicture(bitmap, image, c.keptBits, what);
            EXPECT_TRUE(DeleteObject(bitmap));
        }
    }
    EXPECT_EQ(port::Live().gdiObjects, 0);
    EXPECT_EQ(port::Live().dcs, 0);
}

TEST_F(Bitmaps, MagentaOfA565FileLoadsAsFullMagenta) {
    // What a colour key of 0xFF00FF needs when the picture was saved at 16 bpp.
    Image image{3, 1, {0xFF00FF, 0x000000, 0xFFFFFF}};
    HBITMAP bitmap = Load(Write("magenta.bmp", bmp_files::Encode(image, Layout::Fields16)));
    ASSERT_NE(bitmap, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    EXPECT_EQ(GetPixel(dc, 0, 0), 0xFF00FFu);
    EXPECT_EQ(GetPixel(dc, 1, 0), 0u);
    EXPECT_EQ(GetPixel(dc, 2, 0), 0xFFFFFFu);
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

TEST_F(Bitmaps, ThirtyTwoBitPixelsKeepNoAlphaByte) {
    // Pixels as GDI would write them (unused byte 0), whatever the file held there,
    // so raw compares with SetPixel's values hold.
    Image image = bmp_files::Pattern(3, 2);
    Bytes file = bmp_files::Encode(image, Layout::Rgb32);
    const size_t data = file[10];
    for (size_t i = data + 3; i < file.size(); i += 4) file[i] = 0xFF;
    HBITMAP bitmap = Load(Write("alpha.bmp", file));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info = {};
    ASSERT_NE(GetObjectA(bitmap, sizeof info, &info), 0);
    const auto* bits = static_cast<const uint8_t*>(info.bmBits);
    for (int y = 0; y < info.bmHeight; ++y)
        for (int x = 0; x < info.bmWidth; ++x) EXPECT_EQ(bits[y * info.bmWidthBytes + x * 4 + 3], 0);
    ExpectPicture(bitmap, image, 24, "alpha");
    DeleteObject(bitmap);
}

// Malformed files, each written from a valid 4 x 3 24-bit one.
std::vector<std::pair<std::string, Bytes>> MalformedFiles() {
    const Bytes good = bmp_files::Encode(bmp_files::Pattern(4, 3), Layout::Rgb24);
    std::vector<std::pair<std::string, Bytes>> files;
    auto variant = [&](const std::string& name, auto change) {
        Bytes b = good;
        change(b);
        files.emplace_back(name, b);
    };
    variant("empty", [](Bytes& b) { b.clear(); });
    variant("signature only", [](Bytes& b) { b.resize(2); });
    variant("wrong signature", [](Bytes& b) { b[1] = 'A'; });
    variant("truncated file header", [](Bytes& b) { b.resize(10); });
    variant("truncated info header", [](Bytes& b) { b.resize(30); });
    variant("truncated pixels", [](Bytes& b) { b.pop_back(); });
    variant("no pixels", [](Bytes& b) { b.resize(54); });
    variant("100000 x 100000 claimed", [](Bytes& b) {
        bmp_files::Poke32(b, 18, 100000);
        bmp_files::Poke32(b, 22, 100000);
    });
    variant("16385 wide", [](Bytes& b) { bmp_files::Poke32(b, 18, 16385); });
    variant("0 x 0", [](Bytes& b) {
        bmp_files::Poke32(b, 18, 0);
        bmp_files::Poke32(b, 22, 0);
    });
    variant("negative width", [](Bytes& b) { bmp_files::Poke32(b, 18, static_cast<uint32_t>(-4)); });
    variant("most negative height", [](Bytes& b) { bmp_files::Poke32(b, 22, 0x80000000u); });
    variant("7 bits per pixel", [](Bytes& b) { b[28] = 7; });
    variant("0 bits per pixel", [](Bytes& b) { b[28] = 0; });
    variant("JPEG inside", [](Bytes& b) { bmp_files::Poke32(b, 30, 4); });
    variant("run lengths at 24 bits", [](Bytes& b) { bmp_files::Poke32(b, 30, 1); });
    variant("header size 41", [](Bytes& b) { bmp_files::Poke32(b, 14, 41); });
    variant("header size 2^32-1", [](Bytes& b) { bmp_files::Poke32(b, 14, 0xFFFFFFFFu); });
    variant("data offset past the end", [](Bytes& b) { bmp_files::Poke32(b, 10, 1000); });
    variant("data offset inside the header", [](Bytes& b) { bmp_files::Poke32(b, 10, 20); });
    variant("data offset 2^32-1", [](Bytes& b) { bmp_files::Poke32(b, 10, 0xFFFFFFFFu); });

    // A run-length file claiming a huge picture in a few bytes.
    Bytes rle = bmp_files::Encode(bmp_files::Pattern(4, 3, 2), Layout::Rle8);
    bmp_files::Poke32(rle, 18, 16384);
    bmp_files::Poke32(rle, 22, 16384);
    files.emplace_back("run-length bomb", rle);
    // A colour table claiming more entries than the depth allows.
    Bytes palette = bmp_files::Encode(bmp_files::Pattern(4, 3, 2), Layout::Rgb1);
    bmp_files::Poke32(palette, 46, 3);
    files.emplace_back("3 colours at 1 bit", palette);
    // Run-length codes that run past the picture's end.
    Bytes overrun = bmp_files::Encode(bmp_files::Pattern(4, 3, 2), Layout::Rle8);
    overrun.resize(overrun.size() - 2);
    for (int i = 0; i < 8; ++i) overrun.insert(overrun.end(), {255, 1});
    files.emplace_back("run-length overrun", overrun);
    return files;
}

TEST_F(Bitmaps, MalformedFilesGiveNullAndLeakNothing) {
    port::EnableTrace(true);
    for (const auto& [name, bytes] : MalformedFiles()) {
        port::ClearTrace();
        std::string path = Write("bad.bmp", bytes);
        EXPECT_EQ(Load(path), nullptr) << name;
        ASSERT_EQ(port::TraceLines().size(), 1u) << name;
        EXPECT_NE(port::TraceLines()[0].find("-> null"), std::string::npos) << name;
    }
    EXPECT_EQ(port::Live().gdiObjects, 0);
}

TEST_F(Bitmaps, AbsurdSizesAreRefusedByTheHeaderCheck) {
    // Refused before any decoder runs, so before anything is allocated for them.
    port::EnableTrace(true);
    for (const auto& [name, bytes] : MalformedFiles()) {
        if (name.find("claimed") == std::string::npos && name != "run-length bomb" &&
            name != "16385 wide")
            continue;
        port::ClearTrace();
        EXPECT_EQ(Load(Write("big.bmp", bytes)), nullptr) << name;
        ASSERT_EQ(port::TraceLines().size(), 1u);
        EXPECT_NE(port::TraceLines()[0].find("(bad size)"), std::string::npos)
            << name << ": " << port::TraceLines()[0];
    }
}

TEST_F(Bitmaps, FilesThatAreNotThereOrNotFilesGiveNull) {
    EXPECT_EQ(Load(dir + "missing.bmp"), nullptr);
    EXPECT_EQ(Load(dir), nullptr);  // a directory
    ASSERT_EQ(mkdir((dir + "folder.bmp").c_str(), 0755), 0);
    EXPECT_EQ(Load(dir + "folder.bmp"), nullptr);
    EXPECT_EQ(LoadImageA(nullptr, nullptr, IMAGE_BITMAP, 0, 0, kFromFile), nullptr);
    EXPECT_EQ(LoadImageA(nullptr, "", IMAGE_BITMAP, 0, 0, kFromFile), nullptr);
    EXPECT_EQ(port::Live().gdiObjects, 0);
}

TEST_F(Bitmaps, UnreadableFileGivesNull) {
    std::string path = Write("locked.bmp", bmp_files::Encode(bmp_files::Pattern(2, 2), Layout::Rgb24));
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    if (geteuid() == 0) GTEST_SKIP() << "running as root, which reads a file of mode 000";
    EXPECT_EQ(Load(path), nullptr);
}

TEST_F(Bitmaps, OnlyFilesAtTheirOwnSizeAreLoaded) {
    std::string path = Write("ok.bmp", bmp_files::Encode(bmp_files::Pattern(4, 4), Layout::Rgb24));
    // No resources: without LR_LOADFROMFILE the name is a resource's, and there are none.
    EXPECT_EQ(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION), nullptr);
    EXPECT_EQ(LoadImageA(nullptr, path.c_str(), 1 /* IMAGE_ICON */, 0, 0, kFromFile), nullptr);
    EXPECT_EQ(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 8, 8, kFromFile), nullptr);
    port::FailCall("LoadImageA");
    EXPECT_EQ(Load(path), nullptr);
    HBITMAP bitmap = Load(path);
    EXPECT_NE(bitmap, nullptr);
    DeleteObject(bitmap);
    EXPECT_EQ(port::Live().gdiObjects, 0);
}

TEST_F(Bitmaps, RelativeNamesAreTakenFromTheCurrentDirectory) {
    Write("here.bmp", bmp_files::Encode(bmp_files::Pattern(2, 3), Layout::Rgb24));
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    HBITMAP bitmap = Load("here.bmp");
    ASSERT_EQ(chdir(previous), 0);
    ASSERT_NE(bitmap, nullptr);
    ExpectPicture(bitmap, bmp_files::Pattern(2, 3), 24, "relative");
    DeleteObject(bitmap);
}

// ---- Pixels ---------------------------------------------------------------------

TEST_F(Bitmaps, SetPixelStoresTheTargetsOwnFormat) {
    struct Case {
        int bits;
        uint32_t raw;       // magenta as stored
        COLORREF returned;  // the colour actually set
    };
    for (const Case& c : {Case{16, 0xF81F, 0xF800F8}, Case{24, 0xFF00FF, 0xFF00FF},
                          Case{32, 0xFF00FF, 0xFF00FF}}) {
        Canvas canvas(3, 2, c.bits);
        EXPECT_EQ(SetPixel(canvas.dc, 2, 1, 0xFF00FF), c.returned) << c.bits;
        EXPECT_EQ(canvas.pixels->Get(2, 1), c.raw) << c.bits;
        EXPECT_EQ(GetPixel(canvas.dc, 2, 1), c.returned) << c.bits;
        EXPECT_EQ(canvas.pixels->Get(1, 1), 0u) << c.bits;  // the neighbours are untouched
        EXPECT_EQ(canvas.pixels->Get(2, 0), 0u) << c.bits;
    }
    Canvas canvas(2, 2, 16);
    EXPECT_EQ(SetPixel(canvas.dc, 0, 0, 0x123456), 0x103450u);  // 5-6-5 cuts the low bits
}

TEST_F(Bitmaps, PixelsOutsideAreInvalid) {
    Canvas canvas(2, 2, 32);
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {2, 0}, {0, 2}, {1 << 30, 1 << 30}}) {
        EXPECT_EQ(GetPixel(canvas.dc, x, y), CLR_INVALID);
        EXPECT_EQ(SetPixel(canvas.dc, x, y, 0xFFFFFF), CLR_INVALID);
    }
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) EXPECT_EQ(canvas.pixels->Get(x, y), 0u);
    EXPECT_EQ(GetPixel(nullptr, 0, 0), CLR_INVALID);
    EXPECT_EQ(SetPixel(reinterpret_cast<HDC>(canvas.bitmap), 0, 0, 0), CLR_INVALID);
}

TEST_F(Bitmaps, SetRectFillsTheFields) {
    RECT r;
    EXPECT_TRUE(SetRect(&r, 1, -2, 640, 480));
    EXPECT_EQ(r.left, 1);
    EXPECT_EQ(r.top, -2);
    EXPECT_EQ(r.right, 640);
    EXPECT_EQ(r.bottom, 480);
    EXPECT_FALSE(SetRect(nullptr, 0, 0, 1, 1));
}

// ---- Blits ----------------------------------------------------------------------

void FillRandom(Canvas& canvas, std::mt19937& random) {
    for (int y = 0; y < canvas.pixels->height; ++y)
        for (int x = 0; x < canvas.pixels->width; ++x) SetPixel(canvas.dc, x, y, random() & 0xFFFFFF);
}

TEST_F(Bitmaps, BitBltConvertsBetweenEveryPairOfFormats) {
    std::mt19937 random(7);
    for (int fromBits : {16, 24, 32}) {
        for (int toBits : {16, 24, 32}) {
            Canvas from(9, 4, fromBits), to(9, 4, toBits);
            FillRandom(from, random);
            ASSERT_TRUE(BitBlt(to.dc, 0, 0, 9, 4, from.dc, 0, 0, SRCCOPY));
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 9; ++x) {
                    uint32_t expected = port::ColorToPixel(
                        port::PixelToColor(from.pixels->Get(x, y), from.pixels->format),
                        to.pixels->format);
                    ASSERT_EQ(to.pixels->Get(x, y), expected)
                        << fromBits << " -> " << toBits << " at " << x << "," << y;
                }
        }
    }
}

// What a clipped copy must do: every destination pixel inside both pixmaps
// takes its source pixel, every other one is untouched.
port::Pixmap ExpectedCopy(const port::Pixmap& to, int x, int y, int w, int h,
                          const port::Pixmap& from, int sx, int sy) {
    port::Pixmap expected = to;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            if (to.Contains(x + i, y + j) && from.Contains(sx + i, sy + j))
                expected.Set(x + i, y + j, from.Get(sx + i, sy + j));
    return expected;
}

TEST_F(Bitmaps, BitBltClipsToBothSourceAndDestination) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> position(-12, 12), size(0, 20);
    for (int bits : {16, 24, 32}) {
        Canvas from(10, 7, bits), to(8, 9, bits);
        for (int round = 0; round < 300; ++round) {
            FillRandom(from, random);
            FillRandom(to, random);
            int x = position(random), y = position(random), w = size(random), h = size(random);
            int sx = position(random), sy = position(random);
            port::Pixmap expected = ExpectedCopy(*to.pixels, x, y, w, h, *from.pixels, sx, sy);
            EXPECT_TRUE(BitBlt(to.dc, x, y, w, h, from.dc, sx, sy, SRCCOPY));
            ASSERT_EQ(to.pixels->bits, expected.bits)
                << bits << " bpp: " << x << "," << y << " " << w << "x" << h << " from " << sx
                << "," << sy;
        }
    }
}

TEST_F(Bitmaps, BitBltWithinOneBitmapCopiesAsIfThroughABuffer) {
    std::mt19937 random(3);
    Canvas canvas(12, 10, 24);
    for (auto [dx, dy] : {std::pair{1, 1}, {-1, -1}, {3, 0}, {-3, 0}, {0, 2}, {0, -2}}) {
        FillRandom(canvas, random);
        port::Pixmap before = *canvas.pixels;
        port::Pixmap expected = ExpectedCopy(before, 3 + dx, 3 + dy, 6, 5, before, 3, 3);
        EXPECT_TRUE(BitBlt(canvas.dc, 3 + dx, 3 + dy, 6, 5, canvas.dc, 3, 3, SRCCOPY));
        EXPECT_EQ(canvas.pixels->bits, expected.bits) << dx << "," << dy;
    }
}

TEST_F(Bitmaps, BlitsRefuseBadArguments) {
    Canvas a(4, 4, 32), b(4, 4, 32);
    EXPECT_FALSE(BitBlt(a.dc, 0, 0, 4, 4, b.dc, 0, 0, 0x00EE0086 /* SRCPAINT */));
    EXPECT_FALSE(BitBlt(a.dc, 0, 0, 4, 4, nullptr, 0, 0, SRCCOPY));
    EXPECT_FALSE(BitBlt(nullptr, 0, 0, 4, 4, b.dc, 0, 0, SRCCOPY));
    EXPECT_FALSE(StretchBlt(a.dc, 0, 0, 4, 4, reinterpret_cast<HDC>(b.bitmap), 0, 0, 2, 2, SRCCOPY));
    EXPECT_FALSE(StretchBlt(a.dc, 0, 0, -4, 4, b.dc, 0, 0, 2, 2, SRCCOPY));
    port::FailCall("BitBlt");
    EXPECT_FALSE(BitBlt(a.dc, 0, 0, 4, 4, b.dc, 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(a.dc, 0, 0, 4, 4, b.dc, 0, 0, SRCCOPY));
}

TEST_F(Bitmaps, StretchBltMagnifiesByWholeFactorsExactly) {
    std::mt19937 random(5);
    Canvas from(5, 3, 32), to(20, 9, 16);
    FillRandom(from, random);
    ASSERT_TRUE(StretchBlt(to.dc, 0, 0, 20, 9, from.dc, 0, 0, 5, 3, SRCCOPY));
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(GetPixel(to.dc, x, y), Kept(GetPixel(from.dc, x / 4, y / 3), 16)) << x << "," << y;
}

TEST_F(Bitmaps, StretchBltShrinksBlockByBlock) {
    // 3 x 2 blocks of one colour each, shrunk to one pixel per block.
    Canvas from(12, 6, 24), to(4, 3, 24);
    std::mt19937 random(9);
    COLORREF colors[3][4];
    for (int by = 0; by < 3; ++by)
        for (int bx = 0; bx < 4; ++bx) {
            colors[by][bx] = random() & 0xFFFFFF;
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x < 3; ++x) SetPixel(from.dc, bx * 3 + x, by * 2 + y, colors[by][bx]);
        }
    ASSERT_TRUE(StretchBlt(to.dc, 0, 0, 4, 3, from.dc, 0, 0, 12, 6, SRCCOPY));
    for (int by = 0; by < 3; ++by)
        for (int bx = 0; bx < 4; ++bx) EXPECT_EQ(GetPixel(to.dc, bx, by), colors[by][bx]);
}

TEST_F(Bitmaps, StretchBltToAnOddSizeKeepsEveryColumnInOrder) {
    // 3 columns over 7: each source column shows 2 or 3 times, in order.
    Canvas from(3, 1, 32), to(7, 1, 32);
    const COLORREF colors[3] = {0x0000FF, 0x00FF00, 0xFF0000};
    for (int x = 0; x < 3; ++x) SetPixel(from.dc, x, 0, colors[x]);
    ASSERT_TRUE(StretchBlt(to.dc, 0, 0, 7, 1, from.dc, 0, 0, 3, 1, SRCCOPY));
    int column = 0, run = 0;
    for (int x = 0; x < 7; ++x) {
        COLORREF c = GetPixel(to.dc, x, 0);
        if (c != colors[column]) {
            EXPECT_GE(run, 2) << x;
            ++column;
            run = 0;
            ASSERT_LT(column, 3) << x;
            ASSERT_EQ(c, colors[column]) << x;
        }
        ++run;
    }
    EXPECT_EQ(column, 2);
    EXPECT_GE(run, 2);
}

TEST_F(Bitmaps, StretchBltClipsToBothSourceAndDestination) {
    std::mt19937 random(13);
    Canvas from(10, 10, 32), to(20, 20, 24);
    FillRandom(from, random);
    // Four times larger, starting 5 pixels up and left of the destination.
    ASSERT_TRUE(StretchBlt(to.dc, -5, -5, 40, 40, from.dc, 0, 0, 10, 10, SRCCOPY));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(GetPixel(to.dc, x, y), GetPixel(from.dc, (x + 5) / 4, (y + 5) / 4)) << x << "," << y;

    // A source rectangle half outside its bitmap: the destination's half for it stays.
    Canvas small(2, 2, 32), wide(8, 4, 32);
    FillRandom(small, random);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) SetPixel(wide.dc, x, y, 0x010203);
    ASSERT_TRUE(StretchBlt(wide.dc, 0, 0, 8, 4, small.dc, -2, 0, 4, 2, SRCCOPY));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(GetPixel(wide.dc, x, y), x < 4 ? 0x010203 : GetPixel(small.dc, (x - 4) / 2, y / 2))
                << x << "," << y;
}

TEST_F(Bitmaps, StretchBltFarOutsideTouchesNothing) {
    Canvas from(4, 4, 32), to(4, 4, 32);
    std::mt19937 random(1);
    FillRandom(from, random);
    port::Pixmap before = *to.pixels;
    const int big = 0x7FFFFFF0;
    EXPECT_TRUE(StretchBlt(to.dc, big, big, 15, 15, from.dc, 0, 0, 4, 4, SRCCOPY));
    EXPECT_TRUE(StretchBlt(to.dc, -big, -big, 8, 8, from.dc, 0, 0, 4, 4, SRCCOPY));
    EXPECT_TRUE(StretchBlt(to.dc, 0, 0, 4, 4, from.dc, big, big, 2, 2, SRCCOPY));
    EXPECT_TRUE(BitBlt(to.dc, big, 0, big, 4, from.dc, 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(to.dc, 0, 0, 4, 4, from.dc, -big, big, SRCCOPY));
    EXPECT_EQ(to.pixels->bits, before.bits);
}

TEST_F(Bitmaps, LoadedBitmapCopiesIntoA16BitTarget) {
    Image image = bmp_files::Pattern(6, 4);
    HBITMAP bitmap = Load(Write("copy.bmp", bmp_files::Encode(image, Layout::Rgb24)));
    ASSERT_NE(bitmap, nullptr);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    Canvas target(6, 4, 16);
    ASSERT_TRUE(BitBlt(target.dc, 0, 0, 6, 4, memory, 0, 0, SRCCOPY));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(GetPixel(target.dc, x, y), Kept(image.At(x, y), 16));
    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteObject(bitmap);
}

}  // namespace
