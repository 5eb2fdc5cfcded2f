// fx_examples_test.cpp — worked examples of the effect kernels, the inline effects'
// tables and the refusals: the cases whose numbers a plausible slip would change.
#include <gtest/gtest.h>
#include <cmath>
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

// A surface holding `m`, destroyed at the end of the scope.
struct Held {
    Surface s{};
    explicit Held(const Img& m) {
        srf_Create((uint32_t)m.w, (uint32_t)m.h, &s);
        WriteImg(&s, m);
    }
    ~Held() { srf_Destroy(&s); }
    Img img() { return ReadImg(&s); }
};

Img Flat(int w, int h, uint32_t p) {
    Img m;
    m.w = w;
    m.h = h;
    m.px.assign((size_t)w * h, p);
    return m;
}

}  // namespace

TEST(EffectExamples, BlurLevelZeroKeepsAndLevel1000SpreadsBothWays) {
    std::mt19937 rng(2);
    Img in = RandomImg(19, 7, rng);
    Held a(in);
    ASSERT_EQ(fx_Blur(&a.s, 0), 1);
    EXPECT_EQ(a.img().px, in.px);

    // One white pixel in a black row. At level 500 it spreads to both sides, each
    // pixel further out keeping about s / 65536 = 30719 / 65536 of the one before.
    Img row = Flat(41, 1, 0);
    row.at(20, 0) = 0x00FFFFFFu;
    Held b(row);
    ASSERT_EQ(fx_Blur(&b.s, 500), 1);
    Img out = b.img();
    EXPECT_EQ(out.at(20, 0), 0x005B5B5Bu);
    for (int k = 1; k < 5; k++) {
        int right = Ch(out.at(20 + k, 0), 2), left = Ch(out.at(20 - k, 0), 2);
        int nearer = Ch(out.at(19 + k, 0), 2);
        EXPECT_EQ(right, left) << k;
        EXPECT_NEAR(right, nearer * 30719 / 65536, 2) << k;
        EXPECT_GT(right, 0) << k;
    }
    // At level 1000 each step keeps 61439 / 65536 of the running value but takes only
    // trunc(p * 4097 / 65536) of the pixel: the first pass leaves 15, 14, 13... to
    // the right, and the second pass, starting from black on the right, adds 0 for
    // every value below 16. Truncation wipes the lone pixel out.
    Held c(row);
    ASSERT_EQ(fx_Blur(&c.s, 1000), 1);
    for (uint32_t p : c.img().px) EXPECT_EQ(p, 0u);
    // A wider white run survives and spreads: the row decays away from it on both sides.
    Img band = Flat(61, 1, 0);
    for (int x = 25; x < 36; x++) band.at(x, 0) = 0x00FFFFFFu;
    Held d(band);
    ASSERT_EQ(fx_Blur(&d.s, 1000), 1);
    Img spread = d.img();
    EXPECT_GT(Ch(spread.at(22, 0), 0), 0);
    EXPECT_GT(Ch(spread.at(38, 0), 0), 0);
    for (int x = 1; x < 25; x++) EXPECT_LE(Ch(spread.at(x - 1, 0), 0), Ch(spread.at(x, 0), 0)) << x;
    for (int x = 36; x < 60; x++) EXPECT_GE(Ch(spread.at(x, 0), 0), Ch(spread.at(x + 1, 0), 0)) << x;
}

TEST(EffectExamples, ColorShiftGreyAtZeroAndTripleAtTop) {
    // R 0, G 24, B 0: Y = 14, green 10 above it.
    Img in = Flat(3, 2, 0x7F001800u);
    Held a(in), b(in);
    ASSERT_EQ(fx_ColorShift(&a.s, 0), 1);
    EXPECT_EQ(a.img().at(2, 1), 0x7F0E0E0Eu);
    ASSERT_EQ(fx_ColorShift(&b.s, 1000), 1);
    // Green moves to 31 above Y (10 * 209715 >> 16); red and blue fall below 0.
    EXPECT_EQ(b.img().at(0, 0), 0x7F002D00u);
}

