// The reduced copy: worked block averages (rounding, partial edge blocks, full
// 16 x 16 blocks of 255 without a carry between channels). Reducing in pieces is
// checked where the pieces come from, in the composite's tests.
#include <gtest/gtest.h>
#include "engine/reduce.h"
#include "support/test_surface.h"

TEST(Reduce, BlockAveragesRoundToNearestPerChannel) {
    // Blocks of 2: columns 0-1, 2-3, 4 and rows 0-1, 2 hold 4, 4, 2, 2, 2 and 1 pixels.
    const uint32_t rows[3][5] = {{0x00000000, 0x01020304, 0xFFFFFFFF, 0xFFFFFFFF, 0x10203040},
                                 {0x00000000, 0x01020304, 0xFFFFFFFF, 0x00000000, 0x30405060},
                                 {0x02020202, 0x00000000, 0x80808080, 0x7F7F7F7F, 0x00FF00FF}};
    TestSurface src(5, 3), dst(3, 2);
    for (int y = 0; y < 3; y++)
        for (int x = 0; x < 5; x++) src.at(x, y) = rows[y][x];
    ASSERT_EQ(red_Average(dst.get(), src.get(), 2, 0, 0, 9, 9), 1);
    const struct {
        int x, y;
        uint32_t want;
        const char* what;
    } cases[] = {{0, 0, 0x01010202u, "sums 2, 4, 6, 8 of 4: halves round up"},
                 {1, 0, 0xBFBFBFBFu, "765 / 4"},
                 {2, 0, 0x20304050u, "right edge: a block of 2"},
                 {0, 1, 0x01010101u, "bottom edge: a block of 2, 1 / 2 rounds up"},
                 {1, 1, 0x80808080u, "0x80 and 0x7F"},
                 {2, 1, 0x00FF00FFu, "corner: one pixel"}};
    for (const auto& c : cases) EXPECT_EQ(WordAt(dst.get(), c.x, c.y), c.want) << c.what;

    TestSurface white(17, 17), big(2, 2);
    FillWith(white.get(), 0, 0, 16, 16, 0xFFFFFFFFu);
    ASSERT_EQ(red_Average(big.get(), white.get(), 16, 0, 0, 1, 1), 1);
    EXPECT_EQ(WordsOf(big.get()), std::vector<uint32_t>(4, 0xFFFFFFFFu)) << "16 x 16 blocks of 255";
    EXPECT_EQ(red_Average(big.get(), white.get(), 17, 0, 0, 1, 1), 0) << "blocks above 16 are refused";
}
