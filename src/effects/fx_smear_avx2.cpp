// fx_smear_avx2.cpp — the smear's loops (fx_smear_simd.h) in 256-bit lanes: rows in
// strips of sixteen, columns eight at a time. Compiled with -mavx2 (this file only)
// and picked at run time by fx_smear.cpp.
#include <immintrin.h>
#include "effects/fx_smear_simd.h"

namespace {

// Two pixels' channels per 128-bit half; the widening and the pack work within
// each half, which keeps every lane on one pixel's channel.
template <bool FromRun, bool Masked>
struct Lanes256 {
    typedef __m256i V;
    static const int PIXELS = 8;
    V mul;    // s as a 16-bit pattern
    V keep;   // channel bytes carried, in every pixel
    static Lanes256 Make(uint32_t weight, uint32_t keep) {
        return {_mm256_set1_epi16((short)(uint16_t)weight), _mm256_set1_epi32((int)keep)};
    }
    static V Load(const V* p) { return _mm256_load_si256(p); }
    static V LoadU(const V* p) { return _mm256_loadu_si256(p); }
    static void Store(V* p, V v) { _mm256_store_si256(p, v); }
    static void StoreU(V* p, V v) { _mm256_storeu_si256(p, v); }
    static V Lo(V q) { return _mm256_unpacklo_epi8(q, _mm256_setzero_si256()); }
    static V Hi(V q) { return _mm256_unpackhi_epi8(q, _mm256_setzero_si256()); }
    static V Pack(V a, V b) { return _mm256_packus_epi16(a, b); }
    V Step(V run, V p) const {
        return _mm256_add_epi16(FromRun ? run : p, _mm256_mulhi_epi16(_mm256_sub_epi16(run, p), mul));
    }
    V Merge(V smeared, V orig) const {
        return Masked ? _mm256_or_si256(_mm256_and_si256(smeared, keep), _mm256_andnot_si256(keep, orig)) : smeared;
    }
};

}  // namespace

void fx_SmearRowsAvx2(uint32_t weight, uint32_t keep, const Surface* src, Surface* dst, int cx1, int cx2, int from,
                      int to) {
    WithLanes<Lanes256>(weight, keep, [&](auto k) { SmearRows(k, src, dst, cx1, cx2, from, to); });
}

void fx_SmearColumnsAvx2(uint32_t weight, uint32_t keep, Surface* s, int c0, int c1, int top) {
    WithLanes<Lanes256>(weight, keep, [&](auto k) { SmearColumns(k, s, c0, c1, top); });
}