TEST(EffectExamples, PosterizeTopLeavesOnlyExtremesAlphaIncluded) {
    std::mt19937 rng(4);
    Held a(RandomImg(33, 9, rng));
    ASSERT_EQ(fx_Posterize(&a.s, 1000), 1);
    for (uint32_t p : a.img().px)
        for (int i = 0; i < 4; i++) EXPECT_TRUE(Ch(p, i) == 0 || Ch(p, i) == 255) << std::hex << p;
}

TEST(EffectExamples, AlphaContrastKeepsFirstAndLastColumn) {
    std::mt19937 rng(6);
    Img in = RandomImg(12, 8, rng);
    Held a(in);
    ASSERT_EQ(fx_AlphaContrast(&a.s, 1000), 1);
    Img out = a.img();
    int changed = 0;
    for (int y = 0; y < 8; y++) {
        EXPECT_EQ(out.at(0, y), in.at(0, y));
        EXPECT_EQ(out.at(11, y), in.at(11, y));
        for (int x = 1; x < 11; x++) changed += out.at(x, y) != in.at(x, y);
    }
    EXPECT_GT(changed, 0);
    // Two columns have nothing between them.
    Img narrow = RandomImg(2, 5, rng);
    Held b(narrow);
    ASSERT_EQ(fx_AlphaContrast(&b.s, 1000), 1);
    EXPECT_EQ(b.img().px, narrow.px);
}

TEST(EffectExamples, EdgeDetectOfAFlatImageIsWhite) {
    Held a(Flat(9, 4, 0x40336699u));
    ASSERT_EQ(fx_EdgeDetect(&a.s, 1000), 1);
    for (uint32_t p : a.img().px) EXPECT_EQ(p, 0x40FFFFFFu);
}

TEST(EffectExamples, ReliefRangeStartsFromTheFloatingLuma) {
    // Greys 128, 127, 126...: every step is +1, but the first difference is
    // Yf(128) - Y(128) = 127 - 128 = -1, so the range is 1, not 0, and edges show.
    Img ramp = Flat(6, 1, 0);
    for (int x = 0; x < 6; x++) ramp.at(x, 0) = (uint32_t)(128 - x) * 0x010101u;
    Held a(ramp);
    ASSERT_EQ(fx_EdgeDetect(&a.s, 1000), 1);
    // Pixel 1: Yc 127, Yl 128, Yu = Yul = Yc: v = (381 - 127 - 127 - 128) * 83 / 1 = -83.
    EXPECT_EQ(a.img().at(1, 0), 0x00FFFFFFu - 255 * 0x010101u);
    EXPECT_EQ(a.img().at(0, 0), 0x00FFFFFFu);
}

TEST(EffectExamples, KeyExactWithParameterZeroClearsOnlyTheKey) {
    const uint32_t key = 0x00336699u;   // COLORREF: red 0x99, green 0x66, blue 0x33
    std::mt19937 rng(8);
    Img in = RandomImg(10, 10, rng);
    for (int i = 0; i < 10; i++) in.at(i, i) = 0x10996633u;
    Held a(in);
    ASSERT_EQ(fx_KeyExact(&a.s, key, fx_KeyTolerance(0)), 1);
    Img out = a.img();
    for (int y = 0; y < 10; y++)
        for (int x = 0; x < 10; x++) {
            if ((in.at(x, y) & 0xFFFFFF) == 0x996633u)
                EXPECT_EQ(out.at(x, y), 0xFF996633u);
            else
                EXPECT_EQ(out.at(x, y), in.at(x, y));
        }
}

TEST(EffectExamples, KeyColorExactMatchGetsTheParameterAsAlpha) {
    Held a(Flat(2, 1, 0x00102030u));
    ASSERT_EQ(fx_KeyColor(&a.s, 0x00302010u, 500, fx_KeyTolerance(90)), 1);
    EXPECT_EQ(a.img().at(0, 0) >> 24, 165u);   // 255 - parameter
}

