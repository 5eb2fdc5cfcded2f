// The tool kernels that draw through GDI, checked by properties of their images:
// the curve passes through its points, the marquee stays in its box, the fitted
// surface is the text's lines + 32, text art colours, aligns, shapes, outlines and
// softens.
#include <gtest/gtest.h>
#include <algorithm>
#include "document/overlay.h"
#include "document/toolkernel_win32.h"
#include "engine/surface_win32.h"
#include "support/test_surface.h"

namespace {

// Bounding box of the pixels for which pred holds; left > right when none.
template <class Pred>
RECT BoxOf(TestSurface& t, Pred pred) {
    RECT r = {LONG_MAX, LONG_MAX, -1, -1};
    const LONG w = (LONG)t->width;
    for (LONG i = 0; i < w * (LONG)t->height; i++)
        if (pred(t.at(i % w, i / w)))
            r = {std::min(r.left, i % w), std::min(r.top, i / w), std::max(r.right, i % w), std::max(r.bottom, i / w)};
    return r;
}

bool Opaque(uint32_t p) { return (p >> 24) == 0; }

// GDI draws into the surface while the test keeps it locked: the pixels stay put.
int Render(TestSurface& t, const char* text, int flags, int style, int level, int border, int antialias,
           const char* face = "Arial") {
    return tk_RenderTextArt(t.get(), text, face, 24, flags, style, level, 0x0000FF, 0xFF0000, border, antialias);
}

}  // namespace

TEST(ToolCurve, PassesThroughItsPointsAndReportsItsBox) {
    TestSurface t(200, 100);
    FillAll(t.get(), 0x00FFFFFFu);
    const TkPoint pts[4] = {{10, 10}, {60, 80}, {110, 15}, {180, 70}};
    RECT bounds, box;
    HRGN region = (HRGN)1;
    EXPECT_EQ(tk_SmoothCurve(t.get(), pts, 0, 0xFF, 1, &bounds, &region, 1), 0);   // no points
    EXPECT_EQ(region, nullptr);
    EXPECT_EQ(tk_SmoothCurve(t.get(), pts, 3, 0xFF, 3, &bounds, nullptr, 0), 1);   // the box only
    EXPECT_EQ(WordsOf(t.get()), std::vector<uint32_t>(200 * 100, 0x00FFFFFFu));
    EXPECT_LE(bounds.left, 10 - 50);
    ASSERT_EQ(tk_SmoothCurve(t.get(), pts, 4, 0x000000FF, 1, &bounds, &region, 1), 1);
    ASSERT_NE(region, nullptr);
    GetRgnBox(region, &box);
    EXPECT_EQ(bounds.left, box.left - 51);   // widened by 50 + the pen
    EXPECT_EQ(bounds.bottom, box.bottom + 51);
    DeleteObject(region);
    // Every point has curve pixels (red, opaque) within one pixel of it.
    for (const TkPoint& p : pts) {
        int hits = 0;
        for (int i = 0; i < 9; i++) hits += t.at(p.x + i % 3 - 1, p.y + i / 3 - 1) == 0x00FF0000u;
        EXPECT_GT(hits, 0) << p.x << "," << p.y;
    }
    EXPECT_NE(t.at(35, 45), 0x00FF0000u);   // a spline, not a polyline: off the first chord
    // A straight two-point curve encloses nothing; the dotted preview pen leaves gaps.
    const TkPoint line[2] = {{20, 30}, {90, 30}};
    FillAll(t.get(), 0x00FFFFFFu);
    EXPECT_EQ(tk_SmoothCurve(t.get(), line, 2, TK_CURVE_PREVIEW, 5, &bounds, &region, 1), 1);
    EXPECT_EQ(region, nullptr);
    EXPECT_LE(bounds.left, 20 - 51);
    EXPECT_GE(bounds.right, 90 + 51);
    int black = 0;
    for (int x = 21; x < 89; x++) black += t.at(x, 30) == 0u;
    EXPECT_GT(black, 10);
    EXPECT_LT(black, 68);
}

TEST(ToolMarquee, OnlyTouchesTheEllipseBox) {
    TestSurface t(60, 60);
    FillAll(t.get(), 0x00808080u);
    ASSERT_EQ(tk_EllipseMarquee(t.get(), 10, 15, 40, 50), 1);
    RECT changed = BoxOf(t, [](uint32_t p) { return p != 0x00808080u; });
    // The engine's filled ellipse truncates its left ends toward zero: its widest
    // row starts at trunc(25 - 15.49) = 9, one column before the box.
    EXPECT_GE(changed.left, 9);
    EXPECT_GE(changed.top, 15);
    EXPECT_LE(changed.right, 40);
    EXPECT_LE(changed.bottom, 50);
    EXPECT_NE(t.at(25, 32), 0x00808080u);   // the inside shows the checkerboard
    EXPECT_EQ(t.at(11, 16), 0x00808080u);   // the box's corner lies outside the ellipse
}

