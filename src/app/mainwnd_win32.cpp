// mainwnd_win32.cpp — the main window, its child panels and the document's
// open/save/close paths. Window procedures only dispatch to OnXxx handlers;
// WM_COMMAND goes to cmd_Dispatch.
#include "app/mainwnd_win32.h"

#include <commdlg.h>
#include <shellapi.h>
#include <cstdio>
#include <cstring>

#include "app/app_ids.h"
#include "app/shell_win32.h"
#include "app/title.h"
#include "app/title_win32.h"
#include "app/view_win32.h"
#include "app/viewgeom.h"
#include "app/sysio.h"
#include "document/document.h"
#include "document/undo.h"
#include "engine/surface_win32.h"
#include "formats/dispatch.h"
#include "formats/filedlg_win32.h"
#include "formats/shortcut.h"
#include "platform/ui.h"
#include "platform/ui_win32.h"
#include "settings/settings.h"

static const char MAIN_CLASS[] = "kelvara_wnd_main";

void shell_SetFileName(const char* name) {
    SetTitle(name);
    std::snprintf(g_doc.fileName, sizeof g_doc.fileName, "%s", ttl_FileName());
}

// ---- panels: tool bar, colour bar, link bar draw their picture; the quick palette
// shows the user colours ----

static void paint_panel(HWND w, Surface* s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT r;
    GetClientRect(w, &r);
    FillRect(dc, &r, g_shell.background);
    if (s && s->created && srf_Refresh(s)) {
        // Pixels keyed out at load carry full translucency: draw only the others.
        uint32_t* p = srf_Lock(s);
        if (p) {
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

// The tool bar picks a tool by its cell: two columns of 20 pixels, rows of 20 from y 2.
static void toolbar_click(HWND w, LPARAM lp) {
    int x = (short)LOWORD(lp), y = (short)HIWORD(lp) - 2;
    if (x < 0 || y < 0 || x >= 40) return;
    int t = (y / 20) * 2 + x / 20;
    if (t >= 36 || t == g_settings.currentTool) return;
    g_settings.previousTool = g_settings.currentTool;
    g_settings.currentTool = (uint8_t)t;
}

static LRESULT CALLBACK PanelProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT:
        if (w == g_shell.quickpal) paint_quickpal(w);
        else paint_panel(w, w == g_shell.toolbar    ? &g_shell.panels[PANEL_TOOLBAR]
                            : w == g_shell.colorbar ? &g_shell.panels[PANEL_COLORBAR]
                                                    : &g_shell.panels[PANEL_LINKBAR]);
        return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN:
        if (w == g_shell.toolbar) toolbar_click(w, lp);
        if (w == g_shell.linkbar) cmd_Dispatch(g_shell.main, (short)HIWORD(lp) < 32 ? CMD_WEB_PROGRAM : CMD_HELP_CONTENTS);
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

// ---- recent files ----

void mw_AddRecent(const char* path) {
    if (!sio_FileReadable(path)) return;
    vg_RecentAdd(g_settings.recent, path);
}

// ---- open and save ----

int mw_ConfirmReplace() {
    if (g_doc.noUnsavedChanges) return 1;
    int a = ui_MessageBox("Do you wish to save the changes you've made?", "Confirm Save",
                          UI_YESNOCANCEL | UI_ICONQUESTION);
    if (a == UI_IDCANCEL) return 0;
    if (a == UI_IDYES) mw_Save();
    return 1;
}

static void after_new_main_image() {
    undo_Reset(&g_doc.mainImage);
    ViewRefresh(1);
    ViewUpdateScrollBars(1);
    view_FullRepaint();
    g_doc.noUnsavedChanges = 1;
}

int mw_OpenPath(const char* path) {
    // A shortcut opens its target, and the target is what the document is called.
    char name[MAX_PATH];
    const char* open = path;
    if (std::strlen(path) < sizeof name) {
        std::memcpy(name, path, std::strlen(path) + 1);
        size_t n = std::strlen(name);
        if (n >= 4 && std::strcmp(name + n - 4, ".lnk") == 0) lnk_ResolveShortcut(name, sizeof name);
        open = name;
    }
    Surface loaded;
    std::memset(&loaded, 0, sizeof loaded);
    if (!img_LoadReporting(&loaded, open)) return 0;
    if (img_HasAlpha(&loaded) &&
        ui_MessageBox("This image has some transparent regions. Would you like to load\nit as a sprite?",
                      "Transparency Detected", UI_YESNO | UI_ICONQUESTION) == UI_IDYES) {
        g_settings.previousTool = g_settings.currentTool;
        g_settings.currentTool = TOOL_RECT_SELECT;
        doc_AdoptSprite(&loaded);
        if (g_settings.spritesInRecent) mw_AddRecent(open);
        view_FullRepaint();
        return 1;
    }
    if (g_doc.mainImage.created) srf_Destroy(&g_doc.mainImage);
    g_doc.mainImage = loaded;
    shell_SetFileName(open);
    mw_AddRecent(open);
    after_new_main_image();
    return 1;
}

// The image dialogs hand back up to 511 characters; a path the caller's buffer
// cannot hold is refused rather than cut.
static int ask_file(int save, char* path, size_t cap) {
    char chosen[512] = "";
    if (!(save ? img_SaveImageDialog(chosen) : img_OpenImageDialog(chosen))) return 0;
    size_t n = std::strlen(chosen);
    if (n >= cap) {
        ui_MessageBox("The path of the file you chose is too long.", "File Error", UI_OK | UI_ICONWARNING);
        return 0;
    }
    std::memcpy(path, chosen, n + 1);
    return 1;
}

// The save dispatcher reports its own failures.
static int save_to(const char* path) { return img_SaveFile(&g_doc.mainImage, path) != 0; }

int mw_Save() {
    if (ttl_IsUntitled() || !save_to(ttl_FileName())) return mw_SaveAs();
    g_doc.noUnsavedChanges = 1;
    mw_AddRecent(ttl_FileName());
    return 1;
}

int mw_SaveAs() {
    if (img_HasAlpha(&g_doc.mainImage) &&
        ui_MessageBox("This image has some transparent regions. Would you like to save\nit as a sprite?",
                      "Transparency Detected", UI_YESNO | UI_ICONQUESTION) == UI_IDYES) {
        // Kept as a sprite file: the document keeps its name and its unsaved state.
        char sprite[512] = "";
        return img_SaveSpriteDialog(sprite) && save_to(sprite);
    }
    char path[MAX_PATH] = "";
    if (!ask_file(1, path, sizeof path) || !save_to(path)) return 0;
    shell_SetFileName(path);
    g_doc.noUnsavedChanges = 1;
    mw_AddRecent(path);
    return 1;
}

// ---- main window handlers ----

static void OnOpenImage(WPARAM ask, LPARAM path) {
    if (!mw_ConfirmReplace()) return;
    char chosen[MAX_PATH] = "";
    if (ask) {
        if (!ask_file(0, chosen, sizeof chosen)) return;
    } else {
        std::snprintf(chosen, sizeof chosen, "%s", (const char*)path);
    }
    mw_OpenPath(chosen);
}

static void OnSize(int W, int H) {
    VgPlace p[VG_CHILDREN];
    vg_Layout(W, H, p);
    HWND kids[VG_CHILDREN] = {g_shell.view, g_shell.toolbar, g_shell.colorbar, g_shell.quickpal,
                              g_shell.linkbar, g_shell.status, g_shell.logo};
    for (int i = 0; i < VG_CHILDREN; i++) {
        if (!kids[i]) continue;
        if (p[i].shown) MoveWindow(kids[i], p[i].x, p[i].y, p[i].w, p[i].h, TRUE);
        ShowWindow(kids[i], p[i].shown ? SW_SHOW : SW_HIDE);
    }
}

static void OnSizing(HWND w, RECT* r) {
    RECT wr, cr;
    GetWindowRect(w, &wr);
    GetClientRect(w, &cr);
    int fw = (wr.right - wr.left) - cr.right + 1, fh = (wr.bottom - wr.top) - cr.bottom + 1;
    if (r->right - r->left < fw + 505) r->right = r->left + fw + 505;
    if (r->bottom - r->top < fh + 444) r->bottom = r->top + fh + 444;
}

static void OnTimer(HWND w, UINT_PTR id) {
    switch (id) {
    case TIMER_SETTINGS: g_shell.pending |= PENDING_SETTINGS; break;
    case TIMER_AUTOSAVE: if (g_settings.autosave) g_shell.pending |= PENDING_AUTOSAVE; break;
    case TIMER_LOGO:
        g_shell.logoIndex = (g_shell.logoIndex + 1) % 3;
        SendMessageA(g_shell.logo, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)g_shell.logos[g_shell.logoIndex]);
        break;
    case TIMER_REDRAW:
        if (GetCapture() != g_shell.view && !(GetAsyncKeyState(VK_LBUTTON) & 0x8000) &&
            !(GetAsyncKeyState(VK_RBUTTON) & 0x8000))
            RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        break;
    }
}

static void OnClose(HWND w) {
    if (!g_doc.noUnsavedChanges) {
        int a = ui_MessageBox("You have made some changes to this picture, but you haven't saved it\n"
                              "yet. Do you wish to save before you exit?",
                              "Confirm Save And Exit", UI_YESNOCANCEL | UI_ICONQUESTION);
        if (a == UI_IDCANCEL) return;
        if (a == UI_IDYES && !mw_SaveAs()) return;  // a failed or cancelled save keeps the work
    } else if (ui_MessageBox("Are you sure you want to exit?", "Confirm Exit", UI_YESNO | UI_ICONQUESTION) !=
               UI_IDYES) {
        return;
    }
    DestroyWindow(w);
}

static void OnDestroy(HWND w) {
    g_settings.wasMaximised = IsZoomed(w) ? 1 : 0;
    uiw_SetWindows(nullptr, nullptr);
    ttlw_SetWindow(nullptr);
    PostQuitMessage(0);
}

static void OnEndSession(WPARAM ending) {
    if (ending) SaveSettings();
}

static void OnInitMenuPopup(HMENU menu) { cmd_InitMenu(menu); }

static void OnMenuSelect(WPARAM wp) {
    int id = LOWORD(wp);
    if (HIWORD(wp) & MF_POPUP) id = 0;
    const char* t = cmd_HelpText(id);
    SetWindowTextA(g_shell.status, t ? t : "");
}

static void send_to_notepad() {
    char text[256];
    GetWindowTextA(g_shell.status, text, sizeof text);
    std::memmove(g_shell.statusHistory[1], g_shell.statusHistory[0], 3 * 256);
    std::memcpy(g_shell.statusHistory[0], text, 256);
    if (g_shell.notepad) SendMessageA(g_shell.notepad, WM_APP, 0, 0);
    MessageBeep(MB_ICONINFORMATION);
    ui_SetStatus(" ::Sent To Notepad::");
}

static void OnKeyDown(HWND w, UINT msg, WPARAM key) {
    if (msg == WM_SYSKEYDOWN) SetFocus(w);
    int shift = GetKeyState(VK_SHIFT) < 0;
    switch (key) {
    case VK_LEFT: view_ScrollBy(SB_HORZ, shift ? SB_PAGEUP : SB_LINEUP); break;
    case VK_RIGHT: view_ScrollBy(SB_HORZ, shift ? SB_PAGEDOWN : SB_LINEDOWN); break;
    case VK_UP: view_ScrollBy(SB_VERT, shift ? SB_PAGEUP : SB_LINEUP); break;
    case VK_DOWN: view_ScrollBy(SB_VERT, shift ? SB_PAGEDOWN : SB_LINEDOWN); break;
    case VK_END: view_ScrollToEnd(shift); break;
    case VK_PRIOR:
    case VK_ADD: ViewZoom(1); break;
    case VK_NEXT:
    case VK_SUBTRACT: ViewZoom(2); break;
    case VK_HOME: ViewZoom(0); break;
    case VK_F3: send_to_notepad(); break;
    }
}

static void OnMouseWheel(WPARAM wp) {
    if (LOWORD(wp)) return;  // a key or button held
    int step = (short)HIWORD(wp);
    if (step >= 120) ViewZoom(2);
    else if (step <= -120) ViewZoom(1);
}

static void OnDropFiles(HWND w, HDROP drop) {
    char path[MAX_PATH];
    UINT n = DragQueryFileA(drop, 0, path, sizeof path);
    DragFinish(drop);
    if (!n) return;
    SetForegroundWindow(w);
    SendMessageA(w, WM_OPEN_IMAGE, 0, (LPARAM)path);
}

static HBRUSH OnCtlColorStatic(HDC dc, HWND control) {
    if (control != g_shell.status) return nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, SHELL_STATUS_TEXT);
    return g_shell.background;
}

static void OnMainMouseMove() {
    char t[64];
    GetWindowTextA(g_shell.status, t, sizeof t);
    if (std::strcmp(t, " For Help on the Tools, Click F1")) ui_SetStatus(" For Help on the Tools, Click F1");
}

static HWND child(const char* cls, const char* text, DWORD style, DWORD ex, HWND parent, int id) {
    return CreateWindowExA(ex, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, parent,
                           (HMENU)(INT_PTR)id, g_shell.instance, nullptr);
}

static int OnCreate(HWND w) {
    g_shell.main = w;
    child(VIEW_CLASS, "", WS_HSCROLL | WS_VSCROLL, WS_EX_CLIENTEDGE, w, 1);
    g_shell.toolbar = child("kelvara_wnd_toolbar", "", 0, 0, w, 2);
    g_shell.colorbar = child("kelvara_wnd_colorbar", "", 0, 0, w, 3);
    g_shell.quickpal = child("kelvara_wnd_quickpal", "", 0, WS_EX_STATICEDGE, w, 4);
    g_shell.linkbar = child("kelvara_wnd_linkbar", "", 0, 0, w, 5);
    g_shell.status = child("STATIC", "", SS_SUNKEN | SS_CENTERIMAGE | SS_NOPREFIX | SS_PATHELLIPSIS, 0, w, 6);
    g_shell.logo = child("STATIC", "", SS_SUNKEN | SS_CENTERIMAGE | SS_BITMAP | SS_NOTIFY, 0, w, 7);
    if (!g_shell.view || !g_shell.toolbar || !g_shell.colorbar || !g_shell.quickpal || !g_shell.linkbar ||
        !g_shell.status || !g_shell.logo)
        return 0;
    SendMessageA(g_shell.status, WM_SETFONT, (WPARAM)g_shell.arial8, 0);
    SendMessageA(g_shell.logo, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)g_shell.logos[0]);
    uiw_SetWindows(w, g_shell.status);
    ttlw_SetWindow(w);
    DragAcceptFiles(w, TRUE);
    // The tool-options window opens at start once it exists (disabled until then).
    if (cmd_Enabled(CMD_TOOL_OPTIONS)) PostMessageA(w, WM_COMMAND, CMD_TOOL_OPTIONS, 0);
    return 1;
}

