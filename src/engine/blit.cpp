// blit.cpp — set-up, clipping and refusal rules of the four transfers, and the
// reference row kernels that define their results.
#include "engine/blit.h"
#include <cstring>
#include "engine/blit_rows.h"
#include "engine/engine.h"
#include "engine/pixel.h"

namespace {

enum BlitKind { KIND_COPY, KIND_BLEND, KIND_COPY_SMOOTH, KIND_BLEND_SMOOTH };

inline int64_t Max64(int64_t a, int64_t b) { return a > b ? a : b; }
inline int64_t Min64(int64_t a, int64_t b) { return a < b ? a : b; }

// The composite of one source (or sampled) pixel onto one destination pixel.
inline uint32_t Composite(uint32_t s, uint32_t d, uint32_t checker, unsigned flags) {
    uint32_t out;
    if (flags & BLT_BEHIND) out = px_Over(d, s);          // source weighted by d's alpha
    else if (flags & BLT_CHECKER) out = px_Over(s, checker);
    else out = px_Over(s, d);
    return (flags & BLT_OPAQUE) ? out & 0x00FFFFFFu : out;
}

inline uint32_t NearestAt(const BlitRow& r, int i) {
    int64_t col = r.sameWidth ? (int64_t)r.sx1 + (r.acc >> 16) + i
                              : (int64_t)r.sx1 + ((r.acc + (int64_t)i * r.step) >> 16);
    return r.src0[col];
}

inline uint32_t BilinearAt(const BlitRow& r, int i) {
    int64_t accX = r.acc + (int64_t)i * r.step;
    int64_t c0 = (int64_t)r.sx1 + (accX >> 16);
    int64_t c1 = c0 == r.lastCol ? c0 : c0 + 1;
    uint32_t fx = (uint32_t)(accX >> 8) & 255;
    uint32_t w11 = (fx * r.fy) >> 8;
    uint32_t w10 = fx - w11, w01 = r.fy - w11;
    uint32_t w00 = 256 - w10 - w01 - w11;
    return px_Mix4(r.src0[c0], w00, r.src0[c1], w10, r.src1[c0], w01, r.src1[c1], w11);
}

void RefCopy(const BlitRow& r) {
    uint32_t clear = (r.flags & BLT_OPAQUE) ? 0x00FFFFFFu : 0xFFFFFFFFu;
    for (int i = 0; i < r.count; i++) r.dst[i] = NearestAt(r, i) & clear;
}

void RefBlend(const BlitRow& r) {
    for (int i = 0; i < r.count; i++)
        r.dst[i] = Composite(NearestAt(r, i), r.dst[i], r.checker[(r.x + i) & 15], r.flags);
}

void RefCopySmooth(const BlitRow& r) {
    uint32_t clear = (r.flags & BLT_OPAQUE) ? 0x00FFFFFFu : 0xFFFFFFFFu;
    for (int i = 0; i < r.count; i++) r.dst[i] = BilinearAt(r, i) & clear;
}

void RefBlendSmooth(const BlitRow& r) {
    for (int i = 0; i < r.count; i++)
        r.dst[i] = Composite(BilinearAt(r, i), r.dst[i], r.checker[(r.x + i) & 15], r.flags);
}

int Transfer(BlitKind kind, Surface* dst, int dx1, int dy1, int dx2, int dy2,
             Surface* src, int sx1, int sy1, int sx2, int sy2, unsigned flags) {
    if (dx2 < dx1 || dy2 < dy1 || sx2 < sx1 || sy2 < sy1) return 0;
    if (!dst || !src || !srf_Refresh(dst) || !srf_Refresh(src)) return 0;
    const int64_t srcW = src->width, srcH = src->height;
    const int64_t dstW = dst->width, dstH = dst->height;
    if ((sx1 < 0 && sx2 < 0) || (sx1 > srcW - 1 && sx2 > srcW - 1)) return 0;
    // Equal sizes make the smooth transfers exactly the nearest ones.
    const int64_t sw = (int64_t)sx2 - sx1 + 1, dw = (int64_t)dx2 - dx1 + 1;
    const int64_t sh = (int64_t)sy2 - sy1 + 1, dh = (int64_t)dy2 - dy1 + 1;
    if (sw == dw && sh == dh) {
        if (kind == KIND_COPY_SMOOTH) kind = KIND_COPY;
        if (kind == KIND_BLEND_SMOOTH) kind = KIND_BLEND;
    }

    uint32_t* dp = srf_Lock(dst);
    if (!dp) return 0;
    uint32_t* sp = srf_Lock(src);
    if (!sp) {
        srf_Unlock(dst);
        return 0;
    }

    // 64-bit set-up: rectangles far outside the surfaces must not wrap around.
    const int64_t step = (sw << 16) / dw;
    int64_t start, end;
    if (step > 0) {
        // sx1 * 65536, not a shift: sx1 may be negative.
        start = Max64(Max64(dx1, 0), dx1 - ((int64_t)sx1 * 65536) / step);
        end = Min64(Min64(dx2, dstW - 1), dx1 + (((srcW - sx1) << 16) - 1) / step);
    } else {
        // A destination more than 65536 times wider than the source samples sx1 only.
        start = Max64(dx1, 0);
        end = (sx1 >= 0) ? Min64(dx2, dstW - 1) : -1;
    }
    auto srcCol = [&](int64_t x) { return sx1 + (((x - dx1) * step) >> 16); };
    while (start <= end && srcCol(start) < 0) start++;
    int64_t yFirst = Max64(dy1, 0), yLast = Min64(dy2, dstH - 1);
    if (flags & BLT_CLIP) {
        EngClip c = eng_GetClip();
        start = Max64(start, c.left);
        end = Min64(end, c.right);
        yFirst = Max64(yFirst, c.top);
        yLast = Min64(yLast, c.bottom);
    }

    if (start <= end) {
        const BlitKernels& k = eng_ReferenceForced() ? blt_ReferenceKernels : blt_FastKernels();
        BlitRowFn fn = kind == KIND_COPY ? k.copy : kind == KIND_BLEND ? k.blend
                     : kind == KIND_COPY_SMOOTH ? k.copySmooth : k.blendSmooth;
        const bool smooth = kind == KIND_COPY_SMOOTH || kind == KIND_BLEND_SMOOTH;
        const int64_t stepY = (sh << 16) / dh;
        BlitRow row;
        row.count = (int)(end - start + 1);
        row.acc = (start - dx1) * step;
        row.step = step;
        row.sx1 = sx1;
        row.lastCol = (int)srcW - 1;
        row.sameWidth = sw == dw;
        row.flags = flags;
        row.x = (int)start;
        row.fy = 0;
        for (int64_t y = yFirst; y <= yLast; y++) {
            int64_t r0;
            if (smooth) {
                int64_t acc = (y - dy1) * stepY;
                r0 = sy1 + (acc >> 16);
                row.fy = (uint32_t)(acc >> 8) & 255;
            } else {
                // Both factors are below 2^32, so the product fits unsigned 64 bits.
                r0 = sy1 + (int64_t)(((uint64_t)(y - dy1) * (uint64_t)sh) / (uint64_t)dh);
            }
            if (r0 < 0 || r0 > srcH - 1) continue;
            int64_t r1 = (smooth && r0 < srcH - 1) ? r0 + 1 : r0;
            row.dst = dp + (size_t)y * dst->stride + start;
            row.src0 = sp + (size_t)r0 * src->stride;
            row.src1 = sp + (size_t)r1 * src->stride;
            row.checker = eng_CheckerTable() + (y & 15) * 16;
            fn(row);
        }
    }
    srf_Unlock(src);
    srf_Unlock(dst);
    return 1;
}

}  // namespace

