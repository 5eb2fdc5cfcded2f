// Shape rasterisers on small surfaces: which pixels each shape covers and the
// exact words it writes (truncation toward zero, weights, visiting rules).
#include <gtest/gtest.h>
#include <algorithm>
#include <climits>
#include <string>
#include "engine/engine.h"
#include "engine/shape.h"
#include "support/test_surface.h"

namespace {

const uint32_t BG = 0x00000000u;
const uint32_t INK = 0x00FFFFFFu;

// The surface as rows of '#' (changed from bg) and '.', rows separated by '|'.
std::string Mask(TestSurface& t, uint32_t bg = BG) {
    std::string out;
    for (uint32_t y = 0; y < t->height; y++) {
        if (y) out += '|';
        for (uint32_t x = 0; x < t->width; x++) out += t.at(x, y) == bg ? '.' : '#';
    }
    return out;
}

void Fill(TestSurface& t, uint32_t v) {
    for (uint32_t y = 0; y < t->height; y++)
        for (uint32_t x = 0; x < t->width; x++) t.at(x, y) = v;
}

const uint32_t CHECK0 = 0x00EBEBF5u, CHECK1 = 0x009391BFu;

}  // namespace

// ---- one-pixel lines ----

TEST(ShapeLine, DdaExtendsBothDeltas) {
    TestSurface t(6, 3);
    EXPECT_EQ(drw_Line(t.get(), 0, 0, 3, 1, INK), 4);
    EXPECT_EQ(Mask(t), "##....|..##..|......");
    TestSurface v(3, 5);  // y-major
    EXPECT_EQ(drw_Line(v.get(), 0, 0, 1, 3, INK), 4);
    EXPECT_EQ(Mask(v), "#..|#..|.#.|.#.|...");
}

TEST(ShapeLine, DdaDivisionTruncatesTowardZero) {
    // Negative quotients: (5,1)-(2,0) keeps y = 1 at x = 4 (floor would give 0).
    TestSurface t(7, 2);
    EXPECT_EQ(drw_Line(t.get(), 5, 1, 2, 0, INK), 4);
    EXPECT_EQ(Mask(t), "..##...|....##.");
}

TEST(ShapeLine, RefusedWhenBothEndsOnOneOutsideSide) {
    TestSurface t(8, 8);
    EXPECT_EQ(drw_Line(t.get(), -5, 3, -1, 7, INK), 0);
    EXPECT_EQ(drw_Line(t.get(), 2, 8, 5, 20, INK), 0);
    const std::string m = Mask(t);
    EXPECT_EQ(std::count(m.begin(), m.end(), '#'), 0);
}

TEST(ShapeLine, StraightLinesCountClippedPixels) {
    TestSurface t(10, 4);
    EXPECT_EQ(drw_Line(t.get(), 100, 2, -5, 2, INK), 10);
    EXPECT_EQ(drw_Line(t.get(), 3, -50, 3, 1, INK), 2);
    EXPECT_EQ(drw_Line(t.get(), 7, 0, 7, 0, INK), 1);
    EXPECT_EQ(Mask(t), "...#...#..|...#......|##########|..........");
}

TEST(ShapeLine, HugeCoordinatesStayExactAndSaturateTheCount) {
    // y = 1 + ((x + 2e9) * 2) / (4e9 + 1): row 1 only at x = 0.
    TestSurface t(16, 4);
    EXPECT_EQ(drw_Line(t.get(), -2000000000, 1, 2000000000, 2, INK), INT_MAX);
    EXPECT_EQ(Mask(t), "................|#...............|.###############|................");
    EXPECT_EQ(drw_Line(t.get(), INT_MIN, INT_MIN, INT_MAX, INT_MAX, INK), INT_MAX);
}

TEST(ShapeLine, BlendMixesAlphaToo) {
    TestSurface t(2, 1);
    drw_LineBlend(t.get(), 0, 0, 1, 0, 0x80FF0000u);  // weight 129
    EXPECT_EQ(t.at(0, 0), 0x3F7E0000u);
    EXPECT_EQ(t.at(1, 0), 0x3F7E0000u);
}

