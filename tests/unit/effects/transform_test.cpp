// transform_test.cpp — transforms: sizes and corners of the worked examples, level
// mappings, and plain models of the pixel-moving transforms on odd layouts.
#include <gtest/gtest.h>
#include <cmath>
#include <functional>
#include "effects/fx_common.h"
#include "effects/transform.h"
#include "unit/effects/fx_test_util.h"

namespace {

Img Random(int w, int h, uint32_t seed) {
    std::mt19937 rng(seed);
    return RandomImg(w, h, rng);
}

// Runs a destination/source transform on a copy of `in`, fast and reference.
void ExpectTransform(const Img& in, const Img& want, const std::function<int(Surface*, Surface*)>& t) {
    for (int ref = 0; ref < 2; ref++) {
        fx_ForceReference(ref);
        Surface src{}, dst{};
        srf_Create((uint32_t)in.w, (uint32_t)in.h, &src);
        WriteImg(&src, in);
        ASSERT_EQ(t(&dst, &src), 1);
        Img got = ReadImg(&dst);
        EXPECT_EQ(got.w, want.w);
        EXPECT_EQ(got.h, want.h);
        EXPECT_TRUE(got.px == want.px) << in.w << "x" << in.h << " ref " << ref;
        srf_Destroy(&src);
        srf_Destroy(&dst);
    }
    fx_ForceReference(0);
}

Img Rotate90Model(const Img& in, int q) {
    Img out;
    out.w = (q & 1) ? in.h : in.w;
    out.h = (q & 1) ? in.w : in.h;
    out.px.resize(in.px.size());
    for (int y = 0; y < out.h; y++)
        for (int x = 0; x < out.w; x++) {
            if (q == 0) out.at(x, y) = in.at(in.w - 1 - x, in.h - 1 - y);
            if (q == 1) out.at(x, y) = in.at(y, in.h - 1 - x);
            if (q == 2) out.at(x, y) = in.at(x, y);
            if (q == 3) out.at(x, y) = in.at(in.w - 1 - y, x);
        }
    return out;
}

// The edge's line i runs from `top` to `bottom`; source pixel j of the line lands at
// top + j * (bottom - top + 1) / length.
Img PerspectiveModel(const Img& in, int level, int edge) {
    Img out = in;
    for (uint32_t& p : out.px) p = TF_BACKGROUND;
    const bool columns = edge == 0 || edge == 2;
    const int lines = columns ? in.w : in.h, length = columns ? in.h : in.w;
    const int shrink = level * length / 2001;
    for (int i = 0; i < lines; i++) {
        int fall = i * shrink / lines, top, bottom;
        if (edge < 2) {
            top = shrink - fall;
            bottom = fall + length - shrink - 1;
        } else {
            top = fall;
            bottom = length - 1 - fall;
        }
        if (bottom < top) continue;
        for (int j = 0; j < length; j++) {
            int k = top + j * (bottom - top + 1) / length;
            if (columns)
                out.at(i, k) = in.at(i, j);
            else
                out.at(k, i) = in.at(j, i);
        }
    }
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
    EXPECT_EQ(tf_EdgeIsVertical(0), 0);
    EXPECT_EQ(tf_EdgeIsVertical(1), 1);
    EXPECT_EQ(tf_EdgeIsVertical(2), 0);
    EXPECT_EQ(tf_EdgeIsVertical(3), 1);
}

TEST(Transforms, FreeRotateSizes) {
    Img in = Random(10, 6, 1);
    Surface src{}, dst{};
    srf_Create(10, 6, &src);
    WriteImg(&src, in);
    ASSERT_EQ(tf_Rotate(&dst, &src, tf_RotateAngle(500)), 1);
    EXPECT_EQ(dst.width, 10u);
    EXPECT_EQ(dst.height, 6u);
    // 90 degrees counter-clockwise: the corner (9, 0) lands on (0, -8), not (0, -9).
    ASSERT_EQ(tf_Rotate(&dst, &src, tf_RotateAngle(750)), 1);
    EXPECT_EQ(dst.width, 6u);
    EXPECT_EQ(dst.height, 9u);
    Img out = ReadImg(&dst);
    EXPECT_EQ(out.at(0, 0), in.at(9, 0));   // the old top-right corner is the new top-left
    EXPECT_EQ(out.at(0, 8), in.at(0, 0));
    // A half turn: the far corner (-9, -5) rounds to (-8, -4), so the image is mapped
    // one pixel smaller each way. A non-finite angle is refused and changes nothing.
    ASSERT_EQ(tf_Rotate(&dst, &src, 180.0), 1);
    EXPECT_EQ(dst.width, 9u);
    EXPECT_EQ(dst.height, 5u);
    EXPECT_EQ(tf_Rotate(&dst, &src, NAN), 0);
    EXPECT_EQ(dst.width, 9u);
    // 45 degrees: the box of the rounded corners (0,0), (6,-5), (10,-2), (4,4),
    // background where nothing lands.
    ASSERT_EQ(tf_Rotate(&dst, &src, 45.0), 1);
    EXPECT_EQ(dst.width, 11u);
    EXPECT_EQ(dst.height, 10u);
    EXPECT_EQ(ReadImg(&dst).at(0, 0), TF_BACKGROUND);
    srf_Destroy(&src);
    srf_Destroy(&dst);
}

TEST(Transforms, SkewHoldsItsAngleAtEightyEightDegrees) {
    Img in = Random(20, 8, 2);
    for (int vertical = 0; vertical < 2; vertical++) {
        Surface src{}, a{}, b{};
        srf_Create(20, 8, &src);
        WriteImg(&src, in);
        ASSERT_EQ(tf_Skew(&a, &src, tf_SkewAngle(0), vertical), 1);   // -90 asked, -88 used
        ASSERT_EQ(tf_Skew(&b, &src, -88.0, vertical), 1);
        EXPECT_TRUE(ReadImg(&a).px == ReadImg(&b).px);
        ASSERT_EQ(tf_Skew(&a, &src, 400.0, vertical), 1);
        ASSERT_EQ(tf_Skew(&b, &src, 88.0, vertical), 1);
        EXPECT_TRUE(ReadImg(&a).px == ReadImg(&b).px);
        // tan(-88 degrees) times the side, plus a half truncated towards zero, is the
        // displacement: -228.6 gives -228 where +229.1 would round to 229.
        int d = (int)(std::tan(-88.0 / 57.29577951) * (vertical ? 20 : 8) + 0.5);
        EXPECT_EQ(vertical ? b.height : b.width, (uint32_t)((vertical ? 8 : 20) - d));
        EXPECT_EQ(vertical ? b.width : b.height, vertical ? 20u : 8u);
        ASSERT_EQ(tf_Skew(&a, &src, 0.0, vertical), 1);
        EXPECT_EQ(a.width, 20u);
        EXPECT_EQ(a.height, 8u);
        srf_Destroy(&src);
        srf_Destroy(&a);
        srf_Destroy(&b);
    }
}

TEST(Transforms, PerspectiveLevelZeroIsACopyAndMovesPixelsAsModelled) {
    for (auto [w, h] : OddSizes()) {
        Img in = Random(w, h, 3);
        for (int edge = 0; edge < 4; edge++) {
            ExpectTransform(in, in, [&](Surface* d, Surface* s) { return tf_Perspective(d, s, 0, edge); });
            for (int level : {1, 333, 1000})
                ExpectTransform(in, PerspectiveModel(in, level, edge),
                                [&](Surface* d, Surface* s) { return tf_Perspective(d, s, level, edge); });
        }
    }
    Surface src{}, dst{};
    srf_Create(4, 4, &src);
    EXPECT_EQ(tf_Perspective(&dst, &src, 500, 4), 0);
    EXPECT_EQ(tf_Perspective(&dst, &src, 500, -1), 0);
    srf_Destroy(&src);
}

TEST(Transforms, RightAngleRotations) {
    for (auto [w, h] : OddSizes()) {
        Img in = Random(w, h, 4);
        for (int mode = 0; mode < 6; mode++)
            ExpectTransform(in, Rotate90Model(in, mode % 4), [&](Surface* d, Surface* s) { return tf_Rotate90(d, s, mode); });
    }
    // Larger than one tile in both directions, and sliced between threads.
    Img big = Random(300, 517, 5);
    fx_SetThreads(4);
    for (int mode : {1, 3}) ExpectTransform(big, Rotate90Model(big, mode), [&](Surface* d, Surface* s) { return tf_Rotate90(d, s, mode); });
    fx_SetThreads(2);
    // Level 250: the top-left pixel goes to the top-right corner; level 500: no change.
    Img in = Random(7, 3, 6);
    Surface src{}, dst{};
    srf_Create(7, 3, &src);
    WriteImg(&src, in);
    ASSERT_EQ(tf_Rotate90(&dst, &src, tf_Rotate90Mode(250)), 1);
    EXPECT_EQ(ReadImg(&dst).at(2, 0), in.at(0, 0));
    ASSERT_EQ(tf_Rotate90(&dst, &src, tf_Rotate90Mode(500)), 1);
    EXPECT_TRUE(ReadImg(&dst).px == in.px);
    EXPECT_EQ(tf_Rotate90(&dst, &src, -1), 0);
    // The destination may be the source itself.
    ASSERT_EQ(tf_Rotate90(&src, &src, 1), 1);
    EXPECT_EQ(src.width, 3u);
    EXPECT_TRUE(ReadImg(&src).px == Rotate90Model(in, 1).px);
    srf_Destroy(&src);
    srf_Destroy(&dst);
}

TEST(Transforms, FlipInPlace) {
    for (auto [w, h] : OddSizes()) {
        Img in = Random(w, h, 7);
        for (int vertical = 0; vertical < 2; vertical++) {
            Img want = in;
            for (int y = 0; y < h; y++)
                for (int x = 0; x < w; x++) want.at(x, y) = vertical ? in.at(x, h - 1 - y) : in.at(w - 1 - x, y);
            Surface s{};
            srf_Create((uint32_t)w, (uint32_t)h, &s);
            WriteImg(&s, in);
            ASSERT_EQ(tf_Flip(&s, vertical), 1);
            EXPECT_TRUE(ReadImg(&s).px == want.px);
            srf_Destroy(&s);
        }
    }
}

TEST(Transforms, StretchSizes) {
    Surface src{}, dst{};
    srf_Create(100, 40, &src);
    Img in = Random(100, 40, 8);
    WriteImg(&src, in);
    ASSERT_EQ(tf_Stretch(&dst, &src, 500, 2), 1);
    EXPECT_TRUE(ReadImg(&dst).px == in.px);
    ASSERT_EQ(tf_Stretch(&dst, &src, 0, 0), 1);   // "Left": 100 wide becomes 10
    EXPECT_EQ(dst.width, 10u);
    EXPECT_EQ(dst.height, 40u);
    ASSERT_EQ(tf_Stretch(&dst, &src, 1000, 1), 1);   // "Top": height times 10
    EXPECT_EQ(dst.width, 100u);
    EXPECT_EQ(dst.height, 400u);
    ASSERT_EQ(tf_Stretch(&dst, &src, 0, 3), 1);   // "None" scales both, like "Both"
    EXPECT_EQ(dst.width, 10u);
    EXPECT_EQ(dst.height, 4u);
    Surface tiny{};
    srf_Create(3, 2, &tiny);
    ASSERT_EQ(tf_Stretch(&dst, &tiny, 0, 2), 1);   // never below one pixel
    EXPECT_EQ(dst.width, 1u);
    EXPECT_EQ(dst.height, 1u);
    srf_Destroy(&tiny);
    srf_Destroy(&src);
    srf_Destroy(&dst);
}

TEST(Transforms, TileRepeatsThePattern) {
    Img in = Random(3, 2, 9);
    Surface s{};
    srf_Create(3, 2, &s);
    WriteImg(&s, in);
    ASSERT_EQ(tf_Tile(&s, 7, 5), 1);
    Img out = ReadImg(&s);
    ASSERT_EQ(out.w, 7);
    ASSERT_EQ(out.h, 5);
    for (int y = 0; y < 5; y++)
        for (int x = 0; x < 7; x++) EXPECT_EQ(out.at(x, y), in.at(x % 3, y % 2));
    EXPECT_EQ(out.at(6, 4), in.at(0, 0));
    ASSERT_EQ(tf_Tile(&s, 2, 1), 1);   // smaller: the top-left part
    EXPECT_EQ(ReadImg(&s).at(1, 0), in.at(1, 0));
    EXPECT_EQ(tf_Tile(&s, 0, 5), 0);
    EXPECT_EQ(s.width, 2u);
    srf_Destroy(&s);
}
