// preview_win32.cpp — see preview_win32.h. The picture is drawn from the view's
// composite (image, checkerboard, sprite) or the main image alone.
#include "app/preview_win32.h"

#include "app/app_ids.h"
#include "app/shell_win32.h"
#include "document/compose.h"
#include "document/document.h"
#include "settings/settings.h"

static HWND g_preview;

static void OnPaint(HWND w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT r;
    GetClientRect(w, &r);
    FillRect(dc, &r, g_shell.pattern ? g_shell.pattern : (HBRUSH)GetStockObject(GRAY_BRUSH));
    // The view composes only what it shows: the rest is brought up to date here.
    Surface* composite = g_settings.previewSprite && cmp_Fit() ? cmp_Composite() : nullptr;
    if (composite) cmp_Update(CMP_ALL, 0, 1);  // quiet: the zoom only words the status line
    Surface* s = composite ? composite : &g_doc.mainImage;
    if (s->created && srf_Refresh(s) && s->width && s->height && r.right > 0 && r.bottom > 0) {
        // Fit inside the client area, keeping the proportions.
        int w2 = r.right, h2 = (int)((long long)s->height * r.right / s->width);
        if (h2 > r.bottom) {
            h2 = r.bottom;
            w2 = (int)((long long)s->width * r.bottom / s->height);
        }
        SetStretchBltMode(dc, HALFTONE);
        StretchBlt(dc, (r.right - w2) / 2, (r.bottom - h2) / 2, w2, h2, (HDC)s->dc, 0, 0, s->width, s->height,
                   SRCCOPY);
    }
    EndPaint(w, &ps);
}

static void OnCommand(HWND w, int id) {
    switch (id) {
    case CMD_PV_MAXIMIZE: ShowWindow(w, SW_MAXIMIZE); break;
    case CMD_PV_NORMAL: ShowWindow(w, SW_RESTORE); break;
    case CMD_PV_REFRESH: InvalidateRect(w, nullptr, TRUE); break;
    case CMD_PV_CLOSE:
    case IDCANCEL: DestroyWindow(w); break;
    }
}

static INT_PTR CALLBACK PreviewProc(HWND w, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: return TRUE;
    case WM_PAINT: OnPaint(w); return TRUE;
    case WM_ERASEBKGND: SetWindowLongPtrA(w, DWLP_MSGRESULT, 1); return TRUE;
    case WM_SIZE: InvalidateRect(w, nullptr, FALSE); return TRUE;
    case WM_COMMAND: OnCommand(w, LOWORD(wp)); return TRUE;
    case WM_DESTROY: g_preview = nullptr; return TRUE;
    }
    return FALSE;
}

void OpenPreview(HWND owner) {
    if (g_preview) {
        SetForegroundWindow(g_preview);
        return;
    }
    g_preview = CreateDialogParamA(g_shell.instance, MAKEINTRESOURCEA(IDD_PREVIEW), owner, PreviewProc, 0);
    if (g_preview) ShowWindow(g_preview, SW_SHOW);
}

void preview_Refresh() {
    if (g_preview) InvalidateRect(g_preview, nullptr, FALSE);
}
