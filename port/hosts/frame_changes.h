// Keeps the last frame shown and finds where a new one differs from it, so
// that a host with no GPU scales and sends only what changed.
#pragma once

#include <cstdint>
#include <vector>

#include "port/hosts/picture_fit.h"

namespace port {

class FrameChanges {
public:
    static constexpr int kTileWidth = 32;
    static constexpr int kTileHeight = 16;

    // The parts of the frame that differ from the last one, as runs of whole
    // tiles along each band of kTileHeight rows, in frame pixels: all of it
    // after Forget() or when the size or depth changed, none when nothing did.
    // Keeps a copy of the frame.
    const std::vector<PictureRect>& Compare(const uint8_t* pixels, int width, int height, int pitch,
                                            int bytesPerPixel);
    // The next frame counts as new everywhere.
    void Forget() { known_ = false; }

private:
    bool TileChanged(const uint8_t* pixels, int pitch, int x0, int y0, int x1, int y1) const;
    void Keep(const uint8_t* pixels, int pitch, const PictureRect& part);

    std::vector<uint8_t> last_;
    std::vector<PictureRect> changed_;
    int width_ = 0, height_ = 0, bytesPerPixel_ = 0;
    bool known_ = false;
};

}  // namespace port
