// The effect and transform tables: every row's facts and kernel, the settings kept or
// reset between dialogs, the bars' steps and the preview period.
#include <gtest/gtest.h>
#include <set>
#include <string>
#include "effects/catalogue.h"
#include "support/test_surface.h"

namespace {

// The hash of a row's kernel on the golden pattern, with settings that reach every
// control (so a row wired to the wrong kernel or the wrong control shows).
uint32_t EffectHash(uint32_t code) {
    TestSurface s(37, 23);
    FillPattern(s.get());
    // Colour #1 is the pattern's first pixel (a COLORREF), so the keys find it.
    const uint32_t p = WordAt(s.get(), 18, 11), key = (p >> 16 & 0xFF) | (p & 0xFF00) | (p & 0xFF) << 16;
    const FxSettings settings = {700, 9, 0, 0x5, 0};
    if (cat_ApplyEffect(s.get(), code, settings, key, 0x00CC8844u) != 1) return 0;
    return HashSurface(s.get());
}

uint32_t TransformHash(uint32_t code, int level, int edge) {
    TestSurface s(37, 23), out(1, 1);
    FillPattern(s.get());
    if (cat_ApplyTransform(out.get(), s.get(), code, {level, edge, 0}) != 1) return 0;
    return HashSurface(out.get());
}

}  // namespace

TEST(EffectTable, EveryRowRunsItsOwnKernelWithItsControls) {
    const unsigned L = CAT_USES_LEVEL, D = CAT_USES_DISTANCE, P = CAT_USES_PARAMETER, CH = CAT_USES_CHANNELS,
                   C1 = CAT_USES_COLOUR1, C2 = CAT_USES_COLOUR2;
    const EffectRun DLG = CAT_RUN_DIALOG, DIR = CAT_RUN_DIRECT;
    // The hashes are those the dialog's kernels gave before the table existed.
    const struct {
        uint32_t code;
        const char* key;
        const char* caption;
        unsigned uses;
        int transparency;
        EffectRun run;
        uint32_t hash;
    } rows[] = {
        {FXC_COLOR_SHIFT, "color-shift", "Effect - Color Shift", L, 0, DLG, 0xB4BEBE6Fu},
        {FXC_GAMMA, "gamma", "Effect - Gamma Shift", L, 0, DLG, 0x3FFD2C94u},
        {FXC_CHROMA, "chroma", "Effect - Chroma Shift", L, 0, DLG, 0xA580D718u},
        {FXC_CONTRAST, "contrast", "Effect - Dynamic Contrast", L, 0, DLG, 0xF341A0CBu},
        {FXC_BRIGHTNESS, "brightness", "Effect - Adjust Brightness", L, 0, DLG, 0x0E73ACF6u},
        {FXC_BLUR, "blur", "Effect - Blur / Smear", L, 0, DLG, 0x2666A40Fu},
        {FXC_SHARPEN, "sharpen", "Effect - Sharpen", L, 0, DLG, 0x466D8E7Bu},
        {FXC_EDGE, "edge-detect", "Effect - Edge Detection", L, 0, DLG, 0x8FD36B12u},
        {FXC_POSTERIZE, "posterize", "Effect - Posterize", L, 0, DLG, 0xEFC147C1u},
        {FXC_EMBOSS, "emboss", "Effect - Emboss", L | C1, 0, DLG, 0xE0935656u},
        {FXC_PIXELATE, "pixelate", "Effect - Pixelate", L, 0, DLG, 0x4C2DE0A3u},
        {FXC_SMOOTHING, "smooth", "Effect - Advanced Smoothing", L | CH, 0, DLG, 0xC3A47B76u},
        {FXC_DROP_SHADOW, "drop-shadow", "Effect - Drop Shadow", L | D | P, 1, DLG, 0x70653431u},
        {FXC_COLOR_FILTER, "color-filter", "Effect - Color Filter", L | CH, 0, DLG, 0x9979C661u},
        {FXC_AA_EDGES, "antialias-edges", "Effect - Antialias Edges", L | P, 1, DLG, 0x12D22EF8u},
        {FXC_AA_IMAGE, "antialias", "Effect - Antialias Image", L | P, 0, DLG, 0x46BE4D25u},
        {FXC_BILEVEL, "bilevel", "Effect - Bi-Levelize", L | CH, 0, DLG, 0x03426A57u},
        {FXC_REPLACE, "replace-color", "Effect - Replace Colors", L | C1 | C2, 0, DLG, 0x7AFBEEDDu},
        {FXC_KEY_NORMAL, "bluescreen", "Effect - Blue-Screening; Normal", L | P | C1, 0, DLG, 0x5CF53B77u},
        {FXC_KEY_EXACT, "bluescreen-exact", "Effect - Blue-Screening; Exact", P | C1, 0, DLG, 0x54B3D3F0u},
        {FXC_ALPHA_CONTRAST, "alpha-contrast", "Effect - Alpha Contrast", L, 0, DLG, 0xFA715EBDu},
        {FXC_SET_ALPHA, "set-alpha", "Effect - Set Alpha", L, 0, DLG, 0x160E1B09u},
        {FXC_GREYSCALE, "greyscale", "Remove Color", 0, 0, DIR, 0x8A657D81u},
        {FXC_NEGATIVE, "negative", "Make Negative", 0, 0, DIR, 0xEDF4694Au},
        {FXC_INVERT_ALPHA, "invert-alpha", "Invert Alpha Channel", 0, 0, DIR, 0x5B76E8B6u},
        {FXC_WHITE_BASE, "white-base", "Blue-Screening; White Base", 0, 0, DIR, 0x0913D5F9u},
        {FXC_BLACK_BASE, "black-base", "Blue-Screening; Black Base", 0, 0, DIR, 0x15376520u},
        {FXC_ENHANCE, "enhance", "Synthetic Image Enhancement", 0, 0, CAT_RUN_DIRECT_SHOWN, 0x6AF97D2Fu},
    };
    int count;
    const EffectInfo* table = cat_Effects(&count);
    ASSERT_EQ(count, (int)(sizeof rows / sizeof rows[0]));
    std::vector<GoldenCase> cases;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.key);
        const EffectInfo* e = cat_Effect(r.code | CAT_ON_SPRITE);
        ASSERT_TRUE(e);
        EXPECT_EQ(e, cat_EffectByKey(r.key));
        EXPECT_EQ(e - table, &r - rows);   // menu order
        EXPECT_STREQ(e->caption, r.caption);
        EXPECT_STREQ(cat_EffectCaption(r.code), r.caption);
        EXPECT_EQ(e->uses, r.uses);
        EXPECT_EQ(e->needsTransparency, r.transparency);
        EXPECT_EQ(e->run, r.run);
        cases.push_back({r.key, r.hash, [&r] { return EffectHash(r.code); }});
    }
    EXPECT_EQ(CheckGolden(cases), "");
    for (uint32_t unassigned : {18u, 31u, 36u, 63u, 70u}) {
        EXPECT_EQ(cat_Effect(unassigned), nullptr) << unassigned;
        EXPECT_STREQ(cat_EffectCaption(unassigned), "Effect") << unassigned;
    }
    EXPECT_EQ(cat_EffectByKey("Blur"), nullptr);
}

