// Geometry of the view and the main window: point conversion, zoom steps, scroll
// ranges and centring, ruler ticks, the layout table and the recent-files list.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/viewgeom.h"

TEST(ViewGeom, ClientAndImagePointsRoundTripAtEveryZoom) {
    int ix, iy;
    vg_ClientToImage(4, -100, -100, 120, 120, &ix, &iy);
    EXPECT_EQ(ix, 0);
    EXPECT_EQ(iy, 0);
    for (int z = 1; z <= 64; z *= 2)
        for (int sx : {-300, -1, 0, 7, 250})
            for (int x : {0, 1, 13, 99, 4095}) {
                int cx, cy, bx, by;
                vg_ImageToClient(z, sx, -sx, x, x, &cx, &cy);
                // Every client pixel of the zoomed pixel maps back to it.
                for (int k : {0, z - 1}) {
                    vg_ClientToImage(z, sx, -sx, cx + k, cy + k, &bx, &by);
                    if (sx - 20 + cx + k >= 0) {
                        EXPECT_EQ(bx, x) << z << " " << sx;
                    }
                    if (-sx - 20 + cy + k >= 0) {
                        EXPECT_EQ(by, x) << z << " " << sx;
                    }
                }
            }
}

TEST(ViewGeom, ZoomStepsStayWithinOneTo64) {
    EXPECT_EQ(vg_NextZoom(1, 1), 2);
    EXPECT_EQ(vg_NextZoom(32, 1), 64);
    EXPECT_EQ(vg_NextZoom(64, 1), 64);
    EXPECT_EQ(vg_NextZoom(1, 2), 1);
    EXPECT_EQ(vg_NextZoom(8, 2), 4);
    EXPECT_EQ(vg_NextZoom(16, 0), 1);
    // A factor off the table snaps to its neighbours.
    EXPECT_EQ(vg_NextZoom(3, 1), 4);
    EXPECT_EQ(vg_NextZoom(3, 2), 2);
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
    EXPECT_EQ(pos, ((1 - r.min - 402 + r.max) >> 1) - 1 + r.min);
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
    int n = vg_RulerTicks(20, 1, 400, pos, longs, 256);
    ASSERT_GT(n, 40);
    // Starts a whole hundred before the image: -80, then 20, 120, 220 are long.
    EXPECT_EQ(pos[0], -80);
    for (int i = 0; i < n && i < 256; i++) {
        EXPECT_EQ(pos[i], -80 + 10 * i);
        EXPECT_EQ(longs[i], (pos[i] - 20) % 100 == 0) << pos[i];
    }
    n = vg_RulerTicks(20, 2, 400, pos, longs, 256);
    EXPECT_EQ(pos[1] - pos[0], 20);
    EXPECT_TRUE(longs[0]);
    EXPECT_TRUE(longs[10]);
    EXPECT_FALSE(longs[5]);
    // Left of the view already: the first tick is the image's first column.
    n = vg_RulerTicks(-35, 1, 100, pos, longs, 256);
    EXPECT_EQ(pos[0], -35);
    EXPECT_EQ(n, 14);
    EXPECT_EQ(vg_RulerCentre(401), ((401 - 15) >> 1) + 12);
}

TEST(ViewGeom, LayoutTable) {
    VgPlace p[VG_CHILDREN];
    vg_Layout(900, 500, p);
    EXPECT_EQ(p[VG_VIEW].x, 50);
    EXPECT_EQ(p[VG_VIEW].w, 840);
    EXPECT_EQ(p[VG_VIEW].h, 420);
    EXPECT_EQ(p[VG_QUICKPAL].w, 384);
    EXPECT_TRUE(p[VG_QUICKPAL].shown);
    EXPECT_FALSE(p[VG_LINKBAR].shown);  // 500 - 454 < 64
    EXPECT_EQ(p[VG_STATUS].y, 478);
    EXPECT_EQ(p[VG_STATUS].w, 822);
    EXPECT_EQ(p[VG_LOGO].x, 824);
    vg_Layout(531, 518, p);
    EXPECT_FALSE(p[VG_QUICKPAL].shown);  // 15 wide
    EXPECT_TRUE(p[VG_LINKBAR].shown);
    EXPECT_EQ(p[VG_LINKBAR].y, 379);
    vg_Layout(532, 517, p);
    EXPECT_TRUE(p[VG_QUICKPAL].shown);
    EXPECT_FALSE(p[VG_LINKBAR].shown);
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
    for (const char* p : {"D", "C", "B", "A"}) vg_RecentAdd(r, p);
    EXPECT_STREQ(r[0], "A");
    EXPECT_STREQ(r[3], "D");
    EXPECT_TRUE(vg_RecentAdd(r, "C"));
    EXPECT_STREQ(r[0], "C");
    EXPECT_STREQ(r[1], "A");
    EXPECT_STREQ(r[2], "B");
    EXPECT_STREQ(r[3], "D");
    EXPECT_FALSE(vg_RecentAdd(r, "C"));  // already first
    vg_RecentAdd(r, "E");
    EXPECT_STREQ(r[0], "E");
    EXPECT_STREQ(r[1], "C");
    EXPECT_STREQ(r[2], "A");
    EXPECT_STREQ(r[3], "B");
    // A path that does not fit a slot is refused rather than cut.
    EXPECT_FALSE(vg_RecentAdd(r, std::string(300, 'x').c_str()));
    EXPECT_STREQ(r[0], "E");
}

TEST(ViewGeom, RecentMenuTexts) {
    char t[300];
    EXPECT_TRUE(vg_RecentMenuText("C:\\a\\b\\averyveryverylongfilename.kv5", 1, t, sizeof t));
    EXPECT_STREQ(t, "&2 - averyveryv...lename.kv5\tCtrl+2");
    EXPECT_TRUE(vg_RecentMenuText("C:\\pic.kv5", 0, t, sizeof t));
    EXPECT_STREQ(t, "&1 - pic.kv5\tCtrl+1");
    EXPECT_FALSE(vg_RecentMenuText("ab", 3, t, sizeof t));
    EXPECT_STREQ(t, "< empty >");
}

TEST(ViewGeom, UndoAndRedoCaptions) {
    char t[64];
    vg_UndoMenuText(0, 3, t, sizeof t);
    EXPECT_STREQ(t, "&Undo Changes (1 of 3)\tCtlr+U");
    vg_UndoMenuText(1, 0, t, sizeof t);
    EXPECT_STREQ(t, "&Redo Changes\tCtlr+R");
}
