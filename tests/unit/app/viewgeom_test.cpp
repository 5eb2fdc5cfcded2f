// Geometry of the view and the main window: point conversion, zoom steps, scroll
// ranges and centring, ruler ticks, the layout table and the recent-files list.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/viewgeom.h"
#include "platform/dpi.h"

// At every DPI the image keeps one screen pixel per image pixel at zoom 1; only the
// margin for the rulers grows.
TEST(ViewGeom, ClientAndImagePointsRoundTripAtEveryZoomAndDpi) {
    const struct {
        int dpi, zoom, cx, image;  // scroll -100: client cx lies on image pixel `image`
    } points[] = {{96, 4, 120, 0}, {144, 1, 130, 0}, {144, 1, 131, 1}, {192, 2, 141, 0}, {192, 2, 142, 1}};
    for (const auto& p : points) {
        dpi_Set(p.dpi);
        int ix, iy;
        vg_ClientToImage(p.zoom, -100, -100, p.cx, p.cx, &ix, &iy);
        EXPECT_EQ(ix, p.image) << p.dpi << " dpi, zoom " << p.zoom << ", client " << p.cx;
        EXPECT_EQ(iy, p.image) << p.dpi << " dpi, zoom " << p.zoom << ", client " << p.cx;
    }
    for (int dpi : {96, 144, 192}) {
        dpi_Set(dpi);
        for (int z : {-16, -8, -4, -2, 1, 2, 4, 8, 16, 32, 64})
            for (int sx : {-300, -1, 0, 7, 250})
                for (int x : {0, 1, 13, 99, 4095}) {
                    int cx, cy, bx, by, s = vg_Shrink(z);
                    vg_ImageToClient(z, sx, -sx, x, x, &cx, &cy);
                    // Every client pixel of the zoomed pixel maps back to it; below 1 the
                    // client pixel of a block maps to the block's first pixel.
                    for (int k : {0, vg_Cell(z) - 1}) {
                        vg_ClientToImage(z, sx, -sx, cx + k, cy + k, &bx, &by);
                        if (sx - vg_Margin() + cx + k >= 0) {
                            EXPECT_EQ(bx, x / s * s) << dpi << " dpi, zoom " << z << " " << sx;
                        }
                        if (-sx - vg_Margin() + cy + k >= 0) {
                            EXPECT_EQ(by, x / s * s) << dpi << " dpi, zoom " << z << " " << sx;
                        }
                    }
                }
    }
    dpi_Set(96);
}

TEST(ViewGeom, ZoomStepsAndFitStayWithinOneSixteenthTo64) {
    // {factor, direction (1 in, 2 out, 0 reset), next}; factors off the table snap.
    const int cases[][3] = {{1, 1, 2},   {32, 1, 64},  {64, 1, 64}, {1, 2, -2}, {-2, 1, 1},  {-16, 2, -16},
                            {-16, 1, -8}, {-4, 0, 1}, {8, 2, 4},   {16, 0, 1}, {3, 1, 4},  {3, 2, 2}};
    for (const auto& c : cases) EXPECT_EQ(vg_NextZoom(c[0], c[1]), c[2]) << c[0] << " " << c[1];
    // {image w, h, client w, h, fitting zoom}: the image and a margin each side fit.
    const int fits[][5] = {{2560, 1600, 740, 520, -4}, {640, 480, 680, 520, 1}, {641, 480, 680, 520, -2},
                           {100, 60, 740, 520, 4},     {8192, 8192, 300, 300, -16}};
    for (const auto& f : fits) EXPECT_EQ(vg_FitZoom(f[0], f[1], f[2], f[3]), f[4]) << f[0] << " in " << f[2];
    // A partial block at the end still takes a client pixel.
    EXPECT_EQ(vg_ScrollRange(-4, 2561, 401).max, 641 + 201);
}

TEST(ViewGeom, ScrollRangeAndCentring) {
    VgScroll r = vg_ScrollRange(1, 640, 401);
    EXPECT_EQ(r.page, 402);
    EXPECT_EQ(r.half, 201);
    EXPECT_EQ(r.min, -201);
    EXPECT_EQ(r.max, 640 + 201);
    int pos;
    vg_Centre(1, &r, &pos);
    EXPECT_EQ(r.min, 31 - 201);
    EXPECT_EQ(pos, 134);
    // The image's middle then lies near the view's middle.
    int left = 20 - pos, right = left + 640;
    EXPECT_NEAR((left + right) / 2, 401 / 2, 16);
    EXPECT_EQ(vg_ScrollFloor(r), 31 - 201);
    // Tiny images at low zoom still get a position inside the range.
    VgScroll t = vg_ScrollRange(1, 4, 800);
    vg_Centre(1, &t, &pos);
    EXPECT_GE(pos, t.min);
    EXPECT_LE(pos, t.max);
}

TEST(ViewGeom, RulerTicksEveryTenAndHundredImagePixels) {
    int pos[256], longs[256];
    // Zoom 1: from a whole hundred before the image (-80), every 10; long at -80, 20, 120...
    EXPECT_GT(vg_RulerTicks(20, 1, 400, pos, longs, 256), 40);
    EXPECT_EQ((std::vector<int>{pos[0], pos[1], pos[10]}), (std::vector<int>{-80, -70, 20}));
    EXPECT_EQ((std::vector<int>{longs[0], longs[5], longs[10]}), (std::vector<int>{1, 0, 1}));
    // Zoom 2: every 20 screen pixels, the same image columns long.
    vg_RulerTicks(20, 2, 400, pos, longs, 256);
    EXPECT_EQ(pos[1] - pos[0], 20);
    EXPECT_EQ((std::vector<int>{longs[0], longs[5], longs[10]}), (std::vector<int>{1, 0, 1}));
    // Below 1: every 10 client pixels (40 image pixels at 1/4), each 1 pixel wide.
    vg_RulerTicks(20, -4, 400, pos, longs, 256);
    EXPECT_EQ((std::vector<int>{pos[1] - pos[0], longs[10]}), (std::vector<int>{10, 1}));
    // Left of the view already: the first tick is the image's first column.
    EXPECT_EQ(vg_RulerTicks(-35, 1, 100, pos, longs, 256), 14);
    EXPECT_EQ(pos[0], -35);
    EXPECT_EQ(vg_RulerCentre(401), 205);
}

