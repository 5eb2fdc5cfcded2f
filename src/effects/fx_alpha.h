// fx_alpha.h — effects on the alpha byte (translucency: 0 opaque, 255 clear) and
// the drop shadow built from it.
//
// Levels are clamped to 0..1000. Each returns 1, or 0 with the surface unchanged
// when it cannot be locked or a temporary surface cannot be made.
#pragma once
#include "engine/surface.h"

int fx_InvertAlpha(Surface* s);              // A = 255 - A
int fx_SetAlpha(Surface* s, int level);      // A = (level * 255) / 1000 everywhere
int fx_RebaseTransparent(Surface* s);        // A > 240 becomes 255
// Contrast of alpha about its mean m (1..254): A = trunc((A - m) * k) + m clamped,
// k = (level / 1000)^2 * 7.6 + 0.4, on columns 1..width-2 only (the first and last
// columns are left alone). A surface without pixels is left as it is.
int fx_AlphaContrast(Surface* s, int level);
// The mean it uses (1..254; 0 without pixels), and the contrast about a given one.
int fx_AlphaMean(Surface* s);
int fx_AlphaContrastWith(Surface* s, int level, int mean);
// A black shadow of the opacity, `distance` pixels right and down (distance below 0
// counts as 0), its opacity scaled by level / 1000, softened by the blur at level
// parameter * 800 / 255 (parameter 0..255); the image is composited over it, and
// alpha above 240 is rebased to 255.
int fx_DropShadow(Surface* s, int level, int distance, int parameter);