static LRESULT CALLBACK MainProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: return OnCreate(w) ? 0 : -1;
    case WM_SIZE: OnSize(LOWORD(lp), HIWORD(lp)); return 0;
    case WM_SIZING: OnSizing(w, (RECT*)lp); return TRUE;
    case WM_TIMER: OnTimer(w, wp); return 0;
    case WM_COMMAND:
        if ((HWND)lp == g_shell.logo && HIWORD(wp) == STN_CLICKED) cmd_Dispatch(w, CMD_WEB_MAKER);
        else if (!lp || HIWORD(wp) <= 1) cmd_Dispatch(w, LOWORD(wp));
        return 0;
    case WM_OPEN_IMAGE: OnOpenImage(wp, lp); return 0;
    case WM_CLOSE: OnClose(w); return 0;
    case WM_DESTROY: OnDestroy(w); return 0;
    case WM_ENDSESSION: OnEndSession(wp); return 0;
    case WM_POWERBROADCAST: if (wp == 0) SaveSettings(); return TRUE;
    case WM_INITMENUPOPUP: OnInitMenuPopup((HMENU)wp); return 0;
    case WM_MENUSELECT: OnMenuSelect(wp); return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: OnKeyDown(w, msg, wp); if (msg == WM_SYSKEYDOWN) break; return 0;
    case WM_MOUSEWHEEL: OnMouseWheel(wp); return 0;
    case WM_DROPFILES: OnDropFiles(w, (HDROP)wp); return 0;
    case WM_CTLCOLORSTATIC: {
        HBRUSH b = OnCtlColorStatic((HDC)wp, (HWND)lp);
        if (b) return (LRESULT)b;
        break;
    }
    case WM_MOUSEMOVE: OnMainMouseMove(); return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

