// toolkernel_shape.cpp — the tool kernels that are compositions of engine shapes:
// eraser and opaquer strokes, calligraphy, rectangles, gradient and tint bars, tint
// rectangles, triangle fans and strips, the ruler preview.
#include <climits>
#include <cmath>
#include "document/toolkernel.h"
#include "engine/blit.h"
#include "engine/color.h"
#include "engine/engine.h"
#include "engine/shape.h"

// Offsets of int coordinates are summed in 64 bits and saturated back, so huge
// arguments bend a shape that lies far outside the surface anyway instead of
// overflowing.
static int Sat(int64_t v) { return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : (int)v; }
static int64_t Min64(int64_t a, int64_t b) { return a < b ? a : b; }
static int64_t Max64(int64_t a, int64_t b) { return a > b ? a : b; }

// A stroke of the width by an op mode: the length-stepped line for width 1, the
// round-capped thick line otherwise. The surface is locked by the caller.
static void OpStroke(Surface* s, int x1, int y1, int x2, int y2, int width, uint32_t colour, int mode) {
    if (width == 1) drw_LineOp(s, x1, y1, x2, y2, colour, mode);
    else drw_ThickLine(s, x1, y1, x2, y2, width, colour, mode);
}

int tk_EraseStroke(Surface* s, int x1, int y1, int x2, int y2, int width, int preview) {
    if (width < 1) return 1;
    if (!srf_Lock(s)) return 0;
    if (preview) OpStroke(s, x1, y1, x2, y2, width, 0, 5);
    else OpStroke(s, x1, y1, x2, y2, width, 0xFF000000u, 1);
    srf_Unlock(s);
    return 1;
}

int tk_UneraseStroke(Surface* s, int x1, int y1, int x2, int y2, int width, int preview,
                     Surface* mainImage) {
    if (width < 1) return 1;
    if (preview && !mainImage) return 0;
    if (!srf_Lock(s)) return 0;
    if (!preview) {
        OpStroke(s, x1, y1, x2, y2, width, 0x00FFFFFFu, 2);
        srf_Unlock(s);
        return 1;
    }
    const int64_t h = ((int64_t)width + 3) / 2;
    const int bx1 = Sat(x1 - h), by1 = Sat(y1 - h), bx2 = Sat(x1 + h), by2 = Sat(y1 + h);
    drw_FillRectOp(s, bx1, by1, bx2, by2, 0x00FFFFFFu, 2);
    OpStroke(s, x1, y1, x1, y1, width, 0xFF000000u, 1);
    // Only the dot is transparent, so only there does the image come through.
    blt_Blend(s, bx1, by1, bx2, by2, mainImage, bx1, by1, bx2, by2, BLT_BEHIND);
    srf_Unlock(s);
    return 1;
}

int tk_Calligraphy(Surface* s, int x1, int y1, int x2, int y2, int width, uint32_t colorref, int nib) {
    const uint32_t colour = clr_SwapRB(colorref);
    const int64_t h = (width < TK_MAX_WIDTH ? width : TK_MAX_WIDTH) / 2;
    if (h < 1) return 1;
    if (!srf_Lock(s)) return 0;
    for (int64_t k = -h; k < h; k++) {
        const int64_t dk = nib ? -k : k;
        drw_Line(s, Sat(x1 + k), Sat(y1 + dk), Sat(x2 + k), Sat(y2 + dk), colour);
        drw_Line(s, Sat(x1 + k + 1), Sat(y1 + dk), Sat(x2 + k + 1), Sat(y2 + dk), colour);
    }
    srf_Unlock(s);
    return 1;
}

int tk_Rectangle(Surface* s, int x1, int y1, int x2, int y2, int filled, uint32_t colorref) {
    const uint32_t c = clr_SwapRB(colorref);
    if (!srf_Lock(s)) return 0;
    if (filled) {
        drw_FillRect(s, x1, y1, x2, y2, c);
    } else {
        drw_Line(s, x1, y1, x2, y1, c);
        drw_Line(s, x2, y1, x2, y2, c);
        drw_Line(s, x2, y2, x1, y2, c);
        drw_Line(s, x1, y2, x1, y1, c);
    }
    srf_Unlock(s);
    return 1;
}

// The bar's quadrilateral: the segment pushed half the width to either side along
// its normal. Corners 1 and 2 lie on one side, 3 and 4 on the other.
static void BarCorners(int x1, int y1, int x2, int y2, int width, int q[8]) {
    const double a = std::atan2((double)y1 - y2, (double)x1 - x2) + 1.570796327;
    const int64_t dx = (int64_t)(std::cos(a) * width / 2), dy = (int64_t)(std::sin(a) * width / 2);
    q[0] = Sat(x1 - dx); q[1] = Sat(y1 - dy);
    q[2] = Sat(x2 - dx); q[3] = Sat(y2 - dy);
    q[4] = Sat(x2 + dx); q[5] = Sat(y2 + dy);
    q[6] = Sat(x1 + dx); q[7] = Sat(y1 + dy);
}

static uint32_t WithAlpha(uint32_t colorref, int alpha) {
    return (clr_SwapRB(colorref) & 0x00FFFFFFu) | ((uint32_t)(alpha & 0xFF) << 24);
}

