// Fuzzes the four transfers: arbitrary rectangles (far outside included), flags, clip
// and surface sizes. Memory errors are caught by the sanitizers; the fast kernels must
// also give exactly the reference result, or the target aborts.
#include <cstdlib>
#include <initializer_list>
#include <cstring>
#include "engine/blit.h"
#include "engine/engine.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in{data, size};
    eng_Init();
    const int op = in.Byte() & 3;
    const uint32_t sw = 1 + in.Byte() % 40, sh = 1 + in.Byte() % 40, dw = 1 + in.Byte() % 40, dh = 1 + in.Byte() % 40;
    int c[8];
    for (int i = 0; i < 8; i++) c[i] = in.Coordinate(40);
    const unsigned flags = in.Byte() & 31;
    eng_SetClip(in.Coordinate(40), in.Coordinate(40), in.Coordinate(40), in.Coordinate(40));
    uint32_t seed = in.Word();

    Surface src{}, out[2] = {};
    srf_Create(sw, sh, &src);
    for (Surface* s : {&src, &out[0], &out[1]}) {
        if (s != &src) srf_Create(dw, dh, s);
        uint32_t* p = srf_Lock(s);
        for (uint32_t i = 0, v = seed + (s != &src); i < s->width * s->height; i++) {
            v = v * 1103515245u + 12345u;
            p[i] = v ^ (v >> 13);
        }
        srf_Unlock(s);
    }
    typedef int (*Transfer)(Surface*, int, int, int, int, Surface*, int, int, int, int, unsigned);
    const Transfer ops[4] = {blt_Copy, blt_Blend, blt_CopySmooth, blt_BlendSmooth};
    int r[2];
    for (int ref = 0; ref <= 1; ref++) {
        eng_ForceReference(ref);
        r[ref] = ops[op](&out[ref], c[0], c[1], c[2], c[3], &src, c[4], c[5], c[6], c[7], flags);
    }
    eng_ForceReference(0);
    const bool same = r[0] == r[1] && std::memcmp(srf_Lock(&out[0]), srf_Lock(&out[1]), (size_t)dw * dh * 4) == 0;
    for (Surface* s : {&out[0], &out[1]}) srf_Unlock(s);
    if (!same) std::abort();
    for (Surface* s : {&src, &out[0], &out[1]}) srf_Destroy(s);
    return 0;
}
