// fx_examples_test.cpp — worked examples of the effect kernels, the inline effects'
// tables and the refusals: the cases whose numbers a plausible slip would change.
#include <gtest/gtest.h>
#include <cmath>
#include <functional>
#include "effects/fx_alpha.h"
#include "effects/fx_antialias.h"
#include "effects/fx_colour.h"
#include "effects/fx_common.h"
#include "effects/fx_filter.h"
#include "effects/fx_hsl.h"
#include "effects/fx_key.h"
#include "effects/fx_pixelate.h"
#include "effects/fx_relief.h"
#include "effects/fx_smear.h"
#include "engine/color.h"
#include "unit/effects/fx_test_util.h"

namespace {
Img Row(std::vector<uint32_t> px) { return Img{(int)px.size(), 1, px}; }
}  // namespace

// One row in, the words out, computed by hand from the formulas.
TEST(EffectExamples, WorkedPixels) {
    struct Case {
        const char* name;
        std::function<int(Surface*)> run;
        std::vector<uint32_t> in, want;
    };
    const Case cases[] = {
        // Greys 128, 127, 126: every step is +1, but the first difference is Yf(128) - Y(128)
        // = -1, so the range is 1, not 0. Pixel 1: v = (381 - 127 - 127 - 128) * 83 = -83.
        {"relief range from the floating luma", [](Surface* s) { return fx_EdgeDetect(s, 1000); },
         {0x808080u, 0x7F7F7Fu, 0x7E7E7Eu}, {0x00FFFFFFu, 0x00000000u, 0x00000000u}},
        {"key colour exact match takes 255 - parameter", [](Surface* s) { return fx_KeyColor(s, 0x00302010u, 500, fx_KeyTolerance(90)); },
         {0x00102030u}, {0xA5102030u}},
        // COLORREF key: red 0x99, green 0x66, blue 0x33; only the key's pixels change.
        {"key exact", [](Surface* s) { return fx_KeyExact(s, 0x00336699u, fx_KeyTolerance(0)); },
         {0x10996633u, 0x10996634u, 0xFF996633u}, {0xFF996633u, 0x10996634u, 0xFF996633u}},
        // s = 30719: rightwards 0, 0, 135, 63, 29; leftwards from 29: 20, 43, 93, 47, 29.
        {"blur spreads both ways", [](Surface* s) { return fx_Blur(s, 500); }, {0, 0, 0x00FFFFFFu, 0, 0},
         {0x00141414u, 0x002B2B2Bu, 0x005D5D5Du, 0x002F2F2Fu, 0x001D1D1Du}},
        // At the top a lone pixel leaves 15, 14, ... 1, 0 to the right; the pass back adds
        // 0 for every value below 16 (v * 4097 < 65536): truncation wipes it out.
        {"blur top wipes a lone pixel", [](Surface* s) { return fx_Blur(s, 1000); },
         {0, 0x00FFFFFFu, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, std::vector<uint32_t>(20, 0)},
        // Two columns have nothing between them.
        {"alpha contrast keeps the outer columns", [](Surface* s) { return fx_AlphaContrast(s, 1000); },
         {0x10203040u, 0xF0203040u}, {0x10203040u, 0xF0203040u}},
        {"1 x 1 convolution is the identity", [](Surface* s) { const int32_t w = -7; return fx_Convolve(s, &w, 1, 0); },
         {0x12345678u, 0x9ABCDEF0u}, {0x12345678u, 0x9ABCDEF0u}},
    };
    for (const Case& c : cases) {
        Held a(Row(c.in));
        EXPECT_EQ(c.run(&a.s), 1) << c.name;
        EXPECT_EQ(a.img().px, c.want) << c.name;
    }
}

// 22 pixels at the top level: blocks of 21 and 1, alpha kept.
TEST(EffectExamples, PixelateTopLevelCutsTwentyTwoIntoTwentyOneAndOne) {
    std::mt19937 rng(9);
    Img in = RandomImg(22, 22, rng);
    Held a(in);
    ASSERT_EQ(fx_Pixelate(&a.s, 1000), 1);
    Img out = a.img();
    EXPECT_EQ(out.at(21, 21), in.at(21, 21));   // the 1 x 1 block keeps its colour
    for (int i = 0; i < 22 * 22; i++) {
        const int first = (i % 22 / 21) * 21 + (i / 22 / 21) * 21 * 22;   // the block's top-left pixel
        EXPECT_EQ(out.px[i] >> 24, in.px[i] >> 24);
        EXPECT_EQ(out.px[i] & 0xFFFFFF, out.px[first] & 0xFFFFFF) << i % 22 << "," << i / 22;
    }
    EXPECT_NE(out.at(21, 0) & 0xFFFFFF, out.at(20, 0) & 0xFFFFFF);
}

TEST(EffectExamples, ConvolutionAndMatrixRefusals) {
    std::mt19937 rng(12);
    Img in = RandomImg(7, 5, rng);
    Held a(in);
    int32_t ones[121];
    for (int32_t& v : ones) v = 1;
    const int32_t zero[9] = {1, 1, 1, 1, -8, 1, 1, 1, 1}, big[9] = {INT32_MAX, INT32_MAX};
    const struct {
        const int32_t* w;
        int n, result;
    } cases[] = {{ones, 4, 0}, {ones, 11, 0}, {ones, 0, 0}, {nullptr, 3, 0}, {zero, 3, FX_CONV_ZERO_SUM}, {big, 3, FX_CONV_OVERFLOW}};
    for (const auto& c : cases) EXPECT_EQ(fx_Convolve(&a.s, c.w, c.n, 0), c.result) << c.n;
    EXPECT_EQ(a.img().px, in.px);

    // The starting matrix sums to a hair above 2.0 in doubles: the weights truncate down.
    int32_t w[9];
    const double start[9] = {0.1, 0.1, 0.1, 0.1, 1.2, 0.1, 0.1, 0.1, 0.1};
    ASSERT_EQ(fx_MatrixWeights(start, w), 1);
    EXPECT_EQ(w[4], 599999);
    EXPECT_EQ(w[0], 49999);
    // A sum that nearly cancels pushes the weights past 32 bits.
    const double cancel[9] = {1, -1}, tiny[9] = {1, -1 + 1e-9}, bad[9] = {NAN, 1};
    EXPECT_EQ(fx_MatrixWeights(cancel, w), FX_CONV_ZERO_SUM);
    EXPECT_EQ(fx_MatrixWeights(tiny, w), FX_CONV_OVERFLOW);
    EXPECT_EQ(fx_MatrixWeights(bad, w), FX_CONV_OVERFLOW);
}

TEST(EffectExamples, InlineEffectTables) {
    uint8_t t[256];
    const struct {
        bool gamma;
        int level, index, value;
    } cases[] = {
        {false, 0, 99, 0}, {false, 0, 150, 50}, {false, 1000, 200, 255}, {false, 1000, 10, 110},
        {false, 495, 10, 9},   // (990 - 1000) / 10 = -1: towards zero
        {false, 500, 77, 77},
        // e = 1 / (3.9 x^2 + 0.1): 10 at level 0, (230/255)^10 * 255 = 90.9; 0.25 at the
        // top, (16/255)^0.25 * 255 = 127.6; 0.930 at 500, 134.3 for 128.
        {true, 0, 255, 255}, {true, 0, 230, 90}, {true, 1000, 16, 127}, {true, 500, 128, 134},
    };
    for (const auto& c : cases) {
        (c.gamma ? fx_GammaTable : fx_BrightnessTable)(c.level, t);
        EXPECT_EQ(t[c.index], c.value) << (c.gamma ? "gamma " : "brightness ") << c.level << " at " << c.index;
    }
    EXPECT_EQ((std::vector<int>{fx_KeyTolerance(0), fx_KeyTolerance(255), fx_KeyTolerance(300)}),
              (std::vector<int>{255, 0, 0}));
}

TEST(EffectExamples, EmptySurfacesAndOutOfRangeArguments) {
    Surface none{};
    EXPECT_EQ((std::vector<int>{fx_Blur(&none, 500), fx_DynamicContrast(&none, 500), fx_AntialiasEdges(&none, 500, 3),
                                fx_Sharpen(&none, 500), fx_EdgeDetect(&none, 500), fx_Pixelate(&none, 500),
                                fx_DropShadow(&none, 500, 4, 0), fx_Greyscale(&none)}),
              std::vector<int>(8, 0));
    // Out-of-range arguments are held to their ranges, not trusted.
    std::mt19937 rng(14);
    Img in = RandomImg(6, 6, rng);
    Held a(in), b(in);
    ASSERT_EQ(fx_ColorShift(&a.s, 1 << 30), 1);
    ASSERT_EQ(fx_ColorShift(&b.s, 1000), 1);
    EXPECT_EQ(a.img().px, b.img().px);
    ASSERT_EQ(fx_DropShadow(&a.s, -5, 1 << 30, 9999), 1);
    ASSERT_EQ(fx_KeyColor(&b.s, 0, -1, 1 << 30), 1);
}

// The fast HSL forms against the engine's, for every input they can be given.
TEST(EffectExamples, FastHslMatchesTheEngineEverywhere) {
    const FxHslTables& t = fx_HslTables();
    uint32_t badTo = 0, badFrom = 0;
    for (uint32_t c = 0; c < (1u << 24); c++) {
        const uint32_t a = (c * 2654435761u) & 0xFF000000u;   // alpha carried through
        badTo += fx_ToHSL(t, c | a) != clr_ToHSL(c | a);
        badFrom += fx_FromHSL(c | a) != clr_FromHSL(c | a);
    }
    EXPECT_EQ(badTo, 0u);
    EXPECT_EQ(badFrom, 0u);
}
