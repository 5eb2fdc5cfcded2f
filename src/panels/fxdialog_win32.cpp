// fxdialog_win32.cpp — the preview dialogs of effects and transforms and the
// convolution matrix (fxdialog_win32.h).
#include "panels/fxdialog_win32.h"

#include <cstdio>
#include <cstdlib>

#include "document/doc_dialogs_win32.h"
#include "document/document.h"
#include "effects/catalogue.h"
#include "effects/fx_filter.h"
#include "effects/transform.h"
#include "panels/fx_ids.h"
#include "panels/panels_ids.h"
#include "platform/helpviewer.h"
#include "platform/ui.h"
#include "platform/window_win32.h"
#include "settings/settings.h"

namespace {

const UINT_PTR TIMER_HOVER = 4371, TIMER_PREVIEW = 4373, TIMER_REST = 4374;
// The rest of a preview is made in slices of about this many pixels per timer tick
// (a change of a setting waits for at most one slice), from this long after the
// shown part, so that a bar being dragged is not slowed by slices between its steps.
const int REST_SLICE_PIXELS = 1 << 17;
const UINT REST_DELAY_MS = 120;
// OK's whole-image step says so on the status line from this many pixels up.
const uint64_t BUSY_PIXELS = 1u << 22;

FxSettings g_fx = FX_DEFAULTS;
TfSettings g_tf = TF_DEFAULTS;
BYTE g_opacity = 255;
double g_matrix[9] = {0.1, 0.1, 0.1, 0.1, 1.2, 0.1, 0.1, 0.1, 0.1};
FxShownRect g_shown = nullptr;

// What a preview step makes of the target.
enum Making { MAKE_WHOLE, MAKE_SHOWN, MAKE_REST };

struct Dialog {
    uint32_t code;
    int transform;     // 1 for the transform dialog
    int target;        // DOC_TARGET_*; the document keeps it as it was while previews run
    int dirty;
    HWND view;
    unsigned period;    // the preview timer's
    DWORD lastPreview;  // tick count of the last preview
    Making making;      // what the next step makes
    CatRect shown;      // the rectangle the view showed at the last preview
    int restAt;         // the next row (or column) of the rest of the preview; -1 when nothing is left
    int restByColumns;  // the rest goes in bands of columns
    CatWhole whole;     // the original's whole-image inputs
};

void ApplyOpacity(HWND w) { wnd_SetTranslucency(w, g_settings.idleTranslucent, g_opacity); }

// Bottom-right corner 1 pixel inside the view's, or centred over the owner.
void Place(HWND dlg, HWND view) {
    RECT d, v;
    GetWindowRect(dlg, &d);
    int w = d.right - d.left, h = d.bottom - d.top;
    if (view && GetWindowRect(view, &v))
        SetWindowPos(dlg, nullptr, v.right - 1 - w, v.bottom - 1 - h, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    else
        wnd_CentreOver(dlg, GetWindow(dlg, GW_OWNER));
}

void SetLevelText(HWND dlg, const Dialog* d, int level) {
    char text[64];
    std::snprintf(text, sizeof text, d->transform ? "Transform Level: %i / 1000" : "Effect Level: %i / 1000", level);
    SetDlgItemTextA(dlg, IDC_FX_LEVEL_TEXT, text);
}

void SetBar(HWND dlg, int bar, int min, int max, int pos) {
    SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, min, max, 1, pos, 0};
    SetScrollInfo(GetDlgItem(dlg, IDC_FX_BAR0 + bar), SB_CTL, &si, TRUE);
}

// The part of the result a step makes: what the view shows of it, or the next slice
// of rows of the rest; 0 when there is nothing to make.
int PartToMake(Dialog* d, int w, int h, CatRect* r) {
    if (d->making == MAKE_SHOWN) {
        if (!g_shown || !g_shown(w, h, d->transform, &r->x1, &r->y1, &r->x2, &r->y2)) *r = {0, 0, w - 1, h - 1};
        d->shown = *r;
        return 1;
    }
    const int across = d->restByColumns ? h : w, along = d->restByColumns ? w : h;
    const int lines = REST_SLICE_PIXELS / (across > 0 ? across : 1) + 1;
    if (d->restAt < 0 || d->restAt >= along) return 0;
    *r = d->restByColumns ? CatRect{d->restAt, 0, d->restAt + lines - 1, h - 1}
                          : CatRect{0, d->restAt, w - 1, d->restAt + lines - 1};
    d->restAt += lines;
    return 1;
}

int PreviewStep(Surface* target, Surface* original, void* context) {
    Dialog* d = (Dialog*)context;
    if (d->transform) {
        int w, h;
        CatRect r;
        if (d->making == MAKE_WHOLE) return cat_ApplyTransform(target, original, d->code, g_tf);
        if (!cat_TransformSize(original, d->code, g_tf, &w, &h)) return 0;
        return !PartToMake(d, w, h, &r) || cat_TransformRect(target, original, d->code, g_tf, r);
    }
    if (d->making == MAKE_WHOLE)
        return cat_ApplyEffect(target, d->code, g_fx, g_settings.colour1, g_settings.colour2);
    CatRect r;
    return !PartToMake(d, (int)original->width, (int)original->height, &r) ||
           cat_EffectRect(target, original, d->code, g_fx, g_settings.colour1, g_settings.colour2, r, &d->whole);
}

// A step of `making`; the whole-image step of an effect starts again from the original.
void Step(Dialog* d, Making making) {
    d->making = making;
    doc_EditPreview(PreviewStep, d, making == MAKE_WHOLE && !d->transform, d->transform && making != MAKE_REST);
}

// The rest of the preview is dropped (a new one starts, or the dialog ends).
void DropRest(HWND dlg, Dialog* d) {
    d->restAt = -1;
    KillTimer(dlg, TIMER_REST);
}

void OnPreviewTick(HWND dlg, Dialog* d) {
    if (!d->dirty) return;
    DropRest(dlg, d);
    if (d->transform) {
        auto checked = [&](int e) { return IsDlgButtonChecked(dlg, IDC_TF_EDGE0 + e) == BST_CHECKED; };
        g_tf.edge = checked(1) ? 1 : checked(2) ? 2 : checked(3) ? 3 : 0;
    }
    // The shown part first where the view shows the main image and the settings allow
    // a part to be made apart; a sprite is made whole, under the wait cursor.
    const int byParts = g_shown && d->target == DOC_TARGET_MAIN && (d->transform || cat_EffectByRect(d->code, g_fx));
    HCURSOR old = byParts ? nullptr : SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    Step(d, byParts ? MAKE_SHOWN : MAKE_WHOLE);
    // The period follows what one step makes, so a large image shown in part is not
    // held to the pace of its whole.
    const CatRect& r = d->shown;
    Surface* target = doc_TargetSurface(d->target);
    const unsigned period = byParts ? cat_PreviewPeriod((uint32_t)(r.x2 - r.x1 + 1), (uint32_t)(r.y2 - r.y1 + 1))
                                    : cat_PreviewPeriod(target->width, target->height);
    if (period != d->period) SetTimer(dlg, TIMER_PREVIEW, period, nullptr);
    d->period = period;
    if (byParts) {
        d->restAt = 0;
        d->restByColumns = !d->transform && cat_EffectRestByColumns(d->code, g_fx);
        SetTimer(dlg, TIMER_REST, REST_DELAY_MS, nullptr);
    }
    if (!byParts) SetCursor(old);
    d->dirty = 0;
    d->lastPreview = GetTickCount();
}

// One slice of the rest of the preview per tick, until none is left.
void OnRestTick(HWND dlg, Dialog* d) {
    if (d->restAt < 0) return DropRest(dlg, d);
    if (d->restAt == 0) SetTimer(dlg, TIMER_REST, 1, nullptr);   // the slices follow each other closely
    Step(d, MAKE_REST);
    const Surface* t = doc_TargetSurface(d->target);
    if (d->restAt < 0 || d->restAt >= (int)(d->restByColumns ? t->width : t->height)) DropRest(dlg, d);
}

// A change previews at once when the last preview is at least one timer period old;
// otherwise the timer picks it up, so a large image is not recomputed faster than that.
// Either way what was left of the last preview is dropped at once.
void Changed(HWND dlg, Dialog* d) {
    d->dirty = 1;
    DropRest(dlg, d);
    if (GetTickCount() - d->lastPreview >= d->period) OnPreviewTick(dlg, d);
}

int OnInit(HWND dlg, Dialog* d) {
    HWND owner = GetWindow(dlg, GW_OWNER);
    if (owner && IsIconic(owner)) ShowWindow(owner, SW_RESTORE);
    Place(dlg, d->view);
    if (d->transform) cat_OpenTransform(&g_tf, d->code);
    else cat_OpenEffect(&g_fx, d->code);
    d->dirty = 1;
    Surface* target = doc_TargetSurface(d->target);
    srf_Refresh(target);
    if ((uint64_t)target->width * target->height > CAT_LARGE_PIXELS &&
        MessageBoxA(dlg,
                    " The image you are trying to edit is very large.\nIf your Processor is not fast enough, or if "
                    "you\ndon't have sufficient RAM, you are in for one\nvery SLOW ride.\n\nDo you want to continue "
                    "anyway?",
                    "Performance Warning", MB_YESNO | MB_ICONINFORMATION) != IDYES)
        return 0;
    if (!doc_EditBegin(d->target)) return 0;
    const char* caption;
    if (d->transform) {
        SetBar(dlg, 0, 0, 1000, g_tf.level);
        SetLevelText(dlg, d, g_tf.level);
        CheckRadioButton(dlg, IDC_TF_EDGE0, IDC_TF_EDGE0 + 3, IDC_TF_EDGE0 + (g_tf.edge & 3));
        const TransformInfo* info = cat_Transform(d->code);
        for (int e = 2; e < 4; e++)
            if (info && info->edgeLabels[e - 2]) SetDlgItemTextA(dlg, IDC_TF_EDGE0 + e, info->edgeLabels[e - 2]);
        for (int e = 0; e < 4; e++) EnableWindow(GetDlgItem(dlg, IDC_TF_EDGE0 + e), info && info->usesEdge);
        caption = cat_TransformCaption(d->code);
    } else {
        const int values[3] = {g_fx.level, g_fx.distance, g_fx.parameter};
        for (int b = 0; b < 3; b++) {
            int min, max;
            cat_EffectRange(b, &min, &max);
            SetBar(dlg, b, min, max, values[b]);
        }
        SetLevelText(dlg, d, g_fx.level);
        for (int c = 0; c < 4; c++) {
            CheckDlgButton(dlg, IDC_FX_RED + c, (g_fx.channelMask >> c) & 1 ? BST_CHECKED : BST_UNCHECKED);
            EnableWindow(GetDlgItem(dlg, IDC_FX_RED + c), cat_EffectUses(d->code, CAT_USES_CHANNELS));
        }
        const int uses[3] = {cat_EffectUses(d->code, CAT_USES_LEVEL), cat_EffectUses(d->code, CAT_USES_DISTANCE),
                             cat_EffectUses(d->code, CAT_USES_PARAMETER)};
        for (int b = 0; b < 3; b++) {
            EnableWindow(GetDlgItem(dlg, IDC_FX_BAR0 + b), uses[b]);
            EnableWindow(GetDlgItem(dlg, IDC_FX_LABEL0 + b), uses[b]);
        }
        caption = cat_EffectCaption(d->code);
    }
    SetFocus(GetDlgItem(dlg, IDC_FX_BAR0));
    ApplyOpacity(dlg);
    SetWindowTextA(dlg, caption);
    char status[96];
    std::snprintf(status, sizeof status, " Executing %s", caption);
    ui_SetStatus(status);
    d->period = cat_PreviewPeriod(target->width, target->height);
    SetTimer(dlg, TIMER_PREVIEW, d->period, nullptr);
    SetTimer(dlg, TIMER_HOVER, 500, nullptr);
    OnPreviewTick(dlg, d);  // the first preview before the dialog shows
    return 1;
}

void OnScroll(HWND dlg, Dialog* d, HWND bar, int code) {
    int b = GetDlgCtrlID(bar) - IDC_FX_BAR0;
    if (b < 0 || b > 2) return;
    SCROLLINFO si = {sizeof si, SIF_POS | SIF_TRACKPOS, 0, 0, 0, 0, 0};
    GetScrollInfo(bar, SB_CTL, &si);
    // The transform's single bar steps like the effect level.
    int value = cat_EffectScroll(d->transform ? 0 : b, si.nPos, code, si.nTrackPos);
    // The bar is drawn after the preview: the image first.
    SetScrollPos(bar, SB_CTL, value, FALSE);
    InvalidateRect(bar, nullptr, FALSE);
    if (d->transform) g_tf.level = value;
    else (b == 0 ? g_fx.level : b == 1 ? g_fx.distance : g_fx.parameter) = value;
    if (b == 0) SetLevelText(dlg, d, value);
    Changed(dlg, d);
}

void OnHover(HWND dlg) {
    g_opacity = wnd_PointerOver(dlg) ? 255 : 128;
    ApplyOpacity(dlg);
}

void Close(HWND dlg, Dialog* d, int ok) {
    KillTimer(dlg, TIMER_PREVIEW);
    KillTimer(dlg, TIMER_HOVER);
    // OK keeps the whole-image result: a preview still pending or made in part is
    // made whole now, saying so when that may take a while.
    if (ok && (d->dirty || d->restAt >= 0)) {
        Surface* target = doc_TargetSurface(d->target);
        const int busy = (uint64_t)target->width * target->height >= BUSY_PIXELS;
        char caption[64], status[96];
        GetWindowTextA(dlg, caption, (int)sizeof caption);
        std::snprintf(status, sizeof status, " Executing %s", caption);
        if (busy) ui_SetStatus(" Applying the changes to the whole image... Please Wait");
        ui_WaitCursor(1);
        DropRest(dlg, d);
        Step(d, MAKE_WHOLE);
        ui_WaitCursor(0);
        if (busy) ui_SetStatus(status);   // as while the dialog was open
    }
    DropRest(dlg, d);
    doc_EditEnd(ok);
    tf_ReleaseSpare();
    cat_ReleaseWhole(&d->whole);
    EndDialog(dlg, ok);
}

INT_PTR OnLabelColour(HDC dc, HWND label) {
    int id = GetDlgCtrlID(label);
    COLORREF c = id == IDC_FX_LEVEL_TEXT ? 0x5F5FCF : id == IDC_FX_LABEL0 ? 0xCF5F5F
                 : id == IDC_FX_LABEL0 + 1 || id == IDC_FX_LABEL0 + 2 ? 0xCF5FCF : 0xFF0000;
    SetTextColor(dc, c);
    SetBkMode(dc, TRANSPARENT);
    return (INT_PTR)GetSysColorBrush(COLOR_BTNFACE);
}

INT_PTR CALLBACK FxProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    Dialog* d = (Dialog*)GetWindowLongPtrA(dlg, GWLP_USERDATA);
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dlg, GWLP_USERDATA, lp);
        if (!OnInit(dlg, (Dialog*)lp)) {
            doc_EditEnd(0);
            EndDialog(dlg, 0);
        }
        return FALSE;
    case WM_TIMER:
        if (wp == TIMER_PREVIEW) OnPreviewTick(dlg, d);
        else if (wp == TIMER_REST) OnRestTick(dlg, d);
        else if (wp == TIMER_HOVER) OnHover(dlg);
        return TRUE;
    case WM_NCMOUSEMOVE:
        g_opacity = 255;
        ApplyOpacity(dlg);
        return FALSE;
    case WM_HSCROLL: OnScroll(dlg, d, (HWND)lp, LOWORD(wp)); return TRUE;
    case WM_CTLCOLORSTATIC: return OnLabelColour((HDC)wp, (HWND)lp);
    case WM_HELP: help_OpenPage(d->transform ? "transforms.htm" : "effects.htm"); return TRUE;
    case WM_COMMAND: {
        int id = LOWORD(wp);
        if (id == IDOK || id == IDCANCEL) Close(dlg, d, id == IDOK);
        else if (id == IDC_FX_PREVIEW) ui_PostCommand(CMD_PREVIEW);
        else if (id >= IDC_FX_RED && id <= IDC_FX_RED + 3) {
            g_fx.channelMask = 0;
            for (int c = 0; c < 4; c++)
                if (IsDlgButtonChecked(dlg, IDC_FX_RED + c) == BST_CHECKED) g_fx.channelMask |= 1 << c;
            Changed(dlg, d);
        } else if (id >= IDC_TF_EDGE0 && id <= IDC_TF_EDGE0 + 3) {
            Changed(dlg, d);
        }
        return TRUE;
    }
    }
    return FALSE;
}

