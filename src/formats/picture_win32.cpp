// picture_win32.cpp — JPEG, GIF and Windows metafiles through the system's OLE
// picture loader. Bitmaps become opaque Surfaces (sides above 8192 scaled to fit);
// metafiles are drawn at one pixel per hundredth of a millimetre, the larger side
// at most PIC_MAX_METAFILE_SIDE, and the result is flipped top to bottom.
// Every object obtained (memory block, stream, picture, COM) is released on all paths.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <cstdlib>
#include <cstring>
#include "engine/surface_win32.h"
#include "formats/fileio.h"
#include "formats/kv5_file.h"
#include "formats/sysload_win32.h"

namespace {

// The bytes in a movable global block, or null.
HGLOBAL BlockOf(const uint8_t* data, size_t size) {
    // The picture loader reads BMP rows where the headers say: only whole files. Data
    // that starts with two zero bytes it takes for an icon or cursor and reads where
    // the directory points, past the block; icon pictures are refused below anyway.
    const bool bmp = size >= 2 && data[0] == 'B' && data[1] == 'M';
    const bool icon = size >= 2 && data[0] == 0 && data[1] == 0;
    if (size == 0 || size > PIC_MAX_FILE || icon || (bmp && !sys_DibIsWhole(data, size))) return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    void* p = block ? GlobalLock(block) : nullptr;
    if (!p) {
        if (block) GlobalFree(block);
        return nullptr;
    }
    std::memcpy(p, data, size);
    GlobalUnlock(block);
    return block;
}

void FlipRows(Surface* s) {
    const uint32_t w = s->width, h = s->height;
    for (uint32_t top = 0, bottom = h - 1; top < bottom; top++, bottom--) {
        uint32_t* a = s->pixels + (size_t)top * s->stride;
        uint32_t* b = s->pixels + (size_t)bottom * s->stride;
        for (uint32_t x = 0; x < w; x++) {
            const uint32_t t = a[x];
            a[x] = b[x];
            b[x] = t;
        }
    }
}

// A metafile picture drawn onto a new Surface of its size in hundredths of a
// millimetre, brought down so that the larger side fits.
int InstallMetafile(Surface* out, IPicture* pic, ImageFileInfo* info) {
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    if (FAILED(pic->get_Width(&hmWidth)) || FAILED(pic->get_Height(&hmHeight))) return 0;
    if (hmWidth <= 0 || hmHeight <= 0) return 0;
    int64_t w = hmWidth, h = hmHeight;
    if (w > PIC_MAX_METAFILE_SIDE || h > PIC_MAX_METAFILE_SIDE) {
        if (w >= h) {
            h = h * PIC_MAX_METAFILE_SIDE / w;
            w = PIC_MAX_METAFILE_SIDE;
        } else {
            w = w * PIC_MAX_METAFILE_SIDE / h;
            h = PIC_MAX_METAFILE_SIDE;
        }
    }
    Surface made;
    if (w < 1 || h < 1 || !srf_CreateExact((uint32_t)w, (uint32_t)h, &made)) return 0;
    HDC dc;
    int ok = 0;
    if (srf_GetDC(&dc, nullptr, &made)) {
        // Rendering sets mapping modes and origins; the surface's DC outlives this.
        // Metafiles set their own window, so only the destination decides which way
        // up they land: it is given bottom-up, and the flip below turns it upright.
        const int saved = SaveDC(dc);
        ok = SUCCEEDED(pic->Render(dc, 0, (LONG)h, (LONG)w, -(LONG)h, 0, 0, hmWidth, hmHeight, nullptr));
        RestoreDC(dc, saved);
    }
    srf_ReleaseDC(&dc, &made);
    if (!ok) {
        srf_Unlock(&made);
        srf_Destroy(&made);
        return 0;
    }
    FlipRows(&made);
    sys_Install(out, &made, info);
    return 1;
}

int InstallPicture(Surface* out, IPicture* pic, ImageFileInfo* info) {
    SHORT type = PICTYPE_UNINITIALIZED;
    if (FAILED(pic->get_Type(&type))) return 0;
    if (type == PICTYPE_METAFILE || type == PICTYPE_ENHMETAFILE) return InstallMetafile(out, pic, info);
    if (type != PICTYPE_BITMAP) return 0;
    OLE_HANDLE handle = 0;
    if (FAILED(pic->get_Handle(&handle)) || !handle) return 0;
    // The picture keeps the bitmap; it is copied here and freed with the picture.
    // Its pixels are opaque: Windows hands a bitmap whose fourth byte GDI leaves 0,
    // Wine a 32-bit one whose fourth byte is 255 — fully transparent to the engine.
    return sys_InstallBitmap(out, (HBITMAP)(UINT_PTR)handle, info, 1);
}

}  // namespace

int pic_LoadSystemBytes(Surface* out, const uint8_t* data, size_t size, ImageFileInfo* info) {
    if (!out || !data) return 0;
    HGLOBAL block = BlockOf(data, size);
    if (!block) return 0;
    const HRESULT com = CoInitialize(nullptr);  // S_FALSE when already started
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream)) || !stream) {
        GlobalFree(block);
        if (SUCCEEDED(com)) CoUninitialize();
        return 0;
    }
    IPicture* pic = nullptr;
    int ok = SUCCEEDED(OleLoadPicture(stream, (LONG)size, FALSE, IID_IPicture, (void**)&pic)) && pic &&
             InstallPicture(out, pic, info);
    if (pic) pic->Release();
    stream->Release();  // frees the block
    if (SUCCEEDED(com)) CoUninitialize();
    return ok ? 1 : 0;
}

int pic_LoadSystem(Surface* out, const char* path, ImageFileInfo* info) {
    if (!out || !path) return 0;
    uint8_t* data;
    size_t size = 0;
    if (!fio_ReadPrefix(path, PIC_MAX_FILE + 1, &data, &size)) return 0;
    const int ok = pic_LoadSystemBytes(out, data, size, info);
    std::free(data);
    return ok;
}
