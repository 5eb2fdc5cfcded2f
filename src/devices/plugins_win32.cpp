// plugins_win32.cpp — device plug-ins and the plug-in manager (plugins_win32.h).
#include "devices/plugins_win32.h"

#include <commdlg.h>
#include <shellapi.h>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "devices/devices_ids.h"
#include "engine/surface_win32.h"
#include "formats/imageinfo.h"
#include "formats/plugin_api_win32.h"
#include "formats/preview_text.h"
#include "formats/sysload_win32.h"
#include "platform/helpviewer.h"
#include "platform/paths.h"
#include "platform/shortcut.h"
#include "platform/sysio.h"
#include "platform/ui.h"
#include "safety/exguard.h"

namespace {

typedef HBITMAP (*DevLoadPicture)(HWND owner);
typedef int (*DevSavePicture)(HBITMAP bitmap, HWND owner);

const char NO_INFO[] = "<<information unavailable.>>";

// The plug-in folder's file `name`, by absolute path; 0 when it does not fit.
int PluginPath(const char* name, char* out, size_t cap) { return path_Join(out, cap, path_PluginsDir(), name); }

HMODULE LoadPlugin(const char* name) {
    char path[KV_MAX_PATH];
    return PluginPath(name, path, sizeof path) ? LoadLibraryA(path) : nullptr;
}

int Exports(const char* name, const char* function) {
    HMODULE m = LoadPlugin(name);
    int has = m && GetProcAddress(m, function);
    if (m) FreeLibrary(m);
    return has;
}

// Every "*.dll" of the plug-in folder, to `add`.
template <class Fn>
void EachDll(Fn add) {
    char pattern[KV_MAX_PATH];
    if (!PluginPath("*.dll", pattern, sizeof pattern)) return;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(pattern, &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) add(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

const char* TypeName(int type) {
    return type == PLG_TYPE_FILTER ? "Image File Filter Plug-in"
           : type == PLG_TYPE_DEVICE ? "Imaging Device Plug-in"
                                     : "Unknown Plug-in";
}

// A guarded call of one of the plug-in's entry points.
struct Call {
    void* fn;
    int kind;  // 0 name and type, 1 about/configure, 2 device load, 3 device save
    HWND owner;
    HBITMAP bitmap;
    char name[PLG_NAME_BUFFER + 1];
    intptr_t result;
};

void RunCall(void* arg) {
    Call* c = (Call*)arg;
    switch (c->kind) {
    case 0: c->result = ((PlgGetNameAndType)c->fn)(c->name); break;
    case 1: c->result = ((PlgAbout)c->fn)(c->owner); break;
    case 2: c->result = (intptr_t)((DevLoadPicture)c->fn)(c->owner); break;
    default: c->result = ((DevSavePicture)c->fn)(c->bitmap, c->owner); break;
    }
}

// Name and type of a plug-in; 0 when it has no such export or faulted.
int Describe(const char* file, char* name, size_t cap, int* type) {
    HMODULE m = LoadPlugin(file);
    Call c{};
    c.fn = m ? (void*)GetProcAddress(m, "plg_GetNameAndType") : nullptr;
    int ok = c.fn && exg_Call(RunCall, &c);
    if (m) FreeLibrary(m);
    if (!ok) return 0;
    c.name[PLG_NAME_BUFFER] = 0;
    std::snprintf(name, cap, "%s", c.name);
    *type = (int)c.result;
    return 1;
}

// plg_About or plg_Configure with the dialog as owner; a beep without it.
void AboutOrConfigure(HWND dlg, const char* file, const char* which) {
    HMODULE m = LoadPlugin(file);
    Call c{};
    c.kind = 1;
    c.owner = dlg;
    c.fn = m ? (void*)GetProcAddress(m, which) : nullptr;
    if (c.fn) exg_Call(RunCall, &c);  // a fault here is ignored
    else MessageBeep(0);
    if (m) FreeLibrary(m);
}

int SelectedText(HWND dlg, int combo, char* out, size_t cap) {
    HWND list = GetDlgItem(dlg, IDC_PLG_LIST);
    UINT getSel = combo ? CB_GETCURSEL : LB_GETCURSEL, getLen = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
    UINT getText = combo ? CB_GETLBTEXT : LB_GETTEXT;
    LRESULT at = SendMessageA(list, getSel, 0, 0);
    if (at < 0 || SendMessageA(list, getLen, (WPARAM)at, 0) >= (LRESULT)cap) return 0;
    SendMessageA(list, getText, (WPARAM)at, (LPARAM)out);
    return 1;
}

void ShowInfo(HWND dlg, int combo) {
    char file[KV_MAX_PATH], name[PLG_NAME_BUFFER + 1] = "", info[160] = "";
    int type = 0;
    if (!SelectedText(dlg, combo, file, sizeof file)) return;
    int described = Describe(file, name, sizeof name, &type);
    if (!described) std::snprintf(name, sizeof name, "%s", NO_INFO);
    if (combo) {
        if (described) std::snprintf(info, sizeof info, "Type: %s", TypeName(type));
    } else {
        char path[KV_MAX_PATH], size[32] = "<unknown>";
        WIN32_FILE_ATTRIBUTE_DATA fa;
        if (PluginPath(file, path, sizeof path) && GetFileAttributesExA(path, GetFileExInfoStandard, &fa))
            pvt_FileSizeText((int64_t)fa.nFileSizeHigh << 32 | fa.nFileSizeLow, size, sizeof size);
        std::snprintf(info, sizeof info, "Type: %s\nSize: %s\n", TypeName(described ? type : 0), size);
    }
    SetDlgItemTextA(dlg, IDC_PLG_NAME, name);
    SetDlgItemTextA(dlg, IDC_PLG_INFO, info);
}

// ---- device chooser ----

struct Chooser {
    const char* wanted;
    char* name;
    size_t cap;
};

INT_PTR CALLBACK ChooserProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    Chooser* c = (Chooser*)GetWindowLongPtrA(dlg, GWLP_USERDATA);
    HWND list = GetDlgItem(dlg, IDC_PLG_LIST);
    switch (msg) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dlg, GWLP_USERDATA, lp);
        c = (Chooser*)lp;
        SetDlgItemTextA(dlg, IDOK, std::strstr(c->wanted, "Load") ? "Load Image" : "Send Image");
        int any = 0;
        EachDll([&](const char* file) {
            any = 1;
            if (Exports(file, c->wanted)) SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)file);
        });
        if (!any) SendMessageA(list, CB_ADDSTRING, 0, (LPARAM) "<<no device plugins found>>");
        SendMessageA(list, CB_SETCURSEL, 0, 0);
        ShowInfo(dlg, 1);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_PLG_LIST:
            if (HIWORD(wp) == CBN_SELCHANGE) ShowInfo(dlg, 1);
            return TRUE;
        case IDC_PLG_ABOUT: {
            char file[KV_MAX_PATH];
            if (SelectedText(dlg, 1, file, sizeof file)) AboutOrConfigure(dlg, file, "plg_About");
            return TRUE;
        }
        case IDOK: {
            char path[KV_MAX_PATH];
            int ok = SelectedText(dlg, 1, c->name, c->cap) && PluginPath(c->name, path, sizeof path) &&
                     sio_FileReadable(path);
            EndDialog(dlg, ok);
            return TRUE;
        }
        case IDCANCEL: EndDialog(dlg, 0); return TRUE;
        }
        break;
    }
    return FALSE;
}

