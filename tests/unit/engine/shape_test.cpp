// Shape rasterisers: worked cases (which pixels a shape covers, the exact words it
// writes, what it returns), the refusal of shapes wholly outside, golden hashes of
// every rasteriser on near and far coordinates, and clipping that never changes the
// pixels inside.
#include <gtest/gtest.h>
#include <climits>
#include <functional>
#include <random>
#include <string>
#include <vector>
#include "engine/engine.h"
#include "engine/shape.h"
#include "support/test_surface.h"

namespace {

const uint32_t INK = 0x00FFFFFFu;
const uint32_t CHECK0 = 0x00EBEBF5u, CHECK1 = 0x009391BFu;

// The surface as rows of '#' (changed from bg) and '.', rows separated by '|'.
std::string Mask(TestSurface& t, uint32_t bg) {
    std::string out;
    for (uint32_t y = 0; y < t->height; y++) {
        if (y) out += '|';
        for (uint32_t x = 0; x < t->width; x++) out += t.at(x, y) == bg ? '.' : '#';
    }
    return out;
}

void Put(Surface* s, int x, int y, uint32_t v) { s->pixels[(size_t)y * s->stride + x] = v; }

struct Px {
    int x, y;
    uint32_t word;
};
typedef std::vector<int> Results;

struct ShapeCase {
    const char* name;
    int w, h;
    uint32_t bg;
    std::function<Results(Surface*)> draw;
    Results results = {};       // empty: not checked
    const char* mask = nullptr;  // null: not checked
    std::vector<Px> words = {};
};

// A 4 x 4 source of ramps for the warp.
void RampSource(TestSurface& src) {
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 4; x++) src.at(x, y) = (uint32_t)(x * 80) | (uint32_t)(y * 80) << 8;
}

}  // namespace

