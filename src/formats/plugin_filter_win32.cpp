// plugin_filter_win32.cpp — filter plug-ins asked through their DLLs.
//
// Every plug-in call runs under the exception guard: a plug-in that faults is named
// in "Plugin Error!!" and counts as one that said no. A DLL is loaded by its
// absolute path only (a bare name would let the system search elsewhere), its
// exports are looked up before anything is called, and it is freed right after the
// call, whatever happened. The plug-in folder is the current directory while
// plug-ins run (they find their own files relative to it); afterwards the program's
// folder is. The current directory and the caches belong to the whole process, so
// plug-in calls from several threads (kvbatch) take turns.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <mutex>

#include "engine/surface_win32.h"
#include "formats/plugin_api_win32.h"
#include "formats/plugin_filter.h"
#include "formats/sysload_win32.h"
#include "platform/paths.h"
#include "platform/refusal.h"
#include "platform/ui.h"
#include "platform/ui_win32.h"
#include "safety/exguard.h"

namespace {

const unsigned PLUGIN_BOX = UI_OK | UI_ICONWARNING;
std::mutex g_pluginTurn;

// One plug-in call, made through the guard.
struct PlgCall {
    int what;
    FARPROC fn;
    const char* text;  // path or extension
    HBITMAP bitmap;
    HWND owner;
    INT_PTR result;
};
const int CALL_LOAD = 0, CALL_IS_EXTENSION_OK = 1, CALL_SAVE = 2;

void RunCall(void* arg) {
    PlgCall* c = (PlgCall*)arg;
    switch (c->what) {
    case CALL_LOAD: c->result = (INT_PTR)((FltLoadPicture)(void*)c->fn)(c->text, c->owner); break;
    case CALL_IS_EXTENSION_OK: c->result = ((FltSaveIsExtensionOk)(void*)c->fn)(c->text); break;
    case CALL_SAVE: c->result = ((FltSavePicture)(void*)c->fn)(c->bitmap, c->text, c->owner); break;
    }
}

// The call's result; a fault is reported with the DLL's path and counts as 0 (*faulted set).
INT_PTR Guarded(PlgCall call, const char* dllPath, int* faulted) {
    call.result = 0;
    *faulted = !exg_Call(RunCall, &call);
    if (*faulted) {
        ui_MessageBox(dllPath, "Plugin Error!!", PLUGIN_BOX);
        return 0;
    }
    return call.result;
}

HMODULE LoadPlugin(const char* dllPath) {
    // A DLL that is no plug-in at all (wrong machine, missing imports) must not
    // bring up the system's error box in the middle of a scan.
    const UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE m = LoadLibraryExA(dllPath, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    SetErrorMode(mode);
    return m;
}

// The folder pattern "*.dll" also matches longer extensions through short names.
int IsDllName(const char* name) {
    const size_t n = std::strlen(name);
    return n > 4 && lstrcmpiA(name + n - 4, ".dll") == 0;
}

void Status(const char* format, const char* name) {
    char text[KV_MAX_PATH + 64];
    std::snprintf(text, sizeof text, format, name);
    ui_SetStatus(text);
}

// ---- loading ----

// One DLL's answer for a file: a bitmap the caller owns, or 0. A handle that is no
// bitmap is reported (with the DLL's file name), deleted when it is a GDI object,
// and counts as 0.
HBITMAP AskLoader(const char* dllPath, const char* file, HWND owner) {
    HMODULE m = LoadPlugin(dllPath);
    if (!m) return nullptr;
    HBITMAP got = nullptr;
    FARPROC fn = GetProcAddress(m, "flt_LoadPicture");
    if (fn) {
        int faulted;
        HANDLE h = (HANDLE)Guarded({CALL_LOAD, fn, file, nullptr, owner, 0}, dllPath, &faulted);
        if (h && GetObjectType(h) == OBJ_BITMAP) {
            got = (HBITMAP)h;
        } else if (h) {
            ui_MessageBox(path_NamePart(dllPath), "Invalid Bitmap!!", PLUGIN_BOX);
            if (GetObjectType(h)) DeleteObject(h);
        }
    }
    FreeLibrary(m);
    return got;
}

// ---- saving ----

// What a cached DLL does with the file: its result, or 0 after a defective answer,
// a fault or a missing export (then a scan follows).
int AskCachedSaver(const char* dllPath, HBITMAP bitmap, const char* file, HWND owner) {
    HMODULE m = LoadPlugin(dllPath);
    if (!m) return 0;
    int result = 0;
    FARPROC isOk = GetProcAddress(m, "flt_Save_IsExtensionOk");
    FARPROC save = GetProcAddress(m, "flt_SavePicture");
    if (isOk && save) {
        int faulted;
        if (Guarded({CALL_IS_EXTENSION_OK, isOk, ".***", nullptr, owner, 0}, dllPath, &faulted)) {
            ui_MessageBox(dllPath, "Defective Plugin!!", PLUGIN_BOX);
        } else if (!faulted) {
            result = (int)Guarded({CALL_SAVE, save, file, bitmap, owner, 0}, dllPath, &faulted);
        }
    }
    FreeLibrary(m);
    return result;
}

int AskSaver(const char* dllPath, HBITMAP bitmap, const char* file, HWND owner) {
    HMODULE m = LoadPlugin(dllPath);
    if (!m) return 0;
    int result = 0;
    FARPROC save = GetProcAddress(m, "flt_SavePicture");
    if (save) {
        int faulted;
        result = (int)Guarded({CALL_SAVE, save, file, bitmap, owner, 0}, dllPath, &faulted);
    }
    FreeLibrary(m);
    return result;
}

// ---- the scan ----

struct ScanJob {
    int direction;
    const char* file;  // absolute
    HWND owner;        // of the plug-ins' dialogs: the main window (null in kvbatch and tests)
    HBITMAP bitmap;    // saving: the Surface's own
    HBITMAP loaded;    // loading: the answer
    int result;
};

// One DLL of the folder; 1 when it handled the file.
int TryDll(ScanJob* job, const char* dllPath) {
    if (job->direction == PFLT_LOAD) {
        job->loaded = AskLoader(dllPath, job->file, job->owner);
        return job->loaded != nullptr;
    }
    job->result = AskSaver(dllPath, job->bitmap, job->file, job->owner);
    return job->result != 0;
}

// Calls `tryDll(dllPath, fileName)` for every DLL of the plug-in folder in turn until
// one returns 1; 1 when one did.
template <typename TryDll>
int EachPlugin(TryDll tryDll) {
    char pattern[KV_MAX_PATH];
    if (!path_Join(pattern, sizeof pattern, path_PluginsDir(), "*.dll")) return 0;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(pattern, &found);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int done = 0;
    do {
        char dllPath[KV_MAX_PATH];
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsDllName(found.cFileName) ||
            !path_Join(dllPath, sizeof dllPath, path_PluginsDir(), found.cFileName))
            continue;
        done = tryDll(dllPath, found.cFileName);
    } while (!done && FindNextFileA(find, &found));
    FindClose(find);
    return done;
}

// Every DLL of the plug-in folder in turn until one handles the file; that one is
// remembered for the extension.
int Scan(ScanJob* job, const char* ext) {
    return EachPlugin([&](const char* dllPath, const char* name) {
        Status(" Scanning For Plug-in :: %s", name);
        if (!TryDll(job, dllPath)) return 0;
        Status(" Plug-in Found :: %s", name);
        pflt_CacheRecord(pflt_Cache(job->direction), ext, dllPath);
        return 1;
    });
}

// 1 when the DLL says it writes `ext`; one that says so of the made-up ".***" is
// defective and does not count.
int SaysItWrites(const char* dllPath, const char* ext) {
    HMODULE m = LoadPlugin(dllPath);
    if (!m) return 0;
    FARPROC isOk = GetProcAddress(m, "flt_Save_IsExtensionOk");
    int faulted = 1, says = 0;
    if (isOk && !Guarded({CALL_IS_EXTENSION_OK, isOk, ".***", nullptr, nullptr, 0}, dllPath, &faulted) && !faulted)
        says = Guarded({CALL_IS_EXTENSION_OK, isOk, ext, nullptr, nullptr, 0}, dllPath, &faulted) != 0;
    FreeLibrary(m);
    return says;
}

// ---- the answer as a Surface ----

// Which way up the rows of a 32-bit DIB section lie: GDI reports every DIB section's
// height as positive. The bitmap is ours, so one pixel is drawn through GDI at
// (0, 0) and looked for in memory, then put back. 1 top-down, 0 bottom-up, -1
// when it cannot be told.
int RowsTopDown(HBITMAP bitmap, uint32_t* bits, uint32_t w, uint32_t h) {
    if (h == 1) return 1;
    uint32_t* first = bits;
    uint32_t* last = bits + (size_t)(h - 1) * w;
    const uint32_t keepFirst = *first, keepLast = *last;
    COLORREF probe = 0;
    for (COLORREF c : {RGB(1, 2, 3), RGB(4, 5, 6), RGB(7, 8, 9)})  // one differs from both
        if (c != (keepFirst & 0xFFFFFF) && c != (keepLast & 0xFFFFFF)) probe = c;
    const uint32_t word = (probe & 0xFF) << 16 | (probe & 0xFF00) | (probe >> 16 & 0xFF);
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return -1;
    HGDIOBJ previous = SelectObject(dc, bitmap);
    int topDown = -1;
    if (previous) {
        SetPixelV(dc, 0, 0, probe);
        GdiFlush();
        if ((*first & 0xFFFFFF) == word) topDown = 1;
        else if ((*last & 0xFFFFFF) == word) topDown = 0;
        SelectObject(dc, previous);
    }
    DeleteDC(dc);
    *first = keepFirst;
    *last = keepLast;
    return topDown;
}

// A top-down 32-bit DIB section becomes the new Surface's own bitmap as it stands,
// set up the way the engine sets up its own (record, memory DC, bitmap selected):
// the pixels of a large image are not written a second time, which under Wine
// costs a third of the decoding itself. 0 leaves the bitmap to the caller.
int AdoptBitmap(Surface* made, HBITMAP bitmap, void* bits, uint32_t w, uint32_t h) {
    std::memset(made, 0, sizeof *made);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = dc ? SelectObject(dc, bitmap) : nullptr;
    if (!previous) {
        if (dc) DeleteDC(dc);
        return 0;
    }
    srf_BeginRecord(made, &w, &h);
    made->dc = dc;
    made->bitmap = bitmap;
    made->dibBits = bits;
    made->prevBitmap = previous;
    if (srf_Lock(made) && made->width == w && made->height == h && made->stride == w) return 1;
    SelectObject(dc, previous);
    DeleteDC(dc);
    std::memset(made, 0, sizeof *made);
    return 0;
}

// The plug-in's bitmap into out; 1 when the bitmap now belongs to out. A plain
// 32-bit DIB section of a size a Surface holds is taken over (top-down) or copied
// row by row (bottom-up); anything else goes through GDI's conversion, which also
// scales large ones.
int InstallAnswer(Surface* out, HBITMAP bitmap, ImageFileInfo* info, int* ok) {
    *ok = 0;
    GdiFlush();
    DIBSECTION ds;
    std::memset(&ds, 0, sizeof ds);
    const int got = GetObjectA(bitmap, sizeof ds, &ds);
    const uint32_t w = ds.dsBm.bmWidth > 0 ? (uint32_t)ds.dsBm.bmWidth : 0;
    const uint32_t h = ds.dsBm.bmHeight > 0 ? (uint32_t)ds.dsBm.bmHeight : 0;
    size_t pixels;
    const bool plain = got == (int)sizeof ds && ds.dsBm.bmBits && ds.dsBm.bmBitsPixel == 32 &&
                       ds.dsBmih.biCompression == BI_RGB && srf_SizeAccepted(w, h, &pixels) &&
                       (uint64_t)ds.dsBm.bmWidthBytes == (uint64_t)w * 4;
    const int topDown = plain ? RowsTopDown(bitmap, (uint32_t*)ds.dsBm.bmBits, w, h) : -1;
    Surface made;
    if (topDown == 1 && AdoptBitmap(&made, bitmap, ds.dsBm.bmBits, w, h)) {
        sys_Install(out, &made, info);
        *ok = 1;
        return 1;
    }
    if (topDown == 0 && srf_CreateExact(w, h, &made)) {
        const uint32_t* bits = (const uint32_t*)ds.dsBm.bmBits;
        for (uint32_t y = 0; y < h; y++)
            std::memcpy(made.pixels + (size_t)y * made.stride, bits + (size_t)(h - 1 - y) * w, (size_t)w * 4);
        sys_Install(out, &made, info);
        *ok = 1;
        return 0;
    }
    *ok = sys_InstallBitmap(out, bitmap, info, 0);
    return 0;
}

// The path the plug-ins get: absolute, so that the change of folder cannot move it.
int FullPath(const char* path, char* out) {
    char* name;
    const DWORD n = GetFullPathNameA(path, KV_MAX_PATH, out, &name);
    return n > 0 && n < (DWORD)KV_MAX_PATH;
}

int EnterPluginFolder() { return path_PluginsDir()[0] && SetCurrentDirectoryA(path_PluginsDir()); }
void LeavePluginFolder() { SetCurrentDirectoryA(path_AppDir()); }

}  // namespace

