// Spray, roughen, the smoothers, the soft dab and the sparkle against plain
// per-pixel readings of their rules on random layouts, plus hand-checked cases.
#include <gtest/gtest.h>
#include <cmath>
#include <random>
#include <vector>
#include "document/random.h"
#include "document/toolkernel.h"
#include "support/test_surface.h"

namespace {

// The C library generator, written out again so the kernels' use of it is checked.
struct Lcg {
    uint32_t state;
    int Next() {
        state = state * 214013u + 2531011u;
        return (int)((state >> 16) & 0x7FFF);
    }
    int64_t Scaled(int64_t w) { return (int64_t)Next() * w / 32767; }
};

// A copy of a surface's words that the oracles work on.
struct Grid {
    int w, h;
    std::vector<uint32_t> px;
    explicit Grid(Surface* s) : w((int)s->width), h((int)s->height), px((size_t)w * h) {
        uint32_t* p = srf_Lock(s);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) px[(size_t)y * w + x] = p[(size_t)y * s->stride + x];
        srf_Unlock(s);
    }
    bool In(int64_t x, int64_t y) const { return x >= 0 && y >= 0 && x < w && y < h; }
    uint32_t& At(int64_t x, int64_t y) { return px[(size_t)y * w + x]; }
    bool Equals(Surface* s) {
        Grid other(s);
        return other.px == px;
    }
};

uint32_t Channel(uint32_t p, int i) { return (p >> (8 * i)) & 0xFF; }

uint32_t Avg(const std::vector<uint32_t>& v) {
    uint32_t out = 0;
    for (int c = 0; c < 4; c++) {
        uint32_t sum = 0;
        for (uint32_t p : v) sum += Channel(p, c);
        out |= (sum / (uint32_t)v.size()) << (8 * c);
    }
    return out;
}

// (a * (65536 - w) + b * w) >> 16 per channel.
uint32_t Mix16(uint32_t a, uint32_t b, uint32_t w) {
    uint32_t out = 0;
    for (int c = 0; c < 4; c++)
        out |= (uint32_t)(((uint64_t)Channel(a, c) * (65536 - w) + (uint64_t)Channel(b, c) * w) >> 16) << (8 * c);
    return out;
}

// Random surface sizes including single rows and columns.
void RandomSize(std::mt19937& rng, int* w, int* h) {
    static const int sizes[] = {1, 2, 3, 7, 16, 31, 40};
    *w = sizes[rng() % 7];
    *h = sizes[rng() % 7];
}

void SprayOracle(Grid& g, Lcg& r, int x, int y, int width, int level, uint32_t colorref) {
    int64_t count = (int64_t)(level + 1) * width * width / 500;
    uint32_t c = (colorref & 0xFF00FF00u) | ((colorref & 0xFF) << 16) | ((colorref >> 16) & 0xFF);
    for (int64_t i = 0; i < count; i++) {
        int64_t px = x - width / 2 + r.Scaled(width);
        int64_t py = y - width / 2 + r.Scaled(width);
        if (g.In(px, py)) g.At(px, py) = c;
    }
}

void RoughenOracle(Grid& g, Lcg& r, int x, int y, int width, int level) {
    int64_t count = (int64_t)width * width / 2;
    for (int64_t i = 0; i < count; i++) {
        int64_t px = x - width / 2 + r.Scaled(width);
        int64_t py = y - width / 2 + r.Scaled(width);
        int delta = (r.Next() - 16383) * level / 32767;
        if (!g.In(px, py)) continue;
        uint32_t p = g.At(px, py), out = p & 0xFF000000u;
        for (int c = 0; c < 3; c++) {
            int v = (int)Channel(p, c) + delta;
            out |= (uint32_t)(v < 0 ? 0 : v > 255 ? 255 : v) << (8 * c);
        }
        g.At(px, py) = out;
    }
}

// The smoothers' disc, decided per pixel while walking the whole grid in order.
template <class Treat>
void DiscOracle(Grid& g, int x, int y, int half, int r, Treat treat) {
    for (int py = 0; py < g.h; py++)
        for (int px = 0; px < g.w; px++) {
            int a = py - (y - half);
            if (a < 0 || a > 2 * half) continue;
            int hw = (int)std::sqrt((double)(r * r - (r - a) * (r - a)));
            int centre = x - half + r;
            if (px < centre - hw || px > centre + hw) continue;
            treat(px, py);
        }
}

