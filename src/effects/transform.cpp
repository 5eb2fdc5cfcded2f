// transform.cpp — geometric transforms. Rotate and skew map the source onto a
// quadrilateral with the engine's warp; the others move pixels directly, each with
// a literal reference loop where the fast loop reorders the work.
#include "effects/transform.h"
#include <cmath>
#include <cstring>
#include <vector>
#include "effects/fx_common.h"
#include "engine/blit.h"
#include "engine/engine.h"
#include "engine/shape.h"

namespace {

const double DEGREES_PER_RADIAN = 57.29577951;

enum PlanKind { KIND_NONE, KIND_WARP, KIND_PERSPECTIVE, KIND_STRETCH, KIND_ROTATE90, KIND_FLIP };

// The last surface a kernel replaced, kept for the next result of its size: a
// preview recomputes the same size again and again, and making and freeing a large
// bitmap each time costs more than the transform itself. One per thread, so that
// transforms may run on several images at once (kvbatch).
thread_local Surface g_spare;

// A fresh surface of the given size, locked; 0 when it cannot be made.
int Fresh(Surface* out, int w, int h) {
    *out = Surface{};
    if (w < 1 || h < 1) return 0;
    if (g_spare.created && srf_Refresh(&g_spare) && (int)g_spare.width == w && (int)g_spare.height == h &&
        srf_Lock(&g_spare)) {
        *out = g_spare;
        g_spare = Surface{};
        return 1;
    }
    srf_Create((uint32_t)w, (uint32_t)h, out);
    if (srf_IsValid(out) && srf_Lock(out)) return 1;
    if (srf_IsValid(out)) srf_Destroy(out);
    return 0;
}

// The destination takes over the finished surface (unlocked by now), whole; what it
// held becomes the spare.
void Replace(Surface* dst, Surface* fresh) {
    srf_Unlock(fresh);
    tf_ReleaseSpare();
    if (srf_IsValid(dst)) g_spare = *dst;
    *dst = *fresh;
}

inline int Round(double v) { return (int)(v + 0.5); }   // towards zero: -8.5 gives -8

inline uint32_t& At(Surface* s, int x, int y) { return s->pixels[(size_t)y * s->stride + x]; }

// The plan of a warp: the source's corners (top-left, top-right, bottom-right,
// bottom-left) placed in a result that just holds them.
int PlanWarp(TfPlan* p, const int vx[4], const int vy[4]) {
    int minX = vx[0], maxX = vx[0], minY = vy[0], maxY = vy[0];
    for (int i = 1; i < 4; i++) {
        minX = vx[i] < minX ? vx[i] : minX;
        maxX = vx[i] > maxX ? vx[i] : maxX;
        minY = vy[i] < minY ? vy[i] : minY;
        maxY = vy[i] > maxY ? vy[i] : maxY;
    }
    *p = TfPlan{};
    p->kind = KIND_WARP;
    p->width = maxX - minX + 1;
    p->height = maxY - minY + 1;
    for (int i = 0; i < 4; i++) {
        p->vx[i] = vx[i] - minX;
        p->vy[i] = vy[i] - minY;
    }
    return 1;
}

// Maps the whole source onto the plan's quadrilateral in a new surface.
// Rectangle (x1, y1)-(x2, y2) of the warp (inside `out`), bands of rows split between
// threads: each pixel depends only on its own place, so the bands make the same pixels.
void WarpRect(Surface* out, Surface* src, const TfPlan& p, int x1, int y1, int x2, int y2) {
    fx_Split(y2 - y1 + 1, fx_RowsPerThread(out), [&](int from, int to) {
        drw_FillRect(out, x1, y1 + from, x2, y1 + to - 1, TF_BACKGROUND);
        drw_WarpQuadIn(out, x1, y1 + from, x2, y1 + to - 1, p.vx[0], p.vy[0], p.vx[1], p.vy[1], p.vx[2], p.vy[2],
                       p.vx[3], p.vy[3], src, 0, 0, (int)src->width - 1, (int)src->height - 1);
    });
}

int WarpInto(Surface* dst, Surface* src, const TfPlan& p) {
    if (!srf_Lock(src)) return 0;
    Surface out;
    if (!Fresh(&out, p.width, p.height)) {
        srf_Unlock(src);
        return 0;
    }
    WarpRect(&out, src, p, 0, 0, (int)out.width - 1, (int)out.height - 1);
    srf_Unlock(src);
    Replace(dst, &out);
    return 1;
}

// Perspective along columns (edges 0 and 2) or rows (1 and 3): span of line i.
struct Span {
    int start, count;   // count < 1: the line stays background
};

Span PerspectiveSpan(int edge, int i, int lines, int side, int shrink) {
    const int fall = (int)((int64_t)i * shrink / lines);
    Span sp;
    if (edge == 0 || edge == 1) {
        sp.start = shrink - fall;
        sp.count = (fall + side - shrink - 1) - sp.start + 1;
    } else {
        sp.start = fall;
        sp.count = (side - 1 - fall) - sp.start + 1;
    }
    return sp;
}

void PerspectiveReference(Surface* out, Surface* src, int edge, int shrink) {
    const int w = (int)src->width, h = (int)src->height;
    if (edge == 0 || edge == 2) {
        for (int x = 0; x < w; x++) {
            Span sp = PerspectiveSpan(edge, x, w, h, shrink);
            if (sp.count < 1) continue;
            for (int y = 0; y < h; y++) At(out, x, sp.start + (int)((int64_t)y * sp.count / h)) = At(src, x, y);
        }
    } else {
        for (int y = 0; y < h; y++) {
            Span sp = PerspectiveSpan(edge, y, h, w, shrink);
            if (sp.count < 1) continue;
            for (int x = 0; x < w; x++) At(out, sp.start + (int)((int64_t)x * sp.count / w), y) = At(src, x, y);
        }
    }
}

// Same placements, rows outer for the column edges (each column's targets still come
// in increasing y), positions stepped without dividing.
void PerspectiveFast(Surface* out, Surface* src, int edge, int shrink) {
    const int w = (int)src->width, h = (int)src->height;
    if (edge == 0 || edge == 2) {
        std::vector<Span> spans((size_t)w);
        std::vector<int> pos((size_t)w), rem((size_t)w);
        for (int x = 0; x < w; x++) {
            spans[x] = PerspectiveSpan(edge, x, w, h, shrink);
            pos[x] = spans[x].start;
            rem[x] = 0;
        }
        for (int y = 0; y < h; y++) {
            const uint32_t* in = &At(src, 0, y);
            for (int x = 0; x < w; x++) {
                if (spans[x].count < 1) continue;
                At(out, x, pos[x]) = in[x];
                // y * count / h for the next y: count <= h, so at most one carry.
                rem[x] += spans[x].count;
                if (rem[x] >= h) {
                    rem[x] -= h;
                    pos[x]++;
                }
            }
        }
    } else {
        for (int y = 0; y < h; y++) {
            Span sp = PerspectiveSpan(edge, y, h, w, shrink);
            if (sp.count < 1) continue;
            const uint32_t* in = &At(src, 0, y);
            uint32_t* row = &At(out, 0, y);
            for (int x = 0, pos = sp.start, r = 0; x < w; x++) {
                row[pos] = in[x];
                r += sp.count;
                if (r >= w) {
                    r -= w;
                    pos++;
                }
            }
        }
    }
}

// Pixels of a rectangle of the result, each from the last source pixel the forward
// loops would put there: along a line of count <= side places, place k is last hit by
// source position floor(((k + 1) * side - 1) / count).
void PerspectiveRect(Surface* out, Surface* src, int edge, int shrink, int x1, int y1, int x2, int y2) {
    const int w = (int)src->width, h = (int)src->height;
    const bool columns = edge == 0 || edge == 2;
    for (int y = y1; y <= y2; y++)
        for (int x = x1; x <= x2; x++) {
            const int line = columns ? x : y, along = columns ? y : x, side = columns ? h : w;
            const Span sp = PerspectiveSpan(edge, line, columns ? w : h, side, shrink);
            const int k = along - sp.start;
            uint32_t v = TF_BACKGROUND;
            if (sp.count >= 1 && k >= 0 && k < sp.count) {
                const int from = (int)(((int64_t)(k + 1) * side - 1) / sp.count);
                v = columns ? At(src, x, from) : At(src, from, y);
            }
            At(out, x, y) = v;
        }
}

// Result pixels x1..x2 of rows y1..y2 (the reference: all of them).
void Rotate90Reference(Surface* out, Surface* src, int q, int x1, int y1, int x2, int y2) {
    const int w = (int)src->width, h = (int)src->height;
    for (int y = y1; y <= y2; y++)
        for (int x = x1; x <= x2; x++) {
            uint32_t v;
            if (q == 0) v = At(src, w - 1 - x, h - 1 - y);
            else if (q == 1) v = At(src, y, h - 1 - x);
            else if (q == 2) v = At(src, x, y);
            else v = At(src, w - 1 - y, x);
            At(out, x, y) = v;
        }
}

// Quarter turns in square tiles, so that both the reads and the writes stay in cache.
void Rotate90Fast(Surface* out, Surface* src, int q) {
    const int w = (int)src->width, h = (int)src->height;
    if (q == 2 || q == 0) {
        fx_Split(h, fx_RowsPerThread(src), [&](int from, int to) {
            for (int y = from; y < to; y++) {
                const uint32_t* in = &At(src, 0, y);
                if (q == 2) {
                    std::memcpy(&At(out, 0, y), in, (size_t)w * 4);
                } else {
                    uint32_t* row = &At(out, 0, h - 1 - y);
                    for (int x = 0; x < w; x++) row[w - 1 - x] = in[x];
                }
            }
        });
        return;
    }
    const int tile = 64;
    // Tiles of source rows; each source pixel (sx, sy) lands on one output pixel.
    fx_Split((h + tile - 1) / tile, fx_RowsPerThread(src) / tile + 1, [&](int from, int to) {
        for (int ty = from * tile; ty < to * tile && ty < h; ty += tile)
            for (int tx = 0; tx < w; tx += tile) {
                const int yEnd = ty + tile < h ? ty + tile : h, xEnd = tx + tile < w ? tx + tile : w;
                for (int sx = tx; sx < xEnd; sx++) {
                    // q = 1: source (sx, sy) goes to (h - 1 - sy, sx); q = 3: to (sy, w - 1 - sx).
                    uint32_t* row = q == 1 ? &At(out, 0, sx) : &At(out, 0, w - 1 - sx);
                    for (int sy = ty; sy < yEnd; sy++) row[q == 1 ? h - 1 - sy : sy] = At(src, sx, sy);
                }
            }
    });
}

}  // namespace

