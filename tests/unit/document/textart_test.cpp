// The pixel stages of text art: colouring and the gradient, the fourteen shapes
// (worked runs and the property that every column or row keeps its text inside),
// and the border passes giving a one-pixel outline.
#include <gtest/gtest.h>
#include <climits>
#include <string>
#include "document/textart.h"
#include "support/test_surface.h"

namespace {

const uint32_t INK = 0x00112233u;
const uint32_t CLEAR = 0xFF000000u;

// First and last opaque pixel of column i (or row i), and whether the opaque
// pixels in between are contiguous.
struct Span {
    int first = -1, last = -1;
    bool contiguous = true;
};

Span LineSpan(TestSurface& t, bool row, int i) {
    Span r;
    int n = row ? (int)t->width : (int)t->height;
    for (int j = 0; j < n; j++)
        if (((row ? t.at(j, i) : t.at(i, j)) >> 24) == 0) {
            if (r.last >= 0 && r.last != j - 1) r.contiguous = false;
            if (r.first < 0) r.first = j;
            r.last = j;
        }
    return r;
}


// Shapes a scratch that is text everywhere into a cleared target.
void ShapeFull(TestSurface& target, TestSurface& scratch, int style, int level) {
    FillAll(scratch.get(), INK);
    FillAll(target.get(), CLEAR);
    ASSERT_EQ(tk_TextArtShape(target.get(), scratch.get(), style, level), 1);
}

}  // namespace

TEST(TextArtColour, TextOpaqueBackgroundTransparentAndGradient) {
    TestSurface t(6, 8);
    auto mark = [&t]() {
        FillAll(t.get(), 0);
        t.at(1, 2) = 0x00FFFFFFu;
        t.at(4, 3) = 0x00000001u;   // any non-zero pixel is text
        t.at(2, 5) = 0x00FFFFFFu;
    };
    mark();
    ASSERT_EQ(tk_TextArtColour(t.get(), 0x000000FF, 0x00FF0000, 0), 1);
    EXPECT_EQ(t.at(1, 2), 0x00FF0000u);   // red COLORREF as a pixel word, opaque
    EXPECT_EQ(t.at(4, 3), 0x00FF0000u);
    EXPECT_EQ(t.at(0, 0), 0xFFFF0000u);   // background: the colour, transparent

    // Gradient over the text rows 2..5: red at row 2, blue at row 5, row 3 one third
    // of the way (red 255 * 43691 >> 16 = 170, blue 255 * 21845 >> 16 = 84).
    mark();
    ASSERT_EQ(tk_TextArtColour(t.get(), 0xAA0000FF, 0x00FF0000, 1), 1);
    EXPECT_EQ(t.at(1, 2), 0x00FF0000u);   // high byte of the COLORREF cleared
    EXPECT_EQ(t.at(4, 3), 0x00AA0054u);
    EXPECT_EQ(t.at(2, 5), 0x000000FFu);
    EXPECT_EQ(t.at(0, 0), 0xFFFF0000u);   // above the text: colour 1
    EXPECT_EQ(t.at(0, 7), 0xFF0000FFu);   // below the text: colour 2

    // No text: the gradient spans the whole height.
    FillAll(t.get(), 0);
    ASSERT_EQ(tk_TextArtColour(t.get(), 0x000000FF, 0x00FF0000, 1), 1);
    EXPECT_EQ(t.at(3, 0), 0xFFFF0000u);
    EXPECT_EQ(t.at(3, 7), 0xFF0000FFu);
}

// 11 x 11 at level 50: k = 10 * 50 / 100 = 5. Columns for styles 1-6 and 13-14, rows
// for 7-12: {style, line, first, last} of the text.
TEST(TextArtShape, SqueezesAndArchesRunFromTheirInsets) {
    const int cases[][4] = {
        {1, 0, 0, 10},  {1, 10, 0, 5},  {2, 0, 0, 5},   {2, 10, 0, 10},  {3, 0, 0, 10},  {3, 10, 5, 10},  {4, 0, 5, 10},
        {4, 10, 0, 10}, {5, 0, 0, 10},  {5, 10, 2, 8},  {6, 0, 2, 8},    {6, 10, 0, 10}, {7, 0, 0, 10},   {7, 10, 0, 5},
        {8, 0, 0, 10},  {8, 10, 5, 10}, {9, 0, 0, 5},   {9, 10, 0, 10},  {10, 0, 5, 10}, {10, 10, 0, 10}, {11, 0, 0, 10},
        {11, 10, 2, 8}, {12, 0, 2, 8},  {12, 10, 0, 10},
        // Style 1, column 5: the bottom is 10 + 5 * -5 / 10 = 8, truncated toward zero.
        {1, 5, 0, 8},
        // Arches, column 5: sin((5 / 5.5) * pi / 2) * 0.5 = 0.4949, o = trunc(10 * 0.4949) = 4.
        {13, 5, 0, 6},  {13, 0, 0, 10}, {14, 5, 4, 10}};
    TestSurface target(11, 11), scratch(11, 11);
    for (const auto& c : cases) {
        ShapeFull(target, scratch, c[0], 50);
        const Span r = LineSpan(target, c[0] >= 7 && c[0] <= 12, c[1]);
        SCOPED_TRACE(testing::Message() << "style " << c[0] << " line " << c[1]);
        EXPECT_EQ(r.first, c[2]);
        EXPECT_EQ(r.last, c[3]);
    }
}

