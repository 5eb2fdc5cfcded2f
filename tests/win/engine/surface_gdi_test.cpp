// Surfaces as DIB sections: GDI and the engine see the same memory, bitmap import
// (alpha, large bitmaps), self-repair of a broken record, region masks, palettes
// and the highlight animations restoring the screen.
#include <gtest/gtest.h>
#include <cstring>
#include <random>
#include "engine/anim_win32.h"
#include "engine/color.h"
#include "engine/engine.h"
#include "engine/surface_win32.h"
#include "support/test_surface.h"

namespace {
// A top-down 24-bit DIB section and its bits.
HBITMAP Make24BitBitmap(int w, int h, uint8_t** bits) {
    BITMAPINFO bmi{};
    bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    return CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, (void**)bits, nullptr, 0);
}
}  // namespace

// GDI draws through the surface's DC into the very words the engine reads.
TEST(SurfaceGdi, TextDrawnThroughTheDcLandsInTheEnginePixels) {
    TestSurface t(96, 40);
    FillAll(t.get(), 0x00FFFFFFu);
    srf_Unlock(t.get());
    HDC dc;
    ASSERT_NE(srf_GetDC(&dc, nullptr, t.get()), nullptr);
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, 4, 4, "Kel", 3);
    srf_ReleaseDC(&dc, t.get());
    const std::vector<uint32_t> words = WordsOf(t.get());
    srf_GetDC(&dc, nullptr, t.get());
    int dark = 0;
    for (int i = 0; i < 96 * 40; i++) {
        dark += words[i] != 0x00FFFFFFu;
        ASSERT_EQ((uint32_t)GetPixel(dc, i % 96, i / 96), clr_SwapRB(words[i]) & 0xFFFFFF) << i;
    }
    srf_ReleaseDC(&dc, t.get());
    EXPECT_GT(dark, 20);
    srf_Lock(t.get());   // the helper unlocks once at the end
}

// 24-bit bitmaps come in opaque and exact; an oversized one fits its longer side.
TEST(SurfaceGdi, ImportOfBitmaps) {
    uint8_t *bits, *unused;
    HBITMAP bmp = Make24BitBitmap(33, 17, &bits), big = Make24BitBitmap(16000, 4000, &unused);
    ASSERT_TRUE(bmp && big);
    for (int i = 0; i < 33 * 17; i++) {   // rows of 100 bytes: 99 and one of padding
        uint8_t* p = bits + i / 33 * 100 + i % 33 * 3;
        p[0] = (uint8_t)(i % 33 * 7);
        p[1] = (uint8_t)(i / 33 * 5);
        p[2] = (uint8_t)(i % 33 ^ i / 33);
    }
    Surface s{};
    ASSERT_EQ(srf_FromBitmap(bmp, &s), &s);
    ASSERT_EQ((Dims{s.width, s.height}), (Dims{33, 17}));
    const std::vector<uint32_t> words = WordsOf(&s);
    for (int i = 0; i < 33 * 17; i++) {
        const int x = i % 33, y = i / 33;
        ASSERT_EQ(words[i], (uint32_t)(uint8_t)(x * 7) | (uint32_t)(uint8_t)(y * 5) << 8 | (uint32_t)(x ^ y) << 16) << i;
    }
    srf_Destroy(&s);
    ASSERT_EQ(srf_FromBitmap(big, &s), &s);
    EXPECT_EQ(s.width, 8192u);
    EXPECT_EQ(s.height, 2048u);
    srf_Destroy(&s);
    DeleteObject(bmp);
    DeleteObject(big);
}

TEST(SurfaceGdi, ValidityRepairsOrClearsABrokenRecordAndDetachHandsOver) {
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
    // Detached, the bitmap belongs to the caller and the record is empty.
    srf_Create(8, 8, &s);
    HBITMAP bmp = (HBITMAP)srf_Detach(&s);
    EXPECT_EQ(GetObjectType(bmp), (DWORD)OBJ_BITMAP);
    EXPECT_FALSE(srf_IsValid(&s));
    DeleteObject(bmp);
}

// Alpha 0 inside the region, 255 outside; colours kept. Each region rectangle also
// covers its right column and bottom row.
TEST(SurfaceGdi, MaskFromRegion) {
    TestSurface t(20, 12);
    for (int i = 0; i < 240; i++) t.at(i % 20, i / 20) = 0x00123456u + i % 20;
    const struct {
        HRGN region;
        std::vector<int> inside, outside;   // x, y pairs
    } cases[] = {{CreateRectRgn(0, 0, 0, 0), {}, {0, 0, 19, 11}},
                 {CreateRectRgn(2, 3, 6, 5), {2, 3, 6, 5, 4, 4}, {7, 5, 6, 6, 1, 3}},
                 {CreateEllipticRgn(0, 0, 20, 12), {10, 6}, {0, 0, 19, 11}}};
    for (const auto& c : cases) {
        ASSERT_EQ(srf_MaskFromRegion(t.get(), c.region), 1);
        for (size_t i = 0; i < c.inside.size(); i += 2)
            EXPECT_EQ(t.at(c.inside[i], c.inside[i + 1]), 0x00123456u + c.inside[i]) << i;
        for (size_t i = 0; i < c.outside.size(); i += 2)
            EXPECT_EQ(t.at(c.outside[i], c.outside[i + 1]), 0xFF123456u + c.outside[i]) << i;
        DeleteObject(c.region);
    }
    EXPECT_EQ(srf_MaskFromRegion(t.get(), (HRGN)GetStockObject(WHITE_BRUSH)), 0);
}

// The octree's entries (their order pinned natively) as a GDI palette; a size past
// 256 is refused.
TEST(SurfaceGdi, MakePaletteReturnsAGdiPalette) {
    TestSurface t(2, 1);
    t.at(0, 0) = 0x00FF0000u, t.at(1, 0) = 0x000000FFu;
    HPALETTE pal = srf_MakePalette(t.get(), 256, 6);
    EXPECT_EQ(GetPaletteEntries(pal, 0, 0, nullptr), 2u);
    DeleteObject(pal);
    EXPECT_EQ(srf_MakePalette(t.get(), 300, 6), nullptr);
}

// Highlights drawn on a screen DC put every pixel back, with or without a scratch.
TEST(SurfaceGdi, AnimationsPutTheScreenBack) {
    eng_Init();
    std::mt19937 rng(5);
    TestSurface screen(120, 90);
    FillRandom(screen.get(), rng, false);
    const std::vector<uint32_t> words = WordsOf(screen.get());
    srf_Unlock(screen.get());
    HDC dc;
    srf_GetDC(&dc, nullptr, screen.get());
    for (int scratch : {1, 0}) {
        ASSERT_EQ(scratch ? anim_ScratchCreate() : 1, 1);
        EXPECT_EQ(anim_FlashRect(dc, 10, 10, 49, 39, 0, 3), 1);
        EXPECT_EQ(anim_Ripple(dc, 60, 45, 0, 4, 0), 1);
        EXPECT_EQ(anim_Ripple(dc, 30, 30, 0, 2, 1), 1);
        anim_ScratchFree();
    }
    srf_ReleaseDC(&dc, screen.get());
    srf_Lock(screen.get());   // the helper unlocks once at the end
    EXPECT_EQ(WordsOf(screen.get()), words);
}
