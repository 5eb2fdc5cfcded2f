// options_win32.cpp — see options_win32.h. Each dialog is its template in
// kelvara.rc plus one Run function; the working copy of the settings travels
// through lParam / GWLP_USERDATA and reaches the settings (set_Record) only on OK.
#include "app/options_win32.h"

#include <shlobj.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/app_ids.h"
#include "app/broadcast_win32.h"
#include "app/dialogs_win32.h"
#include "platform/paths.h"
#include "app/shell_win32.h"
#include "platform/ui.h"
#include "platform/utf8.h"
#include "settings/registry_win32.h"
#include "settings/settings.h"

struct OptionBox {
    int id;
    size_t offset;
};
static const OptionBox kBoxes[] = {
    {IDC_OPT_AUTOSAVE, offsetof(SettingsRecord, autosave)},
    {IDC_OPT_PASSWORD, offsetof(SettingsRecord, kv5Password)},
    {IDC_OPT_LOCK, offsetof(SettingsRecord, lockUninstall)},
    {IDC_OPT_SMOOTH, offsetof(SettingsRecord, smoothZoom)},
    {IDC_OPT_SPRITES_RECENT, offsetof(SettingsRecord, spritesInRecent)},
    {IDC_OPT_TRANSLUCENT, offsetof(SettingsRecord, idleTranslucent)},
    {IDC_OPT_NEW_TRANSPARENT, offsetof(SettingsRecord, newImageTransparent)},
    {IDC_OPT_DETECT_ALPHA, offsetof(SettingsRecord, autoDetectAlpha)},
    {IDC_OPT_AUTHOR_TAG, offsetof(SettingsRecord, authorTag)},
    {IDC_OPT_AUTOSCROLL, offsetof(SettingsRecord, autoScroll)},
    {IDC_OPT_PREVIEW_SPRITE, offsetof(SettingsRecord, previewSprite)},
};
static const char* const kUndoSizes[] = {"1 MB  - Minimum", "2 MB  - Basic", "4 MB  - Small", "8 MB  - Default",
                                         "16 MB - Large",   "32 MB - Huge",  "64 MB - Maximum"};
static const char* const kCompression[] = {"0 - None", "1 - Minimum", "2 - Standard", "3 - Maximum"};

int opt_UndoSizeFromText(const char* text) {
    long n = std::strtol(text, nullptr, 10);
    return n < 1 ? 1 : n > 64 ? 64 : (int)n;
}

struct OptionsRun {
    SettingsRecord work;
};

static uint8_t* field(SettingsRecord* r, size_t offset) { return (uint8_t*)r + offset; }

static void OnOptionsInit(HWND w, OptionsRun* run) {
    SetWindowLongPtrA(w, GWLP_USERDATA, (LONG_PTR)run);
    for (const OptionBox& b : kBoxes) CheckDlgButton(w, b.id, *field(&run->work, b.offset) ? BST_CHECKED : 0);
    SendDlgItemMessageA(w, IDC_OPT_USER, EM_LIMITTEXT, 31, 0);
    SetDlgItemTextA(w, IDC_OPT_USER, run->work.userName);
    for (const char* t : kUndoSizes) SendDlgItemMessageA(w, IDC_OPT_UNDO, CB_ADDSTRING, 0, (LPARAM)t);
    char n[16];
    std::snprintf(n, sizeof n, "%i", run->work.undoMB);
    SetDlgItemTextA(w, IDC_OPT_UNDO, n);
    for (const char* t : kCompression) SendDlgItemMessageA(w, IDC_OPT_COMPRESSION, CB_ADDSTRING, 0, (LPARAM)t);
    SendDlgItemMessageA(w, IDC_OPT_COMPRESSION, CB_SETCURSEL, run->work.kv5Compression & 3, 0);
}

static void store_controls(HWND w, SettingsRecord* r) {
    for (const OptionBox& b : kBoxes) *field(r, b.offset) = IsDlgButtonChecked(w, b.id) == BST_CHECKED;
    // The box counts characters; the field holds 31 bytes of whole characters.
    char name[4 * sizeof r->userName];
    GetDlgItemTextA(w, IDC_OPT_USER, name, sizeof name);
    u8_CopyCut(r->userName, sizeof r->userName, name);
    char text[64];
    GetDlgItemTextA(w, IDC_OPT_UNDO, text, sizeof text);
    r->undoMB = (uint8_t)opt_UndoSizeFromText(text);
    LRESULT c = SendDlgItemMessageA(w, IDC_OPT_COMPRESSION, CB_GETCURSEL, 0, 0);
    r->kv5Compression = (uint8_t)(c < 0 ? 0 : c > 3 ? 3 : c);
}

