// Which parts of a frame the window-surface presenter scales and sends again.
#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <vector>

#include "port/hosts/frame_changes.h"

namespace {

using port::FrameChanges;
using Parts = std::vector<std::tuple<int, int, int, int>>;

Parts Of(const std::vector<port::PictureRect>& parts) {
    Parts out;
    for (const port::PictureRect& r : parts) out.emplace_back(r.x, r.y, r.w, r.h);
    return out;
}

struct Frame {
    Frame(int w, int h, int bytes) : width(w), height(h), pitch(w * bytes + 8), pixels(pitch * h, 0) {}
    Parts Compare(FrameChanges& changes, int bytes) {
        return Of(changes.Compare(pixels.data(), width, height, pitch, bytes));
    }
    int width, height, pitch;
    std::vector<uint8_t> pixels;
};

TEST(FrameChangesTest, TheFirstFrameIsNewEverywhereAndAnUnchangedOneNowhere) {
    FrameChanges changes;
    Frame frame(640, 480, 4);
    EXPECT_EQ(frame.Compare(changes, 4), (Parts{{0, 0, 640, 480}}));
    EXPECT_EQ(frame.Compare(changes, 4), Parts{});
    frame.pixels[frame.pitch - 1] = 9;  // padding past the row's pixels does not count
    EXPECT_EQ(frame.Compare(changes, 4), Parts{});
    changes.Forget();
    EXPECT_EQ(frame.Compare(changes, 4), (Parts{{0, 0, 640, 480}}));
}

TEST(FrameChangesTest, ChangesComeAsRunsOfTilesPerBand) {
    FrameChanges changes;
    Frame frame(640, 480, 2);
    frame.Compare(changes, 2);
    auto poke = [&](int x, int y) { frame.pixels[y * frame.pitch + x * 2 + 1] ^= 0x80; };
    poke(0, 0);      // tile (0, 0)
    poke(40, 15);    // tile (1, 0): same run
    poke(639, 17);   // the last tile of band 1
    poke(100, 479);  // band 29, tile 3
    poke(170, 479);  // tile 5: a run of its own
    EXPECT_EQ(frame.Compare(changes, 2),
              (Parts{{0, 0, 64, 16}, {608, 16, 32, 16}, {96, 464, 32, 16}, {160, 464, 32, 16}}));
    EXPECT_EQ(frame.Compare(changes, 2), Parts{});  // the copy was kept
}

TEST(FrameChangesTest, OddSizesCloseTheLastTileAndNewShapesStartAfresh) {
    FrameChanges changes;
    Frame odd(100, 20, 3);
    odd.Compare(changes, 3);
    odd.pixels[19 * odd.pitch + 99 * 3] = 1;
    EXPECT_EQ(odd.Compare(changes, 3), (Parts{{96, 16, 4, 4}}));
    Frame other(100, 21, 3);
    EXPECT_EQ(other.Compare(changes, 3), (Parts{{0, 0, 100, 21}}));
    EXPECT_EQ(other.Compare(changes, 4 - 1), Parts{});
    EXPECT_EQ(Of(changes.Compare(other.pixels.data(), 100, 21, 10, 3)), Parts{});  // pitch too small
    EXPECT_EQ(Of(changes.Compare(nullptr, 100, 21, 300, 3)), Parts{});
}

}  // namespace
