// fx_key.h — colour keying ("blue-screening"): pixels become transparent by how
// close their colour is to a key. The new alpha is max(old alpha, computed alpha):
// keying never makes a pixel more opaque. Alpha is translucency (255 = clear).
//
// Key colours are COLORREFs (0x00BBGGRR). Level is clamped to 0..1000 and the
// tolerance to 0..255. Each returns 1, or 0 when the surface cannot be locked.
#pragma once
#include <cstdint>
#include "engine/surface.h"

// The tolerance the keying kernels take for a dialog parameter: 255 - parameter.
int fx_KeyTolerance(int parameter);

// e = level * 0.00475 + 0.25 held to 2..4; D = |dB|^e + |dG|^e + |dR|^e;
// computed alpha = 255 - min(trunc(D / (e * 32)) + 255 - tolerance, 255).
int fx_KeyColor(Surface* s, uint32_t colour, int level, int tolerance);
// Pixels whose R, G, B equal the key exactly get alpha min(tolerance, 255).
int fx_KeyExact(Surface* s, uint32_t colour, int tolerance);
// White base (nonzero) or black base: alpha from the mean (B + G + R) / 3 (white) or
// 255 minus it (black); the colour is stretched so its largest channel is 255
// (black becomes white).
int fx_KeyBasal(Surface* s, int white);
