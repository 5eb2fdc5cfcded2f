// surface.cpp — the portable half of the surface life cycle: size guard, unlock,
// resize, duplicate and channel tables. Creation and locking are per platform.
#include "engine/surface.h"
#include <cstddef>
#include <cstring>
#include "engine/blit.h"

void srf_GuardSize(uint32_t* width, uint32_t* height) {
    // 64-bit product: a 32-bit one would wrap for 65536 x 65536 and pass the guard.
    if ((uint64_t)*width * *height > SRF_MAX_PIXELS) {
        if (*width > SRF_MAX_SIDE) *width = SRF_MAX_SIDE;
        if (*height > SRF_MAX_SIDE) *height = SRF_MAX_PIXELS / *width;
    }
}

void srf_BeginRecord(Surface* s, uint32_t* width, uint32_t* height) {
    srf_GuardSize(width, height);
    s->width = s->reqWidth = *width;
    s->height = s->reqHeight = *height;
    s->bitsPerPixel = s->reqBitsPerPixel = 32;
    s->kind = 1;
    s->created = 1;
    s->lockCount = 0;
    s->byteSize = *width * *height * 4;
    s->pixels = nullptr;
    s->stride = 0;
    s->dc = s->bitmap = s->prevBitmap = s->dibBits = nullptr;
}

void srf_ClearRecord(Surface* s) {
    size_t from = offsetof(Surface, created);
    std::memset(reinterpret_cast<char*>(s) + from, 0, sizeof(Surface) - from);
}

int srf_Unlock(Surface* s) {
    if (s && s->lockCount > 0) s->lockCount--;
    return 1;
}

int srf_Resize(Surface* s, int width, int height, int mode) {
    if (!s || width < 1 || height < 1) return 0;
    if (mode != 1 && srf_IsValid(s)) {
        Surface fresh{};
        srf_Create((uint32_t)width, (uint32_t)height, &fresh);
        if (!srf_IsValid(&fresh)) return 0;   // keep the old image rather than lose it
        srf_Refresh(s);
        int ok = (mode == 3 ? blt_Copy : blt_CopySmooth)(
            &fresh, 0, 0, (int)fresh.width - 1, (int)fresh.height - 1,
            s, 0, 0, (int)s->width - 1, (int)s->height - 1, 0);
        if (!ok) {
            srf_Destroy(&fresh);
            return 0;
        }
        srf_Destroy(s);
        *s = fresh;
        return 1;
    }
    if (srf_IsValid(s)) srf_Destroy(s);
    srf_Create((uint32_t)width, (uint32_t)height, s);
    return 1;
}

int srf_Duplicate(Surface* dst, Surface* src) {
    if (!dst || !src || !srf_Refresh(src)) return 0;
    if (srf_IsValid(dst)) srf_Destroy(dst);
    srf_Create(src->width, src->height, dst);
    if (!srf_IsValid(dst)) return 0;
    int w = (int)src->width, h = (int)src->height;
    return blt_Copy(dst, 0, 0, w - 1, h - 1, src, 0, 0, w - 1, h - 1, 0);
}

int srf_ApplyTables(Surface* s, int x1, int y1, int x2, int y2,
                    const uint8_t* red, const uint8_t* green, const uint8_t* blue,
                    const uint8_t* alpha) {
    uint32_t* px = srf_Lock(s);
    if (!px) return 0;
    if (x1 > x2) { int t = x1; x1 = x2; x2 = t; }
    if (y1 > y2) { int t = y1; y1 = y2; y2 = t; }
    if (x1 < 0) x1 = 0;
    if (y1 < 0) y1 = 0;
    if (x2 > (int)s->width - 1) x2 = (int)s->width - 1;
    if (y2 > (int)s->height - 1) y2 = (int)s->height - 1;
    for (int y = y1; y <= y2; y++) {
        uint32_t* row = px + (size_t)y * s->stride;
        for (int x = x1; x <= x2; x++) {
            uint32_t p = row[x];
            uint32_t b = p & 0xFF, g = (p >> 8) & 0xFF, r = (p >> 16) & 0xFF, a = p >> 24;
            if (blue) b = blue[b];
            if (green) g = green[g];
            if (red) r = red[r];
            if (alpha) a = alpha[a];
            row[x] = b | (g << 8) | (r << 16) | (a << 24);
        }
    }
    srf_Unlock(s);
    return 1;
}

int srf_SizeAccepted(uint32_t w, uint32_t h, size_t* pixels) {
    if (w == 0 || h == 0) return 0;
    uint32_t gw = w, gh = h;
    srf_GuardSize(&gw, &gh);
    if (gw != w || gh != h) return 0;
    *pixels = (size_t)w * h;
    return 1;
}

int srf_CreateExact(uint32_t w, uint32_t h, Surface* made) {
    std::memset(made, 0, sizeof *made);
    srf_Create(w, h, made);
    if (srf_IsValid(made) && srf_Lock(made)) {
        if (made->width == w && made->height == h) return 1;
        srf_Unlock(made);
    }
    if (made->created) srf_Destroy(made);
    return 0;
}

void srf_Install(Surface* out, Surface* made) {
    srf_Unlock(made);
    if (out->created && srf_IsValid(out)) srf_Destroy(out);
    *out = *made;
}

int srf_Reuse(Surface* s, uint32_t w, uint32_t h, int wider) {
    if (s->created && srf_Refresh(s) && (wider ? s->width >= w : s->width == w) && s->height == h) return 1;
    if (s->created) srf_Destroy(s);
    Surface made{};
    if (!srf_CreateExact(w, h, &made)) return 0;
    srf_Install(s, &made);
    return 1;
}