TEST(ShapeLine, GradientRunsFromFirstToSecondEndpoint) {
    TestSurface t(5, 3);
    drw_LineGradient(t.get(), 0, 0, 4, 0, 0x00000000u, 0x00FFFFFFu);
    drw_LineGradient(t.get(), 4, 1, 0, 1, 0x00000000u, 0x00FFFFFFu);
    const uint32_t ramp[5] = {0x00000000u, 0x003F3F3Fu, 0x007F7F7Fu, 0x00BFBFBFu, 0x00FFFFFFu};
    for (int x = 0; x < 5; x++) {
        EXPECT_EQ(t.at(x, 0), ramp[x]) << x;
        EXPECT_EQ(t.at(x, 1), ramp[4 - x]) << x;
    }
    drw_LineGradient(t.get(), 2, 2, 2, 2, 0x00000000u, 0x00FF00FEu);  // single point: the average
    EXPECT_EQ(t.at(2, 2), 0x007F007Fu);
    // Translucent gradient colours are mixed over the pixel, alpha included.
    t.at(0, 2) = 0x00FFFFFFu;
    drw_LineGradient(t.get(), 0, 2, 1, 2, 0xFF000000u, 0xFF000000u);
    EXPECT_EQ(t.at(0, 2), 0x00FFFFFFu);
}

// ---- length-stepped lines ----

TEST(ShapeLineOp, AppliesToEveryStepIncludingRepeats) {
    // n = trunc(sqrt(18)) = 4: steps (0,0) (0,0) (1,1) (2,2) (3,3); XOR twice cancels.
    TestSurface t(4, 4);
    EXPECT_EQ(drw_LineOp(t.get(), 0, 0, 3, 3, 0x00FF00FFu, 3), 6);
    EXPECT_EQ(Mask(t), "....|.#..|..#.|...#");
    EXPECT_EQ(drw_LineOp(t.get(), 0, 3, 3, 3, 0xFF000000u, 1), 5);
    EXPECT_EQ(t.at(0, 3), 0xFF000000u);
    EXPECT_EQ(t.at(3, 3), 0xFFFF00FFu);
}

TEST(ShapeLineOp, ThinModesFourAndFiveWriteDirectly) {
    eng_SetChecker(CHECK0, CHECK1);
    TestSurface t(8, 2);
    Fill(t, 0x00F0F0F0u);
    drw_LineOp(t.get(), 0, 0, 7, 0, 0x00202020u, 4);  // SET, not a saturating add
    EXPECT_EQ(t.at(3, 0), 0x00202020u);
    drw_LineOp(t.get(), 0, 1, 7, 1, 0x80000000u, 5);  // the checkerboard entry itself
    EXPECT_EQ(t.at(0, 1), CHECK0);
    EXPECT_EQ(t.at(4, 1), CHECK1);
}

TEST(ShapeLineOp, ReturnsStepsPlusTwoEvenWhenOutside) {
    TestSurface t(4, 4);
    EXPECT_EQ(drw_LineOp(t.get(), -100, -100, -100, -100, INK, 0), 3);
    EXPECT_EQ(drw_LineOp(t.get(), -10, -10, -7, -6, INK, 0), 7);
    EXPECT_EQ(drw_LineOp(t.get(), INT_MIN, 0, INT_MAX, 1, INK, 0), INT_MAX);
    EXPECT_EQ(Mask(t), "####|....|....|....");
}

TEST(ShapeLineMarker, ShiftsColoursAndStopsBeforeTheEnd) {
    TestSurface t(5, 3);
    EXPECT_EQ(drw_LineMarker(t.get(), 0, 0, 3, 0), 1);
    EXPECT_EQ(t.at(0, 0), 0x00B0B8BFu);
    EXPECT_EQ(t.at(2, 0), 0x00B0B8BFu);
    EXPECT_EQ(t.at(3, 0), BG);
    t.at(0, 1) = 0x80102030u;  // wraps instead of saturating, alpha becomes opaque
    drw_LineMarker(t.get(), 0, 1, 1, 1);
    EXPECT_EQ(t.at(0, 1), 0x00C0D8EFu);
    drw_LineMarker(t.get(), 4, 2, 4, 2);
    EXPECT_EQ(t.at(4, 2), 0x000000FFu);
    EXPECT_EQ(drw_LineMarker(t.get(), -9, -9, -3, -1), 0);
}