void SmoothOracle(Grid& g, int x, int y, int width) {
    int half = width / 2;
    DiscOracle(g, x, y, half, half < 1 ? 1 : half, [&g](int px, int py) {
        uint32_t self = g.At(px, py);
        auto n = [&](int nx, int ny) { return g.In(nx, ny) ? g.At(nx, ny) : self; };
        g.At(px, py) = Avg({self, n(px - 1, py), n(px + 1, py), n(px, py - 1), n(px, py + 1)});
    });
}

void DirectionalOracle(Grid& g, int x, int y, int width, bool vertical) {
    int half = width / 2;
    DiscOracle(g, x, y, half, half, [&g, vertical](int px, int py) {
        uint32_t self = g.At(px, py);
        auto n = [&](int nx, int ny) { return g.In(nx, ny) ? g.At(nx, ny) : self; };
        g.At(px, py) = vertical ? Avg({self, n(px, py - 1), n(px, py + 1)})
                                : Avg({self, n(px - 1, py), n(px + 1, py)});
    });
}

void DabOracle(Grid& g, int x, int y, int diameter, int level, uint32_t colour) {
    int r = diameter / 2;
    if (r == 0) return;
    double k = level * 200.0 / (r * r);
    for (int py = 0; py < g.h; py++)
        for (int px = 0; px < g.w; px++) {
            int e = y - py, dx = px - x;
            if (e < -r || e > r) continue;
            int hw = (int)std::sqrt((double)(r * r - e * e));
            if (dx < -hw || dx > hw) continue;
            int v = r * r - dx * dx - e * e;
            double wd = (v > 0 ? v : 0) * k;
            uint32_t w = wd >= 65536 ? 65536 : (uint32_t)wd;
            g.At(px, py) = Mix16(g.At(px, py), colour, w);
        }
}

// The sparkle with every table value computed where it is needed.
void SparkleOracle(Grid& g, int x, int y, int hx, int hy, uint32_t colour, int ca, int ea, int level) {
    double e = std::fmin(level / 50.0 + 0.05, 1.0), p = 1.0 / e;
    int R = (int)std::sqrt((double)(hx - x) * (hx - x) + (double)(hy - y) * (hy - y));
    if (R < 1) return;
    double t = -std::atan2((double)(hy - y), (double)(hx - x));
    int64_t C = (int64_t)(std::cos(t) * 65536), S = (int64_t)(std::sin(t) * 65536);
    auto q = [e](int64_t i) { return (uint64_t)(std::pow(i / 4.0, e) * 65536 + 0.5); };
    for (int py = 0; py < g.h; py++)
        for (int px = 0; px < g.w; px++) {
            int64_t dx = px - x, dy = py - y;
            if (dx < -R || dx > R || dy < -R || dy > R) continue;
            int64_t U = dx * C - dy * S, V = dx * S + dy * C;
            uint64_t s = q((U < 0 ? -U : U) >> 14) + q((V < 0 ? -V : V) >> 14);
            int64_t d = 0;
            if (s) {
                int b = 63;
                while (!(s >> b)) b--;
                double A = std::pow((double)(s >> (b - 7)), p);
                double B = std::pow(std::pow(2.0, b - 7 - 16), p) * 1024 / R;
                d = (int64_t)(A * B);
            }
            if (d > 1024) continue;
            uint32_t w = (uint32_t)(((1024 - d) * ca + d * ea) >> 2);
            g.At(px, py) = Mix16(colour, g.At(px, py), w);
        }
}

// Random layouts: a random surface, its copy for the oracle and a point near or
// outside it. `run` paints with the kernel and the oracle; the two must agree.
template <class Run>
void RandomLayouts(uint32_t seed, int rounds, int margin, Run run) {
    std::mt19937 rng(seed);
    for (int round = 0; round < rounds; round++) {
        int w, h;
        RandomSize(rng, &w, &h);
        TestSurface t(w, h);
        FillRandom(t.get(), rng);
        Grid g(t.get());
        int x = (int)(rng() % (w + 2 * margin)) - margin, y = (int)(rng() % (h + 2 * margin)) - margin;
        run(t.get(), g, x, y, rng, round);
        ASSERT_TRUE(g.Equals(t.get())) << "round " << round;
    }
}

}  // namespace

