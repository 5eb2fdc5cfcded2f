// devices_win32.cpp — screen capture, icon creator and wallpaper (devices_win32.h).
#include "devices/devices_win32.h"

#include <commdlg.h>
#include <cstring>

#include "devices/devices_ids.h"
#include "engine/blit.h"
#include "engine/shape.h"
#include "engine/surface_win32.h"
#include "formats/bmp_file.h"
#include "formats/dispatch.h"
#include "formats/ico_file.h"
#include "platform/paths.h"
#include "platform/ui.h"

namespace {

typedef BOOL(WINAPI* CursorInfoFn)(PCURSORINFO);

// The cursor-information call, looked up at run time (older systems lack it).
CursorInfoFn CursorInfoCall() {
    return (CursorInfoFn)(void*)GetProcAddress(GetModuleHandleA("user32.dll"), "GetCursorInfo");
}

INT_PTR CALLBACK CaptureProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        EnableWindow(GetDlgItem(dlg, IDC_CAPTURE_POINTER), CursorInfoCall() != nullptr);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK)
            EndDialog(dlg, 128 | (IsDlgButtonChecked(dlg, IDC_CAPTURE_POINTER) == BST_CHECKED ? 1 : 0));
        else if (LOWORD(wp) == IDCANCEL)
            EndDialog(dlg, 0);
        return TRUE;
    }
    return FALSE;
}

// SPACE or PRINT-SCREEN pressed since the last look.
int KeyPressed() {
    return (GetAsyncKeyState(VK_SPACE) & 1) | (GetAsyncKeyState(VK_SNAPSHOT) & 1);
}

void DrawPointer(HDC dc) {
    CursorInfoFn info = CursorInfoCall();
    CURSORINFO ci = {sizeof ci, 0, nullptr, {0, 0}};
    if (!info || !info(&ci) || !(ci.flags & CURSOR_SHOWING)) return;
    ICONINFO ii;
    int hx = 0, hy = 0;
    if (GetIconInfo(ci.hCursor, &ii)) {
        hx = (int)ii.xHotspot;
        hy = (int)ii.yHotspot;
        if (ii.hbmMask) DeleteObject(ii.hbmMask);
        if (ii.hbmColor) DeleteObject(ii.hbmColor);
    }
    DrawIcon(dc, ci.ptScreenPos.x - hx, ci.ptScreenPos.y - hy, ci.hCursor);
}

// The program's other visible top-level windows (the tool settings, the palette, the
// preview), hidden for a capture so that none of them is in the photograph.
struct HiddenWindows {
    HWND main;
    HWND list[32];
    int count;
};

BOOL CALLBACK HideOne(HWND w, LPARAM lp) {
    HiddenWindows* h = (HiddenWindows*)lp;
    if (w != h->main && IsWindowVisible(w) && h->count < 32) {
        ShowWindow(w, SW_HIDE);
        h->list[h->count++] = w;
    }
    return TRUE;
}

// Lets the windows uncovered by the hiding paint themselves (other programs' windows
// paint on their own; ours need their messages) before the screen is photographed.
void LetTheScreenRepaint(int ms) {
    for (int waited = 0; waited < ms; waited += 50) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        Sleep(50);
    }
}

struct IconDialog {
    HICON icon;
};

INT_PTR CALLBACK IconProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(dlg, IDC_ICON_PICTURE, STM_SETICON, (WPARAM)((IconDialog*)lp)->icon, 0);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDC_ICON_SAVE) EndDialog(dlg, 1);
        else if (LOWORD(wp) == IDC_ICON_DISCARD || LOWORD(wp) == IDCANCEL) EndDialog(dlg, 0);
        return TRUE;
    }
    return FALSE;
}

