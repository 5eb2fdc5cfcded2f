// fx_smear_avx2.cpp — the smear's passes built for AVX2: rows in strips of sixteen,
// columns eight at a time, two pixels' channels per 128-bit half in 16-bit lanes, the
// same step as the SSE2 loops (fx_smear.cpp). Compiled with -mavx2 (this file only)
// and picked at run time.
#include <immintrin.h>
#include <vector>
#include "effects/fx_smear_rows.h"

namespace {

template <bool FromRun, bool Masked>
struct Lanes256 {
    __m256i mul;    // s as a 16-bit pattern
    __m256i keep;   // channel bytes carried, in every pixel
    __m256i Step(__m256i run, __m256i p) const {
        return _mm256_add_epi16(FromRun ? run : p, _mm256_mulhi_epi16(_mm256_sub_epi16(run, p), mul));
    }
    __m256i Merge(__m256i smeared, __m256i orig) const {
        return Masked ? _mm256_or_si256(_mm256_and_si256(smeared, keep), _mm256_andnot_si256(keep, orig)) : smeared;
    }
};

// One pass along the strip buffer (16 words per column), from `first` stepping `dir`.
// The byte unpacks and the pack work within each 128-bit half, so every 16-bit lane
// keeps one row's channel from column to column.
template <class K>
void StripPass16(const K k, uint32_t* t, int w, int first, int dir) {
    const __m256i z = _mm256_setzero_si256();
    __m256i* at = (__m256i*)(t + (size_t)first * 16);
    __m256i q0 = _mm256_load_si256(at), q1 = _mm256_load_si256(at + 1);
    __m256i r0 = _mm256_unpacklo_epi8(q0, z), r1 = _mm256_unpackhi_epi8(q0, z);
    __m256i r2 = _mm256_unpacklo_epi8(q1, z), r3 = _mm256_unpackhi_epi8(q1, z);
    const ptrdiff_t next = dir * 2;
    for (int i = 1; i < w; i++) {
        at += next;
        q0 = _mm256_load_si256(at);
        q1 = _mm256_load_si256(at + 1);
        r0 = k.Step(r0, _mm256_unpacklo_epi8(q0, z));
        r1 = k.Step(r1, _mm256_unpackhi_epi8(q0, z));
        r2 = k.Step(r2, _mm256_unpacklo_epi8(q1, z));
        r3 = k.Step(r3, _mm256_unpackhi_epi8(q1, z));
        _mm256_store_si256(at, k.Merge(_mm256_packus_epi16(r0, r1), q0));
        _mm256_store_si256(at + 1, k.Merge(_mm256_packus_epi16(r2, r3), q1));
    }
}

template <class K>
void Rows16(const K k, const Surface* src, Surface* dst, int cx1, int cx2, int from, int to) {
    const int w = (int)src->width;
    std::vector<StripCell> store((size_t)w * 2);
    uint32_t* t = store.data()->words;
    for (int strip = from; strip < to; strip++) {
        const uint32_t* rows[16];
        uint32_t* out[16];
        const int real = StripRows<16>(src, dst, strip * 16, rows, out);
        StripIn<16>(rows, t, w);
        StripPass16(k, t, w, 0, 1);
        StripPass16(k, t, w, w - 1, -1);
        StripOut<16>(t, out, real, cx1, cx2);
    }
}

// Columns [c0, c1) (a multiple of eight): down every column, then up it to row `top`.
template <class K>
void Columns8(const K k, Surface* s, int c0, int c1, int top) {
    const int h = (int)s->height;
    const size_t st = s->stride;
    const __m256i z = _mm256_setzero_si256();
    const int octs = (c1 - c0) / 8;
    std::vector<StripCell> store((size_t)octs * 2);
    __m256i* run = (__m256i*)store.data();
    for (int dir = 0; dir < 2; dir++) {
        const int y0 = dir == 0 ? 0 : h - 1, step = dir == 0 ? 1 : -1;
        const __m256i* first = (const __m256i*)(s->pixels + (size_t)y0 * st + c0);
        for (int o = 0; o < octs; o++) {
            const __m256i v = _mm256_loadu_si256(first + o);
            _mm256_store_si256(run + 2 * o, _mm256_unpacklo_epi8(v, z));
            _mm256_store_si256(run + 2 * o + 1, _mm256_unpackhi_epi8(v, z));
        }
        for (int y = y0 + step; dir == 0 ? y < h : y >= top; y += step) {
            __m256i* at = (__m256i*)(s->pixels + (size_t)y * st + c0);
            __m256i* r = run;
            for (int o = 0; o < octs; o++, at++, r += 2) {
                const __m256i v = _mm256_loadu_si256(at);
                const __m256i a = k.Step(_mm256_load_si256(r), _mm256_unpacklo_epi8(v, z));
                const __m256i b = k.Step(_mm256_load_si256(r + 1), _mm256_unpackhi_epi8(v, z));
                _mm256_store_si256(r, a);
                _mm256_store_si256(r + 1, b);
                _mm256_storeu_si256(at, k.Merge(_mm256_packus_epi16(a, b), v));
            }
        }
    }
}

// Calls f with the lanes of weight s and channel bytes `keep`.
template <class F>
void WithLanes256(uint32_t weight, uint32_t keep, F&& f) {
    const __m256i mul = _mm256_set1_epi16((short)(uint16_t)weight), bytes = _mm256_set1_epi32((int)keep);
    const bool fromRun = weight >= 32768, masked = keep != 0xFFFFFFFFu;
    if (fromRun && masked) f(Lanes256<true, true>{mul, bytes});
    else if (fromRun) f(Lanes256<true, false>{mul, bytes});
    else if (masked) f(Lanes256<false, true>{mul, bytes});
    else f(Lanes256<false, false>{mul, bytes});
}

}  // namespace

void fx_SmearColumnsAvx2(uint32_t weight, uint32_t keep, Surface* s, int c0, int c1, int top) {
    WithLanes256(weight, keep, [&](auto k) { Columns8(k, s, c0, c1, top); });
}

void fx_SmearRowsAvx2(uint32_t weight, uint32_t keep, const Surface* src, Surface* dst, int cx1, int cx2, int from,
                      int to) {
    WithLanes256(weight, keep, [&](auto k) { Rows16(k, src, dst, cx1, cx2, from, to); });
}
