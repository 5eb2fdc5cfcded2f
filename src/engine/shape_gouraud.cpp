// shape_gouraud.cpp — scan-line polygons: Gouraud-shaded triangles and
// quadrilaterals (SET or OVER) and the quadrilateral warp that maps a rectangle
// of a second, also locked, surface onto four corners with bilinear sampling.
//
// Promises: one floating-point intersection per edge and row (truncated toward
// zero after adding half a pixel), fixed-point steps across each span; only rows
// inside the surface are walked and spans are clamped to it; the warp reads the
// source only inside its bounds. The engine's span option drops the last pixel
// of every span.
#include "engine/shape.h"
#include "engine/shape_ops.h"

namespace {

// Where a row meets an edge: column x, and the place along the edge from its first
// vertex as the fraction num / den (0..1).
struct Hit {
    int64_t x;
    int edge;
    int64_t num, den;
};

// Left and right ends of row y of a polygon whose edges run i -> i + 1 (closing
// back to 0). On equal x the earlier edge keeps its place. False when no edge
// meets the row.
bool RowEnds(const int* vx, const int* vy, int n, int64_t y, Hit* left, Hit* right) {
    bool any = false;
    auto offer = [&](const Hit& l, const Hit& r) {
        if (!any || l.x < left->x) *left = l;
        if (!any || r.x > right->x) *right = r;
        any = true;
    };
    for (int e = 0; e < n; e++) {
        const int a = e, b = (e + 1) % n;
        const int64_t xa = vx[a], ya = vy[a], xb = vx[b], yb = vy[b];
        if (ya == yb) {
            // A flat edge offers its left end to the left bound, its right end to the right.
            if (y != ya) continue;
            const Hit ha{xa, e, 0, 1}, hb{xb, e, 1, 1};
            if (xa <= xb) offer(ha, hb);
            else offer(hb, ha);
            continue;
        }
        if (y < shp_Min(ya, yb) || y > shp_Max(ya, yb)) continue;
        const double xe = (double)(xb - xa) * (double)(y - ya) / (double)(yb - ya) + 0.5 + (double)xa;
        const Hit h{shp_Trunc(xe), e, y - ya, yb - ya};
        offer(h, h);
    }
    return any;
}

// Columns and rows a filler may write (inclusive); the surface clips them further.
struct Clip {
    int64_t x1, y1, x2, y2;
};
const Clip WHOLE = {0, 0, INT64_MAX, INT64_MAX};

// Rows of the polygon inside the surface and the clip; span(y, left, right, xl, step,
// a, b) gets the two end hits, the unclamped left end xl, the 8.24 step across the
// span (its right end already shortened by the span option) and the clamped columns
// a..b. The clip only narrows what is walked: the steps are those of the whole span.
template <class Span>
int ScanPolygon(Surface* s, const int* vx, const int* vy, int n, const Clip& clip, Span span) {
    int64_t top = vy[0], bottom = vy[0], left = vx[0], right = vx[0];
    for (int i = 1; i < n; i++) {
        top = shp_Min(top, vy[i]);
        bottom = shp_Max(bottom, vy[i]);
        left = shp_Min(left, vx[i]);
        right = shp_Max(right, vx[i]);
    }
    const int64_t w = s->width, h = s->height;
    // Wholly outside on any side draws nothing, as the warp's own check says.
    if (bottom < 0 || top >= h || right < 0 || left > w - 1) return 0;
    const int64_t dropLast = eng_SpanOption() ? 1 : 0;
    const int64_t yFirst = shp_Max(shp_Max(top, 0), clip.y1), yLast = shp_Min(shp_Min(bottom, h - 1), clip.y2);
    for (int64_t y = yFirst; y <= yLast; y++) {
        Hit l, r;
        if (!RowEnds(vx, vy, n, y, &l, &r)) continue;
        const int64_t xl = l.x, xr = r.x - dropLast;
        // A span the option emptied stays empty (clamping must not revive a pixel).
        if (xr < xl) continue;
        if ((xl < 0 && xr < 0) || (xl > w - 1 && xr > w - 1)) continue;
        const int64_t step = xr == xl ? 16777216 : 16777216 / (xr - xl);
        const int64_t a = shp_Max(shp_Max(xl, 0), clip.x1), b = shp_Min(shp_Min(xr, w - 1), clip.x2);
        if (a <= b) span(y, l, r, xl, step, a, b);
    }
    return 1;
}

template <bool Blend>
int Gouraud(Surface* s, const int* vx, const int* vy, const uint32_t* colour, int n) {
    if (!shp_Usable(s)) return 0;
    auto edgeColour = [&](const Hit& hit) {
        const uint32_t f = (uint32_t)(256 * hit.num / hit.den);
        return px_Lerp(colour[hit.edge], colour[(hit.edge + 1) % n], f);
    };
    return ScanPolygon(s, vx, vy, n, WHOLE, [&](int64_t y, const Hit& l, const Hit& r, int64_t xl, int64_t step,
                                         int64_t a, int64_t b) {
        const uint32_t cl = edgeColour(l), cr = edgeColour(r);
        uint32_t* row = shp_Row(s, y);
        for (int64_t x = a; x <= b; x++) {
            const uint32_t c = px_Lerp(cl, cr, (uint32_t)(((x - xl) * step) >> 16));
            row[x] = Blend ? px_Over(c, row[x]) : c;
        }
    });
}

// Unit-square place (16-bit fixed point, 65535 = 1) of an edge hit of the warp:
// vertices 1..4 are the source rectangle's top-left, top-right, bottom-right,
// bottom-left corners.
void WarpPlace(const Hit& hit, int64_t* u, int64_t* v) {
    const int64_t t = ((65536 * hit.num / hit.den) * 65535) >> 16;
    switch (hit.edge) {
    case 0: *u = t; *v = 0; break;
    case 1: *u = 65535; *v = t; break;
    case 2: *u = 65535 - t; *v = 65535; break;
    default: *u = 0; *v = 65535 - t; break;
    }
}

int64_t Clamp(int64_t v, int64_t lo, int64_t hi) { return v < lo ? lo : v > hi ? hi : v; }

// Bilinear sample at the unit-square place (u, v) of the source rectangle. The
// fractions come from the low 16 bits of the scaled products; columns and rows
// are held inside the source so no read leaves it.
uint32_t WarpSample(const Surface* src, int sx1, int sy1, int sx2, int sy2, int64_t u, int64_t v) {
    const int64_t pu = u * ((int64_t)sx2 - sx1), pv = v * ((int64_t)sy2 - sy1);
    const int64_t col = sx1 + pu / 65535, row = sy1 + pv / 65535;
    const int64_t lastCol = (int64_t)src->width - 1, lastRow = (int64_t)src->height - 1;
    const int64_t c0 = Clamp(col, 0, lastCol), c1 = Clamp(col + 1, 0, lastCol);
    const int64_t r0 = Clamp(row, 0, lastRow), r1 = Clamp(row + 1, 0, lastRow);
    const uint64_t lu = (uint64_t)pu & 65535, lv = (uint64_t)pv & 65535;
    const uint32_t fx = (uint32_t)(lu >> 8), fy = (uint32_t)(lv >> 8);
    const uint32_t w11 = (uint32_t)(((lu >> 1) * (lv >> 1)) >> 22);
    const uint32_t w10 = fx - w11, w01 = fy - w11;
    const uint32_t w00 = 256 - w10 - w01 - w11;
    const uint32_t* p0 = src->pixels + (size_t)r0 * src->stride;
    const uint32_t* p1 = src->pixels + (size_t)r1 * src->stride;
    return px_Mix4(p0[c0], w00, p0[c1], w10, p1[c0], w01, p1[c1], w11);
}

}  // namespace

