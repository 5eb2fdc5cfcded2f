// colorbar_win32.cpp — the colour bar and the quick palette (colorbar_win32.h).
#include "panels/colorbar_win32.h"


#include "engine/anim_win32.h"
#include "engine/blit.h"
#include "engine/color.h"
#include "engine/shape.h"
#include "panels/colours.h"
#include "panels/palette_win32.h"
#include "panels/panels_ids.h"
#include "platform/dpi.h"
#include "platform/dpi_win32.h"
#include "platform/ui.h"
#include "platform/window_win32.h"
#include "settings/settings.h"

namespace {

struct ColourPanels {
    Surface* background;
    HBRUSH brush;
    HCURSOR pick;
    Surface quick;        // the quick palette's picture, reused across small resizes
    int quickW, quickH;   // the size it was drawn for
};
ColourPanels g_cp;

const int kButtonCommands[CBAR_BUTTONS] = {CMD_TOOL_OPTIONS, CMD_COLOR_PALETTE, CMD_PREVIEW, CMD_TOOL_HELP};

// ---- colour bar ----

void DrawBar(Surface* out) {
    int w = (int)out->width, h = (int)out->height;
    LOGBRUSH lb = {BS_SOLID, GetSysColor(COLOR_BTNFACE), 0};
    if (g_cp.brush) GetObjectA(g_cp.brush, sizeof lb, &lb);
    drw_FillRect(out, 0, 0, w - 1, h - 1, clr_SwapRB(lb.lbColor) & 0x00FFFFFFu);
    srf_Unlock(out);
    if (g_cp.background && srf_Refresh(g_cp.background))
        blt_Blend(out, 0, 0, (int)g_cp.background->width - 1, (int)g_cp.background->height - 1, g_cp.background, 0, 0,
                  (int)g_cp.background->width - 1, (int)g_cp.background->height - 1, 0);
    if (!srf_Lock(out)) return;
    uint32_t c1 = clr_SwapRB(g_settings.colour1) & 0x00FFFFFFu, c2 = clr_SwapRB(g_settings.colour2) & 0x00FFFFFFu;
    drw_GradientRect(out, 8, 24, 31, 33, c1, c2, c1, c2);
    for (int k = 0; k < 16; k++) {
        uint32_t c = clr_SwapRB(cbar_CellColour(16 + k));
        drw_FillRect(out, 58 + 20 * k, 25, 67 + 20 * k, 34, c);
        drw_Rect(out, 58 + 20 * k, 25, 67 + 20 * k, 34, (~c >> 1) & 0x007F7F7Fu);
    }
}

void OnBarPaint(HWND w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    Surface out{};
    if (srf_CreateExact(CBAR_WIDTH, CBAR_HEIGHT, &out)) {
        DrawBar(&out);
        srf_Unlock(&out);
        if (srf_Refresh(&out)) dpiw_DrawPicture(dc, 0, 0, (HDC)out.dc, CBAR_WIDTH, CBAR_HEIGHT);
        srf_Destroy(&out);
    }
    EndPaint(w, &ps);
}

void ShowHover(int x, int y) {
    char text[160];
    cbar_StatusText(x, y, text, sizeof text);
    ui_SetStatus(text);
}

void Flash(HWND w, int x1, int y1, int x2, int y2) {
    HDC dc = GetDC(w);
    anim_FlashRect(dc, dpi_Scale(x1), dpi_Scale(y1), dpi_Scale(x2 + 1) - 1, dpi_Scale(y2 + 1) - 1, 30, 2);
    ReleaseDC(w, dc);
}

void Ripple(HWND w, int x, int y) {
    HDC dc = GetDC(w);
    anim_Ripple(dc, dpi_Scale(x), dpi_Scale(y), 15, 8, 0);
    ReleaseDC(w, dc);
}

void OnBarClick(HWND w, int x, int y, int button) {
    CbarHit hit = cbar_Hit(x, y);
    if (hit.part == CBAR_CELL) {
        set_Colour(button, cbar_CellColour(hit.index));  // tells the colour panels
        ShowHover(x, y);
        int x1, y1, x2, y2;
        cbar_CellFrame(hit.index, &x1, &y1, &x2, &y2);
        Flash(w, x1, y1, x2, y2);
    } else if (hit.part == CBAR_CURRENT) {
        if (button == 1) {
            set_Colours(g_settings.colour2, g_settings.colour1);
            ui_SetStatus(" Color#1 and Color#2 swapped");
        } else {
            set_Colour(2, g_settings.colour1);
            ui_SetStatus(" Color#1 copied to Color#2");
        }
        InvalidateRect(w, nullptr, FALSE);
        UpdateWindow(w);
        Ripple(w, 20, 20);
    } else if (hit.part == CBAR_BUTTON) {
        int left = cbar_ButtonLeft(hit.index);
        Flash(w, left, 11, left + 19, 30);
        Ripple(w, left + 10, 20);
        ui_PostCommand(kButtonCommands[hit.index]);
    }
}

void OnBarDoubleClick(HWND w, int x, int y, int button) {
    CbarHit hit = cbar_Hit(x, y);
    if (hit.part != CBAR_CELL) return;
    if (hit.index < 16) {
        MessageBoxA(GetParent(w),
                    "   You've attempted to edit one of the\nstandard colors. Only the lower set of\ncolors may be "
                    "customized by the user.",
                    "Error Editing Color Button", MB_OK | MB_ICONINFORMATION);
        return;
    }
    int k = hit.index - 16;
    ui_SetStatus(" Define custom color...");
    Ripple(w, 63 + 20 * k, 30);
    long c = ChooseColour(GetParent(w), g_settings.userColours[k]);
    if (c < 0) return;
    set_UserColour(k, (uint32_t)c);
    set_Colour(button, (uint32_t)c);
}

int OnBarCursor(HWND w) {
    POINT at;
    GetCursorPos(&at);
    ScreenToClient(w, &at);
    at.x = dpi_Unscale(at.x);
    at.y = dpi_Unscale(at.y);
    int picking = at.x >= 53 && at.x <= 376 && at.y >= 0 && at.y <= 39;
    SetCursor(picking && g_cp.pick ? g_cp.pick : LoadCursorA(nullptr, IDC_ARROW));
    return 1;
}

// The bar is drawn for 96 DPI and shown at the windows' DPI: points in its own units.
LRESULT CALLBACK ColorbarProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    int x = dpi_Unscale((short)LOWORD(lp)), y = dpi_Unscale((short)HIWORD(lp));
    switch (msg) {
    case WM_PAINT: OnBarPaint(w); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEMOVE: ShowHover(x, y); return 0;
    case WM_LBUTTONDOWN: OnBarClick(w, x, y, 1); return 0;
    case WM_RBUTTONDOWN: OnBarClick(w, x, y, 2); return 0;
    case WM_LBUTTONDBLCLK: OnBarDoubleClick(w, x, y, 1); return 0;
    case WM_RBUTTONDBLCLK: OnBarDoubleClick(w, x, y, 2); return 0;
    case WM_SETCURSOR:
        if (LOWORD(lp) == HTCLIENT) return OnBarCursor(w);
        break;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

// ---- quick palette ----

// The picture for a client of w x h; the surface is kept while it is at least the
// client size and at most 6/4 of it, a new one is 5/4 of the client size.
void DrawQuick(int w, int h) {
    Surface* s = &g_cp.quick;
    int fits = s->created && srf_Refresh(s) && (int)s->width >= w && (int)s->height >= h &&
               (int)s->width * 4 <= w * 6 && (int)s->height * 4 <= h * 6;
    if (!fits) {
        if (s->created) srf_Destroy(s);
        if (!srf_CreateExact((uint32_t)(w * 5 / 4 + 1), (uint32_t)(h * 5 / 4 + 1), s)) return;
        srf_Unlock(s);
    } else if (g_cp.quickW == w && g_cp.quickH == h) {
        return;
    }
    uint32_t* p = srf_Lock(s);
    if (!p) return;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) p[(size_t)y * s->stride + x] = clr_SwapRB(qpal_ColourAt(x, y, w, h));
    srf_Unlock(s);
    g_cp.quickW = w;
    g_cp.quickH = h;
}

void OnQuickPaint(HWND w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT r;
    GetClientRect(w, &r);
    if (r.right > 0 && r.bottom > 0) {
        DrawQuick(r.right, r.bottom);
        if (srf_Refresh(&g_cp.quick)) BitBlt(dc, 0, 0, r.right, r.bottom, (HDC)g_cp.quick.dc, 0, 0, SRCCOPY);
    }
    EndPaint(w, &ps);
}

void OnQuickMouse(HWND w, int x, int y, WPARAM keys) {
    RECT r;
    GetClientRect(w, &r);
    uint32_t c = qpal_ColourAt(x, y, r.right, r.bottom);
    int button = keys & MK_LBUTTON ? 1 : keys & MK_RBUTTON ? 2 : 0;
    if (button) {
        set_Colour(button, c);
    }
    char text[160];
    qpal_StatusText(c, button, text, sizeof text);
    ui_SetStatus(text);
}

LRESULT CALLBACK QuickpalProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    int x = (short)LOWORD(lp), y = (short)HIWORD(lp);
    switch (msg) {
    case WM_PAINT: OnQuickPaint(w); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        SetCapture(w);
        OnQuickMouse(w, x, y, wp);
        return 0;
    case WM_MOUSEMOVE: OnQuickMouse(w, x, y, wp); return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        ReleaseCapture();
        ui_ViewChanged(UI_VIEW_REPAINT);
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

}  // namespace

int colorbar_RegisterClasses(HINSTANCE instance, Surface* background, HBRUSH brush, HCURSOR pickCursor) {
    g_cp.background = background;
    g_cp.brush = brush;
    g_cp.pick = pickCursor;
    const struct {
        const char* name;
        WNDPROC proc;
        UINT style;
        HCURSOR cursor;
    } classes[2] = {{"kelvara_wnd_colorbar", ColorbarProc, CS_DBLCLKS | CS_PARENTDC, nullptr},
                    {"kelvara_wnd_quickpal", QuickpalProc, CS_PARENTDC, pickCursor}};
    for (const auto& k : classes)
        if (!wnd_RegisterClass(instance, k.name, k.proc, k.style, k.cursor ? k.cursor : LoadCursorA(nullptr, IDC_ARROW),
                               brush))
            return 0;
    return 1;
}

void colorbar_Shutdown() {
    if (g_cp.quick.created) srf_Destroy(&g_cp.quick);
}