int mw_RegisterClasses(HINSTANCE inst) {
    WNDCLASSEXA c;
    std::memset(&c, 0, sizeof c);
    c.cbSize = sizeof c;
    c.hInstance = inst;
    c.lpfnWndProc = MainProc;
    c.lpszClassName = MAIN_CLASS;
    c.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN_MENU);
    c.hIcon = LoadIconA(inst, MAKEINTRESOURCEA(IDI_LARGE));
    c.hIconSm = (HICON)LoadImageA(inst, MAKEINTRESOURCEA(IDI_SMALL), IMAGE_ICON, 16, 16, 0);
    c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    c.hbrBackground = g_shell.background;
    if (!RegisterClassExA(&c)) return 0;
    std::memset(&c, 0, sizeof c);
    c.cbSize = sizeof c;
    c.hInstance = inst;
    c.lpfnWndProc = ViewProc;
    c.style = CS_OWNDC | CS_DBLCLKS;
    c.lpszClassName = VIEW_CLASS;
    c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    if (!RegisterClassExA(&c)) return 0;
    struct { const char* name; UINT style; HCURSOR cursor; } panels[4] = {
        {"kelvara_wnd_toolbar", CS_DBLCLKS | CS_PARENTDC, g_shell.cursors[CURSOR_BAR]},
        {"kelvara_wnd_colorbar", CS_DBLCLKS | CS_PARENTDC, LoadCursorA(nullptr, IDC_ARROW)},
        {"kelvara_wnd_quickpal", CS_PARENTDC, g_shell.cursors[CURSOR_TOOL0 + 31]},
        {"kelvara_wnd_linkbar", CS_PARENTDC, g_shell.cursors[CURSOR_BAR]}};
    for (auto& p : panels) {
        std::memset(&c, 0, sizeof c);
        c.cbSize = sizeof c;
        c.hInstance = inst;
        c.lpfnWndProc = PanelProc;
        c.style = p.style;
        c.lpszClassName = p.name;
        c.hCursor = p.cursor;
        c.hbrBackground = g_shell.background;
        if (!RegisterClassExA(&c)) return 0;
    }
    return 1;
}

