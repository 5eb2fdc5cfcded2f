// The kernels built from engine shapes: what they pass to the engine (checked
// against the engine called directly), the sizes that do nothing, and failures.
#include <gtest/gtest.h>
#include <climits>
#include <functional>
#include "document/toolkernel.h"
#include "engine/engine.h"
#include "engine/shape.h"
#include "support/test_surface.h"

namespace {

// Black opaque background with a recognisable word.
const uint32_t BG = 0x00102030u;

// True when every pixel outside (x1, y1)-(x2, y2) still holds v.
bool UntouchedOutside(TestSurface& t, int x1, int y1, int x2, int y2, uint32_t v) {
    for (int y = 0; y < (int)t->height; y++)
        for (int x = 0; x < (int)t->width; x++)
            if ((x < x1 || x > x2 || y < y1 || y > y2) && t.at(x, y) != v) return false;
    return true;
}

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

    // Sizes below 1: nothing to do, success (the dab returns 0).
    TestSurface t(8, 8);
    FillAll(t.get(), BG);
    EXPECT_EQ(tk_EraseStroke(t.get(), 0, 0, 5, 5, 0, 0) + tk_UneraseStroke(t.get(), 0, 0, 5, 5, -3, 1, nullptr) +
                  tk_Spray(t.get(), 4, 4, 0, 255, 0xFFFFFF) + tk_Roughen(t.get(), 4, 4, -1, 255) +
                  tk_Smooth(t.get(), 4, 4, 0) + tk_GradientBar(t.get(), 0, 0, 5, 5, 0, 0xFFFFFF, 0xFFFFFF) +
                  tk_TintBar(t.get(), 0, 0, 5, 5, 0, 0xFFFFFF, 0, 0),
              7);
    EXPECT_TRUE(UntouchedOutside(t, 0, 0, -1, -1, BG));
    EXPECT_EQ(tk_AlphaDab(t.get(), 4, 4, 0, 50, 0), 0);
}