TEST(ToolSpray, CountsOfSprayAndRoughen) {
    // Width 10: level 0 gives (1 * 100) / 500 = 0 picks, level 255 gives 51, two
    // random numbers each. Roughen at level 0 draws its 3 * 81 / 2 numbers but
    // changes nothing.
    std::mt19937 rng(3);
    TestSurface t(32, 32);
    FillRandom(t.get(), rng);
    Grid before(t.get());
    rnd_Seed(99);
    EXPECT_EQ(tk_Spray(t.get(), 16, 16, 10, 0, 0x00FFFFFFu), 1);
    EXPECT_EQ(rnd_State(), 99u);
    EXPECT_EQ(tk_Roughen(t.get(), 10, 10, 9, 0), 1);
    EXPECT_TRUE(before.Equals(t.get()));
    Lcg r{99};
    for (int i = 0; i < 3 * 40 + 2 * 51; i++) r.Next();
    EXPECT_EQ(tk_Spray(t.get(), 16, 16, 10, 255, 0x00FFFFFFu), 1);
    EXPECT_EQ(rnd_State(), r.state);
}

TEST(ToolSpray, MatchesOracleOnRandomLayouts) {
    RandomLayouts(7, 200, 10, [](Surface* s, Grid& g, int x, int y, std::mt19937& rng, int) {
        int width = (int)(rng() % 40), level = (int)(rng() % 256);
        uint32_t colorref = rng(), seed = rng();
        Lcg r{seed};
        if (width >= 1) SprayOracle(g, r, x, y, width, level, colorref);
        rnd_Seed(seed);
        ASSERT_EQ(tk_Spray(s, x, y, width, level, colorref), 1);
        ASSERT_EQ(rnd_State(), r.state);
    });
}

TEST(ToolRoughen, MatchesOracleOnRandomLayouts) {
    RandomLayouts(11, 200, 10, [](Surface* s, Grid& g, int x, int y, std::mt19937& rng, int) {
        int width = (int)(rng() % 30), level = (int)(rng() % 256);
        uint32_t seed = rng();
        Lcg r{seed};
        if (width >= 1) RoughenOracle(g, r, x, y, width, level);
        rnd_Seed(seed);
        ASSERT_EQ(tk_Roughen(s, x, y, width, level), 1);
    });
}

TEST(ToolSmooth, UniformAreaStaysUniform) {
    TestSurface t(24, 24);
    for (int y = 0; y < 24; y++)
        for (int x = 0; x < 24; x++) t.at(x, y) = 0x80C0A040u;
    Grid before(t.get());
    EXPECT_EQ(tk_Smooth(t.get(), 12, 12, 15), 1);
    EXPECT_EQ(tk_Smooth(t.get(), 0, 23, 15), 1);   // at the edge, outside neighbours are the pixel
    EXPECT_EQ(tk_SmoothDirectional(t.get(), 3, 3, 9, 1), 1);
    EXPECT_EQ(tk_SmoothDirectional(t.get(), 20, 3, 9, 0), 1);
    EXPECT_TRUE(before.Equals(t.get()));
}

TEST(ToolSmooth, BothSmoothersMatchOracleOnRandomLayouts) {
    RandomLayouts(21, 300, 10, [](Surface* s, Grid& g, int x, int y, std::mt19937& rng, int) {
        int width = (int)(rng() % 30), kind = (int)(rng() % 3);
        if (width >= 1) {
            if (kind == 0) SmoothOracle(g, x, y, width);
            else DirectionalOracle(g, x, y, width, kind == 1);
        }
        ASSERT_EQ(kind == 0 ? tk_Smooth(s, x, y, width) : tk_SmoothDirectional(s, x, y, width, kind == 1), 1);
    });
}

