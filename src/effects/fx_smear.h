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
