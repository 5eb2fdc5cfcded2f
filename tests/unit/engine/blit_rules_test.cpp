// Transfers: worked examples, the refusals, and what each flag does.
// Every case runs on the reference loops and on each SIMD kernel set.
#include <gtest/gtest.h>
#include <climits>
#include <functional>
#include <vector>
#include "engine/blit.h"
#include "engine/blit_simd.h"
#include "engine/engine.h"
#include "support/test_surface.h"

namespace {

// Puts the engine's init count, clip and checkerboard back as they were, so other
// tests of the process-wide state see what they would have seen without these.
struct EngineStateKeeper {
    int initCount = eng_InitCount();
    EngClip clip = eng_GetClip();
    uint32_t c0 = eng_CheckerAt(0, 0), c1 = eng_CheckerAt(4, 0);
    ~EngineStateKeeper() {
        while (eng_InitCount() > initCount) eng_Shutdown();
        eng_SetClip(clip.left, clip.top, clip.right, clip.bottom);
        eng_SetChecker(c0, c1);
    }
};

// Runs `body` on the reference loops, then on every SIMD kernel set this processor runs.
void OnEveryPath(const std::function<void()>& body) {
    EngineStateKeeper keep;
    blt_ForceReference(1);
    {
        SCOPED_TRACE("reference");
        body();
    }
    blt_ForceReference(0);
    for (const char* name : {"sse2", "avx2"}) {
        const BlitKernels* k = blt_KernelsNamed(name);
        if (!k) continue;
        SCOPED_TRACE(name);
        blt_OverrideFastKernels(k);
        body();
    }
    blt_OverrideFastKernels(nullptr);
}

void Fill(TestSurface& s, uint32_t v) {
    for (uint32_t y = 0; y < s->height; y++)
        for (uint32_t x = 0; x < s->width; x++) s.at(x, y) = v;
}

// A source whose every pixel names its own position.
void FillPositions(TestSurface& s) {
    for (uint32_t y = 0; y < s->height; y++)
        for (uint32_t x = 0; x < s->width; x++) s.at(x, y) = 0x01000000u | (y << 12) | x;
}

typedef int (*BlitFn)(Surface*, int, int, int, int, Surface*, int, int, int, int, unsigned);
const BlitFn kAll[] = {blt_Copy, blt_Blend, blt_CopySmooth, blt_BlendSmooth};

}  // namespace

TEST(BlitRules, CopyToNegativeDestinationWritesOnlyTheVisiblePart) {
    OnEveryPath([] {
        TestSurface src(10, 10), dst(10, 10);
        FillPositions(src);
        Fill(dst, 0xDEADBEEFu);
        ASSERT_EQ(blt_Copy(dst.get(), -5, -5, 4, 4, src.get(), 0, 0, 9, 9, 0), 1);
        for (int y = 0; y < 10; y++)
            for (int x = 0; x < 10; x++) {
                uint32_t want = (x <= 4 && y <= 4) ? src.at(x + 5, y + 5) : 0xDEADBEEFu;
                ASSERT_EQ(dst.at(x, y), want) << x << "," << y;
            }
    });
}

TEST(BlitRules, SourceOneColumnWiderThanSurfaceStopsAtLastColumn) {
    // Source (0,0)-(1000,998) of a 1000 x 1000 surface onto (0,0)-(999,999): step
    // 65601, so destination column 999 samples source column 999 with fx = 253.
    OnEveryPath([] {
        TestSurface src(1000, 1000), dst(1000, 1000);
        FillPositions(src);
        ASSERT_EQ(blt_Copy(dst.get(), 0, 0, 999, 999, src.get(), 0, 0, 1000, 998, 0), 1);
        for (int y : {0, 1, 500, 999}) {
            int r = y * 999 / 1000;
            EXPECT_EQ(dst.at(999, y), src.at(999, r)) << y;
            EXPECT_EQ(dst.at(998, y), src.at(998, r)) << y;
            EXPECT_EQ(dst.at(500, y), src.at(500, r)) << y;   // 500 * 65601 >> 16 = 500
            EXPECT_EQ(dst.at(1, y), src.at(1, r)) << y;
        }

        // Bilinear: row 500 reads rows 499/500 with fy = 127; columns 998 and 999 have
        // fx = 253, so the weights are 1, 128, 2, 125. Column 999's footprint repeats
        // column 999; the word after it in memory (next row, column 0) would give 0x40.
        Fill(src, 0x40404040u);
        src.at(999, 499) = 0xFFFFFFFFu;
        src.at(999, 500) = 0x00000000u;
        ASSERT_EQ(blt_CopySmooth(dst.get(), 0, 0, 999, 999, src.get(), 0, 0, 1000, 998, 0), 1);
        EXPECT_EQ(dst.at(999, 500), 0x80808080u);   // (255 * (1 + 128)) >> 8
        EXPECT_EQ(dst.at(998, 500), 0x80808080u);   // (64 * 1 + 255 * 128 + 64 * 2) >> 8
        EXPECT_EQ(dst.at(997, 500), 0x40404040u);
        EXPECT_EQ(dst.at(999, 0), 0x40404040u);     // row 0: fy = 0
    });
}

