// color.h — pure colour helpers on one 32-bit word.
// COLORREF order (0x00BBGGRR, red in byte 0) is what the user interface and the
// settings hand around; clr_SwapRB converts to and from a pixel word.
// HSL uses a 0..2400 scale internally and bytes (value * 255 / 2400) outside:
// byte 0 = H, byte 1 = L, byte 2 = S, byte 3 passes through.
#pragma once
#include <cstdint>

uint32_t clr_SwapRB(uint32_t c);
uint32_t clr_ToYCC(uint32_t c);
uint32_t clr_ToHSL(uint32_t c);
uint32_t clr_FromHSL(uint32_t c);
// Step i of n of a gradient from c2 (i = 0) to c1 (i = n), 16-bit weights.
uint32_t clr_Lerp(uint32_t i, uint32_t n, uint32_t c1, uint32_t c2);
// The weight out of 65536 that clr_Lerp gives c1 at step i of n (n > 0); inline so
// that callers mixing many pixels can hoist or vectorise it.
static inline uint32_t clr_LerpWeight(uint32_t i, uint32_t n) {
    return (uint32_t)(((uint64_t)(i < n ? i : n) << 16) / n);
}
// (c2 * (65536 - w) + c1 * w) >> 16 per channel, w clamped to 65536.
uint32_t clr_Mix(uint32_t c1, uint32_t w, uint32_t c2);
uint32_t clr_Mix4(uint32_t p0, uint32_t w0, uint32_t p1, uint32_t w1,
                  uint32_t p2, uint32_t w2, uint32_t p3, uint32_t w3);
