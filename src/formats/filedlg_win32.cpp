// filedlg_win32.cpp — the four file dialogs and the preview panel they share.
//
// Owns: the dialogs' state for the life of the program — one path buffer for the
// image dialogs and one for the sprite dialogs (open and save of a kind share it),
// and the filter index each dialog last ended with. Each run's panel state travels
// through the hook's GWLP_USERDATA and is freed when the dialog closes.
// The preview loads quietly (no message box, protected files refused and probed
// instead) and inside an exception guard, so a crashing loader or plug-in costs
// only the preview.
#include "formats/filedlg_win32.h"

#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>
#include <shellapi.h>
#include <cstdio>
#include <cstring>

#include "platform/paths.h"
#include "engine/blit.h"
#include "engine/color.h"
#include "engine/shape.h"
#include "engine/surface_win32.h"
#include "formats/dispatch.h"
#include "formats/formats_ids.h"
#include "formats/kv5_file.h"
#include "formats/preview_text.h"
#include "platform/helpviewer.h"
#include "platform/shortcut.h"
#include "safety/exguard.h"

namespace {

const size_t OPEN_PATH_CAP = KV_MAX_PATH;
const size_t SAVE_PATH_CAP = KV_MAX_PATH;
const int BOX_MIN_WIDTH = 120, BOX_MIN_HEIGHT = 80;
const UINT WM_FDP_FOCUS_NAME = WM_APP + 1;  // posted to the hook once the dialog is up

struct FilterEntry {
    const char* text;
    const char* patterns;
};

const FilterEntry kOpenFilters[] = {
    {"All Known Formats And Executables",
     "*.kv5;*.bmp;*.dib;*.rle;*.016;*.256;*.tga;*.vda;*.icb;*.vst;*.pcx;*.ppm;*.pbm;*.pgm;*.ico;*.icl;*.cur;"
     "*.ani;*.emf;*.wmf;*.jpg;*.jpe;*.jff;*.jpeg;*jfif;*.gif;*.tif;*.tiff;*.png;*.exe;*.scr;*.dll;"},
    {"Orvik Kelvara Draw Images Only", "*.kv5"},
    {"Any format (All files)", "*.*;*"},
};

const FilterEntry kSaveImageFilters[] = {
    {"Orvik Kelvara Draw Image (.kv5)", "*.kv5"},
    {"Standard Bitmaps (.bmp/.dib)", "*.bmp;*.dib"},
    {"Targa Graphics Format (.tga)", "*.tga"},
    {"PC Exchange Format (.pcx)", "*.pcx"},
    {"Portable Bitmap (.ppm)", "*.ppm;*.pbm"},
    {"JPEG - ## External ## (.jpg)", "*.jpg;*.jpe;*.jff;*.jpeg;*jfif"},
    {"PNG - ## External ## (.png)", "*.png"},
    {"Any format (All files) ", "*.*"},
};

const FilterEntry kSaveSpriteFilters[] = {
    {"Orvik Kelvara Draw Image (.kv5)", "*.kv5"},
    {"32-Bit Bitmap (.bmp/.dib)", "*.bmp;*.dib"},
};

enum DialogId { DLG_OPEN_IMAGE, DLG_OPEN_SPRITE, DLG_SAVE_IMAGE, DLG_SAVE_SPRITE, DLG_COUNT };

struct DialogKind {
    const char* title;
    const FilterEntry* filters;
    int filterCount;
    int save;
    int sprite;
};

const DialogKind kKinds[DLG_COUNT] = {
    {"Open Image", kOpenFilters, 3, 0, 0},
    {"Open Sprite", kOpenFilters, 3, 0, 1},
    {"Save Image", kSaveImageFilters, 8, 1, 0},
    {"Save Sprite", kSaveSpriteFilters, 2, 1, 1},
};

struct FileDialogState {
    char imagePath[OPEN_PATH_CAP];
    char spritePath[OPEN_PATH_CAP];
    DWORD filterIndex[DLG_COUNT];
};
FileDialogState g_fd = {"", "", {1, 1, 1, 1}};

// One run of a dialog: what the hook needs and what the preview box shows.
struct PreviewPanel {
    const DialogKind* kind;
    HWND owner;  // the dialog is centred over it
    HWND hook, dialog;
    Surface box;          // the scaled image over its background, box-sized
    int hasImage;
    HICON icon;           // folder / missing-file icon, or null
    int ownIcon;          // the icon came from the shell and is destroyed by us
    char heading[64];     // drawn in the box when there is no image
    char name[KV_MAX_PATH];  // drawn under the icon
    char info[1024];
    char folder[OPEN_PATH_CAP];  // the dialog's folder when the preview was last built
};

// A guarded preview load; lives outside the guarded call so that what it made can
// be freed when a loader crashes half-way.
struct PreviewJob {
    PreviewPanel* panel;
    char path[OPEN_PATH_CAP];
    Surface image;
    ImageFileInfo info;
};

}  // namespace