TEST(BlitRules, CopySmoothTwoToFourPixels) {
    OnEveryPath([] {
        TestSurface src(2, 1), dst(4, 1);
        src.at(0, 0) = 0x00000000u;
        src.at(1, 0) = 0x00FFFFFFu;
        ASSERT_EQ(blt_CopySmooth(dst.get(), 0, 0, 3, 0, src.get(), 0, 0, 1, 0, 0), 1);
        EXPECT_EQ(dst.at(0, 0), 0x00000000u);
        EXPECT_EQ(dst.at(1, 0), 0x007F7F7Fu);
        EXPECT_EQ(dst.at(2, 0), 0x00FFFFFFu);
        EXPECT_EQ(dst.at(3, 0), 0x00FFFFFFu);   // fx = 128 but c1 repeats the last column
    });
}

TEST(BlitRules, BlendWeightsAndExtremeAlphas) {
    OnEveryPath([] {
        TestSurface src(9, 3), dst(9, 3);
        Fill(dst, 0x5A123456u);
        // Row 0: fully transparent source; row 1: opaque; row 2: alpha 128 (t = 129).
        for (int x = 0; x < 9; x++) {
            src.at(x, 0) = 0xFF000000u | (uint32_t)(x * 0x1F1F1F);
            src.at(x, 1) = 0x00ABCDEFu + x;
            src.at(x, 2) = 0x80FF0000u;
        }
        for (int x = 0; x < 9; x++) dst.at(x, 2) = 0x400000FFu;
        ASSERT_EQ(blt_Blend(dst.get(), 0, 0, 8, 2, src.get(), 0, 0, 8, 2, 0), 1);
        for (int x = 0; x < 9; x++) {
            EXPECT_EQ(dst.at(x, 0), 0x5A123456u) << x;       // unchanged, alpha included
            EXPECT_EQ(dst.at(x, 1), 0x00ABCDEFu + x) << x;   // colours copied, alpha 0
            // red (255 * 127) >> 8, blue (255 * 129) >> 8, alpha (0x40 * 129) >> 8
            EXPECT_EQ(dst.at(x, 2), 0x207E0080u) << x;
        }
    });
}

TEST(BlitRules, BehindPaintsUnderTheDestination) {
    OnEveryPath([] {
        eng_Init();
        eng_SetChecker(0x11111111u, 0x22222222u);
        TestSurface src(6, 1), dst(6, 1);
        for (int x = 0; x < 6; x++) src.at(x, 0) = 0x3C00FF00u + x;
        dst.at(0, 0) = 0xFF123456u;   // fully transparent: the source shows as it is
        dst.at(1, 0) = 0x00654321u;   // opaque: unchanged
        dst.at(2, 0) = 0x80000000u;   // t_d = 129: green (255 * 129) >> 8, alpha (0x3C * 129) >> 8
        dst.at(3, 0) = 0xFFABCDEFu;
        dst.at(4, 0) = 0x00ABCDEFu;
        dst.at(5, 0) = 0xFF000000u;
        // BEHIND is tested before CHECKER, so both together still paint behind.
        ASSERT_EQ(blt_Blend(dst.get(), 0, 0, 5, 0, src.get(), 0, 0, 5, 0, BLT_BEHIND | BLT_CHECKER), 1);
        EXPECT_EQ(dst.at(0, 0), 0x3C00FF00u);
        EXPECT_EQ(dst.at(1, 0), 0x00654321u);
        EXPECT_EQ(dst.at(2, 0), 0x1E008001u);
        EXPECT_EQ(dst.at(3, 0), 0x3C00FF03u);
        EXPECT_EQ(dst.at(4, 0), 0x00ABCDEFu);
        EXPECT_EQ(dst.at(5, 0), 0x3C00FF05u);
        // With BLT_OPAQUE the written alpha is 0 whatever the blend gives.
        dst.at(0, 0) = 0xFF123456u;
        ASSERT_EQ(blt_Blend(dst.get(), 0, 0, 0, 0, src.get(), 0, 0, 0, 0, BLT_BEHIND | BLT_OPAQUE), 1);
        EXPECT_EQ(dst.at(0, 0), 0x0000FF00u);
    });
}

