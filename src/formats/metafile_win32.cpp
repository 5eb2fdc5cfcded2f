// metafile_win32.cpp — enhanced metafiles (".emf") played by GDI onto a Surface.
// The Surface spans (0, 0) to the bottom-right corner of the metafile's device
// bounds, so a picture that does not start at the origin keeps its black margin.
#include <windows.h>
#include "engine/surface_win32.h"
#include "formats/kv5_file.h"
#include "formats/sysload_win32.h"

int emf_Load(Surface* out, const char* path, ImageFileInfo* info) {
    if (!out || !path) return 0;
    HENHMETAFILE emf = GetEnhMetaFileA(path);
    if (!emf) return 0;
    ENHMETAHEADER header{};
    int ok = 0;
    if (GetEnhMetaFileHeader(emf, sizeof header, &header) >= sizeof header) {
        const RECTL b = header.rclBounds;
        // An empty picture has right or bottom below zero; sizes come from the file,
        // so they are checked against what a Surface can hold before anything is made.
        const int64_t w = (int64_t)b.right + 1, h = (int64_t)b.bottom + 1;
        size_t pixels;
        Surface made;
        if (w >= 1 && h >= 1 && w <= SRF_MAX_PIXELS && h <= SRF_MAX_PIXELS &&
            srf_SizeAccepted((uint32_t)w, (uint32_t)h, &pixels) && srf_CreateExact((uint32_t)w, (uint32_t)h, &made)) {
            HDC dc;
            const RECT area = {b.left, b.top, b.right, b.bottom};
            ok = srf_GetDC(&dc, nullptr, &made) != nullptr;
            // A record GDI cannot play makes the call report failure, yet the rest is
            // drawn; the picture is kept as far as it went.
            if (ok) PlayEnhMetaFile(dc, emf, &area);
            srf_ReleaseDC(&dc, &made);
            if (ok) {
                sys_Install(out, &made, info);
            } else {
                srf_Unlock(&made);
                srf_Destroy(&made);
            }
        }
    }
    DeleteEnhMetaFile(emf);
    return ok ? 1 : 0;
}
