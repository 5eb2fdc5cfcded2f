// fx_key.cpp — colour keying. The distance term of fx_KeyColor depends on one
// channel difference (0..255) at a time, so its pow comes from a table of 256.
#include "effects/fx_key.h"
#include <cmath>
#include "effects/fx_common.h"
#include "engine/color.h"

namespace {

inline uint32_t WithAlphaAtLeast(uint32_t p, uint32_t alpha) {
    return (p >> 24) >= alpha ? p : (p & 0x00FFFFFFu) | (alpha << 24);
}

inline int AbsDiff(int a, int b) { return a > b ? a - b : b - a; }

}  // namespace

int fx_KeyTolerance(int parameter) { return 255 - fx_Clamp(parameter, 0, 255); }

int fx_KeyColor(Surface* s, uint32_t colour, int level, int tolerance) {
    const double e = fx_KeyExponent(level);
    const int base = 255 - fx_Clamp(tolerance, 0, 255);
    const int kr = (int)(colour & 0xFF), kg = (int)((colour >> 8) & 0xFF), kb = (int)((colour >> 16) & 0xFF);
    double power[256];
    for (int d = 0; d < 256; d++) power[d] = std::pow((double)d, e);
    const double scale = e * 32.0;
    return fx_MapPixels(s, [&](uint32_t p) {
        double dist = power[AbsDiff((int)(p & 0xFF), kb)] + power[AbsDiff((int)((p >> 8) & 0xFF), kg)] +
                      power[AbsDiff((int)((p >> 16) & 0xFF), kr)];
        // At most 3 * 255^4 / 64: well inside an int.
        int v = (int)(dist / scale) + base;
        if (v > 255) v = 255;
        return WithAlphaAtLeast(p, (uint32_t)(255 - v));
    });
}

int fx_KeyExact(Surface* s, uint32_t colour, int tolerance) {
    const uint32_t key = clr_SwapRB(colour) & 0x00FFFFFFu;
    const uint32_t alpha = (uint32_t)fx_Clamp(tolerance, 0, 255);
    return fx_MapPixels(s, [=](uint32_t p) {
        return (p & 0x00FFFFFFu) == key ? WithAlphaAtLeast(p, alpha) : p;
    });
}

int fx_KeyBasal(Surface* s, int white) {
    return fx_MapPixels(s, [=](uint32_t p) {
        uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        uint32_t mean = (b + g + r) / 3;
        uint32_t alpha = white ? mean : 255 - mean;
        uint32_t m = r > g ? r : g;
        if (b > m) m = b;
        uint32_t rgb = m ? ((r * 255 / m) << 16) | ((g * 255 / m) << 8) | (b * 255 / m) : 0x00FFFFFFu;
        return WithAlphaAtLeast((p & 0xFF000000u) | rgb, alpha);
    });
}
