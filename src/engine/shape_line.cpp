// shape_line.cpp — one-pixel lines (DDA with extended deltas; length-stepped op and
// marker lines), the scan-line thick line with round caps, rectangle outlines.
//
// Promises: each line clips itself pixel by pixel, yet its loops only visit the
// rows, columns or steps that can land inside the surface, so any int coordinates
// cost at most a few passes over the surface and give the same pixels as walking
// the whole line. Counts that would not fit an int saturate at INT_MAX.
#include <climits>
#include <cmath>
#include "engine/shape.h"
#include "engine/shape_ops.h"

namespace {

int SatInt(int64_t v) { return v > INT_MAX ? INT_MAX : (int)v; }

bool LineOutside(const Surface* s, int x1, int y1, int x2, int y2) {
    const int64_t w = s->width, h = s->height;
    return (x1 < 0 && x2 < 0) || (x1 >= w && x2 >= w) || (y1 < 0 && y2 < 0) || (y1 >= h && y2 >= h);
}

// The DDA shared by the SET, MIX and gradient lines. put(p, pos, len) receives the
// pixel and its place along the major axis: pos = position - start, len = end -
// start (0 for a single point). No pixel is visited twice.
template <class Put>
int WalkLine(Surface* s, int x1, int y1, int x2, int y2, Put put) {
    if (!shp_Usable(s) || LineOutside(s, x1, y1, x2, y2)) return 0;
    const int64_t w = s->width, h = s->height;
    if (x1 == x2 && y1 == y2) {
        put(shp_Row(s, y1) + x1, 0, 0);
        return 1;
    }
    if (y1 == y2) {
        int64_t a = shp_Max(shp_Min(x1, x2), 0), b = shp_Min(shp_Max(x1, x2), w - 1);
        uint32_t* row = shp_Row(s, y1);
        for (int64_t x = a; x <= b; x++) put(row + x, x - x1, (int64_t)x2 - x1);
        return (int)(b - a + 1);
    }
    if (x1 == x2) {
        int64_t a = shp_Max(shp_Min(y1, y2), 0), b = shp_Min(shp_Max(y1, y2), h - 1);
        for (int64_t y = a; y <= b; y++) put(shp_Row(s, y) + x1, y - y1, (int64_t)y2 - y1);
        return (int)(b - a + 1);
    }
    // Both deltas pushed one away from zero so the line reaches its far end.
    const int64_t dx = (int64_t)x2 - x1, dy = (int64_t)y2 - y1;
    const int64_t dxe = dx >= 1 ? dx + 1 : dx - 1;
    const int64_t dye = dy >= 1 ? dy + 1 : dy - 1;
    if (shp_Abs(dxe) <= shp_Abs(dye)) {
        int64_t a = shp_Max(shp_Min(y1, y2), 0), b = shp_Min(shp_Max(y1, y2), h - 1);
        for (int64_t y = a; y <= b; y++) {
            int64_t x = x1 + shp_MulDiv(y - y1, dxe, dye);
            if (x >= 0 && x < w) put(shp_Row(s, y) + x, y - y1, dy);
        }
        return SatInt(shp_Abs(dye));
    }
    int64_t a = shp_Max(shp_Min(x1, x2), 0), b = shp_Min(shp_Max(x1, x2), w - 1);
    for (int64_t x = a; x <= b; x++) {
        int64_t y = y1 + shp_MulDiv(x - x1, dye, dxe);
        if (y >= 0 && y < h) put(shp_Row(s, y) + x, x - x1, dx);
    }
    return SatInt(shp_Abs(dxe));
}

// First i in [lo, hi] where the monotone predicate turns true, hi + 1 if never.
template <class Pred>
int64_t FirstTrue(int64_t lo, int64_t hi, Pred pred) {
    int64_t a = lo, b = hi + 1;
    while (a < b) {
        int64_t m = a + (b - a) / 2;
        if (pred(m)) b = m;
        else a = m + 1;
    }
    return a;
}

// Narrows [*lo, *hi] to the steps i whose coordinate c + (i * d) / n lies in
// 0..lim-1. The coordinate is monotone in i, so two binary searches suffice.
void NarrowSteps(int64_t c, int64_t d, int64_t n, int64_t lim, int64_t* lo, int64_t* hi) {
    auto at = [&](int64_t i) { return c + shp_MulDiv(i, d, n); };
    int64_t first, last;
    if (d >= 0) {
        first = FirstTrue(0, n, [&](int64_t i) { return at(i) >= 0; });
        last = FirstTrue(0, n, [&](int64_t i) { return at(i) > lim - 1; }) - 1;
    } else {
        first = FirstTrue(0, n, [&](int64_t i) { return at(i) <= lim - 1; });
        last = FirstTrue(0, n, [&](int64_t i) { return at(i) < 0; }) - 1;
    }
    *lo = shp_Max(*lo, first);
    *hi = shp_Min(*hi, last);
}

// Step count of the length-stepped lines: the truncated length, at least 1.
int64_t StepCount(int x1, int y1, int x2, int y2) {
    double dx = (double)((int64_t)x2 - x1), dy = (double)((int64_t)y2 - y1);
    return shp_Max(shp_Trunc(std::sqrt(dx * dx + dy * dy)), 1);
}

// Visits the points i = 0..last of the length-stepped line that lie inside, in
// order, repeats included (an XOR applied twice cancels, as it should).
template <class Put>
void WalkSteps(Surface* s, int x1, int y1, int x2, int y2, int64_t n, int64_t last, Put put) {
    const int64_t dx = (int64_t)x2 - x1, dy = (int64_t)y2 - y1;
    int64_t lo = 0, hi = last;
    NarrowSteps(x1, dx, n, s->width, &lo, &hi);
    NarrowSteps(y1, dy, n, s->height, &lo, &hi);
    for (int64_t i = lo; i <= hi; i++) {
        int64_t x = x1 + shp_MulDiv(i, dx, n), y = y1 + shp_MulDiv(i, dy, n);
        if (x >= 0 && x < s->width && y >= 0 && y < s->height) put(shp_Row(s, y) + x, x, y);
    }
}

typedef int (*LineFn)(Surface*, int, int, int, int, uint32_t);

// Four lines that meet without overlapping, so a blended outline blends each
// pixel once; a degenerate box draws only its top line.
int Outline(Surface* s, int x1, int y1, int x2, int y2, uint32_t colour, LineFn line) {
    if (x1 != x2 && y1 != y2) {
        int l = x1 < x2 ? x1 : x2, r = x1 < x2 ? x2 : x1;
        int t = y1 < y2 ? y1 : y2, b = y1 < y2 ? y2 : y1;
        line(s, l + 1, t, r, t, colour);
        line(s, r, t + 1, r, b, colour);
        line(s, l, b, r - 1, b, colour);
        line(s, l, t, l, b - 1, colour);
    } else {
        line(s, x1, y1, x2, y1, colour);
    }
    return 1;
}

}  // namespace