double tf_RotateAngle(int level) { return (double)(fx_ClampLevel(level) - 500) * 0.36; }
double tf_SkewAngle(int level) { return (double)(fx_ClampLevel(level) - 500) * 0.18; }
int tf_Rotate90Mode(int level) { return (fx_ClampLevel(level) + 125) / 250; }
int tf_EdgeIsVertical(int edge) { return edge & 1; }

int tf_PlanRotate(TfPlan* p, Surface* src, double angle) {
    if (!std::isfinite(angle) || !srf_Refresh(src)) return 0;
    const double r = -angle / DEGREES_PER_RADIAN, c = std::cos(r), s = std::sin(r);
    const double x = (double)src->width - 1, y = (double)src->height - 1;
    const int vx[4] = {0, Round(c * x), Round(c * x - s * y), Round(-s * y)};
    const int vy[4] = {0, Round(s * x), Round(s * x + c * y), Round(c * y)};
    return PlanWarp(p, vx, vy);
}

int tf_Rotate(Surface* dst, Surface* src, double angle) {
    TfPlan p;
    return tf_PlanRotate(&p, src, angle) && WarpInto(dst, src, p);
}

int tf_PlanSkew(TfPlan* p, Surface* src, double angle, int vertical) {
    if (!std::isfinite(angle) || !srf_Refresh(src)) return 0;
    const double a = angle < -88.0 ? -88.0 : (angle > 88.0 ? 88.0 : angle);
    const double t = std::tan(-a / DEGREES_PER_RADIAN);
    const int w = (int)src->width, h = (int)src->height;
    if (vertical) {
        const int dy = Round(t * (double)w);
        const int vx[4] = {0, w - 1, w - 1, 0}, vy[4] = {0, dy, h - 1 + dy, h - 1};
        return PlanWarp(p, vx, vy);
    }
    const int dx = Round(t * (double)h);
    const int vx[4] = {dx, w - 1 + dx, w - 1, 0}, vy[4] = {0, 0, h - 1, h - 1};
    return PlanWarp(p, vx, vy);
}

