// blit_sse2.cpp — SSE2 row kernels for the four transfers (the x86-64 baseline).
// Each gives exactly the words of the matching reference kernel in blit.cpp for
// every BlitRow. The arithmetic is the reference's: bytes widened to 16-bit lanes,
// where a * (256 - t) + b * t and the four bilinear products stay below 2^16, so
// _mm_mullo_epi16 and a logical shift by 8 truncate exactly as the scalar code.
#include "engine/blit_simd.h"

#if defined(__x86_64__) || defined(_M_X64)
#include <emmintrin.h>
#include <cstring>
#include "engine/blit.h"

namespace {

enum Mode { MODE_OVER, MODE_CHECKER, MODE_BEHIND };

inline __m128i Load(const uint32_t* p) { return _mm_loadu_si128((const __m128i*)p); }
inline void Store(uint32_t* p, __m128i v) { _mm_storeu_si128((__m128i*)p, v); }

// Source-over of four pixels, weight t from `front`'s alpha: colours
// (f * (256 - t) + b * t) >> 8 = ((f << 8) + (b - f) * t) >> 8, exact modulo 2^16
// since the true value lies in 0..65280; alpha (A_b * t) >> 8, the front's alpha
// lane being zeroed. Every t = 256 leaves the back as it is (all four channels),
// every t = 0 gives the front (its alpha is 0).
inline __m128i Over4(__m128i front, __m128i back) {
    const __m128i z = _mm_setzero_si128();
    const __m128i amask = _mm_set1_epi32((int)0xFF000000u);
    __m128i fa = _mm_and_si128(front, amask);
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(fa, amask)) == 0xFFFF) return back;
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(fa, z)) == 0xFFFF) return front;
    const __m128i colour = _mm_set_epi16(0, -1, -1, -1, 0, -1, -1, -1);
    __m128i fl = _mm_unpacklo_epi8(front, z), fh = _mm_unpackhi_epi8(front, z);
    __m128i bl = _mm_unpacklo_epi8(back, z), bh = _mm_unpackhi_epi8(back, z);
    __m128i al = _mm_shufflehi_epi16(_mm_shufflelo_epi16(fl, 0xFF), 0xFF);
    __m128i ah = _mm_shufflehi_epi16(_mm_shufflelo_epi16(fh, 0xFF), 0xFF);
    __m128i tl = _mm_add_epi16(al, _mm_srli_epi16(al, 7));
    __m128i th = _mm_add_epi16(ah, _mm_srli_epi16(ah, 7));
    fl = _mm_and_si128(fl, colour);
    fh = _mm_and_si128(fh, colour);
    __m128i rl = _mm_add_epi16(_mm_slli_epi16(fl, 8), _mm_mullo_epi16(_mm_sub_epi16(bl, fl), tl));
    __m128i rh = _mm_add_epi16(_mm_slli_epi16(fh, 8), _mm_mullo_epi16(_mm_sub_epi16(bh, fh), th));
    return _mm_packus_epi16(_mm_srli_epi16(rl, 8), _mm_srli_epi16(rh, 8));
}

// One group of four: source `s` composited in MODE onto the destination at `d`
// (board `p` for the checker mode), the written alpha cleared by `keep`.
template <int MODE>
inline void Blend4(uint32_t* d, __m128i s, __m128i p, __m128i keep) {
    __m128i dv = Load(d);
    __m128i out = MODE == MODE_BEHIND ? Over4(dv, s) : MODE == MODE_CHECKER ? Over4(s, p) : Over4(s, dv);
    Store(d, _mm_and_si128(out, keep));
}

