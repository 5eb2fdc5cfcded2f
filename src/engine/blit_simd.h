// blit_simd.h — internal: what the SIMD row kernels (blit_sse2.cpp, blit_avx2.cpp)
// share. A row's source positions are rebased onto the column of its first pixel
// so they fit 32-bit lanes; a row that would not fit, and the few columns a vector
// loop leaves over, are handed to the reference kernels, which define the results.
#pragma once
#include <cstdint>
#include "engine/blit_rows.h"

extern const BlitKernels blt_Sse2Kernels;
extern const BlitKernels blt_Avx2Kernels;

// For tests and the benchmark: the kernels named "sse2" or "avx2" when this
// processor runs them, else null; and a way to make blt_FastKernels() hand out a
// given set (null goes back to the processor's best).
const BlitKernels* blt_KernelsNamed(const char* name);
void blt_OverrideFastKernels(const BlitKernels* kernels);

struct RowSpan {
    const uint32_t* s0;  // source row r0 at the first pixel's column
    const uint32_t* s1;  // the same column in row r1
    uint32_t pos;        // 16.16 position of the first pixel relative to s0 (fraction only)
    uint32_t step;       // 16.16 step
    int inner;           // leading pixels whose bilinear footprint has a right neighbour
};

// False when the row's positions could leave 31 bits (only for sources far wider
// than any surface); the caller then runs the reference kernel.
inline bool blt_SpanInit(const BlitRow& r, RowSpan* sp) {
    const int64_t base = (int64_t)r.sx1 + (r.acc >> 16);
    const int64_t frac = r.acc & 0xFFFF;
    const int64_t limit = (int64_t)1 << 31;
    if (r.step >= limit || frac + (int64_t)(r.count - 1) * r.step >= limit) return false;
    sp->s0 = r.src0 + base;
    sp->s1 = r.src1 + base;
    sp->pos = (uint32_t)frac;
    sp->step = (uint32_t)r.step;
    // Columns are non-decreasing, so the pixels that sample the source's last
    // column (c1 == c0 there) are a tail.
    const int64_t lastRel = (int64_t)r.lastCol - base;
    int64_t inner;
    if (lastRel <= 0) inner = 0;
    else if (r.step == 0) inner = r.count;
    else inner = ((lastRel << 16) - frac + r.step - 1) / r.step;
    sp->inner = (int)(inner < r.count ? inner : r.count);
    return true;
}

// The reference kernel on columns from..count-1 of the row.
inline void blt_RefTail(BlitRowFn fn, const BlitRow& r, int from) {
    if (from >= r.count) return;
    BlitRow t = r;
    t.dst += from;
    t.count -= from;
    t.acc += (int64_t)from * r.step;
    t.x += from;
    fn(t);
}

// Source pointer of a same-width row (column x - dx1 + sx1 for the first pixel).
inline const uint32_t* blt_SameRow(const BlitRow& r) {
    return r.src0 + ((int64_t)r.sx1 + (r.acc >> 16));
}
