// shape_fill.cpp — filled rectangles (SET, OVER, op modes), colour replacement,
// four-corner gradients and ellipses (outline, filled, op, radial gradient).
//
// Promises: rectangles are normalised and clipped first and return 0 when nothing
// is left; ellipse rows are computed once each in floating point, converted by
// truncation toward zero, and only rows inside the surface are walked (the
// outline also visits the rows just outside, whose connecting lines clip).
#include <climits>
#include <cmath>
#include "engine/shape.h"
#include "engine/shape_ops.h"

namespace {

// Rectangle fill with a per-pixel rule put(pixel, x, y).
template <class Put>
int FillRows(Surface* s, int x1, int y1, int x2, int y2, Put put) {
    int64_t a, t, b, u;
    if (!shp_Usable(s) || !shp_ClipRect(s, x1, y1, x2, y2, &a, &t, &b, &u)) return 0;
    for (int64_t y = t; y <= u; y++) {
        uint32_t* row = shp_Row(s, y);
        for (int64_t x = a; x <= b; x++) put(row + x, x, y);
    }
    return 1;
}

// One channel of the blended gradient: the row colours keep their 8 extra bits.
uint32_t GradientChannel(uint32_t tl, uint32_t bl, uint32_t tr, uint32_t br, int sh, uint32_t fy,
                         uint32_t fx) {
    uint32_t l = ((tl >> sh) & 255) * (256 - fy) + ((bl >> sh) & 255) * fy;
    uint32_t r = ((tr >> sh) & 255) * (256 - fy) + ((br >> sh) & 255) * fy;
    return ((l * (256 - fx) + r * fx) >> 16) << sh;
}

template <bool Blend>
int Gradient(Surface* s, int x1, int y1, int x2, int y2, uint32_t tl, uint32_t tr, uint32_t bl,
             uint32_t br) {
    int64_t a, t, b, u;
    if (!shp_Usable(s) || !shp_ClipRect(s, x1, y1, x2, y2, &a, &t, &b, &u)) return 0;
    // Rows measure from the y given first, so a reversed box keeps the top-left
    // colour at that y; columns measure from the normalised (unclipped) left edge,
    // so clipping never moves the colours.
    const int64_t left = shp_Min(x1, x2), right = shp_Max(x1, x2);
    const int64_t step = right == left ? 32768 : 65536 / (right - left);
    for (int64_t y = t; y <= u; y++) {
        const uint32_t fy = y1 == y2 ? 128 : (uint32_t)((y - y1) * 256 / ((int64_t)y2 - y1));
        const uint32_t lc = px_Lerp(tl, bl, fy), rc = px_Lerp(tr, br, fy);
        uint32_t* row = shp_Row(s, y);
        for (int64_t x = a; x <= b; x++) {
            const uint32_t fx = (uint32_t)(((x - left) * step) >> 8);
            if (Blend) {
                uint32_t c = GradientChannel(tl, bl, tr, br, 0, fy, fx) |
                             GradientChannel(tl, bl, tr, br, 8, fy, fx) |
                             GradientChannel(tl, bl, tr, br, 16, fy, fx) |
                             GradientChannel(tl, bl, tr, br, 24, fy, fx);
                row[x] = px_Over(c, row[x]);
            } else {
                row[x] = px_Lerp(lc, rc, fx);
            }
        }
    }
    return 1;
}

// The normalised box of an ellipse in floating point.
struct EllipseBox {
    int64_t x1, y1, x2, y2;
    double cx, cy, a, b;
};

EllipseBox MakeBox(int x1, int y1, int x2, int y2) {
    EllipseBox e;
    e.x1 = shp_Min(x1, x2);
    e.x2 = shp_Max(x1, x2);
    e.y1 = shp_Min(y1, y2);
    e.y2 = shp_Max(y1, y2);
    e.cx = (double)(e.x1 + e.x2) / 2;
    e.cy = (double)(e.y1 + e.y2) / 2;
    // At least 0.5 each, so a^2 and b^2 never vanish.
    e.a = (double)(e.x2 - e.x1 + 1) / 2;
    e.b = (double)(e.y2 - e.y1 + 1) / 2;
    return e;
}

// Left and right x of row y (inside y1..y2) and the row's distance from the centre.
void RowExtent(const EllipseBox& box, int64_t y, int64_t* xl, int64_t* xr, double* dist) {
    const double e = std::fabs((double)y - box.cy);
    // Within the box e <= b - 0.5, so the factor is positive; the guard is for safety.
    const double q = (1 - e * e / (box.b * box.b)) * (box.a * box.a);
    const double half = std::sqrt(q > 0 ? q : 0);
    *xl = shp_Trunc(box.cx - half);
    *xr = shp_Trunc(box.cx + half);
    *dist = e;
}

int ToInt(int64_t v) { return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : (int)v; }

// Rows of a filled ellipse inside the surface; span(y, xl, xr, dist) gets each
// row's clamped extent.
template <class Span>
int EllipseRows(Surface* s, int x1, int y1, int x2, int y2, Span span) {
    if (!shp_Usable(s)) return 0;
    const EllipseBox box = MakeBox(x1, y1, x2, y2);
    const int64_t w = s->width, h = s->height;
    if (box.x2 < 0 || box.x1 >= w || box.y2 < 0 || box.y1 >= h) return 0;
    for (int64_t y = shp_Max(box.y1, 0); y <= shp_Min(box.y2, h - 1); y++) {
        int64_t xl, xr;
        double dist;
        RowExtent(box, y, &xl, &xr, &dist);
        xl = shp_Max(xl, 0);
        xr = shp_Min(xr, w - 1);
        if (xl <= xr) span(y, xl, xr, dist);
    }
    return 1;
}

template <bool Blend>
int Radial(Surface* s, int x1, int y1, int x2, int y2, uint32_t centre, uint32_t edge) {
    const EllipseBox box = MakeBox(x1, y1, x2, y2);
    const double a2 = box.a * box.a, b2 = box.b * box.b;
    const double kx = a2 != 0 ? 16777216.0 / a2 : 1e34;
    return EllipseRows(s, x1, y1, x2, y2, [&](int64_t y, int64_t xl, int64_t xr, double e) {
        const double ry = (double)shp_Trunc(e * e * 16777216.0 / b2);
        uint32_t* row = shp_Row(s, y);
        for (int64_t x = xl; x <= xr; x++) {
            const double d = (double)x + 0.5 - box.cx;
            const int64_t q = shp_Trunc(std::sqrt(d * d * kx + ry));
            const uint32_t f = (uint32_t)shp_Min(q >> 4, 256);
            const uint32_t c = px_Lerp(centre, edge, f);
            row[x] = Blend ? px_Over(c, row[x]) : c;
        }
    });
}

}  // namespace

