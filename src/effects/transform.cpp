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

// Maps the whole source onto the quadrilateral (top-left, top-right, bottom-right,
// bottom-left), placed in a new surface that just holds its corners.
int WarpInto(Surface* dst, Surface* src, const int vx[4], const int vy[4]) {
    if (!srf_Lock(src)) return 0;
    const int w = (int)src->width, h = (int)src->height;
    int minX = vx[0], maxX = vx[0], minY = vy[0], maxY = vy[0];
    for (int i = 1; i < 4; i++) {
        minX = vx[i] < minX ? vx[i] : minX;
        maxX = vx[i] > maxX ? vx[i] : maxX;
        minY = vy[i] < minY ? vy[i] : minY;
        maxY = vy[i] > maxY ? vy[i] : maxY;
    }
    Surface out;
    if (!Fresh(&out, maxX - minX + 1, maxY - minY + 1)) {
        srf_Unlock(src);
        return 0;
    }
    drw_FillRect(&out, 0, 0, (int)out.width - 1, (int)out.height - 1, TF_BACKGROUND);
    drw_WarpQuad(&out, vx[0] - minX, vy[0] - minY, vx[1] - minX, vy[1] - minY, vx[2] - minX, vy[2] - minY,
                 vx[3] - minX, vy[3] - minY, src, 0, 0, w - 1, h - 1);
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

void Rotate90Reference(Surface* out, Surface* src, int q) {
    const int w = (int)src->width, h = (int)src->height;
    for (int y = 0; y < (int)out->height; y++)
        for (int x = 0; x < (int)out->width; x++) {
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

int tf_Rotate(Surface* dst, Surface* src, double angle) {
    if (!std::isfinite(angle) || !srf_Refresh(src)) return 0;
    const double r = -angle / DEGREES_PER_RADIAN, c = std::cos(r), s = std::sin(r);
    const double x = (double)src->width - 1, y = (double)src->height - 1;
    const int vx[4] = {0, Round(c * x), Round(c * x - s * y), Round(-s * y)};
    const int vy[4] = {0, Round(s * x), Round(s * x + c * y), Round(c * y)};
    return WarpInto(dst, src, vx, vy);
}

int tf_Skew(Surface* dst, Surface* src, double angle, int vertical) {
    if (!std::isfinite(angle) || !srf_Refresh(src)) return 0;
    const double a = angle < -88.0 ? -88.0 : (angle > 88.0 ? 88.0 : angle);
    const double t = std::tan(-a / DEGREES_PER_RADIAN);
    const int w = (int)src->width, h = (int)src->height;
    if (vertical) {
        const int dy = Round(t * (double)w);
        const int vx[4] = {0, w - 1, w - 1, 0}, vy[4] = {0, dy, h - 1 + dy, h - 1};
        return WarpInto(dst, src, vx, vy);
    }
    const int dx = Round(t * (double)h);
    const int vx[4] = {dx, w - 1 + dx, w - 1, 0}, vy[4] = {0, 0, h - 1, h - 1};
    return WarpInto(dst, src, vx, vy);
}

int tf_Perspective(Surface* dst, Surface* src, int level, int edge) {
    if (edge < 0 || edge > 3 || !srf_Lock(src)) return 0;
    const int w = (int)src->width, h = (int)src->height, l = fx_ClampLevel(level);
    Surface out;
    if (!Fresh(&out, w, h)) {
        srf_Unlock(src);
        return 0;
    }
    drw_FillRect(&out, 0, 0, w - 1, h - 1, TF_BACKGROUND);
    // Columns shrink by dy, rows by dx.
    const int shrink = (int)((edge == 0 || edge == 2) ? (int64_t)l * h / 2001 : (int64_t)l * w / 2001);
    if (eng_ReferenceForced())
        PerspectiveReference(&out, src, edge, shrink);
    else
        PerspectiveFast(&out, src, edge, shrink);
    srf_Unlock(src);
    Replace(dst, &out);
    return 1;
}

int tf_Stretch(Surface* dst, Surface* src, int level, int mode) {
    if (!srf_Refresh(src)) return 0;
    const double f = std::pow(10.0, (double)(fx_ClampLevel(level) - 500) / 500.0);
    const int w = (int)src->width, h = (int)src->height;
    int nw = mode == 1 ? w : (int)((double)w * f);
    int nh = mode == 0 ? h : (int)((double)h * f);
    Surface out;
    if (!Fresh(&out, nw < 1 ? 1 : nw, nh < 1 ? 1 : nh)) return 0;
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

int tf_Rotate90(Surface* dst, Surface* src, int mode) {
    if (mode < 0 || !srf_Lock(src)) return 0;
    const int q = mode % 4, w = (int)src->width, h = (int)src->height;
    Surface out;
    if (!Fresh(&out, (q & 1) ? h : w, (q & 1) ? w : h)) {
        srf_Unlock(src);
        return 0;
    }
    if (eng_ReferenceForced())
        Rotate90Reference(&out, src, q);
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

void tf_ReleaseSpare() {
    if (g_spare.created && srf_IsValid(&g_spare)) srf_Destroy(&g_spare);
    g_spare = Surface{};
}
