// Fuzzes the four transfers: arbitrary rectangles (far outside included), flags and
// surface sizes. Memory errors are caught by the sanitizers; the fast kernels must
// also give exactly the reference result, or the target aborts.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include "engine/blit.h"
#include "engine/engine.h"

namespace {
struct Reader {
    const uint8_t* p;
    size_t n;
    uint32_t U8() { return n ? (n--, *p++) : 0; }
    int32_t I32() {
        uint32_t v = U8() | (U8() << 8) | (U8() << 16) | (U8() << 24);
        return (int32_t)v;
    }
    // Mostly small coordinates near the surfaces, sometimes anything at all.
    int Coord() {
        uint32_t kind = U8();
        if (kind < 200) return (int)(U8() % 80) - 20;
        return I32();
    }
};

void Fill(Surface* s, uint32_t seed) {
    uint32_t* p = srf_Lock(s);
    for (uint32_t i = 0; i < s->width * s->height; i++) {
        seed = seed * 1103515245u + 12345u;
        p[i] = seed ^ (seed >> 13);
    }
    srf_Unlock(s);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader r{data, size};
    eng_Init();
    int op = r.U8() & 3;
    uint32_t sw = 1 + r.U8() % 40, sh = 1 + r.U8() % 40, dw = 1 + r.U8() % 40, dh = 1 + r.U8() % 40;
    int d[4], s[4];
    for (int& v : d) v = r.Coord();
    for (int& v : s) v = r.Coord();
    unsigned flags = r.U8() & 31;
    eng_SetClip(r.Coord(), r.Coord(), r.Coord(), r.Coord());
    uint32_t seed = r.U8() | (r.U8() << 8);

    Surface src{}, fast{}, ref{};
    srf_Create(sw, sh, &src);
    srf_Create(dw, dh, &fast);
    srf_Create(dw, dh, &ref);
    Fill(&src, seed);
    Fill(&fast, seed + 1);
    Fill(&ref, seed + 1);
    typedef int (*Transfer)(Surface*, int, int, int, int, Surface*, int, int, int, int, unsigned);
    const Transfer ops[4] = {blt_Copy, blt_Blend, blt_CopySmooth, blt_BlendSmooth};
    blt_ForceReference(0);
    int a = ops[op](&fast, d[0], d[1], d[2], d[3], &src, s[0], s[1], s[2], s[3], flags);
    blt_ForceReference(1);
    int b = ops[op](&ref, d[0], d[1], d[2], d[3], &src, s[0], s[1], s[2], s[3], flags);
    blt_ForceReference(0);
    if (a != b || std::memcmp(srf_Lock(&fast), srf_Lock(&ref), (size_t)dw * dh * 4) != 0) std::abort();
    srf_Unlock(&fast);
    srf_Unlock(&ref);
    srf_Destroy(&src);
    srf_Destroy(&fast);
    srf_Destroy(&ref);
    return 0;
}
