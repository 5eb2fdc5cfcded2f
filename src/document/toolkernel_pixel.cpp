// toolkernel_pixel.cpp — the tool kernels with their own per-pixel rules: spray,
// roughen, the two smoothers and the soft dab.
//
// Spray and roughen pick their pixels with the tools' random sequence, two values
// per pick (x first), roughen a third for the brightness offset, whether or not the
// pick lands inside. The smoothers work in place, rows top-down and pixels
// left-right, so later pixels see already smoothed neighbours.
#include <cmath>
#include "document/random.h"
#include "document/toolkernel.h"
#include "engine/color.h"

static int64_t Min64(int64_t a, int64_t b) { return a < b ? a : b; }
static int64_t Max64(int64_t a, int64_t b) { return a > b ? a : b; }
static int Clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

static uint32_t* PixelAt(Surface* s, int64_t x, int64_t y) {
    return s->pixels + (size_t)y * s->stride + (size_t)x;
}

static bool Inside(const Surface* s, int64_t x, int64_t y) {
    return x >= 0 && y >= 0 && x < (int64_t)s->width && y < (int64_t)s->height;
}

// One random pick in the width's square around (x, y).
static void Pick(int x, int y, int64_t width, int64_t* px, int64_t* py) {
    *px = x - width / 2 + rnd_Scaled(width);
    *py = y - width / 2 + rnd_Scaled(width);
}

int tk_Spray(Surface* s, int x, int y, int width, int level, uint32_t colorref) {
    if (width < 1) return 1;
    if (!srf_Lock(s)) return 0;
    const int64_t w = Min64(width, TK_MAX_WIDTH);
    const int64_t count = (Clamp(level, 0, 255) + 1) * w * w / 500;
    const uint32_t c = clr_SwapRB(colorref);
    for (int64_t i = 0; i < count; i++) {
        int64_t px, py;
        Pick(x, y, w, &px, &py);
        if (Inside(s, px, py)) *PixelAt(s, px, py) = c;
    }
    srf_Unlock(s);
    return 1;
}

static uint32_t AddClamped(uint32_t channel, int delta) {
    return (uint32_t)Clamp((int)channel + delta, 0, 255);
}

int tk_Roughen(Surface* s, int x, int y, int width, int level) {
    if (width < 1) return 1;
    if (!srf_Lock(s)) return 0;
    const int64_t w = Min64(width, TK_MAX_WIDTH);
    const int64_t count = w * w / 2;
    const int lv = Clamp(level, 0, 255);
    for (int64_t i = 0; i < count; i++) {
        int64_t px, py;
        Pick(x, y, w, &px, &py);
        const int delta = (rnd_Next() - 16383) * lv / 32767;
        if (!Inside(s, px, py)) continue;
        uint32_t* p = PixelAt(s, px, py);
        const uint32_t v = *p;
        *p = (v & 0xFF000000u) | AddClamped((v >> 16) & 0xFF, delta) << 16 |
             AddClamped((v >> 8) & 0xFF, delta) << 8 | AddClamped(v & 0xFF, delta);
    }
    srf_Unlock(s);
    return 1;
}

// Per-channel truncated average of n words (all four channels).
static uint32_t Average(const uint32_t* w, int n) {
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t sum = 0;
        for (int i = 0; i < n; i++) sum += (w[i] >> shift) & 0xFF;
        out |= (sum / (uint32_t)n) << shift;
    }
    return out;
}

// Visits the disc of the smoothers: rows y - half .. y + half; row a = y' - (y -
// half) spans centre +- trunc(sqrt(r^2 - (r - a)^2)), centre = x - half + r. Only
// rows and pixels inside the surface are visited, in place, top-down, left-right.
template <class Treat>
static void WalkDisc(Surface* s, int x, int y, int64_t half, int64_t r, Treat treat) {
    const int64_t top = (int64_t)y - half;
    const int64_t y0 = Max64(top, 0), y1 = Min64((int64_t)y + half, (int64_t)s->height - 1);
    const int64_t centre = (int64_t)x - half + r;
    for (int64_t yy = y0; yy <= y1; yy++) {
        const int64_t a = yy - top;
        const int64_t q = r * r - (r - a) * (r - a);
        const int64_t hw = q > 0 ? (int64_t)std::sqrt((double)q) : 0;
        const int64_t x0 = Max64(centre - hw, 0), x1 = Min64(centre + hw, (int64_t)s->width - 1);
        for (int64_t xx = x0; xx <= x1; xx++) treat(xx, yy);
    }
}

// A neighbour outside the surface counts as the pixel itself.
static uint32_t Neighbour(Surface* s, int64_t x, int64_t y, uint32_t self) {
    return Inside(s, x, y) ? *PixelAt(s, x, y) : self;
}

int tk_Smooth(Surface* s, int x, int y, int width) {
    if (width < 1) return 1;
    if (!srf_Lock(s)) return 0;
    const int64_t half = width / 2;
    WalkDisc(s, x, y, half, Max64(half, 1), [s](int64_t px, int64_t py) {
        uint32_t* p = PixelAt(s, px, py);
        const uint32_t w[5] = {*p, Neighbour(s, px - 1, py, *p), Neighbour(s, px + 1, py, *p),
                               Neighbour(s, px, py - 1, *p), Neighbour(s, px, py + 1, *p)};
        *p = Average(w, 5);
    });
    srf_Unlock(s);
    return 1;
}

int tk_SmoothDirectional(Surface* s, int x, int y, int width, int vertical) {
    if (width < 1) return 1;
    if (!srf_Lock(s)) return 0;
    const int64_t half = width / 2;
    const int64_t dx = vertical ? 0 : 1, dy = vertical ? 1 : 0;
    WalkDisc(s, x, y, half, half, [s, dx, dy](int64_t px, int64_t py) {
        uint32_t* p = PixelAt(s, px, py);
        const uint32_t w[3] = {*p, Neighbour(s, px - dx, py - dy, *p), Neighbour(s, px + dx, py + dy, *p)};
        *p = Average(w, 3);
    });
    srf_Unlock(s);
    return 1;
}

int tk_AlphaDab(Surface* s, int x, int y, int diameter, int level, uint32_t colour) {
    if (diameter < 1) return 0;
    if (level < 1) level = 1;
    if (!srf_Lock(s)) return 0;
    const int64_t r = diameter / 2;
    // A dab of radius 0 is one pixel at distance 0, whose weight r^2 - 0 is 0: it
    // changes nothing (and the falloff constant would divide by zero).
    if (r > 0) {
        const double k = (double)level * 200.0 / (double)(r * r);
        const int64_t y0 = Max64((int64_t)y - r, 0), y1 = Min64((int64_t)y + r, (int64_t)s->height - 1);
        for (int64_t yy = y0; yy <= y1; yy++) {
            const int64_t e = y - yy;
            const int64_t hw = (int64_t)std::sqrt((double)(r * r - e * e));
            const int64_t x0 = Max64(x - hw, 0), x1 = Min64(x + hw, (int64_t)s->width - 1);
            for (int64_t xx = x0; xx <= x1; xx++) {
                const int64_t dx = xx - x;
                const double v = (double)Max64(r * r - dx * dx - e * e, 0) * k;
                const uint32_t w = v >= 65536.0 ? 65536u : (uint32_t)v;
                uint32_t* p = PixelAt(s, xx, yy);
                *p = clr_Mix(colour, w, *p);
            }
        }
    }
    srf_Unlock(s);
    return 1;
}
