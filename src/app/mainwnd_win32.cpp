// mainwnd_win32.cpp — the main window ("kelvara_wnd_main"): creating its children,
// the layout, timers, the close question, menu states and status-line help, keys,
// the wheel and dropped files. The procedure only dispatches to OnXxx handlers;
// WM_COMMAND goes to the command table, the open/save workflow to files_win32.
#include "app/mainwnd_win32.h"

#include <shellapi.h>
#include <cstring>

#include "app/app_ids.h"
#include "app/commands.h"
#include "app/files_win32.h"
#include "app/panelwnd_win32.h"
#include "app/recovery_win32.h"
#include "app/shell_win32.h"
#include "app/title_win32.h"
#include "app/view_win32.h"
#include "app/viewgeom.h"
#include "document/document.h"
#include "document/undo.h"
#include "panels/textart_win32.h"
#include "panels/toolsettings_win32.h"
#include "platform/dpi.h"
#include "platform/ui.h"
#include "platform/ui_win32.h"
#include "platform/utf8.h"
#include "settings/settings.h"

static const char MAIN_CLASS[] = "kelvara_wnd_main";

// Set when an accelerator with Alt ran a command: the Alt key's release that follows
// must not put the menu bar in charge of the next key.
static int g_altAccelerator;

void mw_NoteAltAccelerator() { g_altAccelerator = 1; }

// ---- main window handlers ----

static void OnSize(int W, int H) {
    VgPlace p[VG_CHILDREN];
    vg_Layout(W, H, p);
    HWND kids[VG_CHILDREN] = {g_shell.view, g_shell.toolbar, g_shell.colorbar, g_shell.quickpal,
                              g_shell.linkbar, g_shell.status, g_shell.logo};
    auto flags = [&](int i) -> UINT {
        return SWP_NOZORDER | SWP_NOACTIVATE | (p[i].shown ? SWP_SHOWWINDOW : SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE);
    };
    // All children in one pass: each repaints once, not once per sibling moved.
    HDWP pass = BeginDeferWindowPos(VG_CHILDREN);
    for (int i = 0; i < VG_CHILDREN; i++)
        if (kids[i] && pass) pass = DeferWindowPos(pass, kids[i], nullptr, p[i].x, p[i].y, p[i].w, p[i].h, flags(i));
    if (pass && EndDeferWindowPos(pass)) return;
    for (int i = 0; i < VG_CHILDREN; i++)   // no memory for one pass
        if (kids[i]) SetWindowPos(kids[i], nullptr, p[i].x, p[i].y, p[i].w, p[i].h, flags(i));
}

static void OnSizing(HWND w, RECT* r) {
    RECT wr, cr;
    GetWindowRect(w, &wr);
    GetClientRect(w, &cr);
    int fw = (wr.right - wr.left) - cr.right + 1, fh = (wr.bottom - wr.top) - cr.bottom + 1, mw, mh;
    vg_MinimumClient(&mw, &mh);
    if (r->right - r->left < fw + mw) r->right = r->left + fw + mw;
    if (r->bottom - r->top < fh + mh) r->bottom = r->top + fh + mh;
}

