// toolkernel_curve_win32.cpp — the GDI-drawn previews and curves: the smooth curve
// through the tools' point list, the elliptical marquee, clearing the view overlay.
#include <climits>
#include <cmath>
#include <cstring>
#include "document/overlay.h"
#include "document/toolkernel_win32.h"
#include "engine/shape.h"
#include "engine/surface_win32.h"

namespace {

struct Vec {
    double x, y;
};

Vec Delta(const TkPoint& a, const TkPoint& b) {
    return Vec{(double)((int64_t)b.x - a.x), (double)((int64_t)b.y - a.y)};
}

double Length(Vec v) { return std::sqrt(v.x * v.x + v.y * v.y); }

Vec Unit(Vec v) {
    const double l = Length(v);
    return l > 0 ? Vec{v.x / l, v.y / l} : Vec{0, 0};
}

Vec Mean(Vec a, Vec b) { return Vec{(a.x + b.x) / 2, (a.y + b.y) / 2}; }

// GDI coordinates: the truncated value, saturated to the int range.
LONG Coord(double v) {
    if (!(v == v)) return 0;
    if (v >= (double)INT_MAX) return INT_MAX;
    if (v <= (double)INT_MIN) return INT_MIN;
    return (LONG)v;
}

void Grow(RECT* box, const POINT& p) {
    if (p.x < box->left) box->left = p.x;
    if (p.x > box->right) box->right = p.x;
    if (p.y < box->top) box->top = p.y;
    if (p.y > box->bottom) box->bottom = p.y;
}

// Puts the spline into the DC as MoveToEx and one PolyBezierTo per segment, and
// returns the box of every point used (the curve lies inside their hull).
RECT TraceCurve(HDC dc, const TkPoint* p, int count) {
    MoveToEx(dc, p[0].x, p[0].y, nullptr);
    RECT hull = {p[0].x, p[0].y, p[0].x, p[0].y};
    for (int i = 0; i + 1 < count; i++) {
        const Vec d = Delta(p[i], p[i + 1]);
        const double len = (double)(int64_t)Length(d);
        if (len == 0) continue;
        const Vec u = Unit(d);
        Vec t0 = u, t1 = u;
        if (i > 0 && Length(Delta(p[i - 1], p[i])) != 0) t0 = Mean(u, Unit(Delta(p[i - 1], p[i])));
        // The last segment has no next one: it ends along its own direction.
        if (i + 2 < count && Length(Delta(p[i + 1], p[i + 2])) != 0) t1 = Mean(u, Unit(Delta(p[i + 1], p[i + 2])));
        POINT c[3];
        c[0].x = Coord((double)p[i].x - std::trunc(-0.4 * len * t0.x));
        c[0].y = Coord((double)p[i].y - std::trunc(-0.4 * len * t0.y));
        c[1].x = Coord((double)p[i + 1].x - std::trunc(0.4 * len * t1.x));
        c[1].y = Coord((double)p[i + 1].y - std::trunc(0.4 * len * t1.y));
        c[2].x = p[i + 1].x;
        c[2].y = p[i + 1].y;
        PolyBezierTo(dc, c, 3);
        for (const POINT& q : c) Grow(&hull, q);
    }
    return hull;
}

// The pen given and a white solid brush, selected into the DC until Restore puts
// the previous objects back and deletes both.
struct PenAndBrush {
    HPEN pen;
    HBRUSH brush;
    HGDIOBJ oldPen, oldBrush;
};

PenAndBrush SelectPenAndBrush(HDC dc, HPEN pen) {
    PenAndBrush pb;
    pb.pen = pen;
    pb.brush = CreateSolidBrush(RGB(255, 255, 255));
    pb.oldPen = SelectObject(dc, pen);
    pb.oldBrush = SelectObject(dc, pb.brush);
    return pb;
}

void Restore(HDC dc, const PenAndBrush& pb) {
    SelectObject(dc, pb.oldBrush);
    SelectObject(dc, pb.oldPen);
    DeleteObject(pb.brush);
    DeleteObject(pb.pen);
}

}  // namespace

int tk_SmoothCurve(Surface* s, const TkPoint* points, int count, uint32_t colorref, int penWidth,
                   RECT* bounds, HRGN* region, int draw) {
    if (region) *region = nullptr;
    if (!points || count < 1) return 0;
    HDC dc;
    if (!srf_GetDC(&dc, nullptr, s)) return 0;
    const bool preview = colorref == TK_CURVE_PREVIEW;
    const int width = preview ? 1 : penWidth < 0 ? 0 : penWidth > TK_MAX_WIDTH ? TK_MAX_WIDTH : penWidth;
    // The high byte of a COLORREF would select a palette colour.
    const PenAndBrush pb = SelectPenAndBrush(
        dc, preview ? CreatePen(PS_DOT, 1, RGB(0, 0, 0)) : CreatePen(PS_SOLID, width, colorref & 0x00FFFFFFu));
    if (draw) TraceCurve(dc, points, count);
    if (bounds || region) {
        BeginPath(dc);
        RECT hull = TraceCurve(dc, points, count);
        EndPath(dc);
        HRGN rgn = PathToRegion(dc);
        RECT box;
        const int kind = rgn ? GetRgnBox(rgn, &box) : ERROR;
        // A curve that encloses no area (one point, a straight line) has no region;
        // its points still say where it was drawn.
        if (kind == NULLREGION || kind == ERROR) {
            if (rgn) DeleteObject(rgn);
            rgn = nullptr;
            box = hull;
        }
        if (bounds) {
            const double grow = 50 + width;
            SetRect(bounds, Coord(box.left - grow), Coord(box.top - grow), Coord(box.right + grow),
                    Coord(box.bottom + grow));
        }
        if (region) *region = rgn;
        else if (rgn) DeleteObject(rgn);
    }
    Restore(dc, pb);
    srf_ReleaseDC(&dc, s);
    return 1;
}

int tk_EllipseMarquee(Surface* s, int x1, int y1, int x2, int y2) {
    if (!srf_Lock(s)) return 0;
    HDC dc;
    if (!srf_GetDC(&dc, nullptr, s)) {
        srf_Unlock(s);
        return 0;
    }
    const PenAndBrush pb = SelectPenAndBrush(dc, CreatePen(PS_DOT, 1, RGB(0, 0, 0)));
    Arc(dc, x1, y1, x2, y2, 0, 0, 0, 0);
    Restore(dc, pb);
    srf_ReleaseDC(&dc, s);   // flushes GDI before the engine touches the pixels
    drw_FillEllipseOp(s, x1, y1, x2, y2, 0xC0000000u, 5);
    srf_Unlock(s);
    return 1;
}

int tk_ClearOverlay() {
    std::memset(ovl_Record(), 0, sizeof(ViewOverlay));
    HWND view = (HWND)ovl_View();
    if (view && IsWindow(view)) InvalidateRect(view, nullptr, TRUE);
    return 1;
}
