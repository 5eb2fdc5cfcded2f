// icon_win32.cpp — icons and icon resources (".ico", ".cur", ".exe", ".dll", …) as
// Surfaces: the shell extracts them at the system's large-icon size, ico_ToSurface
// draws one over the key colour and makes the key transparent, and the picker
// dialog (template IDD_ICON_PICK) lets the user step through a file's icons.
// An ".ico" or ".cur" file in which the extractor finds no icon (cursor files, for
// one) is loaded whole as an icon or cursor image at the default size instead, with
// nothing to pick. A monochrome icon (no colour bitmap, the mask twice the height:
// image over mask) becomes a Surface of the mask's width by half its height.
#include <windows.h>
#include <shellapi.h>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include "engine/surface_win32.h"
#include "formats/fileio.h"
#include "formats/formats_ids.h"
#include "formats/kv5_file.h"
#include "formats/rdwr.h"
#include "formats/sysload_win32.h"

namespace {

int IconCount(const char* path) {
    UINT n = ExtractIconExA(path, -1, nullptr, nullptr, 0);
    return n > (UINT)INT_MAX ? 0 : (int)n;
}

HICON ExtractLarge(const char* path, int index) {
    HICON large = nullptr;
    if (ExtractIconExA(path, index, &large, nullptr, 1) < 1) return nullptr;
    return large;
}

// The system's icon extractor and loader read an icon or cursor file where its
// directory points, past the file's end when it lies; a fault in there is caught, but
// leaves the file open. So such a file must hold every entry and every image its
// directory names; files of other kinds (modules) are the system's to judge.
int DirectoryHolds(const char* path) {
    const size_t MAX_ICON_FILE = (size_t)16 << 20;
    uint8_t* data;
    size_t size;
    if (!fio_ReadPrefix(path, 4, &data, &size)) return 0;
    const int directory = size == 4 && rd_U16At(data, 0) == 0 && (rd_U16At(data, 2) == 1 || rd_U16At(data, 2) == 2);
    std::free(data);
    if (!directory) return 1;
    if (!fio_ReadPrefix(path, MAX_ICON_FILE + 1, &data, &size)) return 0;
    const uint32_t count = size >= 6 ? rd_U16At(data, 4) : 0;
    int holds = size <= MAX_ICON_FILE && count > 0 && 6 + 16 * (uint64_t)count <= size;
    for (uint32_t i = 0; holds && i < count; i++) {
        const uint8_t* entry = data + 6 + 16 * (size_t)i;
        holds = (uint64_t)rd_U32At(entry, 12) + rd_U32At(entry, 8) <= size;
    }
    std::free(data);
    return holds;
}

bool IconOrCursorFile(const char* path) {
    const size_t n = std::strlen(path);
    return n >= 4 && (lstrcmpiA(path + n - 4, ".ico") == 0 || lstrcmpiA(path + n - 4, ".cur") == 0);
}

// The file's image through the system image loader, as an icon or else as a cursor.
int LoadWhole(const char* path, Surface* made) {
    for (UINT type : {IMAGE_ICON, IMAGE_CURSOR}) {
        HANDLE h = LoadImageA(nullptr, path, type, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE);
        if (!h) continue;
        const int ok = ico_ToSurface(made, (HICON)h);
        if (type == IMAGE_ICON) DestroyIcon((HICON)h);
        else DestroyCursor((HCURSOR)h);
        return ok;
    }
    return 0;
}

// The picker's in/out record, handed over through lParam and kept in GWLP_USERDATA.
struct IconPick {
    const char* path;
    int count;
    int index;
    HICON shown;    // owned here; the static control only displays it
    Surface* made;  // receives the chosen icon on OK
};

IconPick* PickOf(HWND dlg) { return (IconPick*)GetWindowLongPtrA(dlg, GWLP_USERDATA); }

void ShowCurrent(HWND dlg, IconPick* pick) {
    HICON icon = ExtractLarge(pick->path, pick->index);
    SendDlgItemMessageA(dlg, IDC_ICOPICK_PICTURE, STM_SETICON, (WPARAM)icon, 0);
    if (pick->shown) DestroyIcon(pick->shown);
    pick->shown = icon;
    char counter[32];
    std::snprintf(counter, sizeof counter, "%i of %i", pick->index + 1, pick->count);
    SetDlgItemTextA(dlg, IDC_ICOPICK_COUNTER, counter);
}

void OnStep(HWND dlg, IconPick* pick, int step) {
    int next = pick->index + step;
    if (next < 0) next = 0;
    if (next > pick->count - 1) next = pick->count - 1;
    pick->index = next;
    ShowCurrent(dlg, pick);
}

void OnOk(HWND dlg, IconPick* pick) {
    HICON icon = ExtractLarge(pick->path, pick->index);
    int ok = icon && ico_ToSurface(pick->made, icon);
    if (icon) DestroyIcon(icon);
    EndDialog(dlg, ok);
}

INT_PTR CALLBACK PickProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dlg, GWLP_USERDATA, lp);
        ShowCurrent(dlg, (IconPick*)lp);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDOK: OnOk(dlg, PickOf(dlg)); return TRUE;
        case IDCANCEL: EndDialog(dlg, 0); return TRUE;
        case IDC_ICOPICK_NEXT: OnStep(dlg, PickOf(dlg), 1); return TRUE;
        case IDC_ICOPICK_PREV: OnStep(dlg, PickOf(dlg), -1); return TRUE;
        }
        break;
    }
    return FALSE;
}

