// fx_smear_rows.h — internal to the smear: the AVX2 loops (fx_smear_avx2.cpp) and the
// strip buffer its row passes work in, shared by them and the SSE2 loops (fx_smear.cpp).
//
// A strip is R consecutive rows (8 for SSE2, 16 for AVX2). Its pixels are transposed
// into a buffer where column x holds the strip's R pixels at t[x * R], so a row pass
// walks the buffer column by column with R rows side by side. Rows past the image's
// bottom stand in as copies of its last row and are never written back. Everything
// here has internal linkage: each file compiles it with its own instruction set.
#pragma once
#include <emmintrin.h>
#include <cstddef>
#include <cstdint>
#include "engine/surface.h"

// The AVX2 row passes of strips [from, to) of sixteen rows (see SmearRows in
// fx_smear.cpp): src's rows smeared both ways at weight s and channel bytes `keep`;
// columns cx1..cx2 of the result go to dst's columns from 0 (dst may be src).
void fx_SmearRowsAvx2(uint32_t weight, uint32_t keep, const Surface* src, Surface* dst, int cx1, int cx2, int from,
                      int to);
// The AVX2 column passes of columns [c0, c1), a multiple of eight (see SimdColumns
// in fx_smear.cpp): down every column, then up it to row `top`, in place.
void fx_SmearColumnsAvx2(uint32_t weight, uint32_t keep, Surface* s, int c0, int c1, int top);
// For tests: pins the loops named "sse2" or "avx2" (0 when this processor cannot run
// them), or with null goes back to the best ones.
int fx_SmearPinLoops(const char* loops);

namespace {

struct alignas(32) StripCell {   // a container element that keeps the buffer aligned
    uint32_t words[8];
};

inline void Transpose4(__m128i& a, __m128i& b, __m128i& c, __m128i& d) {
    __m128i t0 = _mm_unpacklo_epi32(a, b), t1 = _mm_unpacklo_epi32(c, d);
    __m128i t2 = _mm_unpackhi_epi32(a, b), t3 = _mm_unpackhi_epi32(c, d);
    a = _mm_unpacklo_epi64(t0, t1);
    b = _mm_unpackhi_epi64(t0, t1);
    c = _mm_unpacklo_epi64(t2, t3);
    d = _mm_unpackhi_epi64(t2, t3);
}

// Row pointers of the strip from row y0; the number of real rows.
template <int R>
int StripRows(const Surface* src, Surface* dst, int y0, const uint32_t** rows, uint32_t** out) {
    const int h = (int)src->height;
    for (int r = 0; r < R; r++) {
        const size_t y = (size_t)(y0 + r < h ? y0 + r : h - 1);
        rows[r] = src->pixels + y * src->stride;
        out[r] = dst->pixels + y * dst->stride;
    }
    return h - y0 < R ? h - y0 : R;
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

}  // namespace
