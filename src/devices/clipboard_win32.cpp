// clipboard_win32.cpp — the clipboard exchange (clipboard_win32.h).
#include "devices/clipboard_win32.h"

#include "devices/clipdib.h"
#include "engine/surface_win32.h"
#include "platform/ui.h"

int ClipboardCopy(Surface* s, HWND owner) {
    if (!srf_Refresh(s)) return 0;
    uint32_t w = s->width, h = s->height;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, cdib_BlockSize(w, h));
    if (!block) return 0;
    uint8_t* bytes = (uint8_t*)GlobalLock(block);
    uint32_t* px = bytes ? srf_Lock(s) : nullptr;
    if (!px) {
        if (bytes) GlobalUnlock(block);
        GlobalFree(block);
        return 0;
    }
    cdib_Write(bytes, px, w, h, s->stride);
    srf_Unlock(s);
    GlobalUnlock(block);
    if (!OpenClipboard(owner)) {
        GlobalFree(block);
        return 0;
    }
    EmptyClipboard();
    // The clipboard owns the block once it took it.
    if (!SetClipboardData(CF_DIB, block)) GlobalFree(block);
    CloseClipboard();
    ui_SetStatus(" Image and Text copied to clipboard");
    return 1;
}

namespace {

// Converts the checked bitmap into a fresh surface: the system conversion first,
// drawing it 1:1 when that fails.
int Convert(const uint8_t* block, const CdibLayout& d, Surface* made) {
    int rows = d.height < 0 ? -d.height : d.height;
    if (!srf_CreateExact((uint32_t)d.width, (uint32_t)rows, made)) return 0;
    HDC dc;
    HBITMAP bmp;
    if (!srf_GetDC(&dc, &bmp, made)) {
        srf_Destroy(made);
        return 0;
    }
    const BITMAPINFO* info = (const BITMAPINFO*)block;
    const void* bits = block + d.bitsOffset;
    int ok = SetDIBits(dc, bmp, 0, (UINT)rows, bits, info, DIB_RGB_COLORS) == rows;
    if (!ok) {
        SetStretchBltMode(dc, COLORONCOLOR);
        ok = StretchDIBits(dc, 0, 0, d.width, rows, 0, 0, d.width, rows, bits, info, DIB_RGB_COLORS, SRCCOPY) != 0;
    }
    srf_ReleaseDC(&dc, made);
    if (!ok) srf_Destroy(made);
    // Below 32 bits the conversion leaves the alpha byte 0: opaque, as it should be.
    return ok;
}

}  // namespace

int ClipboardPaste(Surface* s, HWND owner) {
    if (!OpenClipboard(owner)) return 0;
    int result = 0;
    HANDLE data = IsClipboardFormatAvailable(CF_DIB) ? GetClipboardData(CF_DIB) : nullptr;
    const uint8_t* block = data ? (const uint8_t*)GlobalLock(data) : nullptr;
    if (block) {
        CdibLayout d;
        Surface made{};
        result = cdib_Parse(block, GlobalSize(data), SRF_MAX_PIXELS, &d) && Convert(block, d, &made) ? 1 : -1;
        if (result == 1) srf_Install(s, &made);
        GlobalUnlock(data);
    }
    CloseClipboard();
    return result;
}
