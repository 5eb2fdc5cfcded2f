// Surfaces as DIB sections: GDI and the engine see the same memory, bitmap import
// (alpha, large bitmaps), self-repair of a broken record, region masks, palettes
// and the highlight animations restoring the screen.
#include <gtest/gtest.h>
#include <cstring>
#include <random>
#include "engine/anim_win32.h"
#include "engine/color.h"
#include "engine/engine.h"
#include "engine/shape.h"
#include "engine/surface_win32.h"
#include "support/test_surface.h"

namespace {
// A 24-bit DIB section filled with a pattern that depends on x and y.
HBITMAP Make24BitBitmap(int w, int h, bool pattern) {
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bmp && pattern) {
        int rowBytes = (w * 3 + 3) & ~3;
        for (int y = 0; y < h; y++) {
            uint8_t* row = (uint8_t*)bits + (size_t)y * rowBytes;
            for (int x = 0; x < w; x++) {
                row[x * 3 + 0] = (uint8_t)(x * 7);
                row[x * 3 + 1] = (uint8_t)(y * 5);
                row[x * 3 + 2] = (uint8_t)(x ^ y);
            }
        }
    }
    return bmp;
}
}  // namespace

TEST(SurfaceGdi, TextDrawnThroughTheDcLandsInTheEnginePixels) {
    TestSurface t(96, 40);
    drw_FillRect(t.get(), 0, 0, 95, 39, 0x00FFFFFFu);
    srf_Unlock(t.get());
    HDC dc;
    ASSERT_NE(srf_GetDC(&dc, nullptr, t.get()), nullptr);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, 4, 4, "Kel", 3);
    srf_ReleaseDC(&dc, t.get());
    EXPECT_EQ(dc, nullptr);
    uint32_t* p = srf_Lock(t.get());
    ASSERT_NE(p, nullptr);
    int dark = 0;
    HDC check;
    srf_GetDC(&check, nullptr, t.get());
    for (int y = 0; y < 40; y++)
        for (int x = 0; x < 96; x++) {
            uint32_t word = p[y * t->stride + x];
            if ((word & 0xFFFFFF) != 0xFFFFFF) dark++;
            ASSERT_EQ((uint32_t)GetPixel(check, x, y), clr_SwapRB(word) & 0xFFFFFF) << x << "," << y;
        }
    srf_ReleaseDC(&check, t.get());
    EXPECT_GT(dark, 20);
    srf_Lock(t.get());   // the helper unlocks once at the end
}

TEST(SurfaceGdi, ImportOf24BitBitmapIsOpaqueAndExact) {
    HBITMAP bmp = Make24BitBitmap(33, 17, true);
    ASSERT_NE(bmp, nullptr);
    Surface s{};
    ASSERT_EQ(srf_FromBitmap(bmp, &s), &s);
    ASSERT_TRUE(srf_IsValid(&s));
    uint32_t* p = srf_Lock(&s);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(s.width, 33u);
    EXPECT_EQ(s.height, 17u);
    for (int y = 0; y < 17; y++)
        for (int x = 0; x < 33; x++) {
            uint32_t want = (uint32_t)(uint8_t)(x * 7) | ((uint32_t)(uint8_t)(y * 5) << 8) |
                            ((uint32_t)(uint8_t)(x ^ y) << 16);
            ASSERT_EQ(p[y * s.stride + x], want) << x << "," << y;
        }
    srf_Unlock(&s);
    srf_Destroy(&s);
    DeleteObject(bmp);
}

TEST(SurfaceGdi, ImportOfAnOversizedBitmapFitsTheLongerSide) {
    HBITMAP bmp = Make24BitBitmap(16000, 4000, false);
    ASSERT_NE(bmp, nullptr);
    Surface s{};
    ASSERT_EQ(srf_FromBitmap(bmp, &s), &s);
    EXPECT_EQ(s.width, 8192u);
    EXPECT_EQ(s.height, 2048u);
    srf_Destroy(&s);
    DeleteObject(bmp);
}

TEST(SurfaceGdi, CreationGuardAndDetach) {
    Surface s{};
    srf_Create(10000, 2000, &s);
    ASSERT_TRUE(srf_IsValid(&s));
    EXPECT_EQ(s.width, 8192u);
    EXPECT_EQ(s.height, 2000u);
    EXPECT_EQ(s.stride, 8192u);
    srf_Destroy(&s);
    srf_Create(8, 8, &s);
    HBITMAP bmp = (HBITMAP)srf_Detach(&s);
    EXPECT_EQ(GetObjectType(bmp), (DWORD)OBJ_BITMAP);   // the caller owns it now
    EXPECT_EQ(s.created, 0u);
    EXPECT_FALSE(srf_IsValid(&s));
    DeleteObject(bmp);
}