// The text measured + 32: wrapped to the surface's width (160) it takes a whole number
// of lines, each as high as the single line it makes on a wide surface.
TEST(ToolFitText, SurfaceBecomesTheMeasuredTextPlus32) {
    const char* text = "one two three four five six seven eight nine ten";
    for (int flags : {0, 1, 16 | 2}) {
        int size[2][2];
        for (int wide = 0; wide < 2; wide++) {
            TestSurface t(wide ? 4000 : 160, 40);
            srf_Unlock(t.get());
            RECT bounds = {5, 7, 0, 0};
            ASSERT_EQ(tk_FitTextSurface(t.get(), text, "Arial", 24, flags, &bounds), 1);
            srf_Lock(t.get());
            size[wide][0] = (int)t->width - 32, size[wide][1] = (int)t->height - 32;
            EXPECT_EQ(bounds.right, 5 + (int)t->width - 1);
            EXPECT_EQ(bounds.bottom, 7 + (int)t->height - 1);
        }
        EXPECT_LE(size[0][0], 160) << flags;
        EXPECT_GT(size[1][0], 160) << flags;
        EXPECT_GE(size[0][1], 2 * size[1][1]) << flags;
        EXPECT_EQ(size[0][1] % size[1][1], 0) << flags;
    }
}

// Text art through GDI: coloured text on a clear background, the same each time, any
// face; alignment; a shape squeezes inside the plain text's box; the gradient, border
// and softened edges reach the rendered pixels.
TEST(ToolTextArt, RenderedThroughGdi) {
    TestSurface t(300, 60), again(300, 60);
    ASSERT_EQ(Render(t, "Kelvara", 1, 0, 50, 0, 0), 1);
    int text = 0;
    for (uint32_t p : WordsOf(t.get())) {
        ASSERT_TRUE(p == 0x00FF0000u || p == 0xFFFF0000u) << std::hex << p;
        text += p == 0x00FF0000u;
    }
    EXPECT_GT(text, 100);
    ASSERT_EQ(Render(again, "Kelvara", 1, 0, 50, 0, 0), 1);
    EXPECT_TRUE(SameSurface(t.get(), again.get()));
    ASSERT_EQ(Render(again, "Kelvara", 1, 0, 50, 0, 0, "No Such Face At All"), 1);   // substituted
    EXPECT_GE(BoxOf(again, Opaque).right, 0);
    Surface none{};
    EXPECT_EQ(tk_RenderTextArt(&none, "x", "Arial", 24, 0, 0, 50, 0, 0, 0, 0), 0);
    // Left, centre, right; centre wins over right.
    RECT box[4];
    const int align[4] = {0, 16, 64, 16 | 64};
    for (int i = 0; i < 4; i++) {
        ASSERT_EQ(Render(t, "Kel", align[i], 0, 50, 0, 0), 1);
        box[i] = BoxOf(t, Opaque);
    }
    EXPECT_LT(box[0].left, 10);
    EXPECT_LT(std::abs((box[1].left + box[1].right) / 2 - 150), 8);
    EXPECT_GT(box[2].right, 285);
    EXPECT_EQ(box[3].left, box[1].left);
    // A shape reaches the pixels (the shapes themselves are pinned natively).
    ASSERT_EQ(Render(t, "Art", 1, 0, 50, 0, 0), 1);
    ASSERT_EQ(Render(again, "Art", 1, 1, 100, 0, 0), 1);
    EXPECT_FALSE(SameSurface(t.get(), again.get()));
    // Gradient: red (colour 1) on the first text row, blue on the last.
    ASSERT_EQ(Render(t, "Kelvara", 1 | 32, 0, 50, 0, 0), 1);
    const RECT g = BoxOf(t, Opaque);
    for (int x = g.left; x <= g.right; x++) {
        EXPECT_TRUE(!Opaque(t.at(x, g.top)) || t.at(x, g.top) == 0x00FF0000u) << x;
        EXPECT_TRUE(!Opaque(t.at(x, g.bottom)) || t.at(x, g.bottom) == 0x000000FFu) << x;
    }
    // Border 16: a white outline (its shape is pinned natively).
    ASSERT_EQ(Render(t, "Kelvara", 1 | 16, 0, 50, 16, 0), 1);
    const std::vector<uint32_t> outlined = WordsOf(t.get());
    EXPECT_GT(std::count(outlined.begin(), outlined.end(), 0x00FFFFFFu), 50);
    // Edge antialiasing from 5 on softens the alpha steps; 4 does nothing.
    ASSERT_EQ(Render(t, "Kelvara", 1, 0, 50, 0, 0), 1);
    ASSERT_EQ(Render(again, "Kelvara", 1, 0, 50, 0, 4), 1);
    EXPECT_TRUE(SameSurface(t.get(), again.get()));
    ASSERT_EQ(Render(again, "Kelvara", 1, 0, 50, 0, 255), 1);
    int between = 0;
    for (uint32_t p : WordsOf(again.get())) between += (p >> 24) != 0 && (p >> 24) != 255;
    EXPECT_GT(between, 0);
}

TEST(ToolOverlay, ClearEmptiesTheRecordAndRepaintsTheView) {
    ViewOverlay* o = ovl_Record();
    o->words[0] = 1, o->words[1] = 2, o->words[2] = 3;
    ovl_SetView(nullptr);
    EXPECT_EQ(tk_ClearOverlay(), 1);
    EXPECT_EQ(o->words[0] | o->words[1] | o->words[2], 0u);
    HWND view = CreateWindowExA(0, "STATIC", "view", WS_POPUP | WS_VISIBLE, 0, 0, 120, 80, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(view, nullptr);
    UpdateWindow(view);
    RECT dirty;
    EXPECT_FALSE(GetUpdateRect(view, &dirty, FALSE));
    ovl_SetView(view);
    o->words[1] = 7;
    EXPECT_EQ(tk_ClearOverlay(), 1);
    EXPECT_EQ(o->words[1], 0u);
    EXPECT_TRUE(GetUpdateRect(view, &dirty, FALSE));
    ovl_SetView(nullptr);
    DestroyWindow(view);
}