// ---- small helpers ----

static void set_text(char* dst, size_t cap, const char* text) { std::snprintf(dst, cap, "%s", text); }

static int64_t file_size(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA a;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &a)) return -1;
    return (int64_t)(((uint64_t)a.nFileSizeHigh << 32) | a.nFileSizeLow);
}

// ---- the preview box ----

static void release_content(PreviewPanel* p) {
    if (p->icon && p->ownIcon) DestroyIcon(p->icon);
    p->icon = nullptr;
    p->ownIcon = 0;
    p->hasImage = 0;
    p->heading[0] = 0;
    p->name[0] = 0;
}

static void free_panel(PreviewPanel* p) {
    release_content(p);
    if (srf_IsValid(&p->box)) srf_Destroy(&p->box);
    p->box = Surface{};
}

// Box-sized surface, made again when the control's size changed.
static int ensure_box(PreviewPanel* p) {
    RECT r = {0, 0, 0, 0};
    GetClientRect(GetDlgItem(p->hook, IDC_FDP_BOX), &r);
    uint32_t w = r.right > BOX_MIN_WIDTH ? (uint32_t)r.right : BOX_MIN_WIDTH;
    uint32_t h = r.bottom > BOX_MIN_HEIGHT ? (uint32_t)r.bottom : BOX_MIN_HEIGHT;
    if (srf_IsValid(&p->box) && srf_Refresh(&p->box) && p->box.width == w && p->box.height == h) return 1;
    if (srf_IsValid(&p->box)) srf_Destroy(&p->box);
    p->box = Surface{};
    srf_Create(w, h, &p->box);
    return srf_IsValid(&p->box);
}

// The image scaled to fit, centred, blended over the checkerboard or black.
static int draw_image(PreviewPanel* p, Surface* image) {
    if (!ensure_box(p) || !srf_Refresh(image)) return 0;
    int bw = (int)p->box.width, bh = (int)p->box.height;
    int black = IsDlgButtonChecked(p->hook, IDC_FDP_BLACK) == BST_CHECKED;
    PvtRect r = pvt_FitRect(bw, bh, image->width, image->height);
    if (!srf_Lock(&p->box)) return 0;
    drw_FillRect(&p->box, 0, 0, bw - 1, bh - 1, clr_SwapRB(GetSysColor(COLOR_BTNFACE)) & 0x00FFFFFF);
    if (black) drw_FillRect(&p->box, r.x, r.y, r.x + r.width - 1, r.y + r.height - 1, 0x00000000);
    srf_Unlock(&p->box);
    return blt_BlendSmooth(&p->box, r.x, r.y, r.x + r.width - 1, r.y + r.height - 1, image, 0, 0,
                           (int)image->width - 1, (int)image->height - 1, black ? 0 : BLT_CHECKER);
}

