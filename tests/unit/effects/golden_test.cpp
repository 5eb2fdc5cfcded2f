// golden_test.cpp — the floating-point kernels give the recorded pixels (the same
// table is checked by the Windows build).
#include <gtest/gtest.h>
#include "unit/effects/golden_cases.h"

TEST(EffectGolden, FloatingPointKernelsGiveTheRecordedPixels) {
    std::string report;
    EXPECT_EQ(RunGoldenCases(&report), 0) << report;
}
