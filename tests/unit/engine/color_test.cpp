// Colour helpers: byte order, YCC with its wrapping bytes, the HSL scale and its
// truncations, and the 16-bit weighted mixes.
#include <gtest/gtest.h>
#include "engine/color.h"
#include "engine/pixel.h"

TEST(Color, WorkedConversionsAndMixes) {
    const struct {
        const char* name;
        uint32_t got, want;
    } cases[] = {
        {"swap keeps alpha and green", clr_SwapRB(0x11223344u), 0x11443322u},
        {"YCC of white", clr_ToYCC(0x00FFFFFFu), 0x00FF8080u},
        {"YCC of black", clr_ToYCC(0x00000000u), 0x00008080u},
        // Cr shifts arithmetically below 128, Cb reaches 256 and wraps to 0.
        {"YCC wraps", clr_ToYCC(0x7FFF0000u), 0x7F1D006Bu},
        // The Y sum lands exactly on 52 * 65536 only with its rounding half added.
        {"YCC rounding half", clr_ToYCC(0x00B83400u), 0x0034CB5Bu},
        {"HSL, alpha kept", clr_ToHSL(0xAB0000FFu), 0xABFF7F00u},
        // Truncations on the way back lose one step; grey one step darker.
        {"HSL back", clr_FromHSL(0xABFF7F00u), 0xAB0000FEu},
        {"grey round trip", clr_FromHSL(clr_ToHSL(0x00808080u)), 0x007F7F7Fu},
        {"white round trip", clr_FromHSL(clr_ToHSL(0x00FFFFFFu)), 0x00FFFFFFu},
        {"hue 800 of 2400", clr_ToHSL(0x0000FF00u) & 0xFF, 85u},
        {"hue 1600 of 2400", clr_ToHSL(0x00FF0000u) & 0xFF, 170u},
        // Maximum at the low byte and the high byte beating the middle: the hue goes
        // negative and wraps to the top of the scale, 2000.
        {"hue wraps", clr_ToHSL(0x00FF00FFu) & 0xFF, 2000u * 255 / 2400},
        {"lerp start", clr_Lerp(0, 2, 0xFFFFFFFFu, 0u), 0u},
        {"lerp halfway", clr_Lerp(1, 2, 0xFFFFFFFFu, 0u), 0x7F7F7F7Fu},
        {"lerp beyond the end", clr_Lerp(5, 2, 0xFFFFFFFFu, 0u), 0xFFFFFFFFu},
        {"lerp of no steps", clr_Lerp(0, 0, 0x12345678u, 0u), 0x12345678u},
        {"mix weight clamps", clr_Mix(0xFF00FF00u, 70000, 0x00FF00FFu), 0xFF00FF00u},
        {"mix quarter", clr_Mix(0xFF00FF00u, 16384, 0x00FF00FFu), 0x3FBF3FBFu},
        {"mix of four", clr_Mix4(0xFFFFFFFFu, 64, 0u, 64, 0xFFFFFFFFu, 64, 0u, 64), 0x7F7F7F7Fu},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.name;
    for (uint32_t v : {0u, 1u, 128u, 254u, 255u})   // grey: hue 1600, no saturation
        EXPECT_EQ(clr_ToHSL(v * 0x010101u) & 0xFF00FF, 170u) << v;
}

// The byte-wise mix is a fast path of the word mix for words that are single bytes.
TEST(Color, ByteMixAgreesWithTheWordMix) {
    for (uint32_t w : {0u, 1u, 32767u, 45875u, 65535u, 65536u})
        for (uint32_t a = 0; a < 256; a++)
            for (uint32_t b = 0; b < 256; b++)
                ASSERT_EQ(px_Mix16Byte(a, w, b), px_Mix16(a, w, b)) << a << " " << w << " " << b;
}
