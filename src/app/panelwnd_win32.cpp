// panelwnd_win32.cpp — the panel windows (panelwnd_win32.h).
#include "app/panelwnd_win32.h"

#include <cstring>

#include "app/app_ids.h"
#include "app/commands.h"
#include "app/shell_win32.h"
#include "document/toolselect.h"
#include "engine/surface_win32.h"
#include "settings/settings.h"

// Pixels keyed out at load carry full translucency: only the others are drawn.
static void paint_picture(HWND w, Surface* s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT r;
    GetClientRect(w, &r);
    FillRect(dc, &r, g_shell.background);
    if (s && s->created && srf_Refresh(s)) {
        if (uint32_t* p = srf_Lock(s)) {
            for (uint32_t y = 0; y < s->height; y++)
                for (uint32_t x = 0; x < s->width; x++) {
                    uint32_t v = p[y * s->stride + x];
                    if (!(v >> 24)) SetPixelV(dc, x, y, RGB((v >> 16) & 255, (v >> 8) & 255, v & 255));
                }
            srf_Unlock(s);
        }
    }
    EndPaint(w, &ps);
}

static LRESULT CALLBACK ToolbarProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: paint_picture(w, &g_shell.panels[PANEL_TOOLBAR]); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN: {
        // Two columns of 20 pixels, rows of 20 from y 2.
        int x = (short)LOWORD(lp), y = (short)HIWORD(lp) - 2;
        if (x >= 0 && y >= 0 && x < 40) tool_Select((y / 20) * 2 + x / 20);
        return 0;
    }
    }
    return DefWindowProcA(w, msg, wp, lp);
}

static LRESULT CALLBACK ColorbarProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: paint_picture(w, &g_shell.panels[PANEL_COLORBAR]); return 0;
    case WM_ERASEBKGND: return 1;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

// The user colours, one cell each.
static void paint_quickpal(HWND w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT r;
    GetClientRect(w, &r);
    FillRect(dc, &r, g_shell.background);
    int cell = (r.right - 4) / 16;
    if (cell > 20) cell = 20;
    for (int i = 0; i < 16 && cell > 2; i++) {
        RECT c = {2 + i * cell, 4, 2 + (i + 1) * cell - 2, r.bottom - 4};
        HBRUSH b = CreateSolidBrush(g_settings.userColours[i]);
        FillRect(dc, &c, b);
        DeleteObject(b);
        FrameRect(dc, &c, (HBRUSH)GetStockObject(GRAY_BRUSH));
    }
    EndPaint(w, &ps);
}

static LRESULT CALLBACK QuickpalProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: paint_quickpal(w); return 0;
    case WM_ERASEBKGND: return 1;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

static LRESULT CALLBACK LinkbarProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: paint_picture(w, &g_shell.panels[PANEL_LINKBAR]); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN: cmd_Run((short)HIWORD(lp) < 32 ? CMD_WEB_PROGRAM : CMD_HELP_CONTENTS); return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

int panel_RegisterClasses(HINSTANCE inst) {
    const struct {
        const char* name;
        WNDPROC proc;
        UINT style;
        HCURSOR cursor;
    } panels[4] = {
        {"kelvara_wnd_toolbar", ToolbarProc, CS_DBLCLKS | CS_PARENTDC, g_shell.cursors[CURSOR_BAR]},
        {"kelvara_wnd_colorbar", ColorbarProc, CS_DBLCLKS | CS_PARENTDC, LoadCursorA(nullptr, IDC_ARROW)},
        {"kelvara_wnd_quickpal", QuickpalProc, CS_PARENTDC, g_shell.cursors[CURSOR_PICKER]},
        {"kelvara_wnd_linkbar", LinkbarProc, CS_PARENTDC, g_shell.cursors[CURSOR_BAR]}};
    for (const auto& p : panels) {
        WNDCLASSEXA c;
        std::memset(&c, 0, sizeof c);
        c.cbSize = sizeof c;
        c.hInstance = inst;
        c.lpfnWndProc = p.proc;
        c.style = p.style;
        c.lpszClassName = p.name;
        c.hCursor = p.cursor;
        c.hbrBackground = g_shell.background;
        if (!RegisterClassExA(&c)) return 0;
    }
    return 1;
}