// ---- thick line ----

TEST(ShapeThickLine, CapsSitOnPixelCentres) {
    TestSurface t(14, 14);
    EXPECT_EQ(drw_ThickLine(t.get(), 10, 10, 10, 10, 1, INK, 0), 1);
    std::string m = Mask(t);
    EXPECT_EQ(t.at(11, 10), INK);
    EXPECT_EQ(t.at(11, 11), INK);
    EXPECT_EQ(std::count(m.begin(), m.end(), '#'), 2);
}

TEST(ShapeThickLine, HorizontalWidthThree) {
    TestSurface t(10, 9);
    drw_ThickLine(t.get(), 6, 5, 2, 5, 3, INK, 0);
    EXPECT_EQ(Mask(t),
              "..........|..........|..........|..........|...#####..|"
              ".########.|.########.|...#####..|..........");
}

TEST(ShapeThickLine, VerticalBandAndCaps) {
    TestSurface t(8, 9);
    drw_ThickLine(t.get(), 5, 6, 5, 2, 2, INK, 0);
    EXPECT_EQ(Mask(t), "........|........|.....##.|....###.|....###.|....###.|....###.|.....##.|........");
}

TEST(ShapeThickLine, OpModesAddAndShowTheCheckerboard) {
    eng_SetChecker(CHECK0, CHECK1);
    TestSurface t(16, 16);
    Fill(t, 0x00F0F0F0u);
    drw_ThickLine(t.get(), 2, 2, 2, 2, 2, 0x00202020u, 4);
    EXPECT_EQ(t.at(2, 2), 0x00FFFFFFu);
    drw_ThickLine(t.get(), 5, 10, 5, 10, 2, 0x00000000u, 5);
    EXPECT_EQ(t.at(5, 10), CHECK1);
}

// ---- rectangles ----

TEST(ShapeRect, OutlineAnyCornerOrder) {
    TestSurface t(6, 5);
    EXPECT_EQ(drw_Rect(t.get(), 4, 3, 1, 1, INK), 1);
    EXPECT_EQ(Mask(t), "......|.####.|.#..#.|.####.|......");
}

TEST(ShapeRect, DegenerateBoxDrawsItsTopLineOnly) {
    TestSurface t(5, 5);
    EXPECT_NE(drw_Rect(t.get(), 2, 1, 2, 4, INK), 0);
    EXPECT_EQ(Mask(t), ".....|..#..|.....|.....|.....");
    EXPECT_NE(drw_Rect(t.get(), 0, 3, 4, 3, INK), 0);
    EXPECT_EQ(Mask(t), ".....|..#..|.....|#####|.....");
}

TEST(ShapeRect, BlendedOutlineBlendsEveryPixelOnce) {
    TestSurface t(7, 7);
    drw_RectBlend(t.get(), 5, 4, 1, 1, 0x80FFFFFFu);
    drw_RectBlend(t.get(), 0, 5, 1, 6, 0x80FFFFFFu);  // 2 x 2: four single pixels
    for (int x = 1; x <= 5; x++) {
        EXPECT_EQ(t.at(x, 1), 0x3F7E7E7Eu) << x;
        EXPECT_EQ(t.at(x, 4), 0x3F7E7E7Eu) << x;
    }
    for (int y = 1; y <= 4; y++) {
        EXPECT_EQ(t.at(1, y), 0x3F7E7E7Eu) << y;
        EXPECT_EQ(t.at(5, y), 0x3F7E7E7Eu) << y;
    }
    for (int i = 0; i < 4; i++) EXPECT_EQ(t.at(i & 1, 5 + i / 2), 0x3F7E7E7Eu) << i;
    EXPECT_EQ(Mask(t), ".......|.#####.|.#...#.|.#...#.|.#####.|##.....|##.....");
}

// ---- filled rectangles ----