// ---- manager ----

void Refresh(HWND dlg) {
    HWND list = GetDlgItem(dlg, IDC_PLG_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    EachDll([&](const char* file) { SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)file); });
    if (!SendMessageA(list, LB_GETCOUNT, 0, 0)) SendMessageA(list, LB_ADDSTRING, 0, (LPARAM) "<<no plugins found>>");
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    ShowInfo(dlg, 0);
}

void AddNew(HWND dlg) {
    char path[KV_MAX_PATH] = "";
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = dlg;
    ofn.lpstrFilter = "Kelvara Plug-ins (.dll)\0*.dll\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof path;
    ofn.lpstrTitle = "Select Plug-in's \".dll\" File";
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (GetOpenFileNameA(&ofn) && plugin_Install(dlg, path)) Refresh(dlg);
}

void OnDrop(HWND dlg, HDROP drop) {
    char path[KV_MAX_PATH];
    UINT n = DragQueryFileA(drop, 0, path, sizeof path);
    DragFinish(drop);
    if (n && MessageBoxA(dlg, "You've drag-dropped a file onto Plugin Manager.\nWould you like to attempt plug-in installation?",
                         "Install Plugin", MB_YESNO | MB_ICONQUESTION) == IDYES &&
        plugin_Install(dlg, path))
        Refresh(dlg);
}

