// The Text-Art editor's rules as worked values: list entries, numbers read back from
// typed and chosen entries, scroll steps, style boxes, text additions, the size byte.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "panels/textart_rules.h"

TEST(TextArtRules, ListEntries) {
    EXPECT_EQ(ta_SizeEntryCount(), 102);
    const int sizes[][2] = {{0, 4}, {96, 100}, {97, 120}, {100, 200}, {101, 240}, {102, 0}, {-1, 0}};
    for (auto& s : sizes) EXPECT_EQ(ta_SizeEntry(s[0]), s[1]) << s[0];
    const struct { int style; const char* name; } styles[] = {
        {0, "0 - No TextArt"}, {1, "1 - Trapezium 1"}, {12, "12 - Trapezium 12"},
        {13, "13 - Banner 1"}, {14, "14 - Banner 2"}, {15, ""}};
    char text[40];
    for (auto& s : styles) {
        ta_StyleName(s.style, text, sizeof text);
        EXPECT_STREQ(text, s.name);
    }
    EXPECT_STREQ(ta_BorderName(16), "16 - Full / Bright White");
    EXPECT_STREQ(ta_BorderName(7), "7 - VGA Brown / Dark Yellow");
    EXPECT_EQ(ta_BorderName(17), nullptr);
}

TEST(TextArtRules, NumbersReadBackFromEntries) {
    const struct { const char* text; int size, style, border; } rows[] = {
        {"300 pt size", 300, 14, 16}, {"  12pt", 12, 12, 12}, {"3 - Trapezium 3", 3, 3, 3},
        {"pt size", 24, 5, 6}, {"0 pt size", 24, 0, 0}, {"99999999999999 pt", 1000, 14, 16}, {"", 24, 5, 6}};
    for (auto& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(ta_SizeFromText(r.text, 24), r.size);
        EXPECT_EQ(ta_StyleFromText(r.text, 5), r.style);
        EXPECT_EQ(ta_BorderFromText(r.text, 6), r.border);
    }
}

TEST(TextArtRules, ScrollStepsStayInRange) {
    const int rows[][4] = {  // value, code, track, result on the level bar 10..90
        {50, TA_SB_LEFT, 0, 10},         {50, TA_SB_THUMBTRACK, 0, 10}, {10, TA_SB_LINELEFT, 0, 10},
        {50, TA_SB_LINERIGHT, 0, 51},    {85, TA_SB_PAGERIGHT, 0, 90},  {50, TA_SB_PAGELEFT, 0, 40},
        {50, TA_SB_THUMBPOSITION, 77, 77}, {50, TA_SB_RIGHT, 0, 90},    {50, 8, 0, 50}};
    for (auto& r : rows) EXPECT_EQ(ta_Scroll(r[0], r[1], r[2], 10, 90), r[3]) << r[1];
}

TEST(TextArtRules, BoxesAppendAndSize) {
    const int defaults[TA_BOXES] = {1, 0, 0, 0, 1, 1, 0}, all[TA_BOXES] = {1, 1, 1, 1, 1, 1, 1};
    EXPECT_EQ(ta_FlagsFromBoxes(defaults), 0x31);
    EXPECT_EQ(ta_FlagsFromBoxes(all), 0x7F);

    char text[8] = "Abc";
    EXPECT_EQ(ta_Append(text, sizeof text, "defgh"), 0);  // would need 9 bytes
    EXPECT_STREQ(text, "Abc");
    EXPECT_EQ(ta_Append(text, sizeof text, "def"), 1);
    EXPECT_STREQ(text, "Abcdef");

    EXPECT_EQ(ta_StoredSize(300), 255);
    EXPECT_EQ(ta_StoredSize(24), 24);
    EXPECT_EQ(ta_EditorSize(255, 300), 300);  // the byte holds 300 capped
    EXPECT_EQ(ta_EditorSize(24, 300), 24);    // changed elsewhere since
    EXPECT_EQ(ta_EditorSize(255, 0), 255);
}
