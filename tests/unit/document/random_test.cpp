// The tools' random sequence: the C library's values from a seed, the state that
// resumes it, and the scaling.
#include <gtest/gtest.h>
#include "document/random.h"

TEST(Random, SeedOneGivesTheCLibrarySequenceAndScalingTruncates) {
    rnd_Seed(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int v : expected) EXPECT_EQ(rnd_Next(), v);
    const uint32_t mid = rnd_State();
    const int next = rnd_Next();
    rnd_Seed(mid);
    EXPECT_EQ(rnd_Next(), next);
    // (r * w) / 32767 toward zero: 41 * 10 gives 0, 18467 * 10 gives 5, 6334 * -10 gives -1.
    rnd_Seed(1);
    EXPECT_EQ(rnd_Scaled(10), 0);
    EXPECT_EQ(rnd_Scaled(10), 5);
    EXPECT_EQ(rnd_Scaled(-10), -1);
}
