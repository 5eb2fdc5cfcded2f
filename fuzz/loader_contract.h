// loader_contract.h — the contract every image reader's fuzz target checks: a load
// either succeeds with a Surface of the size it reports, or refuses and leaves
// nothing behind. Anything else aborts, which libFuzzer reports as a crash.
#pragma once
#include <cstdlib>
#include <cstring>
#include "engine/surface.h"
#include "formats/imageinfo.h"

// Returns `loaded`; a loaded Surface stays in `out` for the caller to destroy.
inline int fz_CheckLoad(int loaded, Surface* out, const ImageFileInfo& info) {
    if (loaded) {
        if (!srf_IsValid(out) || out->width != info.width || out->height != info.height) std::abort();
    } else if (out->created) {
        std::abort();
    }
    return loaded;
}

// 1 when both Surfaces have the same size and the same words.
inline int fz_SamePixels(Surface* a, Surface* b) {
    if (a->width != b->width || a->height != b->height) return 0;
    const uint32_t* pa = srf_Lock(a);
    const uint32_t* pb = srf_Lock(b);
    int same = pa && pb;
    for (uint32_t y = 0; same && y < a->height; y++)
        same = std::memcmp(pa + (size_t)y * a->stride, pb + (size_t)y * b->stride, a->width * 4u) == 0;
    srf_Unlock(b);
    srf_Unlock(a);
    return same;
}

// A quiet load of the first `use` bytes (at most `size`) under the contract.
template <int (*Load)(Surface*, const uint8_t*, size_t, ImageFileInfo*)>
int fz_QuietLoad(const uint8_t* data, size_t size, size_t use = SIZE_MAX) {
    Surface out{};
    ImageFileInfo info{};
    info.quiet = 1;
    if (fz_CheckLoad(Load(&out, data, use < size ? use : size, &info), &out, info)) srf_Destroy(&out);
    return 0;
}

// Whatever `Load` accepts quietly, `Save` must store and `Load` give back word for word;
// `mayLoad` 0 says the input should have been refused (any load then aborts).
template <int (*Load)(Surface*, const uint8_t*, size_t, ImageFileInfo*), int (*Save)(Surface*, uint8_t**, size_t*)>
int fz_LoadedRoundTrips(const uint8_t* data, size_t size, int mayLoad = 1) {
    Surface out{}, back{};
    ImageFileInfo info{};
    info.quiet = 1;
    if (!fz_CheckLoad(Load(&out, data, size, &info), &out, info)) return 0;
    uint8_t* file;
    size_t n;
    if (!mayLoad || !Save(&out, &file, &n) || !Load(&back, file, n, nullptr) || !fz_SamePixels(&out, &back))
        std::abort();
    std::free(file);
    srf_Destroy(&back);
    srf_Destroy(&out);
    return 0;
}
