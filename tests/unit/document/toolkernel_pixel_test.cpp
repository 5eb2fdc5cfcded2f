// Spray, roughen, the smoothers, the soft dab and the sparkle: worked examples, and
// golden hashes of every kernel over the pattern at positions in, at the edge of and
// outside the surface.
#include <gtest/gtest.h>
#include <functional>
#include <vector>
#include "document/random.h"
#include "document/toolkernel.h"
#include "support/test_surface.h"

namespace {
// The surface's blue bytes, row after row.
std::vector<int> Blues(Surface* s) {
    std::vector<int> v;
    for (uint32_t p : WordsOf(s)) v.push_back((int)(p & 0xFF));
    return v;
}
}  // namespace

// Spray, roughen, the smoothers and the dab worked by hand.
TEST(ToolPixels, WorkedExamples) {
    // Seed 1 gives 41, 18467, 6334, 26500, 19169, 15724, 11478, 29358.
    // Spray width 3, level 255: 256 * 9 / 500 = 4 picks of (r * 3) / 32767 each way:
    // (0,1) (0,2) (1,1) (1,2) from the corner (x - 1, y - 1); red arrives as a pixel word.
    TestSurface t(5, 5);
    rnd_Seed(1);
    ASSERT_EQ(tk_Spray(t.get(), 2, 2, 3, 255, 0x000000FFu), 1);
    std::vector<uint32_t> want(25, 0);
    for (int i : {11, 16, 12, 17}) want[i] = 0x00FF0000u;
    EXPECT_EQ(WordsOf(t.get()), want);

    // Roughen width 2, level 100: 2 picks, each two places and a delta (r - 16383) * 100
    // / 32767 truncated toward zero: (0,1) gets -30, (1,1) gets -2; alpha kept.
    TestSurface r(3, 3);
    FillAll(r.get(), 0x80808080u);
    rnd_Seed(1);
    ASSERT_EQ(tk_Roughen(r.get(), 1, 1, 2, 100), 1);
    EXPECT_EQ(WordsOf(r.get()), (std::vector<uint32_t>{0x80808080u, 0x80808080u, 0x80808080u, 0x80626262u, 0x807E7E7Eu,
                                                       0x80808080u, 0x80808080u, 0x80808080u, 0x80808080u}));

    // Smoothers width 3 at the centre of 3 x 3: a plus, in place, top-down, left to
    // right; outside neighbours count as the pixel itself.
    const struct {
        std::function<int(Surface*)> run;
        std::vector<int> blues;
    } smooth[] = {
        {[](Surface* s) { return tk_Smooth(s, 1, 1, 3); }, {0, 50, 0, 50, 70, 14, 0, 14, 0}},
        {[](Surface* s) { return tk_SmoothDirectional(s, 1, 1, 3, 1); }, {0, 83, 0, 0, 111, 0, 0, 37, 0}},
        {[](Surface* s) { return tk_SmoothDirectional(s, 1, 1, 3, 0); }, {0, 0, 0, 83, 111, 37, 0, 0, 0}},
    };
    for (const auto& c : smooth) {
        TestSurface s(3, 3);
        s.at(1, 1) = 250;
        ASSERT_EQ(c.run(s.get()), 1);
        EXPECT_EQ(Blues(s.get()), c.blues) << (&c - smooth);
    }

    // Dab: radius 0 has weight 0; a level below 1 counts as 1: w = 200 at the centre
    // takes white to 254.
    TestSurface d(9, 9);
    FillAll(d.get(), 0xFFFFFFFFu);
    EXPECT_EQ(tk_AlphaDab(d.get(), 4, 4, 1, 50, 0), 1);
    EXPECT_EQ(d.at(4, 4), 0xFFFFFFFFu);
    EXPECT_EQ(tk_AlphaDab(d.get(), 4, 4, 8, -5, 0), 1);
    EXPECT_EQ(d.at(4, 4), 0xFEFEFEFEu);
}