TEST(Shape, WorkedCases) {
    const ShapeCase cases[] = {
        // ---- one-pixel lines: DX and DY extended away from zero, truncation toward zero
        {"dda x-major", 6, 3, 0, [](Surface* s) { return Results{drw_Line(s, 0, 0, 3, 1, INK)}; }, {4},
         "##....|..##..|......"},
        {"dda y-major", 3, 5, 0, [](Surface* s) { return Results{drw_Line(s, 0, 0, 1, 3, INK)}; }, {4},
         "#..|#..|.#.|.#.|..."},
        {"dda negative quotients", 7, 2, 0, [](Surface* s) { return Results{drw_Line(s, 5, 1, 2, 0, INK)}; }, {4},
         "..##...|....##."},
        {"line on one outside side", 4, 4, 0,
         [](Surface* s) { return Results{drw_Line(s, -5, 3, -1, 7, INK), drw_Line(s, 2, 4, 3, 20, INK)}; }, {0, 0},
         "....|....|....|...."},
        {"straight lines count clipped pixels", 10, 4, 0,
         [](Surface* s) {
             return Results{drw_Line(s, 100, 2, -5, 2, INK), drw_Line(s, 3, -50, 3, 1, INK), drw_Line(s, 7, 0, 7, 0, INK)};
         },
         {10, 2, 1}, "...#...#..|...#......|##########|.........."},
        // y = 1 + ((x + 2e9) * 2) / (4e9 + 1): row 1 only at x = 0.
        {"huge line stays exact", 16, 4, 0,
         [](Surface* s) { return Results{drw_Line(s, -2000000000, 1, 2000000000, 2, INK)}; }, {INT_MAX},
         "................|#...............|.###############|................"},
        {"int-wide line saturates", 3, 3, 0, [](Surface* s) { return Results{drw_Line(s, INT_MIN, INT_MIN, INT_MAX, INT_MAX, INK)}; },
         {INT_MAX}},
        {"gradient from the first endpoint", 5, 2, 0,
         [](Surface* s) {
             drw_LineGradient(s, 0, 0, 4, 0, 0, INK);
             drw_LineGradient(s, 4, 1, 0, 1, 0, INK);
             return Results{};
         },
         {}, nullptr, {{1, 0, 0x003F3F3Fu}, {2, 0, 0x007F7F7Fu}, {3, 0, 0x00BFBFBFu}, {4, 0, INK}, {0, 1, INK}, {3, 1, 0x003F3F3Fu}}},
        // A single point takes the average; transparent colours leave the pixel.
        {"gradient point and transparency", 2, 1, 0x00FFFFFFu,
         [](Surface* s) {
             drw_LineGradient(s, 1, 0, 1, 0, 0, 0x00FF00FEu);
             drw_LineGradient(s, 0, 0, 0, 0, 0xFF000000u, 0xFF000000u);
             return Results{};
         },
         {}, nullptr, {{1, 0, 0x007F007Fu}, {0, 0, 0x00FFFFFFu}}},
        // ---- length-stepped lines: n = trunc(sqrt(18)) = 4, steps (0,0) (0,0) (1,1)...: XOR twice cancels
        {"op applies to every step", 4, 4, 0,
         [](Surface* s) {
             return Results{drw_LineOp(s, 0, 0, 3, 3, 0x00FF00FFu, 3), drw_LineOp(s, 0, 3, 3, 3, 0xFF000000u, 1)};
         },
         {6, 5}, "....|.#..|..#.|####", {{0, 3, 0xFF000000u}, {3, 3, 0xFFFF00FFu}}},
        {"op returns steps + 2 even outside", 4, 4, 0,
         [](Surface* s) {
             return Results{drw_LineOp(s, -100, -100, -100, -100, INK, 0), drw_LineOp(s, -10, -10, -7, -6, INK, 0),
                            drw_LineOp(s, INT_MIN, 0, INT_MAX, 1, INK, 0)};
         },
         {3, 7, INT_MAX}, "####|....|....|...."},
        // Subtracts 65/72/80 wrapping, alpha 0, stops before the end; a point writes 0xFF.
        {"marker", 5, 3, 0,
         [](Surface* s) {
             Put(s, 0, 1, 0x80102030u);
             return Results{drw_LineMarker(s, 0, 0, 3, 0), drw_LineMarker(s, 0, 1, 1, 1), drw_LineMarker(s, 4, 2, 4, 2),
                            drw_LineMarker(s, -9, -9, -3, -1)};
         },
         {1, 1, 1, 0}, "###..|#....|....#", {{0, 0, 0x00B0B8BFu}, {0, 1, 0x00C0D8EFu}, {4, 2, 0x000000FFu}}},
        // ---- thick lines: caps centred on pixel centres
        {"thick dot", 5, 5, 0, [](Surface* s) { return Results{drw_ThickLine(s, 2, 2, 2, 2, 1, INK, 0)}; }, {1},
         ".....|.....|...#.|...#.|....."},
        {"thick horizontal width 3", 10, 9, 0, [](Surface* s) { return Results{drw_ThickLine(s, 6, 5, 2, 5, 3, INK, 0)}; },
         {1}, "..........|..........|..........|..........|...#####..|.########.|.########.|...#####..|.........."},
        {"thick vertical width 2", 8, 9, 0, [](Surface* s) { return Results{drw_ThickLine(s, 5, 6, 5, 2, 2, INK, 0)}; },
         {1}, "........|........|.....##.|....###.|....###.|....###.|....###.|.....##.|........"},
        // ---- rectangles
        {"outline any corner order", 6, 5, 0, [](Surface* s) { return Results{drw_Rect(s, 4, 3, 1, 1, INK)}; }, {1},
         "......|.####.|.#..#.|.####.|......"},
        {"degenerate box draws its top line", 5, 5, 0,
         [](Surface* s) {
             drw_Rect(s, 2, 1, 2, 4, INK);
             drw_Rect(s, 0, 3, 4, 3, INK);
             return Results{};
         },
         {}, ".....|..#..|.....|#####|....."},
        // Every outline pixel blended once: corners no darker than the sides.
        {"blended outline", 7, 7, 0,
         [](Surface* s) {
             drw_RectBlend(s, 5, 4, 1, 1, 0x80FFFFFFu);
             drw_RectBlend(s, 0, 5, 1, 6, 0x80FFFFFFu);
             return Results{};
         },
         {}, ".......|.#####.|.#...#.|.#...#.|.#####.|##.....|##.....",
         {{1, 1, 0x3F7E7E7Eu}, {3, 1, 0x3F7E7E7Eu}, {0, 5, 0x3F7E7E7Eu}, {1, 6, 0x3F7E7E7Eu}}},
        {"filled rects normalise, clip, refuse", 4, 3, 0,
         [](Surface* s) {
             return Results{drw_FillRect(s, 1, 5, -3, 1, INK), drw_FillRect(s, 4, 0, 9, 2, INK),
                            drw_FillRectBlend(s, -5, -5, -1, 9, INK), drw_FillRectOp(s, 0, 3, 3, 3, INK, 1),
                            drw_ReplaceColor(s, 0, -2, 3, -1, 0, INK)};
         },
         {1, 0, 0, 0, 0}, "....|##..|##.."},
        // Board entry (4, 0) is colour 1; weight 129.
        {"fill op board by alpha", 8, 8, 0x40102030u,
         [](Surface* s) {
             drw_FillRectOp(s, 0, 0, 7, 0, 0, 5);
             drw_FillRectOp(s, 0, 1, 7, 1, 0xFF000000u, 5);
             drw_FillRectOp(s, 0, 4, 0, 4, 0x80000000u, 5);
             return Results{};
         },
         {}, nullptr, {{0, 0, CHECK0}, {4, 0, CHECK1}, {5, 1, 0x40102030u}, {0, 4, 0x20505876u}}},
        {"replace matches all 32 bits", 3, 1, 0x00123456u,
         [](Surface* s) {
             Put(s, 1, 0, 0x01123456u);
             return Results{drw_ReplaceColor(s, 0, 0, 1, 0, 0x00123456u, 0xABCDEF01u)};
         },
         {1}, nullptr, {{0, 0, 0xABCDEF01u}, {1, 0, 0x01123456u}, {2, 0, 0x00123456u}}},
        // ---- four-corner gradients
        {"gradient corners and centre", 5, 3, 0x11111111u,
         [](Surface* s) { return Results{drw_GradientRect(s, 0, 0, 4, 2, 0, 0x00FF0000u, 0x000000FFu, 0xFFFFFFFFu)}; }, {1},
         nullptr, {{0, 0, 0}, {4, 0, 0x00FF0000u}, {0, 2, 0x000000FFu}, {4, 2, 0xFFFFFFFFu}, {2, 1, 0x3F7F3F7Fu}}},
        {"gradient keeps the first given row's colours", 2, 3, 0,
         [](Surface* s) { return Results{drw_GradientRect(s, 0, 2, 1, 0, 0xFF, 0xFF, 0x00FF0000u, 0x00FF0000u)}; }, {1},
         nullptr, {{0, 2, 0x000000FFu}, {1, 0, 0x00FF0000u}}},
        {"one-row gradient takes half", 3, 1, 0,
         [](Surface* s) { return Results{drw_GradientRect(s, 0, 0, 2, 0, 0, 0, 0x00FE0000u, 0x00FE0000u)}; }, {1}, nullptr,
         {{1, 0, 0x007F0000u}}},
        // Drawn from x = -5: columns keep the fractions of the whole (fx = 32 x).
        {"clipped gradient keeps its colours", 4, 1, 0,
         [](Surface* s) { return Results{drw_GradientRect(s, -5, 0, 3, 0, 0, INK, 0, INK)}; }, {1}, nullptr,
         {{0, 0, 0x009F9F9Fu}, {3, 0, INK}}},
        // The blend keeps the row colours unshifted: 0x40 where the set variant gives 0x3F.
        {"set gradient", 3, 3, 0, [](Surface* s) { return Results{drw_GradientRect(s, 0, 0, 2, 2, 1, 0xFF, 0, 0)}; }, {1},
         nullptr, {{1, 1, 0x0000003Fu}}},
        {"blended gradient", 3, 3, 0, [](Surface* s) { return Results{drw_GradientRectBlend(s, 0, 0, 2, 2, 1, 0xFF, 0, 0)}; },
         {1}, nullptr, {{1, 1, 0x00000040u}}},
        // ---- ellipses
        {"ellipse of one pixel", 3, 3, 0, [](Surface* s) { return Results{drw_FillEllipse(s, 0, 0, 0, 0, INK)}; }, {1},
         "#..|...|..."},
        {"filled rows truncate toward zero", 6, 5, 0,
         [](Surface* s) { return Results{drw_FillEllipse(s, 4, 4, 0, 0, INK), drw_FillEllipse(s, -9, 0, -2, 4, INK)}; },
         {1, 0}, "####..|#####.|#####.|#####.|####.."},
        {"outline joins row ends", 6, 5, 0, [](Surface* s) { return Results{drw_Ellipse(s, 0, 0, 4, 4, INK)}; }, {1},
         "####..|#...#.|#...#.|#...#.|####.."},
        {"huge outline misses", 7, 5, 0,
         [](Surface* s) { return Results{drw_Ellipse(s, -2000000000, -2000000000, 2000000000, 2000000000, INK)}; }, {1},
         ".......|.......|.......|.......|......."},
        {"int-wide fill covers", 7, 5, 0,
         [](Surface* s) { return Results{drw_FillEllipse(s, INT_MIN, INT_MIN, INT_MAX, INT_MAX, INK)}; }, {1},
         "#######|#######|#######|#######|#######"},
        // Columns offset by half a pixel, rows not.
        {"radial gradient", 5, 5, 0x00808080u,
         [](Surface* s) { return Results{drw_RadialEllipse(s, 0, 0, 4, 4, 0, INK)}; }, {1}, nullptr,
         {{2, 2, 0x00323232u}, {1, 2, 0x00323232u}, {0, 2, 0x00989898u}, {4, 2, INK}, {0, 0, 0x00FEFEFEu},
          {1, 1, 0x00717171u}, {4, 0, 0x00808080u}}},
        // ---- Gouraud triangles and quadrilaterals
        // All on one row: colours 1 and 2 at the ends; step 2^24 / 5 leaves 255 / 256 at the right.
        {"flat triangle", 10, 5, 0x11111111u,
         [](Surface* s) { return Results{drw_Triangle(s, 2, 3, 7, 3, 4, 3, 0, INK, 0x00FF0000u)}; }, {1},
         "..........|..........|..........|..######..|..........", {{2, 3, 0}, {3, 3, 0x00323232u}, {7, 3, 0x00FEFEFEu}}},
        {"triangle edges and colours", 6, 6, 0x11111111u,
         [](Surface* s) { return Results{drw_Triangle(s, 0, 0, 4, 0, 0, 4, 0, 0x00FF0000u, 0x000000FFu)}; }, {1},
         "#####.|####..|###...|##....|#.....|......",
         {{0, 2, 0x0000007Fu}, {1, 2, 0x003F007Fu}, {2, 2, 0x007F007Fu}, {4, 0, 0x00FF0000u}, {0, 4, 0x000000FFu}}},
        {"span option drops the right end", 6, 2, 0,
         [](Surface* s) {
             eng_SetOption(1, 1);
             drw_Triangle(s, 1, 0, 4, 0, 1, 1, INK, INK, INK);
             drw_Triangle(s, 0, 1, 0, 1, 0, 1, INK, INK, INK);   // one pixel wide: nothing
             return Results{};
         },
         {}, ".###..|......"},
        {"quad corner colours", 7, 6, 0x11111111u,
         [](Surface* s) { return Results{drw_Quad(s, 1, 1, 5, 1, 5, 4, 1, 4, 0, 0x00FF0000u, INK, 0x000000FFu)}; }, {1},
         ".......|.#####.|.#####.|.#####.|.#####.|.......",
         {{1, 1, 0}, {5, 1, 0x00FF0000u}, {1, 4, 0x000000FFu}, {5, 4, INK}}},
        // ---- warp: u = 0, 21844, 43689, 65534; fractions from the low 16 bits of u * 3
        {"identity warp samples bilinearly", 4, 4, 0,
         [](Surface* s) {
             TestSurface src(4, 4);
             RampSource(src);
             return Results{drw_WarpQuad(s, 0, 0, 3, 0, 3, 3, 0, 3, src.get(), 0, 0, 3, 3)};
         },
         {1}, nullptr, {{0, 0, 0}, {1, 0, 0x0000004Fu}, {3, 0, 0x000000EFu}, {0, 3, 0x0000F000u}}},
        {"warp refusals and span option", 5, 3, 0,
         [](Surface* s) {
             TestSurface src(2, 2);
             FillAll(src.get(), INK);
             Results r{drw_WarpQuad(s, -4, 0, -1, 0, -1, 2, -4, 2, src.get(), 0, 0, 1, 1),
                       drw_WarpQuad(s, 0, 3, 4, 3, 4, 9, 0, 9, src.get(), 0, 0, 1, 1)};
             eng_SetOption(1, 1);
             r.push_back(drw_WarpQuad(s, 0, 0, 4, 0, 4, 2, 0, 2, src.get(), 0, 0, 1, 1));
             return r;
         },
         {0, 0, 1}, "####.|####.|####."},
        {"warp beyond the source reads its edge", 3, 1, 0,
         [](Surface* s) {
             TestSurface src(2, 1);
             src.at(0, 0) = 0x10;
             src.at(1, 0) = 0x20;
             return Results{drw_WarpQuad(s, 0, 0, 2, 0, 2, 0, 0, 0, src.get(), 100, -50, 900, 70)};
         },
         {1}, nullptr, {{0, 0, 0x20}, {2, 0, 0x20}}},
    };
    for (const ShapeCase& c : cases) {
        eng_SetChecker(CHECK0, CHECK1);
        TestSurface t(c.w, c.h);
        FillAll(t.get(), c.bg);
        const Results got = c.draw(t.get());
        eng_SetOption(1, 0);
        if (!c.results.empty()) EXPECT_EQ(got, c.results) << c.name;
        if (c.mask) EXPECT_EQ(Mask(t, c.bg), c.mask) << c.name;
        for (const Px& p : c.words) EXPECT_EQ(t.at(p.x, p.y), p.word) << c.name << " at " << p.x << "," << p.y;
    }
}