TEST(EffectExamples, PixelateTopLevelCutsTwentyTwoIntoTwentyOneAndOne) {
    std::mt19937 rng(9);
    Img in = RandomImg(22, 22, rng);
    Held a(in), b(in);
    ASSERT_EQ(fx_Pixelate(&a.s, 1000), 1);
    Img out = a.img();
    // The 1 x 1 corner block keeps its colour; the last column is one 1 x 21 block.
    EXPECT_EQ(out.at(21, 21), in.at(21, 21));
    for (int y = 0; y < 21; y++) EXPECT_EQ(out.at(21, y) & 0xFFFFFF, out.at(21, 0) & 0xFFFFFF);
    for (int x = 0; x < 21; x++) EXPECT_EQ(out.at(x, 21) & 0xFFFFFF, out.at(0, 21) & 0xFFFFFF);
    EXPECT_EQ(out.at(20, 20) & 0xFFFFFF, out.at(0, 0) & 0xFFFFFF);
    EXPECT_NE(out.at(21, 0) & 0xFFFFFF, out.at(20, 0) & 0xFFFFFF);
    for (size_t i = 0; i < in.px.size(); i++) EXPECT_EQ(out.px[i] >> 24, in.px[i] >> 24);
    ASSERT_EQ(fx_Pixelate(&b.s, 0), 1);
    EXPECT_EQ(b.img().px, in.px);
}

TEST(EffectExamples, AntialiasAtLevelZeroChangesNothing) {
    std::mt19937 rng(10);
    Img in = PatchyImg(30, 20, rng);
    Held a(in), b(in);
    ASSERT_EQ(fx_AntialiasEdges(&a.s, 0, 0), 1);
    ASSERT_EQ(fx_AntialiasImage(&b.s, 0, 0), 1);
    EXPECT_EQ(a.img().px, in.px);
    EXPECT_EQ(b.img().px, in.px);
}

TEST(EffectExamples, AntialiasEdgesSoftensAnIsolatedClearPixel) {
    // A transparent pixel in an opaque field stands 255 above all its neighbours.
    Img in = Flat(5, 5, 0x00204060u);
    in.at(2, 2) = 0xFFFFFFFFu;
    Held a(in);
    ASSERT_EQ(fx_AntialiasEdges(&a.s, 1000, 0), 1);
    Img out = a.img();
    EXPECT_NE(out.at(2, 2), in.at(2, 2));
    EXPECT_LT(out.at(2, 2) >> 24, 255u);
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(out.at(i, 0), in.at(i, 0));
        EXPECT_EQ(out.at(0, i), in.at(0, i));
    }
}

