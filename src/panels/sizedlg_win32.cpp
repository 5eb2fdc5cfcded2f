// sizedlg_win32.cpp — the size dialogs' windows; their rules are in sizerules.
#include "panels/sizedlg_win32.h"
#include <cstdio>
#include "panels/size_ids.h"
#include "panels/sizerules.h"
#include "platform/window_win32.h"
#include "platform/ui.h"

namespace {

const COLORREF LABEL_BLUE = 0xFF0000, TEXT_PURPLE = 0x7F007F, DIALOG_BACK = 0xEFD7D7;
const int FIELD_TEXT = 32;

// In/out record of the picture-size and resize dialogs.
struct SizeDialog {
    HBRUSH back;          // first, so the shared colour handler reads it from either record
    int resize;           // 1: the resize dialog
    int presentWidth, presentHeight;
    Surface* surface;     // resize: changed in place on OK
    double aspect;
    int syncing;          // > 0 while the dialog writes a field itself
    uint32_t chosen;      // picture size: the packed result
};

struct PresetDialog {
    HBRUSH back;
};

HBRUSH BackOf(HWND dlg) {
    const HBRUSH* back = (const HBRUSH*)GetWindowLongPtrA(dlg, GWLP_USERDATA);
    return back ? *back : nullptr;
}

SizeDialog* SizeRecord(HWND dlg) { return (SizeDialog*)GetWindowLongPtrA(dlg, GWLP_USERDATA); }

INT_PTR OnCtlColorStatic(HWND dlg, HDC dc, HWND control) {
    int id = GetDlgCtrlID(control);
    SetTextColor(dc, id == IDC_SIZE_LABEL1 || id == IDC_SIZE_LABEL2 ? LABEL_BLUE : TEXT_PURPLE);
    SetBkColor(dc, DIALOG_BACK);
    return (INT_PTR)BackOf(dlg);
}

// Writes a field without its change counting as the user's edit, so a kept
// aspect never rewrites the field being typed in.
void SetField(HWND dlg, SizeDialog* rec, int id, unsigned value) {
    char text[FIELD_TEXT];
    snprintf(text, sizeof text, "%u", value);
    rec->syncing++;
    SetDlgItemTextA(dlg, id, text);
    rec->syncing--;
}

// 1 and the value when the field holds a number.
int ReadField(HWND dlg, int id, unsigned* value) {
    char text[FIELD_TEXT] = "";
    GetDlgItemTextA(dlg, id, text, sizeof text);
    return sizer_ParseField(text, value);
}

void FillCombo(HWND dlg, int id, int present) {
    int entries[SIZER_LIST_COUNT + 1];
    int n = sizer_ComboEntries(present, entries, SIZER_LIST_COUNT + 1);
    HWND combo = GetDlgItem(dlg, id);
    for (int i = 0; i < n; i++) {
        char text[FIELD_TEXT];
        snprintf(text, sizeof text, "%d", entries[i]);
        SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)text);
    }
    SendMessageA(combo, CB_LIMITTEXT, 10, 0);
}

INT_PTR OnSizeInit(HWND dlg, SizeDialog* rec) {
    SetWindowLongPtrA(dlg, GWLP_USERDATA, (LONG_PTR)rec);
    wnd_CentreOver(dlg, GetWindow(dlg, GW_OWNER));  // the main window, or the size dialog for presets
    FillCombo(dlg, IDC_SIZE_WIDTH, rec->presentWidth);
    FillCombo(dlg, IDC_SIZE_HEIGHT, rec->presentHeight);
    SetField(dlg, rec, IDC_SIZE_WIDTH, (unsigned)rec->presentWidth);
    SetField(dlg, rec, IDC_SIZE_HEIGHT, (unsigned)rec->presentHeight);
    CheckDlgButton(dlg, IDC_SIZE_ASPECT, BST_CHECKED);
    if (rec->resize) CheckDlgButton(dlg, IDC_SIZE_RESAMPLE, BST_CHECKED);
    rec->aspect = sizer_Aspect(rec->presentWidth, rec->presentHeight);
    return TRUE;
}

// The user changed one side (typed, or picked from the list): with the aspect kept
// the other side follows. A field that holds no number leaves the other alone.
void OnSideEdited(HWND dlg, SizeDialog* rec, int id, const char* text) {
    if (rec->syncing || IsDlgButtonChecked(dlg, IDC_SIZE_ASPECT) != BST_CHECKED) return;
    unsigned side, present;
    if (!sizer_ParseField(text, &side)) return;
    int other = id == IDC_SIZE_WIDTH ? IDC_SIZE_HEIGHT : IDC_SIZE_WIDTH;
    unsigned want = id == IDC_SIZE_WIDTH ? sizer_HeightFor(side, rec->aspect) : sizer_WidthFor(side, rec->aspect);
    if (!ReadField(dlg, other, &present) || present != want) SetField(dlg, rec, other, want);
}

void OnSideCommand(HWND dlg, SizeDialog* rec, int id, int code) {
    char text[FIELD_TEXT] = "";
    if (code == CBN_EDITCHANGE) {
        GetDlgItemTextA(dlg, id, text, sizeof text);
    } else if (code == CBN_SELCHANGE) {
        // The edit part still shows the old text when the selection changes.
        LRESULT sel = SendDlgItemMessageA(dlg, id, CB_GETCURSEL, 0, 0);
        if (sel == CB_ERR || SendDlgItemMessageA(dlg, id, CB_GETLBTEXTLEN, (WPARAM)sel, 0) >= FIELD_TEXT) return;
        SendDlgItemMessageA(dlg, id, CB_GETLBTEXT, (WPARAM)sel, (LPARAM)text);
    } else {
        return;
    }
    OnSideEdited(dlg, rec, id, text);
}

