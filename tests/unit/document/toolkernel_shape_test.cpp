// The kernels built from engine shapes: worked examples of their rules, golden
// hashes of their strokes over the pattern, the sizes that do nothing, failures and
// arguments at the ends of int.
#include <gtest/gtest.h>
#include <climits>
#include <functional>
#include "document/toolkernel.h"
#include "engine/engine.h"
#include "support/test_surface.h"

namespace {
const uint32_t BG = 0x00102030u;
const uint32_t CHECK0 = 0x00EBEBF5u, CHECK1 = 0x009391BFu;
}  // namespace

TEST(ToolKernels, UnlockableSurfaceReturnsZeroAndSmallSizesDoNothing) {
    Surface none{};
    const TkPoint pts[3] = {{0, 0}, {5, 0}, {0, 5}};
    const uint32_t cols[3] = {0, 0, 0};
    const int results[] = {
        tk_EraseStroke(&none, 0, 0, 5, 5, 3, 0), tk_UneraseStroke(&none, 0, 0, 5, 5, 3, 0, nullptr),
        tk_Calligraphy(&none, 0, 0, 5, 5, 4, 0, 0), tk_Spray(&none, 0, 0, 5, 100, 0),
        tk_Roughen(&none, 0, 0, 5, 100), tk_Smooth(&none, 0, 0, 5), tk_SmoothDirectional(&none, 0, 0, 5, 1),
        tk_AlphaDab(&none, 0, 0, 5, 50, 0), tk_Rectangle(&none, 0, 0, 5, 5, 1, 0),
        tk_GradientBar(&none, 0, 0, 5, 5, 3, 0, 0), tk_TintBar(&none, 0, 0, 5, 5, 3, 0, 0, 0),
        tk_TintRect(&none, 0, 0, 5, 5, 1, 0, 0, 0), tk_TriangleFan(&none, pts, cols, 3),
        tk_TriangleStrip(&none, pts, cols, 3), tk_RulerOverlay(&none, 0, 0, 5, 5),
        tk_Sparkle(&none, 0, 0, 5, 5, 0, 0, 0, 50)};
    for (int r : results) EXPECT_EQ(r, 0);

    // Sizes below 1: nothing to do, success; the dab and short point lists return 0.
    TestSurface t(8, 8);
    FillAll(t.get(), BG);
    EXPECT_EQ((std::vector<int>{tk_EraseStroke(t.get(), 0, 0, 5, 5, 0, 0),
                                tk_UneraseStroke(t.get(), 0, 0, 5, 5, -3, 1, nullptr),
                                tk_Spray(t.get(), 4, 4, 0, 255, 0xFFFFFF), tk_Roughen(t.get(), 4, 4, -1, 255),
                                tk_Smooth(t.get(), 4, 4, 0), tk_GradientBar(t.get(), 0, 0, 5, 5, 0, 0xFFFFFF, 0xFFFFFF),
                                tk_TintBar(t.get(), 0, 0, 5, 5, 0, 0xFFFFFF, 0, 0),
                                tk_Calligraphy(t.get(), 0, 0, 5, 5, 1, 0xFF, 0)}),
              std::vector<int>(8, 1));
    EXPECT_EQ((std::vector<int>{tk_AlphaDab(t.get(), 4, 4, 0, 50, 0), tk_TriangleFan(t.get(), pts, cols, 1),
                                tk_TriangleStrip(t.get(), pts, cols, 0), tk_TriangleFan(t.get(), nullptr, cols, 3)}),
              std::vector<int>(4, 0));
    EXPECT_EQ(WordsOf(t.get()), std::vector<uint32_t>(64, BG));
}

