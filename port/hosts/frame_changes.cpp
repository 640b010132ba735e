#include "port/hosts/frame_changes.h"

#include <algorithm>
#include <cstring>

namespace port {
namespace {

// Thirty-two bytes a step, eight at a time: some C libraries' memcmp
// (emscripten's) goes byte by byte.
bool SameBytes(const uint8_t* a, const uint8_t* b, size_t bytes) {
    size_t i = 0;
    for (; i + 32 <= bytes; i += 32) {
        uint64_t x[4], y[4];
        std::memcpy(x, a + i, 32);
        std::memcpy(y, b + i, 32);
        if (((x[0] ^ y[0]) | (x[1] ^ y[1]) | (x[2] ^ y[2]) | (x[3] ^ y[3])) != 0) return false;
    }
    for (; i < bytes; ++i)
        if (a[i] != b[i]) return false;
    return true;
}

}  // namespace

bool FrameChanges::TileChanged(const uint8_t* pixels, int pitch, int x0, int y0, int x1,
                               int y1) const {
    const size_t rowBytes = static_cast<size_t>(width_) * bytesPerPixel_;
    const size_t offset = static_cast<size_t>(x0) * bytesPerPixel_;
    const size_t bytes = static_cast<size_t>(x1 - x0) * bytesPerPixel_;
    for (int y = y0; y < y1; ++y)
        if (!SameBytes(pixels + static_cast<size_t>(y) * pitch + offset,
                       last_.data() + y * rowBytes + offset, bytes))
            return true;
    return false;
}

void FrameChanges::Keep(const uint8_t* pixels, int pitch, const PictureRect& part) {
    const size_t rowBytes = static_cast<size_t>(width_) * bytesPerPixel_;
    const size_t offset = static_cast<size_t>(part.x) * bytesPerPixel_;
    const size_t bytes = static_cast<size_t>(part.w) * bytesPerPixel_;
    for (int y = part.y; y < part.y + part.h; ++y)
        std::memcpy(last_.data() + y * rowBytes + offset, pixels + static_cast<size_t>(y) * pitch + offset,
                    bytes);
}

const std::vector<PictureRect>& FrameChanges::Compare(const uint8_t* pixels, int width, int height,
                                                      int pitch, int bytesPerPixel) {
    changed_.clear();
    if (!pixels || width <= 0 || height <= 0 || bytesPerPixel <= 0 || pitch < width * bytesPerPixel)
        return changed_;
    if (!known_ || width != width_ || height != height_ || bytesPerPixel != bytesPerPixel_) {
        width_ = width;
        height_ = height;
        bytesPerPixel_ = bytesPerPixel;
        last_.assign(static_cast<size_t>(width) * height * bytesPerPixel, 0);
        PictureRect all;
        all.w = width;
        all.h = height;
        Keep(pixels, pitch, all);
        changed_.push_back(all);
        known_ = true;
        return changed_;
    }
    for (int y0 = 0; y0 < height; y0 += kTileHeight) {
        const int y1 = std::min(height, y0 + kTileHeight);
        // Whole rows compare faster than tiles: most bands of a frame are as they were.
        if (!TileChanged(pixels, pitch, 0, y0, width, y1)) continue;
        int runStart = -1;
        // One step past the last tile closes the last run.
        for (int x0 = 0; x0 < width + kTileWidth; x0 += kTileWidth) {
            const bool inside = x0 < width;
            const bool changed =
                inside && TileChanged(pixels, pitch, x0, y0, std::min(width, x0 + kTileWidth), y1);
            if (changed && runStart < 0) runStart = x0;
            if (changed || runStart < 0) continue;
            PictureRect run;
            run.x = runStart;
            run.y = y0;
            run.w = std::min(width, x0) - runStart;
            run.h = y1 - y0;
            changed_.push_back(run);
            runStart = -1;
        }
    }
    for (const PictureRect& part : changed_) Keep(pixels, pitch, part);
    return changed_;
}

}  // namespace port