INT_PTR CALLBACK ManagerProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        DragAcceptFiles(dlg, TRUE);
        Refresh(dlg);
        return TRUE;
    case WM_DROPFILES: OnDrop(dlg, (HDROP)wp); return TRUE;
    case WM_COMMAND: {
        char file[KV_MAX_PATH];
        switch (LOWORD(wp)) {
        case IDC_PLG_LIST:
            if (HIWORD(wp) == LBN_SELCHANGE) ShowInfo(dlg, 0);
            return TRUE;
        case IDC_PLG_ABOUT:
        case IDC_PLG_CONFIGURE:
            if (SelectedText(dlg, 0, file, sizeof file))
                AboutOrConfigure(dlg, file, LOWORD(wp) == IDC_PLG_ABOUT ? "plg_About" : "plg_Configure");
            return TRUE;
        case IDC_PLG_ADD: AddNew(dlg); return TRUE;
        case IDC_PLG_UNINSTALL:
            if (SelectedText(dlg, 0, file, sizeof file) && plugin_Uninstall(dlg, file)) Refresh(dlg);
            return TRUE;
        case IDC_PLG_HELP: help_OpenPage("devices.htm"); return TRUE;
        case IDC_PLG_LINK:
            SetDlgItemTextA(dlg, IDC_PLG_LINK, "Connecting...");
            UpdateWindow(GetDlgItem(dlg, IDC_PLG_LINK));
            ShellExecuteA(dlg, "open", "https://kelvara.example/plugins", nullptr, nullptr, SW_SHOWNORMAL);
            SetDlgItemTextA(dlg, IDC_PLG_LINK, "<< click here to download plugins >>");
            return TRUE;
        case IDCANCEL: EndDialog(dlg, 0); return TRUE;
        }
        break;
    }
    }
    return FALSE;
}

}  // namespace

int plugin_DeviceChooserDialog(HWND owner, const char* wanted, char* name, size_t cap) {
    Chooser c = {wanted, name, cap};
    if (cap) name[0] = 0;
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_DEVICE_CHOOSER), owner, ChooserProc,
                           (LPARAM)&c) == 1;
}

int plugin_DeviceLoad(Surface* out, const char* dllName, HWND main) {
    ui_SetStatus(" Importing image from device plugin...");
    HMODULE m = LoadPlugin(dllName);
    Call c{};
    c.kind = 2;
    c.owner = main;
    c.fn = m ? (void*)GetProcAddress(m, "dev_LoadPicture") : nullptr;
    int ok = 0;
    if (c.fn && !exg_Call(RunCall, &c)) {
        MessageBoxA(main, dllName, "Device Error!!", MB_OK | MB_ICONEXCLAMATION);
    } else if (c.result) {
        HBITMAP bmp = (HBITMAP)c.result;
        ImageFileInfo info{};
        ok = GetObjectType(bmp) == OBJ_BITMAP && sys_InstallBitmap(out, bmp, &info, 0);
        DeleteObject(bmp);
    }
    if (m) FreeLibrary(m);
    return ok;
}

int plugin_DeviceSave(Surface* image, const char* dllName, HWND main) {
    ui_SetStatus(" Exporting image to device plugin...");
    HMODULE m = LoadPlugin(dllName);
    Call c{};
    c.kind = 3;
    c.owner = main;
    c.fn = m ? (void*)GetProcAddress(m, "dev_SavePicture") : nullptr;
    HDC dc;
    HBITMAP bmp;
    int result = 0;
    if (c.fn && srf_GetDC(&dc, &bmp, image)) {
        c.bitmap = bmp;
        if (exg_Call(RunCall, &c)) result = (int)c.result;
        else MessageBoxA(main, dllName, "Device Error!!", MB_OK | MB_ICONEXCLAMATION);
        srf_ReleaseDC(&dc, image);
    }
    if (m) FreeLibrary(m);
    return result;
}