// 20 x 20 of `bg` (the image behind: 0x00ABCDEF); COLORREFs arrive as pixel words.
TEST(ToolKernels, WorkedStrokes) {
    struct Px {
        int x, y;
        uint32_t word;
    };
    const struct {
        const char* name;
        uint32_t bg;
        std::function<int(Surface*, Surface*)> run;
        int result;
        std::vector<Px> words;
    } cases[] = {
        {"eraser keeps colours", BG, [](Surface* s, Surface*) { return tk_EraseStroke(s, 2, 10, 17, 10, 1, 0); }, 1,
         {{2, 10, 0xFF102030u}, {17, 10, 0xFF102030u}, {10, 9, BG}, {18, 10, BG}}},
        {"opaquer preview needs the image", 0xFF405060u,
         [](Surface* s, Surface*) { return tk_UneraseStroke(s, 10, 10, 0, 0, 3, 1, nullptr); }, 0, {{10, 10, 0xFF405060u}}},
        // Width 3: box (7,7)-(13,13) made opaque, the dot transparent over the image.
        {"opaquer preview", 0xFF405060u, [](Surface* s, Surface* i) { return tk_UneraseStroke(s, 10, 10, 0, 0, 3, 1, i); },
         1, {{10, 10, 0x00ABCDEFu}, {7, 7, 0x00405060u}, {13, 13, 0x00405060u}, {6, 7, 0xFF405060u}, {14, 13, 0xFF405060u}}},
        {"rectangle keeps the high byte", BG, [](Surface* s, Surface*) { return tk_Rectangle(s, 7, 6, 2, 1, 1, 0x80FF0000); },
         1, {{4, 3, 0x800000FFu}}},
        // Alpha 1 (opaque) on the left or top, alpha 2 (clear: the background stays) on
        // the right or bottom.
        {"tint rect horizontal", 0, [](Surface* s, Surface*) { return tk_TintRect(s, 0, 0, 10, 10, 1, 0xFFFFFF, 0, 255); },
         1, {{0, 5, 0x00FFFFFFu}, {10, 5, 0}, {11, 5, 0}}},
        {"tint rect vertical", 0, [](Surface* s, Surface*) { return tk_TintRect(s, 0, 0, 10, 10, 0, 0xFFFFFF, 0, 255); }, 1,
         {{5, 0, 0x00FFFFFFu}, {5, 10, 0}}},
        // Ticks 4 pixels right of (15, 12), 8 above (5, 18); the box darkened to 3/4.
        {"ruler", BG, [](Surface* s, Surface*) { return tk_RulerOverlay(s, 15, 12, 5, 18); }, 1,
         {{19, 12, 0x003FFF3Fu}, {5, 10, 0x003FFF3Fu}, {0, 0, 0x000C1824u}}},
    };
    eng_SetChecker(CHECK0, CHECK1);
    for (const auto& c : cases) {
        TestSurface t(20, 20), image(20, 20);
        FillAll(t.get(), c.bg);
        FillAll(image.get(), 0x00ABCDEFu);
        EXPECT_EQ(c.run(t.get(), image.get()), c.result) << c.name;
        for (const Px& p : c.words) EXPECT_EQ(t.at(p.x, p.y), p.word) << c.name << " at " << p.x << "," << p.y;
    }
}

// Strokes over the pattern (37 x 23) in and across its edges, with the span option
// the kernel leaves folded into the hash (the triangle kernels leave it at 1).
TEST(ToolKernels, ShapeKernelsGiveTheRecordedPixels) {
    static const TkPoint pts[4] = {{2, 2}, {33, 4}, {9, 21}, {-3, 12}};
    static const uint32_t cols[4] = {0x400000FF, 0x4000FF00, 0x40FF0000, 0x00FFFFFF};
    auto stroke = [](std::function<void(Surface*, Surface*)> f) {
        return [f]() {
            TestSurface t(37, 23), image(37, 23);
            FillPattern(t.get());
            FillAll(image.get(), 0x00ABCDEFu);
            eng_SetChecker(CHECK0, CHECK1);
            eng_SetOption(1, 0);
            f(t.get(), image.get());
            const uint32_t span = (uint32_t)eng_SpanOption();
            eng_SetOption(1, 0);
            return HashSurface(t.get()) ^ span;
        };
    };
    EXPECT_EQ(CheckGolden({
                  {"erase", 0x2AD9304Bu, stroke([](Surface* s, Surface*) { tk_EraseStroke(s, 2, 10, 40, 14, 3, 0); })},
                  {"erase preview", 0xA49C55ECu, stroke([](Surface* s, Surface*) { tk_EraseStroke(s, -2, 20, 30, 3, 6, 1); })},
                  {"unerase", 0x3CEA79BEu, stroke([](Surface* s, Surface*) { tk_UneraseStroke(s, 3, 3, 30, 25, 4, 0, nullptr); })},
                  {"unerase preview", 0x68D88E79u, stroke([](Surface* s, Surface* i) { tk_UneraseStroke(s, 35, 2, 0, 0, 5, 1, i); })},
                  {"calligraphy nib 0", 0xF309190Du, stroke([](Surface* s, Surface*) { tk_Calligraphy(s, 2, 3, 30, 19, 4, 0x0000FF, 0); })},
                  {"calligraphy nib 1", 0x91F8A4B6u, stroke([](Surface* s, Surface*) { tk_Calligraphy(s, 3, 20, 36, 2, 7, 0x00FF00, 1); })},
                  {"calligraphy capped", 0x0B47818Eu,
                   stroke([](Surface* s, Surface*) { tk_Calligraphy(s, 3, 4, 9, 6, INT_MAX, 0xFFFFFF, 1); })},
                  {"rectangle", 0x42F0B65Du, stroke([](Surface* s, Surface*) { tk_Rectangle(s, 30, 20, 2, -1, 0, 0x123456); })},
                  {"rectangle filled", 0xC08BBDB7u, stroke([](Surface* s, Surface*) { tk_Rectangle(s, 40, 2, 5, 17, 1, 0x80FF0000); })},
                  {"gradient bar", 0x7D520EEDu,
                   stroke([](Surface* s, Surface*) { tk_GradientBar(s, 30, 10, 2, 14, 6, 0x0000FF, 0xFF0000); })},
                  {"tint bar", 0x179E7FBEu, stroke([](Surface* s, Surface*) { tk_TintBar(s, 3, 2, 20, 22, 9, 0x00FF00, 10, 240); })},
                  {"tint rect", 0xF0695B1Au, stroke([](Surface* s, Surface*) { tk_TintRect(s, 3, 2, 30, 20, 1, 0xFFFFFF, 0, 255); })},
                  {"fan of two", 0xA9E1D793u, stroke([](Surface* s, Surface*) { tk_TriangleFan(s, pts, cols, 2); })},
                  {"fan of four", 0xB3C75A24u, stroke([](Surface* s, Surface*) { tk_TriangleFan(s, pts, cols, 4); })},
                  {"strip of two", 0xA9E1D792u, stroke([](Surface* s, Surface*) { tk_TriangleStrip(s, pts, cols, 2); })},
                  {"strip of four", 0xAAC29023u, stroke([](Surface* s, Surface*) { tk_TriangleStrip(s, pts, cols, 4); })},
                  {"ruler", 0xDC75AC0Fu, stroke([](Surface* s, Surface*) { tk_RulerOverlay(s, 30, 18, 6, 4); })},
              }),
              "");
}

