// doc_dialogs_win32.cpp — target and border dialogs, and the fit commands that use them.
#include "document/doc_dialogs_win32.h"
#include <commctrl.h>
#include "document/document.h"
#include "document/document_ids.h"
#include "platform/ui.h"
#include "platform/window_win32.h"

namespace {

const int MAX_BORDER = 1024;
const COLORREF TARGET_TEXT = 0x404040, TARGET_BACK = 0xEFD7D7;

INT_PTR CALLBACK TargetProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        wnd_CentreOver(dlg, GetWindow(dlg, GW_OWNER));
        // The label background's brush lives as long as the dialog.
        SetWindowLongPtrA(dlg, DWLP_USER, (LONG_PTR)CreateSolidBrush(TARGET_BACK));
        return TRUE;
    case WM_CTLCOLORSTATIC:
        SetTextColor((HDC)wp, TARGET_TEXT);
        SetBkColor((HDC)wp, TARGET_BACK);
        (void)lp;
        return (INT_PTR)GetWindowLongPtrA(dlg, DWLP_USER);
    case WM_DESTROY:
        DeleteObject((HBRUSH)GetWindowLongPtrA(dlg, DWLP_USER));
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_TARGET_SPRITE: EndDialog(dlg, DOC_TARGET_SPRITE); return TRUE;
        case IDC_TARGET_MAIN: EndDialog(dlg, DOC_TARGET_MAIN); return TRUE;
        case IDCANCEL: EndDialog(dlg, -1); return TRUE;
        }
        break;
    }
    return FALSE;
}

INT_PTR CALLBACK BorderProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(dlg, IDC_BORDER_SPIN, UDM_SETRANGE32, 0, MAX_BORDER);
        SetDlgItemInt(dlg, IDC_BORDER_EDIT, 0, FALSE);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_BORDER_APPLY: {
            BOOL ok = FALSE;
            UINT border = GetDlgItemInt(dlg, IDC_BORDER_EDIT, &ok, FALSE);
            if (!ok || border > (UINT)MAX_BORDER) {
                MessageBeep(MB_ICONEXCLAMATION);
                SetDlgItemInt(dlg, IDC_BORDER_EDIT, ok ? MAX_BORDER : 0, FALSE);
                return TRUE;
            }
            EndDialog(dlg, (INT_PTR)border);
            return TRUE;
        }
        case IDC_BORDER_DISCARD: EndDialog(dlg, 0); return TRUE;
        case IDCANCEL: EndDialog(dlg, -1); return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

int SelectTarget(HWND owner) {
    int target = DOC_TARGET_MAIN;
    if (g_doc.spritePresent) {
        target = (int)DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SELECT_TARGET), owner,
                                      TargetProc, 0);
        if (target != DOC_TARGET_SPRITE && target != DOC_TARGET_MAIN) return -1;
    }
    doc_ReportTarget(target);
    return target;
}

int doc_AskBorder(HWND owner) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);
    INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_BORDER_SIZE), owner,
                                BorderProc, 0);
    return r < 0 ? -1 : (int)r;
}

int doccmd_FitSprite(HWND owner) {
    if (!g_doc.spritePresent) return 0;
    int border = doc_AskBorder(owner);
    return border < 0 ? 0 : doc_FitSprite(border);
}

int doccmd_FitImage(HWND owner) {
    if (ui_MessageBox("The action you are about to take cannot be undone.\nWould you like to continue anyway?",
                      "Continue Without Undo?", UI_YESNO | UI_ICONQUESTION) != UI_IDYES)
        return 0;
    int border = doc_AskBorder(owner);
    return border < 0 ? 0 : doc_FitImage(border);
}
