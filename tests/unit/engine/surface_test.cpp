// Surfaces: size guard, life cycle and lock balance, resize, duplicate, channel
// tables, engine state and the octree palette.
#include <gtest/gtest.h>
#include <random>
#include "engine/engine.h"
#include "engine/octree.h"
#include "engine/shape.h"
#include "support/test_surface.h"

TEST(Surface, SizeGuard) {
    uint32_t w = 10000, h = 2000;
    srf_GuardSize(&w, &h);
    EXPECT_EQ(w, 8192u);
    EXPECT_EQ(h, 2000u);
    w = 3000, h = 9000;
    srf_GuardSize(&w, &h);
    EXPECT_EQ(w, 3000u);
    EXPECT_EQ(h, 5592u);
    w = 5000, h = 5000;
    srf_GuardSize(&w, &h);
    EXPECT_EQ(w, 5000u);
    EXPECT_EQ(h, 5000u);
    // A product that wraps 32 bits must still be caught.
    w = 65536, h = 65536;
    srf_GuardSize(&w, &h);
    EXPECT_EQ(w, 8192u);
    EXPECT_EQ(h, 2048u);
}

TEST(Surface, NewSurfaceIsOpaqueBlackAndLocksBalance) {
    Surface s{};
    ASSERT_EQ(srf_Create(37, 5, &s), &s);
    ASSERT_TRUE(srf_IsValid(&s));
    EXPECT_EQ(s.byteSize, 37u * 5 * 4);
    EXPECT_EQ(s.pixels, nullptr);
    uint32_t* p = srf_Lock(&s);
    ASSERT_NE(p, nullptr);
    uint32_t* again = srf_Lock(&s);
    EXPECT_EQ(p, again);
    EXPECT_EQ(s.lockCount, 2u);
    for (uint32_t y = 0; y < s.height; y++)
        for (uint32_t x = 0; x < s.width; x++) EXPECT_EQ(p[y * s.stride + x], 0u);
    srf_Unlock(&s);
    srf_Unlock(&s);
    srf_Unlock(&s);
    EXPECT_EQ(s.lockCount, 0u);
    srf_Destroy(&s);
    EXPECT_FALSE(srf_IsValid(&s));
    EXPECT_EQ(s.created, 0u);
    EXPECT_EQ(s.kind, 1u);   // fields before `created` keep their last values
    EXPECT_EQ(s.width, 37u);
    EXPECT_EQ(srf_Lock(&s), nullptr);
    EXPECT_EQ(srf_Lock(nullptr), nullptr);
}

TEST(Surface, ResizeRefusesEmptyAndResamples) {
    TestSurface t(2, 2);
    t.at(0, 0) = 0x01010101u;
    t.at(1, 0) = 0x02020202u;
    t.at(0, 1) = 0x03030303u;
    t.at(1, 1) = 0x04040404u;
    srf_Unlock(t.get());
    EXPECT_EQ(srf_Resize(t.get(), 0, 10, 3), 0);
    EXPECT_EQ(t->width, 2u);
    ASSERT_EQ(srf_Resize(t.get(), 4, 4, 3), 1);
    uint32_t* p = srf_Lock(t.get());
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(t->width, 4u);
    EXPECT_EQ(p[0], 0x01010101u);
    EXPECT_EQ(p[1], 0x01010101u);
    EXPECT_EQ(p[2], 0x02020202u);
    EXPECT_EQ(p[3 * 4 + 3], 0x04040404u);
    srf_Unlock(t.get());
    ASSERT_EQ(srf_Resize(t.get(), 3, 5, 1), 1);   // mode 1: blank
    p = srf_Lock(t.get());
    EXPECT_EQ(t->width, 3u);
    EXPECT_EQ(t->height, 5u);
    EXPECT_EQ(p[0], 0u);
}

TEST(Surface, DuplicateIsExactIncludingAlpha) {
    std::mt19937 rng(7);
    Surface a{}, b{};
    srf_Create(13, 7, &a);
    FillRandom(&a, rng);
    srf_Create(2, 2, &b);
    ASSERT_EQ(srf_Duplicate(&b, &a), 1);
    EXPECT_TRUE(SameSurface(&a, &b));
    srf_Destroy(&a);
    srf_Destroy(&b);
    EXPECT_EQ(srf_Duplicate(&b, &a), 0);   // no source bitmap
}