int drw_Line(Surface* s, int x1, int y1, int x2, int y2, uint32_t colour) {
    return WalkLine(s, x1, y1, x2, y2, [&](uint32_t* p, int64_t, int64_t) { *p = colour; });
}

int drw_LineBlend(Surface* s, int x1, int y1, int x2, int y2, uint32_t colour) {
    return WalkLine(s, x1, y1, x2, y2, [&](uint32_t* p, int64_t, int64_t) { *p = shp_Mix(colour, *p); });
}

int drw_LineGradient(Surface* s, int x1, int y1, int x2, int y2, uint32_t colour1, uint32_t colour2) {
    return WalkLine(s, x1, y1, x2, y2, [&](uint32_t* p, int64_t pos, int64_t len) {
        uint32_t f = len ? (uint32_t)(pos * 256 / len) : 128;  // a single point takes the average
        *p = shp_Mix(px_Lerp(colour1, colour2, f), *p);
    });
}

int drw_LineOp(Surface* s, int x1, int y1, int x2, int y2, uint32_t colour, int mode) {
    const int64_t n = StepCount(x1, y1, x2, y2);
    if (!shp_Usable(s)) return 0;
    const uint32_t* chk = eng_CheckerTable();
    WalkSteps(s, x1, y1, x2, y2, n, n, [&](uint32_t* p, int64_t x, int64_t y) {
        *p = shp_Op(*p, colour, mode, chk[(y & 15) * 16 + (x & 15)], SHP_OP_THIN);
    });
    return SatInt(n + 2);
}

