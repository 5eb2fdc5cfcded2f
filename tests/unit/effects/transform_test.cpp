// transform_test.cpp — transforms: level mappings, sizes and corners of the worked
// examples, pixel moves worked by hand, refusals.
#include <gtest/gtest.h>
#include <cmath>
#include <functional>
#include "effects/fx_common.h"
#include "effects/transform.h"
#include "unit/effects/fx_test_util.h"

namespace {

const uint32_t BG = TF_BACKGROUND;

// A w x h source whose pixel (x, y) holds 10 y + x + 1.
Img Numbered(int w, int h) {
    Img m = Flat(w, h, 0);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) m.at(x, y) = (uint32_t)(10 * y + x + 1);
    return m;
}

// Runs a destination/source transform on `in`; the result (empty size on failure).
Img Transformed(const Img& in, const std::function<int(Surface*, Surface*)>& t) {
    Held src(in);
    Surface dst{};
    Img out;
    if (t(&dst, &src.s) == 1) out = ReadImg(&dst);
    if (srf_IsValid(&dst)) srf_Destroy(&dst);
    return out;
}

}  // namespace

TEST(Transforms, LevelMappings) {
    EXPECT_DOUBLE_EQ(tf_RotateAngle(500), 0.0);
    EXPECT_DOUBLE_EQ(tf_RotateAngle(750), 90.0);
    EXPECT_DOUBLE_EQ(tf_RotateAngle(0), -180.0);
    EXPECT_DOUBLE_EQ(tf_SkewAngle(1000), 90.0);
    const int modes[][2] = {{0, 0}, {124, 0}, {125, 1}, {374, 1}, {375, 2}, {624, 2}, {625, 3}, {874, 3}, {875, 4}, {1000, 4}};
    for (auto& m : modes) EXPECT_EQ(tf_Rotate90Mode(m[0]), m[1]) << m[0];
    for (int edge = 0; edge < 4; edge++) EXPECT_EQ(tf_EdgeIsVertical(edge), edge & 1);
}

// A 3 x 2 source moved by hand: 1 2 3 / 11 12 13.
TEST(Transforms, PixelMovesWorkedByHand) {
    const struct {
        const char* name;
        std::function<int(Surface*, Surface*)> run;
        int w, h;
        std::vector<uint32_t> want;
    } cases[] = {
        {"half turn", [](Surface* d, Surface* s) { return tf_Rotate90(d, s, 0); }, 3, 2, {13, 12, 11, 3, 2, 1}},
        {"clockwise", [](Surface* d, Surface* s) { return tf_Rotate90(d, s, 1); }, 2, 3, {11, 1, 12, 2, 13, 3}},
        {"no turn", [](Surface* d, Surface* s) { return tf_Rotate90(d, s, 2); }, 3, 2, {1, 2, 3, 11, 12, 13}},
        {"counter-clockwise", [](Surface* d, Surface* s) { return tf_Rotate90(d, s, 3); }, 2, 3, {3, 13, 2, 12, 1, 11}},
        {"mode 5 is mode 1", [](Surface* d, Surface* s) { return tf_Rotate90(d, s, 5); }, 2, 3, {11, 1, 12, 2, 13, 3}},
        {"level 250", [](Surface* d, Surface* s) { return tf_Rotate90(d, s, tf_Rotate90Mode(250)); }, 2, 3, {11, 1, 12, 2, 13, 3}},
        {"perspective level 0 copies", [](Surface* d, Surface* s) { return tf_Perspective(d, s, 0, 2); }, 3, 2, {1, 2, 3, 11, 12, 13}},
        {"stretch 500 copies", [](Surface* d, Surface* s) { return tf_Stretch(d, s, 500, 2); }, 3, 2, {1, 2, 3, 11, 12, 13}},
    };
    for (const auto& c : cases) {
        Img out = Transformed(Numbered(3, 2), c.run);
        EXPECT_EQ(out.w, c.w) << c.name;
        EXPECT_EQ(out.h, c.h) << c.name;
        EXPECT_EQ(out.px, c.want) << c.name;
    }
    // In place, and the destination may be the source itself.
    Held s(Numbered(3, 2));
    ASSERT_EQ(tf_Flip(&s.s, 0), 1);
    EXPECT_EQ(s.img().px, (std::vector<uint32_t>{3, 2, 1, 13, 12, 11}));
    ASSERT_EQ(tf_Flip(&s.s, 1), 1);
    EXPECT_EQ(s.img().px, (std::vector<uint32_t>{13, 12, 11, 3, 2, 1}));
    ASSERT_EQ(tf_Rotate90(&s.s, &s.s, 1), 1);
    EXPECT_EQ(s.s.width, 2u);
    EXPECT_EQ(s.img().px, (std::vector<uint32_t>{3, 13, 2, 12, 1, 11}));
}

TEST(Transforms, PerspectiveMovesWholePixelsLaterOverwritingEarlier) {
    // Left edge of 2 x 6 at level 1000: shrink = 6000 / 2001 = 2. Column 0 runs rows
    // 2..3 (source rows 0-2 land on 2, 3-5 on 3), column 1 rows 1..4 (k = 1 + 4 j / 6).
    Img out = Transformed(Numbered(2, 6), [](Surface* d, Surface* s) { return tf_Perspective(d, s, 1000, 0); });
    EXPECT_EQ(out.px, (std::vector<uint32_t>{BG, BG, BG, 12, 21, 22, 51, 42, BG, 52, BG, BG}));
    Surface src{}, dst{};
    srf_Create(4, 4, &src);
    EXPECT_EQ(tf_Perspective(&dst, &src, 500, 4), 0);
    EXPECT_EQ(tf_Perspective(&dst, &src, 500, -1), 0);
    EXPECT_EQ(tf_Rotate90(&dst, &src, -1), 0);
    srf_Destroy(&src);
}