TEST(Shape, OpModesByteByByte) {
    const struct {
        int mode;
        uint32_t colour, before, after;
    } cases[] = {
        {4, 0x00808080u, 0x00FFFFFFu, 0x00FFFFFFu}, {4, 0x20208001u, 0x10F08001u, 0x30FFFF02u},   // no carry between bytes
        {2, 0x00FFFFFFu, 0xC3123456u, 0x00123456u}, {1, 0xFF000000u, 0x00123456u, 0xFF123456u},
        {3, 0x0F0000FFu, 0xFF123456u, 0xF01234A9u}, {0, 0x01020304u, 0xFFFFFFFFu, 0x01020304u},
        {77, 0x05060708u, 0, 0x05060708u},
    };
    for (const auto& c : cases) {
        TestSurface t(1, 2);
        FillAll(t.get(), c.before);
        drw_FillRectOp(t.get(), 0, 0, 0, 0, c.colour, c.mode);
        drw_FillEllipseOp(t.get(), 0, 1, 0, 1, c.colour, c.mode);
        EXPECT_EQ(t.at(0, 0), c.after) << "mode " << c.mode;
        EXPECT_EQ(t.at(0, 1), c.after) << "ellipse, mode " << c.mode;
    }
}

// A 37 x 23 surface; shapes wholly to one side draw nothing and return 0.
TEST(Shape, PolygonsWhollyOutsideAreRefused) {
    const struct {
        const char* name;
        int x[4], y[4];
        int result;
    } cases[] = {
        {"left", {-20, -5, -12, -1}, {5, 10, 20, 3}, 0},
        {"right", {50, 60, 55, 37}, {5, 10, 20, 9}, 0},
        {"above", {5, 30, 12, 20}, {-9, -1, -4, -30}, 0},
        {"below", {5, 30, 12, 20}, {23, 40, 30, 25}, 0},
        {"partly inside", {30, 60, 45, 36}, {-5, 10, 30, 2}, 1},
        {"around the surface", {-100, 200, 200, -100}, {-100, -100, 200, 200}, 1},
    };
    for (const auto& c : cases) {
        TestSurface t(37, 23);
        const int results[] = {
            drw_Triangle(t.get(), c.x[0], c.y[0], c.x[1], c.y[1], c.x[2], c.y[2], INK, INK, INK),
            drw_TriangleBlend(t.get(), c.x[0], c.y[0], c.x[1], c.y[1], c.x[2], c.y[2], INK, INK, INK),
            drw_Quad(t.get(), c.x[0], c.y[0], c.x[1], c.y[1], c.x[2], c.y[2], c.x[3], c.y[3], INK, INK, INK, INK),
            drw_QuadBlend(t.get(), c.x[0], c.y[0], c.x[1], c.y[1], c.x[2], c.y[2], c.x[3], c.y[3], INK, INK, INK, INK)};
        for (int i = 0; i < 4; i++) EXPECT_EQ(results[i], c.result) << c.name << ", function " << i;
        if (c.result == 0) EXPECT_EQ(WordsOf(t.get()), std::vector<uint32_t>(37 * 23, 0)) << c.name;
    }
}