TEST(Surface, ApplyTablesMapsOnlyGivenChannelsInsideTheRectangle) {
    TestSurface t(4, 3);
    for (int y = 0; y < 3; y++)
        for (int x = 0; x < 4; x++) t.at(x, y) = 0x10203040u;
    uint8_t inv[256], plus[256];
    for (int i = 0; i < 256; i++) {
        inv[i] = (uint8_t)(255 - i);
        plus[i] = (uint8_t)(i + 1);
    }
    // Corners given reversed and partly outside.
    ASSERT_EQ(srf_ApplyTables(t.get(), 9, 1, 1, -4, inv, nullptr, plus, nullptr), 1);
    EXPECT_EQ(t.at(0, 0), 0x10203040u);
    EXPECT_EQ(t.at(1, 0), 0x10DF3041u);
    EXPECT_EQ(t.at(3, 1), 0x10DF3041u);
    EXPECT_EQ(t.at(3, 2), 0x10203040u);
}

TEST(Engine, InitCheckerClipAndOptions) {
    // Start from a stopped engine whatever earlier tests did.
    while (eng_InitCount() > 0) eng_Shutdown();
    eng_SetChecker(0x11111111u, 0x22222222u);
    eng_Init();
    EXPECT_EQ(eng_InitCount(), 1);
    EXPECT_EQ(eng_CheckerAt(0, 0), 0x00FFFFFFu);
    EXPECT_EQ(eng_CheckerAt(4, 0), 0x00000000u);
    EXPECT_EQ(eng_CheckerAt(4, 4), 0x00FFFFFFu);
    EXPECT_EQ(eng_CheckerAt(16 + 3, 32 + 4), 0x00000000u);   // repeats every 16
    eng_SetChecker(0x00EBEBF5u, 0x009391BFu);
    EXPECT_EQ(eng_CheckerAt(0, 4), 0x009391BFu);
    eng_Init();   // later calls change nothing
    EXPECT_EQ(eng_InitCount(), 1);
    EXPECT_EQ(eng_CheckerAt(0, 4), 0x009391BFu);
    EXPECT_EQ(eng_SetOption(1, 7), 7);
    EXPECT_EQ(eng_SpanOption(), 7);
    EXPECT_EQ(eng_SetOption(2, 7), 0);
    eng_SetOption(1, 0);
    EngClip before = eng_GetClip();
    eng_SetClip(1, 2, 3, 4);
    EXPECT_EQ(eng_GetClip().bottom, 4);
    eng_SetClip(before.left, before.top, before.right, before.bottom);
}

TEST(Octree, TwoColoursComeOutBlueFirst) {
    TestSurface t(3, 2);
    for (int y = 0; y < 2; y++)
        for (int x = 0; x < 3; x++) t.at(x, y) = (x + y) % 2 ? 0x000000FFu : 0x00FF0000u;
    PalEntry pal[256];
    ASSERT_EQ(oct_BuildPalette(t.get(), 256, 6, pal), 2);
    EXPECT_EQ(pal[0].blue, 255);
    EXPECT_EQ(pal[0].red, 0);
    EXPECT_EQ(pal[1].red, 255);
    EXPECT_EQ(pal[1].blue, 0);
}

TEST(Octree, OneColourClimbsToThePixelWeightedAverage) {
    TestSurface t(4, 1);
    t.at(0, 0) = t.at(1, 0) = t.at(2, 0) = 0x00FF0000u;   // three red
    t.at(3, 0) = 0x000000FFu;                             // one blue
    PalEntry pal[256];
    ASSERT_EQ(oct_BuildPalette(t.get(), 1, 6, pal), 1);
    EXPECT_EQ(pal[0].red, 765 / 4);
    EXPECT_EQ(pal[0].green, 0);
    EXPECT_EQ(pal[0].blue, 255 / 4);
    EXPECT_EQ(oct_BuildPalette(t.get(), 257, 6, pal), 0);
    EXPECT_EQ(oct_BuildPalette(t.get(), 256, 9, pal), 0);
    EXPECT_EQ(oct_BuildPalette(t.get(), 0, 6, pal), 0);
}

TEST(Octree, NeverMoreEntriesThanAskedOnNoise) {
    std::mt19937 rng(3);
    Surface s{};
    srf_Create(61, 47, &s);
    FillRandom(&s, rng);
    PalEntry pal[256];
    for (int maxColours : {1, 2, 7, 64, 255, 256}) {
        int n = oct_BuildPalette(&s, maxColours, 6, pal);
        EXPECT_GE(n, 1);
        EXPECT_LE(n, maxColours);
    }
    srf_Destroy(&s);
}