// Shifts every colour channel by a fixed wrapping amount, so the mark stands out
// on dark and light pixels alike; alpha becomes opaque.
int drw_LineMarker(Surface* s, int x1, int y1, int x2, int y2) {
    if (!shp_Usable(s)) return 0;
    if (x1 == x2 && y1 == y2) {
        if (x1 < 0 || y1 < 0 || x1 >= (int64_t)s->width || y1 >= (int64_t)s->height) return 0;
        shp_Row(s, y1)[x1] = 0x000000FFu;
        return 1;
    }
    const int64_t n = StepCount(x1, y1, x2, y2);
    int marked = 0;
    // At least one delta is non-zero, so only step n lands on (x2, y2): stop before it.
    WalkSteps(s, x1, y1, x2, y2, n, n - 1, [&](uint32_t* p, int64_t, int64_t) {
        uint32_t d = *p;
        uint32_t b = (d - 65) & 0xFF, g = ((d >> 8) - 72) & 0xFF, r = ((d >> 16) - 80) & 0xFF;
        *p = (r << 16) | (g << 8) | b;
        marked = 1;
    });
    return marked;
}

int drw_ThickLine(Surface* s, int x1, int y1, int x2, int y2, int width, uint32_t colour, int mode) {
    if (!shp_Usable(s)) return 0;
    if (y1 > y2) {
        int t = x1; x1 = x2; x2 = t;
        t = y1; y1 = y2; y2 = t;
    }
    const double r = width / 2.0;
    const int64_t h = ((int64_t)width + 1) >> 1;
    const double dx = (double)((int64_t)x2 - x1), dy = (double)((int64_t)y2 - y1);
    const double a = std::atan2(dy, dx);
    // The band exists only for differing y, where sin a cannot be 0.
    const double wb = y1 != y2 ? std::fabs(r / std::sin(a)) : 0.0;
    const double vo = r * std::cos(a);
    const int64_t w = s->width;
    const int64_t ya = shp_Max((int64_t)y1 - h, 0), yb = shp_Min((int64_t)y2 + h, (int64_t)s->height - 1);
    for (int64_t y = ya; y <= yb; y++) {
        const double yd = (double)y;
        // Spans start empty; the sentinels lie outside any surface.
        int64_t lo = 999999, hi = -999999;
        double e = yd - (y1 + 0.5);
        if (e < -r) continue;
        if (std::fabs(e) <= r) {
            double cw = std::sqrt(r * r - e * e);
            lo = shp_Min(lo, shp_Trunc(x1 + 0.5 - cw + 0.5));
            hi = shp_Max(hi, shp_Trunc(x1 + 0.5 + cw + 0.5));
        }
        e = yd - (y2 + 0.5);
        if (e > r) continue;
        if (std::fabs(e) <= r) {
            double cw = std::sqrt(r * r - e * e);
            lo = shp_Min(lo, shp_Trunc(x2 + 0.5 - cw + 0.5));
            hi = shp_Max(hi, shp_Trunc(x2 + 0.5 + cw + 0.5));
        }
        if (y1 != y2) {
            const double xc = x1 + (yd - y1) * dx / dy;
            if (y1 + 0.5 + vo < yd && yd < y2 + 0.5 + vo) lo = shp_Min(lo, shp_Trunc(xc - wb + 0.5));
            if (y1 - vo + 0.5 < yd && yd < y2 - vo + 0.5) hi = shp_Max(hi, shp_Trunc(xc + wb + 0.5));
        }
        lo = shp_Max(lo, 0);
        hi = shp_Min(hi, w - 1);
        if (lo <= hi) shp_OpSpan(s, y, lo, hi, colour, mode, SHP_OP_THICK);
    }
    return 1;
}

int drw_Rect(Surface* s, int x1, int y1, int x2, int y2, uint32_t colour) {
    return Outline(s, x1, y1, x2, y2, colour, drw_Line);
}

int drw_RectBlend(Surface* s, int x1, int y1, int x2, int y2, uint32_t colour) {
    return Outline(s, x1, y1, x2, y2, colour, drw_LineBlend);
}
