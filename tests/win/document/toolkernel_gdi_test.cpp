// The tool kernels that draw through GDI, checked by properties of their images:
// the curve passes through its points, the marquee stays in its box, the fitted
// surface is the measured text + 32, text art colours, aligns, shapes and outlines.
// Also: the tools' random sequence is the C runtime's.
#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>
#include "document/overlay.h"
#include "document/random.h"
#include "document/textart.h"
#include "document/toolkernel_win32.h"
#include "engine/shape.h"
#include "engine/surface_win32.h"
#include "support/test_surface.h"

namespace {

void Fill(TestSurface& t, uint32_t v) {
    for (uint32_t y = 0; y < t->height; y++)
        for (uint32_t x = 0; x < t->width; x++) t.at(x, y) = v;
}

// Bounding box of the pixels for which pred holds; left > right when none.
template <class Pred>
RECT BoxOf(TestSurface& t, Pred pred) {
    RECT r = {LONG_MAX, LONG_MAX, -1, -1};
    for (int y = 0; y < (int)t->height; y++)
        for (int x = 0; x < (int)t->width; x++)
            if (pred(t.at(x, y))) {
                if (x < r.left) r.left = x;
                if (x > r.right) r.right = x;
                if (y < r.top) r.top = y;
                if (y > r.bottom) r.bottom = y;
            }
    return r;
}

bool Opaque(uint32_t p) { return (p >> 24) == 0; }

// The text as the kernels measure it: 24 points at 96 dpi, unsmoothed.
RECT Measure(const char* text, const char* face, int size, int flags, int width, int height) {
    HDC dc = CreateCompatibleDC(nullptr);
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof lf);
    lf.lfHeight = -MulDiv(size, 96, 72);
    lf.lfWeight = (flags & 1) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (flags & 2) != 0;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = NONANTIALIASED_QUALITY;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    HFONT font = CreateFontIndirectA(&lf);
    HGDIOBJ old = SelectObject(dc, font);
    RECT r = {0, 0, width, height};
    DrawTextA(dc, text, -1, &r, DT_CALCRECT | DT_EXPANDTABS | DT_WORDBREAK | ((flags & 16) ? DT_CENTER : 0));
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    return r;
}

// GDI draws into the surface while the test keeps it locked: the pixels stay put.
int Render(TestSurface& t, const char* text, int flags, int style, int level, int border, int antialias,
           const char* face = "Arial") {
    return tk_RenderTextArt(t.get(), text, face, 24, flags, style, level, 0x0000FF, 0xFF0000, border, antialias);
}

}  // namespace

TEST(ToolRandom, SameSequenceAsTheCRuntime) {
    for (unsigned seed : {1u, 2u, 12345u, 0xFFFFFFFFu}) {
        srand(seed);
        rnd_Seed(seed);
        for (int i = 0; i < 2000; i++) ASSERT_EQ(rnd_Next(), rand()) << "seed " << seed << " value " << i;
    }
}

TEST(ToolCurve, PassesThroughItsPointsAndReportsItsBox) {
    TestSurface t(200, 100);
    Fill(t, 0x00FFFFFFu);
    const TkPoint pts[4] = {{10, 10}, {60, 80}, {110, 15}, {180, 70}};
    RECT bounds;
    HRGN region = nullptr;
    ASSERT_EQ(tk_SmoothCurve(t.get(), pts, 4, 0x000000FF, 1, &bounds, &region, 1), 1);
    ASSERT_NE(region, nullptr);
    RECT box;
    GetRgnBox(region, &box);
    EXPECT_EQ(bounds.left, box.left - 51);
    EXPECT_EQ(bounds.bottom, box.bottom + 51);
    DeleteObject(region);
    // Every set point has curve pixels (red, opaque) within one pixel of it.
    for (const TkPoint& p : pts) {
        int hits = 0;
        for (int dy = -1; dy <= 1; dy++)
            for (int dx = -1; dx <= 1; dx++)
                if (t.at(p.x + dx, p.y + dy) == 0x00FF0000u) hits++;
        EXPECT_GT(hits, 0) << p.x << "," << p.y;
        EXPECT_GE(p.x, bounds.left);
        EXPECT_LE(p.x, bounds.right);
        EXPECT_GE(p.y, bounds.top);
        EXPECT_LE(p.y, bounds.bottom);
    }
    // A spline, not a polyline: the midpoint of the first chord is off the curve.
    EXPECT_NE(t.at(35, 45), 0x00FF0000u);
}

