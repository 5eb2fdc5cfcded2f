// Transfers on random layouts: the reference loops against a per-pixel reading of
// the rules, the fast kernels against the reference loops bit for bit, the blend
// kernels exhaustively over every 8-bit operand, and no write outside the destination.
#include <gtest/gtest.h>
#include <climits>
#include <cstring>
#include <random>
#include <vector>
#include "engine/blit.h"
#include "engine/blit_rows.h"
#include "engine/blit_simd.h"
#include "engine/engine.h"
#include "support/test_surface.h"

namespace {

enum Op { OP_COPY, OP_BLEND, OP_COPY_SMOOTH, OP_BLEND_SMOOTH };

struct Job {
    Op op;
    int dx1, dy1, dx2, dy2, sx1, sy1, sx2, sy2;
    unsigned flags;
};

int RunJob(const Job& j, Surface* dst, Surface* src) {
    typedef int (*Fn)(Surface*, int, int, int, int, Surface*, int, int, int, int, unsigned);
    static const Fn fns[] = {blt_Copy, blt_Blend, blt_CopySmooth, blt_BlendSmooth};
    return fns[j.op](dst, j.dx1, j.dy1, j.dx2, j.dy2, src, j.sx1, j.sy1, j.sx2, j.sy2, j.flags);
}

::testing::Message Describe(const Job& j) {
    ::testing::Message m;
    m << "op " << j.op << " dst (" << j.dx1 << "," << j.dy1 << ")-(" << j.dx2 << "," << j.dy2
      << ") src (" << j.sx1 << "," << j.sy1 << ")-(" << j.sx2 << "," << j.sy2 << ") flags "
      << j.flags;
    return m;
}

// A plain pixel grid: the oracle works on copies of the surfaces' words.
struct Grid {
    int64_t w, h;
    std::vector<uint32_t> px;
    uint32_t& at(int64_t x, int64_t y) { return px[(size_t)(y * w + x)]; }
};

Grid Snapshot(Surface* s) {
    uint32_t* p = srf_Lock(s);
    Grid g{s->width, s->height, {}};
    for (uint32_t y = 0; y < s->height; y++)
        g.px.insert(g.px.end(), p + (size_t)y * s->stride, p + (size_t)y * s->stride + s->width);
    srf_Unlock(s);
    return g;
}

uint32_t Chan(uint32_t p, int c) { return (p >> (8 * c)) & 255; }
uint32_t Weight(uint32_t a) { return a >= 128 ? a + 1 : a; }

// Composite written channel by channel, straight from the mode table.
uint32_t Composite(uint32_t s, uint32_t d, uint32_t board, unsigned flags) {
    uint32_t out = 0;
    if (flags & BLT_BEHIND) {
        uint32_t td = Weight(Chan(d, 3));
        for (int c = 0; c < 3; c++) out |= ((Chan(s, c) * td + Chan(d, c) * (256 - td)) >> 8) << (8 * c);
        out |= ((Chan(s, 3) * td) >> 8) << 24;
    } else {
        uint32_t back = (flags & BLT_CHECKER) ? board : d;
        uint32_t ts = Weight(Chan(s, 3));
        for (int c = 0; c < 3; c++)
            out |= ((Chan(s, c) * (256 - ts) + Chan(back, c) * ts) >> 8) << (8 * c);
        out |= ((Chan(back, 3) * ts) >> 8) << 24;
    }
    return out;
}

// The transfer rules read pixel by pixel, in 64-bit arithmetic. Returns the
// transfer's result code and leaves the expected destination in `d`.
int Oracle(const Job& j, Grid& d, Grid& s) {
    if (j.dx2 < j.dx1 || j.dy2 < j.dy1 || j.sx2 < j.sx1 || j.sy2 < j.sy1) return 0;
    if ((j.sx1 < 0 && j.sx2 < 0) || (j.sx1 >= s.w && j.sx2 >= s.w)) return 0;
    const int64_t sw = (int64_t)j.sx2 - j.sx1 + 1, dw = (int64_t)j.dx2 - j.dx1 + 1;
    const int64_t sh = (int64_t)j.sy2 - j.sy1 + 1, dh = (int64_t)j.dy2 - j.dy1 + 1;
    const bool equal = sw == dw && sh == dh;
    const bool smooth = (j.op == OP_COPY_SMOOTH || j.op == OP_BLEND_SMOOTH) && !equal;
    const bool blend = j.op == OP_BLEND || j.op == OP_BLEND_SMOOTH;
    const int64_t step = sw * 65536 / dw, stepY = sh * 65536 / dh;
    const EngClip clip = eng_GetClip();
    const bool clipped = j.flags & BLT_CLIP;
    for (int64_t y = 0; y < d.h; y++) {
        if (y < j.dy1 || y > j.dy2 || (clipped && (y < clip.top || y > clip.bottom))) continue;
        int64_t r0, fy = 0;
        if (smooth) {
            r0 = j.sy1 + (((y - j.dy1) * stepY) >> 16);
            fy = (((y - j.dy1) * stepY) >> 8) & 255;
        } else {
            r0 = j.sy1 + (int64_t)((uint64_t)(y - j.dy1) * (uint64_t)sh / (uint64_t)dh);
        }
        if (r0 < 0 || r0 >= s.h) continue;
        const int64_t r1 = r0 == s.h - 1 ? r0 : r0 + 1;
        for (int64_t x = 0; x < d.w; x++) {
            if (x < j.dx1 || x > j.dx2 || (clipped && (x < clip.left || x > clip.right))) continue;
            const int64_t accX = (x - j.dx1) * step;
            const int64_t c0 = j.sx1 + (accX >> 16);
            if (c0 < 0 || c0 >= s.w) continue;
            uint32_t sample = s.at(c0, r0);
            if (smooth) {
                const int64_t c1 = c0 == s.w - 1 ? c0 : c0 + 1;
                const int64_t fx = (accX >> 8) & 255;
                const int64_t w11 = fx * fy >> 8, w10 = fx - w11, w01 = fy - w11;
                const int64_t w00 = 256 - w10 - w01 - w11;
                sample = 0;
                for (int c = 0; c < 4; c++)
                    sample |= (uint32_t)((Chan(s.at(c0, r0), c) * w00 + Chan(s.at(c1, r0), c) * w10 +
                                          Chan(s.at(c0, r1), c) * w01 + Chan(s.at(c1, r1), c) * w11) >>
                                         8) << (8 * c);
            }
            uint32_t out = blend ? Composite(sample, d.at(x, y), eng_CheckerAt((int)x, (int)y), j.flags)
                                 : sample;
            d.at(x, y) = (j.flags & BLT_OPAQUE) ? out & 0x00FFFFFFu : out;
        }
    }
    return 1;
}

// Random words, with alpha sometimes set in runs of 0 or 255 as in real images
// (the fast blends treat four equal extremes at once).
void FillLayout(Surface* s, std::mt19937& rng) {
    FillRandom(s, rng);
    if (rng() & 1) return;
    uint32_t* p = srf_Lock(s);
    for (uint32_t y = 0; y < s->height; y++)
        for (uint32_t x = 0; x < s->width;) {
            uint32_t run = 1 + rng() % 12, kind = rng() % 3;
            for (; run && x < s->width; run--, x++) {
                uint32_t& v = p[(size_t)y * s->stride + x];
                if (kind == 0) v &= 0x00FFFFFFu;
                if (kind == 1) v |= 0xFF000000u;
            }
        }
    srf_Unlock(s);
}

// A coordinate around a span of `size`: mostly near or inside it, sometimes far off.
int Coord(std::mt19937& rng, int size) {
    switch (rng() % 16) {
        case 0: return 0;
        case 1: return size - 1;
        case 2: return size;
        case 3: return -(int)(rng() % 4) - 1;
        case 4: return (rng() % 2 ? 1 : -1) * (1 << 30) + (int)(rng() % 3);
        default: return (int)(rng() % (3 * size + 3)) - size - 1;
    }
}

// An extent: one pixel, the other rectangle's (same size), near it, or unrelated.
int64_t Extent(std::mt19937& rng, int size, int64_t other) {
    switch (rng() % 10) {
        case 0: return 1;
        case 1: case 2: case 3: return other;
        case 4: return other + rng() % 5;
        case 5: return rng() % 8 == 0 ? INT_MAX / 2 : size * 3;
        default: return 1 + rng() % (2 * size + 2);
    }
}

int Clamp(int64_t v) { return (int)(v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : v); }

Job RandomJob(std::mt19937& rng, int sw, int sh, int dw, int dh) {
    Job j;
    j.op = (Op)(rng() % 4);
    j.sx1 = Coord(rng, sw);
    j.sy1 = Coord(rng, sh);
    if (rng() % 3 == 0) j.sx1 = (int)(rng() % (unsigned)sw);   // inside, so rows do run
    j.sx2 = Clamp(j.sx1 + Extent(rng, sw, sw) - 1);
    j.sy2 = Clamp(j.sy1 + Extent(rng, sh, sh) - 1);
    if (rng() % 6 == 0) j.sx2 = sw - 1 + (int)(rng() % 2);      // at the source's last column
    j.dx1 = Coord(rng, dw);
    j.dy1 = Coord(rng, dh);
    j.dx2 = Clamp(j.dx1 + Extent(rng, dw, (int64_t)j.sx2 - j.sx1 + 1) - 1);
    j.dy2 = Clamp(j.dy1 + Extent(rng, dh, (int64_t)j.sy2 - j.sy1 + 1) - 1);
    if (rng() % 40 == 0) std::swap(j.dx1, j.dx2);
    if (rng() % 40 == 0) std::swap(j.sy1, j.sy2);
    j.flags = rng() % 32;
    return j;
}

// The SIMD kernel sets this processor runs.
std::vector<const BlitKernels*> SimdSets() {
    std::vector<const BlitKernels*> v;
    for (const char* name : {"sse2", "avx2"})
        if (const BlitKernels* k = blt_KernelsNamed(name)) v.push_back(k);
    return v;
}

// Null selects the reference loops.
void UseKernels(const BlitKernels* k) {
    blt_ForceReference(k ? 0 : 1);
    blt_OverrideFastKernels(k);
}

struct StateKeeper {
    int initCount = eng_InitCount();
    EngClip clip = eng_GetClip();
    uint32_t c0 = eng_CheckerAt(0, 0), c1 = eng_CheckerAt(4, 0);
    ~StateKeeper() {
        while (eng_InitCount() > initCount) eng_Shutdown();
        eng_SetClip(clip.left, clip.top, clip.right, clip.bottom);
        eng_SetChecker(c0, c1);
        UseKernels(nullptr);
        blt_ForceReference(0);
    }
};

// Runs `j` on the reference loops and on every SIMD set, each time from the same
// destination words: all must return the same code and leave the same words.
void ExpectSetsAgree(const Job& j, Surface* dst, Surface* src) {
    const Grid before = Snapshot(dst);
    UseKernels(nullptr);
    const int rc = RunJob(j, dst, src);
    const Grid want = Snapshot(dst);
    for (const BlitKernels* k : SimdSets()) {
        std::memcpy(srf_Lock(dst), before.px.data(), before.px.size() * 4);
        srf_Unlock(dst);
        UseKernels(k);
        ASSERT_EQ(RunJob(j, dst, src), rc) << Describe(j);
        ASSERT_EQ(Snapshot(dst).px, want.px) << Describe(j) << " set " << k;
    }
}

void RandomEngineState(std::mt19937& rng, int dw, int dh) {
    eng_SetClip(Coord(rng, dw), Coord(rng, dh), Coord(rng, dw), Coord(rng, dh));
    eng_SetChecker(rng(), rng());
}

}  // namespace

