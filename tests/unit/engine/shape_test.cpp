// Shape rasterisers: worked cases (which pixels a shape covers, the exact words it
// writes, what it returns, the refusal of shapes wholly outside), and golden hashes of
// every rasteriser on near, far and clipped coordinates.
#include <gtest/gtest.h>
#include <climits>
#include <random>
#include <string>
#include <vector>
#include "engine/engine.h"
#include "engine/shape.h"
#include "support/test_surface.h"

namespace {

const uint32_t INK = 0x00FFFFFFu;
const uint32_t CHECK0 = 0x00EBEBF5u, CHECK1 = 0x009391BFu;

enum Kind { LINE, LINE_BLEND, LINE_GRADIENT, LINE_OP, MARKER, THICK, RECT, RECT_BLEND, FILL_RECT, FILL_RECT_BLEND,
            FILL_RECT_OP, REPLACE, GRADIENT, GRADIENT_BLEND, ELLIPSE, FILL_ELLIPSE, FILL_ELLIPSE_OP, RADIAL,
            RADIAL_BLEND, TRIANGLE, TRIANGLE_BLEND, QUAD, QUAD_BLEND, WARP, KINDS };

// Draws shape `kind` with coordinates c[0..11], colours col[0..3] and an op mode.
int DrawShape(Surface* s, Surface* src, int kind, const int* c, const uint32_t* col, int mode) {
    switch (kind) {
    case LINE: return drw_Line(s, c[0], c[1], c[2], c[3], col[0]);
    case LINE_BLEND: return drw_LineBlend(s, c[0], c[1], c[2], c[3], col[0]);
    case LINE_GRADIENT: return drw_LineGradient(s, c[0], c[1], c[2], c[3], col[0], col[1]);
    case LINE_OP: return drw_LineOp(s, c[0], c[1], c[2], c[3], col[0], mode);
    case MARKER: return drw_LineMarker(s, c[0], c[1], c[2], c[3]);
    case THICK: return drw_ThickLine(s, c[0], c[1], c[2], c[3], c[4], col[0], mode);
    case RECT: return drw_Rect(s, c[0], c[1], c[2], c[3], col[0]);
    case RECT_BLEND: return drw_RectBlend(s, c[0], c[1], c[2], c[3], col[0]);
    case FILL_RECT: return drw_FillRect(s, c[0], c[1], c[2], c[3], col[0]);
    case FILL_RECT_BLEND: return drw_FillRectBlend(s, c[0], c[1], c[2], c[3], col[0]);
    case FILL_RECT_OP: return drw_FillRectOp(s, c[0], c[1], c[2], c[3], col[0], mode);
    case REPLACE: return drw_ReplaceColor(s, c[0], c[1], c[2], c[3], col[0], col[1]);
    case GRADIENT: return drw_GradientRect(s, c[0], c[1], c[2], c[3], col[0], col[1], col[2], col[3]);
    case GRADIENT_BLEND: return drw_GradientRectBlend(s, c[0], c[1], c[2], c[3], col[0], col[1], col[2], col[3]);
    case ELLIPSE: return drw_Ellipse(s, c[0], c[1], c[2], c[3], col[0]);
    case FILL_ELLIPSE: return drw_FillEllipse(s, c[0], c[1], c[2], c[3], col[0]);
    case FILL_ELLIPSE_OP: return drw_FillEllipseOp(s, c[0], c[1], c[2], c[3], col[0], mode);
    case RADIAL: return drw_RadialEllipse(s, c[0], c[1], c[2], c[3], col[0], col[1]);
    case RADIAL_BLEND: return drw_RadialEllipseBlend(s, c[0], c[1], c[2], c[3], col[0], col[1]);
    case TRIANGLE: return drw_Triangle(s, c[0], c[1], c[2], c[3], c[4], c[5], col[0], col[1], col[2]);
    case TRIANGLE_BLEND: return drw_TriangleBlend(s, c[0], c[1], c[2], c[3], c[4], c[5], col[0], col[1], col[2]);
    case QUAD: return drw_Quad(s, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], col[0], col[1], col[2], col[3]);
    case QUAD_BLEND:
        return drw_QuadBlend(s, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], col[0], col[1], col[2], col[3]);
    default: return drw_WarpQuad(s, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], src, c[8], c[9], c[10], c[11]);
    }
}

// The surface as rows of '#' (changed from bg) and '.', rows separated by '|'.
std::string Mask(TestSurface& t, uint32_t bg) {
    std::string out;
    for (uint32_t y = 0; y < t->height; y++)
        for (uint32_t x = 0; x < t->width; x++) out += std::string(y && !x ? "|" : "") + (t.at(x, y) == bg ? '.' : '#');
    return out;
}