int mw_Create(int show) {
    int W = 520, H = 500;
    int x = (GetSystemMetrics(SM_CXSCREEN) - W) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - H) / 2;
    HWND w = CreateWindowExA(WS_EX_ACCEPTFILES | WS_EX_CLIENTEDGE, MAIN_CLASS, "Kelvara 1.80",
                             WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x, y, W, H, nullptr, nullptr,
                             g_shell.instance, nullptr);
    if (!w) return 0;
    ShowWindow(w, g_settings.wasMaximised ? SW_SHOWMAXIMIZED : show);
    UpdateWindow(w);
    return 1;
}

void mw_StartTimers() {
    SetTimer(g_shell.main, TIMER_SETTINGS, 29001, nullptr);
    SetTimer(g_shell.main, TIMER_AUTOSAVE, 61004, nullptr);
    SetTimer(g_shell.main, TIMER_LOGO, 2007, nullptr);
    SetTimer(g_shell.main, TIMER_REDRAW, 11003, nullptr);
}

void mw_KillTimers() {
    if (!g_shell.main) return;
    KillTimer(g_shell.main, TIMER_AUTOSAVE);
    KillTimer(g_shell.main, TIMER_SETTINGS);
    KillTimer(g_shell.main, TIMER_LOGO);
    KillTimer(g_shell.main, TIMER_REDRAW);
}