TEST(Transforms, FreeRotateSizes) {
    std::mt19937 rng(1);
    Img in = RandomImg(10, 6, rng);
    Held src(in);
    Surface dst{};
    ASSERT_EQ(tf_Rotate(&dst, &src.s, tf_RotateAngle(500)), 1);
    EXPECT_EQ(dst.width, 10u);
    EXPECT_EQ(dst.height, 6u);
    // 90 degrees counter-clockwise: the corner (9, 0) lands on (0, -8), not (0, -9).
    ASSERT_EQ(tf_Rotate(&dst, &src.s, tf_RotateAngle(750)), 1);
    EXPECT_EQ(dst.width, 6u);
    EXPECT_EQ(dst.height, 9u);
    Img out = ReadImg(&dst);
    EXPECT_EQ(out.at(0, 0), in.at(9, 0));   // the old top-right corner is the new top-left
    EXPECT_EQ(out.at(0, 8), in.at(0, 0));
    // A half turn: the far corner (-9, -5) rounds to (-8, -4), one pixel smaller each way.
    // A non-finite angle is refused and changes nothing.
    ASSERT_EQ(tf_Rotate(&dst, &src.s, 180.0), 1);
    EXPECT_EQ(dst.width, 9u);
    EXPECT_EQ(dst.height, 5u);
    EXPECT_EQ(tf_Rotate(&dst, &src.s, NAN), 0);
    EXPECT_EQ(dst.width, 9u);
    // 45 degrees: the box of the rounded corners (0,0), (6,-5), (10,-2), (4,4),
    // background where nothing lands.
    ASSERT_EQ(tf_Rotate(&dst, &src.s, 45.0), 1);
    EXPECT_EQ(dst.width, 11u);
    EXPECT_EQ(dst.height, 10u);
    EXPECT_EQ(ReadImg(&dst).at(0, 0), BG);
    srf_Destroy(&dst);
}

TEST(Transforms, SkewHoldsItsAngleAtEightyEightDegrees) {
    // The displacement is tan(-angle) times the side, plus a half, truncated toward
    // zero: for 88 degrees -228.6 gives 228 more columns (8 high) where rounding away
    // would give 229, and -572.2 gives 572 more rows (20 wide); for -88, 229 and 573.
    std::mt19937 rng(2);
    Held src(RandomImg(20, 8, rng));
    for (int vertical = 0; vertical < 2; vertical++) {
        Surface a{}, b{};
        ASSERT_EQ(tf_Skew(&a, &src.s, tf_SkewAngle(0), vertical), 1);   // -90 asked, -88 used
        ASSERT_EQ(tf_Skew(&b, &src.s, -88.0, vertical), 1);
        EXPECT_TRUE(SameSurface(&a, &b));
        EXPECT_EQ(b.width, vertical ? 20u : 249u);
        EXPECT_EQ(b.height, vertical ? 581u : 8u);
        ASSERT_EQ(tf_Skew(&a, &src.s, 400.0, vertical), 1);
        ASSERT_EQ(tf_Skew(&b, &src.s, 88.0, vertical), 1);
        EXPECT_TRUE(SameSurface(&a, &b));
        EXPECT_EQ(b.width, vertical ? 20u : 248u);
        EXPECT_EQ(b.height, vertical ? 580u : 8u);
        ASSERT_EQ(tf_Skew(&a, &src.s, 0.0, vertical), 1);
        EXPECT_EQ(a.width, 20u);
        EXPECT_EQ(a.height, 8u);
        srf_Destroy(&a);
        srf_Destroy(&b);
    }
}

TEST(Transforms, StretchSizes) {
    const struct {
        int w, h, level, mode, wantW, wantH;
    } cases[] = {
        {100, 40, 0, 0, 10, 40},      // "Left": the width over 10
        {100, 40, 1000, 1, 100, 400}, // "Top": the height times 10
        {100, 40, 0, 3, 10, 4},       // "None" scales both, like "Both"
        {3, 2, 0, 2, 1, 1},           // never below one pixel
    };
    for (const auto& c : cases) {
        Img out = Transformed(Flat(c.w, c.h, 0x12345678u),
                              [&](Surface* d, Surface* s) { return tf_Stretch(d, s, c.level, c.mode); });
        EXPECT_EQ(out.w, c.wantW) << c.level << " mode " << c.mode;
        EXPECT_EQ(out.h, c.wantH) << c.level << " mode " << c.mode;
    }
}

TEST(Transforms, TileRepeatsThePattern) {
    Held s(Numbered(3, 2));
    ASSERT_EQ(tf_Tile(&s.s, 7, 5), 1);
    Img out = s.img();
    ASSERT_EQ(out.w, 7);
    ASSERT_EQ(out.h, 5);
    EXPECT_EQ(std::vector<uint32_t>(out.px.begin() + 21, out.px.begin() + 28), (std::vector<uint32_t>{11, 12, 13, 11, 12, 13, 11}));
    EXPECT_EQ(out.at(6, 4), 1u);
    ASSERT_EQ(tf_Tile(&s.s, 2, 1), 1);   // smaller: the top-left part
    EXPECT_EQ(s.img().px, (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(tf_Tile(&s.s, 0, 5), 0);
    EXPECT_EQ(s.s.width, 2u);
}
