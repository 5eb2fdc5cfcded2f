// fx_smear_simd.h — internal to the smear: its vector loops, written once over a
// lanes type and compiled by the SSE2 path (fx_smear.cpp, 128-bit lanes) and the
// AVX2 one (fx_smear_avx2.cpp, 256-bit lanes, picked at run time).
//
// A lanes type L<FromRun, Masked> holds a pixel's channels in 16-bit lanes and gives
// the smear's step, (p * (65536 - s) + r * s) >> 16 = p + floor((r - p) * s / 65536),
// with one signed high multiply: for s < 32768 directly, for larger s (FromRun) as
// r + mulhi(r - p, s - 65536). With Masked the channels not carried are put back
// from the pixel. Its interface: V (the register), PIXELS (pixels a register holds),
// Make(weight, keep), Load/Store (aligned), LoadU/StoreU, Lo/Hi (a register's bytes
// widened, PIXELS / 2 pixels each), Pack (their inverse), Step, Merge.
//
// Rows: a strip of 2 * PIXELS rows is transposed into a buffer where column x holds
// the strip's pixels at t[x * R], so a row pass walks the buffer column by column
// with R rows side by side; rows past the image's bottom stand in as copies of its
// last row and are never written back. Columns: PIXELS columns at a time along each
// row, their running values in a small array.
// Everything here has internal linkage: each file compiles it for its own
// instruction set.
#pragma once
#include <emmintrin.h>
#include <cstddef>
#include <cstdint>
#include <vector>
#include "engine/surface.h"

// The AVX2 row passes of strips [from, to) of sixteen rows: src's rows smeared both
// ways at weight s and channel bytes `keep`; columns cx1..cx2 of the result go to
// dst's columns from 0 (dst may be src).
void fx_SmearRowsAvx2(uint32_t weight, uint32_t keep, const Surface* src, Surface* dst, int cx1, int cx2, int from,
                      int to);
// The AVX2 column passes of columns [c0, c1), a multiple of eight: down every column,
// then up it to row `top`, in place.
void fx_SmearColumnsAvx2(uint32_t weight, uint32_t keep, Surface* s, int c0, int c1, int top);
// For tests: pins the loops named "sse2" or "avx2" (0 when this processor cannot run
// them), or with null goes back to the best ones.
int fx_SmearPinLoops(const char* loops);

