// fx_antialias.h — antialiasing of hard steps: in the alpha channel (edges of a
// sprite) or in the luma (the whole image).
//
// Both run two passes through a temporary copy: image -> copy (rows outer), then
// copy -> image (columns outer). A pixel is softened towards the weighted mean of
// its four neighbours when its value stands more than the threshold
// T = parameter * 223 / 255 + 16 above a vertical and above a horizontal
// neighbour; W = (1000 - level) * 31536 / 1000 + 34000 is the share it keeps out
// of 65536, so level 0 changes nothing. The outermost rows and columns are never
// touched. Level is clamped to 0..1000 and parameter to 0..255. Returns 1, or 0
// with the surface unchanged when it cannot be locked or the copy cannot be made.
#pragma once
#include "engine/surface.h"

// Neighbour weights and values from alpha: (255 - A) >> 2 each.
int fx_AntialiasEdges(Surface* s, int level, int parameter);
// Values from the integer luma; weights (255 - Y) >> 2 from the upper, left and
// lower neighbours, the right one taking the lower one's weight.
int fx_AntialiasImage(Surface* s, int level, int parameter);