TEST(ToolCurve, OutputsOnlyWhenAskedAndEmptyListDoesNothing) {
    TestSurface t(120, 80), ref(120, 80);
    Fill(t, 0x00FFFFFFu);
    Fill(ref, 0x00FFFFFFu);
    const TkPoint pts[3] = {{10, 10}, {60, 70}, {110, 20}};
    RECT bounds;
    HRGN region = (HRGN)1;
    EXPECT_EQ(tk_SmoothCurve(t.get(), pts, 0, 0xFF, 1, &bounds, &region, 1), 0);
    EXPECT_EQ(region, nullptr);
    EXPECT_EQ(tk_SmoothCurve(t.get(), pts, 3, 0xFF, 3, &bounds, nullptr, 0), 1);   // box only
    EXPECT_TRUE(SameSurface(t.get(), ref.get()));
    EXPECT_LE(bounds.left, 10 - 50);
    // A straight two-point curve encloses nothing: no region, the box still covers it.
    const TkPoint line[2] = {{20, 30}, {90, 30}};
    EXPECT_EQ(tk_SmoothCurve(t.get(), line, 2, TK_CURVE_PREVIEW, 5, &bounds, &region, 1), 1);
    EXPECT_EQ(region, nullptr);
    EXPECT_LE(bounds.left, 20 - 51);
    EXPECT_GE(bounds.right, 90 + 51);
    EXPECT_LE(bounds.top, 30 - 51);
    // The dotted preview pen leaves gaps along the line.
    int black = 0;
    for (int x = 21; x < 89; x++) black += t.at(x, 30) == 0u;
    EXPECT_GT(black, 10);
    EXPECT_LT(black, 68);
}

