// fx_smear.h — the recursive smear behind blur, channel smoothing and the shadow.
//
// Four in-place passes over the whole surface, in this order: rows left to right,
// rows right to left, columns top to bottom, columns bottom to top. In each pass a
// running value starts as the first pixel met and, pixel by pixel, becomes
// clr_Mix(running, s, p) = (p * (65536 - s) + running * s) >> 16 per channel, which
// replaces the pixel; s = level * 61439 / 1000 (level clamped to 0..1000). The cost
// does not depend on the level. Rows (first two passes) and columns (last two) are
// independent of each other, which is what lets them share out between threads.
// Returns 1, or 0 with the surface unchanged when it cannot be locked.
#pragma once
#include "engine/surface.h"

// All four channels, alpha included.
int fx_Blur(Surface* s, int level);
// Only the channels of the mask (bit 0 red, bit 1 green, bit 2 blue, bit 3 alpha)
// are carried; the others stay exactly as they were.
int fx_ChannelSmooth(Surface* s, int level, int channelMask);

// What a preview keeps between rectangles of the same source: the settings of the
// last rectangle, the row passes of the whole source at them once a second rectangle
// asks, and a band for the column passes.
struct SmearKept {
    Surface rows;
    Surface band;
    uint32_t weight, keep;
    int asked;   // weight and keep hold the last rectangle's
    int made;    // rows holds the row passes at them
};
// The smear of rectangle (x1, y1)-(x2, y2) of `source` into the same place of `target`:
// exactly the pixels fx_ChannelSmooth (mask 15: fx_Blur) gives there on the whole
// source. The row passes reach across whole rows, so every rectangle needs those of
// every row: the first rectangle at new settings (the part a view shows) computes
// them for its own columns only, a second one at the same settings (the rest, in
// bands of columns) computes them whole and keeps them for the rest. The column
// passes run on the rectangle's columns only. 0 when the rectangle is not inside the
// source or memory runs out (the target unchanged).
int fx_SmearRect(Surface* target, Surface* source, int level, int channelMask, int x1, int y1, int x2, int y2,
                 SmearKept* kept);
void fx_ReleaseSmear(SmearKept* kept);