TEST(ViewGeom, LayoutTable) {
    const struct {
        int dpi, w, h, child, x, y, cw, ch;
        bool shown;
    } cases[] = {
        {96, 900, 500, VG_VIEW, 50, 10, 840, 420, true},   {96, 900, 500, VG_QUICKPAL, 506, 434, 384, -1, true},
        {96, 900, 500, VG_LINKBAR, -1, -1, -1, -1, false},  // 500 - 454 < 64
        {96, 900, 500, VG_STATUS, -1, 478, 822, -1, true},  {96, 900, 500, VG_LOGO, 824, -1, -1, -1, true},
        {96, 531, 518, VG_QUICKPAL, -1, -1, -1, -1, false},  // 15 wide
        {96, 531, 518, VG_LINKBAR, -1, 379, -1, -1, true},  {96, 532, 517, VG_QUICKPAL, -1, -1, -1, -1, true},
        {96, 532, 517, VG_LINKBAR, -1, -1, -1, -1, false},
        // At 144 and 192 DPI every size and gap is scaled, the client size is not.
        {144, 1350, 750, VG_VIEW, 75, 15, 1260, 630, true}, {144, 1350, 750, VG_TOOLBAR, 8, 15, 60, 546, true},
        {144, 1350, 750, VG_COLORBAR, 8, 651, 750, 60, true}, {144, 1350, 750, VG_STATUS, 0, 717, 1233, 33, true},
        {192, 1800, 1000, VG_QUICKPAL, 1012, 868, 768, 80, true}, {192, 1800, 1000, VG_LINKBAR, -1, -1, -1, -1, false},
        {192, 1062, 1036, VG_LINKBAR, 10, 758, 80, 128, true}, {192, 1062, 1036, VG_QUICKPAL, -1, -1, -1, -1, false},
    };
    for (const auto& c : cases) {
        dpi_Set(c.dpi);
        VgPlace p[VG_CHILDREN];
        vg_Layout(c.w, c.h, p);
        const VgPlace& g = p[c.child];
        EXPECT_EQ(g.shown != 0, c.shown) << c.dpi << " dpi, " << c.w << "x" << c.h << " child " << c.child;
        for (auto [got, want] : {std::pair{g.x, c.x}, {g.y, c.y}, {g.w, c.cw}, {g.h, c.ch}})
            if (want >= 0) EXPECT_EQ(got, want) << c.dpi << " dpi, " << c.w << "x" << c.h << " child " << c.child;
    }
    dpi_Set(96);
}

TEST(ViewGeom, ZoomBufferIsReusedWithinOneToSixQuarters) {
    int w, h;
    vg_ZoomBufferSize(400, 300, &w, &h);
    EXPECT_TRUE(vg_ZoomBufferFits(w, h, 400, 300));
    EXPECT_TRUE(vg_ZoomBufferFits(w, h, w, h));
    EXPECT_FALSE(vg_ZoomBufferFits(w, h, w + 1, h));
    EXPECT_TRUE(vg_ZoomBufferFits(600, 450, 400, 300));
    EXPECT_FALSE(vg_ZoomBufferFits(601, 450, 400, 300));
}

TEST(ViewGeom, RecentListOrder) {
    char r[4][256];
    std::memset(r, 0, sizeof r);
    auto order = [&] { return std::string(r[0]) + r[1] + r[2] + r[3]; };
    for (const char* p : {"D", "C", "B", "A"}) vg_RecentAdd(r, p);
    EXPECT_EQ(order(), "ABCD");
    EXPECT_TRUE(vg_RecentAdd(r, "C"));
    EXPECT_EQ(order(), "CABD");
    EXPECT_FALSE(vg_RecentAdd(r, "C"));  // already first
    vg_RecentAdd(r, "E");
    EXPECT_EQ(order(), "ECAB");
    // A path that does not fit a slot is refused rather than cut.
    EXPECT_FALSE(vg_RecentAdd(r, std::string(300, 'x').c_str()));
    EXPECT_EQ(order(), "ECAB");
}

TEST(ViewGeom, RecentMenuTexts) {
    char t[300];
    EXPECT_TRUE(vg_RecentMenuText("C:\\a\\b\\averyveryverylongfilename.kv5", 1, t, sizeof t));
    EXPECT_STREQ(t, "&2 - averyveryv...lename.kv5\tCtrl+2");   // more entries: Title.ShortenedNameRules
    EXPECT_FALSE(vg_RecentMenuText("ab", 3, t, sizeof t));
    EXPECT_STREQ(t, "< empty >");
}

TEST(ViewGeom, UndoAndRedoCaptions) {
    char t[64];
    vg_UndoMenuText(0, 3, t, sizeof t);
    EXPECT_STREQ(t, "&Undo Changes (1 of 3)\tCtlr+U or Ctrl+Z");
    vg_UndoMenuText(1, 0, t, sizeof t);
    EXPECT_STREQ(t, "&Redo Changes\tCtlr+R or Ctrl+Y");
}