// "Select a resource to load" on the file's icons; 1 with the chosen icon in *made.
int RunPicker(const char* path, Surface* made) {
    IconPick pick{path, IconCount(path), 0, nullptr, made};
    if (pick.count < 1) return 0;
    INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ICON_PICK),
                                GetActiveWindow(), PickProc, (LPARAM)&pick);
    if (pick.shown) DestroyIcon(pick.shown);
    return r == 1 ? 1 : 0;
}

}  // namespace

int ico_ToSurface(Surface* out, HICON icon) {
    if (!out || !icon) return 0;
    ICONINFO ii{};
    if (!GetIconInfo(icon, &ii)) return 0;
    BITMAP bm;
    LONG w = 0, h = 0;
    // Without a colour bitmap the mask holds the image above the mask proper.
    if (ii.hbmMask && GetObjectA(ii.hbmMask, sizeof bm, &bm)) w = bm.bmWidth, h = bm.bmHeight / 2;
    if (ii.hbmColor && GetObjectA(ii.hbmColor, sizeof bm, &bm)) w = bm.bmWidth, h = bm.bmHeight;
    Surface made;
    int ok = w > 0 && h > 0 && srf_CreateExact((uint32_t)w, (uint32_t)h, &made);
    if (ok) {
        for (LONG y = 0; y < h; y++)
            for (LONG x = 0; x < w; x++) made.pixels[(size_t)y * made.stride + x] = ICO_KEY_COLOUR;
        HDC dc;
        // Drawn square: for a non-square icon the part below the drawing keeps the
        // key colour, that is, stays transparent.
        ok = srf_GetDC(&dc, nullptr, &made) && DrawIconEx(dc, 0, 0, icon, w, w, 0, nullptr, DI_NORMAL);
        srf_ReleaseDC(&dc, &made);
        if (ok) {
            for (LONG y = 0; y < h; y++) {
                uint32_t* row = made.pixels + (size_t)y * made.stride;
                for (LONG x = 0; x < w; x++) {
                    const uint32_t p = row[x] & 0x00FFFFFF;
                    row[x] = p == ICO_KEY_COLOUR ? 0xFF000000 | p : p;
                }
            }
            sys_Install(out, &made, nullptr);
        } else {
            srf_Unlock(&made);
            srf_Destroy(&made);
        }
    }
    if (ii.hbmMask) DeleteObject(ii.hbmMask);
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    return ok ? 1 : 0;
}

int ico_Load(Surface* out, const char* path, ImageFileInfo* info) {
    if (!out || !path || !DirectoryHolds(path)) return 0;
    Surface made{};
    int ok;
    if (IconCount(path) < 1 && IconOrCursorFile(path)) {
        ok = LoadWhole(path, &made);
    } else if (info && info->quiet) {
        HICON icon = ExtractLarge(path, 0);
        ok = icon && ico_ToSurface(&made, icon);
        if (icon) DestroyIcon(icon);
    } else {
        ok = RunPicker(path, &made);
    }
    if (ok) sys_Install(out, &made, info);
    return ok;
}