TEST(ShapeFillRect, NormalisesClipsAndRefuses) {
    TestSurface t(4, 3);
    EXPECT_EQ(drw_FillRect(t.get(), 1, 5, -3, 1, INK), 1);
    EXPECT_EQ(Mask(t), "....|##..|##..");
    EXPECT_EQ(drw_FillRect(t.get(), 4, 0, 9, 2, INK), 0);
    EXPECT_EQ(drw_FillRectBlend(t.get(), -5, -5, -1, 9, INK), 0);
    EXPECT_EQ(drw_FillRectOp(t.get(), 0, 3, 3, 3, INK, 1), 0);
    EXPECT_EQ(drw_ReplaceColor(t.get(), 0, -2, 3, -1, BG, INK), 0);
    EXPECT_EQ(Mask(t), "....|##..|##..");
}

TEST(ShapeFillRect, BlendIsSourceOver) {
    TestSurface t(1, 1);
    t.at(0, 0) = 0x40000000u;
    drw_FillRectBlend(t.get(), 0, 0, 0, 0, 0x80FF0000u);
    EXPECT_EQ(t.at(0, 0), 0x207E0000u);
}

TEST(ShapeFillRectOp, BitwiseAndSaturatingModes) {
    TestSurface t(3, 1);
    Fill(t, 0x00FFFFFFu);
    drw_FillRectOp(t.get(), 0, 0, 0, 0, 0x00808080u, 4);
    EXPECT_EQ(t.at(0, 0), 0x00FFFFFFu);
    t.at(1, 0) = 0x10F08001u;
    drw_FillRectOp(t.get(), 1, 0, 1, 0, 0x20208001u, 4);  // no carry between bytes
    EXPECT_EQ(t.at(1, 0), 0x30FFFF02u);
    t.at(2, 0) = 0xC3123456u;
    drw_FillRectOp(t.get(), 2, 0, 2, 0, 0x00FFFFFFu, 2);
    EXPECT_EQ(t.at(2, 0), 0x00123456u);
    drw_FillRectOp(t.get(), 2, 0, 2, 0, 0xFF000000u, 1);
    EXPECT_EQ(t.at(2, 0), 0xFF123456u);
    drw_FillRectOp(t.get(), 2, 0, 2, 0, 0x0F0000FFu, 3);
    EXPECT_EQ(t.at(2, 0), 0xF01234A9u);
    drw_FillRectOp(t.get(), 2, 0, 2, 0, 0x01020304u, 0);
    EXPECT_EQ(t.at(2, 0), 0x01020304u);
    drw_FillRectOp(t.get(), 2, 0, 2, 0, 0x05060708u, 77);
    EXPECT_EQ(t.at(2, 0), 0x05060708u);
}

TEST(ShapeFillRectOp, CheckerboardComposedByAlpha) {
    eng_SetChecker(CHECK0, CHECK1);
    TestSurface t(8, 8);
    Fill(t, 0x40102030u);
    drw_FillRectOp(t.get(), 0, 0, 7, 0, 0x00000000u, 5);  // opaque: the checkerboard
    EXPECT_EQ(t.at(0, 0), CHECK0);
    EXPECT_EQ(t.at(4, 0), CHECK1);
    drw_FillRectOp(t.get(), 0, 1, 7, 1, 0xFF000000u, 5);  // fully transparent: unchanged
    EXPECT_EQ(t.at(5, 1), 0x40102030u);
    drw_FillRectOp(t.get(), 0, 4, 0, 4, 0x80000000u, 5);  // entry (4, 0) = colour 1, weight 129
    EXPECT_EQ(t.at(0, 4), 0x20505876u);
}

TEST(ShapeFillRect, ReplaceColorMatchesAllThirtyTwoBits) {
    TestSurface t(3, 1);
    t.at(0, 0) = 0x00123456u;
    t.at(1, 0) = 0x01123456u;
    t.at(2, 0) = 0x00123456u;
    EXPECT_EQ(drw_ReplaceColor(t.get(), 0, 0, 1, 0, 0x00123456u, 0xABCDEF01u), 1);
    EXPECT_EQ(t.at(0, 0), 0xABCDEF01u);
    EXPECT_EQ(t.at(1, 0), 0x01123456u);
    EXPECT_EQ(t.at(2, 0), 0x00123456u);
}

// ---- gradients ----

