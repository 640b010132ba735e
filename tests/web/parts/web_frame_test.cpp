// The web host's frame: after any run of frames, the canvas that took only
// the parts it was given holds exactly the last frame.
#include "port/hosts/web/web_frame.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

constexpr int kWidth = 100, kHeight = 37;  // not whole tiles

// What the page's canvas does with the parts: copies them from the frame.
void Draw(const port::WebFrame& frame, const std::vector<port::PictureRect>& parts,
          std::vector<uint8_t>* canvas) {
    for (const port::PictureRect& p : parts) {
        ASSERT_TRUE(p.x >= 0 && p.y >= 0 && p.w > 0 && p.h > 0 && p.x + p.w <= kWidth && p.y + p.h <= kHeight);
        for (int y = p.y; y < p.y + p.h; ++y) {
            const size_t at = (static_cast<size_t>(y) * kWidth + p.x) * 4;
            std::memcpy(canvas->data() + at, frame.Rgba() + at, static_cast<size_t>(p.w) * 4);
        }
    }
}

// The whole frame converted afresh, as the canvas should show it.
std::vector<uint8_t> Whole(const std::vector<uint8_t>& pixels, int pitch, int bits) {
    port::WebFrame fresh;
    fresh.Update(pixels.data(), kWidth, kHeight, pitch, bits);
    return std::vector<uint8_t>(fresh.Rgba(), fresh.Rgba() + kWidth * kHeight * 4);
}

TEST(WebFrame, TheCanvasHoldsTheLastFrameAfterChangesOfEveryDepth) {
    std::mt19937 random(7);
    for (int bits : {16, 24, 32}) {
        const int pitch = kWidth * bits / 8 + 6;
        std::vector<uint8_t> pixels(static_cast<size_t>(pitch) * kHeight, 0x40);
        // A known first pixel (B 0x10, G 0x20, R 0x30 and an unused byte;
        // magenta, 0xF81F, in 5:6:5) comes out as the canvas's R, G, B, A bytes.
        const uint8_t first[] = {0x10, 0x20, 0x30, 0x77};
        if (bits == 16) pixels[0] = 0x1F, pixels[1] = 0xF8;
        else std::memcpy(pixels.data(), first, bits / 8);
        const std::vector<uint8_t> firstRgba =
            bits == 16 ? std::vector<uint8_t>{0xF8, 0x00, 0xF8, 0xFF} : std::vector<uint8_t>{0x30, 0x20, 0x10, 0xFF};
        std::vector<uint8_t> canvas(kWidth * kHeight * 4, 0);
        port::WebFrame frame;
        Draw(frame, frame.Update(pixels.data(), kWidth, kHeight, pitch, bits), &canvas);
        EXPECT_EQ(canvas, Whole(pixels, pitch, bits)) << bits << " bits, first frame";
        EXPECT_EQ(std::vector<uint8_t>(canvas.begin(), canvas.begin() + 4), firstRgba) << bits << " bits";
        for (int step = 0; step < 40; ++step) {
            // A few pixels, a sprite-sized block, or nothing changes.
            const int changes = step % 5 == 0 ? 0 : 1 + static_cast<int>(random() % 30);
            for (int i = 0; i < changes; ++i)
                pixels[random() % pixels.size()] = static_cast<uint8_t>(random());
            const auto& parts = frame.Update(pixels.data(), kWidth, kHeight, pitch, bits);
            if (changes == 0) {
                EXPECT_TRUE(parts.empty()) << bits << " bits, step " << step;
            }
            Draw(frame, parts, &canvas);
            ASSERT_EQ(canvas, Whole(pixels, pitch, bits)) << bits << " bits, step " << step;
        }
    }
}

TEST(WebFrame, ForgetOrANewSizeGivesTheWholeFrame) {
    std::vector<uint8_t> pixels(kWidth * kHeight * 4, 0x11);
    port::WebFrame frame;
    frame.Update(pixels.data(), kWidth, kHeight, kWidth * 4, 32);
    EXPECT_TRUE(frame.Update(pixels.data(), kWidth, kHeight, kWidth * 4, 32).empty());
    frame.Forget();
    const auto& again = frame.Update(pixels.data(), kWidth, kHeight, kWidth * 4, 32);
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].w * again[0].h, kWidth * kHeight);
    const auto& smaller = frame.Update(pixels.data(), kWidth / 2, kHeight, kWidth * 4, 32);
    ASSERT_EQ(smaller.size(), 1u);
    EXPECT_EQ(smaller[0].w, kWidth / 2);
    // A frame it cannot take gives nothing to draw.
    EXPECT_TRUE(frame.Update(pixels.data(), kWidth, kHeight, kWidth * 4, 8).empty());
    EXPECT_TRUE(frame.Update(pixels.data(), kWidth, kHeight, kWidth, 32).empty());
    EXPECT_TRUE(frame.Update(nullptr, kWidth, kHeight, kWidth * 4, 32).empty());
}

}  // namespace
