// dpi_win32.cpp — window DPI and scaled pictures (dpi_win32.h).
#include "platform/dpi_win32.h"
#include "platform/dpi.h"

int dpiw_OfWindow(HWND w) {
    // Looked up at run time: Windows 7 has no DPI per window.
    typedef UINT(WINAPI * DpiForWindow)(HWND);
    static DpiForWindow forWindow =
        (DpiForWindow)(void*)GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow");
    if (w && forWindow) {
        if (UINT dpi = forWindow(w)) return (int)dpi;
    }
    HDC dc = GetDC(nullptr);
    int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : DPI_BASE;
}

void dpiw_DrawPicture(HDC dst, int x, int y, HDC src, int w96, int h96) {
    if (dpi_Get() == DPI_BASE) {
        BitBlt(dst, x, y, w96, h96, src, 0, 0, SRCCOPY);
        return;
    }
    int mode = SetStretchBltMode(dst, dpi_WholeFactor() ? COLORONCOLOR : HALFTONE);
    POINT origin;
    SetBrushOrgEx(dst, 0, 0, &origin);  // HALFTONE asks for it after the mode is set
    StretchBlt(dst, x, y, dpi_Scale(w96), dpi_Scale(h96), src, 0, 0, w96, h96, SRCCOPY);
    SetBrushOrgEx(dst, origin.x, origin.y, nullptr);
    SetStretchBltMode(dst, mode);
}

HBITMAP dpiw_ScaledBitmap(HBITMAP source) {
    BITMAP b;
    if (!source || !GetObjectA(source, sizeof b, &b)) return nullptr;
    HDC screen = GetDC(nullptr);
    HDC from = CreateCompatibleDC(screen), to = CreateCompatibleDC(screen);
    HBITMAP made = CreateCompatibleBitmap(screen, dpi_Scale(b.bmWidth), dpi_Scale(b.bmHeight));
    if (from && to && made) {
        HGDIOBJ oldFrom = SelectObject(from, source), oldTo = SelectObject(to, made);
        dpiw_DrawPicture(to, 0, 0, from, b.bmWidth, b.bmHeight);
        SelectObject(from, oldFrom);
        SelectObject(to, oldTo);
    }
    if (from) DeleteDC(from);
    if (to) DeleteDC(to);
    ReleaseDC(nullptr, screen);
    return made;
}

HFONT dpiw_Font(const char* face, int points) {
    return CreateFontA(-MulDiv(points, dpi_Get(), 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}