int tk_GradientBar(Surface* s, int x1, int y1, int x2, int y2, int width,
                   uint32_t colorref1, uint32_t colorref2) {
    if (width < 1) return 1;
    if (!srf_Lock(s)) return 0;
    int q[8];
    BarCorners(x1, y1, x2, y2, width, q);
    const uint32_t c1 = clr_SwapRB(colorref1), c2 = clr_SwapRB(colorref2);
    drw_Quad(s, q[0], q[1], q[2], q[3], q[4], q[5], q[6], q[7], c1, c1, c2, c2);
    srf_Unlock(s);
    return 1;
}

int tk_TintBar(Surface* s, int x1, int y1, int x2, int y2, int width, uint32_t colorref,
               int alpha1, int alpha2) {
    if (width < 1) return 1;
    if (!srf_Lock(s)) return 0;
    int q[8];
    BarCorners(x1, y1, x2, y2, width, q);
    const uint32_t c1 = WithAlpha(colorref, alpha1), c2 = WithAlpha(colorref, alpha2);
    drw_QuadBlend(s, q[0], q[1], q[2], q[3], q[4], q[5], q[6], q[7], c1, c1, c2, c2);
    srf_Unlock(s);
    return 1;
}

int tk_TintRect(Surface* s, int x1, int y1, int x2, int y2, int horizontal, uint32_t colorref,
                int alpha1, int alpha2) {
    if (!srf_Lock(s)) return 0;
    const uint32_t c1 = WithAlpha(colorref, alpha1), c2 = WithAlpha(colorref, alpha2);
    if (horizontal) drw_GradientRectBlend(s, x1, y1, x2, y2, c1, c2, c1, c2);
    else drw_GradientRectBlend(s, x1, y1, x2, y2, c1, c1, c2, c2);
    srf_Unlock(s);
    return 1;
}

static void Vertex(const TkPoint* p, const uint32_t* c, int i, int* x, int* y, uint32_t* colour) {
    *x = p[i].x;
    *y = p[i].y;
    *colour = clr_SwapRB(c[i]);
}

static void Triangle(Surface* s, const TkPoint* p, const uint32_t* c, int a, int b, int d) {
    int xa, ya, xb, yb, xd, yd;
    uint32_t ca, cb, cd;
    Vertex(p, c, a, &xa, &ya, &ca);
    Vertex(p, c, b, &xb, &yb, &cb);
    Vertex(p, c, d, &xd, &yd, &cd);
    drw_TriangleBlend(s, xa, ya, xb, yb, xd, yd, ca, cb, cd);
}

// Two points make a gradient line between their colours.
static void TwoPointLine(Surface* s, const TkPoint* p, const uint32_t* c) {
    drw_LineGradient(s, p[0].x, p[0].y, p[1].x, p[1].y, clr_SwapRB(c[0]), clr_SwapRB(c[1]));
}

int tk_TriangleFan(Surface* s, const TkPoint* points, const uint32_t* colorrefs, int count) {
    if (!points || !colorrefs || count < 2) return 0;
    if (!srf_Lock(s)) return 0;
    // Neighbouring triangles share an edge: exclusive right ends keep the shared
    // pixels from being blended twice.
    eng_SetOption(1, 1);
    if (count == 2) {
        TwoPointLine(s, points, colorrefs);
    } else {
        for (int i = 2; i < count; i++) Triangle(s, points, colorrefs, 0, i - 1, i);
    }
    srf_Unlock(s);
    return 1;
}

int tk_TriangleStrip(Surface* s, const TkPoint* points, const uint32_t* colorrefs, int count) {
    if (!points || !colorrefs || count < 2) return 0;
    if (!srf_Lock(s)) return 0;
    if (count == 2) {
        TwoPointLine(s, points, colorrefs);
    } else {
        eng_SetOption(1, 1);
        for (int i = 1; i + 1 < count; i++) Triangle(s, points, colorrefs, i + 1, i - 1, i);
    }
    srf_Unlock(s);
    return 1;
}

int tk_RulerOverlay(Surface* s, int x1, int y1, int x2, int y2) {
    if (!srf_Lock(s)) return 0;
    drw_FillRectBlend(s, Sat(Min64(x1, x2) - 12), Sat(Min64(y1, y2) - 12),
                      Sat(Max64(x1, x2) + 12), Sat(Max64(y1, y2) + 12), 0xC0000000u);
    drw_TriangleBlend(s, x1, y1, x2, y1, x2, y2, 0x80FF0000u, 0x8000FF00u, 0x800000FFu);
    const int ends[2][2] = {{x1, y1}, {x2, y2}};
    for (const auto& e : ends) {
        const int64_t x = e[0], y = e[1];
        const uint32_t tick = 0x003FFF3Fu;
        drw_Line(s, Sat(x - 4), (int)y, Sat(x - 8), (int)y, tick);
        drw_Line(s, Sat(x + 4), (int)y, Sat(x + 8), (int)y, tick);
        drw_Line(s, (int)x, Sat(y - 4), (int)x, Sat(y - 8), tick);
        drw_Line(s, (int)x, Sat(y + 4), (int)x, Sat(y + 8), tick);
    }
    srf_Unlock(s);
    return 1;
}
