// transform_test.cpp — transforms: level mappings, result sizes, pixel moves worked
// by hand, refusals.
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

// The angle mappings are pinned by the sizes and golden cases that use them.
TEST(Transforms, QuarterTurnModes) {
    const int modes[][2] = {{0, 0}, {124, 0}, {125, 1}, {374, 1}, {375, 2}, {624, 2}, {625, 3}, {874, 3}, {875, 4}, {1000, 4}};
    for (auto& m : modes) EXPECT_EQ(tf_Rotate90Mode(m[0]), m[1]) << m[0];
}

// A 3 x 2 source moved by hand: 1 2 3 / 11 12 13.
TEST(Transforms, PixelMovesWorkedByHand) {
    const struct {
        const char* name;
        std::function<int(Surface*, Surface*)> run;
        int w, h;
        std::vector<uint32_t> want;
    } cases[] = {
        {"mode 5 is mode 1", [](Surface* d, Surface* s) { return tf_Rotate90(d, s, 5); }, 2, 3, {11, 1, 12, 2, 13, 3}},
        {"perspective level 0 copies", [](Surface* d, Surface* s) { return tf_Perspective(d, s, 0, 2); }, 3, 2, {1, 2, 3, 11, 12, 13}},
        {"stretch 500 copies", [](Surface* d, Surface* s) { return tf_Stretch(d, s, 500, 2); }, 3, 2, {1, 2, 3, 11, 12, 13}},
    };
    for (const auto& c : cases) {
        Img out = Transformed(Numbered(3, 2), c.run);
        EXPECT_EQ(out.w, c.w) << c.name;
        EXPECT_EQ(out.h, c.h) << c.name;
        EXPECT_EQ(out.px, c.want) << c.name;
    }
    // The destination may be the source itself.
    Held s(Numbered(3, 2));
    ASSERT_EQ(tf_Rotate90(&s.s, &s.s, 1), 1);
    EXPECT_EQ(s.s.width, 2u);
    EXPECT_EQ(s.img().px, (std::vector<uint32_t>{11, 1, 12, 2, 13, 3}));
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

// Result sizes (0 x 0: refused), the pixels being pinned by the golden table.
TEST(Transforms, ResultSizes) {
    typedef std::function<int(Surface*, Surface*)> Fn;
    auto rotate = [](double a) -> Fn { return [=](Surface* d, Surface* s) { return tf_Rotate(d, s, a); }; };
    auto skew = [](double a, int v) -> Fn { return [=](Surface* d, Surface* s) { return tf_Skew(d, s, a, v); }; };
    auto stretch = [](int l, int m) -> Fn { return [=](Surface* d, Surface* s) { return tf_Stretch(d, s, l, m); }; };
    const struct {
        const char* name;
        int w, h;
        Fn run;
        int wantW, wantH;
    } cases[] = {
        {"rotate level 500", 10, 6, rotate(tf_RotateAngle(500)), 10, 6},
        // The corner (9, 0) lands on (0, -8), not (0, -9); a half turn's far corner
        // (-9, -5) rounds to (-8, -4); at 45 the box of (0,0), (6,-5), (10,-2), (4,4).
        {"rotate level 750", 10, 6, rotate(tf_RotateAngle(750)), 6, 9},
        {"rotate 180", 10, 6, rotate(180.0), 9, 5},
        {"rotate 45", 10, 6, rotate(45.0), 11, 10},
        {"rotate NaN", 10, 6, rotate(NAN), 0, 0},
        // tan(-angle) times the side plus a half, truncated toward zero: at 88 degrees
        // -228.6 gives 228 more columns where rounding away would give 229, -572.2 gives
        // 572 more rows; at -88, 229 and 573. Angles beyond are held at 88.
        {"skew 88", 20, 8, skew(88.0, 0), 248, 8},
        {"skew 400", 20, 8, skew(400.0, 0), 248, 8},
        {"skew 88 vertical", 20, 8, skew(88.0, 1), 20, 580},
        {"skew -88", 20, 8, skew(-88.0, 0), 249, 8},
        {"skew level 0", 20, 8, skew(tf_SkewAngle(0), 0), 249, 8},
        {"skew level 0 vertical", 20, 8, skew(tf_SkewAngle(0), 1), 20, 581},
        {"skew 0", 20, 8, skew(0.0, 1), 20, 8},
        {"stretch left: width / 10", 100, 40, stretch(0, 0), 10, 40},
        {"stretch top: height * 10", 100, 40, stretch(1000, 1), 100, 400},
        {"stretch none scales both", 100, 40, stretch(0, 3), 10, 4},
        {"stretch never below one", 3, 2, stretch(0, 2), 1, 1},
    };
    for (const auto& c : cases) {
        const Img out = Transformed(Flat(c.w, c.h, 0x12345678u), c.run);
        EXPECT_EQ(out.w, c.wantW) << c.name;
        EXPECT_EQ(out.h, c.wantH) << c.name;
    }
}

// The repeat itself is pinned by the golden table.
TEST(Transforms, TileShrinksToTheTopLeftAndRefusesAnEmptySize) {
    Held s(Numbered(3, 2));
    ASSERT_EQ(tf_Tile(&s.s, 2, 1), 1);
    EXPECT_EQ(s.img().px, (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(tf_Tile(&s.s, 0, 5), 0);
    EXPECT_EQ(s.s.width, 2u);
}
