// The frame as the page's canvas takes it (R, G, B, A bytes), brought up to
// date only where the game's frame changed since the last one.
#pragma once

#include <cstdint>
#include <vector>

#include "port/hosts/frame_changes.h"

namespace port {

class WebFrame {
public:
    // Converts the parts of a 16, 24 or 32 bit frame that changed and returns
    // them (none when nothing did, or for a frame it cannot take); the whole
    // frame after Forget() or a change of size or depth.
    const std::vector<PictureRect>& Update(const void* pixels, int width, int height, int pitch,
                                           int bits);
    void Forget() { changes_.Forget(); }

    const uint8_t* Rgba() const { return rgba_.data(); }

private:
    FrameChanges changes_;
    std::vector<uint8_t> rgba_;
    std::vector<PictureRect> none_;
};

}  // namespace port
