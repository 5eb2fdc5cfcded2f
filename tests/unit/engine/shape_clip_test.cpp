// Shape clipping properties: any coordinates (huge, negative, extreme) never touch
// memory outside the surface, and clipping never changes the pixels inside.
#include <gtest/gtest.h>
#include <climits>
#include <cmath>
#include <random>
#include <vector>
#include "engine/engine.h"
#include "engine/shape.h"
#include "support/test_surface.h"

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
    case 22:
        drw_QuadBlend(s, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], col[0], col[1], col[2], col[3]);
        break;
    default:
        drw_WarpQuad(s, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], src, c[8], c[9], c[10], c[11]);
        break;
    }
}

// Mostly near the surface, often far away, sometimes at the ends of int.
int Coordinate(std::mt19937& rng, int size) {
    switch (rng() % 8) {
    case 0: return std::uniform_int_distribution<int>(-2000000000, 2000000000)(rng);
    case 1: {
        const int ends[] = {INT_MIN, INT_MIN + 1, INT_MAX - 1, INT_MAX, -1, 0};
        return ends[rng() % 6];
    }
    case 2: return std::uniform_int_distribution<int>(-5000, 5000)(rng);
    default: return std::uniform_int_distribution<int>(-4, size + 4)(rng);
    }
}

uint32_t Colour(std::mt19937& rng) {
    const uint32_t picks[] = {0x00000000u, 0xFFFFFFFFu, 0x80FFFFFFu, 0x7F000000u, 0x00FFFFFFu};
    return rng() % 3 == 0 ? picks[rng() % 5] : (uint32_t)rng();
}

// A record that shows part of a bigger surface: same stride, smaller size.
Surface View(Surface* big, int x, int y, int w, int h) {
    Surface v = *big;
    v.pixels = big->pixels + (size_t)y * big->stride + x;
    v.width = (uint32_t)w;
    v.height = (uint32_t)h;
    return v;
}

struct Shape {
    int kind, mode;
    int c[12];
    uint32_t col[4];
};

}  // namespace

TEST(ShapeClip, NothingOutsideTheSurfaceIsWritten) {
    eng_SetChecker(0x00EBEBF5u, 0x009391BFu);
    std::mt19937 rng(1234);
    const int G = 5;              // guard columns and rows on every side
    const uint32_t GUARD = 0xA5C3E1F7u;
    TestSurface src(7, 5);        // warp source of exact size: reads past it are heap errors
    FillRandom(src.get(), rng);
    for (int round = 0; round < 60; round++) {
        const int w = 1 + 2 * (int)(rng() % 9), h = 1 + 2 * (int)(rng() % 7);  // odd, incl. 1
        TestSurface big(w + 2 * G, h + 2 * G);
        for (uint32_t y = 0; y < big->height; y++)
            for (uint32_t x = 0; x < big->width; x++) big.at(x, y) = GUARD;
        Surface view = View(big.get(), G, G, w, h);
        for (int k = 0; k < 400; k++) {
            Shape sh;
            sh.kind = (int)(rng() % KINDS);
            sh.mode = (int)(rng() % 7);
            for (int i = 0; i < 12; i++) sh.c[i] = Coordinate(rng, i % 2 ? h : w);
            if (sh.kind == 5 && rng() % 2) sh.c[4] = (int)(rng() % 9);  // also sensible widths
            for (int i = 0; i < 4; i++) sh.col[i] = Colour(rng);
            eng_SetOption(1, (uint8_t)(rng() % 2));
            DrawShape(&view, src.get(), sh.kind, sh.c, sh.col, sh.mode);
        }
        eng_SetOption(1, 0);
        int touched = 0;
        for (int y = 0; y < h + 2 * G; y++)
            for (int x = 0; x < w + 2 * G; x++) {
                bool inside = x >= G && x < G + w && y >= G && y < G + h;
                if (!inside && big.at(x, y) != GUARD) touched++;
            }
        EXPECT_EQ(touched, 0) << "round " << round << " size " << w << "x" << h;
    }
}

