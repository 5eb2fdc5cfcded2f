// surface_win32.h — the GDI side of surfaces (Windows build only).
// A surface's pixels are a 32-bit top-down DIB section that stays selected into the
// surface's own memory DC for its whole life, so GDI drawing through srf_GetDC and
// the engine's pixel loops work on the same memory. Flush GDI (every lock and
// refresh does) before touching pixels after GDI drawing.
#pragma once
#include <windows.h>
#include "engine/surface.h"

// New surface holding a 32-bit copy of any GDI bitmap; bitmaps above 8192 on a side
// are first scaled to fit 8192 on the longer side. Returns s, or 0 when the bitmap
// cannot be read or the surface cannot be made.
Surface* srf_FromBitmap(HBITMAP bitmap, Surface* s);
// Selects the surface's bitmap into its DC if needed and hands both out.
HDC srf_GetDC(HDC* dcOut, HBITMAP* bitmapOut, Surface* s);
int srf_ReleaseDC(HDC* dcOut, Surface* s);
// Alpha becomes a mask of the region: inside opaque (0), outside transparent (255).
// Each region rectangle is filled inclusive of its right and bottom edge.
int srf_MaskFromRegion(Surface* s, HRGN region);
// Optimised palette of the surface's colours (octree); the caller owns the palette.
HPALETTE srf_MakePalette(Surface* s, int maxColours, int depth);
