// surface_win32.cpp — surfaces as DIB sections in their own memory DCs, and the
// GDI-only surface operations (bitmap import, DC hand-out, self-repair, region
// masks, GDI palettes).
#include "engine/surface_win32.h"
#include <cstring>
#include "engine/octree.h"
#include "engine/shape.h"

namespace {

bool IsDC(HGDIOBJ h) {
    DWORD t = h ? GetObjectType(h) : 0;
    return t == OBJ_DC || t == OBJ_MEMDC;
}
bool IsBitmap(HGDIOBJ h) { return h && GetObjectType(h) == OBJ_BITMAP; }

bool ReadDib(Surface* s, DIBSECTION* ds) {
    if (!s || !s->bitmap) return false;
    std::memset(ds, 0, sizeof *ds);
    return GetObjectA((HBITMAP)s->bitmap, sizeof *ds, ds) != 0;
}

// Header of a 32-bit top-down RGB bitmap.
BITMAPINFO TopDown32(uint32_t width, uint32_t height, LONG pelsPerMetre) {
    BITMAPINFO bmi;
    std::memset(&bmi, 0, sizeof bmi);
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = (LONG)width;
    bmi.bmiHeader.biHeight = -(LONG)height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    bmi.bmiHeader.biXPelsPerMeter = pelsPerMetre;
    bmi.bmiHeader.biYPelsPerMeter = pelsPerMetre;
    return bmi;
}

}  // namespace

Surface* srf_Create(uint32_t width, uint32_t height, Surface* s) {
    if (!s) return nullptr;
    srf_BeginRecord(s, &width, &height);
    BITMAPINFO bmi = TopDown32(width, height, 2880);
    HDC dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP bmp = (width && height) ? CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    s->dc = dc;
    s->bitmap = bmp;
    s->dibBits = bmp ? bits : nullptr;
    s->prevBitmap = (dc && bmp) ? SelectObject(dc, bmp) : nullptr;
    GdiFlush();
    if (bmp) srf_Refresh(s);
    return s;
}

int srf_Destroy(Surface* s) {
    if (!s) return 0;
    if (s->dc) {
        if (s->prevBitmap) SelectObject((HDC)s->dc, (HGDIOBJ)s->prevBitmap);
        DeleteDC((HDC)s->dc);
    }
    if (s->bitmap) DeleteObject((HGDIOBJ)s->bitmap);
    srf_ClearRecord(s);
    return 1;
}

void* srf_Detach(Surface* s) {
    if (!s) return nullptr;
    void* bmp = s->bitmap;
    if (s->dc) {
        if (s->prevBitmap) SelectObject((HDC)s->dc, (HGDIOBJ)s->prevBitmap);
        DeleteDC((HDC)s->dc);
    }
    srf_ClearRecord(s);
    return bmp;
}

int srf_Refresh(Surface* s) {
    GdiFlush();
    DIBSECTION ds;
    if (!ReadDib(s, &ds)) return 0;
    s->width = (uint32_t)ds.dsBm.bmWidth;
    s->height = (uint32_t)(ds.dsBm.bmHeight < 0 ? -ds.dsBm.bmHeight : ds.dsBm.bmHeight);
    s->stride = (uint32_t)ds.dsBm.bmWidthBytes / 4;
    s->bitsPerPixel = ds.dsBm.bmBitsPixel;
    // A refresh during an outstanding lock keeps the pointer the holder relies on.
    s->pixels = s->lockCount ? static_cast<uint32_t*>(ds.dsBm.bmBits) : nullptr;
    return 1;
}

uint32_t* srf_Lock(Surface* s) {
    if (!srf_Refresh(s)) return nullptr;
    DIBSECTION ds;
    if (!ReadDib(s, &ds) || !ds.dsBm.bmBits) return nullptr;
    s->pixels = static_cast<uint32_t*>(ds.dsBm.bmBits);
    s->lockCount++;
    return s->pixels;
}

int srf_IsValid(Surface* s) {
    if (!s) return 0;
    GdiFlush();
    bool dcOk = IsDC((HGDIOBJ)s->dc);
    bool prevOk = IsBitmap((HGDIOBJ)s->prevBitmap);
    bool bmpOk = IsBitmap((HGDIOBJ)s->bitmap);
    if (bmpOk && dcOk) return 1;
    if (bmpOk) {
        // The DC went away under us: rebuild the record around a copy of the bitmap.
        HBITMAP bmp = (HBITMAP)s->bitmap;
        srf_ClearRecord(s);
        Surface* made = srf_FromBitmap(bmp, s);
        DeleteObject(bmp);
        return made && IsBitmap((HGDIOBJ)s->bitmap) ? 1 : 0;
    }
    if (dcOk || prevOk) srf_Destroy(s);
    return 0;
}