TEST(TransformTable, EveryRowRunsItsOwnTransform) {
    // code, caption, uses the edges, level, edge, hash of the result
    const struct {
        uint32_t code;
        const char* caption;
        int usesEdge, level, edge;
        uint32_t hash;
    } rows[] = {
        {TFC_ROTATE, "Transform - Free Rotate", 0, 300, 0, 0x02204C1Cu},
        {TFC_FLIP, "Transform - Flipping", 1, 500, 1, 0x44531423u},
        {TFC_PERSPECTIVE, "Transform - Perspective", 1, 300, 2, 0x862DEFB3u},
        {TFC_SKEW, "Transform - Skewing", 1, 1000, 3, 0x1523087Bu},
        {TFC_STRETCH, "Transform - Stretching", 1, 300, 2, 0x29E896A3u},
        {TFC_ROTATE90, "Transform - Right-Angle Rotate", 0, 300, 0, 0xE6437157u},
    };
    std::vector<GoldenCase> cases;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.caption);
        const TransformInfo* t = cat_Transform(r.code | CAT_ON_SPRITE);
        ASSERT_TRUE(t);
        EXPECT_STREQ(cat_TransformCaption(r.code), r.caption);
        EXPECT_EQ(t->usesEdge, r.usesEdge);
        EXPECT_EQ(t->edgeLabels[0] != nullptr, r.code == TFC_STRETCH);
        cases.push_back({r.caption, r.hash, [&r] { return TransformHash(r.code, r.level, r.edge); }});
    }
    EXPECT_EQ(CheckGolden(cases), "");
    EXPECT_STREQ(cat_TransformCaption(9), "Transform");
    EXPECT_EQ(cat_Transform(6), nullptr);
}

TEST(Catalogue, KeptSettingsBarsAndPeriod) {
    FxSettings fx = FX_DEFAULTS;
    cat_OpenEffect(&fx, FXC_DROP_SHADOW);
    fx = {900, 9, 99, 3, fx.lastCode};
    cat_OpenEffect(&fx, FXC_DROP_SHADOW | CAT_ON_SPRITE);  // the same effect on the other target keeps them
    EXPECT_EQ(fx.level, 900);
    EXPECT_EQ(fx.channelMask, 3);
    cat_OpenEffect(&fx, FXC_BLUR);
    EXPECT_EQ(fx.level, FX_DEFAULTS.level);
    EXPECT_EQ(fx.distance, FX_DEFAULTS.distance);
    EXPECT_EQ(fx.parameter, FX_DEFAULTS.parameter);
    EXPECT_EQ(fx.channelMask, FX_DEFAULTS.channelMask);
    TfSettings tf = {100, 3, 2};
    cat_OpenTransform(&tf, TFC_PERSPECTIVE | CAT_ON_SPRITE);
    EXPECT_EQ(tf.level, 100);
    EXPECT_EQ(tf.edge, 3);
    cat_OpenTransform(&tf, TFC_STRETCH);
    EXPECT_EQ(tf.level, 500);
    EXPECT_EQ(tf.edge, 0);
    // bar, value, scroll code, track -> value
    const struct {
        int bar, value, code, track, want;
    } steps[] = {{0, 500, 3, 0, 600},  {1, 4, 3, 0, 8},     {2, 0, 3, 0, 10},   {0, 950, 3, 0, 1000},
                 {1, 3, 2, 0, 2},      {2, 7, 4, 99, 7},    {0, 1, 5, 777, 777}, {1, 9, 6, 0, 2},
                 {2, 9, 7, 0, 255},    {0, 0, 0, 0, 0}};
    for (const auto& s : steps)
        EXPECT_EQ(cat_EffectScroll(s.bar, s.value, s.code, s.track), s.want) << s.bar << " " << s.code;
    EXPECT_EQ(cat_PreviewPeriod(2048, 2048), 322u);
    EXPECT_EQ(cat_PreviewPeriod(10, 10), 60u);
    // (The sprite's kept centre: DocTest.PreviewedEditsRestoreOnCancelAndCountOnceWhenKept.)
}