int drw_Triangle(Surface* s, int x1, int y1, int x2, int y2, int x3, int y3,
                 uint32_t colour1, uint32_t colour2, uint32_t colour3) {
    const int vx[3] = {x1, x2, x3}, vy[3] = {y1, y2, y3};
    const uint32_t c[3] = {colour1, colour2, colour3};
    return Gouraud<false>(s, vx, vy, c, 3);
}

int drw_TriangleBlend(Surface* s, int x1, int y1, int x2, int y2, int x3, int y3,
                      uint32_t colour1, uint32_t colour2, uint32_t colour3) {
    const int vx[3] = {x1, x2, x3}, vy[3] = {y1, y2, y3};
    const uint32_t c[3] = {colour1, colour2, colour3};
    return Gouraud<true>(s, vx, vy, c, 3);
}

int drw_Quad(Surface* s, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4,
             uint32_t colour1, uint32_t colour2, uint32_t colour3, uint32_t colour4) {
    const int vx[4] = {x1, x2, x3, x4}, vy[4] = {y1, y2, y3, y4};
    const uint32_t c[4] = {colour1, colour2, colour3, colour4};
    return Gouraud<false>(s, vx, vy, c, 4);
}

int drw_QuadBlend(Surface* s, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4,
                  uint32_t colour1, uint32_t colour2, uint32_t colour3, uint32_t colour4) {
    const int vx[4] = {x1, x2, x3, x4}, vy[4] = {y1, y2, y3, y4};
    const uint32_t c[4] = {colour1, colour2, colour3, colour4};
    return Gouraud<true>(s, vx, vy, c, 4);
}

