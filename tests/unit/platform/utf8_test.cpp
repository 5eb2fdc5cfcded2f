// Cuts on character boundaries: heads and tails of names in several scripts, at
// budgets that fall inside a character and between characters.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
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