namespace {

// 1 when a device exporting `wanted` was chosen into `dll`; else says so.
int ChooseDevice(HWND main, const char* wanted, char* dll, size_t cap) {
    if (plugin_DeviceChooserDialog(main, wanted, dll, cap)) return 1;
    ui_MessageBox("No device was selected.", "No Device", UI_OK | UI_ICONWARNING);
    return 0;
}

int ReportFailure(const char* text, const char* title) {
    ui_SetStatus(" Cancelled");
    ui_MessageBox(text, title, UI_OK | UI_ICONWARNING);
    return 0;
}

}  // namespace

int plugin_ImportFromDevice(Surface* out, HWND main) {
    char dll[KV_MAX_PATH];
    if (!ChooseDevice(main, "dev_LoadPicture", dll, sizeof dll)) return 0;
    if (plugin_DeviceLoad(out, dll, main)) return 1;
    return ReportFailure("Image import was cancelled or failed", "Image Import Failed");
}

int plugin_ExportToDevice(Surface* image, HWND main) {
    char dll[KV_MAX_PATH];
    if (!ChooseDevice(main, "dev_SavePicture", dll, sizeof dll)) return 0;
    if (!plugin_DeviceSave(image, dll, main)) return ReportFailure("Image export was cancelled or failed", "Image Export Failed");
    ui_SetStatus(" Complete...");
    return 1;
}

void plugin_ManagerDialog(HWND owner) {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PLUGIN_MANAGER), owner, ManagerProc, 0);
}

int plugin_Install(HWND owner, const char* given) {
    char path[KV_MAX_PATH];
    std::snprintf(path, sizeof path, "%s", given);
    lnk_ResolveIfShortcut(path, sizeof path);
    HMODULE m = LoadLibraryA(path);
    int valid = m && GetProcAddress(m, "plg_GetNameAndType");
    if (m) FreeLibrary(m);
    if (!valid) {
        MessageBoxA(owner, "This .dll file is not a valid Kelvara plug-in.\nIt doesn't expose any compatible plug-in interface.",
                    "Error - Invalid Plug-in!", MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    char target[KV_MAX_PATH];
    // Never over a plug-in already there, and a failed copy says nothing.
    if (!PluginPath(path_NamePart(path), target, sizeof target) || !CopyFileA(path, target, TRUE)) return 0;
    MessageBoxA(owner, "Plugin successfully installed", "Install Plugin", MB_OK | MB_ICONINFORMATION);
    return 1;
}

int plugin_Uninstall(HWND owner, const char* file) {
    char path[KV_MAX_PATH], text[KV_MAX_PATH + 64];
    if (!PluginPath(file, path, sizeof path) || !sio_FileReadable(path)) return 0;
    std::snprintf(text, sizeof text, "Are you sure you want to delete\n\"%s\" ?", file);
    if (MessageBoxA(owner, text, "Plugin Uninstall", MB_YESNO | MB_ICONEXCLAMATION) != IDYES) return 0;
    std::snprintf(text, sizeof text, "Confirm deletion for\n\"%s\"\nProceed?", file);
    if (MessageBoxA(owner, text, "Confirm Uninstall", MB_YESNO | MB_ICONEXCLAMATION) != IDYES) return 0;
    DeleteFileA(path);
    // The plug-in's own settings go with it.
    char* dot = std::strrchr(path, '.');
    for (const char* ext : {".ini", ".cfg", ".kvr"})
        if (dot && (size_t)(dot - path) + 5 <= sizeof path) {
            std::strcpy(dot, ext);
            DeleteFileA(path);
        }
    std::snprintf(text, sizeof text, "The following plugin has been deleted:\n\"%s\"", file);
    MessageBoxA(owner, text, "File Deleted", MB_OK | MB_ICONINFORMATION);
    return 1;
}
