// shape_ops.h — internals shared by the shape modules (shape_*.cpp), not a public API.
//
// Owns: the pixel rules (SET / OVER / MIX), the raster-operation modes and their
// span writers, rectangle normalising and clipping, and the overflow-safe
// arithmetic that lets callers pass any int coordinates: products of coordinates
// go through 64 bits (128 when they could exceed that), doubles become integers
// only through shp_Trunc, which truncates toward zero and saturates.
// Everything here assumes the surface is locked and spans are already clipped.
#pragma once
#include <cmath>
#include <cstdint>
#include "engine/engine.h"
#include "engine/pixel.h"
#include "engine/surface.h"

// Modes 4 and 5 differ between the users of the op modes: fills add with
// saturation and composite the checkerboard by c's alpha; the thick line adds but
// writes the checkerboard entry itself; the thin line writes c (SET) for mode 4.
enum ShpOpUser { SHP_OP_FILL, SHP_OP_THICK, SHP_OP_THIN };

static inline int64_t shp_Min(int64_t a, int64_t b) { return a < b ? a : b; }
static inline int64_t shp_Max(int64_t a, int64_t b) { return a > b ? a : b; }
static inline int64_t shp_Abs(int64_t a) { return a < 0 ? -a : a; }

// Every pixel of c's colour over d by c's weight, alpha included.
static inline uint32_t shp_Mix(uint32_t c, uint32_t d) { return px_Lerp(c, d, px_Weight(c >> 24)); }

static inline bool shp_Usable(const Surface* s) {
    return s && s->pixels && s->width && s->height;
}

static inline uint32_t* shp_Row(Surface* s, int64_t y) { return s->pixels + (size_t)y * s->stride; }

// (a * b) / c truncated toward zero, c != 0. Callers guarantee the quotient fits.
static inline int64_t shp_MulDiv(int64_t a, int64_t b, int64_t c) {
    const int64_t lim = (int64_t)1 << 31;
    if (a > -lim && a < lim && b > -lim && b < lim) return a * b / c;
    return (int64_t)((__int128)a * b / c);
}

// Double to integer, truncating toward zero; saturates far outside any surface
// (and keeps differences of two results inside int64); NaN gives 0.
static inline int64_t shp_Trunc(double v) {
    const double lim = 4611686018427387904.0;  // 2^62
    if (!(v == v)) return 0;
    if (v >= lim) return (int64_t)1 << 62;
    if (v <= -lim) return -((int64_t)1 << 62);
    return (int64_t)v;
}

// Normalises the corners and clips them to the surface; false when nothing is left.
static inline bool shp_ClipRect(const Surface* s, int x1, int y1, int x2, int y2,
                                int64_t* cx1, int64_t* cy1, int64_t* cx2, int64_t* cy2) {
    *cx1 = shp_Max(shp_Min(x1, x2), 0);
    *cx2 = shp_Min(shp_Max(x1, x2), (int64_t)s->width - 1);
    *cy1 = shp_Max(shp_Min(y1, y2), 0);
    *cy2 = shp_Min(shp_Max(y1, y2), (int64_t)s->height - 1);
    return *cx1 <= *cx2 && *cy1 <= *cy2;
}

// One pixel by an op mode; `checker` is the checkerboard entry of the pixel.
static inline uint32_t shp_Op(uint32_t d, uint32_t c, int mode, uint32_t checker, ShpOpUser user) {
    switch (mode) {
    case 1: return d | c;
    case 2: return d & c;
    case 3: return d ^ c;
    case 4: return user == SHP_OP_THIN ? c : px_AddSat(d, c);
    case 5: return user == SHP_OP_FILL ? px_Lerp(checker, d, px_Weight(c >> 24)) : checker;
    default: return c;
    }
}

// Applies an op mode to the pixels xa..xb of row y (already inside the surface).
static inline void shp_OpSpan(Surface* s, int64_t y, int64_t xa, int64_t xb, uint32_t c, int mode,
                              ShpOpUser user) {
    uint32_t* p = shp_Row(s, y);
    switch (mode) {
    case 1: for (int64_t x = xa; x <= xb; x++) p[x] |= c; break;
    case 2: for (int64_t x = xa; x <= xb; x++) p[x] &= c; break;
    case 3: for (int64_t x = xa; x <= xb; x++) p[x] ^= c; break;
    case 5: {
        const uint32_t* chk = eng_CheckerTable() + (y & 15) * 16;
        for (int64_t x = xa; x <= xb; x++) p[x] = shp_Op(p[x], c, 5, chk[x & 15], user);
        break;
    }
    case 4:
        if (user != SHP_OP_THIN) {
            for (int64_t x = xa; x <= xb; x++) p[x] = px_AddSat(p[x], c);
            break;
        }
        [[fallthrough]];  // the thin line writes c
    default: for (int64_t x = xa; x <= xb; x++) p[x] = c; break;
    }
}
