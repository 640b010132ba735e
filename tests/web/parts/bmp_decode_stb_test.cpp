// The browser build's BMP decoder (stb_image): the pixels the desktop's
// (SDL's) gives, for every layout both read, and the game's own pictures.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "port/src/bmp_decode.h"
#include "tests/fuzz/bmp_files.h"
#include "tests/lib/bmp_reader.h"

namespace {

using bmp_files::Layout;

// A 5- or 6-bit channel widened to 0..255 as SDL widens it (0x1F gives 0xFF).
uint32_t Widened(uint32_t channel, int bits) {
    const uint32_t kept = channel >> (8 - bits);
    return (kept << (8 - bits)) | (kept >> (2 * bits - 8));
}

// A COLORREF (0x00BBGGRR) as the decoder's XRGB, at the precision of the file.
uint32_t Expected(uint32_t color, Layout layout) {
    uint32_t r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
    if (layout == Layout::Fields16) {
        r = Widened(r, 5);
        g = Widened(g, 6);
        b = Widened(b, 5);
    }
    return (r << 16) | (g << 8) | b;
}

TEST(StbBmpDecoder, DecodesEveryUncompressedLayoutAsTheDesktopDoes) {
    struct Case {
        Layout layout;
        int colors;
        bool topDown;
    };
    const Case cases[] = {
        {Layout::Rgb1, 2, false},     {Layout::Rgb4, 16, false},  {Layout::Rgb8, 16, false},
        {Layout::Fields16, 0, false}, {Layout::Rgb24, 0, false},  {Layout::Rgb32, 0, false},
        {Layout::Core24, 0, false},   {Layout::Rgb8, 16, true},   {Layout::Fields16, 0, true},
        {Layout::Rgb24, 0, true},     {Layout::Rgb32, 0, true},
    };
    for (const Case& c : cases)
        for (int width : {1, 7, 13}) {
            const bmp_files::Image image = bmp_files::Pattern(width, 5, c.colors);
            const std::string what = "layout " + std::to_string(static_cast<int>(c.layout)) +
                                     " width " + std::to_string(width) + (c.topDown ? " top-down" : "");
            port::Pixmap pixels;
            const char* why = nullptr;
            ASSERT_TRUE(port::DecodeBmp(bmp_files::Encode(image, c.layout, c.topDown), width, 5,
                                        &pixels, &why)) << what << ": " << why;
            int wrong = 0;
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < width; ++x)
                    if (pixels.Get(x, y) != Expected(image.At(x, y), c.layout) && wrong++ < 3)
                        ADD_FAILURE() << what << ": pixel " << x << "," << y << " is " << std::hex
                                      << pixels.Get(x, y);
        }
}

TEST(StbBmpDecoder, RefusesRunLengthCodesAndASizeOtherThanTheHeaders) {
    const bmp_files::Image image = bmp_files::Pattern(4, 3, 16);
    port::Pixmap pixels;
    const char* why = nullptr;
    EXPECT_FALSE(port::DecodeBmp(bmp_files::Encode(image, Layout::Rle8), 4, 3, &pixels, &why));
    EXPECT_STREQ(why, "undecodable");
    EXPECT_FALSE(port::DecodeBmp(bmp_files::Encode(image, Layout::Rgb24), 5, 3, &pixels, &why));
    EXPECT_FALSE(port::DecodeBmp({'B', 'M', 0, 0}, 4, 3, &pixels, &why));
}

TEST(StbBmpDecoder, TheGamesPicturesComeOutPixelForPixel) {
    for (const char* name : {"intro.bmp", "start.bmp", "cd.bmp"}) {
        const std::string path = std::string(VEXAR_PICTURES_DIR) + "/" + name;
        bmp::Image reference;
        std::string error;
        ASSERT_TRUE(bmp::Read24(path, 4096, &reference, &error)) << error;
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        port::Pixmap pixels;
        const char* why = nullptr;
        ASSERT_TRUE(port::DecodeBmp(bytes, reference.width, reference.height, &pixels, &why)) << name;
        int wrong = 0;
        for (int y = 0; y < reference.height; ++y)
            for (int x = 0; x < reference.width; ++x) wrong += pixels.Get(x, y) != reference.At(x, y);
        EXPECT_EQ(wrong, 0) << name;
    }
}

}  // namespace
