// golden_test.cpp — the reference loops of every effect and transform give the
// recorded pixels (the same table is checked by the Windows build).
#include <gtest/gtest.h>
#include "unit/effects/golden_cases.h"

TEST(EffectGolden, ReferenceLoopsGiveTheRecordedPixels) { EXPECT_EQ(CheckFxGolden(), ""); }