// Kernels against the engine shapes they are made of, drawn directly; the colours
// arrive as pixel words (red in byte 2).
TEST(ToolKernels, DrawWhatTheEngineDrawsDirectly) {
    static const TkPoint pts[4] = {{2, 2}, {17, 4}, {9, 17}, {1, 12}};
    static const uint32_t cols[4] = {0x400000FF, 0x4000FF00, 0x40FF0000, 0x00FFFFFF};
    const uint32_t P0 = 0x40FF0000u, P1 = 0x4000FF00u, P2 = 0x400000FFu, P3 = 0x00FFFFFFu;
    typedef std::function<void(Surface*)> Draw;
    // Calligraphy: width / 2 * 2 doubled lines, k = -w/2 .. w/2 - 1 along the nib.
    auto pen = [](int x1, int y1, int x2, int y2, int kFrom, int kTo, int nib, uint32_t c) {
        return [=](Surface* s) {
            for (int k = kFrom; k <= kTo; k++) {
                const int dk = nib ? -k : k;
                drw_Line(s, x1 + k, y1 + dk, x2 + k, y2 + dk, c);
                drw_Line(s, x1 + 1 + k, y1 + dk, x2 + 1 + k, y2 + dk, c);
            }
        };
    };
    const struct {
        const char* name;
        Draw kernel, engine;
        int span;   // the span option the kernel leaves
    } cases[] = {
        {"calligraphy width 0 and 1", [](Surface* s) { tk_Calligraphy(s, 2, 3, 12, 9, 0, 0xFF, 0); tk_Calligraphy(s, 2, 3, 12, 9, 1, 0xFF, 1); },
         [](Surface*) {}, 0},
        {"calligraphy nib 0", [](Surface* s) { tk_Calligraphy(s, 2, 3, 12, 9, 2, 0x0000FF, 0); }, pen(2, 3, 12, 9, -1, 0, 0, 0x00FF0000u), 0},
        {"calligraphy nib 1", [](Surface* s) { tk_Calligraphy(s, 2, 3, 12, 9, 2, 0x0000FF, 1); }, pen(2, 3, 12, 9, -1, 0, 1, 0x00FF0000u), 0},
        {"calligraphy width capped", [](Surface* s) { tk_Calligraphy(s, 3, 4, 9, 6, INT_MAX, 0xFFFFFF, 1); },
         pen(3, 4, 9, 6, -40, 39, 1, 0x00FFFFFFu), 0},
        // A bar right to left along row 10, width 6: colour 1 on row 7, colour 2 on row 13.
        {"gradient bar", [](Surface* s) { tk_GradientBar(s, 20, 10, 2, 10, 6, 0x0000FF, 0xFF0000); },
         [](Surface* s) { drw_Quad(s, 20, 7, 2, 7, 2, 13, 20, 13, 0x00FF0000u, 0x00FF0000u, 0x000000FFu, 0x000000FFu); }, 0},
        {"tint bar", [](Surface* s) { tk_TintBar(s, 20, 10, 2, 10, 6, 0x0000FF, 0, 255); },
         [](Surface* s) { drw_QuadBlend(s, 20, 7, 2, 7, 2, 13, 20, 13, 0x00FF0000u, 0x00FF0000u, 0xFFFF0000u, 0xFFFF0000u); }, 0},
        {"fan of three", [](Surface* s) { tk_TriangleFan(s, pts, cols, 3); },
         [=](Surface* s) { drw_TriangleBlend(s, 2, 2, 17, 4, 9, 17, P0, P1, P2); }, 1},
        {"fan of four turns around point 0", [](Surface* s) { tk_TriangleFan(s, pts, cols, 4); },
         [=](Surface* s) {
             drw_TriangleBlend(s, 2, 2, 17, 4, 9, 17, P0, P1, P2);
             drw_TriangleBlend(s, 2, 2, 9, 17, 1, 12, P0, P2, P3);
         }, 1},
        {"strip of four walks the list", [](Surface* s) { tk_TriangleStrip(s, pts, cols, 4); },
         [=](Surface* s) {
             drw_TriangleBlend(s, 9, 17, 2, 2, 17, 4, P2, P0, P1);
             drw_TriangleBlend(s, 1, 12, 17, 4, 9, 17, P3, P1, P2);
         }, 1},
        // Two points: a gradient line; the strip leaves the span option alone.
        {"strip of two", [](Surface* s) { tk_TriangleStrip(s, pts, cols, 2); },
         [=](Surface* s) { drw_LineGradient(s, 2, 2, 17, 4, P0, P1); }, 0},
        {"fan of two", [](Surface* s) { tk_TriangleFan(s, pts, cols, 2); },
         [=](Surface* s) { drw_LineGradient(s, 2, 2, 17, 4, P0, P1); }, 1},
    };
    for (const auto& c : cases) {
        TestSurface t(24, 24), ref(24, 24);
        FillAll(t.get(), BG);
        FillAll(ref.get(), BG);
        eng_SetOption(1, 0);
        c.kernel(t.get());
        EXPECT_EQ(eng_SpanOption(), c.span) << c.name;
        c.engine(ref.get());   // with the span option the kernel left
        eng_SetOption(1, 0);
        EXPECT_TRUE(SameSurface(t.get(), ref.get())) << c.name;
    }
    TestSurface t(8, 8);
    EXPECT_EQ(tk_Calligraphy(t.get(), INT_MIN, INT_MAX, INT_MAX, INT_MIN, 1000, 0xFF, 0), 1);
    EXPECT_EQ(tk_TriangleFan(t.get(), pts, cols, 1), 0);
    EXPECT_EQ(tk_TriangleStrip(t.get(), pts, cols, 0), 0);
    EXPECT_EQ(tk_TriangleFan(t.get(), nullptr, cols, 3), 0);
    EXPECT_EQ(eng_SpanOption(), 0);
}

TEST(ToolEraser, MakesTheStrokeTransparentKeepingColours) {
    TestSurface t(20, 20);
    FillAll(t.get(), BG);
    EXPECT_EQ(tk_EraseStroke(t.get(), 2, 10, 17, 10, 1, 0), 1);
    EXPECT_EQ(t.at(2, 10), 0xFF102030u);
    EXPECT_EQ(t.at(17, 10), 0xFF102030u);
    EXPECT_EQ(t.at(10, 9), BG);
    EXPECT_EQ(tk_EraseStroke(t.get(), 5, 5, 5, 5, 5, 0), 1);   // thick dot
    EXPECT_EQ(t.at(5, 5) >> 24, 0xFFu);
    EXPECT_TRUE(UntouchedOutside(t, 2, 2, 17, 10, BG));

    // The preview writes the checkerboard instead.
    eng_SetChecker(0x00EBEBF5u, 0x009391BFu);
    FillAll(t.get(), BG);
    EXPECT_EQ(tk_EraseStroke(t.get(), 2, 10, 17, 10, 1, 1), 1);
    EXPECT_EQ(t.at(2, 10), eng_CheckerAt(2, 10));
    EXPECT_EQ(t.at(6, 10), eng_CheckerAt(6, 10));
}