// Right above the main window: never over a question that stands over both.
static void RaiseToolWindow() {
    HWND tools = toolsettings_Window();
    if (!tools || !IsWindowVisible(tools)) return;
    HWND over = GetWindow(g_shell.main, GW_HWNDPREV);
    for (HWND x = over; x; x = GetWindow(x, GW_HWNDPREV))
        if (x == tools) return;
    SetWindowPos(tools, over ? over : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

static void OnTimer(HWND w, UINT_PTR id) {
    switch (id) {
    case TIMER_SETTINGS: g_shell.pending |= PENDING_SETTINGS; break;
    case TIMER_AUTOSAVE: if (g_settings.autosave) g_shell.pending |= PENDING_AUTOSAVE; break;
    case TIMER_LOGO:
        g_shell.logoIndex = (g_shell.logoIndex + 1) % 3;
        SendMessageA(g_shell.logo, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)g_shell.logos[g_shell.logoIndex]);
        break;
    case TIMER_RAISE_TOOLS:
        // Restacking takes milliseconds: not in the middle of a stroke (the timer stays armed).
        if (GetCapture() == g_shell.view) break;
        KillTimer(w, TIMER_RAISE_TOOLS);
        RaiseToolWindow();
        break;
    case TIMER_REDRAW:
        if (GetCapture() != g_shell.view && !(GetAsyncKeyState(VK_LBUTTON) & 0x8000) &&
            !(GetAsyncKeyState(VK_RBUTTON) & 0x8000))
            RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        break;
    }
}

static void OnClose(HWND w) {
    if (doc_HasUnsavedChanges()) {
        int a = ui_MessageBox("You have made some changes to this picture, but you haven't saved it\n"
                              "yet. Do you wish to save before you exit?",
                              "Confirm Save And Exit", UI_YESNOCANCEL | UI_ICONQUESTION);
        if (a == UI_IDCANCEL) return;
        if (a == UI_IDYES && !files_SaveAs()) return;  // a failed or cancelled save keeps the work
    } else if (ui_MessageBox("Are you sure you want to exit?", "Confirm Exit", UI_YESNO | UI_ICONQUESTION) !=
               UI_IDYES) {
        return;
    }
    rec_CleanExit();
    DestroyWindow(w);
}

static void OnDestroy(HWND w) {
    set_WasMaximised(IsZoomed(w));
    ui_SetCommandHandler(nullptr);
    uiw_SetStatusLine(nullptr);
    uiw_SetOwner(nullptr);
    ttlw_SetWindow(nullptr);
    PostQuitMessage(0);
}

static void OnEndSession(WPARAM ending) {
    if (!ending) return;
    rec_FinalSnapshot();
    SaveSettings();
}

static const int kRecent[SET_RECENT_COUNT] = {CMD_RECENT1, CMD_RECENT2, CMD_RECENT3, CMD_RECENT4};

// Menu states from the command table; the undo and recent items get their texts.
static void OnInitMenuPopup(HMENU menu) {
    int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; i++) {
        UINT id = GetMenuItemID(menu, i);
        if (id == (UINT)-1 || id == 0) continue;
        int enabled = cmd_Enabled(id);
        if (id == CMD_UNDO || id == CMD_REDO) {
            char text[64];
            vg_UndoMenuText(id == CMD_REDO, id == CMD_REDO ? undo_RedoCount() : undo_UndoCount(), text, sizeof text);
            ModifyMenuA(menu, i, MF_BYPOSITION | MF_STRING, id, text);
        }
        for (int k = 0; k < SET_RECENT_COUNT; k++)
            if ((int)id == kRecent[k]) {
                char text[300];
                enabled = vg_RecentMenuText(g_settings.recent[k], k, text, sizeof text);
                ModifyMenuA(menu, i, MF_BYPOSITION | MF_STRING, id, text);
            }
        EnableMenuItem(menu, i, MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
    }
}

static void OnMenuSelect(WPARAM wp) {
    int id = LOWORD(wp);
    if (HIWORD(wp) & MF_POPUP) id = 0;
    const char* t = cmd_HelpText(id);
    SetWindowTextA(g_shell.status, t ? t : "");
}

static void send_to_notepad() {
    // The history keeps 256 bytes a line; a longer line loses whole characters.
    char text[KV_MAX_PATH + 64];
    GetWindowTextA(g_shell.status, text, sizeof text);
    std::memmove(g_shell.statusHistory[1], g_shell.statusHistory[0], 3 * 256);
    u8_CopyCut(g_shell.statusHistory[0], 256, text);
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
    // A name too long for the buffer is refused whole: a cut one names another file.
    char path[KV_MAX_PATH];
    UINT need = DragQueryFileA(drop, 0, nullptr, 0);
    UINT n = need && need < sizeof path ? DragQueryFileA(drop, 0, path, sizeof path) : 0;
    DragFinish(drop);
    if (!n || n != need) return;
    SetForegroundWindow(w);
    files_OpenGiven(path);
}

// The status line draws its own text with a path ellipsis. The system's static
// control is not used for it: Wine's adds a word ellipsis to the path ellipsis and
// then aborts the program on a text that still does not fit.
static void OnDrawStatus(const DRAWITEMSTRUCT* d) {
    char text[KV_MAX_PATH + 128];  // a status text may hold a whole path
    GetWindowTextA(d->hwndItem, text, sizeof text);
    RECT r = d->rcItem;
    FillRect(d->hDC, &r, g_shell.background);
    SetBkMode(d->hDC, TRANSPARENT);
    SetTextColor(d->hDC, SHELL_STATUS_TEXT);
    HGDIOBJ old = SelectObject(d->hDC, g_shell.arial8);
    DrawTextA(d->hDC, text, -1, &r, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_PATH_ELLIPSIS);
    SelectObject(d->hDC, old);
}

static void OnMainMouseMove() {
    char t[64];
    GetWindowTextA(g_shell.status, t, sizeof t);
    if (std::strcmp(t, " For Help on the Tools, Click F1")) ui_SetStatus(" For Help on the Tools, Click F1");
}

// Moved to a screen of another DPI: fonts and pictures for it, the suggested
// rectangle, and every child laid out and drawn again.
static void OnDpiChanged(HWND w, int dpi, const RECT* suggested) {
    dpi_Set(dpi);
    res_ApplyDpi();
    SendMessageA(g_shell.status, WM_SETFONT, (WPARAM)g_shell.arial8, 0);
    SendMessageA(g_shell.logo, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)g_shell.logos[g_shell.logoIndex]);
    SetWindowPos(w, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT c;
    GetClientRect(w, &c);
    OnSize(c.right, c.bottom);
    view_FullRepaint();
    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

static HWND child(const char* cls, const char* text, DWORD style, DWORD ex, HWND parent, int id) {
    return CreateWindowExA(ex, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, parent,
                           (HMENU)(INT_PTR)id, g_shell.instance, nullptr);
}

// Commands asked through the seam by tools and panels: posted, so the asker's
// message (a mouse release, a click) is finished before the command runs.
static int PostCommand(int id) { return PostMessageA(g_shell.main, WM_COMMAND, (WPARAM)id, 0) ? 1 : 0; }

static int OnCreate(HWND w) {
    g_shell.main = w;
    uiw_SetOwner(w);
    ui_SetCommandHandler(PostCommand);
    child(VIEW_CLASS, "", WS_HSCROLL | WS_VSCROLL, WS_EX_CLIENTEDGE, w, 1);
    g_shell.toolbar = child("kelvara_wnd_toolbar", "", 0, 0, w, 2);
    g_shell.colorbar = child("kelvara_wnd_colorbar", "", 0, 0, w, 3);
    g_shell.quickpal = child("kelvara_wnd_quickpal", "", 0, WS_EX_STATICEDGE, w, 4);
    g_shell.linkbar = child("kelvara_wnd_linkbar", "", 0, 0, w, 5);
    g_shell.status = child("STATIC", "", SS_SUNKEN | SS_OWNERDRAW, 0, w, 6);
    g_shell.logo = child("STATIC", "", SS_SUNKEN | SS_CENTERIMAGE | SS_BITMAP | SS_NOTIFY, 0, w, 7);
    if (!g_shell.view || !g_shell.toolbar || !g_shell.colorbar || !g_shell.quickpal || !g_shell.linkbar ||
        !g_shell.status || !g_shell.logo)
        return 0;
    SendMessageA(g_shell.status, WM_SETFONT, (WPARAM)g_shell.arial8, 0);
    SendMessageA(g_shell.logo, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)g_shell.logos[0]);
    uiw_SetStatusLine(g_shell.status);
    ttlw_SetWindow(w);
    DragAcceptFiles(w, TRUE);
    return 1;
}

// A modal dialog disables the main window; the floating windows that change the
// image or the tools follow, so that nothing starts from them inside the dialog's loop.
static void EnableFloatingWindows(BOOL enable) {
    const HWND floating[] = {toolsettings_Window(), textart_Window()};
    for (HWND x : floating)
        if (x) EnableWindow(x, enable);
}

static LRESULT CALLBACK MainProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ENABLE: EnableFloatingWindows((BOOL)wp); return 0;
    case WM_CREATE: return OnCreate(w) ? 0 : -1;
    case WM_SIZE: OnSize(LOWORD(lp), HIWORD(lp)); return 0;
    case WM_SIZING: OnSizing(w, (RECT*)lp); return TRUE;
    case WM_TIMER: OnTimer(w, wp); return 0;
    case WM_COMMAND:
        if ((HWND)lp == g_shell.logo && HIWORD(wp) == STN_CLICKED) cmd_Run(CMD_WEB_MAKER);
        else if (!lp || HIWORD(wp) <= 1) cmd_Run(LOWORD(wp));
        return 0;
    case WM_SYSKEYUP: {
        LRESULT r = DefWindowProcA(w, msg, wp, lp);
        if (wp == VK_MENU) g_altAccelerator = 0;
        return r;
    }
    case WM_SYSCOMMAND:
        // Alt released after an Alt accelerator: no menu-bar mode.
        if ((wp & 0xFFF0) == SC_KEYMENU && lp == 0 && g_altAccelerator) {
            g_altAccelerator = 0;
            return 0;
        }
        break;
    case WM_CLOSE: OnClose(w); return 0;
    case WM_DESTROY: OnDestroy(w); return 0;
    case WM_ENDSESSION: OnEndSession(wp); return 0;
    case WM_POWERBROADCAST:
        if (wp == 0) {  // a suspend is asked for: allowed once the image is safe
            rec_FinalSnapshot();
            SaveSettings();
        }
        return TRUE;
    case WM_INITMENUPOPUP: OnInitMenuPopup((HMENU)wp); return 0;
    case WM_MENUSELECT: OnMenuSelect(wp); return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: OnKeyDown(w, msg, wp); if (msg == WM_SYSKEYDOWN) break; return 0;
    case WM_MOUSEWHEEL: OnMouseWheel(wp); return 0;
    case WM_DROPFILES: OnDropFiles(w, (HDROP)wp); return 0;
    case WM_DRAWITEM:
        if (((const DRAWITEMSTRUCT*)lp)->hwndItem != g_shell.status) break;
        OnDrawStatus((const DRAWITEMSTRUCT*)lp);
        return TRUE;
    case WM_MOUSEMOVE: OnMainMouseMove(); return 0;
    case WM_DPICHANGED: OnDpiChanged(w, HIWORD(wp), (const RECT*)lp); return 0;
    case WM_ACTIVATE:
        // The tool window stays above its owner. Without a window manager the system
        // does not carry it up when the main window comes back after a modal dialog,
        // and settles the stacking only after the activation: a moment later.
        if (LOWORD(wp) != WA_INACTIVE) SetTimer(w, TIMER_RAISE_TOOLS, 200, nullptr);
        break;
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
    return panel_RegisterClasses(inst);
}

int mw_Create(int show) {
    int W = dpi_Scale(520), H = dpi_Scale(500);
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