TEST(ShapeGradient, CornersAndCentre) {
    TestSurface t(5, 3);
    const uint32_t tl = 0x00000000u, tr = 0x00FF0000u, bl = 0x000000FFu, br = 0xFFFFFFFFu;
    EXPECT_EQ(drw_GradientRect(t.get(), 0, 0, 4, 2, tl, tr, bl, br), 1);
    EXPECT_EQ(t.at(0, 0), tl);
    EXPECT_EQ(t.at(4, 0), tr);
    EXPECT_EQ(t.at(0, 2), bl);
    EXPECT_EQ(t.at(4, 2), br);
    EXPECT_EQ(t.at(2, 1), 0x3F7F3F7Fu);
}

TEST(ShapeGradient, FirstGivenRowKeepsTheTopColours) {
    TestSurface t(2, 3);
    drw_GradientRect(t.get(), 0, 2, 1, 0, 0x000000FFu, 0x000000FFu, 0x00FF0000u, 0x00FF0000u);
    EXPECT_EQ(t.at(0, 2), 0x000000FFu);
    EXPECT_EQ(t.at(1, 0), 0x00FF0000u);
    TestSurface flat(3, 1);  // one row: the vertical fraction is one half
    drw_GradientRect(flat.get(), 0, 0, 2, 0, 0x00000000u, 0x00000000u, 0x00FE0000u, 0x00FE0000u);
    EXPECT_EQ(flat.at(1, 0), 0x007F0000u);
}

TEST(ShapeGradient, ClippingDoesNotMoveTheColours) {
    TestSurface whole(9, 1), part(4, 1);
    drw_GradientRect(whole.get(), 0, 0, 8, 0, 0x00000000u, 0x00FFFFFFu, 0x00000000u, 0x00FFFFFFu);
    drw_GradientRect(part.get(), -5, 0, 3, 0, 0x00000000u, 0x00FFFFFFu, 0x00000000u, 0x00FFFFFFu);
    for (int x = 0; x < 4; x++) EXPECT_EQ(part.at(x, 0), whole.at(x + 5, 0)) << x;
}

TEST(ShapeGradient, BlendKeepsRowColoursUnshifted) {
    TestSurface set(3, 3), blend(3, 3);
    drw_GradientRect(set.get(), 0, 0, 2, 2, 0x00000001u, 0x000000FFu, 0, 0);
    drw_GradientRectBlend(blend.get(), 0, 0, 2, 2, 0x00000001u, 0x000000FFu, 0, 0);
    EXPECT_EQ(set.at(1, 1), 0x0000003Fu);
    EXPECT_EQ(blend.at(1, 1), 0x00000040u);
    TestSurface over(1, 1);
    over.at(0, 0) = 0x40FFFFFFu;
    drw_GradientRectBlend(over.get(), 0, 0, 0, 0, 0x80000000u, 0, 0, 0);  // x1 = x2, y1 = y2
    EXPECT_EQ(over.at(0, 0), 0x103F3F3Fu);
}

// ---- ellipses ----

TEST(ShapeEllipse, SinglePixelBox) {
    TestSurface t(3, 3);
    EXPECT_EQ(drw_FillEllipse(t.get(), 0, 0, 0, 0, INK), 1);
    EXPECT_EQ(Mask(t), "#..|...|...");
}

TEST(ShapeEllipse, FilledRowsTruncateTowardZero) {
    TestSurface t(6, 5);
    drw_FillEllipse(t.get(), 4, 4, 0, 0, INK);
    EXPECT_EQ(Mask(t), "####..|#####.|#####.|#####.|####..");
    EXPECT_EQ(drw_FillEllipse(t.get(), -9, 0, -2, 4, INK), 0);
}

TEST(ShapeEllipse, OutlineJoinsRowEnds) {
    TestSurface t(6, 5);
    EXPECT_EQ(drw_Ellipse(t.get(), 0, 0, 4, 4, INK), 1);
    EXPECT_EQ(Mask(t), "####..|#...#.|#...#.|#...#.|####..");
}

TEST(ShapeEllipse, HugeBoxes) {
    TestSurface t(7, 5);
    drw_Ellipse(t.get(), -2000000000, -2000000000, 2000000000, 2000000000, INK);
    EXPECT_EQ(Mask(t), ".......|.......|.......|.......|.......");
    EXPECT_EQ(drw_FillEllipse(t.get(), INT_MIN, INT_MIN, INT_MAX, INT_MAX, INK), 1);
    EXPECT_EQ(Mask(t), "#######|#######|#######|#######|#######");
}