TEST(ToolOpaquer, StrokeAndPreviewShowTheImage) {
    TestSurface t(20, 20), image(20, 20);
    FillAll(t.get(), 0xFF405060u);
    FillAll(image.get(), 0x00ABCDEFu);
    EXPECT_EQ(tk_UneraseStroke(t.get(), 3, 3, 15, 3, 3, 0, nullptr), 1);
    EXPECT_EQ(t.at(9, 3), 0x00405060u);
    EXPECT_EQ(t.at(9, 15), 0xFF405060u);

    // Preview at (10, 10) width 3: h = 3, box (7,7)-(13,13) opaque, the dot
    // transparent and filled from behind with the image.
    FillAll(t.get(), 0xFF405060u);
    EXPECT_EQ(tk_UneraseStroke(t.get(), 10, 10, 0, 0, 3, 1, nullptr), 0);
    EXPECT_EQ(t.at(10, 10), 0xFF405060u);   // refused before drawing
    EXPECT_EQ(tk_UneraseStroke(t.get(), 10, 10, 0, 0, 3, 1, image.get()), 1);
    EXPECT_EQ(t.at(10, 10), 0x00ABCDEFu);
    EXPECT_EQ(t.at(7, 7), 0x00405060u);     // corner of the box: opaque, own colour
    EXPECT_EQ(t.at(13, 13), 0x00405060u);
    EXPECT_TRUE(UntouchedOutside(t, 7, 7, 13, 13, 0xFF405060u));
}

TEST(ToolRectangle, OutlineAndFill) {
    TestSurface t(10, 10);
    FillAll(t.get(), BG);
    EXPECT_EQ(tk_Rectangle(t.get(), 7, 6, 2, 1, 0, 0x0000FF), 1);
    EXPECT_EQ(t.at(2, 6), 0x00FF0000u);
    EXPECT_EQ(t.at(4, 3), BG);
    EXPECT_TRUE(UntouchedOutside(t, 2, 1, 7, 6, BG));
    EXPECT_EQ(tk_Rectangle(t.get(), 7, 6, 2, 1, 1, 0x80FF0000), 1);
    EXPECT_EQ(t.at(4, 3), 0x800000FFu);   // COLORREF converted, high byte kept
}

TEST(ToolBars, TintedRectangleRunsFromAlphaOneToAlphaTwo) {
    TestSurface t(24, 24);
    // Tinted rectangle: alpha 1 (opaque) left or top, alpha 2 (transparent) right or bottom.
    for (int horizontal = 0; horizontal < 2; horizontal++) {
        FillAll(t.get(), 0);
        EXPECT_EQ(tk_TintRect(t.get(), 0, 0, 10, 10, horizontal, 0xFFFFFF, 0, 255), 1);
        EXPECT_EQ(t.at(horizontal ? 0 : 5, horizontal ? 5 : 0) & 0xFFFFFF, 0xFFFFFFu);
        EXPECT_EQ(t.at(horizontal ? 10 : 5, horizontal ? 5 : 10) & 0xFFFFFF, 0u);
    }
}

TEST(ToolRuler, StaysInsideTheWidenedBox) {
    TestSurface t(60, 60);
    FillAll(t.get(), BG);
    EXPECT_EQ(tk_RulerOverlay(t.get(), 40, 35, 20, 22), 1);
    EXPECT_TRUE(UntouchedOutside(t, 8, 10, 52, 47, BG));
    EXPECT_NE(t.at(8, 10), BG);                // the darkened box reaches the corner
    EXPECT_EQ(t.at(44, 35), 0x003FFF3Fu);      // tick 4 pixels right of (40, 35)
    EXPECT_EQ(t.at(20, 14), 0x003FFF3Fu);      // tick 8 pixels above (20, 22)
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
    EXPECT_EQ(tk_Spray(t.get(), 3, 2, INT_MAX, INT_MAX, 0xFF), 1);   // capped width
    EXPECT_EQ(tk_Roughen(t.get(), 3, 2, INT_MAX, INT_MIN), 1);
    EXPECT_EQ(tk_TriangleFan(t.get(), pts, cols, 3), 1);
    EXPECT_EQ(tk_TriangleStrip(t.get(), pts, cols, 3), 1);
    eng_SetOption(1, 0);
}