struct Px {
    int x, y;
    uint32_t word;
};
struct Draw {
    int kind;
    std::vector<int> c;
    std::vector<uint32_t> col = {};
    int mode = 0, span = 0;
};

uint32_t Colour(std::mt19937& rng) {
    const uint32_t picks[] = {0x00000000u, 0xFFFFFFFFu, 0x80FFFFFFu, 0x7F000000u, 0x00FFFFFFu};
    return rng() % 3 == 0 ? picks[rng() % 5] : (uint32_t)rng();
}

}  // namespace

// Shapes drawn in turn on w x h of bg (with `pre` words put first); the warp reads
// a 2 x 2 source 0x10 0x20 / 0x30 0x40.
TEST(Shape, WorkedCases) {
    const struct {
        const char* name;
        int w, h;
        uint32_t bg;
        std::vector<Draw> draws;
        std::vector<int> results = {};   // empty: not checked
        const char* mask = nullptr;      // null: not checked
        std::vector<Px> words = {}, pre = {};
    } cases[] = {
        // ---- one-pixel lines: DX and DY extended away from zero, truncation toward zero
        {"dda x-major", 6, 3, 0, {{LINE, {0, 0, 3, 1}, {INK}}}, {4}, "##....|..##..|......"},
        {"dda y-major", 3, 5, 0, {{LINE, {0, 0, 1, 3}, {INK}}}, {4}, "#..|#..|.#.|.#.|..."},
        {"dda negative quotients", 7, 2, 0, {{LINE, {5, 1, 2, 0}, {INK}}}, {4}, "..##...|....##."},
        {"line on one outside side", 4, 4, 0, {{LINE, {-5, 3, -1, 7}, {INK}}, {LINE, {2, 4, 3, 20}, {INK}}}, {0, 0},
         "....|....|....|...."},
        {"straight lines count clipped pixels", 10, 4, 0,
         {{LINE, {100, 2, -5, 2}, {INK}}, {LINE, {3, -50, 3, 1}, {INK}}, {LINE, {7, 0, 7, 0}, {INK}}}, {10, 2, 1},
         "...#...#..|...#......|##########|.........."},
        // y = 1 + ((x + 2e9) * 2) / (4e9 + 1): row 1 only at x = 0.
        {"huge line stays exact", 16, 4, 0, {{LINE, {-2000000000, 1, 2000000000, 2}, {INK}}}, {INT_MAX},
         "................|#...............|.###############|................"},
        // A single point takes the average; transparent colours leave the pixel.
        {"gradient point and transparency", 2, 1, INK,
         {{LINE_GRADIENT, {1, 0, 1, 0}, {0, 0x00FF00FEu}}, {LINE_GRADIENT, {0, 0, 0, 0}, {0xFF000000u, 0xFF000000u}}},
         {}, nullptr, {{1, 0, 0x007F007Fu}, {0, 0, INK}}},
        // ---- length-stepped lines: n = trunc(sqrt(18)) = 4, steps (0,0) (0,0) (1,1)...: XOR twice cancels
        {"op applies to every step", 4, 4, 0,
         {{LINE_OP, {0, 0, 3, 3}, {0x00FF00FFu}, 3}, {LINE_OP, {0, 3, 3, 3}, {0xFF000000u}, 1}}, {6, 5},
         "....|.#..|..#.|####", {{0, 3, 0xFF000000u}, {3, 3, 0xFFFF00FFu}}},
        {"op returns steps + 2 even outside", 4, 4, 0,
         {{LINE_OP, {-100, -100, -100, -100}, {INK}}, {LINE_OP, {-10, -10, -7, -6}, {INK}},
          {LINE_OP, {INT_MIN, 0, INT_MAX, 1}, {INK}}},
         {3, 7, INT_MAX}, "####|....|....|...."},
        // Subtracts 65/72/80 wrapping, alpha 0, stops before the end; a point writes 0xFF.
        {"marker", 5, 3, 0,
         {{MARKER, {0, 0, 3, 0}}, {MARKER, {0, 1, 1, 1}}, {MARKER, {4, 2, 4, 2}}, {MARKER, {-9, -9, -3, -1}}},
         {1, 1, 1, 0}, "###..|#....|....#", {{0, 0, 0x00B0B8BFu}, {0, 1, 0x00C0D8EFu}, {4, 2, 0x000000FFu}},
         {{0, 1, 0x80102030u}}},
        // ---- thick lines: caps centred on pixel centres
        {"thick horizontal width 3", 10, 9, 0, {{THICK, {6, 5, 2, 5, 3}, {INK}}}, {1},
         "..........|..........|..........|..........|...#####..|.########.|.########.|...#####..|.........."},
        {"thick vertical width 2", 8, 9, 0, {{THICK, {5, 6, 5, 2, 2}, {INK}}}, {1},
         "........|........|.....##.|....###.|....###.|....###.|....###.|.....##.|........"},
        // ---- op modes byte by byte: add saturates each byte alone; unknown modes set
        {"op add", 1, 2, 0x10F08001u,
         {{FILL_RECT_OP, {0, 0, 0, 0}, {0x20208001u}, 4}, {FILL_ELLIPSE_OP, {0, 1, 0, 1}, {0x20208001u}, 4}}, {1, 1},
         nullptr, {{0, 0, 0x30FFFF02u}, {0, 1, 0x30FFFF02u}}},
        {"op and, xor, unknown", 3, 1, 0xC3123456u,
         {{FILL_RECT_OP, {0, 0, 0, 0}, {0x00FFFFFFu}, 2}, {FILL_RECT_OP, {1, 0, 1, 0}, {0x0F0000FFu}, 3},
          {FILL_RECT_OP, {2, 0, 2, 0}, {0x05060708u}, 77}},
         {1, 1, 1}, nullptr, {{0, 0, 0x00123456u}, {1, 0, 0xCC1234A9u}, {2, 0, 0x05060708u}}},
        // ---- rectangles
        {"outline any corner order", 6, 5, 0, {{RECT, {4, 3, 1, 1}, {INK}}}, {1}, "......|.####.|.#..#.|.####.|......"},
        {"degenerate box draws its top line", 5, 5, 0, {{RECT, {2, 1, 2, 4}, {INK}}, {RECT, {0, 3, 4, 3}, {INK}}}, {},
         ".....|..#..|.....|#####|....."},
        {"filled rects normalise, clip, refuse", 4, 3, 0,
         {{FILL_RECT, {1, 5, -3, 1}, {INK}}, {FILL_RECT, {4, 0, 9, 2}, {INK}}, {FILL_RECT_BLEND, {-5, -5, -1, 9}, {INK}},
          {FILL_RECT_OP, {0, 3, 3, 3}, {INK}, 1}, {REPLACE, {0, -2, 3, -1}, {0, INK}}},
         {1, 0, 0, 0, 0}, "....|##..|##.."},
        {"replace matches all 32 bits", 3, 1, 0x00123456u, {{REPLACE, {0, 0, 1, 0}, {0x00123456u, 0xABCDEF01u}}}, {1},
         nullptr, {{0, 0, 0xABCDEF01u}, {1, 0, 0x01123456u}, {2, 0, 0x00123456u}}, {{1, 0, 0x01123456u}}},
        // ---- four-corner gradients; clipped at x = -5, columns keep the fractions of the whole.
        {"gradient keeps the first given row's colours", 2, 3, 0,
         {{GRADIENT, {0, 2, 1, 0}, {0xFF, 0xFF, 0x00FF0000u, 0x00FF0000u}}}, {1}, nullptr,
         {{0, 2, 0x000000FFu}, {1, 0, 0x00FF0000u}}},
        {"clipped gradient keeps its colours", 4, 1, 0, {{GRADIENT, {-5, 0, 3, 0}, {0, INK, 0, INK}}}, {1}, nullptr,
         {{0, 0, 0x009F9F9Fu}, {3, 0, INK}}},
        // ---- ellipses
        {"ellipse of one pixel", 3, 3, 0, {{FILL_ELLIPSE, {0, 0, 0, 0}, {INK}}}, {1}, "#..|...|..."},
        {"filled rows truncate toward zero", 6, 5, 0,
         {{FILL_ELLIPSE, {4, 4, 0, 0}, {INK}}, {FILL_ELLIPSE, {-9, 0, -2, 4}, {INK}}}, {1, 0},
         "####..|#####.|#####.|#####.|####.."},
        {"huge outline misses", 7, 5, 0, {{ELLIPSE, {-2000000000, -2000000000, 2000000000, 2000000000}, {INK}}}, {1},
         ".......|.......|.......|.......|......."},
        {"int-wide fill covers", 7, 5, 0, {{FILL_ELLIPSE, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {INK}}}, {1},
         "#######|#######|#######|#######|#######"},
        // Columns offset by half a pixel, rows not.
        {"radial gradient", 5, 5, 0x00808080u, {{RADIAL, {0, 0, 4, 4}, {0, INK}}}, {1}, nullptr,
         {{2, 2, 0x00323232u}, {1, 2, 0x00323232u}, {0, 2, 0x00989898u}, {4, 2, INK}, {0, 0, 0x00FEFEFEu},
          {1, 1, 0x00717171u}, {4, 0, 0x00808080u}}},
        // ---- Gouraud triangles
        // All on one row: colours 1 and 2 at the ends; step 2^24 / 5 leaves 255 / 256 at the right.
        {"flat triangle", 10, 5, 0x11111111u, {{TRIANGLE, {2, 3, 7, 3, 4, 3}, {0, INK, 0x00FF0000u}}}, {1},
         "..........|..........|..........|..######..|..........", {{2, 3, 0}, {3, 3, 0x00323232u}, {7, 3, 0x00FEFEFEu}}},
        {"triangle edges and colours", 6, 6, 0x11111111u, {{TRIANGLE, {0, 0, 4, 0, 0, 4}, {0, 0x00FF0000u, 0x000000FFu}}},
         {1}, "#####.|####..|###...|##....|#.....|......",
         {{0, 2, 0x0000007Fu}, {1, 2, 0x003F007Fu}, {2, 2, 0x007F007Fu}, {4, 0, 0x00FF0000u}, {0, 4, 0x000000FFu}}},
        // The span option drops the right end; one pixel wide: nothing.
        {"span option drops the right end", 6, 2, 0,
         {{TRIANGLE, {1, 0, 4, 0, 1, 1}, {INK, INK, INK}, 0, 1}, {TRIANGLE, {0, 1, 0, 1, 0, 1}, {INK, INK, INK}, 0, 1}},
         {}, ".###..|......"},
        // ---- polygons wholly to one side draw nothing and return 0
        {"polygons wholly outside", 6, 2, 0,
         {{TRIANGLE, {-20, 0, -5, 1, -12, 1}, {INK, INK, INK}}, {TRIANGLE_BLEND, {6, 0, 9, 1, 7, 1}, {INK, INK, INK}},
          {QUAD, {0, -9, 5, -1, 3, -4, 1, -30}, {INK, INK, INK, INK}}, {QUAD_BLEND, {0, 2, 5, 9, 3, 4, 1, 3}, {INK, INK, INK, INK}}},
         {0, 0, 0, 0}, "......|......"},
        {"polygons partly inside or around", 6, 2, 0,
         {{TRIANGLE_BLEND, {3, -5, 20, 1, 10, 8}, {INK, INK, INK}},
          {QUAD, {-100, -100, 200, -100, 200, 200, -100, 200}, {INK, INK, INK, INK}}},
         {1, 1}},
        // ---- warp
        {"warp refusals and span option", 5, 3, 0,
         {{WARP, {-4, 0, -1, 0, -1, 2, -4, 2, 0, 0, 1, 1}}, {WARP, {0, 3, 4, 3, 4, 9, 0, 9, 0, 0, 1, 1}},
          {WARP, {0, 0, 4, 0, 4, 2, 0, 2, 0, 0, 1, 1}, {}, 0, 1}},
         {0, 0, 1}, "####.|####.|####."},
        {"warp beyond the source reads its edge", 3, 1, 0, {{WARP, {0, 0, 2, 0, 2, 0, 0, 0, 100, -50, 900, 70}}}, {1},
         nullptr, {{0, 0, 0x20}, {2, 0, 0x20}}},
    };
    TestSurface src(2, 2);
    src.at(0, 0) = 0x10, src.at(1, 0) = 0x20, src.at(0, 1) = 0x30, src.at(1, 1) = 0x40;
    eng_SetChecker(CHECK0, CHECK1);
    for (const auto& c : cases) {
        TestSurface t(c.w, c.h);
        FillAll(t.get(), c.bg);
        for (const Px& p : c.pre) t.at(p.x, p.y) = p.word;
        std::vector<int> got;
        for (const Draw& d : c.draws) {
            int coords[12] = {};
            uint32_t cols[4] = {};
            std::copy(d.c.begin(), d.c.end(), coords);
            std::copy(d.col.begin(), d.col.end(), cols);
            eng_SetOption(1, (uint8_t)d.span);
            got.push_back(DrawShape(t.get(), src.get(), d.kind, coords, cols, d.mode));
        }
        eng_SetOption(1, 0);
        EXPECT_TRUE(c.results.empty() || got == c.results) << c.name;
        EXPECT_EQ(c.mask ? Mask(t, c.bg) : "", c.mask ? c.mask : "") << c.name;
        for (const Px& p : c.words) EXPECT_EQ(t.at(p.x, p.y), p.word) << c.name << " at " << p.x << "," << p.y;
    }
}

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
                if (k == THICK) c[4] = 1 + (int)(rng() % 9);
                if (k == WARP) c[8] = (int)(rng() % 7), c[9] = (int)(rng() % 5), c[10] = (int)(rng() % 7), c[11] = (int)(rng() % 5);
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
