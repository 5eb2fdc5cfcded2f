// Colour helpers: byte order, HSL scale, YCC and the 16-bit weighted mixes.
#include <gtest/gtest.h>
#include "engine/color.h"

TEST(Color, SwapRBKeepsAlphaAndGreen) {
    EXPECT_EQ(clr_SwapRB(0x11223344u), 0x11443322u);
    EXPECT_EQ(clr_SwapRB(clr_SwapRB(0xA1B2C3D4u)), 0xA1B2C3D4u);
}
