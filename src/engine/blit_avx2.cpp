// blit_avx2.cpp — AVX2 row kernels for the four transfers, eight pixels a step.
// Compiled with -mavx2 (this file only) and chosen at run time by blit_fast.cpp.
// Each gives exactly the words of the matching reference kernel in blit.cpp: the
// same 16-bit lane arithmetic as the SSE2 kernels (every sum of products stays
// below 2^16, so truncation is the reference's), only wider.
#include "engine/blit_simd.h"

#if defined(__x86_64__) || defined(_M_X64)
#include <immintrin.h>
#include <cstring>
#include "engine/blit.h"

namespace {

enum Mode { MODE_OVER, MODE_CHECKER, MODE_BEHIND };

inline __m256i Load(const uint32_t* p) { return _mm256_loadu_si256((const __m256i*)p); }
inline void Store(uint32_t* p, __m256i v) { _mm256_storeu_si256((__m256i*)p, v); }

// Source-over of eight pixels, weight t from `front`'s alpha: colours
// (f * (256 - t) + b * t) >> 8 = ((f << 8) + (b - f) * t) >> 8, exact modulo 2^16
// since the true value lies in 0..65280; alpha (A_b * t) >> 8, the front's alpha
// lane being zeroed. Every t = 256 leaves the back as it is (all four channels),
// every t = 0 gives the front (its alpha is 0).
inline __m256i Over8(__m256i front, __m256i back) {
    const __m256i amask = _mm256_set1_epi32((int)0xFF000000u);
    if (_mm256_testc_si256(front, amask)) return back;
    if (_mm256_testz_si256(front, amask)) return front;
    const __m256i z = _mm256_setzero_si256();
    const __m256i colour = _mm256_set1_epi64x(0x0000FFFFFFFFFFFFll);
    // The alpha byte of each pixel spread over its four 16-bit lanes.
    const __m256i spreadLo = _mm256_setr_epi8(3, -1, 3, -1, 3, -1, 3, -1, 7, -1, 7, -1, 7, -1, 7, -1,
                                              3, -1, 3, -1, 3, -1, 3, -1, 7, -1, 7, -1, 7, -1, 7, -1);
    const __m256i spreadHi = _mm256_setr_epi8(11, -1, 11, -1, 11, -1, 11, -1, 15, -1, 15, -1, 15, -1, 15, -1,
                                              11, -1, 11, -1, 11, -1, 11, -1, 15, -1, 15, -1, 15, -1, 15, -1);
    __m256i al = _mm256_shuffle_epi8(front, spreadLo), ah = _mm256_shuffle_epi8(front, spreadHi);
    __m256i tl = _mm256_add_epi16(al, _mm256_srli_epi16(al, 7));
    __m256i th = _mm256_add_epi16(ah, _mm256_srli_epi16(ah, 7));
    __m256i fl = _mm256_and_si256(_mm256_unpacklo_epi8(front, z), colour);
    __m256i fh = _mm256_and_si256(_mm256_unpackhi_epi8(front, z), colour);
    __m256i bl = _mm256_unpacklo_epi8(back, z), bh = _mm256_unpackhi_epi8(back, z);
    __m256i rl = _mm256_add_epi16(_mm256_slli_epi16(fl, 8), _mm256_mullo_epi16(_mm256_sub_epi16(bl, fl), tl));
    __m256i rh = _mm256_add_epi16(_mm256_slli_epi16(fh, 8), _mm256_mullo_epi16(_mm256_sub_epi16(bh, fh), th));
    return _mm256_packus_epi16(_mm256_srli_epi16(rl, 8), _mm256_srli_epi16(rh, 8));
}

// One group of eight: source `s` composited in MODE onto the destination at `d`
// (board `p` for the checker mode), the written alpha cleared by `keep`.
template <int MODE>
inline void Blend8(uint32_t* d, __m256i s, __m256i p, __m256i keep) {
    __m256i dv = Load(d);
    __m256i out = MODE == MODE_BEHIND ? Over8(dv, s) : MODE == MODE_CHECKER ? Over8(s, p) : Over8(s, dv);
    Store(d, _mm256_and_si256(out, keep));
}

inline __m256i KeepMask(unsigned flags) {
    return _mm256_set1_epi32((flags & BLT_OPAQUE) ? 0x00FFFFFF : -1);
}

inline void DoubleChecker(uint32_t* twice, const uint32_t* row) {
    std::memcpy(twice, row, 64);
    std::memcpy(twice + 16, row, 64);
}

// Positions of eight consecutive pixels, and the step to the next eight.
struct Positions {
    __m256i pos, step8;
    Positions(uint32_t pos0, uint32_t step) {
        pos = _mm256_add_epi32(_mm256_set1_epi32((int)pos0),
                               _mm256_mullo_epi32(_mm256_set1_epi32((int)step),
                                                  _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7)));
        step8 = _mm256_set1_epi32((int)(step * 8));
    }
    void Next() { pos = _mm256_add_epi32(pos, step8); }
};

