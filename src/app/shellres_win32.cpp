// shellres_win32.cpp — the interface resources of the shell: cursors, logos, the
// background and shadow brushes, fonts and the three panel surfaces. Loaded once
// at start-up, freed once at shutdown by the code that made them.
#include "app/shell_win32.h"

#include <cstring>

#include "app/app_ids.h"
#include "document/tooltable.h"
#include "engine/blit.h"
#include "engine/shape.h"
#include "engine/surface_win32.h"
#include "platform/dpi.h"
#include "platform/dpi_win32.h"

ShellState g_shell;

static HCURSOR own_cursor(WORD id) {
    HCURSOR c = LoadCursorA(g_shell.instance, MAKEINTRESOURCEA(id));
    return c ? c : LoadCursorA(g_shell.instance, MAKEINTRESOURCEA(IDC_CUR_DEFAULT));
}

int res_LoadCursors() {
    g_shell.cursors[CURSOR_ARROW] = LoadCursorA(nullptr, IDC_ARROW);
    g_shell.cursors[CURSOR_WAIT] = LoadCursorA(nullptr, IDC_WAIT);
    g_shell.cursors[CURSOR_MOVE] = own_cursor(IDC_CUR_MOVE);
    g_shell.cursors[CURSOR_BAR] = own_cursor(IDC_CUR_BAR);
    g_shell.cursors[CURSOR_ZOOM] = own_cursor(IDC_CUR_ZOOM);
    for (int t = 0; t < TOOL_COUNT; t++) g_shell.cursors[CURSOR_TOOL0 + t] = own_cursor(tool_Info(t)->cursor);
    return g_shell.cursors[CURSOR_TOOL0] != nullptr;
}

// A panel bitmap as a surface whose background colour is transparent.
static int load_panel(int id, Surface* s) {
    HBITMAP b = (HBITMAP)LoadImageA(g_shell.instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0,
                                    LR_CREATEDIBSECTION);
    if (!b) return 0;
    std::memset(s, 0, sizeof *s);
    Surface* made = srf_FromBitmap(b, s);
    DeleteObject(b);
    if (!made) return 0;
    uint32_t* p = srf_Lock(s);
    if (!p) return 0;
    const uint32_t key = 0x00D7D7EF;  // the window background as a pixel word
    for (uint32_t y = 0; y < s->height; y++)
        for (uint32_t x = 0; x < s->width; x++) {
            uint32_t& v = p[y * s->stride + x];
            v = (v & 0xFFFFFF) == key ? 0xFF000000 | key : v & 0xFFFFFF;
        }
    srf_Unlock(s);
    return 1;
}

// The shadow pattern: the background pattern darkened by a translucent blue.
static HBRUSH make_shadow_brush(HBITMAP pattern) {
    Surface s;
    std::memset(&s, 0, sizeof s);
    if (!srf_FromBitmap(pattern, &s)) return nullptr;
    if (srf_Lock(&s)) {
        drw_FillRectBlend(&s, 0, 0, s.width - 1, s.height - 1, 0xB0000040);
        srf_Unlock(&s);
    }
    HBITMAP copy = (HBITMAP)srf_Detach(&s);
    if (!copy) return nullptr;
    HBRUSH brush = CreatePatternBrush(copy);
    DeleteObject(copy);  // the brush keeps its own copy
    return brush;
}

static void delete_object(HGDIOBJ* o) {
    if (*o) DeleteObject(*o);
    *o = nullptr;
}

// The logos and fonts at the current DPI, in place of those made before; 0 when one
// could not be made.
int res_ApplyDpi() {
    const char* logoIds[3] = {MAKEINTRESOURCEA(IDB_LOGO1), MAKEINTRESOURCEA(IDB_LOGO2), "CUST_LOGO"};
    int ok = 1;
    for (int i = 0; i < 3; i++) {
        delete_object((HGDIOBJ*)&g_shell.logos[i]);
        g_shell.logos[i] = (HBITMAP)LoadImageA(g_shell.instance, logoIds[i], IMAGE_BITMAP, 64, 20, 0);
        if (g_shell.logos[i] && dpi_Get() != DPI_BASE) {
            HBITMAP scaled = dpiw_ScaledBitmap(g_shell.logos[i]);
            DeleteObject(g_shell.logos[i]);
            g_shell.logos[i] = scaled;
        }
        ok &= g_shell.logos[i] != nullptr;
    }
    delete_object((HGDIOBJ*)&g_shell.arial8);
    delete_object((HGDIOBJ*)&g_shell.comic12);
    g_shell.arial8 = dpiw_Font("Arial", 8);
    g_shell.comic12 = dpiw_Font("Comic Sans MS", 12);
    return ok && g_shell.arial8 && g_shell.comic12;
}

int res_Load() {
    dpi_Set(dpiw_OfWindow(nullptr));
    if (!res_ApplyDpi()) return 0;
    HBITMAP pattern = LoadBitmapA(g_shell.instance, MAKEINTRESOURCEA(IDB_PATTERN));
    if (!pattern) return 0;
    g_shell.pattern = CreatePatternBrush(pattern);
    g_shell.shadow = make_shadow_brush(pattern);
    DeleteObject(pattern);
    g_shell.background = CreateSolidBrush(SHELL_BACKGROUND);
    if (!g_shell.pattern || !g_shell.shadow || !g_shell.background) return 0;
    return load_panel(IDB_TOOLBAR, &g_shell.panels[PANEL_TOOLBAR]) &&
           load_panel(IDB_COLORBAR, &g_shell.panels[PANEL_COLORBAR]) &&
           load_panel(IDB_LINKBAR, &g_shell.panels[PANEL_LINKBAR]);
}

void res_Free() {
    for (int i = 0; i < PANEL_COUNT; i++)
        if (g_shell.panels[i].created) srf_Destroy(&g_shell.panels[i]);
    delete_object((HGDIOBJ*)&g_shell.arial8);
    delete_object((HGDIOBJ*)&g_shell.comic12);
    delete_object((HGDIOBJ*)&g_shell.pattern);
    delete_object((HGDIOBJ*)&g_shell.shadow);
    delete_object((HGDIOBJ*)&g_shell.background);
    for (int i = 0; i < 3; i++) delete_object((HGDIOBJ*)&g_shell.logos[i]);
    if (g_shell.accel) DestroyAcceleratorTable(g_shell.accel);
    g_shell.accel = nullptr;
    if (g_shell.standardKeys) DestroyAcceleratorTable(g_shell.standardKeys);
    g_shell.standardKeys = nullptr;
}
