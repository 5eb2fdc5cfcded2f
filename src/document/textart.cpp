// textart.cpp — colouring, shaping and outlining of rendered text (see textart.h).
#include "document/textart.h"
#include <cmath>
#include "engine/blit.h"
#include "engine/color.h"

static uint32_t* Row(Surface* s, int64_t y) { return s->pixels + (size_t)y * s->stride; }

int tk_TextArtColour(Surface* scratch, uint32_t colorref1, uint32_t colorref2, int gradient) {
    if (!srf_Lock(scratch)) return 0;
    const int64_t w = scratch->width, h = scratch->height;
    int64_t first = -1, last = -1;
    for (int64_t y = 0; y < h; y++) {
        const uint32_t* r = Row(scratch, y);
        for (int64_t x = 0; x < w; x++)
            if (r[x]) {
                if (first < 0) first = y;
                last = y;
                break;
            }
    }
    if (first < 0) {
        first = 0;
        last = h - 1;
    }
    for (int64_t y = 0; y < h; y++) {
        // Rows above the text take the first row's colour; they are transparent anyway.
        const uint32_t step = y > first ? (uint32_t)(y - first) : 0;
        const uint32_t text = gradient ? clr_Lerp(step, (uint32_t)(last - first), colorref2, colorref1) : colorref1;
        const uint32_t ink = clr_SwapRB(text) & 0x00FFFFFFu;
        uint32_t* r = Row(scratch, y);
        for (int64_t x = 0; x < w; x++) r[x] = r[x] ? ink : ink | 0xFF000000u;
    }
    srf_Unlock(scratch);
    return 1;
}

// Position n of N spread from `start` to `end`: start + n * (end - start) / (N - 1).
static int64_t Spread(int64_t start, int64_t end, int64_t n, int64_t count) {
    if (count < 2) return start;
    return start + n * (end - start) / (count - 1);
}

static int64_t ClampTo(int64_t v, int64_t hi) { return v < 0 ? 0 : v > hi ? hi : v; }

// Squeeze of columns (styles 1-6) or rows (7-12): the insets of the two edges at
// their near and far end, each none, k or k / 2.
struct Insets {
    int near0, far0, near1, far1;   // 0 = none, 1 = k, 2 = k / 2
};

// (T0, T1, B0, B1) of the column styles and (L0, L1, R0, R1) of the row styles;
// styles 8 and 9 swap the middle two of 2 and 3.
static const Insets kColumnInsets[6] = {
    {0, 0, 0, 1}, {0, 0, 1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {0, 2, 0, 2}, {2, 0, 2, 0},
};
static const Insets kRowInsets[6] = {
    {0, 0, 0, 1}, {0, 1, 0, 0}, {0, 0, 1, 0}, {1, 0, 0, 0}, {0, 2, 0, 2}, {2, 0, 2, 0},
};

static int64_t Inset(int code, int64_t k) { return code == 1 ? k : code == 2 ? k / 2 : 0; }

// A locked surface seen as lines (its columns or its rows): element j of line i.
struct Lines {
    uint32_t* base;
    int64_t count, length, lineStep, posStep;
    uint32_t& At(int64_t i, int64_t j) const { return base[i * lineStep + j * posStep]; }
};

static Lines AsLines(Surface* s, bool rows) {
    const int64_t w = s->width, h = s->height, stride = s->stride;
    return rows ? Lines{s->pixels, h, w, stride, 1} : Lines{s->pixels, w, h, 1, stride};
}

// Scales every line of the source into positions a..b of the same target line, as
// ends(i, &a, &b) gives them; later source pixels win where several land.
template <class Ends>
static void ScaleLines(Lines dst, Lines src, Ends ends) {
    for (int64_t i = 0; i < dst.count; i++) {
        int64_t a, b;
        ends(i, &a, &b);
        for (int64_t n = 0; n < dst.length; n++)
            dst.At(i, ClampTo(Spread(a, b, n, dst.length), dst.length - 1)) = src.At(i, n);
    }
}

int tk_TextArtShape(Surface* target, Surface* scratch, int style, int level) {
    if (style < 1 || style > TA_STYLE_LAST) {
        if (!srf_Refresh(scratch) || !srf_Refresh(target) || scratch->width != target->width ||
            scratch->height != target->height)
            return 0;
        const int sw = (int)scratch->width - 1, sh = (int)scratch->height - 1;
        return blt_Copy(target, 0, 0, sw, sh, scratch, 0, 0, sw, sh, 0);
    }
    if (!srf_Lock(target)) return 0;
    if (!srf_Lock(scratch)) {
        srf_Unlock(target);
        return 0;
    }
    const int ok = scratch->width == target->width && scratch->height == target->height;
    const int64_t k = ((int64_t)target->height - 1) * level / 100;
    if (ok && style <= 12) {
        // Columns (1-6) run from top(x) to bottom(x), rows (7-12) from left(y) to
        // right(y); each end moves linearly from its near to its far inset.
        const bool rows = style > 6;
        const Insets& in = rows ? kRowInsets[style - 7] : kColumnInsets[style - 1];
        const Lines dst = AsLines(target, rows);
        const int64_t a0 = Inset(in.near0, k), a1 = Inset(in.far0, k);
        const int64_t b0 = dst.length - 1 - Inset(in.near1, k), b1 = dst.length - 1 - Inset(in.far1, k);
        ScaleLines(dst, AsLines(scratch, rows), [&](int64_t i, int64_t* a, int64_t* b) {
            *a = Spread(a0, a1, i, dst.count);
            *b = Spread(b0, b1, i, dst.count);
        });
    } else if (ok) {
        // Arches: the inset grows as a sine from the ends to the middle column.
        const Lines dst = AsLines(target, false);
        const double half = dst.count / 2.0;
        ScaleLines(dst, AsLines(scratch, false), [&](int64_t x, int64_t* a, int64_t* b) {
            const double dist = std::fabs((double)x - half);
            const double sn = std::sin((half - dist) / half * 1.570796327) * level / 100.0;
            const int64_t o = (int64_t)((double)(dst.length - 1) * sn);
            *a = style == 13 ? 0 : o;
            *b = style == 13 ? dst.length - 1 - o : dst.length - 1;
        });
    }
    srf_Unlock(scratch);
    srf_Unlock(target);
    return ok;
}

// The standard 16 colours as COLORREFs, by border style - 1.
static const uint32_t kBorderColours[TA_BORDER_LAST] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

// One pass along line i, forward or backward: an opaque pixel right after a
// translucent one becomes the border, every translucent pixel takes its colour.
static void BorderPass(const Lines& l, int64_t i, bool backward, uint32_t border) {
    uint32_t prevAlpha = 0;
    for (int64_t n = 0; n < l.length; n++) {
        uint32_t& p = l.At(i, backward ? l.length - 1 - n : n);
        const uint32_t alpha = p & 0xFF000000u;
        if (alpha) p = alpha | border;
        else if (prevAlpha) p = border;
        prevAlpha = alpha;
    }
}

int tk_TextArtBorder(Surface* target, int borderStyle) {
    if (borderStyle < 1 || borderStyle > TA_BORDER_LAST) return 1;
    if (!srf_Lock(target)) return 0;
    const uint32_t border = clr_SwapRB(kBorderColours[borderStyle - 1]) & 0x00FFFFFFu;
    // Rows left to right, rows right to left, columns down, columns up.
    for (int pass = 0; pass < 4; pass++) {
        const Lines l = AsLines(target, pass < 2);
        for (int64_t i = 0; i < l.count; i++) BorderPass(l, i, pass & 1, border);
    }
    srf_Unlock(target);
    return 1;
}
