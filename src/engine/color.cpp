// color.cpp — colour conversions on single words (YCC, HSL, gradients, mixes).
#include "engine/color.h"
#include "engine/pixel.h"

uint32_t clr_SwapRB(uint32_t c) {
    return (c & 0xFF00FF00u) | ((c & 0xFFu) << 16) | ((c >> 16) & 0xFFu);
}

uint32_t clr_ToYCC(uint32_t c) {
    int32_t r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
    // Arithmetic shifts of possibly negative sums, then each byte modulo 256.
    int32_t cr = 128 + ((((r + 1) << 15) - 27439 * g - 5329 * b) >> 16);
    int32_t cb = 128 + ((((b + 1) << 15) - 21709 * g - 11059 * r) >> 16);
    int32_t y = (19595 * r + 38470 * g + 7471 * b + 32768) >> 16;
    return ((uint32_t)cr & 0xFF) | (((uint32_t)cb & 0xFF) << 8) | (((uint32_t)y & 0xFF) << 16) |
           (c & 0xFF000000u);
}

uint32_t clr_ToHSL(uint32_t c) {
    uint32_t r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
    uint32_t mx = r > g ? r : g; if (b > mx) mx = b;
    uint32_t mn = r < g ? r : g; if (b < mn) mn = b;
    uint32_t d = mx - mn;
    uint32_t l = ((mx + mn) * 2400 + 255) / 510;
    uint32_t h, s;
    if (d == 0) {
        s = 0;
        h = 1600;
    } else {
        uint32_t sum = l > 1200 ? 510 - mx - mn : mx + mn;
        s = (sum / 2 + d * 2400) / sum;
        uint32_t q = d / 2 + mx * 400;
        // Unsigned divisions: q is never below channel * 400 since channel <= max.
        int32_t rr = (int32_t)((q - r * 400) / d);
        int32_t gg = (int32_t)((q - g * 400) / d);
        int32_t bb = (int32_t)((q - b * 400) / d);
        int32_t hh;
        if (r == mx) hh = bb - gg;
        else if (g == mx) hh = rr - bb + 800;
        else hh = gg - rr + 1600;
        if (hh < 0) hh += 2400;
        h = (uint32_t)hh;
    }
    // Saturation can reach 2400 only for the widest spread; bytes keep value*255/2400.
    return ((h * 255 / 2400) & 0xFF) | (((l * 255 / 2400) & 0xFF) << 8) |
           (((s * 255 / 2400) & 0xFF) << 16) | (c & 0xFF000000u);
}

static int32_t HueValue(int32_t m1, int32_t m2, int32_t p) {
    while (p < 0) p += 2400;
    while (p > 2400) p -= 2400;
    if (p < 400) return m1 + ((m2 - m1) * p + 200) / 400;
    if (p < 1200) return m2;
    if (p < 1600) return m1 + ((m2 - m1) * (1600 - p) + 200) / 400;
    return m1;
}

uint32_t clr_FromHSL(uint32_t c) {
    int32_t h = (int32_t)(c & 0xFF) * 2400 / 255;
    int32_t l = (int32_t)((c >> 8) & 0xFF) * 2400 / 255;
    int32_t s = (int32_t)((c >> 16) & 0xFF) * 2400 / 255;
    uint32_t r, g, b;
    if (s == 0) {
        r = g = b = (uint32_t)(l * 255 / 2400);
    } else {
        int32_t m2 = l > 1200 ? l + s - (s * l + 1200) / 2400 : ((2400 + s) * l + 1200) / 2400;
        int32_t m1 = 2 * l - m2;
        r = (uint32_t)((HueValue(m1, m2, h + 800) * 255 + 1200) / 2400);
        g = (uint32_t)((HueValue(m1, m2, h) * 255 + 1200) / 2400);
        b = (uint32_t)((HueValue(m1, m2, h - 800) * 255 + 1200) / 2400);
    }
    return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16) | (c & 0xFF000000u);
}

uint32_t clr_Lerp(uint32_t i, uint32_t n, uint32_t c1, uint32_t c2) {
    // A gradient of no steps is already at its end.
    if (n == 0) return c1;
    return px_Mix16(c1, clr_LerpWeight(i, n), c2);
}

uint32_t clr_Mix(uint32_t c1, uint32_t w, uint32_t c2) {
    return px_Mix16(c1, w > 65536 ? 65536 : w, c2);
}

uint32_t clr_Mix4(uint32_t p0, uint32_t w0, uint32_t p1, uint32_t w1,
                  uint32_t p2, uint32_t w2, uint32_t p3, uint32_t w3) {
    return px_Mix4(p0, w0, p1, w1, p2, w2, p3, w3);
}
