// fx_alpha.cpp — alpha-channel effects and the drop shadow.
#include "effects/fx_alpha.h"
#include "effects/fx_common.h"
#include "effects/fx_smear.h"
#include "engine/blit.h"

int fx_InvertAlpha(Surface* s) {
    return fx_MapPixels(s, [](uint32_t p) { return p ^ 0xFF000000u; });
}

int fx_SetAlpha(Surface* s, int level) {
    const uint32_t a = (uint32_t)(fx_ClampLevel(level) * 255 / 1000) << 24;
    return fx_MapPixels(s, [a](uint32_t p) { return (p & 0x00FFFFFFu) | a; });
}

int fx_RebaseTransparent(Surface* s) {
    return fx_MapPixels(s, [](uint32_t p) { return (p >> 24) > 240 ? p | 0xFF000000u : p; });
}

int fx_AlphaMean(Surface* s) {
    if (!srf_Lock(s)) return 0;
    uint64_t sums[4];
    fx_ChannelSums(s, sums);
    const int m = fx_ChannelMean(s, sums, 3);
    srf_Unlock(s);
    return m;
}

int fx_AlphaContrast(Surface* s, int level) { return fx_AlphaContrastWith(s, level, -1); }

// mean < 0: the surface's own.
int fx_AlphaContrastWith(Surface* s, int level, int mean) {
    if (!srf_Lock(s)) return 0;
    const int w = (int)s->width, h = (int)s->height;
    // Fewer than three columns leave no column between the first and the last.
    if (w < 3 || h < 1) {
        srf_Unlock(s);
        return 1;
    }
    const int m = mean < 0 ? fx_AlphaMean(s) : mean;
    double x = (double)fx_ClampLevel(level) / 1000.0;
    double k = x * x * 7.6 + 0.4;
    uint8_t t[256];
    for (int a = 0; a < 256; a++) t[a] = (uint8_t)fx_Byte((int)((double)(a - m) * k) + m);
    int ok = srf_ApplyTables(s, 1, 0, w - 2, h - 1, nullptr, nullptr, nullptr, t);
    srf_Unlock(s);
    return ok;
}

int fx_DropShadow(Surface* s, int level, int distance, int parameter) {
    level = fx_ClampLevel(level);
    parameter = fx_Clamp(parameter, 0, 255);
    if (!srf_Lock(s)) return 0;
    const int w = (int)s->width, h = (int)s->height;
    Surface shadow{};
    srf_Create((uint32_t)w, (uint32_t)h, &shadow);
    if (!srf_IsValid(&shadow) || !srf_Lock(&shadow)) {
        if (srf_IsValid(&shadow)) srf_Destroy(&shadow);
        srf_Unlock(s);
        return 0;
    }
    const int64_t d = distance < 0 ? 0 : distance;
    for (int y = 0; y < h; y++) {
        uint32_t* out = shadow.pixels + (size_t)y * shadow.stride;
        for (int x = 0; x < w; x++) {
            if (x < d || y < d) {
                out[x] = 0xFF000000u;
                continue;
            }
            uint32_t a = s->pixels[(size_t)(y - d) * s->stride + (size_t)(x - d)] >> 24;
            out[x] = (255 - (255 - a) * (uint32_t)level / 1000) << 24;
        }
    }
    int ok = fx_Blur(&shadow, parameter * 800 / 255) &&
             blt_Blend(&shadow, 0, 0, w - 1, h - 1, s, 0, 0, w - 1, h - 1, BLT_IGNORED) &&
             blt_Copy(s, 0, 0, w - 1, h - 1, &shadow, 0, 0, w - 1, h - 1, 0) && fx_RebaseTransparent(s);
    srf_Unlock(&shadow);
    srf_Destroy(&shadow);
    srf_Unlock(s);
    return ok;
}