TEST(BlitRandom, ReferenceFollowsThePerPixelRules) {
    StateKeeper keep;
    std::mt19937 rng(20240611);
    blt_ForceReference(1);
    for (int iter = 0; iter < 4000; iter++) {
        const int sw = 1 + rng() % 19, sh = 1 + rng() % 9, dw = 1 + rng() % 23, dh = 1 + rng() % 9;
        TestSurface src(sw, sh), dst(dw, dh);
        FillLayout(src.get(), rng);
        FillLayout(dst.get(), rng);
        RandomEngineState(rng, dw, dh);
        const Job j = RandomJob(rng, sw, sh, dw, dh);
        Grid want = Snapshot(dst.get()), from = Snapshot(src.get());
        const int wantRc = Oracle(j, want, from);
        ASSERT_EQ(RunJob(j, dst.get(), src.get()), wantRc) << Describe(j);
        ASSERT_EQ(Snapshot(dst.get()).px, want.px) << Describe(j);
    }
}

TEST(BlitRandom, FastKernelsMatchReferenceBitForBit) {
    StateKeeper keep;
    std::mt19937 rng(77031);
    ASSERT_FALSE(SimdSets().empty());
    for (int iter = 0; iter < 6000 && !HasFatalFailure(); iter++) {
        // Mostly small odd sizes; now and then rows long enough for many vector steps.
        const bool wide = iter % 8 == 0;
        const int sw = wide ? 100 + rng() % 300 : 1 + rng() % 40, sh = 1 + rng() % 12;
        const int dw = wide ? 100 + rng() % 400 : 1 + rng() % 48, dh = 1 + rng() % 12;
        TestSurface src(sw, sh), dst(dw, dh);
        FillLayout(src.get(), rng);
        FillLayout(dst.get(), rng);
        RandomEngineState(rng, dw, dh);
        ExpectSetsAgree(RandomJob(rng, sw, sh, dw, dh), dst.get(), src.get());
    }
    // The benchmark's shapes (768 -> 1000 and back), edges, and flags that change the kernels.
    TestSurface src(1024, 1024), dst(1024, 1024);
    FillLayout(src.get(), rng);
    const Job jobs[] = {
        {OP_COPY, 0, 0, 999, 999, 0, 0, 767, 767, 0},
        {OP_BLEND, 0, 0, 999, 999, 0, 0, 767, 767, BLT_CHECKER},
        {OP_COPY_SMOOTH, 0, 0, 999, 999, 0, 0, 767, 767, BLT_OPAQUE},
        {OP_BLEND_SMOOTH, 0, 0, 999, 999, 0, 0, 767, 767, 0},
        {OP_BLEND_SMOOTH, 3, 1, 1023, 1023, 256, 0, 1023, 767, BLT_BEHIND},
        {OP_BLEND_SMOOTH, 0, 0, 767, 767, 1, 1, 1023, 1023, 0},
        {OP_COPY_SMOOTH, 0, 0, 1000, 1000, 1, 0, 1023, 1021, 0},
        {OP_COPY, 0, 0, 300, 1023, 0, 0, 1023, 1023, BLT_OPAQUE},
        {OP_BLEND, 0, 0, 999, 999, 0, 0, 999, 999, 0},
    };
    for (const Job& j : jobs) {
        FillLayout(dst.get(), rng);
        ExpectSetsAgree(j, dst.get(), src.get());
        if (HasFatalFailure()) return;
    }
}

