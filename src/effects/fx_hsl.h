// fx_hsl.h — fast forms of the engine's HSL conversions (clr_ToHSL, clr_FromHSL)
// for the kernels that convert every pixel. Same words in, same words out, for every
// input (the unit tests compare all 2^24 colours and all 2^24 H, L, S triples):
// divisions by the per-colour spread and sum become multiplications by reciprocals
// that are exact in the ranges those numerators take, and the hue ramp is computed
// without branches. The engine's functions stay the definition; the kernels use
// these only on their fast paths.
#pragma once
#include <cstdint>

struct FxHslTables {
    uint16_t sum[511];          // max + min -> the saturation divisor
    uint64_t bySum[511];        // floor(2^40 / sum) + 1
    uint64_t bySpread[256];     // floor(2^32 / d) + 1
    uint8_t lightByte[511];     // max + min -> L byte
};
const FxHslTables& fx_HslTables();

// clr_ToHSL: COLORREF order in (red byte 0), H byte 0, L byte 1, S byte 2, byte 3 kept.
static inline uint32_t fx_ToHSL(const FxHslTables& t, uint32_t c) {
    const uint32_t r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
    uint32_t mx = r > g ? r : g, mn = r < g ? r : g;
    mx = b > mx ? b : mx;
    mn = b < mn ? b : mn;
    const uint32_t d = mx - mn, both = mx + mn;
    uint32_t h8 = 170, s8 = 0;   // grey: H = 1600
    if (d) {
        // Numerators stay below 2^20 and 2^17: the reciprocals are exact there.
        const uint32_t sum = t.sum[both];   // 1..510 when d > 0
        const uint32_t s = (uint32_t)(((uint64_t)(sum / 2 + d * 2400) * t.bySum[sum]) >> 40);
        s8 = (s * 255 / 2400) & 0xFF;
        const uint32_t q = d / 2 + mx * 400;
        const uint64_t k = t.bySpread[d];
        int32_t hh;
        if (r == mx) {
            hh = (int32_t)(((q - b * 400) * k) >> 32) - (int32_t)(((q - g * 400) * k) >> 32);
        } else if (g == mx) {
            hh = (int32_t)(((q - r * 400) * k) >> 32) - (int32_t)(((q - b * 400) * k) >> 32) + 800;
        } else {
            hh = (int32_t)(((q - g * 400) * k) >> 32) - (int32_t)(((q - r * 400) * k) >> 32) + 1600;
        }
        if (hh < 0) hh += 2400;
        h8 = ((uint32_t)hh * 255 / 2400) & 0xFF;
    }
    return h8 | ((uint32_t)t.lightByte[both] << 8) | (s8 << 16) | (c & 0xFF000000u);
}

// One channel of clr_FromHSL: the hue ramp min(p, 1600 - p) held to 0..400 gives
// the same value as its four cases (400..1200 rounds back to m2, 1600 on to m1).
// Every quantity here is non-negative (m2 >= l >= m1 >= 0), so the divisions by
// constants may be unsigned, which is cheaper.
static inline uint32_t fx_HueChannel(uint32_t m1, uint32_t m2, int32_t p) {
    if (p < 0) p += 2400;
    if (p > 2400) p -= 2400;
    int32_t ramp = 1600 - p < p ? 1600 - p : p;
    ramp = ramp < 0 ? 0 : (ramp > 400 ? 400 : ramp);
    const uint32_t v = m1 + ((m2 - m1) * (uint32_t)ramp + 200) / 400;
    return ((v * 255 + 1200) / 2400) & 0xFF;
}

// clr_FromHSL: H byte 0, L byte 1, S byte 2 in, COLORREF order out, byte 3 kept.
static inline uint32_t fx_FromHSL(uint32_t c) {
    const uint32_t h = (c & 0xFF) * 2400 / 255;
    const uint32_t l = ((c >> 8) & 0xFF) * 2400 / 255;
    const uint32_t s = ((c >> 16) & 0xFF) * 2400 / 255;
    if (s == 0) return ((l * 255 / 2400) * 0x010101u) | (c & 0xFF000000u);
    const uint32_t m2 = l > 1200 ? l + s - (s * l + 1200) / 2400 : ((2400 + s) * l + 1200) / 2400;
    const uint32_t m1 = 2 * l - m2;
    return fx_HueChannel(m1, m2, (int32_t)h + 800) | (fx_HueChannel(m1, m2, (int32_t)h) << 8) |
           (fx_HueChannel(m1, m2, (int32_t)h - 800) << 16) | (c & 0xFF000000u);
}
