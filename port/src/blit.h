// The software blitter behind DirectDraw's Blt and BltFast: a colour fill, a
// plain copy and a source-keyed copy, each with a tight loop per pixel format.
// The callers check every rectangle first; these functions trust them.
#pragma once

#include <cstdint>
#include <vector>

#include "port/src/pixels.h"

namespace port::blit {

// Fills [left, right) x [top, bottom) of `dest` with the raw pixel `value`
// (cut to the format's width). The rectangle lies inside `dest`.
void Fill(Pixmap& dest, int left, int top, int right, int bottom, uint32_t value);

// Copies the `width` x `height` block at (srcX, srcY) of `src` to (x, y) of
// `dest`. Both have the same format, both blocks lie inside, and they do not
// overlap (the caller copies an overlapping source aside first).
void Copy(Pixmap& dest, int x, int y, const Pixmap& src, int srcX, int srcY, int width, int height);

// As Copy, but source pixels whose raw value equals `key` are left out.
void CopyKeyed(Pixmap& dest, int x, int y, const Pixmap& src, int srcX, int srcY, int width,
               int height, uint32_t key);

// The runs of pixels a keyed blit copies from one source, found once and used
// until the source changes: a keyed blit then writes each run with memcpy and
// never reads the destination.
struct Spans {
    struct Run {
        uint16_t start;
        uint16_t length;
    };
    std::vector<uint32_t> rowStart;  // row y's runs are runs[rowStart[y], rowStart[y + 1])
    std::vector<Run> runs;

    // Finds the runs of `src` that are not `key`. False, keeping nothing, when
    // the runs are so short that the per-pixel copy would be as fast.
    bool Build(const Pixmap& src, uint32_t key);
};

// CopyKeyed through the runs of `src` that `spans` was built from.
void CopySpans(Pixmap& dest, int x, int y, const Pixmap& src, const Spans& spans, int srcX,
               int srcY, int width, int height);

}  // namespace port::blit
