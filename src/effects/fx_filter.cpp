// fx_filter.cpp — convolution: a literal 64-bit reference and an SSE2 path.
//
// The SSE2 path groups the taps by weight. A group's pixels are first summed in
// 16-bit lanes (81 * 255 fits), then each group sum meets its weight split as
// w = hi * 32768 + lo (lo 0..32767, hi a signed 16-bit value, so |w| < 2^30) in
// pairwise 16 x 16 -> 32 multiply-adds; over all taps both partial sums stay below
// 81 * 255 * 32768 < 2^31. The total hi * 32768 + lo is exact in a double, and so
// is the truncated quotient: |total| < 2^53 keeps the rounding of the division
// from crossing an integer.
#include "effects/fx_filter.h"
#include <cmath>
#include <cstddef>
#include <vector>
#include "effects/fx_common.h"
#include "engine/engine.h"
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

struct Conv {
    const int32_t* w;
    int n, r;
    int64_t sum;
    uint32_t computed;   // bits of the channels the convolution writes
};

inline int ClampIndex(int v, int hi) { return v < 0 ? 0 : (v > hi ? hi : v); }

void ReferenceRows(const Conv& c, const Surface* src, Surface* dst, int from, int to) {
    const int w = (int)src->width, h = (int)src->height;
    for (int y = from; y < to; y++) {
        for (int x = 0; x < w; x++) {
            int64_t acc[4] = {0, 0, 0, 0};
            for (int dy = -c.r; dy <= c.r; dy++) {
                const uint32_t* row = src->pixels + (size_t)ClampIndex(y + dy, h - 1) * src->stride;
                for (int dx = -c.r; dx <= c.r; dx++) {
                    int64_t wt = c.w[(dy + c.r) * c.n + (dx + c.r)];
                    uint32_t p = row[ClampIndex(x + dx, w - 1)];
                    for (int ch = 0; ch < 4; ch++) acc[ch] += wt * (int64_t)((p >> (8 * ch)) & 0xFF);
                }
            }
            uint32_t centre = src->pixels[(size_t)y * src->stride + x], out = 0;
            for (int ch = 0; ch < 4; ch++) {
                int64_t q = acc[ch] / c.sum;
                uint32_t v = (uint32_t)(q < 0 ? 0 : (q > 255 ? 255 : q));
                out |= v << (8 * ch);
            }
            dst->pixels[(size_t)y * dst->stride + x] = (out & c.computed) | (centre & ~c.computed);
        }
    }
}

#if defined(__SSE2__)

struct Xmm {   // a vector in a container without losing its alignment
    __m128i v;
};

// Taps grouped by weight (zero weights dropped), each weight split for the
// multiply-adds, pairs of groups side by side.
struct Plan {
    int n, r, groups;
    std::vector<int> dy, dx;       // taps in group order
    std::vector<int> groupEnd;     // taps of group g: [groupEnd[g - 1], groupEnd[g])
    std::vector<Xmm> lo, hi;       // per pair of groups: (lo_a, lo_b) and (hi_a, hi_b) in every pixel
    double sum;
    uint32_t computed;
};

void MakePlan(const Conv& c, Plan* p) {
    p->n = c.n;
    p->r = c.r;
    p->sum = (double)c.sum;
    p->computed = c.computed;
    std::vector<int32_t> weight;
    std::vector<std::vector<int>> taps;
    for (int i = 0; i < c.n * c.n; i++) {
        if (c.w[i] == 0) continue;
        size_t g = 0;
        while (g < weight.size() && weight[g] != c.w[i]) g++;
        if (g == weight.size()) {
            weight.push_back(c.w[i]);
            taps.emplace_back();
        }
        taps[g].push_back(i);
    }
    p->groups = (int)weight.size();
    for (size_t g = 0; g < taps.size(); g++) {
        for (int i : taps[g]) {
            p->dy.push_back(i / c.n - c.r);
            p->dx.push_back(i % c.n - c.r);
        }
        p->groupEnd.push_back((int)p->dy.size());
    }
    weight.push_back(0);   // an odd group pairs with nothing
    const size_t pairs = (weight.size()) / 2;
    p->lo.resize(pairs);
    p->hi.resize(pairs);
    for (size_t i = 0; i < pairs; i++) {
        const int32_t a = weight[2 * i], b = weight[2 * i + 1];
        p->lo[i].v = _mm_set1_epi32((int)(((uint32_t)(b & 0x7FFF) << 16) | (uint32_t)(a & 0x7FFF)));
        p->hi[i].v = _mm_set1_epi32((int)(((uint32_t)(uint16_t)(b >> 15) << 16) | (uint16_t)(a >> 15)));
    }
}