TEST(TextArtShape, EveryStyleKeepsEachColumnOrRowOfTextInside) {
    const int sizes[][2] = {{1, 1}, {1, 9}, {9, 1}, {11, 11}, {30, 17}, {17, 30}};
    for (const auto& sz : sizes) {
        TestSurface target(sz[0], sz[1]), scratch(sz[0], sz[1]);
        for (int style = 0; style <= 15; style++)
            for (int level : {10, 50, 90}) {
                ShapeFull(target, scratch, style, level);
                bool rows = style >= 7 && style <= 12;
                int lines = rows ? sz[1] : sz[0];
                for (int i = 0; i < lines; i++) {
                    const Span r = LineSpan(target, rows, i);
                    ASSERT_GE(r.first, 0) << "style " << style << " level " << level << " line " << i;
                    ASSERT_TRUE(r.contiguous) << "style " << style << " level " << level << " line " << i;
                }
            }
    }
    // Levels far outside 10..90 still land every pixel inside.
    TestSurface target(5, 3), scratch(5, 3);
    for (int style = -1; style <= 16; style++)
        for (int level : {INT_MIN, -100, 0, 1000, INT_MAX}) ShapeFull(target, scratch, style, level);
    // Style 0 copies the pixels unblended.
    for (int i = 0; i < 15; i++) scratch.at(i % 5, i / 5) = i % 3 ? 0xFF00FF00u : INK;
    ASSERT_EQ(tk_TextArtShape(target.get(), scratch.get(), 0, 50), 1);
    EXPECT_TRUE(SameSurface(target.get(), scratch.get()));
    // Mismatched sizes are refused.
    TestSurface a(5, 5), b(6, 5);
    EXPECT_EQ(tk_TextArtShape(a.get(), b.get(), 1, 50), 0);
    EXPECT_EQ(tk_TextArtShape(a.get(), b.get(), 0, 50), 0);
}

TEST(TextArtBorder, OnePixelOutlineOnEverySide) {
    TestSurface t(9, 9);
    FillAll(t.get(), INK | CLEAR);
    for (int y = 2; y <= 6; y++)
        for (int x = 2; x <= 6; x++) t.at(x, y) = INK;
    ASSERT_EQ(tk_TextArtBorder(t.get(), 16), 1);
    std::string got;   // clear, border, text; rows separated by '|'
    for (uint32_t p : WordsOf(t.get()))
        got += std::string(got.size() % 10 == 9 ? "|" : "") + (p == 0xFFFFFFFFu ? '.' : p == 0x00FFFFFFu ? 'B' : p == INK ? 'T' : '?');
    EXPECT_EQ(got, ".........|.........|..BBBBB..|..BTTTB..|..BTTTB..|..BTTTB..|..BBBBB..|.........|.........");

    // Colours by style: 2 is navy (COLORREF 0x800000, pixel 0x000080).
    FillAll(t.get(), CLEAR);
    t.at(4, 4) = INK;
    ASSERT_EQ(tk_TextArtBorder(t.get(), 2), 1);
    EXPECT_EQ(t.at(4, 4), 0x00000080u);
    EXPECT_EQ(t.at(0, 0), 0xFF000080u);

    // No border for style 0 or past 16; a surface without transparency has no edge.
    FillAll(t.get(), INK);
    t.at(4, 4) = CLEAR;
    const std::vector<uint32_t> before = WordsOf(t.get());
    EXPECT_EQ(tk_TextArtBorder(t.get(), 0) + tk_TextArtBorder(t.get(), 17), 2);
    EXPECT_EQ(WordsOf(t.get()), before);
    FillAll(t.get(), INK);
    ASSERT_EQ(tk_TextArtBorder(t.get(), 1), 1);
    EXPECT_EQ(t.at(0, 0), INK);
}