TEST(BlitRandom, BlendKernelsExhaustiveOverEightBitOperands) {
    // Over and behind: every (front alpha, front channel, back channel), the back's
    // alpha varied too; the checker mode (with BLT_OPAQUE) rides along. Rows go straight to the
    // kernels, contiguous and through the stepping (gathering) path.
    const int n = 1 << 16, chunk = 1 << 12;
    std::vector<uint32_t> src(n), back(n), board(16), refOut(n), fastOut(n);
    for (int i = 0; i < 16; i++) board[i] = 0x9A000000u | (uint32_t)(i * 0x0F0E0D);
    auto runRows = [&](BlitRowFn fn, std::vector<uint32_t>& out, unsigned flags, int same, uint32_t a) {
        out = back;
        for (int k = 0; k < n; k += chunk) {
            BlitRow r{};
            r.dst = out.data() + k;
            r.src0 = r.src1 = src.data() + k;
            r.count = chunk;
            r.step = 65536;
            r.lastCol = chunk - 1;
            r.sameWidth = same;
            r.flags = flags;
            r.checker = board.data();
            r.x = (int)a + k;
            fn(r);
        }
    };
    for (unsigned flags : {0u, BLT_CHECKER | BLT_OPAQUE, BLT_BEHIND}) {
        for (uint32_t a = 0; a < 256; a++) {
            for (int i = 0; i < n; i++) {
                uint32_t f = i & 255, b = i >> 8;
                // Behind takes its weight from the destination: give it the swept alpha.
                uint32_t fa = flags & BLT_BEHIND ? (b * 37) & 255 : a;
                uint32_t ba = flags & BLT_BEHIND ? a : (f * 37 + b) & 255;
                src[i] = fa << 24 | f * 0x010101u;
                back[i] = ba << 24 | b * 0x010101u;
            }
            runRows(blt_ReferenceKernels.blend, refOut, flags, 1, a);
            for (const BlitKernels* k : SimdSets()) {
                runRows(k->blend, fastOut, flags, 1, a);
                ASSERT_EQ(refOut, fastOut) << "alpha " << a << " flags " << flags << " set " << k;
                runRows(k->blend, fastOut, flags, 0, a);
                ASSERT_EQ(refOut, fastOut) << "alpha " << a << " flags " << flags << " stepping";
            }
        }
    }
}