int tf_Skew(Surface* dst, Surface* src, double angle, int vertical) {
    TfPlan p;
    return tf_PlanSkew(&p, src, angle, vertical) && WarpInto(dst, src, p);
}

int tf_PlanPerspective(TfPlan* p, Surface* src, int level, int edge) {
    if (edge < 0 || edge > 3 || !srf_Refresh(src)) return 0;
    const int w = (int)src->width, h = (int)src->height, l = fx_ClampLevel(level);
    *p = TfPlan{};
    p->kind = KIND_PERSPECTIVE;
    p->width = w;
    p->height = h;
    p->arg = edge;
    // Columns shrink by dy, rows by dx.
    p->shrink = (int)((edge == 0 || edge == 2) ? (int64_t)l * h / 2001 : (int64_t)l * w / 2001);
    return 1;
}

int tf_Perspective(Surface* dst, Surface* src, int level, int edge) {
    TfPlan p;
    if (!tf_PlanPerspective(&p, src, level, edge) || !srf_Lock(src)) return 0;
    const int w = (int)src->width, h = (int)src->height, shrink = p.shrink;
    Surface out;
    if (!Fresh(&out, w, h)) {
        srf_Unlock(src);
        return 0;
    }
    drw_FillRect(&out, 0, 0, w - 1, h - 1, TF_BACKGROUND);
    if (eng_ReferenceForced())
        PerspectiveReference(&out, src, edge, shrink);
    else
        PerspectiveFast(&out, src, edge, shrink);
    srf_Unlock(src);
    Replace(dst, &out);
    return 1;
}