TEST(ShapeEllipse, OpModes) {
    TestSurface t(5, 5);
    Fill(t, 0x00F0F0F0u);
    drw_FillEllipseOp(t.get(), 0, 0, 4, 4, 0x00FFFFFFu, 3);
    EXPECT_EQ(t.at(2, 2), 0x000F0F0Fu);
    EXPECT_EQ(t.at(4, 0), 0x00F0F0F0u);
    drw_FillEllipseOp(t.get(), 0, 0, 4, 4, 0x00F8F8F8u, 4);
    EXPECT_EQ(t.at(2, 2), 0x00FFFFFFu);
    EXPECT_EQ(t.at(4, 0), 0x00F0F0F0u);
}

TEST(ShapeEllipse, RadialGradientOffsetsColumnsByHalfAPixel) {
    TestSurface t(5, 5);
    Fill(t, 0x00808080u);
    drw_RadialEllipse(t.get(), 0, 0, 4, 4, 0x00000000u, 0x00FFFFFFu);
    EXPECT_EQ(t.at(2, 2), 0x00323232u);
    EXPECT_EQ(t.at(1, 2), 0x00323232u);
    EXPECT_EQ(t.at(0, 2), 0x00989898u);
    EXPECT_EQ(t.at(4, 2), 0x00FFFFFFu);
    EXPECT_EQ(t.at(0, 0), 0x00FEFEFEu);
    EXPECT_EQ(t.at(1, 1), 0x00717171u);
    EXPECT_EQ(t.at(4, 0), 0x00808080u);  // outside the ellipse
    TestSurface b(5, 5);
    Fill(b, 0x40000000u);
    drw_RadialEllipseBlend(b.get(), 0, 0, 4, 4, 0x80FFFFFFu, 0x80FFFFFFu);
    EXPECT_EQ(b.at(2, 2), 0x207E7E7Eu);
}

// ---- Gouraud triangles and quadrilaterals ----

TEST(ShapeTriangle, FlatTriangleFillsBetweenOuterVertices) {
    TestSurface t(10, 5);
    Fill(t, 0x11111111u);
    EXPECT_EQ(drw_Triangle(t.get(), 2, 3, 7, 3, 4, 3, 0x00000000u, 0x00FFFFFFu, 0x00FF0000u), 1);
    EXPECT_EQ(Mask(t, 0x11111111u), "..........|..........|..........|..######..|..........");
    // Colours 1 and 2 at the ends; step 2^24 / 5 leaves the right end at 255 / 256.
    EXPECT_EQ(t.at(2, 3), 0x00000000u);
    EXPECT_EQ(t.at(3, 3), 0x00323232u);
    EXPECT_EQ(t.at(7, 3), 0x00FEFEFEu);
}

TEST(ShapeTriangle, EdgesAndColours) {
    TestSurface t(6, 6);
    Fill(t, 0x11111111u);
    drw_Triangle(t.get(), 0, 0, 4, 0, 0, 4, 0x00000000u, 0x00FF0000u, 0x000000FFu);
    EXPECT_EQ(Mask(t, 0x11111111u), "#####.|####..|###...|##....|#.....|......");
    EXPECT_EQ(t.at(0, 2), 0x0000007Fu);
    EXPECT_EQ(t.at(1, 2), 0x003F007Fu);
    EXPECT_EQ(t.at(2, 2), 0x007F007Fu);
    EXPECT_EQ(t.at(4, 0), 0x00FF0000u);
    EXPECT_EQ(t.at(0, 4), 0x000000FFu);
    EXPECT_EQ(drw_Triangle(t.get(), 0, 6, 5, 7, 2, 100, 0, 0, 0), 0);
}

TEST(ShapeTriangle, SpanOptionDropsTheRightEnd) {
    TestSurface t(6, 2);
    eng_SetOption(1, 1);
    drw_Triangle(t.get(), 1, 0, 4, 0, 1, 1, INK, INK, INK);
    drw_Triangle(t.get(), 0, 1, 0, 1, 0, 1, INK, INK, INK);  // one pixel wide: nothing
    eng_SetOption(1, 0);
    EXPECT_EQ(Mask(t), ".###..|......");
}