// Same coordinates on a bigger surface: the smaller one must show exactly the
// part of the picture that falls on it, and nothing else may change.
TEST(ShapeClip, ClippingNeverChangesThePixelsInside) {
    eng_SetChecker(0x00EBEBF5u, 0x009391BFu);
    std::mt19937 rng(99);
    TestSurface src(6, 6);
    FillRandom(src.get(), rng);
    const int W = 71, H = 53;
    for (int round = 0; round < 300; round++) {
        TestSurface whole(W, H), part(W, H), orig(W, H);
        FillRandom(whole.get(), rng);
        for (int y = 0; y < H; y++)
            for (int x = 0; x < W; x++) part.at(x, y) = orig.at(x, y) = whole.at(x, y);
        const int w = 1 + (int)(rng() % 30), h = 1 + (int)(rng() % 25);
        Surface view = View(part.get(), 0, 0, w, h);
        Shape sh;
        sh.kind = (int)(rng() % KINDS);
        sh.mode = (int)(rng() % 7);
        for (int i = 0; i < 12; i++) sh.c[i] = std::uniform_int_distribution<int>(-30, 60)(rng);
        if (sh.kind == 5) sh.c[4] = (int)(rng() % 14);
        if (sh.kind == KINDS - 1) {  // a source rectangle inside the source
            for (int i = 8; i < 12; i++) sh.c[i] = (int)(rng() % 6);
        }
        for (int i = 0; i < 4; i++) sh.col[i] = Colour(rng);
        if (sh.kind == 11) sh.col[0] = whole.at(rng() % W, rng() % H);
        const uint8_t span = (uint8_t)(rng() % 2);
        eng_SetOption(1, span);
        DrawShape(whole.get(), src.get(), sh.kind, sh.c, sh.col, sh.mode);
        DrawShape(&view, src.get(), sh.kind, sh.c, sh.col, sh.mode);
        eng_SetOption(1, 0);
        int wrong = 0;
        for (int y = 0; y < H; y++)
            for (int x = 0; x < W; x++) {
                const bool inView = x < w && y < h;
                wrong += part.at(x, y) != (inView ? whole.at(x, y) : orig.at(x, y));
            }
        EXPECT_EQ(wrong, 0) << "kind " << sh.kind << " round " << round;
    }
}

// The step lines skip the steps that cannot land inside; the result must equal
// walking every step of the line.
TEST(ShapeClip, StepLinesMatchAFullWalk) {
    std::mt19937 rng(7);
    for (int round = 0; round < 400; round++) {
        const int w = 1 + (int)(rng() % 13), h = 1 + (int)(rng() % 11);
        TestSurface got(w, h), want(w, h);
        FillRandom(got.get(), rng);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) want.at(x, y) = got.at(x, y);
        std::uniform_int_distribution<int> far(-3000, 3000), near(-3, 15);
        int c[4];
        for (int i = 0; i < 4; i++) c[i] = rng() % 2 ? far(rng) : near(rng);
        const uint32_t colour = (uint32_t)rng();
        drw_LineOp(got.get(), c[0], c[1], c[2], c[3], colour, 3);
        const int64_t dx = (int64_t)c[2] - c[0], dy = (int64_t)c[3] - c[1];
        int64_t n = (int64_t)std::sqrt((double)(dx * dx + dy * dy));
        if (n < 1) n = 1;
        for (int64_t i = 0; i <= n; i++) {
            int64_t x = c[0] + i * dx / n, y = c[1] + i * dy / n;
            if (x >= 0 && x < w && y >= 0 && y < h) want.at((int)x, (int)y) ^= colour;
        }
        EXPECT_TRUE(SameSurface(got.get(), want.get())) << c[0] << "," << c[1] << " " << c[2] << "," << c[3];
    }
}