TEST(BlitRandom, NeverWritesOutsideTheDestination) {
    // The destination's rows sit between guard rows in one block; its record is made
    // by hand so the engine sees only the inner rows. Inside, the oracle says which
    // words may change, so a stray column (which would land in a neighbouring row) shows too.
    StateKeeper keep;
    std::mt19937 rng(99);
    const int guard = 3;
    for (int iter = 0; iter < 3000; iter++) {
        const int sw = 1 + rng() % 30, sh = 1 + rng() % 8, dw = 1 + rng() % 37, dh = 1 + rng() % 8;
        std::vector<uint32_t> block((size_t)(dh + 2 * guard) * dw);
        for (uint32_t& v : block) v = rng();
        const std::vector<uint32_t> before = block;
        Surface dst{};
        dst.kind = dst.created = 1;
        dst.reqWidth = dst.width = dw;
        dst.reqHeight = dst.height = dh;
        dst.stride = dw;
        dst.bitsPerPixel = dst.reqBitsPerPixel = 32;
        dst.dibBits = block.data() + (size_t)guard * dw;
        TestSurface src(sw, sh);
        FillLayout(src.get(), rng);
        RandomEngineState(rng, dw, dh);
        Job j = RandomJob(rng, sw, sh, dw, dh);
        if (rng() % 4 == 0) {   // hostile extremes
            j.dx1 = rng() % 2 ? INT_MIN : -(int)(rng() % 5);
            j.dx2 = rng() % 2 ? INT_MAX : dw + (int)(rng() % 5);
            j.sx1 = rng() % 2 ? INT_MIN : (int)(rng() % (unsigned)sw);
            j.sx2 = rng() % 2 ? INT_MAX : sw - 1;
            j.dy1 = rng() % 2 ? INT_MIN : -(int)(rng() % 5);
            j.dy2 = rng() % 2 ? INT_MAX : dh + (int)(rng() % 5);
            j.sy1 = rng() % 2 ? INT_MIN : (int)(rng() % (unsigned)sh);
            j.sy2 = rng() % 2 ? INT_MAX : sh - 1;
        }
        Grid want = Snapshot(&dst), from = Snapshot(src.get());
        Oracle(j, want, from);
        const std::vector<const BlitKernels*> sets = SimdSets();
        UseKernels(iter % 3 == 0 ? nullptr : sets[iter % sets.size()]);
        RunJob(j, &dst, src.get());
        ASSERT_EQ(dst.lockCount, 0u);
        for (size_t i = 0; i < (size_t)guard * dw; i++) {
            ASSERT_EQ(block[i], before[i]) << Describe(j);
            ASSERT_EQ(block[block.size() - 1 - i], before[block.size() - 1 - i]) << Describe(j);
        }
        ASSERT_EQ(Snapshot(&dst).px, want.px) << Describe(j);
    }
}
