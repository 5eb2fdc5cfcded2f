// fx_relief.h — relief filters: edge detection and emboss, from the luma.
//
// A range pass walks all pixels row by row: d = previous luma - this luma (the
// previous of the first pixel being its floating luma), range = (max d - min d) >> 1
// with both extremes starting at 0. The relief of a pixel is
// v = (3 Yc - Yul - Yu - Yl) * 83 / range (0 when range is 0), neighbours off the
// image taking Yc; it is computed as if from the unchanged image (the in-place pass
// runs from the last pixel back to the first so that its neighbours still are).
// Level is clamped to 0..1000. Returns 1, or 0 when the surface cannot be locked
// (it is then unchanged).
#pragma once
#include <cstdint>
#include "engine/surface.h"

// Grey g = 255 - min(|v * level| / 250, 255) with the pixel's alpha: flat is white.
int fx_EdgeDetect(Surface* s, int level);
// Colour #1 (a COLORREF) in relief: its HSL with lightness (v * level) / 250 held to
// -127..126 plus 128, the pixel's alpha kept. Yc is the floating luma here.
int fx_Emboss(Surface* s, int level, uint32_t colour);
// The range of the range pass (0 for a surface that cannot be locked), and the two
// filters with a given range (from the whole image when only a piece is filtered).
int fx_ReliefRange(Surface* s);
int fx_EdgeDetectWith(Surface* s, int level, int range);
int fx_EmbossWith(Surface* s, int level, uint32_t colour, int range);