// Eight nearest source pixels. When the step is at most one column, the eight lie
// within the eight words from the first one's column: one load and a permute
// (used while that window stays inside the row), otherwise a gather.
inline __m256i Nearest8(const uint32_t* s, __m256i pos, uint32_t first, bool window) {
    __m256i col = _mm256_srli_epi32(pos, 16);
    if (window)
        return _mm256_permutevar8x32_epi32(Load(s + first), _mm256_sub_epi32(col, _mm256_set1_epi32((int)first)));
    return _mm256_i32gather_epi32((const int*)s, col, 4);
}

// Eight bilinear samples, all with c0 < lastCol (so c1 = c0 + 1). Taps come from
// windows as in Nearest8 when `window` is set, else from gathers.
inline __m256i Sample8(const uint32_t* s0, const uint32_t* s1, __m256i pos, uint32_t first,
                       bool window, __m256i fyv) {
    const __m256i z = _mm256_setzero_si256();
    __m256i col = _mm256_srli_epi32(pos, 16);
    __m256i p00, p10, p01, p11;
    if (window) {
        __m256i rel = _mm256_sub_epi32(col, _mm256_set1_epi32((int)first));
        p00 = _mm256_permutevar8x32_epi32(Load(s0 + first), rel);
        p10 = _mm256_permutevar8x32_epi32(Load(s0 + first + 1), rel);
        p01 = _mm256_permutevar8x32_epi32(Load(s1 + first), rel);
        p11 = _mm256_permutevar8x32_epi32(Load(s1 + first + 1), rel);
    } else {
        p00 = _mm256_i32gather_epi32((const int*)s0, col, 4);
        p10 = _mm256_i32gather_epi32((const int*)(s0 + 1), col, 4);
        p01 = _mm256_i32gather_epi32((const int*)s1, col, 4);
        p11 = _mm256_i32gather_epi32((const int*)(s1 + 1), col, 4);
    }
    // Weights per pixel in 32-bit lanes; fx * fy fits a 16-bit product.
    __m256i fx = _mm256_and_si256(_mm256_srli_epi32(pos, 8), _mm256_set1_epi32(255));
    __m256i w11 = _mm256_srli_epi32(_mm256_mullo_epi16(fx, fyv), 8);
    __m256i w10 = _mm256_sub_epi32(fx, w11);
    __m256i w01 = _mm256_sub_epi32(fyv, w11);
    __m256i w00 = _mm256_add_epi32(_mm256_sub_epi32(_mm256_set1_epi32(256), _mm256_add_epi32(fx, fyv)), w11);
    // Each weight twice per 32-bit lane; unpacking with itself gives four lanes per pixel,
    // in the same order as the pixels' bytes unpacked to 16 bits.
    w00 = _mm256_or_si256(w00, _mm256_slli_epi32(w00, 16));
    w10 = _mm256_or_si256(w10, _mm256_slli_epi32(w10, 16));
    w01 = _mm256_or_si256(w01, _mm256_slli_epi32(w01, 16));
    w11 = _mm256_or_si256(w11, _mm256_slli_epi32(w11, 16));
#define KV_HALF(UNPACK8, UNPACK32)                                                           \
    _mm256_srli_epi16(                                                                       \
        _mm256_add_epi16(                                                                    \
            _mm256_add_epi16(_mm256_mullo_epi16(UNPACK8(p00, z), UNPACK32(w00, w00)),        \
                             _mm256_mullo_epi16(UNPACK8(p10, z), UNPACK32(w10, w10))),       \
            _mm256_add_epi16(_mm256_mullo_epi16(UNPACK8(p01, z), UNPACK32(w01, w01)),        \
                             _mm256_mullo_epi16(UNPACK8(p11, z), UNPACK32(w11, w11)))),      \
        8)
    __m256i lo = KV_HALF(_mm256_unpacklo_epi8, _mm256_unpacklo_epi32);
    __m256i hi = KV_HALF(_mm256_unpackhi_epi8, _mm256_unpackhi_epi32);
#undef KV_HALF
    return _mm256_packus_epi16(lo, hi);
}

// How many leading pixels may start a group of eight that reads its taps through
// windows: the step is at most one column and the window's last word (column + 7,
// or + 8 for the bilinear right taps) stays inside the source row.
inline int WindowPixels(const RowSpan& sp, const BlitRow& r, int limit, int extra) {
    if (sp.step > 65536) return 0;
    const int64_t base = (int64_t)r.sx1 + (r.acc >> 16);
    const int64_t lastFirst = (int64_t)r.lastCol - base - 7 - extra;   // last allowed first column
    if (lastFirst < 0) return 0;
    // Pixel i starts a window at column (pos + i * step) >> 16 <= lastFirst.
    int64_t n = sp.step == 0 ? limit : ((lastFirst + 1) * 65536 - sp.pos + sp.step - 1) / sp.step;
    return (int)(n < limit ? n : limit);
}