namespace {

const int KINDS = 24;

// Draws shape `kind` with coordinates c[0..11], colours col[0..3] and an op mode.
void DrawShape(Surface* s, Surface* src, int kind, const int* c, const uint32_t* col, int mode) {
    switch (kind) {
    case 0: drw_Line(s, c[0], c[1], c[2], c[3], col[0]); break;
    case 1: drw_LineBlend(s, c[0], c[1], c[2], c[3], col[0]); break;
    case 2: drw_LineGradient(s, c[0], c[1], c[2], c[3], col[0], col[1]); break;
    case 3: drw_LineOp(s, c[0], c[1], c[2], c[3], col[0], mode); break;
    case 4: drw_LineMarker(s, c[0], c[1], c[2], c[3]); break;
    case 5: drw_ThickLine(s, c[0], c[1], c[2], c[3], c[4], col[0], mode); break;
    case 6: drw_Rect(s, c[0], c[1], c[2], c[3], col[0]); break;
    case 7: drw_RectBlend(s, c[0], c[1], c[2], c[3], col[0]); break;
    case 8: drw_FillRect(s, c[0], c[1], c[2], c[3], col[0]); break;
    case 9: drw_FillRectBlend(s, c[0], c[1], c[2], c[3], col[0]); break;
    case 10: drw_FillRectOp(s, c[0], c[1], c[2], c[3], col[0], mode); break;
    case 11: drw_ReplaceColor(s, c[0], c[1], c[2], c[3], col[0], col[1]); break;
    case 12: drw_GradientRect(s, c[0], c[1], c[2], c[3], col[0], col[1], col[2], col[3]); break;
    case 13: drw_GradientRectBlend(s, c[0], c[1], c[2], c[3], col[0], col[1], col[2], col[3]); break;
    case 14: drw_Ellipse(s, c[0], c[1], c[2], c[3], col[0]); break;
    case 15: drw_FillEllipse(s, c[0], c[1], c[2], c[3], col[0]); break;
    case 16: drw_FillEllipseOp(s, c[0], c[1], c[2], c[3], col[0], mode); break;
    case 17: drw_RadialEllipse(s, c[0], c[1], c[2], c[3], col[0], col[1]); break;
    case 18: drw_RadialEllipseBlend(s, c[0], c[1], c[2], c[3], col[0], col[1]); break;
    case 19: drw_Triangle(s, c[0], c[1], c[2], c[3], c[4], c[5], col[0], col[1], col[2]); break;
    case 20: drw_TriangleBlend(s, c[0], c[1], c[2], c[3], c[4], c[5], col[0], col[1], col[2]); break;
    case 21: drw_Quad(s, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], col[0], col[1], col[2], col[3]); break;
    case 22: drw_QuadBlend(s, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], col[0], col[1], col[2], col[3]); break;
    default: drw_WarpQuad(s, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], src, c[8], c[9], c[10], c[11]); break;
    }
}

