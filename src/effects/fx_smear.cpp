// fx_smear.cpp — the four-pass recursive smear: a literal reference and a fast path,
// the vector loops of fx_smear_simd.h in 128-bit lanes (SSE2), or in 256-bit lanes
// where the processor has AVX2 (fx_smear_avx2.cpp); the rectangles of previews.
#include "effects/fx_smear.h"
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>
#include "effects/fx_common.h"
#include "effects/fx_smear_simd.h"
#include "engine/blit.h"
#include "engine/color.h"
#include "engine/engine.h"
#include "engine/pixel.h"
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

struct Smear {
    uint32_t weight;   // s, out of 65536
    uint32_t keep;     // bits of the channels carried
};

// Reference step: unselected channels of the running value are the pixel's own.
inline uint32_t RefStep(const Smear& m, uint32_t run, uint32_t p) {
    return clr_Mix((p & ~m.keep) | (run & m.keep), m.weight, p);
}

// Both row passes of `src`; columns cx1..cx2 of the result go to `dst`'s columns from
// 0 (dst may be src itself).
void ReferenceRows(const Smear& m, const Surface* src, Surface* dst, int cx1, int cx2) {
    const int w = (int)src->width, h = (int)src->height;
    std::vector<uint32_t> row((size_t)w);
    for (int y = 0; y < h; y++) {
        const uint32_t* in = src->pixels + (size_t)y * src->stride;
        uint32_t run = in[0];
        for (int x = 0; x < w; x++) row[x] = run = RefStep(m, run, in[x]);
        run = row[w - 1];
        for (int x = w - 1; x >= 0; x--) row[x] = run = RefStep(m, run, row[x]);
        std::copy(row.begin() + cx1, row.begin() + cx2 + 1, dst->pixels + (size_t)y * dst->stride);
    }
}

// Both column passes; the upward one stops at row `top` (rows above keep the first
// pass's values, for a rectangle that starts there).
void ReferenceColumns(const Smear& m, Surface* s, int top) {
    const int w = (int)s->width, h = (int)s->height;
    const size_t st = s->stride;
    uint32_t* px = s->pixels;
    for (int x = 0; x < w; x++) {
        uint32_t run = px[x];
        for (int y = 0; y < h; y++) px[(size_t)y * st + x] = run = RefStep(m, run, px[(size_t)y * st + x]);
    }
    for (int x = 0; x < w; x++) {
        uint32_t run = px[(size_t)(h - 1) * st + x];
        for (int y = h - 1; y >= top; y--) px[(size_t)y * st + x] = run = RefStep(m, run, px[(size_t)y * st + x]);
    }
}

// Scalar step of the fast path (tails): the same rule through the shared mixer.
inline uint32_t FastStep(const Smear& m, uint32_t run, uint32_t p) {
    return px_Mix16((p & ~m.keep) | (run & m.keep), m.weight, p);
}

#if defined(__SSE2__)

template <bool FromRun, bool Masked>
struct Lanes128 {
    typedef __m128i V;
    static const int PIXELS = 4;
    V mul;    // s as a 16-bit pattern
    V keep;   // channel bytes carried, in every pixel
    static Lanes128 Make(uint32_t weight, uint32_t keep) {
        return {_mm_set1_epi16((short)(uint16_t)weight), _mm_set1_epi32((int)keep)};
    }
    static V Load(const V* p) { return _mm_load_si128(p); }
    static V LoadU(const V* p) { return _mm_loadu_si128(p); }
    static void Store(V* p, V v) { _mm_store_si128(p, v); }
    static void StoreU(V* p, V v) { _mm_storeu_si128(p, v); }
    static V Lo(V q) { return _mm_unpacklo_epi8(q, _mm_setzero_si128()); }
    static V Hi(V q) { return _mm_unpackhi_epi8(q, _mm_setzero_si128()); }
    static V Pack(V a, V b) { return _mm_packus_epi16(a, b); }
    V Step(V run, V p) const { return _mm_add_epi16(FromRun ? run : p, _mm_mulhi_epi16(_mm_sub_epi16(run, p), mul)); }
    V Merge(V smeared, V orig) const {
        return Masked ? _mm_or_si128(_mm_and_si128(smeared, keep), _mm_andnot_si128(keep, orig)) : smeared;
    }
};

