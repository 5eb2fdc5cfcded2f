// Colour helpers: byte order, YCC with its wrapping bytes, the HSL scale and its
// truncations, and the 16-bit weighted mixes.
#include <gtest/gtest.h>
#include "engine/color.h"

TEST(Color, SwapRBKeepsAlphaAndGreen) {
    EXPECT_EQ(clr_SwapRB(0x11223344u), 0x11443322u);
    EXPECT_EQ(clr_SwapRB(clr_SwapRB(0xA1B2C3D4u)), 0xA1B2C3D4u);
}

TEST(Color, YccOfWhiteBlackAndBlue) {
    EXPECT_EQ(clr_ToYCC(0x00FFFFFFu), 0x00FF8080u);
    EXPECT_EQ(clr_ToYCC(0x00000000u), 0x00008080u);
    // Blue: Cr shifts arithmetically below 128, Cb reaches 256 and wraps to 0.
    EXPECT_EQ(clr_ToYCC(0x7FFF0000u), 0x7F1D006Bu);
    // The Y sum lands exactly on 52 * 65536 only with its rounding half added.
    EXPECT_EQ(clr_ToYCC(0x00B83400u), 0x0034CB5Bu);
}

TEST(Color, HslOfGreyAndRed) {
    for (uint32_t v : {0u, 1u, 128u, 254u, 255u}) {
        uint32_t hsl = clr_ToHSL(v * 0x010101u);
        EXPECT_EQ(hsl & 0xFF, 170u) << v;          // hue 1600 on the 2400 scale
        EXPECT_EQ((hsl >> 16) & 0xFF, 0u) << v;    // no saturation
    }
    EXPECT_EQ(clr_ToHSL(0xAB0000FFu), 0xABFF7F00u);
    // Truncations on the way back lose one step of red; alpha passes through.
    EXPECT_EQ(clr_FromHSL(0xABFF7F00u), 0xAB0000FEu);
    // Grey comes back as grey, one step darker through the two truncations.
    EXPECT_EQ(clr_FromHSL(clr_ToHSL(0x00808080u)), 0x007F7F7Fu);
    EXPECT_EQ(clr_FromHSL(clr_ToHSL(0x00FFFFFFu)), 0x00FFFFFFu);
}

TEST(Color, HslHuesOfPrimaries) {
    EXPECT_EQ(clr_ToHSL(0x0000FF00u) & 0xFF, 85u);   // green: 800
    EXPECT_EQ(clr_ToHSL(0x00FF0000u) & 0xFF, 170u);  // blue: 1600
    // Magenta: red is the maximum and blue beats green, so the hue goes negative
    // and wraps to the top of the scale.
    EXPECT_EQ(clr_ToHSL(0x00FF00FFu) & 0xFF, (2000u * 255) / 2400);
}

TEST(Color, LerpAndMixTruncatePerChannel) {
    EXPECT_EQ(clr_Lerp(0, 2, 0xFFFFFFFFu, 0u), 0u);
    EXPECT_EQ(clr_Lerp(1, 2, 0xFFFFFFFFu, 0u), 0x7F7F7F7Fu);
    EXPECT_EQ(clr_Lerp(5, 2, 0xFFFFFFFFu, 0u), 0xFFFFFFFFu);  // i beyond n stays at c1
    EXPECT_EQ(clr_Lerp(0, 0, 0x12345678u, 0u), 0x12345678u);  // no steps: already at c1
    EXPECT_EQ(clr_Mix(0xFF00FF00u, 70000, 0x00FF00FFu), 0xFF00FF00u);  // weight clamps
    EXPECT_EQ(clr_Mix(0xFF00FF00u, 16384, 0x00FF00FFu), 0x3FBF3FBFu);
    EXPECT_EQ(clr_Mix4(0xFFFFFFFFu, 64, 0u, 64, 0xFFFFFFFFu, 64, 0u, 64), 0x7F7F7F7Fu);
}