// "Save Icon As"; the chosen name with ".ico" appended when it lacks it.
int AskIconName(HWND owner, char* path, size_t cap) {
    char name[KV_MAX_PATH] = "Untitled";
    OPENFILENAMEA ofn;
    std::memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = "Icons (.ico)\0*.ico\0";
    ofn.lpstrFile = name;
    ofn.nMaxFile = sizeof name;
    ofn.lpstrTitle = "Save Icon As";
    ofn.lpstrDefExt = "ico";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetSaveFileNameA(&ofn)) return 0;
    size_t n = std::strlen(name);
    int hasExt = n >= 4 && _stricmp(name + n - 4, ".ico") == 0;
    if (n + (hasExt ? 0 : 4) + 1 > cap) return 0;
    std::memcpy(path, name, n + 1);
    if (!hasExt) std::memcpy(path + n, ".ico", 5);
    return 1;
}

}  // namespace

int CaptureScreen(Surface* target, HWND main) {
    INT_PTR how = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SCREEN_CAPTURE), main, CaptureProc, 0);
    if (how <= 0) return 0;
    HiddenWindows hidden = {main, {}, 0};
    EnumThreadWindows(GetCurrentThreadId(), HideOne, (LPARAM)&hidden);
    ShowWindow(main, SW_MINIMIZE);
    // The wait for the key keeps serving messages, so that the program answers and
    // paints; the main window takes no input meanwhile, so no command starts inside it.
    EnableWindow(main, FALSE);
    KeyPressed();  // forget presses from before
    LetTheScreenRepaint(500);
    while (!KeyPressed()) LetTheScreenRepaint(300);
    LetTheScreenRepaint(200);
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    Surface shot{};
    int ok = srf_CreateExact((uint32_t)w, (uint32_t)h, &shot);
    HDC dc;
    if (ok && srf_GetDC(&dc, nullptr, &shot)) {
        HDC screen = GetDC(nullptr);
        BitBlt(dc, 0, 0, w, h, screen, 0, 0, SRCCOPY);
        ReleaseDC(nullptr, screen);
        if (how & 1) DrawPointer(dc);
        srf_ReleaseDC(&dc, &shot);
        // A photograph has no transparency.
        drw_FillRectOp(&shot, 0, 0, w - 1, h - 1, 0x00FFFFFFu, 2);
        srf_Install(target, &shot);
    } else if (ok) {
        srf_Destroy(&shot);
        ok = 0;
    }
    EnableWindow(main, TRUE);
    ShowWindow(main, SW_RESTORE);
    for (int i = 0; i < hidden.count; i++) ShowWindow(hidden.list[i], SW_SHOWNA);
    SetForegroundWindow(main);
    return ok;
}

// The image scaled to the icon's 32 x 32, written with the icon writer.
static int write_icon(Surface* image, const char* path) {
    Surface small{};
    if (!srf_CreateExact(32, 32, &small)) return 0;
    srf_Unlock(&small);
    blt_CopySmooth(&small, 0, 0, 31, 31, image, 0, 0, (int)image->width - 1, (int)image->height - 1, 0);
    int written = ico_Save(&small, path);
    srf_Destroy(&small);
    return written;
}

int WriteIconFile(Surface* image, const char* path) {
    if (!srf_Refresh(image)) return 0;
    if (write_icon(image, path)) return 1;
    img_ReportWriteFailure(path);
    return 0;
}

int CreateIconFile(Surface* image, HWND owner) {
    if (!srf_Refresh(image)) return 0;
    char temp[KV_MAX_PATH];
    if (!path_Join(temp, sizeof temp, path_AppDir(), "__temp.ico") || !write_icon(image, temp)) return 0;
    IconDialog d = {(HICON)LoadImageA(nullptr, temp, IMAGE_ICON, 32, 32, LR_LOADFROMFILE)};
    DeleteFileA(temp);
    INT_PTR save = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ICON_CREATOR), owner, IconProc,
                                   (LPARAM)&d);
    if (d.icon) DestroyIcon(d.icon);
    // Written by the icon writer itself, not copied: a copy that fails half-way would
    // cost the user the icon file that was there.
    char path[KV_MAX_PATH];
    return save == 1 && AskIconName(owner, path, sizeof path) && WriteIconFile(image, path);
}

int SetAsWallpaper(Surface* image) {
    char path[KV_MAX_PATH];
    if (!path_Join(path, sizeof path, path_AppDir(), "desktop.bmp") || !bmp_Save(image, path)) return 0;
    return SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, path, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE) ? 1 : 0;
}