void OnPresets(HWND dlg, SizeDialog* rec) {
    uint32_t packed = AskPreset(dlg);
    if (!packed) return;
    int w, h;
    sizer_UnpackPreset(packed, &w, &h);
    SetField(dlg, rec, IDC_SIZE_WIDTH, (unsigned)w);
    SetField(dlg, rec, IDC_SIZE_HEIGHT, (unsigned)h);
    rec->aspect = sizer_Aspect(w, h);
}

void OnSizeOk(HWND dlg, SizeDialog* rec) {
    unsigned w, h;
    ReadField(dlg, IDC_SIZE_WIDTH, &w);   // no number reads as 0, refused as too small
    ReadField(dlg, IDC_SIZE_HEIGHT, &h);
    unsigned askedW = w, askedH = h;
    if (!sizer_AcceptSize(&w, &h)) {
        if (w != askedW) SetField(dlg, rec, IDC_SIZE_WIDTH, w);
        if (h != askedH) SetField(dlg, rec, IDC_SIZE_HEIGHT, h);
        return;
    }
    if (rec->resize) {
        int mode = IsDlgButtonChecked(dlg, IDC_SIZE_RESAMPLE) == BST_CHECKED ? 2 : 3;
        ui_WaitCursor(1);
        int ok = srf_Resize(rec->surface, (int)w, (int)h, mode);
        ui_WaitCursor(0);
        if (!ok) {
            // The old pixels are still there; a smaller size may well work.
            ui_MessageBox("There is not enough memory to resize to this size.\nPlease choose a smaller size.",
                          "Resize Failed", UI_OK | UI_ICONERROR);
            return;
        }
    } else {
        rec->chosen = sizer_Pack(w, h);
    }
    EndDialog(dlg, 1);
}

void OnSizeCommand(HWND dlg, int id, int code) {
    SizeDialog* rec = SizeRecord(dlg);
    if (!rec) return;
    switch (id) {
    case IDC_SIZE_WIDTH:
    case IDC_SIZE_HEIGHT: OnSideCommand(dlg, rec, id, code); break;
    case IDC_SIZE_PRESETS: OnPresets(dlg, rec); break;
    case IDOK: OnSizeOk(dlg, rec); break;
    case IDCANCEL: EndDialog(dlg, 0); break;
    }
}

INT_PTR CALLBACK SizeProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: return OnSizeInit(dlg, (SizeDialog*)lp);
    case WM_CTLCOLORDLG: return (INT_PTR)BackOf(dlg);
    case WM_CTLCOLORSTATIC: return OnCtlColorStatic(dlg, (HDC)wp, (HWND)lp);
    case WM_COMMAND: OnSizeCommand(dlg, LOWORD(wp), HIWORD(wp)); return TRUE;
    }
    return FALSE;
}

INT_PTR OnPresetInit(HWND dlg, PresetDialog* rec) {
    SetWindowLongPtrA(dlg, GWLP_USERDATA, (LONG_PTR)rec);
    wnd_CentreOver(dlg, GetWindow(dlg, GW_OWNER));  // the main window, or the size dialog for presets
    return TRUE;
}

void OnPresetCommand(HWND dlg, int id, int code) {
    if (id == IDCANCEL) {
        EndDialog(dlg, 0);
    } else if (id >= IDC_PRESET_FIRST && id <= IDC_PRESET_DESKTOP && code == BN_CLICKED) {
        EndDialog(dlg, (INT_PTR)sizer_PresetSize(id, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
    }
}

INT_PTR CALLBACK PresetProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: return OnPresetInit(dlg, (PresetDialog*)lp);
    case WM_CTLCOLORDLG: return (INT_PTR)BackOf(dlg);
    case WM_CTLCOLORSTATIC: return OnCtlColorStatic(dlg, (HDC)wp, (HWND)lp);
    case WM_COMMAND: OnPresetCommand(dlg, LOWORD(wp), HIWORD(wp)); return TRUE;
    }
    return FALSE;
}

// Runs a size dialog over `rec`; 1 after OK.
int RunSizeDialog(HWND owner, int resource, SizeDialog* rec) {
    rec->back = CreateSolidBrush(DIALOG_BACK);
    INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resource), owner, SizeProc, (LPARAM)rec);
    DeleteObject(rec->back);
    return r == 1;
}

}  // namespace

uint32_t AskPictureSize(HWND owner, uint32_t presentPacked) {
    SizeDialog rec{};
    sizer_Unpack(presentPacked, &rec.presentWidth, &rec.presentHeight);
    return RunSizeDialog(owner, IDD_PICTURE_SIZE, &rec) ? rec.chosen : 0;
}

int AskResize(HWND owner, Surface* surface) {
    if (!surface || !srf_IsValid(surface) || !srf_Refresh(surface)) return 0;
    SizeDialog rec{};
    rec.resize = 1;
    rec.surface = surface;
    rec.presentWidth = (int)surface->width;
    rec.presentHeight = (int)surface->height;
    return RunSizeDialog(owner, IDD_RESIZE, &rec);
}

uint32_t AskPreset(HWND owner) {
    PresetDialog rec{CreateSolidBrush(DIALOG_BACK)};
    INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SIZE_PRESETS), owner, PresetProc,
                                (LPARAM)&rec);
    DeleteObject(rec.back);
    return r > 0 ? (uint32_t)r : 0;
}
