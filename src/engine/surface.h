// surface.h — the Surface record and its portable life cycle.
//
// Owns: nothing global. A Surface is a plain record owned by its caller; the engine
// allocates only what the record refers to (a DIB section and memory DC on Windows,
// a plain pixel block natively) and frees it again in srf_Destroy.
// Pixels are 32-bit words 0xAARRGGBB, rows top-down, alpha = translucency
// (0 opaque, 255 fully transparent). Rectangles are inclusive on all four sides.
// Promises: srf_Create never fails for a non-null record — test srf_IsValid;
// every pixel operation locks and unlocks by itself, so locks nest.
// Natively the handle fields (dc, bitmap, prevBitmap) stay null and dibBits holds
// the pixel block; on Windows they hold HDC / HBITMAP handles (surface_win32.h).
#pragma once
#include <cstddef>
#include <cstdint>

struct Surface {
    uint32_t kind;            // 1 after creation, never tested
    uint32_t width;           // refreshed from the bitmap before each use
    uint32_t height;
    uint32_t stride;          // row pitch in pixels
    uint32_t bitsPerPixel;    // 32
    uint32_t* pixels;         // pixel (0,0) while locked, else null
    uint32_t created;         // destruction clears this and every field after it
    uint32_t reqWidth;
    uint32_t reqHeight;
    uint32_t reqBitsPerPixel;
    uint32_t lockCount;
    void* dc;                 // HDC of the surface's own memory DC (Windows only)
    uint32_t byteSize;        // reqWidth * reqHeight * 4
    void* bitmap;             // HBITMAP of the DIB section (Windows only)
    void* prevBitmap;         // bitmap selected into dc before ours, restored on destroy
    void* dibBits;            // pixel memory as handed out when the bitmap was made
};

// Largest pixel count a surface may hold before the size guard trims it.
const uint32_t SRF_MAX_PIXELS = 0x1000000;
const uint32_t SRF_MAX_SIDE = 8192;

// Size guard of creation, exposed so the guard is testable on its own.
void srf_GuardSize(uint32_t* width, uint32_t* height);

// Platform-backed life cycle (surface_win32.cpp / surface_native.cpp).
Surface* srf_Create(uint32_t width, uint32_t height, Surface* s);
int srf_Destroy(Surface* s);
// Like srf_Destroy but hands the pixel store to the caller: an HBITMAP on Windows,
// natively the malloc'd pixel block (free it with free()). Null when there was none.
void* srf_Detach(Surface* s);
int srf_Refresh(Surface* s);
uint32_t* srf_Lock(Surface* s);
int srf_IsValid(Surface* s);

// Portable operations (surface.cpp).
int srf_Unlock(Surface* s);
int srf_Resize(Surface* s, int width, int height, int mode);
int srf_Duplicate(Surface* dst, Surface* src);
// Dimensions a Surface holds exactly (none zero, none trimmed by its size guard).
int srf_SizeAccepted(uint32_t w, uint32_t h, size_t* pixels);
// A new, locked surface of exactly w x h, or 0 (nothing left behind) when it cannot be made.
int srf_CreateExact(uint32_t w, uint32_t h, Surface* made);
// Unlocks `made` and gives it to out, destroying what out held.
void srf_Install(Surface* out, Surface* made);
// Makes `s` (a record that is empty or holds a surface) one of h rows and w columns,
// or at least w columns when `wider` is 1, keeping what it holds when that does; for
// scratch surfaces used again and again. 0 when it cannot be made.
int srf_Reuse(Surface* s, uint32_t w, uint32_t h, int wider);
int srf_ApplyTables(Surface* s, int x1, int y1, int x2, int y2,
                    const uint8_t* red, const uint8_t* green, const uint8_t* blue,
                    const uint8_t* alpha);

// First step of creation on every platform: size guard, then the record's fields
// (no pixel store yet); width and height come back as guarded.
void srf_BeginRecord(Surface* s, uint32_t* width, uint32_t* height);
// Clears `created` and every field after it, keeping kind..pixels (destroy/detach rule).
void srf_ClearRecord(Surface* s);