static void paint_box(PreviewPanel* p, const DRAWITEMSTRUCT* d) {
    RECT r = d->rcItem;
    if (p->hasImage && srf_IsValid(&p->box)) {
        HDC src = nullptr;
        HBITMAP bmp = nullptr;
        if (srf_GetDC(&src, &bmp, &p->box)) {
            GdiFlush();
            BitBlt(d->hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, src, 0, 0, SRCCOPY);
            srf_ReleaseDC(&src, &p->box);
        }
        return;
    }
    FillRect(d->hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
    FrameRect(d->hDC, &r, GetSysColorBrush(COLOR_BTNSHADOW));
    SetBkMode(d->hDC, TRANSPARENT);
    SetTextColor(d->hDC, GetSysColor(COLOR_BTNTEXT));
    HGDIOBJ oldFont = SelectObject(d->hDC, (HFONT)SendMessageA(p->hook, WM_GETFONT, 0, 0));
    int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    if (p->icon) {
        int iw = GetSystemMetrics(SM_CXICON), ih = GetSystemMetrics(SM_CYICON);
        DrawIcon(d->hDC, cx - iw / 2, cy - ih / 2 - 8, p->icon);
        RECT t = {r.left + 2, cy + ih / 2 - 4, r.right - 2, r.bottom - 2};
        DrawTextA(d->hDC, p->name, -1, &t, DT_CENTER | DT_TOP | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    if (p->heading[0]) {
        RECT t = {r.left + 4, cy - 8, r.right - 4, cy + 8};
        DrawTextA(d->hDC, p->heading, -1, &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    SelectObject(d->hDC, oldFont);
}

// The guarded part of a rebuild: load quietly, or describe what the probe finds.
static void build_preview(void* arg) {
    PreviewJob* job = (PreviewJob*)arg;
    PreviewPanel* p = job->panel;
    char sizeText[32];
    std::memset(&job->info, 0, sizeof job->info);
    job->info.quiet = 1;
    if (img_LoadFile(&job->image, job->path, &job->info) && srf_IsValid(&job->image)) {
        char typeName[96];
        SHFILEINFOA sfi;
        std::memset(&sfi, 0, sizeof sfi);
        if (SHGetFileInfoA(job->path, 0, &sfi, sizeof sfi, SHGFI_TYPENAME) && sfi.szTypeName[0])
            set_text(typeName, sizeof typeName, sfi.szTypeName);
        else
            pvt_TypeFallback(job->path, typeName, sizeof typeName);
        pvt_FileSizeText(file_size(job->path), sizeText, sizeof sizeText);
        pvt_LoadedInfo(&job->info, sizeText, typeName, p->info, sizeof p->info);
        p->hasImage = draw_image(p, &job->image);
        if (!p->hasImage) set_text(p->heading, sizeof p->heading, "No Image To Display");
        return;
    }
    set_text(p->heading, sizeof p->heading, "No Image To Display");
    ImageFileInfo probed;
    std::memset(&probed, 0, sizeof probed);
    if (kv5_Probe(job->path, &probed)) {
        if (probed.isProtected) set_text(p->heading, sizeof p->heading, "Password Protected");
        pvt_FileSizeText(file_size(job->path), sizeText, sizeof sizeText);
        pvt_ProbedInfo(&probed, sizeText, p->info, sizeof p->info);
    } else {
        set_text(p->info, sizeof p->info, "No image has been loaded!!");
    }
}

// The preview of the dialog's selection (CDM_GETFILEPATH), or after a change of
// folder of the folder itself (CDM_GETFOLDERPATH): the picture of a file in the
// folder left behind must not stay.
static void rebuild_preview(PreviewPanel* p, UINT which = CDM_GETFILEPATH) {
    release_content(p);
    char path[OPEN_PATH_CAP] = "";
    LRESULT n = SendMessageA(p->dialog, which, sizeof path, (LPARAM)path);
    if (n <= 0 || (size_t)n > sizeof path || !path[0]) {
        path[0] = 0;
        set_text(p->heading, sizeof p->heading, "Error Loading File");
        set_text(p->info, sizeof p->info, "No image has been loaded!!");
    } else {
        DWORD attr = GetFileAttributesA(path);
        if (attr == INVALID_FILE_ATTRIBUTES) {
            p->icon = LoadIconA(nullptr, IDI_QUESTION);
            set_text(p->name, sizeof p->name, path_NamePart(path));
            set_text(p->info, sizeof p->info, "<< FILE NOT FOUND >>");
        } else if (attr & FILE_ATTRIBUTE_DIRECTORY) {
            SHFILEINFOA sfi;
            std::memset(&sfi, 0, sizeof sfi);
            if (SHGetFileInfoA(path, 0, &sfi, sizeof sfi, SHGFI_ICON | SHGFI_LARGEICON) && sfi.hIcon) {
                p->icon = sfi.hIcon;
                p->ownIcon = 1;
            } else {
                p->icon = LoadIconA(nullptr, IDI_INFORMATION);
            }
            set_text(p->name, sizeof p->name, path_NamePart(path));
            set_text(p->info, sizeof p->info, "<< FILE FOLDER >>");
        } else if (IsDlgButtonChecked(p->hook, IDC_FDP_SHOW) != BST_CHECKED) {
            set_text(p->heading, sizeof p->heading, "Preview Disabled");
            set_text(p->info, sizeof p->info,
                     "You have disabled the Image Preview function.\r\nYou need to enable it by ticking the "
                     "checkbox below to load image information and preview.");
        } else {
            HWND infoField = GetDlgItem(p->hook, IDC_FDP_INFO);
            SetWindowTextA(infoField, " LOADING IMAGE... Please Wait");
            UpdateWindow(infoField);
            static PreviewJob job;  // one preview at a time; kept off the stack for the guard
            std::memset(&job, 0, sizeof job);
            job.panel = p;
            set_text(job.path, sizeof job.path, path);
            if (!exg_Call(build_preview, &job)) {
                p->hasImage = 0;
                set_text(p->heading, sizeof p->heading, "No Image To Display");
                set_text(p->info, sizeof p->info,
                         "No image has been loaded!!\r\nThe responsible module exited with an unspecified error!!");
            }
            if (srf_IsValid(&job.image)) srf_Destroy(&job.image);
            job.image = Surface{};
        }
    }
    SetDlgItemTextA(p->hook, IDC_FDP_INFO, p->info);
    SetDlgItemTextA(p->hook, IDC_FDP_PATH, path);
    SendMessageA(p->dialog, CDM_GETFOLDERPATH, sizeof p->folder, (LPARAM)p->folder);
    InvalidateRect(GetDlgItem(p->hook, IDC_FDP_BOX), nullptr, TRUE);
}

// ---- dialog events ----

static void centre_over_owner(HWND dialog, HWND owner) {
    if (!owner) return;
    RECT o, d, work;
    GetWindowRect(owner, &o);
    GetWindowRect(dialog, &d);
    int w = d.right - d.left, h = d.bottom - d.top;
    int x = o.left + ((o.right - o.left) - w) / 2, y = o.top + ((o.bottom - o.top) - h) / 2;
    if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
        if (x + w > work.right) x = work.right - w;
        if (y + h > work.bottom) y = work.bottom - h;
        if (x < work.left) x = work.left;
        if (y < work.top) y = work.top;
    }
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The file-name field: the combo box where the dialog has one, else the edit box.
static int name_field(HWND dialog) {
    HWND combo = GetDlgItem(dialog, cmb13);
    return combo && IsWindowVisible(combo) ? cmb13 : edt1;
}

// Save dialogs: a new file type becomes the default extension and replaces the
// extension of the name typed so far.
static void on_type_change(PreviewPanel* p, const OPENFILENAMEA* of) {
    int index = of ? (int)of->nFilterIndex : 0;
    HWND types = GetDlgItem(p->dialog, cmb1);
    if (types) {
        LRESULT sel = SendMessageA(types, CB_GETCURSEL, 0, 0);
        if (sel != CB_ERR) index = (int)sel + 1;
    }
    if (index < 1 || index > p->kind->filterCount) return;
    char ext[4];
    if (!pvt_PatternExtension(p->kind->filters[index - 1].patterns, ext)) return;
    SendMessageA(p->dialog, CDM_SETDEFEXT, 0, (LPARAM)ext);
    int field = name_field(p->dialog);
    char typed[OPEN_PATH_CAP] = "", renamed[OPEN_PATH_CAP];
    GetDlgItemTextA(p->dialog, field, typed, sizeof typed);
    if (!typed[0]) return;
    pvt_ReplaceExtension(typed, ext, renamed, sizeof renamed);
    SendMessageA(p->dialog, CDM_SETCONTROLTEXT, field, (LPARAM)renamed);
}

static UINT_PTR CALLBACK PreviewHook(HWND hook, UINT msg, WPARAM wp, LPARAM lp) {
    PreviewPanel* p = (PreviewPanel*)GetWindowLongPtrA(hook, GWLP_USERDATA);
    switch (msg) {
    case WM_INITDIALOG: {
        p = (PreviewPanel*)((const OPENFILENAMEA*)lp)->lCustData;
        SetWindowLongPtrA(hook, GWLP_USERDATA, (LONG_PTR)p);
        p->hook = hook;
        p->dialog = GetParent(hook);
        CheckDlgButton(hook, IDC_FDP_SHOW, BST_CHECKED);
        CheckDlgButton(hook, IDC_FDP_BLACK, BST_UNCHECKED);
        // Not the panel's first control: keys typed there would act as the dialog's
        // shortcuts (a "t" jumps to the file types, the next letter picks one).
        return FALSE;
    }
    case WM_FDP_FOCUS_NAME:
        if (p) SetFocus(GetDlgItem(p->dialog, name_field(p->dialog)));
        return 0;
    case WM_NOTIFY: {
        if (!p) break;
        const OFNOTIFYA* n = (const OFNOTIFYA*)lp;
        switch (n->hdr.code) {
        case CDN_INITDONE:
            centre_over_owner(p->dialog, p->owner);
            rebuild_preview(p);
            // The dialog settles its own focus after this notice.
            PostMessageA(hook, WM_FDP_FOCUS_NAME, 0, 0);
            break;
        case CDN_SELCHANGE: rebuild_preview(p); break;
        case CDN_FOLDERCHANGE: {
            // Also sent as the dialog opens, for the folder it starts in.
            char folder[OPEN_PATH_CAP] = "";
            SendMessageA(p->dialog, CDM_GETFOLDERPATH, sizeof folder, (LPARAM)folder);
            if (std::strcmp(folder, p->folder) != 0) rebuild_preview(p, CDM_GETFOLDERPATH);
            break;
        }
        case CDN_TYPECHANGE:
            if (p->kind->save) on_type_change(p, n->lpOFN);
            break;
        }
        return 0;
    }
    case WM_HELP: help_OpenPage("file_formats.htm"); return TRUE;  // F1 in the preview panel
    case WM_COMMAND:
        if (HIWORD(wp) == BN_CLICKED && LOWORD(wp) == IDC_FDP_HELP) help_OpenPage("file_formats.htm");
        if (p && HIWORD(wp) == BN_CLICKED && (LOWORD(wp) == IDC_FDP_SHOW || LOWORD(wp) == IDC_FDP_BLACK))
            rebuild_preview(p);
        return 0;
    case WM_DRAWITEM:
        if (p && wp == IDC_FDP_BOX) {
            paint_box(p, (const DRAWITEMSTRUCT*)lp);
            return TRUE;
        }
        break;
    case WM_DESTROY:
        if (p) free_panel(p);
        break;
    }
    return 0;
}

// ---- the dialogs ----

// "text\0patterns\0...\0\0"
static void build_filter(const DialogKind& k, char* out, size_t cap) {
    size_t used = 0;
    for (int i = 0; i < k.filterCount; i++) {
        const char* parts[2] = {k.filters[i].text, k.filters[i].patterns};
        for (const char* s : parts) {
            size_t n = std::strlen(s) + 1;
            if (used + n + 1 > cap) break;
            std::memcpy(out + used, s, n);
            used += n;
        }
    }
    out[used] = 0;
}

static void prepare_path(const DialogKind& k, const char* currentFile, char* buf) {
    if (!k.sprite && currentFile && currentFile[0]) {
        DWORD attr = GetFileAttributesA(currentFile);
        if (attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY))
            set_text(buf, OPEN_PATH_CAP, currentFile);
    }
    // A name longer than the save dialog takes would make it fail to open at all.
    if (k.save && std::strlen(buf) >= SAVE_PATH_CAP) buf[0] = 0;
    if (!buf[0]) {
        if (!path_Join(buf, k.save ? SAVE_PATH_CAP : OPEN_PATH_CAP, k.sprite ? path_SpritesDir() : path_ImagesDir(),
                       k.sprite ? "sprite.kv5" : "image.kv5"))
            buf[0] = 0;
    }
}

static int run_dialog(DialogId id, HWND owner, const char* currentFile, char* path_out) {
    const DialogKind& k = kKinds[id];
    char* buf = k.sprite ? g_fd.spritePath : g_fd.imagePath;
    prepare_path(k, currentFile, buf);

    char filter[1024];
    build_filter(k, filter, sizeof filter);
    static PreviewPanel panel;  // the dialogs are modal: one run at a time
    std::memset(&panel, 0, sizeof panel);
    panel.kind = &k;
    panel.owner = owner;

    OPENFILENAMEA of;
    std::memset(&of, 0, sizeof of);
    of.lStructSize = sizeof of;
    of.hwndOwner = owner;
    of.hInstance = GetModuleHandleA(nullptr);
    of.lpstrFilter = filter;
    of.nFilterIndex = g_fd.filterIndex[id];
    of.lpstrFile = buf;
    of.nMaxFile = (DWORD)(k.save ? SAVE_PATH_CAP : OPEN_PATH_CAP);
    of.lpstrTitle = k.title;
    char defExt[8] = "kv5";
    if (k.save) {
        // Start on the file type of the name being saved, and default to its extension.
        const char* patterns[8];
        for (int i = 0; i < k.filterCount; i++) patterns[i] = k.filters[i].patterns;
        const char* ext = pvt_Extension(buf);
        int index = pvt_PatternIndexForExtension(patterns, k.filterCount, ext);
        if (index) {
            of.nFilterIndex = (DWORD)index;
            set_text(defExt, sizeof defExt, ext + 1);
        }
    }
    if (of.nFilterIndex < 1 || of.nFilterIndex > (DWORD)k.filterCount) of.nFilterIndex = 1;
    of.lpstrDefExt = defExt;
    of.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE |
               (k.save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
    of.lCustData = (LPARAM)&panel;
    of.lpfnHook = PreviewHook;
    of.lpTemplateName = MAKEINTRESOURCEA(IDD_FILE_PREVIEW);

    int ok = k.save ? GetSaveFileNameA(&of) : GetOpenFileNameA(&of);
    if (!ok && CommDlgExtendedError() == FNERR_INVALIDFILENAME) {
        // A remembered name the dialog refuses (say a folder since removed): start empty.
        buf[0] = 0;
        ok = k.save ? GetSaveFileNameA(&of) : GetOpenFileNameA(&of);
    }
    free_panel(&panel);
    if (!ok) return 0;
    g_fd.filterIndex[id] = of.nFilterIndex;
    if (!k.save) lnk_ResolveIfShortcut(buf, OPEN_PATH_CAP);
    std::memcpy(path_out, buf, std::strlen(buf) + 1);
    return 1;
}

int img_OpenImageDialog(HWND owner, const char* currentFile, char* path_out) {
    return run_dialog(DLG_OPEN_IMAGE, owner, currentFile, path_out);
}
int img_OpenSpriteDialog(HWND owner, char* path_out) { return run_dialog(DLG_OPEN_SPRITE, owner, nullptr, path_out); }
int img_SaveImageDialog(HWND owner, const char* currentFile, char* path_out) {
    return run_dialog(DLG_SAVE_IMAGE, owner, currentFile, path_out);
}
int img_SaveSpriteDialog(HWND owner, char* path_out) { return run_dialog(DLG_SAVE_SPRITE, owner, nullptr, path_out); }