int Run(HWND owner, HWND view, uint32_t code, int transform) {
    int target = SelectTarget(owner);
    if (target < 0) return 0;
    Dialog d{};
    d.restAt = -1;
    d.code = target == DOC_TARGET_SPRITE ? code | CAT_ON_SPRITE : code & ~CAT_ON_SPRITE;
    d.transform = transform;
    d.target = target;
    d.view = view;
    if (transform) {
        if (!doc_ConfirmTransformWithoutUndo(target)) return 0;
    } else if (!doc_CheckTransparencyFor(code, doc_TargetSurface(target))) {
        return 0;
    }
    INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(transform ? IDD_TRANSFORM : IDD_EFFECT),
                                owner, FxProc, (LPARAM)&d);
    doc_EditEnd(0);  // a dialog that ended without Close
    cat_ReleaseWhole(&d.whole);
    return r == 1;
}

INT_PTR CALLBACK MatrixProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dlg, GWLP_USERDATA, lp);
        for (int i = 0; i < 9; i++) {
            char text[32];
            std::snprintf(text, sizeof text, "%.4g", g_matrix[i]);
            SetDlgItemTextA(dlg, IDC_MATRIX0 + i, text);
        }
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            double m[9];
            for (int i = 0; i < 9; i++) {
                char text[256];
                GetDlgItemTextA(dlg, IDC_MATRIX0 + i, text, sizeof text);
                m[i] = std::strtod(text, nullptr);  // text that is no number reads as 0
            }
            int32_t* weights = (int32_t*)GetWindowLongPtrA(dlg, GWLP_USERDATA);
            int ok = fx_MatrixWeights(m, weights);
            if (ok != 1) {
                // No usable weights: the user corrects the matrix or cancels.
                MessageBoxA(dlg,
                            ok == FX_CONV_ZERO_SUM ? "The values of the matrix add up to zero.\nChange at least one "
                                                     "value so that they do not."
                                                   : "The values of the matrix are too large or too unequal\nto "
                                                     "be used. Please use smaller values.",
                            "Invalid Matrix", MB_OK | MB_ICONEXCLAMATION);
                return TRUE;
            }
            for (int i = 0; i < 9; i++) g_matrix[i] = m[i];
            EndDialog(dlg, 1);
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) {
            EndDialog(dlg, 0);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

void fxdlg_SetShownRect(FxShownRect shown) { g_shown = shown; }

int RunEffect(HWND owner, HWND view, uint32_t code) { return Run(owner, view, code, 0); }
int RunTransform(HWND owner, HWND view, uint32_t code) { return Run(owner, view, code, 1); }

int RunMatrixDialog(HWND owner, int32_t weights[9]) {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MATRIX), owner, MatrixProc,
                           (LPARAM)weights) == 1;
}
