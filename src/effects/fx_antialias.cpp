// fx_antialias.cpp — the two antialiasing passes: a literal reference through a
// whole temporary copy, and a streaming path that keeps only a few rows of that copy.
// Each pass reads one surface and writes the other, so every output pixel depends
// only on the pass's input: the second pass may walk rows although its order is
// columns-outer, and slices of rows may go to different threads.
#include "effects/fx_antialias.h"
#include <algorithm>
#include <cstddef>
#include <vector>
#include "effects/fx_common.h"
#include "engine/color.h"
#include "engine/engine.h"
#include "engine/pixel.h"

namespace {

struct AaArgs {
    int threshold;
    uint32_t keep;   // W, out of 65536
    bool image;      // luma instead of alpha
};

inline int Value(uint32_t p, bool image) { return image ? fx_Luma(p) : (int)(p >> 24); }

// A pixel on a step: the weighted mean of its four neighbours, mixed into it.
inline uint32_t Soften(const AaArgs& a, uint32_t c, uint32_t u, uint32_t l, uint32_t r, uint32_t d,
                       int vu, int vl, int vr, int vd) {
    uint32_t wu = (uint32_t)(255 - vu) >> 2, wl = (uint32_t)(255 - vl) >> 2;
    uint32_t wd = (uint32_t)(255 - vd) >> 2;
    uint32_t wr = a.image ? wd : (uint32_t)(255 - vr) >> 2;
    uint32_t sum = wu + wl + wr + wd;
    if (sum == 0) return c;
    uint32_t mix = px_Mix4(u, (wu << 8) / sum, l, (wl << 8) / sum, d, (wd << 8) / sum, r,
                           (wr << 8) / sum);
    return px_Mix16(c, a.keep, mix);
}

// Literal: pass A rows outer, pass B columns outer, values recomputed per access.
void ReferencePass(const AaArgs& a, const Surface* from, Surface* to, bool columnsOuter) {
    const int w = (int)from->width, h = (int)from->height;
    auto at = [&](int x, int y) { return from->pixels[(size_t)y * from->stride + x]; };
    auto one = [&](int x, int y) {
        uint32_t c = at(x, y), u = at(x, y - 1), l = at(x - 1, y), r = at(x + 1, y), d = at(x, y + 1);
        int t = a.threshold;
        int vc = Value(c, a.image), vu = Value(u, a.image), vl = Value(l, a.image);
        int vr = Value(r, a.image), vd = Value(d, a.image);
        uint32_t out = c;
        if ((vc > vd + t || vc > vu + t) && (vc > vr + t || vc > vl + t)) {
            int wu = (255 - vu) >> 2, wl = (255 - vl) >> 2, wd = (255 - vd) >> 2;
            int wr = a.image ? wd : (255 - vr) >> 2;
            int sum = wu + wl + wr + wd;
            if (sum != 0) {
                uint32_t mix = clr_Mix4(u, (uint32_t)((wu << 8) / sum), l, (uint32_t)((wl << 8) / sum),
                                        d, (uint32_t)((wd << 8) / sum), r, (uint32_t)((wr << 8) / sum));
                out = clr_Mix(c, a.keep, mix);
            }
        }
        to->pixels[(size_t)y * to->stride + x] = out;
    };
    if (columnsOuter) {
        for (int x = 1; x < w - 1; x++)
            for (int y = 1; y < h - 1; y++) one(x, y);
    } else {
        for (int y = 1; y < h - 1; y++)
            for (int x = 1; x < w - 1; x++) one(x, y);
    }
}

// Rows of pixels with their values, kept for the last few row indices asked.
struct ValueRows {
    int w;
    std::vector<uint32_t> px;
    std::vector<int> val;
    int key[4];
    explicit ValueRows(int width) : w(width), px((size_t)4 * width), val((size_t)4 * width) {
        for (int& k : key) k = -1;
    }
    uint32_t* pixels(int y) { return &px[(size_t)(y & 3) * w]; }
    int* values(int y) { return &val[(size_t)(y & 3) * w]; }
};

void FillValues(const AaArgs& a, const uint32_t* row, int w, int* out) {
    if (a.image)
        for (int x = 0; x < w; x++) out[x] = fx_Luma(row[x]);
    else
        for (int x = 0; x < w; x++) out[x] = (int)(row[x] >> 24);
}

// One output row of either pass: interior pixels of the middle row softened from
// rows up, mid, down (pixels and values), edge columns copied.
void SoftenRow(const AaArgs& a, int w, const uint32_t* up, const uint32_t* mid, const uint32_t* down,
               const int* vu, const int* vm, const int* vd, uint32_t* out) {
    const int t = a.threshold;
    out[0] = mid[0];
    out[w - 1] = mid[w - 1];
    for (int x = 1; x < w - 1; x++) {
        const int vc = vm[x];
        // Most pixels are not on a step and are copied.
        if (!((vc > vd[x] + t || vc > vu[x] + t) && (vc > vm[x + 1] + t || vc > vm[x - 1] + t))) {
            out[x] = mid[x];
            continue;
        }
        out[x] = Soften(a, mid[x], up[x], mid[x - 1], mid[x + 1], down[x], vu[x], vm[x - 1], vm[x + 1], vd[x]);
    }
}

// Both passes over a slice in one sweep: the copy's row y + 1 (first pass) is made
// before the image's row y (second pass) is written, which is the last use of the
// image's row y by the first pass. Rows of neighbouring slices come from their
// saved originals.
void FastSlice(const AaArgs& a, const FxRows& rows) {
    Surface* s = rows.s;
    const int w = (int)s->width, h = (int)s->height;
    const int lo = rows.from > 1 ? rows.from : 1, hi = rows.to < h - 1 ? rows.to : h - 1;
    if (lo >= hi) return;
    ValueRows image(w), copy(w);
    auto imageRow = [&](int y) {
        if (image.key[y & 3] != y) {
            const uint32_t* src = fx_SourceRow(rows, y);
            std::copy(src, src + w, image.pixels(y));
            FillValues(a, src, w, image.values(y));
            image.key[y & 3] = y;
        }
    };
    // Row t of the copy: the first pass over the image, its outer rows unchanged.
    auto copyRow = [&](int t) {
        uint32_t* out = copy.pixels(t);
        if (t == 0 || t == h - 1) {
            imageRow(t);
            std::copy(image.pixels(t), image.pixels(t) + w, out);
        } else {
            imageRow(t - 1);
            imageRow(t);
            imageRow(t + 1);
            SoftenRow(a, w, image.pixels(t - 1), image.pixels(t), image.pixels(t + 1), image.values(t - 1),
                      image.values(t), image.values(t + 1), out);
        }
        FillValues(a, out, w, copy.values(t));
        copy.key[t & 3] = t;
    };
    copyRow(lo - 1);
    copyRow(lo);
    for (int y = lo; y < hi; y++) {
        copyRow(y + 1);
        SoftenRow(a, w, copy.pixels(y - 1), copy.pixels(y), copy.pixels(y + 1), copy.values(y - 1), copy.values(y),
                  copy.values(y + 1), s->pixels + (size_t)y * s->stride);
    }
}

int Antialias(Surface* s, int level, int parameter, bool image) {
    level = fx_ClampLevel(level);
    parameter = fx_Clamp(parameter, 0, 255);
    AaArgs a;
    a.threshold = parameter * 223 / 255 + 16;
    a.keep = (uint32_t)((1000 - level) * 31536 / 1000 + 34000);
    a.image = image;
    if (!srf_Lock(s)) return 0;
    // Keeping all 65536 parts of every pixel changes nothing; neither do
    // surfaces without interior pixels.
    if (a.keep >= 65536 || s->width < 3 || s->height < 3) {
        srf_Unlock(s);
        return 1;
    }
    if (!eng_ReferenceForced()) {
        fx_SplitInPlace(s, 2, [&a](const FxRows& rows) { FastSlice(a, rows); });
        srf_Unlock(s);
        return 1;
    }
    Surface tmp{};
    if (!srf_Duplicate(&tmp, s) || !srf_Lock(&tmp)) {
        if (srf_IsValid(&tmp)) srf_Destroy(&tmp);
        srf_Unlock(s);
        return 0;
    }
    ReferencePass(a, s, &tmp, false);
    ReferencePass(a, &tmp, s, true);
    srf_Unlock(&tmp);
    srf_Destroy(&tmp);
    srf_Unlock(s);
    return 1;
}

}  // namespace

int fx_AntialiasEdges(Surface* s, int level, int parameter) { return Antialias(s, level, parameter, false); }
int fx_AntialiasImage(Surface* s, int level, int parameter) { return Antialias(s, level, parameter, true); }
