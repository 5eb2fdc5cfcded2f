// fx_colour.cpp — colour effects. Channel tables are computed in doubles once per
// call; per-pixel work is integer except where a table cannot hold it.
#include "effects/fx_colour.h"
#include <cmath>
#include "effects/fx_common.h"
#include "effects/fx_hsl.h"
#include "engine/color.h"
#include "engine/engine.h"
#include "engine/pixel.h"

namespace {

// Applies tables to R, G, B (and alpha when given) over the whole surface.
int ApplyAll(Surface* s, const uint8_t* red, const uint8_t* green, const uint8_t* blue,
             const uint8_t* alpha) {
    if (!srf_Lock(s)) return 0;
    int ok = srf_ApplyTables(s, 0, 0, (int)s->width - 1, (int)s->height - 1, red, green, blue, alpha);
    srf_Unlock(s);
    return ok;
}

// Means of R, G and B (clamped 1..254) into m[0..2] of a locked surface; 0 when
// there are no pixels.
int RgbMeans(Surface* s, int m[3]) {
    uint64_t sums[4];
    fx_ChannelSums(s, sums);
    if (!s->width || !s->height) return 0;
    m[0] = fx_ChannelMean(s, sums, 2);
    m[1] = fx_ChannelMean(s, sums, 1);
    m[2] = fx_ChannelMean(s, sums, 0);
    return 1;
}

// Builds one table per colour channel from its mean (the surface's own unless
// given) and applies them.
template <class F>
int MeanTables(Surface* s, const int* given, F entry) {
    if (!srf_Lock(s)) return 0;
    int m[3];
    if (given) {
        m[0] = given[0];
        m[1] = given[1];
        m[2] = given[2];
    } else if (!RgbMeans(s, m)) {
        srf_Unlock(s);
        return 1;
    }
    uint8_t t[3][256];
    for (int c = 0; c < 3; c++)
        for (int i = 0; i < 256; i++) t[c][i] = (uint8_t)fx_Byte(entry(i, m[c]));
    int ok = ApplyAll(s, t[0], t[1], t[2], nullptr);
    srf_Unlock(s);
    return ok;
}

}  // namespace

int fx_ColorShift(Surface* s, int level) {
    const int k = (int)((double)fx_ClampLevel(level) * 209.7152);
    return fx_MapPixels(s, [k](uint32_t p) {
        int y = fx_Luma(p);
        int r = (int)((p >> 16) & 0xFF), g = (int)((p >> 8) & 0xFF), b = (int)(p & 0xFF);
        // Arithmetic shifts: a colour below the luma moves further below it.
        r = y + (((r - y) * k) >> 16);
        g = y + (((g - y) * k) >> 16);
        b = y + (((b - y) * k) >> 16);
        return (p & 0xFF000000u) | (fx_Byte(r) << 16) | (fx_Byte(g) << 8) | fx_Byte(b);
    });
}

int fx_ChromaShift(Surface* s, int level) {
    const uint32_t shift = (uint32_t)(fx_ClampLevel(level) * 255 / 1000);
    if (eng_ReferenceForced()) {
        return fx_MapPixels(s, [shift](uint32_t p) {
            uint32_t h = clr_ToHSL(p);
            return clr_FromHSL((h & 0xFFFFFF00u) | ((h + shift) & 0xFFu));
        });
    }
    const FxHslTables& t = fx_HslTables();
    return fx_MapPixels(s, [shift, &t, last = 0xFFFFFFFFu, lastOut = 0u](uint32_t p) mutable {
        // Runs of one colour (flat areas) convert once.
        if ((p & 0x00FFFFFFu) != last) {
            last = p & 0x00FFFFFFu;
            uint32_t h = fx_ToHSL(t, last);
            lastOut = fx_FromHSL((h & 0xFFFFFF00u) | ((h + shift) & 0xFFu));
        }
        return lastOut | (p & 0xFF000000u);
    });
}

int fx_RgbMeans(Surface* s, int means[3]) {
    if (!srf_Lock(s)) return 0;
    const int ok = RgbMeans(s, means);
    srf_Unlock(s);
    return ok;
}

int fx_DynamicContrastWith(Surface* s, int level, const int means[3]) {
    const double f = (double)fx_ClampLevel(level) * 0.0014 + 0.4;
    return MeanTables(s, means, [f](int i, int m) { return (int)((double)(i - m) * f) + m; });
}

int fx_DynamicContrast(Surface* s, int level) { return fx_DynamicContrastWith(s, level, nullptr); }

int fx_SyntheticEnhance(Surface* s) { return fx_SyntheticEnhanceWith(s, nullptr); }