TEST(ToolPixels, SparkleSharpensAsTheLevelFalls) {
    // From level 48 the shape is the square on its corner |u| + |v| <= R; at level 0
    // only thin arms along the axes remain. Handle straight right, R = 20.
    const struct {
        int level, dx, dy;
        bool painted;
    } cases[] = {{48, 10, 9, true}, {48, 11, 11, false}, {100, 0, 19, true},
                 {0, 19, 0, true},      // the arm reaches the handle
                 {0, 5, 5, false},      // between the arms
                 {47, 10, 10, false}};  // just short of the square
    for (const auto& c : cases) {
        TestSurface t(61, 61);
        tk_Sparkle(t.get(), 30, 30, 50, 30, 0x00FFFFFFu, 0, 0, c.level);
        EXPECT_EQ(t.at(30 + c.dx, 30 + c.dy) != 0, c.painted) << c.level << " at " << c.dx << "," << c.dy;
    }
    // Alpha 255 keeps 65280 / 65536 of the pixel: white adds less than one step to
    // black; alpha 0 at the centre gives the colour itself. A zero radius paints nothing.
    TestSurface t(9, 9);
    tk_Sparkle(t.get(), 4, 4, 8, 4, 0x00FFFFFFu, 255, 255, 100);
    EXPECT_EQ(t.at(4, 4), 0u);
    tk_Sparkle(t.get(), 4, 4, 8, 4, 0x00FFFFFFu, 0, 255, 100);
    EXPECT_EQ(t.at(4, 4), 0x00FFFFFFu);
    EXPECT_EQ(tk_Sparkle(t.get(), 1, 1, 1, 1, 0x00FFFFFFu, 0, 0, 100), 1);
    EXPECT_EQ(t.at(1, 1), 0u);
    // Square on its corner with R = 5000, centre far left: pixel (8, 0) lies 4998 along
    // and 100 across, outside; wrapped by the table's 4096 it would come out inside.
    TestSurface far(16, 128);
    EXPECT_EQ(tk_Sparkle(far.get(), -4990, 100, 10, 100, 0x00FFFFFFu, 0, 0, 100), 1);
    EXPECT_EQ(far.at(8, 0), 0u);
    EXPECT_NE(far.at(0, 100), 0u);   // 4990 along the handle: inside
}

// Six strokes of each kernel over the pattern (37 x 23), near the middle, over the
// edges and outside, with the random sequence folded into the hash.
TEST(ToolPixels, KernelsGiveTheRecordedPixels) {
    typedef std::function<void(Surface*, int x, int y, int size, int level, uint32_t colour)> Stroke;
    auto strokes = [](Stroke stroke) {
        return [stroke]() {
            TestSurface t(37, 23);
            FillPattern(t.get());
            rnd_Seed(12345);
            const int at[6][4] = {{18, 11, 9, 0}, {0, 0, 14, 47}, {36, 22, 21, 48}, {-3, 12, 8, 100},
                                  {20, 25, 30, 200}, {30, 5, 2, 255}};
            for (const auto& a : at) stroke(t.get(), a[0], a[1], a[2], a[3], 0x8040C0E0u + (uint32_t)a[3]);
            return HashSurface(t.get()) ^ rnd_State();
        };
    };
    EXPECT_EQ(CheckGolden({
                  {"spray", 0x5BD3CD2Eu, strokes([](Surface* s, int x, int y, int w, int l, uint32_t c) { tk_Spray(s, x, y, w, l, c); })},
                  {"roughen", 0x07F3DE7Eu, strokes([](Surface* s, int x, int y, int w, int l, uint32_t) { tk_Roughen(s, x, y, w, l); })},
                  {"smooth", 0x5465B037u, strokes([](Surface* s, int x, int y, int w, int, uint32_t) { tk_Smooth(s, x, y, w); })},
                  {"smooth vertical", 0xAC3C6F60u,
                   strokes([](Surface* s, int x, int y, int w, int, uint32_t) { tk_SmoothDirectional(s, x, y, w, 1); })},
                  {"smooth horizontal", 0x6DF24D2Eu,
                   strokes([](Surface* s, int x, int y, int w, int, uint32_t) { tk_SmoothDirectional(s, x, y, w, 0); })},
                  {"dab", 0x15FF25A8u,
                   strokes([](Surface* s, int x, int y, int w, int l, uint32_t c) { tk_AlphaDab(s, x, y, w, l + 1, c); })},
                  {"sparkle", 0x4D7EC1AAu, strokes([](Surface* s, int x, int y, int w, int l, uint32_t c) {
                       tk_Sparkle(s, x, y, x + w, y - w / 2, c, l, 255 - l, l % 101);
                   })},
              }),
              "");
}
