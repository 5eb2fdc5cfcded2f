// golden_win_test.cpp — the Windows build gives the same pixels as the native one
// for every kernel that goes through floating point (pow, sin, cos, tan, doubles).
#include <gtest/gtest.h>
#include "effects/fx_common.h"
#include "unit/effects/golden_cases.h"

TEST(EffectGoldenWin, FloatingPointKernelsMatchTheNativeBuild) {
    std::string report;
    EXPECT_EQ(RunGoldenCases(&report), 0) << report;
}

// Threads on Windows: slices of rows on other threads give the reference pixels.
TEST(EffectGoldenWin, ThreadSlicesGiveTheReferencePixels) {
    std::mt19937 rng(77);
    Img in = PatchyImg(613, 509, rng);
    const std::vector<std::function<int(Surface*)>> kernels = {
        [](Surface* s) { return fx_Blur(s, 700); },
        [](Surface* s) { return fx_Sharpen(s, 500); },
        [](Surface* s) { return fx_AntialiasImage(s, 800, 10); },
        [](Surface* s) { return fx_Emboss(s, 600, 0x00405060u); },
        [](Surface* s) { return fx_ChromaShift(s, 250); },
    };
    for (size_t i = 0; i < kernels.size(); i++) {
        Img out[2];
        for (int ref = 0; ref < 2; ref++) {
            fx_ForceReference(ref);
            fx_SetThreads(ref ? 1 : 4);
            Surface s{};
            srf_Create((uint32_t)in.w, (uint32_t)in.h, &s);
            WriteImg(&s, in);
            ASSERT_EQ(kernels[i](&s), 1);
            out[ref] = ReadImg(&s);
            srf_Destroy(&s);
        }
        EXPECT_TRUE(out[0].px == out[1].px) << "kernel " << i;
    }
    fx_ForceReference(0);
}
