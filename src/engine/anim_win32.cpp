// anim_win32.cpp — the flash and ripple highlights over a shared scratch surface.
// Frames are composed in the scratch (saved pixels at column 0, the frame beside
// them) and copied to the screen, so the screen is never read back mid-animation.
#include "engine/anim_win32.h"
#include "engine/blit.h"
#include "engine/shape.h"
#include "engine/surface_win32.h"

namespace {
Surface g_scratch;
const int SCRATCH_SIDE = 128;

bool EnsureScratch() {
    if (srf_IsValid(&g_scratch)) return true;
    anim_ScratchCreate();
    return srf_IsValid(&g_scratch) != 0;
}
}  // namespace

int anim_ScratchCreate() {
    if (srf_IsValid(&g_scratch)) srf_Destroy(&g_scratch);
    srf_Create(SCRATCH_SIDE, SCRATCH_SIDE, &g_scratch);
    return srf_IsValid(&g_scratch);
}

int anim_ScratchFree() {
    if (srf_IsValid(&g_scratch)) srf_Destroy(&g_scratch);
    return 1;
}

int anim_FlashRect(HDC dc, int x1, int y1, int x2, int y2, int delayMs, int count) {
    int w = x2 - x1 + 1, h = y2 - y1 + 1;
    if (w < 1 || h < 1 || !EnsureScratch()) return 0;
    HDC sdc;
    srf_GetDC(&sdc, nullptr, &g_scratch);
    BitBlt(sdc, 0, 0, w, h, dc, x1, y1, SRCCOPY);
    srf_ReleaseDC(&sdc, &g_scratch);
    const uint32_t colourA = 0x407070B0u, colourB = 0x40FFFFFFu;
    for (int i = 0; i < count; i++) {
        uint32_t c = (i & 1) ? colourB : colourA;
        uint32_t other = (i & 1) ? colourA : colourB;
        // Fading to "fully transparent" keeps the colour and only raises the alpha.
        uint32_t clearC = c | 0xFF000000u, clearOther = other | 0xFF000000u;
        blt_Copy(&g_scratch, w + 2, 0, 2 * w + 1, h - 1, &g_scratch, 0, 0, w - 1, h - 1, 0);
        if (srf_Lock(&g_scratch)) {
            drw_GradientRectBlend(&g_scratch, w + 2, 0, w + 2 + w / 2, h, c, clearC, c, clearC);
            drw_GradientRectBlend(&g_scratch, 2 * w + 2 - w / 2, 0, 2 * w + 2, h,
                                  clearOther, other, clearOther, other);
            srf_Unlock(&g_scratch);
        }
        srf_GetDC(&sdc, nullptr, &g_scratch);
        BitBlt(dc, x1, y1, w, h, sdc, w + 2, 0, SRCCOPY);
        srf_ReleaseDC(&sdc, &g_scratch);
        GdiFlush();
        Sleep((DWORD)(delayMs > 0 ? delayMs : 0));
    }
    srf_GetDC(&sdc, nullptr, &g_scratch);
    BitBlt(dc, x1, y1, w, h, sdc, 0, 0, SRCCOPY);
    srf_ReleaseDC(&sdc, &g_scratch);
    GdiFlush();
    return 1;
}

int anim_Ripple(HDC dc, int x, int y, int delayMs, int count, int reverse) {
    if (!EnsureScratch()) return 0;
    HDC sdc;
    srf_GetDC(&sdc, nullptr, &g_scratch);
    BitBlt(sdc, 0, 0, 60, 60, dc, x - 30, y - 30, SRCCOPY);
    srf_ReleaseDC(&sdc, &g_scratch);
    for (int i = 0; i < count; i++) {
        int r = (29 * i) / count;
        if (reverse) r = 29 - r;
        blt_Copy(&g_scratch, 62, 0, 121, 59, &g_scratch, 0, 0, 59, 59, 0);
        if (srf_Lock(&g_scratch)) {
            drw_RadialEllipseBlend(&g_scratch, 92 - r, 30 - r, 92 + r, 30 + r, 0xFFFFC0C0u, 0x407070B0u);
            srf_Unlock(&g_scratch);
        }
        srf_GetDC(&sdc, nullptr, &g_scratch);
        BitBlt(dc, x - 30, y - 30, 60, 60, sdc, 62, 0, SRCCOPY);
        srf_ReleaseDC(&sdc, &g_scratch);
        GdiFlush();
        Sleep((DWORD)(delayMs > 0 ? delayMs : 0));
    }
    srf_GetDC(&sdc, nullptr, &g_scratch);
    BitBlt(dc, x - 30, y - 30, 60, 60, sdc, 0, 0, SRCCOPY);
    srf_ReleaseDC(&sdc, &g_scratch);
    GdiFlush();
    return 1;
}
