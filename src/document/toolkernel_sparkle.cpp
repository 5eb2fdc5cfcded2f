// toolkernel_sparkle.cpp — the tinted sparkle: a rotated four-pointed star whose
// distance measure is (|u|^e + |v|^e)^(1/e) along and across the handle.
//
// The measure comes from three tables built per call: Q[i] = (i / 4)^e in 16.16 for
// the 14.14 offsets, A[i] = i^(1/e) for an 8-bit mantissa and B[j] = the scale of
// bit j. A pixel's distance is A[mantissa of s] * B[exponent of s], s = Q[u] + Q[v],
// in 1/1024 of the radius. Offsets past the Q table (4096 pixels or more along an
// axis, only for very large sparkles) take the same formula computed on the spot.
#include <cmath>
#include <cstdint>
#include "document/toolkernel.h"
#include "engine/color.h"

namespace {

const int Q_SIZE = 16384;
// Exponent slots: enough for any 64-bit sum of two Q values.
const int B_SIZE = 64;

struct SparkleTables {
    double a[256];
    double b[B_SIZE];
    uint32_t q[Q_SIZE];
    double e;
};

uint64_t QValue(const SparkleTables& t, uint64_t i) {
    if (i < (uint64_t)Q_SIZE) return t.q[i];
    return (uint64_t)(std::pow((double)i / 4.0, t.e) * 65536.0 + 0.5);
}

int HighestBit(uint64_t v) {
    int b = 0;
    while (v >>= 1) b++;
    return b;
}

// Distance in 1/1024 of the radius, saturated far beyond the 1024 that matters.
int64_t Distance(const SparkleTables& t, int64_t u, int64_t v) {
    const uint64_t au = (uint64_t)(u < 0 ? -u : u), av = (uint64_t)(v < 0 ? -v : v);
    const uint64_t s = QValue(t, au >> 14) + QValue(t, av >> 14);
    if (s == 0) return 0;
    int shift = HighestBit(s) - 7;
    if (shift < 0) shift = 0;   // cannot happen: a non-zero Q is at least 16384
    const double d = t.a[(s >> shift) & 255] * t.b[shift];
    return d >= 1e9 ? (int64_t)1e9 : (int64_t)d;
}

}  // namespace

int tk_Sparkle(Surface* s, int x, int y, int hx, int hy, uint32_t colour, int centreAlpha,
               int edgeAlpha, int level) {
    const double vx = (double)((int64_t)hx - x), vy = (double)((int64_t)hy - y);
    const int64_t radius = (int64_t)std::sqrt(vx * vx + vy * vy);
    if (radius < 1) return 1;
    if (!srf_Lock(s)) return 0;

    static SparkleTables t;   // 96 KB: too large for the stack
    // Below level 0 the exponent would reach 0 and the tables infinity.
    t.e = (level < 0 ? 0 : level) / 50.0 + 0.05;
    if (t.e > 1.0) t.e = 1.0;
    const double p = 1.0 / t.e;
    for (int i = 0; i < 256; i++) t.a[i] = std::pow((double)i, p);
    for (int j = 0; j < B_SIZE; j++) t.b[j] = std::pow(std::pow(2.0, j - 16), p) * 1024.0 / (double)radius;
    for (int i = 0; i < Q_SIZE; i++) t.q[i] = (uint32_t)(std::pow(i / 4.0, t.e) * 65536.0 + 0.5);

    // The handle lies on the U axis.
    const double angle = -std::atan2(vy, vx);
    const int64_t c = (int64_t)(std::cos(angle) * 65536.0), sn = (int64_t)(std::sin(angle) * 65536.0);
    const int64_t ac = centreAlpha & 0xFF, ae = edgeAlpha & 0xFF;
    const int64_t w = s->width, h = s->height;
    const int64_t y0 = y - radius < 0 ? 0 : y - radius, y1 = y + radius > h - 1 ? h - 1 : y + radius;
    const int64_t x0 = x - radius < 0 ? 0 : x - radius, x1 = x + radius > w - 1 ? w - 1 : x + radius;
    for (int64_t py = y0; py <= y1; py++) {
        uint32_t* row = s->pixels + (size_t)py * s->stride;
        const int64_t dy = py - y;
        for (int64_t px = x0; px <= x1; px++) {
            const int64_t dx = px - x;
            const int64_t d = Distance(t, dx * c - dy * sn, dx * sn + dy * c);
            if (d > 1024) continue;
            const uint32_t weight = (uint32_t)(((1024 - d) * ac + d * ae) >> 2);
            row[px] = clr_Mix(row[px], weight, colour);
        }
    }
    srf_Unlock(s);
    return 1;
}