int drw_FillRect(Surface* s, int x1, int y1, int x2, int y2, uint32_t colour) {
    return FillRows(s, x1, y1, x2, y2, [&](uint32_t* p, int64_t, int64_t) { *p = colour; });
}

int drw_FillRectBlend(Surface* s, int x1, int y1, int x2, int y2, uint32_t colour) {
    return FillRows(s, x1, y1, x2, y2, [&](uint32_t* p, int64_t, int64_t) { *p = px_Over(colour, *p); });
}

int drw_FillRectOp(Surface* s, int x1, int y1, int x2, int y2, uint32_t colour, int mode) {
    int64_t a, t, b, u;
    if (!shp_Usable(s) || !shp_ClipRect(s, x1, y1, x2, y2, &a, &t, &b, &u)) return 0;
    for (int64_t y = t; y <= u; y++) shp_OpSpan(s, y, a, b, colour, mode, SHP_OP_FILL);
    return 1;
}

int drw_ReplaceColor(Surface* s, int x1, int y1, int x2, int y2, uint32_t oldColour, uint32_t newColour) {
    return FillRows(s, x1, y1, x2, y2, [&](uint32_t* p, int64_t, int64_t) {
        if (*p == oldColour) *p = newColour;
    });
}

int drw_GradientRect(Surface* s, int x1, int y1, int x2, int y2,
                     uint32_t topLeft, uint32_t topRight, uint32_t bottomLeft, uint32_t bottomRight) {
    return Gradient<false>(s, x1, y1, x2, y2, topLeft, topRight, bottomLeft, bottomRight);
}

int drw_GradientRectBlend(Surface* s, int x1, int y1, int x2, int y2,
                          uint32_t topLeft, uint32_t topRight, uint32_t bottomLeft, uint32_t bottomRight) {
    return Gradient<true>(s, x1, y1, x2, y2, topLeft, topRight, bottomLeft, bottomRight);
}

// Outline: the first and last rows as horizontal lines, every other row joined to
// the row above by two lines (left ends, right ends).
int drw_Ellipse(Surface* s, int x1, int y1, int x2, int y2, uint32_t colour) {
    if (!shp_Usable(s)) return 0;
    const EllipseBox box = MakeBox(x1, y1, x2, y2);
    int64_t xl, xr, pl, pr;
    double dist;
    RowExtent(box, box.y1, &xl, &xr, &dist);
    drw_Line(s, ToInt(xl), (int)box.y1, ToInt(xr), (int)box.y1, colour);
    // A joining line touches only rows y - 1 and y; the others refuse themselves.
    const int64_t first = shp_Max(box.y1 + 1, 0), last = shp_Min(box.y2, (int64_t)s->height);
    for (int64_t y = first; y <= last; y++) {
        RowExtent(box, y - 1, &pl, &pr, &dist);
        RowExtent(box, y, &xl, &xr, &dist);
        drw_Line(s, ToInt(pl), (int)(y - 1), ToInt(xl), (int)y, colour);
        drw_Line(s, ToInt(pr), (int)(y - 1), ToInt(xr), (int)y, colour);
    }
    RowExtent(box, box.y2, &xl, &xr, &dist);
    drw_Line(s, ToInt(xl), (int)box.y2, ToInt(xr), (int)box.y2, colour);
    return 1;
}

int drw_FillEllipse(Surface* s, int x1, int y1, int x2, int y2, uint32_t colour) {
    return EllipseRows(s, x1, y1, x2, y2, [&](int64_t y, int64_t xl, int64_t xr, double) {
        shp_OpSpan(s, y, xl, xr, colour, 0, SHP_OP_FILL);
    });
}

int drw_FillEllipseOp(Surface* s, int x1, int y1, int x2, int y2, uint32_t colour, int mode) {
    return EllipseRows(s, x1, y1, x2, y2, [&](int64_t y, int64_t xl, int64_t xr, double) {
        shp_OpSpan(s, y, xl, xr, colour, mode, SHP_OP_FILL);
    });
}

int drw_RadialEllipse(Surface* s, int x1, int y1, int x2, int y2, uint32_t centre, uint32_t edge) {
    return Radial<false>(s, x1, y1, x2, y2, centre, edge);
}

int drw_RadialEllipseBlend(Surface* s, int x1, int y1, int x2, int y2, uint32_t centre, uint32_t edge) {
    return Radial<true>(s, x1, y1, x2, y2, centre, edge);
}