namespace {

struct alignas(32) StripCell {   // a container element that keeps its buffer aligned
    uint32_t words[8];
};

// Calls f with the lanes L of weight s and channel bytes `keep`.
template <template <bool, bool> class L, class F>
void WithLanes(uint32_t weight, uint32_t keep, F&& f) {
    const bool fromRun = weight >= 32768, masked = keep != 0xFFFFFFFFu;
    if (fromRun && masked) f(L<true, true>::Make(weight, keep));
    else if (fromRun) f(L<true, false>::Make(weight, keep));
    else if (masked) f(L<false, true>::Make(weight, keep));
    else f(L<false, false>::Make(weight, keep));
}

inline void Transpose4(__m128i& a, __m128i& b, __m128i& c, __m128i& d) {
    __m128i t0 = _mm_unpacklo_epi32(a, b), t1 = _mm_unpacklo_epi32(c, d);
    __m128i t2 = _mm_unpackhi_epi32(a, b), t3 = _mm_unpackhi_epi32(c, d);
    a = _mm_unpacklo_epi64(t0, t1);
    b = _mm_unpackhi_epi64(t0, t1);
    c = _mm_unpacklo_epi64(t2, t3);
    d = _mm_unpackhi_epi64(t2, t3);
}

template <int R>
void StripIn(const uint32_t* const* rows, uint32_t* t, int w) {
    int x = 0;
    for (; x + 4 <= w; x += 4)
        for (int g = 0; g < R / 4; g++) {
            __m128i a = _mm_loadu_si128((const __m128i*)(rows[4 * g] + x));
            __m128i b = _mm_loadu_si128((const __m128i*)(rows[4 * g + 1] + x));
            __m128i c = _mm_loadu_si128((const __m128i*)(rows[4 * g + 2] + x));
            __m128i d = _mm_loadu_si128((const __m128i*)(rows[4 * g + 3] + x));
            Transpose4(a, b, c, d);
            _mm_store_si128((__m128i*)(t + (size_t)x * R + 4 * g), a);
            _mm_store_si128((__m128i*)(t + (size_t)(x + 1) * R + 4 * g), b);
            _mm_store_si128((__m128i*)(t + (size_t)(x + 2) * R + 4 * g), c);
            _mm_store_si128((__m128i*)(t + (size_t)(x + 3) * R + 4 * g), d);
        }
    for (; x < w; x++)
        for (int r = 0; r < R; r++) t[(size_t)x * R + r] = rows[r][x];
}

// Columns cx1..cx2 of the strip's first `real` rows back to out's columns from 0.
template <int R>
void StripOut(const uint32_t* t, uint32_t* const* out, int real, int cx1, int cx2) {
    int x = cx1;
    for (; x + 3 <= cx2; x += 4)
        for (int g = 0; g < R / 4; g++) {
            __m128i a = _mm_load_si128((const __m128i*)(t + (size_t)x * R + 4 * g));
            __m128i b = _mm_load_si128((const __m128i*)(t + (size_t)(x + 1) * R + 4 * g));
            __m128i c = _mm_load_si128((const __m128i*)(t + (size_t)(x + 2) * R + 4 * g));
            __m128i d = _mm_load_si128((const __m128i*)(t + (size_t)(x + 3) * R + 4 * g));
            Transpose4(a, b, c, d);
            const __m128i v[4] = {a, b, c, d};
            for (int r = 0; r < 4 && 4 * g + r < real; r++) _mm_storeu_si128((__m128i*)(out[4 * g + r] + (x - cx1)), v[r]);
        }
    for (; x <= cx2; x++)
        for (int r = 0; r < real; r++) out[r][x - cx1] = t[(size_t)x * R + r];
}

// One pass along the strip buffer (2 * PIXELS words per column), from `first`
// stepping `dir`. The widening and the pack keep every lane on one row's channel.
template <class K>
void StripPass(const K k, uint32_t* t, int w, int first, int dir) {
    typedef typename K::V V;
    V* at = (V*)(t + (size_t)first * 2 * K::PIXELS);
    V q0 = K::Load(at), q1 = K::Load(at + 1);
    V r0 = K::Lo(q0), r1 = K::Hi(q0), r2 = K::Lo(q1), r3 = K::Hi(q1);
    const ptrdiff_t next = dir * 2;
    for (int i = 1; i < w; i++) {
        at += next;
        q0 = K::Load(at);
        q1 = K::Load(at + 1);
        r0 = k.Step(r0, K::Lo(q0));
        r1 = k.Step(r1, K::Hi(q0));
        r2 = k.Step(r2, K::Lo(q1));
        r3 = k.Step(r3, K::Hi(q1));
        K::Store(at, k.Merge(K::Pack(r0, r1), q0));
        K::Store(at + 1, k.Merge(K::Pack(r2, r3), q1));
    }
}

// Strips [from, to) of 2 * PIXELS rows: both row passes of `src`; columns cx1..cx2 of
// the result go to dst's columns from 0 (dst may be src itself).
template <class K>
void SmearRows(const K k, const Surface* src, Surface* dst, int cx1, int cx2, int from, int to) {
    constexpr int R = 2 * K::PIXELS;
    const int w = (int)src->width, h = (int)src->height;
    std::vector<StripCell> store((size_t)w * R / 8);
    uint32_t* t = store.data()->words;
    for (int strip = from; strip < to; strip++) {
        const uint32_t* rows[R];
        uint32_t* out[R];
        const int y0 = strip * R;
        for (int r = 0; r < R; r++) {
            const size_t y = (size_t)(y0 + r < h ? y0 + r : h - 1);
            rows[r] = src->pixels + y * src->stride;
            out[r] = dst->pixels + y * dst->stride;
        }
        StripIn<R>(rows, t, w);
        StripPass(k, t, w, 0, 1);
        StripPass(k, t, w, w - 1, -1);
        StripOut<R>(t, out, h - y0 < R ? h - y0 : R, cx1, cx2);
    }
}

// Columns [c0, c1), a multiple of PIXELS: down every column, then up it to row `top`
// (rows above keep the first pass's values), in place.
template <class K>
void SmearColumns(const K k, Surface* s, int c0, int c1, int top) {
    typedef typename K::V V;
    const int h = (int)s->height, groups = (c1 - c0) / K::PIXELS;
    const size_t st = s->stride;
    std::vector<StripCell> store((size_t)groups * 2 * sizeof(V) / sizeof(StripCell) + 1);
    V* run = (V*)store.data();
    for (int dir = 0; dir < 2; dir++) {
        const int y0 = dir == 0 ? 0 : h - 1, step = dir == 0 ? 1 : -1;
        const V* first = (const V*)(s->pixels + (size_t)y0 * st + c0);
        for (int g = 0; g < groups; g++) {
            const V v = K::LoadU(first + g);
            K::Store(run + 2 * g, K::Lo(v));
            K::Store(run + 2 * g + 1, K::Hi(v));
        }
        for (int y = y0 + step; dir == 0 ? y < h : y >= top; y += step) {
            V* at = (V*)(s->pixels + (size_t)y * st + c0);
            V* r = run;
            for (int g = 0; g < groups; g++, at++, r += 2) {
                const V v = K::LoadU(at);
                const V a = k.Step(K::Load(r), K::Lo(v)), b = k.Step(K::Load(r + 1), K::Hi(v));
                K::Store(r, a);
                K::Store(r + 1, b);
                K::StoreU(at, k.Merge(K::Pack(a, b), v));
            }
        }
    }
}

}  // namespace