// The columns a vector loop leaves over, one at a time: down, then up to row `top`.
void ScalarColumns(const Smear& m, Surface* s, int c0, int c1, int top) {
    const int h = (int)s->height;
    const size_t st = s->stride;
    for (int x = c0; x < c1; x++) {
        uint32_t* col = s->pixels + x;
        uint32_t run = col[0];
        for (int y = 1; y < h; y++) col[(size_t)y * st] = run = FastStep(m, run, col[(size_t)y * st]);
        run = col[(size_t)(h - 1) * st];
        for (int y = h - 2; y >= top; y--) col[(size_t)y * st] = run = FastStep(m, run, col[(size_t)y * st]);
    }
}

const char* g_pinnedLoops = nullptr;

bool InAvx2() { return eng_HasAvx2() && (!g_pinnedLoops || std::strcmp(g_pinnedLoops, "avx2") == 0); }

void SimdRowPasses(const Smear& m, const Surface* src, Surface* dst, int cx1, int cx2) {
    if (InAvx2()) {
        fx_Split(((int)src->height + 15) / 16, fx_RowsPerThread(src) / 16 + 1, [&](int from, int to) {
            fx_SmearRowsAvx2(m.weight, m.keep, src, dst, cx1, cx2, from, to);
        });
        return;
    }
    WithLanes<Lanes128>(m.weight, m.keep, [&](auto k) {
        fx_Split(((int)src->height + 7) / 8, fx_RowsPerThread(src) / 8 + 1,
                 [&](int from, int to) { SmearRows(k, src, dst, cx1, cx2, from, to); });
    });
}

void SimdColumnPasses(const Smear& m, Surface* s, int top) {
    const int w = (int)s->width, h = (int)s->height;
    const int minQuads = (int)((1u << 17) / (h ? (uint32_t)h : 1u) / 4) + 1;
    const bool avx2 = InAvx2();
    WithLanes<Lanes128>(m.weight, m.keep, [&](auto k) {
        fx_Split((w + 3) / 4, minQuads, [&](int from, int to) {
            int c0 = from * 4;
            const int c1 = to * 4 < w ? to * 4 : w;
            if (avx2 && c1 - c0 >= 8) {   // eight columns at a time, the rest below
                const int body = c0 + (c1 - c0) / 8 * 8;
                fx_SmearColumnsAvx2(m.weight, m.keep, s, c0, body, top);
                c0 = body;
            }
            const int body = c0 + (c1 - c0) / 4 * 4;
            if (body > c0) SmearColumns(k, s, c0, body, top);
            ScalarColumns(m, s, body, c1, top);
        });
    });
}

#endif

}  // namespace

int fx_SmearPinLoops(const char* loops) {
    g_pinnedLoops = loops;
    return !loops || std::strcmp(loops, "sse2") == 0 || (std::strcmp(loops, "avx2") == 0 && eng_HasAvx2());
}