TEST(ToolMarquee, OnlyTouchesTheEllipseBox) {
    TestSurface t(60, 60);
    Fill(t, 0x00808080u);
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

TEST(ToolFitText, SurfaceBecomesTheMeasuredTextPlus32) {
    const char* text = "one two three four five six seven eight nine ten";
    for (int flags : {0, 1, 16 | 2}) {
        TestSurface t(160, 40);
        srf_Unlock(t.get());
        RECT bounds = {5, 7, 0, 0};
        ASSERT_EQ(tk_FitTextSurface(t.get(), text, "Arial", 24, flags, &bounds), 1);
        RECT m = Measure(text, "Arial", 24, flags, 160, 40);
        srf_Lock(t.get());
        EXPECT_EQ((int)t->width, m.right - m.left + 32) << flags;
        EXPECT_EQ((int)t->height, m.bottom - m.top + 32) << flags;
        EXPECT_GT(m.bottom - m.top, 40);   // wrapped into several lines
        EXPECT_EQ(bounds.right, 5 + (int)t->width - 1);
        EXPECT_EQ(bounds.bottom, 7 + (int)t->height - 1);
    }
}

TEST(ToolTextArt, StyleZeroIsColouredTextOnTransparentBackground) {
    TestSurface t(220, 60), again(220, 60);
    ASSERT_EQ(Render(t, "Kelvara", 1, 0, 50, 0, 0), 1);
    int text = 0;
    for (int y = 0; y < 60; y++)
        for (int x = 0; x < 220; x++) {
            uint32_t p = t.at(x, y);
            ASSERT_TRUE(p == 0x00FF0000u || p == 0xFFFF0000u) << std::hex << p;
            text += p == 0x00FF0000u;
        }
    EXPECT_GT(text, 100);
    // The same text renders the same way again.
    ASSERT_EQ(Render(again, "Kelvara", 1, 0, 50, 0, 0), 1);
    EXPECT_TRUE(SameSurface(t.get(), again.get()));
    // A missing face is substituted, not an error.
    ASSERT_EQ(Render(again, "Kelvara", 1, 0, 50, 0, 0, "No Such Face At All"), 1);
    EXPECT_GE(BoxOf(again, Opaque).right, 0);
    // No surface, no text art.
    Surface none{};
    EXPECT_EQ(tk_RenderTextArt(&none, "x", "Arial", 24, 0, 0, 50, 0, 0, 0, 0), 0);
}

TEST(ToolTextArt, AlignmentFlags) {
    TestSurface t(300, 50);
    ASSERT_EQ(Render(t, "Kel", 0, 0, 50, 0, 0), 1);
    RECT left = BoxOf(t, Opaque);
    ASSERT_EQ(Render(t, "Kel", 16, 0, 50, 0, 0), 1);
    RECT centre = BoxOf(t, Opaque);
    ASSERT_EQ(Render(t, "Kel", 64, 0, 50, 0, 0), 1);
    RECT right = BoxOf(t, Opaque);
    ASSERT_EQ(Render(t, "Kel", 16 | 64, 0, 50, 0, 0), 1);   // centre wins
    RECT both = BoxOf(t, Opaque);
    EXPECT_LT(left.left, 10);
    EXPECT_GT(right.right, 285);
    EXPECT_LT(std::abs((centre.left + centre.right) / 2 - 150), 8);
    EXPECT_EQ(both.left, centre.left);
}

TEST(ToolTextArt, EveryStyleKeepsTheTextInside) {
    TestSurface plain(160, 80), t(160, 80);
    ASSERT_EQ(Render(plain, "Art", 1, 0, 50, 0, 0), 1);
    RECT whole = BoxOf(plain, Opaque);
    for (int style = 1; style <= 14; style++)
        for (int level : {0, 50, 100}) {   // clamped to 10..90
            ASSERT_EQ(Render(t, "Art", 1, style, level, 0, 0), 1);
            RECT box = BoxOf(t, Opaque);
            ASSERT_GE(box.right, 0) << "style " << style << " level " << level;
            // Squeezing moves text only toward the shape's inside: columns keep
            // their text in the same column, rows in the same row.
            if (style <= 6 || style >= 13) {
                EXPECT_GE(box.left, whole.left) << style;
                EXPECT_LE(box.right, whole.right) << style;
            } else {
                EXPECT_GE(box.top, whole.top) << style;
                EXPECT_LE(box.bottom, whole.bottom) << style;
            }
        }
}

TEST(ToolTextArt, GradientBorderAndAntialiasing) {
    TestSurface t(200, 60);
    ASSERT_EQ(Render(t, "Kelvara", 1 | 32, 0, 50, 0, 0), 1);
    RECT box = BoxOf(t, Opaque);
    // Red (colour 1) on the first text row, blue (colour 2) on the last.
    for (int x = 0; x < 200; x++) {
        if (Opaque(t.at(x, box.top))) {
            EXPECT_EQ(t.at(x, box.top), 0x00FF0000u);
        }
        if (Opaque(t.at(x, box.bottom))) {
            EXPECT_EQ(t.at(x, box.bottom), 0x000000FFu);
        }
    }

    // Border 16: white outline; the letters' insides keep their colour.
    ASSERT_EQ(Render(t, "Kelvara", 1 | 16, 0, 50, 16, 0), 1);
    int white = 0, red = 0;
    for (int y = 1; y < 59; y++)
        for (int x = 1; x < 199; x++) {
            uint32_t p = t.at(x, y);
            white += p == 0x00FFFFFFu;
            red += p == 0x00FF0000u;
            if (!Opaque(p)) {
                EXPECT_EQ(p, 0xFFFFFFFFu);
            }
            // Every red pixel has opaque neighbours on all four sides.
            if (p == 0x00FF0000u) {
                EXPECT_TRUE(Opaque(t.at(x - 1, y)) && Opaque(t.at(x + 1, y)) && Opaque(t.at(x, y - 1)) &&
                            Opaque(t.at(x, y + 1)));
            }
        }
    EXPECT_GT(white, 50);
    EXPECT_GT(red, 0);

    // Edge antialiasing from 5 on softens the alpha steps; 4 does nothing.
    TestSurface hard(200, 60), soft(200, 60);
    ASSERT_EQ(Render(hard, "Kelvara", 1, 0, 50, 0, 4), 1);
    ASSERT_EQ(Render(t, "Kelvara", 1, 0, 50, 0, 0), 1);
    EXPECT_TRUE(SameSurface(hard.get(), t.get()));
    ASSERT_EQ(Render(soft, "Kelvara", 1, 0, 50, 0, 255), 1);
    int between = 0;
    for (int y = 0; y < 60; y++)
        for (int x = 0; x < 200; x++) {
            uint32_t a = soft.at(x, y) >> 24;
            between += a != 0 && a != 255;
        }
    EXPECT_GT(between, 0);
}

TEST(ToolOverlay, ClearEmptiesTheRecordAndRepaintsTheView) {
    ViewOverlay* o = ovl_Record();
    o->words[0] = 1;
    o->words[1] = 2;
    o->words[2] = 3;
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