TEST(BlitRules, RefusalsReturnZeroAndDrawNothing) {
    OnEveryPath([] {
        TestSurface src(8, 8), dst(8, 8);
        Fill(src, 0x00112233u);
        Fill(dst, 0x00ABCDEFu);
        Surface gone{};   // never created: no bitmap
        for (BlitFn f : kAll) {
            EXPECT_EQ(f(dst.get(), 5, 0, 4, 7, src.get(), 0, 0, 7, 7, 0), 0);   // reversed x
            EXPECT_EQ(f(dst.get(), 0, 5, 7, 4, src.get(), 0, 0, 7, 7, 0), 0);   // reversed y
            EXPECT_EQ(f(dst.get(), 0, 0, 7, 7, src.get(), 3, 0, 2, 7, 0), 0);   // source reversed
            EXPECT_EQ(f(dst.get(), 0, 0, 7, 7, src.get(), 0, 7, 7, 6, 0), 0);
            EXPECT_EQ(f(dst.get(), 0, 0, 7, 7, src.get(), -9, 0, -1, 7, 0), 0);  // wholly left
            EXPECT_EQ(f(dst.get(), 0, 0, 7, 7, src.get(), 8, 0, 20, 7, 0), 0);   // wholly right
            EXPECT_EQ(f(&gone, 0, 0, 7, 7, src.get(), 0, 0, 7, 7, 0), 0);
            EXPECT_EQ(f(dst.get(), 0, 0, 7, 7, &gone, 0, 0, 7, 7, 0), 0);
            // Not refusals: nothing is left to draw, but the transfer ran.
            EXPECT_EQ(f(dst.get(), 0, 0, 7, 7, src.get(), 0, 8, 7, 20, 0), 1);   // rows below
            EXPECT_EQ(f(dst.get(), 8, 0, 15, 7, src.get(), 0, 0, 7, 7, 0), 1);   // off the right
            EXPECT_EQ(f(dst.get(), INT_MIN, INT_MIN, -1, -1, src.get(), 0, 0, 7, 7, 0), 1);
        }
        for (int y = 0; y < 8; y++)
            for (int x = 0; x < 8; x++) ASSERT_EQ(dst.at(x, y), 0x00ABCDEFu);
        // Every lock was given back, on every exit.
        EXPECT_EQ(dst->lockCount, 1u);
        EXPECT_EQ(src->lockCount, 1u);
    });
}

TEST(BlitRules, ClipFlagLimitsToEngineClipRectangle) {
    OnEveryPath([] {
        TestSurface src(12, 10), dst(12, 10);
        // An opaque source: every transfer writes it unchanged.
        for (int y = 0; y < 10; y++)
            for (int x = 0; x < 12; x++) src.at(x, y) = 0x00800000u | (uint32_t)(y << 8 | x);
        for (BlitFn f : kAll) {
            Fill(dst, 0xFF000000u);
            eng_SetClip(3, 2, 7, 5);
            ASSERT_EQ(f(dst.get(), 0, 0, 11, 9, src.get(), 0, 0, 11, 9, BLT_CLIP), 1);
            for (int y = 0; y < 10; y++)
                for (int x = 0; x < 12; x++) {
                    bool in = x >= 3 && x <= 7 && y >= 2 && y <= 5;
                    ASSERT_EQ(dst.at(x, y), in ? src.at(x, y) : 0xFF000000u) << x << "," << y;
                }
            // A clip wider than the surface changes nothing; without the flag it is ignored.
            eng_SetClip(-100, -100, 100, 100);
            Fill(dst, 0xFF000000u);
            ASSERT_EQ(f(dst.get(), 0, 0, 11, 9, src.get(), 0, 0, 11, 9, BLT_CLIP), 1);
            EXPECT_TRUE(SameSurface(dst.get(), src.get()));
            eng_SetClip(5, 5, 4, 4);
            Fill(dst, 0xFF000000u);
            ASSERT_EQ(f(dst.get(), 0, 0, 11, 9, src.get(), 0, 0, 11, 9, 0), 1);
            EXPECT_TRUE(SameSurface(dst.get(), src.get()));
        }
    });
}

