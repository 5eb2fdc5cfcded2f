// golden_win_test.cpp — the Windows build gives the native build's pixels for every
// effect and transform (the same maths, floating point included).
#include <gtest/gtest.h>
#include "unit/effects/golden_cases.h"

TEST(EffectGoldenWin, ReferenceLoopsMatchTheNativeBuild) { EXPECT_EQ(CheckFxGolden(), ""); }