TEST(SurfaceGdi, ValidityRebuildsARecordWhoseDcWasDeleted) {
    std::mt19937 rng(11);
    Surface s{}, copy{};
    srf_Create(21, 9, &s);
    FillRandom(&s, rng, false);
    srf_Duplicate(&copy, &s);
    DeleteDC((HDC)s.dc);
    ASSERT_EQ(srf_IsValid(&s), 1);
    DWORD type = GetObjectType((HGDIOBJ)s.dc);
    EXPECT_TRUE(type == OBJ_MEMDC || type == OBJ_DC);
    EXPECT_TRUE(SameSurface(&s, &copy));
    srf_Destroy(&s);
    // With the bitmap gone but the DC alive, the record is cleared and unusable.
    Surface broken{};
    srf_Create(5, 5, &broken);
    SelectObject((HDC)broken.dc, (HGDIOBJ)broken.prevBitmap);
    DeleteObject((HGDIOBJ)broken.bitmap);
    EXPECT_EQ(srf_IsValid(&broken), 0);
    EXPECT_EQ(broken.created, 0u);
    EXPECT_EQ(broken.dc, nullptr);
    srf_Destroy(&copy);
}

TEST(SurfaceGdi, MaskFromRegion) {
    TestSurface t(20, 12);
    for (int y = 0; y < 12; y++)
        for (int x = 0; x < 20; x++) t.at(x, y) = 0x00123456u + x;
    HRGN empty = CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(srf_MaskFromRegion(t.get(), empty), 1);
    for (int y = 0; y < 12; y++)
        for (int x = 0; x < 20; x++) ASSERT_EQ(t.at(x, y), 0xFF123456u + x);
    DeleteObject(empty);

    // Each region rectangle also covers its right column and bottom row.
    HRGN box = CreateRectRgn(2, 3, 6, 5);
    ASSERT_EQ(srf_MaskFromRegion(t.get(), box), 1);
    EXPECT_EQ(t.at(2, 3) >> 24, 0u);
    EXPECT_EQ(t.at(6, 5) >> 24, 0u);
    EXPECT_EQ(t.at(7, 5) >> 24, 255u);
    EXPECT_EQ(t.at(6, 6) >> 24, 255u);
    EXPECT_EQ(t.at(1, 3) >> 24, 255u);
    EXPECT_EQ(t.at(4, 4) & 0xFFFFFF, 0x123456u + 4);
    DeleteObject(box);

    HRGN ellipse = CreateEllipticRgn(0, 0, 20, 12);
    ASSERT_EQ(srf_MaskFromRegion(t.get(), ellipse), 1);
    EXPECT_EQ(t.at(10, 6) >> 24, 0u);
    EXPECT_EQ(t.at(0, 0) >> 24, 255u);
    EXPECT_EQ(t.at(19, 11) >> 24, 255u);
    DeleteObject(ellipse);
    EXPECT_EQ(srf_MaskFromRegion(t.get(), (HRGN)GetStockObject(WHITE_BRUSH)), 0);
}

TEST(SurfaceGdi, MakePaletteReturnsAGdiPalette) {
    TestSurface t(2, 2);
    t.at(0, 0) = t.at(1, 1) = 0x00FF0000u;
    t.at(1, 0) = t.at(0, 1) = 0x000000FFu;
    HPALETTE pal = srf_MakePalette(t.get(), 256, 6);
    ASSERT_NE(pal, nullptr);
    PALETTEENTRY e[4]{};
    ASSERT_EQ(GetPaletteEntries(pal, 0, 4, e), 2u);
    EXPECT_EQ(e[0].peBlue, 255);
    EXPECT_EQ(e[1].peRed, 255);
    DeleteObject(pal);
    EXPECT_EQ(srf_MakePalette(t.get(), 300, 6), nullptr);
}

TEST(SurfaceGdi, AnimationsPutTheScreenBack) {
    eng_Init();
    std::mt19937 rng(5);
    Surface screen{}, before{};
    srf_Create(120, 90, &screen);
    FillRandom(&screen, rng, false);
    srf_Duplicate(&before, &screen);
    HDC dc;
    srf_GetDC(&dc, nullptr, &screen);
    ASSERT_EQ(anim_ScratchCreate(), 1);
    EXPECT_EQ(anim_FlashRect(dc, 10, 10, 49, 39, 0, 3), 1);
    EXPECT_EQ(anim_Ripple(dc, 60, 45, 0, 4, 0), 1);
    EXPECT_EQ(anim_Ripple(dc, 60, 45, 0, 4, 1), 1);
    srf_ReleaseDC(&dc, &screen);
    EXPECT_TRUE(SameSurface(&screen, &before));
    anim_ScratchFree();
    // Without a scratch surface an animation makes its own.
    srf_GetDC(&dc, nullptr, &screen);
    EXPECT_EQ(anim_Ripple(dc, 30, 30, 0, 2, 0), 1);
    srf_ReleaseDC(&dc, &screen);
    anim_ScratchFree();
    srf_Destroy(&screen);
    srf_Destroy(&before);
}