// One source row, edges extended by r pixels each side (and three spare on the right
// for the last group of four), one pixel = 4 x int16.
void Unpack(const uint32_t* row, int w, int r, uint64_t* out) {
    for (int x = -r; x < w + r + 3; x++) {
        uint64_t p = row[ClampIndex(x, w - 1)];
        out[x + r] = (p & 0xFF) | ((p & 0xFF00) << 8) | ((p & 0xFF0000) << 16) | ((p & 0xFF000000) << 24);
    }
}

// Two pixels' four 32-bit hi and lo sums -> (hi * 32768 + lo) / S, clamped, as int32.
inline __m128i Divide(__m128i hi, __m128i lo, __m128d divisor) {
    const __m128d scale = _mm_set1_pd(32768.0), zero = _mm_setzero_pd(), top = _mm_set1_pd(255.0);
    __m128d a = _mm_add_pd(_mm_mul_pd(_mm_cvtepi32_pd(hi), scale), _mm_cvtepi32_pd(lo));
    __m128d b = _mm_add_pd(_mm_mul_pd(_mm_cvtepi32_pd(_mm_srli_si128(hi, 8)), scale),
                           _mm_cvtepi32_pd(_mm_srli_si128(lo, 8)));
    a = _mm_min_pd(_mm_max_pd(_mm_div_pd(a, divisor), zero), top);
    b = _mm_min_pd(_mm_max_pd(_mm_div_pd(b, divisor), zero), top);
    return _mm_unpacklo_epi64(_mm_cvttpd_epi32(a), _mm_cvttpd_epi32(b));
}

// Rewrites the slice's rows in place. Source rows live unpacked in a ring of n; each
// is unpacked before its own output row is written.
void SimdSlice(const Plan& p, const FxRows& rows) {
    Surface* s = rows.s;
    const int w = (int)s->width, h = (int)s->height, n = p.n, r = p.r;
    const size_t pitch = (size_t)w + 2 * r + 4;
    std::vector<uint64_t> ring(pitch * n);
    std::vector<int> ringRow(n, -1);
    const int taps = (int)p.dy.size(), pairs = (int)p.lo.size();
    std::vector<const uint64_t*> tp(taps);
    Xmm sums[2][82];
    const __m128d divisor = _mm_set1_pd(p.sum);
    const __m128i keep = _mm_set1_epi32((int)p.computed);
    for (int y = rows.from; y < rows.to; y++) {
        // The whole window, taps or not: row y + r must be unpacked now, before its
        // own turn rewrites it, even when no weight of the last row is nonzero.
        for (int dy = -r; dy <= r; dy++) {
            const int sy = ClampIndex(y + dy, h - 1), slot = sy % n;
            if (ringRow[slot] != sy) {
                Unpack(fx_SourceRow(rows, sy), w, r, &ring[(size_t)slot * pitch]);
                ringRow[slot] = sy;
            }
        }
        for (int k = 0; k < taps; k++)
            tp[k] = &ring[(size_t)(ClampIndex(y + p.dy[k], h - 1) % n) * pitch] + p.dx[k] + r;
        uint32_t* out = s->pixels + (size_t)y * s->stride;
        for (int x = 0; x < w; x += 4) {
            for (int g = 0, k = 0; g < p.groups; g++) {
                __m128i a = _mm_setzero_si128(), b = a;
                for (; k < p.groupEnd[g]; k++) {
                    a = _mm_add_epi16(a, _mm_loadu_si128((const __m128i*)(tp[k] + x)));
                    b = _mm_add_epi16(b, _mm_loadu_si128((const __m128i*)(tp[k] + x + 2)));
                }
                sums[0][g].v = a;
                sums[1][g].v = b;
            }
            sums[0][p.groups].v = sums[1][p.groups].v = _mm_setzero_si128();
            __m128i q[4];
            for (int half = 0; half < 2; half++) {
                __m128i lo0 = _mm_setzero_si128(), hi0 = lo0, lo1 = lo0, hi1 = lo0;
                for (int i = 0; i < pairs; i++) {
                    __m128i p0 = _mm_unpacklo_epi16(sums[half][2 * i].v, sums[half][2 * i + 1].v);
                    __m128i p1 = _mm_unpackhi_epi16(sums[half][2 * i].v, sums[half][2 * i + 1].v);
                    lo0 = _mm_add_epi32(lo0, _mm_madd_epi16(p0, p.lo[i].v));
                    hi0 = _mm_add_epi32(hi0, _mm_madd_epi16(p0, p.hi[i].v));
                    lo1 = _mm_add_epi32(lo1, _mm_madd_epi16(p1, p.lo[i].v));
                    hi1 = _mm_add_epi32(hi1, _mm_madd_epi16(p1, p.hi[i].v));
                }
                q[2 * half] = Divide(hi0, lo0, divisor);
                q[2 * half + 1] = Divide(hi1, lo1, divisor);
            }
            __m128i px = _mm_packus_epi16(_mm_packs_epi32(q[0], q[1]), _mm_packs_epi32(q[2], q[3]));
            if (x + 4 <= w) {
                __m128i centre = _mm_loadu_si128((const __m128i*)(out + x));
                _mm_storeu_si128((__m128i*)(out + x), _mm_or_si128(_mm_and_si128(px, keep), _mm_andnot_si128(keep, centre)));
            } else {
                uint32_t v[4];
                _mm_storeu_si128((__m128i*)v, px);
                for (int i = 0; x + i < w; i++) out[x + i] = (v[i] & p.computed) | (out[x + i] & ~p.computed);
            }
        }
    }
}