int tf_PlanStretch(TfPlan* p, Surface* src, int level, int mode) {
    if (!srf_Refresh(src)) return 0;
    const double f = std::pow(10.0, (double)(fx_ClampLevel(level) - 500) / 500.0);
    const int w = (int)src->width, h = (int)src->height;
    int nw = mode == 1 ? w : (int)((double)w * f);
    int nh = mode == 0 ? h : (int)((double)h * f);
    *p = TfPlan{};
    p->kind = KIND_STRETCH;
    p->width = nw < 1 ? 1 : nw;
    p->height = nh < 1 ? 1 : nh;
    return 1;
}

int tf_Stretch(Surface* dst, Surface* src, int level, int mode) {
    TfPlan p;
    if (!tf_PlanStretch(&p, src, level, mode)) return 0;
    const int w = (int)src->width, h = (int)src->height;
    Surface out;
    if (!Fresh(&out, p.width, p.height)) return 0;
    // The size guard of creation may have trimmed the request: fill what was made.
    int ok = blt_CopySmooth(&out, 0, 0, (int)out.width - 1, (int)out.height - 1, src, 0, 0, w - 1, h - 1, 0);
    if (!ok) {
        srf_Unlock(&out);
        srf_Destroy(&out);
        return 0;
    }
    Replace(dst, &out);
    return 1;
}

int tf_PlanRotate90(TfPlan* p, Surface* src, int mode) {
    if (mode < 0 || !srf_Refresh(src)) return 0;
    const int q = mode % 4, w = (int)src->width, h = (int)src->height;
    *p = TfPlan{};
    p->kind = KIND_ROTATE90;
    p->width = (q & 1) ? h : w;
    p->height = (q & 1) ? w : h;
    p->arg = q;
    return 1;
}

int tf_Rotate90(Surface* dst, Surface* src, int mode) {
    TfPlan p;
    if (!tf_PlanRotate90(&p, src, mode) || !srf_Lock(src)) return 0;
    const int q = p.arg;
    Surface out;
    if (!Fresh(&out, p.width, p.height)) {
        srf_Unlock(src);
        return 0;
    }
    if (eng_ReferenceForced())
        Rotate90Reference(&out, src, q, 0, 0, (int)out.width - 1, (int)out.height - 1);
    else
        Rotate90Fast(&out, src, q);
    srf_Unlock(src);
    Replace(dst, &out);
    return 1;
}

