// fx_filter.h — convolution with integer weights, the sharpening built on it, and
// the conversion of the user's real-valued 3 x 3 matrix into weights.
//
// fx_Convolve: n x n weights row by row (n odd, n * n <= 100), read from a copy of
// the surface with the edges extended; each channel becomes (sum of weight * value)
// / S truncated towards zero and clamped to 0..255, S the sum of the weights.
// Accumulators are 64-bit, so any int32 weights are safe. A nonzero channel mask
// computes only its channels (bit 0 = B byte, bit 1 = G, bit 2 = R, bit 3 = A); the
// others keep the pixel's own value. Mask 0 computes all four.
// Results: 1 done; 0 for a bad size, no weights, or a surface that cannot be locked or
// copied; FX_CONV_ZERO_SUM or FX_CONV_OVERFLOW (below) for weights without a defined
// result. Nothing is changed unless the result is 1.
#pragma once
#include <cstdint>
#include "engine/surface.h"

const int FX_CONV_ZERO_SUM = -1;   // the weights sum to 0: nothing to divide by
const int FX_CONV_OVERFLOW = -2;   // a weight or the sum does not fit 32 bits

int fx_Convolve(Surface* s, const int32_t* weights, int n, int channelMask);
// 5 x 5 sharpening: outer weights -50000 / distance from the centre, centre
// 2,000,000 - level * 1,308,950 / 1000 (level clamped to 0..1000).
int fx_Sharpen(Surface* s, int level);
// The nine weights of a user matrix: f = 1,000,000 / (sum of the values), each weight
// trunc(f * value). Returns 1, FX_CONV_ZERO_SUM when the values sum to 0, or
// FX_CONV_OVERFLOW when a value is not finite or a weight (or their sum) leaves 32 bits.
int fx_MatrixWeights(const double matrix[9], int32_t weights[9]);