// Writes, tells every copy and closes, with the splash over the dialog meanwhile.
static void apply_and_close(HWND w, const char* splashText) {
    // During installation the start-up splash is up already and stays.
    int own = !g_shell.splash;
    if (own) dlg_CreateSplash(g_shell.instance);
    splash_Show(splashText);
    SaveSettings();
    SendBroadcast(BROADCAST_SETTINGS);
    if (own) dlg_DestroySplash();
    EndDialog(w, 1);
}

static void OnOptionsCommand(HWND w, int id) {
    OptionsRun* run = (OptionsRun*)GetWindowLongPtrA(w, GWLP_USERDATA);
    switch (id) {
    case IDOK:
        store_controls(w, &run->work);
        set_Record(&run->work);
        apply_and_close(w, "Applying settings...");
        break;
    case IDC_OPT_DEFAULTS:
        if (ui_MessageBox("  Are you sure you want to reset\neverything (except user information)\nback to it's default setting?",
                          "Reset To Defaults", UI_YESNO | UI_ICONQUESTION) != UI_IDYES)
            break;
        ResetSettings(1);
        apply_and_close(w, "Resetting to defaults...");
        break;
    case IDCANCEL: EndDialog(w, 0); break;
    }
}

static INT_PTR CALLBACK OptionsProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: OnOptionsInit(w, (OptionsRun*)lp); return TRUE;
    case WM_COMMAND: OnOptionsCommand(w, LOWORD(wp)); return TRUE;
    }
    return FALSE;
}

int RunOptionsDialog(HWND owner) {
    OptionsRun run;
    run.work = g_settings;
    return DialogBoxParamA(g_shell.instance, MAKEINTRESOURCEA(IDD_OPTIONS), owner, OptionsProc, (LPARAM)&run) == 1;
}

// ---- associations ----

struct AssocGroup {
    const char* ext[3];
    const char* description[3];
    int icon;
};
static const AssocGroup kGroups[6] = {
    {{".kv5"}, {"Kelvara Draw Image"}, 118},
    {{".bmp", ".dib", ".rle"}, {"Bitmap Image", "Bitmap Image", "Bitmap Image"}, 245},
    {{".tga"}, {"TGA Image"}, 224},
    {{".pcx"}, {"PCX Image"}, 223},
    {{".ppm", ".pgm", ".pbm"}, {"Portable Bitmap (Color)", "Portable Bitmap (Gray)", "Portable Bitmap"}, 222},
    {{".icl"}, {"Icon Library"}, 195},
};

struct AssocRun {
    uint32_t mask;
};

static void OnAssocInit(HWND w, AssocRun* run) {
    SetWindowLongPtrA(w, GWLP_USERDATA, (LONG_PTR)run);
    for (int i = 0; i < 6; i++) CheckDlgButton(w, IDC_ASSOC_FIRST + i, (run->mask >> i) & 1 ? BST_CHECKED : 0);
}

static void apply_associations(HWND w, AssocRun* run) {
    run->mask = 0;
    for (int i = 0; i < 6; i++) {
        int on = IsDlgButtonChecked(w, IDC_ASSOC_FIRST + i) == BST_CHECKED;
        if (on) run->mask |= 1u << i;
        for (int k = 0; k < 3 && kGroups[i].ext[k]; k++) {
            if (on) AssociateExtension(kGroups[i].ext[k], kGroups[i].description[k], kGroups[i].icon);
            else UnassociateExtension(kGroups[i].ext[k]);
        }
    }
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

static INT_PTR CALLBACK AssocProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: OnAssocInit(w, (AssocRun*)lp); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDC_ASSOC_APPLY) {
            apply_associations(w, (AssocRun*)GetWindowLongPtrA(w, GWLP_USERDATA));
            EndDialog(w, 1);
        } else if (LOWORD(wp) == IDCANCEL) {
            EndDialog(w, 0);
        }
        return TRUE;
    }
    return FALSE;
}

int RunAssociationsDialog(HWND owner) {
    AssocRun run = {g_settings.assocMask};
    if (DialogBoxParamA(g_shell.instance, MAKEINTRESOURCEA(IDD_ASSOC), owner, AssocProc, (LPARAM)&run) != 1) return 0;
    set_AssocMask(run.mask);
    return 1;
}

int InstallSetup(HWND owner) {
    if (!LoadSettings()) ResetSettings(0);
    if (!SaveSettings()) return 0;
    SetProgramPathKey(path_ProgramFile());
    RegisterSettingsFileType(162);
    splash_StepAside(1);
    RunAssociationsDialog(owner);
    RunOptionsDialog(owner);
    splash_StepAside(0);
    return 1;
}