// Four bilinear samples at positions pos + k * step (k = 0..3; `posv` holds the
// same four in 32-bit lanes), all with c0 < lastCol. `fy2` holds fy and `rest2`
// 256 - fy in every 16-bit lane.
inline __m128i Sample4(const uint32_t* s0, const uint32_t* s1, uint32_t pos, uint32_t step,
                       __m128i posv, __m128i fy2, __m128i rest2) {
    const __m128i z = _mm_setzero_si128();
    const uint32_t p0 = pos, p1 = pos + step, p2 = p1 + step, p3 = p2 + step;
    // Weights, each twice per 32-bit lane; fx * fy fits a 16-bit product.
    __m128i fx = _mm_and_si128(_mm_srli_epi32(posv, 8), _mm_set1_epi32(255));
    fx = _mm_or_si128(fx, _mm_slli_epi32(fx, 16));
    __m128i w11 = _mm_srli_epi16(_mm_mullo_epi16(fx, fy2), 8);
    __m128i w10 = _mm_sub_epi16(fx, w11);
    __m128i w01 = _mm_sub_epi16(fy2, w11);
    __m128i w00 = _mm_add_epi16(_mm_sub_epi16(rest2, fx), w11);   // 256 - w10 - w01 - w11
    // Per pixel: [w00 x4 | w10 x4] for the top pair, [w01 x4 | w11 x4] for the bottom.
    __m128i top01 = _mm_unpacklo_epi32(w00, w10), top23 = _mm_unpackhi_epi32(w00, w10);
    __m128i bot01 = _mm_unpacklo_epi32(w01, w11), bot23 = _mm_unpackhi_epi32(w01, w11);
#define KV_TAPS(P, TOP, BOT, SEL)                                                              \
    _mm_add_epi16(                                                                             \
        _mm_mullo_epi16(_mm_unpacklo_epi8(_mm_loadl_epi64((const __m128i*)(s0 + ((P) >> 16))), z), \
                        _mm_shuffle_epi32(TOP, SEL)),                                          \
        _mm_mullo_epi16(_mm_unpacklo_epi8(_mm_loadl_epi64((const __m128i*)(s1 + ((P) >> 16))), z), \
                        _mm_shuffle_epi32(BOT, SEL)))
    // Each tap vector holds [c0 part | c1 part] of one pixel; the two halves are summed.
    __m128i a = KV_TAPS(p0, top01, bot01, _MM_SHUFFLE(1, 1, 0, 0));
    __m128i b = KV_TAPS(p1, top01, bot01, _MM_SHUFFLE(3, 3, 2, 2));
    __m128i c = KV_TAPS(p2, top23, bot23, _MM_SHUFFLE(1, 1, 0, 0));
    __m128i d = KV_TAPS(p3, top23, bot23, _MM_SHUFFLE(3, 3, 2, 2));
#undef KV_TAPS
    __m128i ab = _mm_add_epi16(_mm_unpacklo_epi64(a, b), _mm_unpackhi_epi64(a, b));
    __m128i cd = _mm_add_epi16(_mm_unpacklo_epi64(c, d), _mm_unpackhi_epi64(c, d));
    return _mm_packus_epi16(_mm_srli_epi16(ab, 8), _mm_srli_epi16(cd, 8));
}

// Positions of four consecutive pixels in 32-bit lanes, and the step to the next four.
struct Positions {
    __m128i pos, step4;
    Positions(uint32_t pos0, uint32_t step) {
        pos = _mm_setr_epi32((int)pos0, (int)(pos0 + step), (int)(pos0 + 2 * step), (int)(pos0 + 3 * step));
        step4 = _mm_set1_epi32((int)(step * 4));
    }
    void Next() { pos = _mm_add_epi32(pos, step4); }
};

inline __m128i Gather4(const uint32_t* s, uint32_t pos, uint32_t step) {
    uint32_t p1 = pos + step, p2 = p1 + step, p3 = p2 + step;
    return _mm_setr_epi32((int)s[pos >> 16], (int)s[p1 >> 16], (int)s[p2 >> 16], (int)s[p3 >> 16]);
}

inline __m128i KeepMask(unsigned flags) {
    return _mm_set1_epi32((flags & BLT_OPAQUE) ? 0x00FFFFFF : -1);
}

// The checkerboard row twice over, so four consecutive entries from any phase are one load.
inline void DoubleChecker(uint32_t* twice, const uint32_t* row) {
    std::memcpy(twice, row, 64);
    std::memcpy(twice + 16, row, 64);
}

