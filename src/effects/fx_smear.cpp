// fx_smear.cpp — the four-pass recursive smear: a literal reference and an SSE2
// path, whose passes run in AVX2 where the processor has it (fx_smear_avx2.cpp). The
// fast paths keep channels in 16-bit lanes and use
//   (p * (65536 - s) + r * s) >> 16  =  p + floor((r - p) * s / 65536),
// which one signed high multiply gives: for s < 32768 directly, for larger s as
// r + mulhi(r - p, s - 65536). Rows are smeared eight at a time after a transpose
// (fx_smear_rows.h), columns four pixels at a time along the row.
#include "effects/fx_smear.h"
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>
#include "effects/fx_common.h"
#include "effects/fx_smear_rows.h"
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

struct Xmm {   // a vector in a container without losing its alignment
    __m128i v;
};

// The step and the merge, with the weight's regime and the channel choice fixed at
// compile time so that the loops hold everything in registers and test nothing.
template <bool FromRun, bool Masked>
struct Lanes {
    __m128i mul;    // s as a 16-bit pattern
    __m128i keep;   // channel bytes carried, in every pixel
    __m128i Step(__m128i run, __m128i p) const {
        return _mm_add_epi16(FromRun ? run : p, _mm_mulhi_epi16(_mm_sub_epi16(run, p), mul));
    }
    // Puts back the channels that are not carried (8-bit pixels, 4 per register).
    __m128i Merge(__m128i smeared, __m128i orig) const {
        return Masked ? _mm_or_si128(_mm_and_si128(smeared, keep), _mm_andnot_si128(keep, orig)) : smeared;
    }
};

// Calls f with the lanes of m: s >= 32768 bases the step on the running value.
template <class F>
void WithLanes(const Smear& m, F&& f) {
    const __m128i mul = _mm_set1_epi16((short)(uint16_t)m.weight), keep = _mm_set1_epi32((int)m.keep);
    const bool fromRun = m.weight >= 32768, masked = m.keep != 0xFFFFFFFFu;
    if (fromRun && masked) f(Lanes<true, true>{mul, keep});
    else if (fromRun) f(Lanes<true, false>{mul, keep});
    else if (masked) f(Lanes<false, true>{mul, keep});
    else f(Lanes<false, false>{mul, keep});
}

// One pass along the strip buffer (8 words per column), from `first` stepping `dir`.
template <class K>
void StripPass(const K k, uint32_t* t, int w, int first, int dir) {
    const __m128i z = _mm_setzero_si128();
    __m128i* at = (__m128i*)(t + (size_t)first * 8);
    __m128i q0 = _mm_load_si128(at), q1 = _mm_load_si128(at + 1);
    __m128i r0 = _mm_unpacklo_epi8(q0, z), r1 = _mm_unpackhi_epi8(q0, z);
    __m128i r2 = _mm_unpacklo_epi8(q1, z), r3 = _mm_unpackhi_epi8(q1, z);
    const ptrdiff_t next = dir * 2;
    for (int i = 1; i < w; i++) {
        at += next;
        q0 = _mm_load_si128(at);
        q1 = _mm_load_si128(at + 1);
        r0 = k.Step(r0, _mm_unpacklo_epi8(q0, z));
        r1 = k.Step(r1, _mm_unpackhi_epi8(q0, z));
        r2 = k.Step(r2, _mm_unpacklo_epi8(q1, z));
        r3 = k.Step(r3, _mm_unpackhi_epi8(q1, z));
        _mm_store_si128(at, k.Merge(_mm_packus_epi16(r0, r1), q0));
        _mm_store_si128(at + 1, k.Merge(_mm_packus_epi16(r2, r3), q1));
    }
}

// Rows of strips [from, to) (eight rows each): both row passes of `src`; columns
// cx1..cx2 of the result go to `dst`'s columns from 0 (dst may be src itself).
template <class K>
void SimdRows(const K k, const Surface* src, Surface* dst, int cx1, int cx2, int from, int to) {
    const int w = (int)src->width;
    std::vector<StripCell> store((size_t)w);
    uint32_t* t = store.data()->words;
    for (int strip = from; strip < to; strip++) {
        const uint32_t* rows[8];
        uint32_t* out[8];
        const int real = StripRows<8>(src, dst, strip * 8, rows, out);
        StripIn<8>(rows, t, w);
        StripPass(k, t, w, 0, 1);
        StripPass(k, t, w, w - 1, -1);
        StripOut<8>(t, out, real, cx1, cx2);
    }
}

// Columns [c0, c1): both column passes (the upward one down to row `top`), four
// pixels of a row at a time.
template <class K>
void SimdColumns(const K k, const Smear& m, Surface* s, int c0, int c1, int top) {
    const int h = (int)s->height;
    const size_t st = s->stride;
    const __m128i z = _mm_setzero_si128();
    const int quads = (c1 - c0) / 4, body = c0 + quads * 4;
    std::vector<Xmm> run((size_t)quads * 2 + 1);
    std::vector<uint32_t> tail((size_t)(c1 - body) + 1);
    for (int dir = 0; dir < 2; dir++) {
        const int y0 = dir == 0 ? 0 : h - 1, step = dir == 0 ? 1 : -1;
        const uint32_t* first = s->pixels + (size_t)y0 * st;
        for (int q = 0; q < quads; q++) {
            __m128i v = _mm_loadu_si128((const __m128i*)(first + c0 + 4 * q));
            run[2 * q].v = _mm_unpacklo_epi8(v, z);
            run[2 * q + 1].v = _mm_unpackhi_epi8(v, z);
        }
        for (int x = body; x < c1; x++) tail[x - body] = first[x];
        for (int y = y0 + step; dir == 0 ? y < h : y >= top; y += step) {
            __m128i* at = (__m128i*)(s->pixels + (size_t)y * st + c0);
            Xmm* r = run.data();
            for (int q = 0; q < quads; q++, at++, r += 2) {
                const __m128i v = _mm_loadu_si128(at);
                const __m128i a = k.Step(r[0].v, _mm_unpacklo_epi8(v, z));
                const __m128i b = k.Step(r[1].v, _mm_unpackhi_epi8(v, z));
                r[0].v = a;
                r[1].v = b;
                _mm_storeu_si128(at, k.Merge(_mm_packus_epi16(a, b), v));
            }
            uint32_t* row = s->pixels + (size_t)y * st;
            for (int x = body; x < c1; x++) row[x] = tail[x - body] = FastStep(m, tail[x - body], row[x]);
        }
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
    const int minStrips = fx_RowsPerThread(src) / 8 + 1;
    WithLanes(m, [&](auto k) {
        fx_Split(((int)src->height + 7) / 8, minStrips,
                 [&](int from, int to) { SimdRows(k, src, dst, cx1, cx2, from, to); });
    });
}

void SimdColumnPasses(const Smear& m, Surface* s, int top) {
    const int w = (int)s->width, h = (int)s->height;
    const int minQuads = (int)((1u << 17) / (h ? (uint32_t)h : 1u) / 4) + 1;
    const bool avx2 = InAvx2();
    WithLanes(m, [&](auto k) {
        fx_Split((w + 3) / 4, minQuads, [&](int from, int to) {
            int c0 = from * 4;
            const int c1 = to * 4 < w ? to * 4 : w;
            if (avx2 && c1 - c0 >= 8) {   // eight columns at a time, the rest here
                const int body = c0 + (c1 - c0) / 8 * 8;
                fx_SmearColumnsAvx2(m.weight, m.keep, s, c0, body, top);
                c0 = body;
            }
            if (c0 < c1) SimdColumns(k, m, s, c0, c1, top);
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
