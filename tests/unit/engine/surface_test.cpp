// Surfaces: size guard, life cycle and lock balance, resize, duplicate, channel
// tables, the checkerboard and the octree palette.
#include <gtest/gtest.h>
#include "engine/engine.h"
#include "engine/octree.h"
#include "support/test_surface.h"

TEST(Surface, SizeGuard) {
    // Width capped at 8192, then the area at 2^24 pixels, a product that wraps 32 bits included.
    const uint32_t cases[][4] = {
        {10000, 2000, 8192, 2000}, {3000, 9000, 3000, 5592}, {5000, 5000, 5000, 5000}, {65536, 65536, 8192, 2048}};
    for (const auto& c : cases) {
        uint32_t w = c[0], h = c[1];
        srf_GuardSize(&w, &h);
        EXPECT_EQ(w, c[2]) << c[0] << "x" << c[1];
        EXPECT_EQ(h, c[3]) << c[0] << "x" << c[1];
    }
}

TEST(Surface, LifeCycleLocksResizeAndDuplicate) {
    Surface s{}, d{};
    ASSERT_EQ(srf_Create(2, 2, &s), &s);
    uint32_t* p = srf_Lock(&s);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(srf_Lock(&s), p);
    EXPECT_EQ(WordsOf(&s), std::vector<uint32_t>(4, 0u));   // opaque black
    for (int i = 0; i < 4; i++) p[i / 2 * s.stride + i % 2] = 0x01010101u * (i + 1);
    srf_Unlock(&s);
    srf_Unlock(&s);
    srf_Unlock(&s);   // one too many: the count stays at 0
    EXPECT_EQ(s.lockCount, 0u);
    // Resize: an empty size is refused; mode 3 resamples by nearest pixel, mode 1 blanks.
    EXPECT_EQ(srf_Resize(&s, 0, 10, 3), 0);
    ASSERT_EQ(srf_Resize(&s, 4, 2, 3), 1);
    EXPECT_EQ(WordsOf(&s), (std::vector<uint32_t>{0x01010101u, 0x01010101u, 0x02020202u, 0x02020202u, 0x03030303u,
                                                  0x03030303u, 0x04040404u, 0x04040404u}));
    srf_Create(1, 1, &d);
    ASSERT_EQ(srf_Duplicate(&d, &s), 1);
    EXPECT_TRUE(SameSurface(&s, &d));
    ASSERT_EQ(srf_Resize(&s, 3, 5, 1), 1);
    EXPECT_EQ(WordsOf(&s), std::vector<uint32_t>(15, 0u));
    srf_Destroy(&s);
    EXPECT_FALSE(srf_IsValid(&s));
    EXPECT_EQ(srf_Lock(&s), nullptr);
    EXPECT_EQ(srf_Duplicate(&d, &s), 0);   // no source bitmap
    srf_Destroy(&d);
}

TEST(Surface, ApplyTablesMapsOnlyGivenChannelsInsideTheRectangle) {
    TestSurface t(4, 3);
    FillAll(t.get(), 0x10203040u);
    uint8_t inv[256], plus[256];
    for (int i = 0; i < 256; i++) inv[i] = (uint8_t)(255 - i), plus[i] = (uint8_t)(i + 1);
    // Corners given reversed and partly outside.
    ASSERT_EQ(srf_ApplyTables(t.get(), 9, 1, 1, -4, inv, nullptr, plus, nullptr), 1);
    EXPECT_EQ(t.at(0, 0), 0x10203040u);
    EXPECT_EQ(t.at(1, 0), 0x10DF3041u);
    EXPECT_EQ(t.at(3, 1), 0x10DF3041u);
    EXPECT_EQ(t.at(3, 2), 0x10203040u);
}

TEST(Engine, FirstInitSetsTheBoardLaterInitsKeepIt) {
    while (eng_InitCount() > 0) eng_Shutdown();
    eng_SetChecker(0x11111111u, 0x22222222u);
    eng_Init();
    // White and black squares of 4, repeating every 8.
    const int at[][3] = {{0, 0, 0x00FFFFFF}, {4, 0, 0}, {4, 4, 0x00FFFFFF}, {16 + 3, 32 + 4, 0}};
    for (const auto& a : at) EXPECT_EQ(eng_CheckerAt(a[0], a[1]), (uint32_t)a[2]) << a[0] << "," << a[1];
    eng_SetChecker(0x00EBEBF5u, 0x009391BFu);
    eng_Init();
    EXPECT_EQ(eng_InitCount(), 1);
    EXPECT_EQ(eng_CheckerAt(0, 4), 0x009391BFu);
}

TEST(Octree, EntriesOrderAveragesAndLimits) {
    TestSurface t(4, 1);
    t.at(0, 0) = 0x80FF0000u, t.at(1, 0) = 0x00FC0000u, t.at(2, 0) = 0x00FD0000u;   // reds in one 6-bit cell
    t.at(3, 0) = 0x000000FFu;                                                       // one blue
    PalEntry pal[256];
    ASSERT_EQ(oct_BuildPalette(t.get(), 256, 6, pal), 2);
    EXPECT_EQ(pal[0].blue, 255);  // blue first
    EXPECT_EQ(pal[0].red, 0);
    EXPECT_EQ(pal[1].blue, 0);
    EXPECT_EQ(pal[1].red, 760 / 3);  // the cell's mean, alpha ignored
    // One entry: the tree climbs to the pixel-weighted average.
    ASSERT_EQ(oct_BuildPalette(t.get(), 1, 6, pal), 1);
    EXPECT_EQ(pal[0].red, 760 / 4);
    EXPECT_EQ(pal[0].green, 0);
    EXPECT_EQ(pal[0].blue, 255 / 4);
    EXPECT_EQ((std::vector<int>{oct_BuildPalette(t.get(), 257, 6, pal), oct_BuildPalette(t.get(), 256, 9, pal),
                                oct_BuildPalette(t.get(), 0, 6, pal)}),
              std::vector<int>(3, 0));
}