#endif

}  // namespace

int fx_Convolve(Surface* s, const int32_t* weights, int n, int channelMask) {
    if (n < 1 || (n & 1) == 0 || n * n > 100 || !weights) return 0;
    Conv c;
    c.w = weights;
    c.n = n;
    c.r = (n - 1) / 2;
    c.sum = 0;
    bool narrow = true;   // every weight within the split-weight range of the fast path
    for (int i = 0; i < n * n; i++) {
        c.sum += weights[i];
        narrow = narrow && weights[i] >= -(1 << 30) && weights[i] < (1 << 30);
    }
    if (c.sum == 0) return FX_CONV_ZERO_SUM;
    if (c.sum < INT32_MIN || c.sum > INT32_MAX) return FX_CONV_OVERFLOW;
    c.computed = 0xFFFFFFFFu;
    if (channelMask & 15)
        c.computed = ((channelMask & 1) ? 0xFFu : 0) | ((channelMask & 2) ? 0xFF00u : 0) |
                     ((channelMask & 4) ? 0xFF0000u : 0) | ((channelMask & 8) ? 0xFF000000u : 0);
    if (!srf_Lock(s)) return 0;
#if defined(__SSE2__)
    if (!eng_ReferenceForced() && narrow) {
        Plan plan;
        MakePlan(c, &plan);
        fx_SplitInPlace(s, c.r, [&plan](const FxRows& rows) { SimdSlice(plan, rows); });
        srf_Unlock(s);
        return 1;
    }
#endif
    (void)narrow;
    Surface copy{};
    if (!srf_Duplicate(&copy, s) || !srf_Lock(&copy)) {
        if (srf_IsValid(&copy)) srf_Destroy(&copy);
        srf_Unlock(s);
        return 0;
    }
    ReferenceRows(c, &copy, s, 0, (int)s->height);
    srf_Unlock(&copy);
    srf_Destroy(&copy);
    srf_Unlock(s);
    return 1;
}

int fx_Sharpen(Surface* s, int level) {
    int32_t k[25] = {-17678, -22361, -25000, -22361, -17678,   //
                     -22361, -35355, -50000, -35355, -22361,   //
                     -25000, -50000, 0,      -50000, -25000,   //
                     -22361, -35355, -50000, -35355, -22361,   //
                     -17678, -22361, -25000, -22361, -17678};
    k[12] = 2000000 - fx_ClampLevel(level) * 1308950 / 1000;
    return fx_Convolve(s, k, 5, 0);
}

int fx_MatrixWeights(const double matrix[9], int32_t weights[9]) {
    double sum = 0;
    for (int i = 0; i < 9; i++) {
        if (!std::isfinite(matrix[i])) return FX_CONV_OVERFLOW;
        sum += matrix[i];
    }
    if (sum == 0) return FX_CONV_ZERO_SUM;
    const double f = 1000000.0 / sum;
    int64_t total = 0;
    for (int i = 0; i < 9; i++) {
        double v = f * matrix[i];
        // Checked as a double first: converting an out-of-range value is undefined.
        if (!(v > -2147483649.0 && v < 2147483648.0)) return FX_CONV_OVERFLOW;
        weights[i] = (int32_t)v;
        total += weights[i];
    }
    if (total < INT32_MIN || total > INT32_MAX) return FX_CONV_OVERFLOW;
    if (total == 0) return FX_CONV_ZERO_SUM;
    return 1;
}