void CopyRow(const BlitRow& r) {
    const __m256i keep = KeepMask(r.flags);
    uint32_t* d = r.dst;
    const int n = r.count;
    int i = 0;
    if (r.sameWidth) {
        const uint32_t* s = blt_SameRow(r);
        if (!(r.flags & BLT_OPAQUE)) {
            std::memcpy(d, s, (size_t)n * 4);
            return;
        }
        for (; i + 8 <= n; i += 8) Store(d + i, _mm256_and_si256(Load(s + i), keep));
    } else {
        RowSpan sp;
        if (!blt_SpanInit(r, &sp)) return blt_ReferenceKernels.copy(r);
        const int win = WindowPixels(sp, r, n, 0);
        Positions p(sp.pos, sp.step);
        for (; i + 8 <= n; i += 8, p.Next()) {
            const uint32_t first = (sp.pos + (uint32_t)i * sp.step) >> 16;
            Store(d + i, _mm256_and_si256(Nearest8(sp.s0, p.pos, first, i < win), keep));
        }
    }
    blt_RefTail(blt_ReferenceKernels.copy, r, i);
}

template <int MODE>
void BlendRowT(const BlitRow& r) {
    const __m256i keep = KeepMask(r.flags);
    uint32_t chk[32];
    if (MODE == MODE_CHECKER) DoubleChecker(chk, r.checker);
    __m256i p = _mm256_setzero_si256();
    uint32_t* d = r.dst;
    const int n = r.count;
    int i = 0;
    if (r.sameWidth) {
        const uint32_t* s = blt_SameRow(r);
        for (; i + 8 <= n; i += 8) {
            if (MODE == MODE_CHECKER) p = Load(chk + ((r.x + i) & 15));
            Blend8<MODE>(d + i, Load(s + i), p, keep);
        }
    } else {
        RowSpan sp;
        if (!blt_SpanInit(r, &sp)) return blt_ReferenceKernels.blend(r);
        const int win = WindowPixels(sp, r, n, 0);
        Positions pos(sp.pos, sp.step);
        for (; i + 8 <= n; i += 8, pos.Next()) {
            if (MODE == MODE_CHECKER) p = Load(chk + ((r.x + i) & 15));
            const uint32_t first = (sp.pos + (uint32_t)i * sp.step) >> 16;
            Blend8<MODE>(d + i, Nearest8(sp.s0, pos.pos, first, i < win), p, keep);
        }
    }
    blt_RefTail(blt_ReferenceKernels.blend, r, i);
}

void BlendRow(const BlitRow& r) {
    if (r.flags & BLT_BEHIND) BlendRowT<MODE_BEHIND>(r);
    else if (r.flags & BLT_CHECKER) BlendRowT<MODE_CHECKER>(r);
    else BlendRowT<MODE_OVER>(r);
}

void CopySmoothRow(const BlitRow& r) {
    RowSpan sp;
    if (!blt_SpanInit(r, &sp)) return blt_ReferenceKernels.copySmooth(r);
    const __m256i keep = KeepMask(r.flags);
    const __m256i fyv = _mm256_set1_epi32((int)r.fy);
    const int win = WindowPixels(sp, r, sp.inner, 1);
    Positions pos(sp.pos, sp.step);
    int i = 0;
    for (; i + 8 <= sp.inner; i += 8, pos.Next()) {
        const uint32_t first = (sp.pos + (uint32_t)i * sp.step) >> 16;
        Store(r.dst + i, _mm256_and_si256(Sample8(sp.s0, sp.s1, pos.pos, first, i < win, fyv), keep));
    }
    blt_RefTail(blt_ReferenceKernels.copySmooth, r, i);
}

template <int MODE>
void BlendSmoothRowT(const BlitRow& r) {
    RowSpan sp;
    if (!blt_SpanInit(r, &sp)) return blt_ReferenceKernels.blendSmooth(r);
    const __m256i keep = KeepMask(r.flags);
    const __m256i fyv = _mm256_set1_epi32((int)r.fy);
    uint32_t chk[32];
    if (MODE == MODE_CHECKER) DoubleChecker(chk, r.checker);
    __m256i p = _mm256_setzero_si256();
    const int win = WindowPixels(sp, r, sp.inner, 1);
    Positions pos(sp.pos, sp.step);
    uint32_t* d = r.dst;
    int i = 0;
    for (; i + 8 <= sp.inner; i += 8, pos.Next()) {
        if (MODE == MODE_CHECKER) p = Load(chk + ((r.x + i) & 15));
        const uint32_t first = (sp.pos + (uint32_t)i * sp.step) >> 16;
        Blend8<MODE>(d + i, Sample8(sp.s0, sp.s1, pos.pos, first, i < win, fyv), p, keep);
    }
    blt_RefTail(blt_ReferenceKernels.blendSmooth, r, i);
}

void BlendSmoothRow(const BlitRow& r) {
    if (r.flags & BLT_BEHIND) BlendSmoothRowT<MODE_BEHIND>(r);
    else if (r.flags & BLT_CHECKER) BlendSmoothRowT<MODE_CHECKER>(r);
    else BlendSmoothRowT<MODE_OVER>(r);
}

}  // namespace

const BlitKernels blt_Avx2Kernels = {CopyRow, BlendRow, CopySmoothRow, BlendSmoothRow};

#endif
