// golden_win_test.cpp — the Windows build gives the native build's pixels for every
// effect and transform (the same maths, floating point included), and its threads
// give the reference pixels.
#include <gtest/gtest.h>
#include "unit/effects/fx_test_util.h"
#include "unit/effects/golden_cases.h"

TEST(EffectGoldenWin, ReferenceLoopsMatchTheNativeBuild) { EXPECT_EQ(CheckFxGolden(), ""); }

TEST(EffectGoldenWin, ThreadSlicesGiveTheReferencePixels) {
    std::mt19937 rng(77);
    Held in(PatchyImg(613, 509, rng));
    for (const FxCase& c : FxCatalogue()) EXPECT_EQ(FxPathsDiffer(c, &in.s), "");
}
