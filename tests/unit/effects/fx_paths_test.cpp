// fx_paths_test.cpp — the fast loops, on one thread and on four, against the
// reference loops, bit for bit, for every case of the catalogue: random (with
// extreme bytes) and patchy images of odd layouts, and one large enough for the
// rows to go to other threads.
#include <gtest/gtest.h>
#include "unit/effects/fx_test_util.h"
#include "unit/effects/golden_cases.h"

TEST(EffectPaths, FastAndThreadedLoopsMatchTheReferenceOnOddLayouts) {
    std::mt19937 rng(1);
    for (auto [w, h] : OddSizes())
        for (int patchy = 0; patchy < 2; patchy++) {
            Held in(patchy ? PatchyImg(w, h, rng) : RandomImg(w, h, rng));
            for (const FxCase& c : FxCatalogue()) ASSERT_EQ(FxPathsDiffer(c, &in.s), "");
        }
}

TEST(EffectPaths, ThreadSlicesOfALargeImage) {
    std::mt19937 rng(5);
    Held in(PatchyImg(613, 509, rng));
    for (const FxCase& c : FxCatalogue()) EXPECT_EQ(FxPathsDiffer(c, &in.s), "");
}
