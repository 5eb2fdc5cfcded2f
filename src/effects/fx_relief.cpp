// fx_relief.cpp — edge detection and emboss: a literal in-place reference, and a
// path that keeps the original lumas of the row above and of the current row, which
// frees it to walk rows forwards and to split them between threads.
#include "effects/fx_relief.h"
#include <cstddef>
#include <vector>
#include "effects/fx_common.h"
#include "engine/color.h"
#include "engine/engine.h"

namespace {

struct Relief {
    int level;
    bool emboss;
    uint32_t shade[256];   // emboss: colour #1 at each lightness byte, alpha 0
};

inline uint32_t Finish(const Relief& k, uint32_t p, int v) {
    if (k.emboss) {
        int u = v * k.level / 250;
        u = u < -127 ? -127 : (u > 126 ? 126 : u);
        return k.shade[u + 128] | (p & 0xFF000000u);
    }
    int64_t m = (int64_t)v * k.level;
    if (m < 0) m = -m;
    m /= 250;
    uint32_t g = 255 - (uint32_t)(m > 255 ? 255 : m);
    return (p & 0xFF000000u) | g * 0x010101u;
}

inline int Relieve(int yc, int yul, int yu, int yl, int range) {
    return range ? (3 * yc - yul - yu - yl) * 83 / range : 0;
}

int ReferenceRange(Surface* s) {
    const int w = (int)s->width, h = (int)s->height;
    auto at = [&](int x, int y) -> uint32_t& { return s->pixels[(size_t)y * s->stride + x]; };
    int prev = fx_LumaF(at(0, 0)), lo = 0, hi = 0;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            int yv = fx_Luma(at(x, y)), d = prev - yv;
            if (d < lo) lo = d;
            if (d > hi) hi = d;
            prev = yv;
        }
    return (hi - lo) >> 1;
}

void Reference(const Relief& k, Surface* s, int range) {
    const int w = (int)s->width, h = (int)s->height;
    auto at = [&](int x, int y) -> uint32_t& { return s->pixels[(size_t)y * s->stride + x]; };
    for (int y = h - 1; y >= 0; y--)
        for (int x = w - 1; x >= 0; x--) {
            uint32_t p = at(x, y);
            int yc = k.emboss ? fx_LumaF(p) : fx_Luma(p);
            int yl = x ? fx_Luma(at(x - 1, y)) : yc;
            int yu = y ? fx_Luma(at(x, y - 1)) : yc;
            int yul = x && y ? fx_Luma(at(x - 1, y - 1)) : yc;
            at(x, y) = Finish(k, p, Relieve(yc, yul, yu, yl, range));
        }
}

int FastRange(Surface* s) {
    const int w = (int)s->width, h = (int)s->height;
    // Range pass, read only: each row's extremes, its first difference reaching back
    // to the last pixel of the row above (the very first to the floating luma).
    std::vector<int> rowLo((size_t)h), rowHi((size_t)h);
    fx_Split(h, fx_RowsPerThread(s), [&](int from, int to) {
        for (int y = from; y < to; y++) {
            const uint32_t* row = s->pixels + (size_t)y * s->stride;
            int prev = y ? fx_Luma(row[-(ptrdiff_t)s->stride + w - 1]) : fx_LumaF(row[0]), lo = 0, hi = 0;
            for (int x = 0; x < w; x++) {
                const int yv = fx_Luma(row[x]), d = prev - yv;
                lo = d < lo ? d : lo;
                hi = d > hi ? d : hi;
                prev = yv;
            }
            rowLo[y] = lo;
            rowHi[y] = hi;
        }
    });
    int lo = 0, hi = 0;
    for (int y = 0; y < h; y++) {
        lo = rowLo[y] < lo ? rowLo[y] : lo;
        hi = rowHi[y] > hi ? rowHi[y] : hi;
    }
    return (hi - lo) >> 1;
}

int Fast(const Relief& k, Surface* s, int range) {
    const int w = (int)s->width;
    // The result's colour depends only on 3 Yc - Yul - Yu - Yl, which lies in
    // -765..765: one table of finished colours (alpha added per pixel).
    std::vector<uint32_t> finished(1531);
    for (int n = -765; n <= 765; n++) finished[n + 765] = Finish(k, 0, range ? n * 83 / range : 0);
    const uint32_t* done = &finished[765];
    // Relief pass: rows forwards, each slice keeping the original lumas of the row
    // above and of the row being rewritten.
    fx_SplitInPlace(s, 1, [&](const FxRows& rows) {
        std::vector<int> above((size_t)w), cur((size_t)w);
        if (rows.from > 0) {
            const uint32_t* up = fx_SourceRow(rows, rows.from - 1);
            for (int x = 0; x < w; x++) above[x] = fx_Luma(up[x]);
        }
        for (int y = rows.from; y < rows.to; y++) {
            uint32_t* row = s->pixels + (size_t)y * s->stride;
            for (int x = 0; x < w; x++) cur[x] = fx_Luma(row[x]);
            for (int x = 0; x < w; x++) {
                const uint32_t p = row[x];
                const int yc = k.emboss ? fx_LumaF(p) : cur[x];
                const int yl = x ? cur[x - 1] : yc;
                const int yu = y ? above[x] : yc;
                const int yul = x && y ? above[x - 1] : yc;
                row[x] = done[3 * yc - yul - yu - yl] | (p & 0xFF000000u);
            }
            above.swap(cur);
        }
    });
    return 1;
}

// range < 0: the surface's own.
int Run(Surface* s, int level, bool emboss, uint32_t colour, int range) {
    Relief k;
    k.level = fx_ClampLevel(level);
    k.emboss = emboss;
    if (emboss) {
        uint32_t hsl = clr_ToHSL(colour) & 0x00FF00FFu;
        for (uint32_t l = 0; l < 256; l++) k.shade[l] = clr_SwapRB(clr_FromHSL(hsl | (l << 8))) & 0x00FFFFFFu;
    }
    if (!srf_Lock(s)) return 0;
    int ok = 1;
    if (s->width && s->height) {
        const bool reference = eng_ReferenceForced();
        if (range < 0) range = reference ? ReferenceRange(s) : FastRange(s);
        if (reference)
            Reference(k, s, range);
        else
            ok = Fast(k, s, range);
    }
    srf_Unlock(s);
    return ok;
}

}  // namespace

int fx_EdgeDetect(Surface* s, int level) { return Run(s, level, false, 0, -1); }
int fx_Emboss(Surface* s, int level, uint32_t colour) { return Run(s, level, true, colour, -1); }
int fx_EdgeDetectWith(Surface* s, int level, int range) { return Run(s, level, false, 0, range < 0 ? 0 : range); }
int fx_EmbossWith(Surface* s, int level, uint32_t colour, int range) {
    return Run(s, level, true, colour, range < 0 ? 0 : range);
}

int fx_ReliefRange(Surface* s) {
    if (!srf_Lock(s)) return 0;
    int range = 0;
    if (s->width && s->height) range = eng_ReferenceForced() ? ReferenceRange(s) : FastRange(s);
    srf_Unlock(s);
    return range;
}
