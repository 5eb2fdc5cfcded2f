// Cuts on character boundaries: heads and tails of names in several scripts, at
// budgets that fall inside a character and between characters.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "platform/dpi.h"
#include "platform/utf8.h"

TEST(Utf8, HeadsAndTailsNeverSplitACharacter) {
    // "aß✓写😀": 1 + 2 + 3 + 3 + 4 bytes; characters start at 0, 1, 3, 6, 9, end 13.
    const char* s = "a\xC3\x9F\xE2\x9C\x93\xE5\x86\x99\xF0\x9F\x98\x80";
    const size_t len = std::strlen(s);
    const struct {
        size_t max, head, tailStart;
    } cases[] = {
        {0, 0, 13}, {1, 1, 13}, {2, 1, 13}, {3, 3, 13}, {4, 3, 9},
        {5, 3, 9}, {6, 6, 9}, {7, 6, 6}, {12, 9, 1}, {13, 13, 0}, {40, 13, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(u8_HeadLength(s, len, c.max), c.head) << "max " << c.max;
        EXPECT_EQ(u8_TailStart(s, len, c.max), c.tailStart) << "max " << c.max;
    }
}

TEST(Utf8, CopiesAndCharacterCountsKeepWholeCharacters) {
    const char* s = "a\xC3\x9F\xE2\x9C\x93\xE5\x86\x99\xF0\x9F\x98\x80";  // as above
    const struct {
        size_t n, charsHead, copied;  // n characters / a buffer of n bytes
    } cases[] = {{0, 0, 0}, {1, 1, 0}, {2, 3, 1}, {4, 9, 3}, {5, 13, 3}, {9, 13, 6}, {14, 13, 13}};
    for (const auto& c : cases) {
        EXPECT_EQ(u8_CharsHead(s, std::strlen(s), c.n), c.charsHead) << "chars " << c.n;
        char out[16];
        std::memset(out, 'x', sizeof out);
        if (c.n > 0) {
            EXPECT_EQ(u8_CopyCut(out, c.n, s), c.copied) << "cap " << c.n;
            EXPECT_EQ(std::string(out, c.n), std::string(s, c.copied) + std::string(c.n - c.copied, '\0')) << "cap " << c.n;
        }
    }
}

// Layout sizes scale to the nearest pixel; a screen pixel of a picture drawn at scale
// lies on the 96-DPI point it was drawn from, also left of the origin.
TEST(Dpi, ScaleAndUnscaleAtCommonSettings) {
    const struct {
        int dpi, size96, scaled, pixel, point, whole;
    } cases[] = {
        {96, 20, 20, 19, 19, 1},   {144, 20, 30, 29, 19, 0}, {144, 5, 8, 7, 4, 0},         {144, 1, 2, -1, -1, 0},
        {192, 20, 40, 39, 19, 2},  {120, 364, 455, 454, 363, 0}, {0, 20, 20, 20, 20, 1} /* unknown: 96 */,
    };
    for (const auto& c : cases) {
        dpi_Set(c.dpi);
        EXPECT_EQ(dpi_Scale(c.size96), c.scaled) << c.dpi << " dpi, " << c.size96;
        EXPECT_EQ(dpi_Unscale(c.pixel), c.point) << c.dpi << " dpi, pixel " << c.pixel;
        EXPECT_EQ(dpi_WholeFactor(), c.whole) << c.dpi;
    }
    dpi_Set(96);
}