namespace {

// Both row passes of `src`; columns cx1..cx2 of the result go to `dst`'s columns from
// 0 (dst may be src itself).
void RowPasses(const Smear& m, const Surface* src, Surface* dst, int cx1, int cx2) {
#if defined(__SSE2__)
    if (!eng_ReferenceForced()) return SimdRowPasses(m, src, dst, cx1, cx2);
#endif
    ReferenceRows(m, src, dst, cx1, cx2);
}

void ColumnPasses(const Smear& m, Surface* s, int top) {
#if defined(__SSE2__)
    if (!eng_ReferenceForced()) return SimdColumnPasses(m, s, top);
#endif
    ReferenceColumns(m, s, top);
}

Smear MakeSmear(int level, uint32_t keep) {
    return {(uint32_t)(fx_ClampLevel(level) * 61439 / 1000), keep};
}

uint32_t KeepOf(int channelMask) {
    return ((channelMask & 1) ? 0x00FF0000u : 0) | ((channelMask & 2) ? 0x0000FF00u : 0) |
           ((channelMask & 4) ? 0x000000FFu : 0) | ((channelMask & 8) ? 0xFF000000u : 0);
}

int Run(Surface* s, int level, uint32_t keep) {
    const Smear m = MakeSmear(level, keep);
    if (!srf_Lock(s)) return 0;
    // With s = 0 every step gives the pixel itself; with no channel carried likewise.
    if (m.weight != 0 && keep != 0 && s->width && s->height) {
        RowPasses(m, s, s, 0, (int)s->width - 1);
        ColumnPasses(m, s, 0);
    }
    srf_Unlock(s);
    return 1;
}

}  // namespace

int fx_SmearRect(Surface* target, Surface* source, int level, int channelMask, int x1, int y1, int x2, int y2,
                 SmearKept* kept) {
    const Smear m = MakeSmear(level, KeepOf(channelMask));
    if (!srf_Refresh(source)) return 0;
    const uint32_t w = source->width, h = source->height;
    if (x1 < 0 || y1 < 0 || x2 < x1 || y2 < y1 || (uint32_t)x2 >= w || (uint32_t)y2 >= h) return 0;
    if (m.weight == 0 || m.keep == 0) return blt_Copy(target, x1, y1, x2, y2, source, x1, y1, x2, y2, 0);
    const int again = kept->asked && kept->weight == m.weight && kept->keep == m.keep;
    kept->asked = 1;
    kept->weight = m.weight;
    kept->keep = m.keep;
    if (!again) kept->made = 0;
    // The band: the rectangle's columns of the row passes, every row (the column passes
    // run down and up them whole). It keeps its widest size, so the rectangles share it.
    const int bw = x2 - x1 + 1;
    if (!srf_Reuse(&kept->band, (uint32_t)bw, h, 1)) return 0;
    Surface band = kept->band;   // its first bw columns
    band.width = (uint32_t)bw;
    if (again && !kept->made) {
        // A second rectangle at these settings (the rest of a preview after the part
        // shown): the row passes of the whole source are kept for it and those after.
        if (!srf_Reuse(&kept->rows, w, h, 0) || !srf_Lock(source)) return 0;
        if (srf_Lock(&kept->rows)) {
            RowPasses(m, source, &kept->rows, 0, (int)w - 1);
            srf_Unlock(&kept->rows);
            kept->made = 1;
        }
        srf_Unlock(source);
        if (!kept->made) return 0;
    }
    if (kept->made && !blt_Copy(&kept->band, 0, 0, bw - 1, (int)h - 1, &kept->rows, x1, 0, x2, (int)h - 1, 0))
        return 0;
    if (!srf_Lock(&kept->band)) return 0;
    band.pixels = kept->band.pixels;
    if (!kept->made) {
        // The first at new settings (the part a view shows) reads the source directly
        // and writes only its own columns.
        if (!srf_Lock(source)) {
            srf_Unlock(&kept->band);
            return 0;
        }
        RowPasses(m, source, &band, x1, x2);
        srf_Unlock(source);
    }
    ColumnPasses(m, &band, y1);
    srf_Unlock(&kept->band);
    return blt_Copy(target, x1, y1, x2, y2, &kept->band, 0, y1, bw - 1, y2, 0);
}

void fx_ReleaseSmear(SmearKept* kept) {
    if (kept->rows.created) srf_Destroy(&kept->rows);
    if (kept->band.created) srf_Destroy(&kept->band);
    *kept = SmearKept{};
}


int fx_Blur(Surface* s, int level) { return Run(s, level, 0xFFFFFFFFu); }

int fx_ChannelSmooth(Surface* s, int level, int channelMask) { return Run(s, level, KeepOf(channelMask)); }
