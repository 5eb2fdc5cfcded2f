// fx_common.h — what the effect kernels share: argument clamps, the two lumas,
// channel means and the row splitter that lets a kernel use more than one core.
// (The plain reference loops are forced by the engine's switch, eng_ForceReference.)
//
// State: one record (the thread count), set from the user-interface
// thread only, read by kernels; and the splitter's workers, which wait between
// calls for the next one (started on first need, never ended). Splitting never changes a result: kernels split
// only work whose visiting order does not matter (every output depends on inputs
// no other part writes). Everything here is safe for any argument.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>
#include "engine/surface.h"

const int FX_LEVEL_MAX = 1000;

static inline int fx_Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }
static inline int fx_ClampLevel(int level) { return fx_Clamp(level, 0, FX_LEVEL_MAX); }
static inline uint32_t fx_Byte(int v) { return (uint32_t)fx_Clamp(v, 0, 255); }

// Integer luma of a pixel word: (19595 R + 38470 G + 7471 B + 32768) >> 16.
static inline int fx_Luma(uint32_t p) {
    return (int)((19595u * ((p >> 16) & 0xFF) + 38470u * ((p >> 8) & 0xFF) + 7471u * (p & 0xFF) +
                  32768u) >> 16);
}
// Floating luma, truncated: trunc(0.299 R + 0.587 G + 0.114 B), summed in that order.
static inline int fx_LumaF(uint32_t p) {
    return (int)(0.299 * (double)((p >> 16) & 0xFF) + 0.587 * (double)((p >> 8) & 0xFF) +
                 0.114 * (double)(p & 0xFF));
}

// Exponent of the colour-distance kernels (keying, hue replacement):
// level * 0.00475 + 0.25, held to 2.0..4.0.
static inline double fx_KeyExponent(int level) {
    double e = (double)fx_ClampLevel(level) * 0.00475 + 0.25;
    return e < 2.0 ? 2.0 : (e > 4.0 ? 4.0 : e);
}

// Sums of B, G, R and A (index 0..3 = byte 0..3) over a locked surface.
void fx_ChannelSums(const Surface* s, uint64_t sums[4]);
// Integer mean of one byte channel, clamped to 1..254; 0 when the surface is empty.
int fx_ChannelMean(const Surface* s, const uint64_t sums[4], int byteIndex);

// Threads a kernel may use (1 = the calling thread only); clamped to 1..8. The
// default is the number of processors, at most 8.
void fx_SetThreads(int n);
int fx_Threads();

// Runs fn(ctx, from, to) over [0, count) in up to fx_Threads() contiguous slices,
// one per thread, the first on the calling thread; returns when all are done.
// Counts below `minPerThread` per slice stay on the calling thread. One caller at
// a time has the kept workers; a second one at the same time starts threads of its own.
typedef void (*FxSliceFn)(void* ctx, int from, int to);
void fx_SplitRaw(int count, int minPerThread, FxSliceFn fn, void* ctx);

template <class F>
void fx_Split(int count, int minPerThread, F&& f) {
    fx_SplitRaw(count, minPerThread,
                [](void* c, int from, int to) { (*static_cast<F*>(c))(from, to); },
                (void*)&f);
}

// Rows per slice worth a thread of its own: about 2^17 pixels.
static inline int fx_RowsPerThread(const Surface* s) {
    uint32_t w = s->width ? s->width : 1;
    return w >= (1u << 17) ? 1 : (int)((1u << 17) / w);
}

// Replaces every pixel p of the surface by f(p), rows split between threads. Each
// slice works with its own copy of f, so f may keep state (a memo of the last pixel).
// Returns 1, or 0 when the surface cannot be locked.
template <class F>
int fx_MapPixels(Surface* s, F f) {
    if (!srf_Lock(s)) return 0;
    fx_Split((int)s->height, fx_RowsPerThread(s), [&](int from, int to) {
        F g = f;
        for (int y = from; y < to; y++) {
            uint32_t* row = s->pixels + (size_t)y * s->stride;
            for (uint32_t x = 0; x < s->width; x++) row[x] = g(row[x]);
        }
    });
    srf_Unlock(s);
    return 1;
}

// A slice of rows a kernel rewrites in place while reading up to `reach` rows beyond
// either end. Rows outside the slice belong to its neighbours, who may already have
// rewritten them: their original contents are copied aside before any slice starts,
// and fx_SourceRow hands out those copies. Rows inside the slice are the surface's own
// (the kernel reads each before it rewrites it).
struct FxRows {
    Surface* s;
    int from, to, reach;
    std::vector<uint32_t> saved;   // rows [from - reach, from) then [to, to + reach), as far as they exist
};
// Original row y, from - reach <= y < to + reach and 0 <= y < height.
const uint32_t* fx_SourceRow(const FxRows& r, int y);
void fx_SplitInPlaceRaw(Surface* s, int reach, void (*fn)(void* ctx, const FxRows& rows), void* ctx);

template <class F>
void fx_SplitInPlace(Surface* s, int reach, F&& f) {
    fx_SplitInPlaceRaw(s, reach, [](void* c, const FxRows& rows) { (*static_cast<F*>(c))(rows); }, (void*)&f);
}
