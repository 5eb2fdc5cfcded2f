// The preview dialogs' catalogue: captions, which controls an effect uses, the
// settings kept or reset between dialogs, the bars' steps, the preview period and
// the sprite's kept centre.
#include <gtest/gtest.h>
#include "effects/catalogue.h"

TEST(Catalogue, CaptionsControlsAndKeptSettings) {
    EXPECT_STREQ(cat_EffectCaption(4 | CAT_ON_SPRITE), "Effect - Adjust Brightness");
    EXPECT_STREQ(cat_EffectCaption(20), "Effect");
    EXPECT_STREQ(cat_TransformCaption(5), "Transform - Right-Angle Rotate");
    EXPECT_STREQ(cat_TransformCaption(9), "Transform");
    // code: channels, level, distance, parameter
    const struct {
        uint32_t code;
        int uses[4];
    } controls[] = {{11, {1, 1, 0, 0}}, {12, {0, 1, 1, 1}}, {16, {1, 1, 0, 0}}, {33, {0, 0, 0, 1}},
                    {32, {0, 1, 0, 1}}, {0, {0, 1, 0, 0}}};
    for (const auto& c : controls) {
        int got[4] = {cat_UsesChannels(c.code), cat_UsesLevel(c.code), cat_UsesDistance(c.code),
                      cat_UsesParameter(c.code)};
        for (int i = 0; i < 4; i++) EXPECT_EQ(got[i], c.uses[i]) << c.code << " control " << i;
    }
    EXPECT_EQ(cat_UsesEdge(0) + cat_UsesEdge(5) * 2 + cat_UsesEdge(4) * 4, 4);

    FxSettings fx = FX_DEFAULTS;
    cat_OpenEffect(&fx, 12);
    fx = {900, 9, 99, 3, fx.lastCode};
    cat_OpenEffect(&fx, 12 | CAT_ON_SPRITE);  // the same effect on the other target keeps them
    EXPECT_EQ(fx.level * 1000000 + fx.distance * 10000 + fx.parameter * 10 + fx.channelMask, 900090993);
    cat_OpenEffect(&fx, 5);
    EXPECT_EQ(fx.level * 1000000 + fx.distance * 10000 + fx.parameter * 10 + fx.channelMask, 500040015);
    TfSettings tf = {100, 3, 2};
    cat_OpenTransform(&tf, 2 | CAT_ON_SPRITE);
    EXPECT_EQ(tf.level * 10 + tf.edge, 1003);
    cat_OpenTransform(&tf, 4);
    EXPECT_EQ(tf.level * 10 + tf.edge, 5000);
}

TEST(Catalogue, BarsPeriodAndCentre) {
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
    // A 64 x 48 sprite at (4, 4) turned to 48 x 64 keeps the centre (36, 28).
    int x1, y1, x2, y2;
    cat_KeepCentre((4 + 1 + 67) / 2, (4 + 1 + 51) / 2, 48, 64, &x1, &y1, &x2, &y2);
    EXPECT_EQ(x1 * 1000 + x2, 12059);
    EXPECT_EQ(y1, -3);
    EXPECT_EQ(y2, 60);
}
