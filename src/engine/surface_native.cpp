// surface_native.cpp — surfaces backed by plain memory for the native build.
// The handle fields stay null; dibBits is the pixel block, stride equals width.
#include <cstdlib>
#include "engine/surface.h"

Surface* srf_Create(uint32_t width, uint32_t height, Surface* s) {
    if (!s) return nullptr;
    srf_BeginRecord(s, &width, &height);
    // A zero-sized bitmap cannot be made on Windows either; leave it invalid.
    s->dibBits = (width && height) ? std::calloc((size_t)width * height, 4) : nullptr;
    s->stride = s->dibBits ? width : 0;
    return s;
}

int srf_Destroy(Surface* s) {
    if (!s) return 0;
    std::free(s->dibBits);
    srf_ClearRecord(s);
    return 1;
}

void* srf_Detach(Surface* s) {
    if (!s) return nullptr;
    void* block = s->dibBits;
    srf_ClearRecord(s);
    return block;
}

int srf_Refresh(Surface* s) {
    if (!s || !s->created || !s->dibBits) return 0;
    s->width = s->reqWidth;
    s->height = s->reqHeight;
    s->stride = s->reqWidth;
    s->bitsPerPixel = 32;
    // A refresh during an outstanding lock keeps the pointer the holder relies on.
    s->pixels = s->lockCount ? static_cast<uint32_t*>(s->dibBits) : nullptr;
    return 1;
}

uint32_t* srf_Lock(Surface* s) {
    if (!srf_Refresh(s)) return nullptr;
    s->pixels = static_cast<uint32_t*>(s->dibBits);
    s->lockCount++;
    return s->pixels;
}

int srf_IsValid(Surface* s) { return s && s->created && s->dibBits ? 1 : 0; }
