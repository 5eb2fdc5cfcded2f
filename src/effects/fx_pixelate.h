// fx_pixelate.h — pixelation: blocks of b x b pixels, b = level / 50 + 1 (1..21,
// level clamped to 0..1000), aligned at multiples of b from the top-left corner
// and clipped at the right and bottom edges, each take the integer mean of their
// B, G and R; every pixel keeps its own alpha. Returns 1, or 0 when the surface
// cannot be locked.
#pragma once
#include "engine/surface.h"

int fx_Pixelate(Surface* s, int level);