TEST(EffectExamples, ConvolutionRefusals) {
    std::mt19937 rng(12);
    Img in = RandomImg(7, 5, rng);
    Held a(in);
    int32_t w[121];
    for (int32_t& v : w) v = 1;
    EXPECT_EQ(fx_Convolve(&a.s, w, 4, 0), 0);
    EXPECT_EQ(fx_Convolve(&a.s, w, 11, 0), 0);
    EXPECT_EQ(fx_Convolve(&a.s, w, 0, 0), 0);
    EXPECT_EQ(fx_Convolve(&a.s, nullptr, 3, 0), 0);
    int32_t zero[9] = {1, 1, 1, 1, -8, 1, 1, 1, 1};
    EXPECT_EQ(fx_Convolve(&a.s, zero, 3, 0), FX_CONV_ZERO_SUM);
    int32_t big[9] = {INT32_MAX, INT32_MAX, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(fx_Convolve(&a.s, big, 3, 0), FX_CONV_OVERFLOW);
    EXPECT_EQ(a.img().px, in.px);
    // 1 x 1 with any nonzero weight is the identity.
    int32_t one = -7;
    EXPECT_EQ(fx_Convolve(&a.s, &one, 1, 0), 1);
    EXPECT_EQ(a.img().px, in.px);
}

TEST(EffectExamples, MatrixWeightsOfTheStartingMatrixAndRefusals) {
    double m[9] = {0.1, 0.1, 0.1, 0.1, 1.2, 0.1, 0.1, 0.1, 0.1};
    int32_t w[9];
    ASSERT_EQ(fx_MatrixWeights(m, w), 1);
    // The nine values sum to a hair above 2.0 in doubles: the weights truncate down.
    EXPECT_EQ(w[4], 599999);
    EXPECT_EQ(w[0], 49999);
    double zero[9] = {1, -1, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(fx_MatrixWeights(zero, w), FX_CONV_ZERO_SUM);
    // The sum nearly cancels: f = 1e6 / 1e-9 pushes weights far past 32 bits.
    double tiny[9] = {1, -1 + 1e-9, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(fx_MatrixWeights(tiny, w), FX_CONV_OVERFLOW);
    double bad[9] = {NAN, 1, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(fx_MatrixWeights(bad, w), FX_CONV_OVERFLOW);
}

TEST(EffectExamples, InlineEffectTables) {
    uint8_t t[256];
    fx_BrightnessTable(500, t);
    for (int i = 0; i < 256; i++) EXPECT_EQ(t[i], i);
    fx_BrightnessTable(0, t);
    EXPECT_EQ(t[99], 0);
    EXPECT_EQ(t[150], 50);
    fx_BrightnessTable(1000, t);
    EXPECT_EQ(t[200], 255);
    EXPECT_EQ(t[10], 110);
    fx_BrightnessTable(495, t);   // (990 - 1000) / 10 = -1: towards zero
    EXPECT_EQ(t[10], 9);
    fx_GammaTable(0, t);   // e = 10: dark
    EXPECT_EQ(t[255], 255);
    EXPECT_EQ(t[128], (int)(std::pow(128 / 255.0, 10.0) * 255));
    fx_GammaTable(1000, t);   // e = 0.25: bright
    EXPECT_EQ(t[16], (int)(std::pow(16 / 255.0, 0.25) * 255));
    fx_GammaTable(500, t);
    EXPECT_LT(t[128], 136);
    EXPECT_GT(t[128], 128);
    EXPECT_EQ(fx_KeyTolerance(0), 255);
    EXPECT_EQ(fx_KeyTolerance(255), 0);
    EXPECT_EQ(fx_KeyTolerance(300), 0);

    std::mt19937 rng(13);
    Img in = RandomImg(9, 3, rng);
    Held a(in), b(in), c(in);
    ASSERT_EQ(fx_SetAlpha(&a.s, 1000), 1);
    for (uint32_t p : a.img().px) EXPECT_EQ(p >> 24, 255u);
    ASSERT_EQ(fx_SetAlpha(&a.s, 0), 1);
    for (size_t i = 0; i < in.px.size(); i++) EXPECT_EQ(a.img().px[i], in.px[i] & 0xFFFFFF);
    ASSERT_EQ(fx_AdjustBrightness(&b.s, 500), 1);
    EXPECT_EQ(b.img().px, in.px);
    ASSERT_EQ(fx_GammaShift(&c.s, 1000), 1);
    fx_GammaTable(1000, t);
    Img g = c.img();
    for (size_t i = 0; i < in.px.size(); i++)
        EXPECT_EQ(g.px[i], Word(t[Ch(in.px[i], 0)], t[Ch(in.px[i], 1)], t[Ch(in.px[i], 2)], Ch(in.px[i], 3)));
}

TEST(EffectExamples, DropShadowOfAnOpaqueSquare) {
    // Opaque square in a clear field: below and right of it the shadow shows through.
    Img in = Flat(12, 12, 0xFF000000u);
    for (int y = 2; y < 6; y++)
        for (int x = 2; x < 6; x++) in.at(x, y) = 0x00FF0000u;
    Held a(in);
    ASSERT_EQ(fx_DropShadow(&a.s, 1000, 3, 0), 1);
    Img out = a.img();
    EXPECT_EQ(out.at(3, 3), 0x00FF0000u);           // the square itself, opaque
    EXPECT_EQ(out.at(8, 8), 0x00000000u);           // full shadow, no blur
    EXPECT_EQ(out.at(10, 10), 0xFF000000u);         // beyond it: clear
    EXPECT_EQ(out.at(1, 1), 0xFF000000u);
}

TEST(EffectExamples, EmptyAndUnlockableSurfaces) {
    Surface none{};
    EXPECT_EQ(fx_Blur(&none, 500), 0);
    EXPECT_EQ(fx_DynamicContrast(&none, 500), 0);
    EXPECT_EQ(fx_AntialiasEdges(&none, 500, 3), 0);
    EXPECT_EQ(fx_Sharpen(&none, 500), 0);
    EXPECT_EQ(fx_EdgeDetect(&none, 500), 0);
    EXPECT_EQ(fx_Pixelate(&none, 500), 0);
    EXPECT_EQ(fx_DropShadow(&none, 500, 4, 0), 0);
    EXPECT_EQ(fx_Greyscale(&none), 0);
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