Surface* srf_FromBitmap(HBITMAP bitmap, Surface* s) {
    if (!s || !bitmap) return nullptr;
    GdiFlush();
    BITMAP bm;
    if (!GetObjectA(bitmap, sizeof bm, &bm)) return nullptr;
    LONG w = bm.bmWidth, h = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
    if (w < 1 || h < 1) return nullptr;
    HBITMAP scaled = nullptr;
    HBITMAP from = bitmap;
    if (w > 8192 || h > 8192) {
        LONG nw, nh;
        if (w <= h) {
            nw = (LONG)((int64_t)w * 8192 / h);
            nh = 8192;
        } else {
            nw = 8192;
            nh = (LONG)((int64_t)h * 8192 / w);
        }
        if (nw < 1) nw = 1;
        if (nh < 1) nh = 1;
        scaled = (HBITMAP)CopyImage(bitmap, IMAGE_BITMAP, nw, nh, LR_CREATEDIBSECTION);
        if (!scaled) return nullptr;
        from = scaled;
        w = nw;
        h = nh;
    }
    srf_Create((uint32_t)w, (uint32_t)h, s);
    uint32_t* px = srf_Lock(s);
    if (!px) {
        srf_Destroy(s);
        if (scaled) DeleteObject(scaled);
        return nullptr;
    }
    BITMAPINFO bmi = TopDown32(s->width, s->height, 0);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, from, 0, s->height, px, &bmi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    srf_Unlock(s);
    if (scaled) DeleteObject(scaled);
    return s;
}

HDC srf_GetDC(HDC* dcOut, HBITMAP* bitmapOut, Surface* s) {
    if (!dcOut || !srf_Refresh(s)) return nullptr;
    HDC dc = (HDC)s->dc;
    if (GetCurrentObject(dc, OBJ_BITMAP) != (HGDIOBJ)s->bitmap) SelectObject(dc, (HGDIOBJ)s->bitmap);
    *dcOut = dc;
    if (bitmapOut) *bitmapOut = (HBITMAP)s->bitmap;
    return dc;
}

int srf_ReleaseDC(HDC* dcOut, Surface* s) {
    if (dcOut) *dcOut = nullptr;
    GdiFlush();
    if (s && s->dc && s->bitmap && GetCurrentObject((HDC)s->dc, OBJ_BITMAP) != (HGDIOBJ)s->bitmap)
        SelectObject((HDC)s->dc, (HGDIOBJ)s->bitmap);
    return 1;
}

int srf_MaskFromRegion(Surface* s, HRGN region) {
    if (!region || GetObjectType(region) != OBJ_REGION) return 0;
    DWORD size = GetRegionData(region, 0, nullptr);
    DWORD room = size + 1024;
    char stackBuf[32768];
    HGLOBAL block = nullptr;
    char* buf = stackBuf;
    if (room >= sizeof stackBuf) {
        block = GlobalAlloc(GMEM_FIXED, room);
        if (!block) return 0;
        buf = (char*)block;
    }
    int ok = 0;
    RGNDATA* data = (RGNDATA*)buf;
    if (GetRegionData(region, room, data) && srf_Lock(s)) {
        int w = (int)s->width, h = (int)s->height;
        drw_FillRectOp(s, 0, 0, w - 1, h - 1, 0xFF000000u, 1);
        const RECT* r = (const RECT*)data->Buffer;
        DWORD fits = (room - sizeof(RGNDATAHEADER)) / sizeof(RECT);
        DWORD n = data->rdh.nCount < fits ? data->rdh.nCount : fits;
        for (DWORD i = 0; i < n; i++)
            drw_FillRectOp(s, r[i].left, r[i].top, r[i].right, r[i].bottom, 0x00FFFFFFu, 2);
        srf_Unlock(s);
        ok = 1;
    }
    if (block) GlobalFree(block);
    return ok;
}

HPALETTE srf_MakePalette(Surface* s, int maxColours, int depth) {
    PalEntry entries[256];
    int n = oct_BuildPalette(s, maxColours, depth, entries);
    if (n < 1) return nullptr;
    char buf[sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY)];
    LOGPALETTE* lp = (LOGPALETTE*)buf;
    lp->palVersion = 0x300;
    lp->palNumEntries = (WORD)n;
    static_assert(sizeof(PalEntry) == sizeof(PALETTEENTRY), "palette entry layout");
    std::memcpy(lp->palPalEntry, entries, n * sizeof(PALETTEENTRY));
    return CreatePalette(lp);
}