const BlitKernels blt_ReferenceKernels = {RefCopy, RefBlend, RefCopySmooth, RefBlendSmooth};

int blt_Copy(Surface* dst, int dx1, int dy1, int dx2, int dy2,
             Surface* src, int sx1, int sy1, int sx2, int sy2, unsigned flags) {
    return Transfer(KIND_COPY, dst, dx1, dy1, dx2, dy2, src, sx1, sy1, sx2, sy2, flags);
}
int blt_Blend(Surface* dst, int dx1, int dy1, int dx2, int dy2,
              Surface* src, int sx1, int sy1, int sx2, int sy2, unsigned flags) {
    return Transfer(KIND_BLEND, dst, dx1, dy1, dx2, dy2, src, sx1, sy1, sx2, sy2, flags);
}
int blt_CopySmooth(Surface* dst, int dx1, int dy1, int dx2, int dy2,
                   Surface* src, int sx1, int sy1, int sx2, int sy2, unsigned flags) {
    return Transfer(KIND_COPY_SMOOTH, dst, dx1, dy1, dx2, dy2, src, sx1, sy1, sx2, sy2, flags);
}
int blt_BlendSmooth(Surface* dst, int dx1, int dy1, int dx2, int dy2,
                    Surface* src, int sx1, int sy1, int sx2, int sy2, unsigned flags) {
    return Transfer(KIND_BLEND_SMOOTH, dst, dx1, dy1, dx2, dy2, src, sx1, sy1, sx2, sy2, flags);
}