uint32_t Colour(std::mt19937& rng) {
    const uint32_t picks[] = {0x00000000u, 0xFFFFFFFFu, 0x80FFFFFFu, 0x7F000000u, 0x00FFFFFFu};
    return rng() % 3 == 0 ? picks[rng() % 5] : (uint32_t)rng();
}

// A record that shows the top-left part of a bigger surface: same stride, smaller size.
Surface View(Surface* big, int w, int h) {
    Surface v = *big;
    v.width = (uint32_t)w;
    v.height = (uint32_t)h;
    return v;
}

}  // namespace

// Each rasteriser draws twelve seeded shapes (near, far and thousands away, every op
// mode, the span option on and off) over the pattern: the hash pins every rounding.
TEST(Shape, RasterisersGiveTheRecordedPixels) {
    auto kind = [](int k) {
        return [k]() {
            std::mt19937 rng(1000 + k);
            TestSurface t(37, 23), src(7, 5);
            FillPattern(t.get());
            FillRandom(src.get(), rng);
            eng_SetChecker(CHECK0, CHECK1);
            for (int i = 0; i < 12; i++) {
                int c[12];
                for (int j = 0; j < 12; j++) {
                    const int size = j % 2 ? 23 : 37;
                    c[j] = i % 4 == 3 ? (int)(rng() % 6001) - 3000 : (int)(rng() % (size + 20)) - 10;
                }
                if (k == 5) c[4] = 1 + (int)(rng() % 9);
                if (k == 23) c[8] = (int)(rng() % 7), c[9] = (int)(rng() % 5), c[10] = (int)(rng() % 7), c[11] = (int)(rng() % 5);
                const uint32_t col[4] = {Colour(rng), Colour(rng), Colour(rng), Colour(rng)};
                eng_SetOption(1, (uint8_t)(i & 1));
                DrawShape(t.get(), src.get(), k, c, col, i % 7);
            }
            eng_SetOption(1, 0);
            return HashSurface(t.get());
        };
    };
    const struct {
        const char* name;
        uint32_t hash;
    } table[KINDS] = {
        {"Line", 0x957E0BECu}, {"LineBlend", 0x600BDA69u}, {"LineGradient", 0xAFDA85EDu},
        {"LineOp", 0xE8A25941u}, {"LineMarker", 0xD2178203u}, {"ThickLine", 0xD356D7EEu},
        {"Rect", 0x183AE554u}, {"RectBlend", 0x038361EEu}, {"FillRect", 0x6A486C51u},
        {"FillRectBlend", 0xA01B38F0u}, {"FillRectOp", 0xE1044A08u}, {"ReplaceColor", 0x29903D53u},
        {"GradientRect", 0x2F4EC256u}, {"GradientRectBlend", 0x6A6FC5B5u}, {"Ellipse", 0xB14A159Cu},
        {"FillEllipse", 0xD9311DBEu}, {"FillEllipseOp", 0xE960B0D7u}, {"RadialEllipse", 0xE939DCCDu},
        {"RadialEllipseBlend", 0x63A1AEC1u}, {"Triangle", 0xBA9B5F06u}, {"TriangleBlend", 0x4361A627u},
        {"Quad", 0xE6C4164Au}, {"QuadBlend", 0xB8862E40u}, {"WarpQuad", 0xC4571DC8u},
    };
    std::vector<GoldenCase> cases;
    for (int k = 0; k < KINDS; k++) cases.push_back({table[k].name, table[k].hash, kind(k)});
    EXPECT_EQ(CheckGolden(cases), "");
}

