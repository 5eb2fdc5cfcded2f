// fx_colour.h — colour effects: each pixel (or each channel through a 256-entry
// table) changes by itself, alpha carried through unless said otherwise.
//
// Levels are clamped to 0..1000. Channel masks here use bit 0 = red, bit 1 = green,
// bit 2 = blue, bit 3 = alpha. Colours passed in are COLORREFs (0x00BBGGRR).
// Every kernel returns 1, or 0 with the surface unchanged when it cannot be locked.
// The mean-based ones (contrast, enhancement) leave a surface without pixels as it is.
#pragma once
#include <cstdint>
#include "engine/surface.h"

// Saturation about the luma Y: k = trunc(level * 209.7152) in 16.16, each of R, G, B
// becomes Y + (((c - Y) * k) >> 16), clamped. Level 0 is grey.
int fx_ColorShift(Surface* s, int level);
// Hue rotation by (level * 255) / 1000 on the HSL hue byte (word read as COLORREF).
int fx_ChromaShift(Surface* s, int level);
// Contrast about each channel's mean: T[i] = trunc((i - m) * f) + m, f = level * 0.0014 + 0.4.
int fx_DynamicContrast(Surface* s, int level);
// S-curve about each channel's mean (sine, 1.5708 as the quarter turn).
int fx_SyntheticEnhance(Surface* s);
// The channel means those two use, red, green, blue (each 1..254); 0 for a surface
// without pixels or one that cannot be locked. The *With forms take them as given
// (from the whole image when only a piece of it is processed).
int fx_RgbMeans(Surface* s, int means[3]);
int fx_DynamicContrastWith(Surface* s, int level, const int means[3]);
int fx_SyntheticEnhanceWith(Surface* s, const int means[3]);
// n = level * 6 / 1000 + 1 bits dropped, values re-spread to 0..255; alpha too.
int fx_Posterize(Surface* s, int level);
// Channels not in the mask fade towards 0 by (level * 65535) / 1000 out of 65536.
int fx_ColorFilter(Surface* s, int level, int channelMask);
// Channels in the mask become 255 above the threshold (level * 255) / 1000, else 0.
int fx_BiLevel(Surface* s, int level, int channelMask);
int fx_Greyscale(Surface* s);   // R = G = B = Y
int fx_Negative(Surface* s);    // R, G, B = 255 - c
// Pixels whose hue lies near colour1's take colour2's hue, weighted by
// trunc(distance ^ e) out of 65536, e = level * 0.00475 + 0.25 held to 2..4.
int fx_ReplaceHue(Surface* s, uint32_t colour1, uint32_t colour2, int level);

// Gamma: e = 1 / ((level / 1000)^2 * 3.9 + 0.1), T[i] = trunc((i / 255)^e * 255),
// applied to R, G and B.
void fx_GammaTable(int level, uint8_t table[256]);
int fx_GammaShift(Surface* s, int level);
// Brightness: d = (2 * level - 1000) / 10, T[i] = i + d clamped; R, G and B.
void fx_BrightnessTable(int level, uint8_t table[256]);
int fx_AdjustBrightness(Surface* s, int level);