namespace {

int Warp(Surface* s, const Clip& clip, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4,
         Surface* src, int sx1, int sy1, int sx2, int sy2) {
    if (!shp_Usable(s) || !shp_Usable(src)) return 0;
    const int vx[4] = {x1, x2, x3, x4}, vy[4] = {y1, y2, y3, y4};
    const int64_t w = s->width, h = s->height;
    bool allBelow = true, allAbove = true, allLeft = true, allRight = true;
    for (int i = 0; i < 4; i++) {
        allBelow = allBelow && vy[i] >= h;
        allAbove = allAbove && vy[i] < 0;
        allLeft = allLeft && vx[i] < 0;
        allRight = allRight && vx[i] > w - 1;
    }
    if (allBelow || allAbove || allLeft || allRight) return 0;
    ScanPolygon(s, vx, vy, 4, clip, [&](int64_t y, const Hit& l, const Hit& r, int64_t xl, int64_t step,
                                        int64_t a, int64_t b) {
        int64_t ul, vl, ur, vr;
        WarpPlace(l, &ul, &vl);
        WarpPlace(r, &ur, &vr);
        uint32_t* row = shp_Row(s, y);
        for (int64_t x = a; x <= b; x++) {
            // The place runs affinely along the row (not perspective-correct).
            const int64_t f = ((x - xl) * step) >> 8;
            const int64_t u = (ul * (65536 - f) + ur * f) >> 16;
            const int64_t v = (vl * (65536 - f) + vr * f) >> 16;
            row[x] = WarpSample(src, sx1, sy1, sx2, sy2, u, v);
        }
    });
    return 1;
}

}  // namespace

int drw_WarpQuad(Surface* s, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4,
                 Surface* src, int sx1, int sy1, int sx2, int sy2) {
    return Warp(s, WHOLE, x1, y1, x2, y2, x3, y3, x4, y4, src, sx1, sy1, sx2, sy2);
}

int drw_WarpQuadIn(Surface* s, int cx1, int cy1, int cx2, int cy2, int x1, int y1, int x2, int y2, int x3, int y3,
                   int x4, int y4, Surface* src, int sx1, int sy1, int sx2, int sy2) {
    return Warp(s, Clip{cx1, cy1, cx2, cy2}, x1, y1, x2, y2, x3, y3, x4, y4, src, sx1, sy1, sx2, sy2);
}