TEST(ShapeTriangle, BlendIsSourceOver) {
    TestSurface t(3, 1);
    Fill(t, 0x40000000u);
    drw_TriangleBlend(t.get(), 0, 0, 2, 0, 1, 0, 0x80FF0000u, 0x80FF0000u, 0x80FF0000u);
    EXPECT_EQ(t.at(1, 0), 0x207E0000u);
}

TEST(ShapeQuad, RectangleWithCornerColours) {
    TestSurface t(7, 6);
    Fill(t, 0x11111111u);
    drw_Quad(t.get(), 1, 1, 5, 1, 5, 4, 1, 4, 0x00000000u, 0x00FF0000u, 0x00FFFFFFu, 0x000000FFu);
    EXPECT_EQ(Mask(t, 0x11111111u), ".......|.#####.|.#####.|.#####.|.#####.|.......");
    EXPECT_EQ(t.at(1, 1), 0x00000000u);
    EXPECT_EQ(t.at(5, 1), 0x00FF0000u);
    EXPECT_EQ(t.at(1, 4), 0x000000FFu);
    EXPECT_EQ(t.at(5, 4), 0x00FFFFFFu);
    const uint32_t right = t.at(5, 2), inner = t.at(4, 2);
    eng_SetOption(1, 1);
    drw_QuadBlend(t.get(), 1, 1, 5, 1, 5, 4, 1, 4, 0x80000000u, 0x80000000u, 0x80000000u, 0x80000000u);
    eng_SetOption(1, 0);
    EXPECT_EQ(t.at(5, 2), right);  // the span option left the right column alone
    EXPECT_NE(t.at(4, 2), inner);
}

// ---- warp ----

TEST(ShapeWarp, IdentityPlacementSamplesBilinearly) {
    TestSurface src(4, 4);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 4; x++) src.at(x, y) = (uint32_t)(x * 80) | (uint32_t)(y * 80) << 8;
    TestSurface t(4, 4);
    EXPECT_EQ(drw_WarpQuad(t.get(), 0, 0, 3, 0, 3, 3, 0, 3, src.get(), 0, 0, 3, 3), 1);
    // Row 0: u = 0, 21844, 43689, 65534; fractions from the low 16 bits of u * 3.
    EXPECT_EQ(t.at(0, 0), 0x00000000u);
    EXPECT_EQ(t.at(1, 0), 0x0000004Fu);
    EXPECT_EQ(t.at(3, 0), 0x000000EFu);
    EXPECT_EQ(t.at(0, 3), 0x0000F000u);  // the last row samples itself
}

TEST(ShapeWarp, RefusalAndSpanOption) {
    TestSurface src(2, 2);
    src.at(0, 0) = src.at(1, 0) = src.at(0, 1) = src.at(1, 1) = INK;
    TestSurface t(5, 3);
    EXPECT_EQ(drw_WarpQuad(t.get(), -4, 0, -1, 0, -1, 2, -4, 2, src.get(), 0, 0, 1, 1), 0);
    EXPECT_EQ(drw_WarpQuad(t.get(), 0, 3, 4, 3, 4, 9, 0, 9, src.get(), 0, 0, 1, 1), 0);
    eng_SetOption(1, 1);
    EXPECT_EQ(drw_WarpQuad(t.get(), 0, 0, 4, 0, 4, 2, 0, 2, src.get(), 0, 0, 1, 1), 1);
    eng_SetOption(1, 0);
    EXPECT_EQ(Mask(t), "####.|####.|####.");
}

TEST(ShapeWarp, SourceRectangleBeyondTheSourceReadsItsEdge) {
    TestSurface src(2, 1);
    src.at(0, 0) = 0x00000010u;
    src.at(1, 0) = 0x00000020u;
    TestSurface t(3, 1);
    drw_WarpQuad(t.get(), 0, 0, 2, 0, 2, 0, 0, 0, src.get(), 100, -50, 900, 70);
    EXPECT_EQ(t.at(0, 0), 0x00000020u);
    EXPECT_EQ(t.at(2, 0), 0x00000020u);
}