TEST(ToolKernels, ExtremeArgumentsStaySafe) {
    // Every kernel with coordinates, sizes and levels at the ends of int: no access
    // outside the surface, no overflow, and each call ends.
    const int v[] = {INT_MIN, -100000, -1, 0, 3, 100000, INT_MAX};
    TestSurface t(7, 5);
    const TkPoint pts[3] = {{INT_MIN, 0}, {INT_MAX, INT_MAX}, {3, INT_MIN}};
    const uint32_t cols[3] = {0x80FFFFFFu, 0x12345678u, 0u};
    for (int a : v)
        for (int b : v) {
            tk_EraseStroke(t.get(), a, b, b, a, 5, a & 1);
            tk_UneraseStroke(t.get(), a, b, b, a, 5, b & 1, t.get());
            tk_Calligraphy(t.get(), a, b, b, a, INT_MAX, 0xFF, a & 1);
            tk_Spray(t.get(), a, b, 40, a, 0xFF);
            tk_Roughen(t.get(), b, a, 40, b);
            tk_Smooth(t.get(), a, b, INT_MAX);
            tk_SmoothDirectional(t.get(), b, a, INT_MAX, 1);
            tk_AlphaDab(t.get(), a, b, INT_MAX, INT_MAX, 0xFFFFFFFFu);
            tk_Rectangle(t.get(), a, b, b, a, a & 1, 0xFF);
            tk_GradientBar(t.get(), a, b, b, a, INT_MAX, 0xFF, 0xFF00);
            tk_TintBar(t.get(), a, b, b, a, INT_MAX, 0xFF, INT_MIN, INT_MAX);
            tk_TintRect(t.get(), a, b, b, a, 1, 0xFF, 0, 255);
            tk_RulerOverlay(t.get(), a, b, b, a);
            tk_Sparkle(t.get(), a, b, b, a, 0xFFFFFFFFu, INT_MAX, INT_MIN, a);
            tk_Sparkle(t.get(), 3, 2, a, b, 0xFFFFFFFFu, 0, 0, b);
        }
    EXPECT_EQ(tk_Calligraphy(t.get(), INT_MIN, INT_MAX, INT_MAX, INT_MIN, 1000, 0xFF, 0), 1);
    EXPECT_EQ(tk_Spray(t.get(), 3, 2, INT_MAX, INT_MAX, 0xFF), 1);   // capped width
    EXPECT_EQ(tk_Roughen(t.get(), 3, 2, INT_MAX, INT_MIN), 1);
    EXPECT_EQ(tk_TriangleFan(t.get(), pts, cols, 3), 1);
    EXPECT_EQ(tk_TriangleStrip(t.get(), pts, cols, 3), 1);
    eng_SetOption(1, 0);
}