// Same coordinates on a bigger surface: the smaller one must show exactly the part
// of the picture that falls on it, and nothing else may change.
TEST(Shape, ClippingNeverChangesThePixelsInside) {
    eng_SetChecker(CHECK0, CHECK1);
    std::mt19937 rng(99);
    TestSurface src(6, 6);
    FillRandom(src.get(), rng);
    const int W = 71, H = 53;
    for (int round = 0; round < 300; round++) {
        TestSurface whole(W, H), part(W, H);
        FillRandom(whole.get(), rng);
        const std::vector<uint32_t> orig = WordsOf(whole.get());
        std::copy(orig.begin(), orig.end(), &part.at(0, 0));
        const int w = 1 + (int)(rng() % 30), h = 1 + (int)(rng() % 25);
        Surface view = View(part.get(), w, h);
        const int kind = (int)(rng() % KINDS), mode = (int)(rng() % 7);
        int c[12];
        for (int i = 0; i < 12; i++) c[i] = (int)(rng() % 91) - 30;
        if (kind == 5) c[4] = (int)(rng() % 14);
        if (kind == KINDS - 1)   // a source rectangle inside the source
            for (int i = 8; i < 12; i++) c[i] = (int)(rng() % 6);
        uint32_t col[4] = {Colour(rng), Colour(rng), Colour(rng), Colour(rng)};
        if (kind == 11) col[0] = whole.at(rng() % W, rng() % H);
        eng_SetOption(1, (uint8_t)(rng() % 2));
        DrawShape(whole.get(), src.get(), kind, c, col, mode);
        DrawShape(&view, src.get(), kind, c, col, mode);
        eng_SetOption(1, 0);
        int wrong = 0;
        for (int y = 0; y < H; y++)
            for (int x = 0; x < W; x++) wrong += part.at(x, y) != (x < w && y < h ? whole.at(x, y) : orig[y * W + x]);
        EXPECT_EQ(wrong, 0) << "kind " << kind << " round " << round;
    }
}