void CopyRow(const BlitRow& r) {
    const __m128i keep = KeepMask(r.flags);
    uint32_t* d = r.dst;
    const int n = r.count;
    if (r.sameWidth) {
        const uint32_t* s = blt_SameRow(r);
        if (!(r.flags & BLT_OPAQUE)) {
            std::memcpy(d, s, (size_t)n * 4);
            return;
        }
        int i = 0;
        for (; i + 4 <= n; i += 4) Store(d + i, _mm_and_si128(Load(s + i), keep));
        for (; i < n; i++) d[i] = s[i] & 0x00FFFFFFu;
        return;
    }
    RowSpan sp;
    if (!blt_SpanInit(r, &sp)) return blt_ReferenceKernels.copy(r);
    const uint32_t clear = (r.flags & BLT_OPAQUE) ? 0x00FFFFFFu : 0xFFFFFFFFu;
    const uint32_t* s = sp.s0;
    uint32_t pos = sp.pos, step = sp.step;
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        uint32_t a = s[pos >> 16];
        pos += step;
        uint32_t b = s[pos >> 16];
        pos += step;
        uint32_t c = s[pos >> 16];
        pos += step;
        uint32_t e = s[pos >> 16];
        pos += step;
        d[i] = a & clear;
        d[i + 1] = b & clear;
        d[i + 2] = c & clear;
        d[i + 3] = e & clear;
    }
    for (; i < n; i++, pos += step) d[i] = s[pos >> 16] & clear;
}

template <int MODE>
void BlendRowT(const BlitRow& r) {
    const __m128i keep = KeepMask(r.flags);
    uint32_t chk[32];
    if (MODE == MODE_CHECKER) DoubleChecker(chk, r.checker);
    uint32_t* d = r.dst;
    const int n = r.count;
    int i = 0;
    __m128i p = _mm_setzero_si128();
    if (r.sameWidth) {
        const uint32_t* s = blt_SameRow(r);
        for (; i + 4 <= n; i += 4) {
            if (MODE == MODE_CHECKER) p = Load(chk + ((r.x + i) & 15));
            Blend4<MODE>(d + i, Load(s + i), p, keep);
        }
    } else {
        RowSpan sp;
        if (!blt_SpanInit(r, &sp)) return blt_ReferenceKernels.blend(r);
        const uint32_t step4 = sp.step * 4;
        uint32_t pos = sp.pos;
        for (; i + 4 <= n; i += 4, pos += step4) {
            if (MODE == MODE_CHECKER) p = Load(chk + ((r.x + i) & 15));
            Blend4<MODE>(d + i, Gather4(sp.s0, pos, sp.step), p, keep);
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
    const __m128i keep = KeepMask(r.flags);
    const __m128i fy2 = _mm_set1_epi16((short)r.fy), rest2 = _mm_set1_epi16((short)(256 - r.fy));
    const uint32_t step4 = sp.step * 4;
    uint32_t pos = sp.pos;
    Positions pv(sp.pos, sp.step);
    int i = 0;
    for (; i + 4 <= sp.inner; i += 4, pos += step4, pv.Next())
        Store(r.dst + i, _mm_and_si128(Sample4(sp.s0, sp.s1, pos, sp.step, pv.pos, fy2, rest2), keep));
    blt_RefTail(blt_ReferenceKernels.copySmooth, r, i);
}

template <int MODE>
void BlendSmoothRowT(const BlitRow& r) {
    RowSpan sp;
    if (!blt_SpanInit(r, &sp)) return blt_ReferenceKernels.blendSmooth(r);
    const __m128i keep = KeepMask(r.flags);
    const __m128i fy2 = _mm_set1_epi16((short)r.fy), rest2 = _mm_set1_epi16((short)(256 - r.fy));
    uint32_t chk[32];
    if (MODE == MODE_CHECKER) DoubleChecker(chk, r.checker);
    const uint32_t step4 = sp.step * 4;
    uint32_t pos = sp.pos;
    uint32_t* d = r.dst;
    __m128i p = _mm_setzero_si128();
    Positions pv(sp.pos, sp.step);
    int i = 0;
    for (; i + 4 <= sp.inner; i += 4, pos += step4, pv.Next()) {
        if (MODE == MODE_CHECKER) p = Load(chk + ((r.x + i) & 15));
        Blend4<MODE>(d + i, Sample4(sp.s0, sp.s1, pos, sp.step, pv.pos, fy2, rest2), p, keep);
    }
    blt_RefTail(blt_ReferenceKernels.blendSmooth, r, i);
}

void BlendSmoothRow(const BlitRow& r) {
    if (r.flags & BLT_BEHIND) BlendSmoothRowT<MODE_BEHIND>(r);
    else if (r.flags & BLT_CHECKER) BlendSmoothRowT<MODE_CHECKER>(r);
    else BlendSmoothRowT<MODE_OVER>(r);
}

}  // namespace

const BlitKernels blt_Sse2Kernels = {CopyRow, BlendRow, CopySmoothRow, BlendSmoothRow};

#endif
