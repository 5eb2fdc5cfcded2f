// fx_smear.cpp — the four-pass recursive smear: a literal reference and an SSE2
// path. The SSE2 path keeps channels in 16-bit lanes and uses
//   (p * (65536 - s) + r * s) >> 16  =  p + floor((r - p) * s / 65536),
// which one signed high multiply gives: for s < 32768 directly, for larger s as
// r + mulhi(r - p, s - 65536). Rows are smeared eight at a time after a transpose,
// columns four pixels at a time along the row.
#include "effects/fx_smear.h"
#include <cstddef>
#include <vector>
#include "effects/fx_common.h"
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

void ReferenceSmear(const Smear& m, Surface* s) {
    const int w = (int)s->width, h = (int)s->height;
    const size_t st = s->stride;
    uint32_t* px = s->pixels;
    for (int y = 0; y < h; y++) {
        uint32_t* row = px + (size_t)y * st;
        uint32_t run = row[0];
        for (int x = 0; x < w; x++) row[x] = run = RefStep(m, run, row[x]);
    }
    for (int y = 0; y < h; y++) {
        uint32_t* row = px + (size_t)y * st;
        uint32_t run = row[w - 1];
        for (int x = w - 1; x >= 0; x--) row[x] = run = RefStep(m, run, row[x]);
    }
    for (int x = 0; x < w; x++) {
        uint32_t run = px[x];
        for (int y = 0; y < h; y++) px[(size_t)y * st + x] = run = RefStep(m, run, px[(size_t)y * st + x]);
    }
    for (int x = 0; x < w; x++) {
        uint32_t run = px[(size_t)(h - 1) * st + x];
        for (int y = h - 1; y >= 0; y--) px[(size_t)y * st + x] = run = RefStep(m, run, px[(size_t)y * st + x]);
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

struct Lanes {
    __m128i mul;     // s as a 16-bit pattern
    __m128i keep;    // channel bytes carried, in every pixel
    bool fromRun;    // s >= 32768: base the step on the running value
    bool masked;     // some channels are not carried
};

inline __m128i Step16(const Lanes& k, __m128i run, __m128i p) {
    __m128i d = _mm_sub_epi16(run, p);
    return _mm_add_epi16(k.fromRun ? run : p, _mm_mulhi_epi16(d, k.mul));
}

// Puts back the channels that are not carried (8-bit pixels, 4 per register).
inline __m128i Merge(const Lanes& k, __m128i smeared, __m128i orig) {
    if (!k.masked) return smeared;
    return _mm_or_si128(_mm_and_si128(smeared, k.keep), _mm_andnot_si128(k.keep, orig));
}

inline void Transpose4(__m128i& a, __m128i& b, __m128i& c, __m128i& d) {
    __m128i t0 = _mm_unpacklo_epi32(a, b), t1 = _mm_unpacklo_epi32(c, d);
    __m128i t2 = _mm_unpackhi_epi32(a, b), t3 = _mm_unpackhi_epi32(c, d);
    a = _mm_unpacklo_epi64(t0, t1);
    b = _mm_unpackhi_epi64(t0, t1);
    c = _mm_unpacklo_epi64(t2, t3);
    d = _mm_unpackhi_epi64(t2, t3);
}

// One pass along the strip buffer (8 words per column), from `first` stepping `dir`.
void StripPass(const Lanes& k, uint32_t* t, int w, int first, int dir) {
    const __m128i z = _mm_setzero_si128();
    __m128i q0 = _mm_load_si128((const __m128i*)(t + (size_t)first * 8));
    __m128i q1 = _mm_load_si128((const __m128i*)(t + (size_t)first * 8 + 4));
    __m128i r0 = _mm_unpacklo_epi8(q0, z), r1 = _mm_unpackhi_epi8(q0, z);
    __m128i r2 = _mm_unpacklo_epi8(q1, z), r3 = _mm_unpackhi_epi8(q1, z);
    for (int i = 1, x = first + dir; i < w; i++, x += dir) {
        __m128i* at = (__m128i*)(t + (size_t)x * 8);
        q0 = _mm_load_si128(at);
        q1 = _mm_load_si128(at + 1);
        r0 = Step16(k, r0, _mm_unpacklo_epi8(q0, z));
        r1 = Step16(k, r1, _mm_unpackhi_epi8(q0, z));
        r2 = Step16(k, r2, _mm_unpacklo_epi8(q1, z));
        r3 = Step16(k, r3, _mm_unpackhi_epi8(q1, z));
        _mm_store_si128(at, Merge(k, _mm_packus_epi16(r0, r1), q0));
        _mm_store_si128(at + 1, Merge(k, _mm_packus_epi16(r2, r3), q1));
    }
}

// Rows of strips [from, to) (eight rows each): both row passes.
void SimdRows(const Lanes& k, Surface* s, int from, int to) {
    const int w = (int)s->width, h = (int)s->height;
    // 16-byte aligned strip buffer: column x holds the strip's 8 pixels at t[x * 8].
    std::vector<Xmm> store((size_t)w * 2);
    uint32_t* t = (uint32_t*)store.data();
    for (int strip = from; strip < to; strip++) {
        const int y0 = strip * 8;
        uint32_t* rows[8];
        for (int r = 0; r < 8; r++) rows[r] = s->pixels + (size_t)(y0 + r < h ? y0 + r : h - 1) * s->stride;
        int x = 0;
        for (; x + 4 <= w; x += 4)
            for (int g = 0; g < 2; g++) {
                __m128i a = _mm_loadu_si128((const __m128i*)(rows[4 * g] + x));
                __m128i b = _mm_loadu_si128((const __m128i*)(rows[4 * g + 1] + x));
                __m128i c = _mm_loadu_si128((const __m128i*)(rows[4 * g + 2] + x));
                __m128i d = _mm_loadu_si128((const __m128i*)(rows[4 * g + 3] + x));
                Transpose4(a, b, c, d);
                _mm_store_si128((__m128i*)(t + (size_t)x * 8 + 4 * g), a);
                _mm_store_si128((__m128i*)(t + (size_t)(x + 1) * 8 + 4 * g), b);
                _mm_store_si128((__m128i*)(t + (size_t)(x + 2) * 8 + 4 * g), c);
                _mm_store_si128((__m128i*)(t + (size_t)(x + 3) * 8 + 4 * g), d);
            }
        for (; x < w; x++)
            for (int r = 0; r < 8; r++) t[(size_t)x * 8 + r] = rows[r][x];
        StripPass(k, t, w, 0, 1);
        StripPass(k, t, w, w - 1, -1);
        // Rows past the bottom were only stand-ins: written back are the real ones.
        const int real = h - y0 < 8 ? h - y0 : 8;
        x = 0;
        for (; x + 4 <= w; x += 4)
            for (int g = 0; g < 2; g++) {
                __m128i a = _mm_load_si128((const __m128i*)(t + (size_t)x * 8 + 4 * g));
                __m128i b = _mm_load_si128((const __m128i*)(t + (size_t)(x + 1) * 8 + 4 * g));
                __m128i c = _mm_load_si128((const __m128i*)(t + (size_t)(x + 2) * 8 + 4 * g));
                __m128i d = _mm_load_si128((const __m128i*)(t + (size_t)(x + 3) * 8 + 4 * g));
                Transpose4(a, b, c, d);
                const __m128i v[4] = {a, b, c, d};
                for (int r = 0; r < 4 && 4 * g + r < real; r++)
                    _mm_storeu_si128((__m128i*)(rows[4 * g + r] + x), v[r]);
            }
        for (; x < w; x++)
            for (int r = 0; r < real; r++) rows[r][x] = t[(size_t)x * 8 + r];
    }
}

// Columns [c0, c1): both column passes, four pixels of a row at a time.
void SimdColumns(const Lanes& k, const Smear& m, Surface* s, int c0, int c1) {
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
        for (int i = 1, y = y0 + step; i < h; i++, y += step) {
            uint32_t* row = s->pixels + (size_t)y * st;
            for (int q = 0; q < quads; q++) {
                __m128i* at = (__m128i*)(row + c0 + 4 * q);
                __m128i v = _mm_loadu_si128(at);
                __m128i a = Step16(k, run[2 * q].v, _mm_unpacklo_epi8(v, z));
                __m128i b = Step16(k, run[2 * q + 1].v, _mm_unpackhi_epi8(v, z));
                run[2 * q].v = a;
                run[2 * q + 1].v = b;
                _mm_storeu_si128(at, Merge(k, _mm_packus_epi16(a, b), v));
            }
            for (int x = body; x < c1; x++) row[x] = tail[x - body] = FastStep(m, tail[x - body], row[x]);
        }
    }
}

void SimdSmear(const Smear& m, Surface* s) {
    Lanes k;
    k.mul = _mm_set1_epi16((short)(uint16_t)m.weight);
    k.keep = _mm_set1_epi32((int)m.keep);
    k.fromRun = m.weight >= 32768;
    k.masked = m.keep != 0xFFFFFFFFu;
    const int w = (int)s->width, h = (int)s->height;
    const int minStrips = fx_RowsPerThread(s) / 8 + 1;
    fx_Split((h + 7) / 8, minStrips, [&](int from, int to) { SimdRows(k, s, from, to); });
    const int minQuads = (int)((1u << 17) / (h ? (uint32_t)h : 1u) / 4) + 1;
    fx_Split((w + 3) / 4, minQuads, [&](int from, int to) {
        SimdColumns(k, m, s, from * 4, to * 4 < w ? to * 4 : w);
    });
}

#endif

int Run(Surface* s, int level, uint32_t keep) {
    Smear m;
    m.weight = (uint32_t)(fx_ClampLevel(level) * 61439 / 1000);
    m.keep = keep;
    if (!srf_Lock(s)) return 0;
    // With s = 0 every step gives the pixel itself; with no channel carried likewise.
    if (m.weight != 0 && keep != 0 && s->width && s->height) {
#if defined(__SSE2__)
        if (!eng_ReferenceForced())
            SimdSmear(m, s);
        else
#endif
            ReferenceSmear(m, s);
    }
    srf_Unlock(s);
    return 1;
}

}  // namespace

int fx_Blur(Surface* s, int level) { return Run(s, level, 0xFFFFFFFFu); }

int fx_ChannelSmooth(Surface* s, int level, int channelMask) {
    uint32_t keep = ((channelMask & 1) ? 0x00FF0000u : 0) | ((channelMask & 2) ? 0x0000FF00u : 0) |
                    ((channelMask & 4) ? 0x000000FFu : 0) | ((channelMask & 8) ? 0xFF000000u : 0);
    return Run(s, level, keep);
}