TEST(ToolDab, SizesAndLevels) {
    TestSurface t(9, 9);
    for (int y = 0; y < 9; y++)
        for (int x = 0; x < 9; x++) t.at(x, y) = 0xFFFFFFFFu;
    EXPECT_EQ(tk_AlphaDab(t.get(), 4, 4, 0, 50, 0), 0);
    EXPECT_EQ(tk_AlphaDab(t.get(), 4, 4, 1, 50, 0), 1);   // radius 0: weight 0
    EXPECT_EQ(t.at(4, 4), 0xFFFFFFFFu);
    // A level below 1 counts as 1: w = 200 at the centre takes white to 254.
    EXPECT_EQ(tk_AlphaDab(t.get(), 4, 4, 8, -5, 0), 1);
    EXPECT_EQ(t.at(4, 4), 0xFEFEFEFEu);
}

TEST(ToolDab, MatchesOracleOnRandomLayouts) {
    RandomLayouts(31, 300, 10, [](Surface* s, Grid& g, int x, int y, std::mt19937& rng, int) {
        int diameter = 1 + (int)(rng() % 40), level = 1 + (int)(rng() % 400);
        uint32_t colour = rng();
        DabOracle(g, x, y, diameter, level, colour);
        ASSERT_EQ(tk_AlphaDab(s, x, y, diameter, level, colour), 1);
    });
}

TEST(ToolSparkle, MatchesOracleAtEveryRegimeOfTheLevel) {
    const int levels[] = {0, 47, 48, 100};
    RandomLayouts(41, 160, 5, [&levels](Surface* s, Grid& g, int x, int y, std::mt19937& rng, int round) {
        int hx = x + (int)(rng() % 61) - 30, hy = y + (int)(rng() % 61) - 30;
        int level = levels[round % 4];
        uint32_t colour = rng();
        int ca = (int)(rng() % 256), ea = (int)(rng() % 256);
        SparkleOracle(g, x, y, hx, hy, colour, ca, ea, level);
        ASSERT_EQ(tk_Sparkle(s, x, y, hx, hy, colour, ca, ea, level), 1);
    });
}

TEST(ToolSparkle, ShapeSharpensAsTheLevelFalls) {
    // From level 48 the shape is the square on its corner |u| + |v| <= R; at level 0
    // only thin arms along the axes remain. Handle straight right, R = 20.
    auto changed = [](int level, int dx, int dy) {
        TestSurface t(61, 61);
        tk_Sparkle(t.get(), 30, 30, 50, 30, 0x00FFFFFFu, 0, 0, level);
        return t.at(30 + dx, 30 + dy) != 0;
    };
    EXPECT_TRUE(changed(48, 10, 9));
    EXPECT_FALSE(changed(48, 11, 11));
    EXPECT_TRUE(changed(100, 0, 19));
    EXPECT_TRUE(changed(0, 19, 0));     // the arm reaches the handle
    EXPECT_FALSE(changed(0, 5, 5));     // between the arms
    EXPECT_FALSE(changed(47, 10, 10));  // just short of the square
    // Alpha 255 keeps 65280 / 65536 of the pixel: white adds less than one step to
    // black. A zero radius paints nothing.
    TestSurface t(9, 9);
    tk_Sparkle(t.get(), 4, 4, 8, 4, 0x00FFFFFFu, 255, 255, 100);
    EXPECT_EQ(t.at(4, 4), 0u);
    tk_Sparkle(t.get(), 4, 4, 8, 4, 0x00FFFFFFu, 0, 255, 100);
    EXPECT_EQ(t.at(4, 4), 0x00FFFFFFu);   // alpha 0 at the centre: the colour itself
    EXPECT_EQ(tk_Sparkle(t.get(), 1, 1, 1, 1, 0x00FFFFFFu, 0, 0, 100), 1);
    EXPECT_EQ(t.at(1, 1), 0u);
}

TEST(ToolSparkle, OffsetsPastTheTableDoNotWrapAround) {
    // Square on its corner with R = 5000, centre far left of the surface. Pixel
    // (8, 0) lies 4998 along and 100 across: outside. Wrapped by 4096 it would be
    // 902 along and come out inside.
    TestSurface t(16, 128);
    EXPECT_EQ(tk_Sparkle(t.get(), -4990, 100, 10, 100, 0x00FFFFFFu, 0, 0, 100), 1);
    EXPECT_EQ(t.at(8, 0), 0u);
    EXPECT_NE(t.at(0, 100), 0u);   // 4990 along the handle: inside
}