int fx_SyntheticEnhanceWith(Surface* s, const int means[3]) {
    return MeanTables(s, means, [](int i, int m) {
        int span = i > m ? 255 - m : m;   // m is 1..254: never 0
        return (int)(std::sin((double)(i - m) * 1.5708 / (double)span) * (double)span + (double)m);
    });
}

int fx_Posterize(Surface* s, int level) {
    int n = fx_Clamp(fx_ClampLevel(level) * 6 / 1000 + 1, 1, 7);
    int q = (1 << (8 - n)) - 1;
    uint8_t t[256];
    for (int c = 0; c < 256; c++) t[c] = (uint8_t)(((c >> n) * 255 / q) & 255);
    return ApplyAll(s, t, t, t, t);
}

int fx_ColorFilter(Surface* s, int level, int channelMask) {
    // clr_Mix(p AND K, t, p): a kept channel mixes with itself, a dropped one with 0.
    uint32_t t = (uint32_t)(fx_ClampLevel(level) * 65535 / 1000);
    uint8_t fade[256];
    for (uint32_t c = 0; c < 256; c++) fade[c] = (uint8_t)((c * (65536 - t)) >> 16);
    return ApplyAll(s, (channelMask & 1) ? nullptr : fade, (channelMask & 2) ? nullptr : fade,
                    (channelMask & 4) ? nullptr : fade, nullptr);
}

int fx_BiLevel(Surface* s, int level, int channelMask) {
    int t = fx_ClampLevel(level) * 255 / 1000;
    uint8_t two[256];
    for (int c = 0; c < 256; c++) two[c] = c > t ? 255 : 0;
    return ApplyAll(s, (channelMask & 1) ? two : nullptr, (channelMask & 2) ? two : nullptr,
                    (channelMask & 4) ? two : nullptr, (channelMask & 8) ? two : nullptr);
}

int fx_Greyscale(Surface* s) {
    return fx_MapPixels(s, [](uint32_t p) {
        uint32_t y = (uint32_t)fx_Luma(p);
        return (p & 0xFF000000u) | (y * 0x010101u);
    });
}

int fx_Negative(Surface* s) {
    return fx_MapPixels(s, [](uint32_t p) { return p ^ 0x00FFFFFFu; });
}

int fx_ReplaceHue(Surface* s, uint32_t colour1, uint32_t colour2, int level) {
    const double e = fx_KeyExponent(level);
    const int from = (int)(clr_ToHSL(colour1) & 0xFF);
    const uint32_t to = clr_ToHSL(colour2) & 0xFF;
    // The weight depends only on the hue distance 0..255: one pow per distance.
    uint32_t weight[256];
    for (int d = 0; d < 256; d++) {
        double v = std::pow((double)d, e);
        weight[d] = v >= 65536.0 ? 65536u : (uint32_t)v;
    }
    if (eng_ReferenceForced()) {
        return fx_MapPixels(s, [&](uint32_t p) {
            uint32_t h = clr_ToHSL(clr_SwapRB(p));
            int d = (int)(h & 0xFF) - from;
            uint32_t w = weight[d < 0 ? -d : d];
            uint32_t n = clr_SwapRB(clr_FromHSL((h & 0xFFFFFF00u) | to));
            return clr_Mix(p, w, n);
        });
    }
    const FxHslTables& t = fx_HslTables();
    return fx_MapPixels(s, [&](uint32_t p) {
        uint32_t h = fx_ToHSL(t, clr_SwapRB(p));
        int d = (int)(h & 0xFF) - from;
        uint32_t w = weight[d < 0 ? -d : d];
        if (w >= 65536) return p;   // mixing with weight 65536 keeps p exactly
        uint32_t n = clr_SwapRB(fx_FromHSL((h & 0xFFFFFF00u) | to));
        return px_Mix16(p, w, n);
    });
}

void fx_GammaTable(int level, uint8_t table[256]) {
    double x = (double)fx_ClampLevel(level) / 1000.0;
    double e = 1.0 / (x * x * 3.9 + 0.1);
    for (int i = 0; i < 256; i++) table[i] = (uint8_t)fx_Byte((int)(std::pow((double)i / 255.0, e) * 255.0));
}

int fx_GammaShift(Surface* s, int level) {
    uint8_t t[256];
    fx_GammaTable(level, t);
    return ApplyAll(s, t, t, t, nullptr);
}

void fx_BrightnessTable(int level, uint8_t table[256]) {
    int d = (2 * fx_ClampLevel(level) - 1000) / 10;
    for (int i = 0; i < 256; i++) table[i] = (uint8_t)fx_Byte(i + d);
}

int fx_AdjustBrightness(Surface* s, int level) {
    uint8_t t[256];
    fx_BrightnessTable(level, t);
    return ApplyAll(s, t, t, t, nullptr);
}
