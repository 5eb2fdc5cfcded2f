// panelwnd_win32.cpp — the panel windows (panelwnd_win32.h).
#include "app/panelwnd_win32.h"


#include "app/app_ids.h"
#include "app/commands.h"
#include "app/shell_win32.h"
#include "app/view_win32.h"
#include "document/tools.h"
#include "document/toolselect.h"
#include "engine/anim_win32.h"
#include "engine/blit.h"
#include "engine/color.h"
#include "engine/shape.h"
#include "platform/dpi.h"
#include "platform/dpi_win32.h"
#include "platform/ui.h"
#include "platform/window_win32.h"
#include "engine/surface_win32.h"
#include "panels/colorbar_win32.h"
#include "settings/settings.h"

// The panel's picture over the shell background: keyed-out pixels (full
// translucency) let the background through.
static void draw_picture(HWND w, HDC dc, Surface* s) {
    RECT r;
    GetClientRect(w, &r);
    FillRect(dc, &r, g_shell.background);
    if (!s || !s->created || !srf_Refresh(s)) return;
    Surface out{};
    if (!srf_CreateExact(s->width, s->height, &out)) return;
    drw_FillRect(&out, 0, 0, (int)s->width - 1, (int)s->height - 1, clr_SwapRB(SHELL_BACKGROUND));
    srf_Unlock(&out);
    blt_Blend(&out, 0, 0, (int)s->width - 1, (int)s->height - 1, s, 0, 0, (int)s->width - 1, (int)s->height - 1, 0);
    if (srf_Refresh(&out)) dpiw_DrawPicture(dc, 0, 0, (HDC)out.dc, (int)out.width, (int)out.height);
    srf_Destroy(&out);
}

static void paint_picture(HWND w, Surface* s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    draw_picture(w, dc, s);
    EndPaint(w, &ps);
}

// ---- the tool bar: 2 columns by 18 rows of 20-pixel cells from y = 2 (at 96 DPI) ----

const int TB_CELL = 20, TB_TOP = 2;
static int g_toolbarShown = -1;  // the tool whose cell was framed last

static int toolbar_Hit(int x, int y) {
    if (x < 0 || x >= 2 * TB_CELL || y < TB_TOP) return -1;
    int t = (y - TB_TOP) / TB_CELL * 2 + x / TB_CELL;
    return t < TOOL_COUNT ? t : -1;
}

// The cell's rectangle on the screen (the bar is drawn at the windows' DPI).
static RECT toolbar_Cell(int t) {
    int left = (t % 2) * TB_CELL, top = TB_TOP + (t / 2) * TB_CELL;
    return {dpi_Scale(left), dpi_Scale(top), dpi_Scale(left + TB_CELL), dpi_Scale(top + TB_CELL)};
}

static void toolbar_Frame(HDC dc, int t) {
    if (t < 0) return;
    RECT r = toolbar_Cell(t);
    HPEN dark = CreatePen(PS_SOLID, 1, 0x7F3F3F), light = CreatePen(PS_SOLID, 1, 0xFFFFFF);
    HGDIOBJ old = SelectObject(dc, dark);
    MoveToEx(dc, r.left, r.bottom - 1, nullptr);
    LineTo(dc, r.left, r.top);
    LineTo(dc, r.right - 1, r.top);
    SelectObject(dc, light);
    LineTo(dc, r.right - 1, r.bottom - 1);
    LineTo(dc, r.left, r.bottom - 1);
    SelectObject(dc, old);
    DeleteObject(dark);
    DeleteObject(light);
}

static void toolbar_Paint(HWND w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    draw_picture(w, dc, &g_shell.panels[PANEL_TOOLBAR]);
    g_toolbarShown = tool_Current();
    toolbar_Frame(dc, g_toolbarShown);
    EndPaint(w, &ps);
}

static void toolbar_Click(HWND w, int t) {
    if (t < 0) return;
    tool_Select(t);
    ui_SetStatus(tool_Info(t)->hint);
    RECT r = toolbar_Cell(t);
    HDC dc = GetDC(w);
    anim_FlashRect(dc, r.left, r.top, r.right - 1, r.bottom - 1, 30, 2);
    ReleaseDC(w, dc);
    InvalidateRect(w, nullptr, FALSE);
    // The view drops the old tool's points and preview.
    view_FullRepaint();
}

static LRESULT CALLBACK ToolbarProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    int x = dpi_Unscale((short)LOWORD(lp)), y = dpi_Unscale((short)HIWORD(lp));
    switch (msg) {
    case WM_CREATE: SetTimer(w, TIMER_REDRAW, 500, nullptr); return 0;
    case WM_DESTROY: KillTimer(w, TIMER_REDRAW); return 0;
    case WM_TIMER:
        if (tool_Current() != g_toolbarShown) InvalidateRect(w, nullptr, FALSE);
        return 0;
    case WM_PAINT: toolbar_Paint(w); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEMOVE:
        if (int t = toolbar_Hit(x, y); t >= 0) ui_SetStatus(tool_Info(t)->hint);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: toolbar_Click(w, toolbar_Hit(x, y)); return 0;
    }
    (void)wp;
    return DefWindowProcA(w, msg, wp, lp);
}

static LRESULT CALLBACK LinkbarProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: paint_picture(w, &g_shell.panels[PANEL_LINKBAR]); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN: cmd_Run(dpi_Unscale((short)HIWORD(lp)) < 32 ? CMD_WEB_PROGRAM : CMD_HELP_CONTENTS); return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

int panel_RegisterClasses(HINSTANCE inst) {
    const struct {
        const char* name;
        WNDPROC proc;
        UINT style;
        HCURSOR cursor;
    } panels[2] = {{"kelvara_wnd_toolbar", ToolbarProc, CS_DBLCLKS | CS_PARENTDC, g_shell.cursors[CURSOR_BAR]},
                   {"kelvara_wnd_linkbar", LinkbarProc, CS_PARENTDC, g_shell.cursors[CURSOR_BAR]}};
    for (const auto& p : panels)
        if (!wnd_RegisterClass(inst, p.name, p.proc, p.style, p.cursor, g_shell.background)) return 0;
    return colorbar_RegisterClasses(inst, &g_shell.panels[PANEL_COLORBAR], g_shell.background,
                                    g_shell.cursors[CURSOR_PICKER]);
}
