// toolsettings_win32.cpp — the tool-settings window (toolsettings_win32.h).
#include "panels/toolsettings_win32.h"

#include <cstdio>

#include "panels/colours.h"
#include "panels/panels_ids.h"
#include "platform/window_win32.h"
#include "settings/settings.h"

namespace {

const UINT_PTR TIMER_OPACITY = 1;
const BYTE OPAQUE_ALPHA = 255, IDLE_ALPHA = 128;

struct Bar {
    int min, max;
    const uint8_t SettingsRecord::*field;
    SetToolValue setter;
    const char* format;
    COLORREF colour;
};
const Bar kBars[4] = {
    {SET_TOOL_WIDTH_MIN, SET_TOOL_WIDTH_MAX, &SettingsRecord::toolWidth, SET_TOOL_WIDTH, "Width: %i pixels", 0xFF0000},
    {0, SET_TOOL_LEVEL_MAX, &SettingsRecord::toolLevel, SET_TOOL_LEVEL, "fx Level: %i%%", 0x003F00},
    {0, 255, &SettingsRecord::alpha1, SET_TOOL_ALPHA1, "Alpha1: %i/255", 0x00007F},
    {0, 255, &SettingsRecord::alpha2, SET_TOOL_ALPHA2, "Alpha2: %i/255", 0x7F007F},
};

HWND g_window;

void TestPointer(HWND w) {
    wnd_SetTranslucency(w, g_settings.idleTranslucent, wnd_PointerOver(w) ? OPAQUE_ALPHA : IDLE_ALPHA);
}

void ShowValue(HWND w, int i) {
    int value = g_settings.*kBars[i].field;
    if (value < kBars[i].min) value = kBars[i].min;
    if (value > kBars[i].max) value = kBars[i].max;
    char text[48];
    std::snprintf(text, sizeof text, kBars[i].format, value);
    SetDlgItemTextA(w, IDC_TSET_LABEL0 + i, text);
    SetScrollPos(GetDlgItem(w, IDC_TSET_BAR0 + i), SB_CTL, value, TRUE);
}

void OnInit(HWND w) {
    for (int i = 0; i < 4; i++) {
        SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_PAGE, kBars[i].min, kBars[i].max, 1, 0, 0};
        SetScrollInfo(GetDlgItem(w, IDC_TSET_BAR0 + i), SB_CTL, &si, FALSE);
        ShowValue(w, i);
    }
    SetFocus(GetDlgItem(w, IDC_TSET_BAR0 + 1));
    SetTimer(w, TIMER_OPACITY, 1000, nullptr);
    TestPointer(w);
}

void OnScroll(HWND w, HWND bar, int code) {
    int i = GetDlgCtrlID(bar) - IDC_TSET_BAR0;
    if (i < 0 || i > 3) return;
    SCROLLINFO si = {sizeof si, SIF_POS | SIF_TRACKPOS, 0, 0, 0, 0, 0};
    GetScrollInfo(bar, SB_CTL, &si);
    set_ToolValue(kBars[i].setter, tset_Scroll(si.nPos, code, si.nTrackPos, kBars[i].min, kBars[i].max));
    ShowValue(w, i);
}

INT_PTR OnLabelColour(HDC dc, HWND label) {
    int i = GetDlgCtrlID(label) - IDC_TSET_LABEL0;
    if (i < 0 || i > 3) return 0;
    SetTextColor(dc, kBars[i].colour);
    SetBkMode(dc, TRANSPARENT);
    return (INT_PTR)GetSysColorBrush(COLOR_BTNFACE);
}

INT_PTR CALLBACK ToolSettingsProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: OnInit(w); return FALSE;  // the level bar has the focus
    case WM_HSCROLL: OnScroll(w, (HWND)lp, LOWORD(wp)); return TRUE;
    case WM_CTLCOLORSTATIC: return OnLabelColour((HDC)wp, (HWND)lp);
    case WM_TIMER: TestPointer(w); return TRUE;
    case WM_MOUSEMOVE: wnd_SetTranslucency(w, g_settings.idleTranslucent, OPAQUE_ALPHA); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDCANCEL) DestroyWindow(w);
        return TRUE;
    case WM_CLOSE: DestroyWindow(w); return TRUE;
    case WM_DESTROY:
        KillTimer(w, TIMER_OPACITY);
        if (g_window == w) g_window = nullptr;
        return TRUE;
    }
    return FALSE;
}

}  // namespace

HWND toolsettings_Open(HWND main, HWND view) {
    if (main && IsIconic(main)) ShowWindow(main, SW_RESTORE);
    if (g_window) DestroyWindow(g_window);
    HWND w = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TOOL_SETTINGS), main,
                                ToolSettingsProc, 0);
    if (!w) return nullptr;
    g_window = w;
    RECT d, v;
    GetWindowRect(w, &d);
    int dw = d.right - d.left, dh = d.bottom - d.top;
    if (view && GetWindowRect(view, &v)) {
        SetWindowPos(w, nullptr, v.right - 1 - dw, v.bottom - 1 - dh, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    } else {
        wnd_CentreOver(w, main);
    }
    ShowWindow(w, SW_SHOWNOACTIVATE);
    return w;
}

HWND toolsettings_Window() { return g_window; }