int plugin_FilterLoad(Surface* out, const char* path, ImageFileInfo* info) {
    char file[KV_MAX_PATH], ext[KV_MAX_PATH], dll[KV_MAX_PATH];
    if (!out || !path || !info || !FullPath(path, file)) return refuse_With("bad path");
    ScanJob job{PFLT_LOAD, file, uiw_Owner(), nullptr, nullptr, 0};
    {
        std::lock_guard<std::mutex> turn(g_pluginTurn);
        if (!EnterPluginFolder()) return refuse_With("no plug-in folder");
        pflt_Extension(file, ext, sizeof ext);
        if (pflt_CacheFind(pflt_Cache(PFLT_LOAD), ext, dll, sizeof dll)) job.loaded = AskLoader(dll, file, job.owner);
        if (!job.loaded) Scan(&job, ext);
        LeavePluginFolder();
    }
    if (!job.loaded) return refuse_With("no filter plug-in read the file");

    int ok;
    if (!InstallAnswer(out, job.loaded, info, &ok)) DeleteObject(job.loaded);
    if (!ok) return refuse_With("plug-in bitmap unreadable");
    info->isProtected = 0;
    return 1;
}

int plugin_FilterWrites(const char*) { return 1; }

int plugin_FilterKnows(const char* ext) {
    if (!ext || !*ext) return 0;
    std::lock_guard<std::mutex> turn(g_pluginTurn);
    if (!EnterPluginFolder()) return 0;
    const int known = EachPlugin([&](const char* dllPath, const char*) { return SaysItWrites(dllPath, ext); });
    LeavePluginFolder();
    return known;
}

int plugin_FilterSave(Surface* s, const char* path) {
    char file[KV_MAX_PATH], ext[KV_MAX_PATH], dll[KV_MAX_PATH];
    if (!s || !path || !std::strchr(path, '.')) return refuse_With("no extension");
    if (!FullPath(path, file) || !pflt_Extension(file, ext, sizeof ext)) return refuse_With("bad path");
    HDC dc;
    HBITMAP bitmap;
    if (!srf_GetDC(&dc, &bitmap, s)) return refuse_With("surface not valid");
    ScanJob job{PFLT_SAVE, file, uiw_Owner(), bitmap, nullptr, 0};
    {
        std::lock_guard<std::mutex> turn(g_pluginTurn);
        if (!EnterPluginFolder()) {
            srf_ReleaseDC(&dc, s);
            return refuse_With("no plug-in folder");
        }
        if (pflt_CacheFind(pflt_Cache(PFLT_SAVE), ext, dll, sizeof dll))
            job.result = AskCachedSaver(dll, bitmap, file, job.owner);
        if (!job.result) Scan(&job, ext);
        LeavePluginFolder();
    }
    srf_ReleaseDC(&dc, s);
    return job.result ? job.result : refuse_With("no filter plug-in wrote the file");
}