TEST(BlitRules, CheckerFlagCompositesOverTheBoardAtDestinationPhase) {
    OnEveryPath([] {
        eng_Init();
        const uint32_t c0 = 0x20EBEBF5u, c1 = 0x009391BFu;
        eng_SetChecker(c0, c1);
        TestSurface src(40, 20), dst(48, 30);
        Fill(src, 0xFF000000u);   // fully transparent: the board shows through untouched
        for (int x = 0; x < 40; x++) src.at(x, 7) = 0x00F0F0F0u;   // opaque row: the source
        Fill(dst, 0x77777777u);
        ASSERT_EQ(blt_Blend(dst.get(), 3, 5, 42, 24, src.get(), 0, 0, 39, 19, BLT_CHECKER), 1);
        for (int y = 5; y <= 24; y++)
            for (int x = 3; x <= 42; x++) {
                uint32_t board = eng_CheckerAt(x, y);
                ASSERT_EQ(board, (((y & 15) >> 2) + ((x & 15) >> 2)) & 1 ? c1 : c0);
                ASSERT_EQ(dst.at(x, y), y == 12 ? 0x00F0F0F0u : board) << x << "," << y;
            }
        EXPECT_EQ(dst.at(2, 5), 0x77777777u);
        EXPECT_EQ(dst.at(43, 24), 0x77777777u);
        // The smooth blend samples first, then composites over the board the same way.
        Fill(dst, 0x77777777u);
        ASSERT_EQ(blt_BlendSmooth(dst.get(), 1, 1, 44, 22, src.get(), 0, 0, 0, 0, BLT_CHECKER), 1);
        for (int y = 1; y <= 22; y++)
            for (int x = 1; x <= 44; x++) ASSERT_EQ(dst.at(x, y), eng_CheckerAt(x, y));
        // Copies ignore the flag.
        ASSERT_EQ(blt_Copy(dst.get(), 0, 0, 39, 19, src.get(), 0, 0, 39, 19, BLT_CHECKER), 1);
        EXPECT_EQ(dst.at(5, 5), 0xFF000000u);
    });
}

TEST(BlitRules, OpaqueFlagClearsWrittenAlphaOnly) {
    OnEveryPath([] {
        TestSurface src(21, 2), dst(21, 3);
        for (int x = 0; x < 21; x++) src.at(x, 0) = src.at(x, 1) = 0x9A000000u | (uint32_t)(x * 0x0A0B0C);
        // Straight row, stepped row (every column twice), and a smooth copy of equal size.
        ASSERT_EQ(blt_Copy(dst.get(), 0, 0, 20, 0, src.get(), 0, 0, 20, 0, BLT_OPAQUE), 1);
        ASSERT_EQ(blt_Copy(dst.get(), 0, 1, 19, 1, src.get(), 0, 0, 9, 0, BLT_OPAQUE), 1);
        ASSERT_EQ(blt_CopySmooth(dst.get(), 0, 2, 20, 2, src.get(), 0, 0, 20, 0, BLT_OPAQUE), 1);
        for (int x = 0; x < 21; x++) {
            EXPECT_EQ(dst.at(x, 0), src.at(x, 0) & 0x00FFFFFFu);
            if (x < 20) {
                EXPECT_EQ(dst.at(x, 1), src.at(x / 2, 0) & 0x00FFFFFFu);
            }
            EXPECT_EQ(dst.at(x, 2), src.at(x, 0) & 0x00FFFFFFu);
        }
        // Onto black: colours (c * (256 - 155)) >> 8, and alpha 0 where the blend
        // would write (0xF0 * 155) >> 8.
        for (int x = 0; x < 21; x++) dst.at(x, 0) = 0xF0000000u;
        ASSERT_EQ(blt_Blend(dst.get(), 0, 0, 20, 0, src.get(), 0, 0, 20, 0, BLT_OPAQUE), 1);
        for (uint32_t x = 0; x < 21; x++)
            EXPECT_EQ(dst.at(x, 0), (10 * x * 101 >> 8) << 16 | (11 * x * 101 >> 8) << 8 | 12 * x * 101 >> 8);
    });
}

TEST(BlitRules, SameSurfaceBetweenDisjointRectangles) {
    OnEveryPath([] {
        std::mt19937 rng(7);
        TestSurface a(30, 6);
        FillRandom(a.get(), rng);
        std::vector<uint32_t> left;
        for (int y = 0; y < 6; y++)
            for (int x = 0; x < 15; x++) left.push_back(a.at(x, y));
        ASSERT_EQ(blt_Copy(a.get(), 15, 0, 29, 5, a.get(), 0, 0, 14, 5, 0), 1);
        for (int y = 0; y < 6; y++)
            for (int x = 0; x < 15; x++) {
                ASSERT_EQ(a.at(15 + x, y), left[y * 15 + x]);
                ASSERT_EQ(a.at(x, y), left[y * 15 + x]);
            }
    });
}