int tf_Flip(Surface* s, int vertical) {
    if (!srf_Lock(s)) return 0;
    const int w = (int)s->width, h = (int)s->height;
    if (vertical) {
        std::vector<uint32_t> tmp((size_t)w);
        for (int y = 0; y < h / 2; y++) {
            uint32_t* a = &At(s, 0, y);
            uint32_t* b = &At(s, 0, h - 1 - y);
            std::memcpy(tmp.data(), a, (size_t)w * 4);
            std::memcpy(a, b, (size_t)w * 4);
            std::memcpy(b, tmp.data(), (size_t)w * 4);
        }
    } else {
        fx_Split(h, fx_RowsPerThread(s), [&](int from, int to) {
            for (int y = from; y < to; y++) {
                uint32_t* row = &At(s, 0, y);
                for (int x = 0; x < w / 2; x++) {
                    uint32_t t = row[x];
                    row[x] = row[w - 1 - x];
                    row[w - 1 - x] = t;
                }
            }
        });
    }
    srf_Unlock(s);
    return 1;
}

int tf_Tile(Surface* s, int width, int height) {
    if (width < 1 || height < 1 || !srf_Lock(s)) return 0;
    const int w = (int)s->width, h = (int)s->height;
    Surface out;
    if (!Fresh(&out, width, height)) {
        srf_Unlock(s);
        return 0;
    }
    const int nw = (int)out.width, nh = (int)out.height;
    for (int y = 0; y < nh; y++) {
        const uint32_t* in = &At(s, 0, y % h);
        uint32_t* row = &At(&out, 0, y);
        for (int x = 0; x < nw; x += w) std::memcpy(row + x, in, (size_t)(nw - x < w ? nw - x : w) * 4);
    }
    srf_Unlock(s);
    Replace(s, &out);
    return 1;
}

int tf_PlanFlip(TfPlan* p, Surface* src, int vertical) {
    if (!srf_Refresh(src)) return 0;
    *p = TfPlan{};
    p->kind = KIND_FLIP;
    p->width = (int)src->width;
    p->height = (int)src->height;
    p->arg = vertical ? 1 : 0;
    return 1;
}

int tf_Sized(Surface* dst, const TfPlan& p) {
    if (srf_IsValid(dst) && srf_Refresh(dst) && (int)dst->width == p.width && (int)dst->height == p.height) return 1;
    Surface out;
    if (!Fresh(&out, p.width, p.height)) return 0;
    Replace(dst, &out);
    return 1;
}

int tf_MakeRect(Surface* dst, Surface* src, const TfPlan& p, int x1, int y1, int x2, int y2) {
    if (!srf_Lock(dst)) return 0;
    if (!srf_Lock(src)) {
        srf_Unlock(dst);
        return 0;
    }
    const int w = (int)src->width, h = (int)src->height;
    x1 = x1 < 0 ? 0 : x1;
    y1 = y1 < 0 ? 0 : y1;
    x2 = x2 > (int)dst->width - 1 ? (int)dst->width - 1 : x2;
    y2 = y2 > (int)dst->height - 1 ? (int)dst->height - 1 : y2;
    int ok = 1;
    if (x1 <= x2 && y1 <= y2) switch (p.kind) {
    case KIND_WARP: WarpRect(dst, src, p, x1, y1, x2, y2); break;
    case KIND_PERSPECTIVE: PerspectiveRect(dst, src, p.arg, p.shrink, x1, y1, x2, y2); break;
    case KIND_STRETCH: {
        // The transfer's own clip keeps every pixel's sampling place that of the whole.
        const EngClip was = eng_GetClip();
        eng_SetClip(x1, y1, x2, y2);
        ok = blt_CopySmooth(dst, 0, 0, (int)dst->width - 1, (int)dst->height - 1, src, 0, 0, w - 1, h - 1, BLT_CLIP);
        eng_SetClip(was.left, was.top, was.right, was.bottom);
        break;
    }
    case KIND_ROTATE90: Rotate90Reference(dst, src, p.arg, x1, y1, x2, y2); break;
    case KIND_FLIP:
        for (int y = y1; y <= y2; y++)
            for (int x = x1; x <= x2; x++) At(dst, x, y) = p.arg ? At(src, x, h - 1 - y) : At(src, w - 1 - x, y);
        break;
    default: ok = 0;
    }
    srf_Unlock(src);
    srf_Unlock(dst);
    return ok;
}

void tf_ReleaseSpare() {
    if (g_spare.created && srf_IsValid(&g_spare)) srf_Destroy(&g_spare);
    g_spare = Surface{};
}
