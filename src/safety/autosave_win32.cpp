// autosave_win32.cpp — the snapshot, the worker thread, the auto-save folder and the
// restore dialog (contract in autosave_win32.h).
#include "safety/autosave_win32.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "engine/blit.h"
#include "platform/helpviewer.h"
#include "platform/paths.h"
#include "platform/sysio.h"
#include "platform/ui.h"
#include "platform/window_win32.h"
#include "safety/safety_ids.h"

// ---- the snapshot and the worker ----
//
// Fresh pages are expensive to touch for the first time, so the worker first maps
// the snapshot block in and reports it ready; the next poll on the UI thread copies
// the image into it (between two messages, so no change can overlap the copy) and
// lets the worker write.

struct AsJob {
    char dir[KV_MAX_PATH], tmp[KV_MAX_PATH], kvr[KV_MAX_PATH];
    size_t bytes;               // header and pixel block as allocated
    uint8_t* data;
    std::atomic<int> ready;     // 0 preparing, 1 block mapped, -1 no memory
    std::atomic<int> cancelled; // set by the UI thread before `go`: write nothing
    HANDLE go;                  // the UI thread is done with the job
};

// The job whose snapshot the UI thread has still to take (UI thread only).
static AsJob* g_pending;

static void free_job(AsJob* job) {
    if (!job) return;
    if (job->data) VirtualFree(job->data, 0, MEM_RELEASE);
    if (job->go) CloseHandle(job->go);
    delete job;
}

static void put_thumbnail(uint8_t* header, Surface* image) {
    Surface th{};
    if (!srf_CreateExact(AS_THUMB_SIDE, AS_THUMB_SIDE, &th)) return;  // the point is still worth keeping
    // Transparent areas show the checkerboard, as in the view.
    if (blt_BlendSmooth(&th, 0, 0, AS_THUMB_SIDE - 1, AS_THUMB_SIDE - 1, image, 0, 0, (int)image->width - 1,
                        (int)image->height - 1, BLT_CHECKER))
        for (int y = 0; y < AS_THUMB_SIDE; y++)
            std::memcpy(header + AS_THUMB_OFFSET + (size_t)y * AS_THUMB_SIDE * 4, th.pixels + (size_t)y * th.stride,
                        AS_THUMB_SIDE * 4);
    srf_Unlock(&th);
    srf_Destroy(&th);
}

static size_t snapshot_bytes(Surface* image) {
    if (!image || !srf_IsValid(image) || !srf_Refresh(image)) return 0;
    size_t pixels = as_PixelBytes((int)image->width, (int)image->height);
    return pixels ? AS_HEADER_SIZE + pixels : 0;
}

static uint8_t* map_block(size_t bytes) {
    // Fresh pages come zeroed, so the reserved word and a missing thumbnail are 0.
    return (uint8_t*)VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

// The copy the worker writes (UI thread). 0 when the image is gone or no memory is left.
static int take_snapshot(AsJob* job, Surface* image) {
    size_t bytes = snapshot_bytes(image);
    if (!bytes) return 0;
    if (bytes != job->bytes) {  // the image changed its size since the start: a new block
        VirtualFree(job->data, 0, MEM_RELEASE);
        job->bytes = bytes;
        if (!(job->data = map_block(bytes))) return 0;
    }
    uint32_t* px = srf_Lock(image);
    if (!px) return 0;
    int w = (int)image->width, h = (int)image->height;
    SYSTEMTIME st;
    GetLocalTime(&st);
    AsHeader hd = {(uint16_t)w, (uint16_t)h,
                   {st.wYear, st.wMonth, st.wDayOfWeek, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds}};
    as_PutHeader(job->data, hd);
    uint8_t* out = job->data + AS_HEADER_SIZE;
    for (int y = 0; y < h; y++) std::memcpy(out + (size_t)y * w * 4, px + (size_t)y * image->stride, (size_t)w * 4);
    put_thumbnail(job->data, image);
    srf_Unlock(image);
    return 1;
}

// Hands the pending job back to its worker, with or without a snapshot (UI thread).
static void release_pending(int cancel) {
    AsJob* job = g_pending;
    if (!job) return;
    g_pending = nullptr;
    job->cancelled = cancel;
    SetEvent(job->go);  // from here on the job is the worker's alone
}

static uint32_t write_file(void* ctx, const void* data, uint32_t bytes) {
    DWORD done = 0;
    return WriteFile((HANDLE)ctx, data, bytes, &done, nullptr) ? done : 0;
}

static void yield_cpu() { Sleep(0); }

static int write_point(AsJob* job) {
    if (GetFileAttributesA(job->dir) == INVALID_FILE_ATTRIBUTES) CreateDirectoryA(job->dir, nullptr);
    HANDLE f = CreateFileA(job->tmp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 0;
    int ok = write_file(f, job->data, (uint32_t)AS_HEADER_SIZE) == AS_HEADER_SIZE &&
             as_WriteChunks(job->data + AS_HEADER_SIZE, job->bytes - AS_HEADER_SIZE, write_file, f, yield_cpu) >= 0;
    // On disk before it replaces the last good point, which it does in one step.
    ok = ok && FlushFileBuffers(f);
    CloseHandle(f);
    if (ok && MoveFileExA(job->tmp, job->kvr, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 1;
    DeleteFileA(job->tmp);
    return 0;
}

static DWORD WINAPI worker(void* arg) {
    AsJob* job = (AsJob*)arg;
    if ((job->data = map_block(job->bytes)))
        for (size_t at = 0; at < job->bytes; at += 4096) job->data[at] = 0;
    job->ready = job->data ? 1 : -1;
    WaitForSingleObject(job->go, INFINITE);
    int cancelled = job->cancelled, ok = !cancelled && job->data && write_point(job);
    free_job(job);
    if (cancelled) as_Abandon();
    else as_Finish(ok);  // last: the UI thread may act on it at once
    return 0;
}

static int launch(void* arg, unsigned long* threadId) {
    size_t bytes = snapshot_bytes((Surface*)arg);
    AsJob* job = bytes ? new (std::nothrow) AsJob() : nullptr;
    if (!job) return 0;
    job->bytes = bytes;
    std::snprintf(job->dir, sizeof job->dir, "%s", path_AutosaveDir());
    job->go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD id = 0;
    HANDLE t = job->go && as_PointPath(as_RunId(), ".tmp", job->tmp, sizeof job->tmp) &&
                       as_PointPath(as_RunId(), ".kvr", job->kvr, sizeof job->kvr)
                   ? CreateThread(nullptr, 0, worker, job, 0, &id)
                   : nullptr;
    if (!t) {
        free_job(job);
        return 0;
    }
    CloseHandle(t);
    g_pending = job;
    *threadId = id;
    return 1;
}

int StartAutosave(Surface* image) {
    if (g_pending && g_pending->ready) {
        int ok = g_pending->ready > 0 && take_snapshot(g_pending, image);
        release_pending(!ok);
        if (!ok) {  // no memory for the copy: the worker gives up, and so does the run
            as_WaitWorker(yield_cpu);
            as_Finish(0);
            return -1;
        }
    }
    return as_Start(launch, image);
}

static void sleep_briefly() { Sleep(1); }

// The UI thread's wait for the worker; a worker still waiting for its snapshot is let go.
static void wait_worker() {
    release_pending(1);
    as_WaitWorker(sleep_briefly);
}

int SaveAutosaveNow(Surface* image) {
    int r = StartAutosave(image);
    if (r == 1) r = StartAutosave(image);  // that one was older than the image now
    for (int poll = 0; r == 0 && poll < 1024; poll++) {
        as_SetHurry(1);
        Sleep(5);
        r = StartAutosave(image);
    }
    return r;
}

// ---- the folder ----

static int point_path(const char* name, char* out, size_t cap) { return path_Join(out, cap, path_AutosaveDir(), name); }

// Calls `each` with every file matching the pattern in the auto-save folder.
template <typename Each>
static void for_each_file(const char* pattern, Each each) {
    char find[KV_MAX_PATH];
    if (!point_path(pattern, find, sizeof find)) return;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(find, &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) each(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

static void delete_named(const char* name) {
    char path[KV_MAX_PATH];
    if (point_path(name, path, sizeof path)) {
        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path);
    }
}

int NewAutosaveId() {
    SYSTEMTIME t;
    GetSystemTime(&t);
    as_DrawRunId((uint32_t)t.wSecond * 29u + t.wMilliseconds);
    return 1;
}

int AnyAutosavePoints() {
    int any = 0;
    for_each_file("*.kvr", [&](const char*) { any = 1; });
    for_each_file("*.tmp", delete_named);
    return any;
}

int DeleteRunAutosave() {
    // A worker still writing would put the point back after we deleted it.
    wait_worker();
    char path[KV_MAX_PATH];
    if (as_PointPath(as_RunId(), ".kvr", path, sizeof path)) DeleteFileA(path);
    if (as_PointPath(as_RunId(), ".tmp", path, sizeof path)) DeleteFileA(path);
    return 1;
}

int DeleteAutosaveFolder() {
    wait_worker();
    for_each_file("*", delete_named);
    return RemoveDirectoryA(path_AutosaveDir()) || !sio_FolderExists(path_AutosaveDir());
}

// ---- reading a point ----

static int read_exact(HANDLE f, void* out, size_t bytes) {
    uint8_t* p = (uint8_t*)out;
    while (bytes) {
        DWORD want = bytes > (1u << 30) ? (1u << 30) : (DWORD)bytes, got = 0;
        if (!ReadFile(f, p, want, &got, nullptr) || got == 0) return 0;
        p += got;
        bytes -= got;
    }
    return 1;
}

static HANDLE open_point(const char* path) {
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The header of an open point; 0 when short or refused.
static int read_header(HANDLE f, std::vector<uint8_t>* bytes, AsHeader* h) {
    bytes->assign(AS_HEADER_SIZE, 0);
    return read_exact(f, bytes->data(), AS_HEADER_SIZE) && as_GetHeader(bytes->data(), bytes->size(), h);
}

int ReadAutosaveHeader(const char* path, AsEntry* entry) {
    std::memset(entry, 0, sizeof *entry);
    HANDLE f = open_point(path);
    if (f == INVALID_HANDLE_VALUE) return 0;
    std::vector<uint8_t> bytes;
    int ok = read_header(f, &bytes, &entry->header);
    CloseHandle(f);
    if (!ok) return 0;
    std::snprintf(entry->name, sizeof entry->name, "%s", path_NamePart(path));
    as_IdText(entry->name, entry->idText, sizeof entry->idText);
    Surface th{};
    if (srf_CreateExact(AS_THUMB_SIDE, AS_THUMB_SIDE, &th)) {
        for (int y = 0; y < AS_THUMB_SIDE; y++)
            std::memcpy(th.pixels + (size_t)y * th.stride, bytes.data() + AS_THUMB_OFFSET + (size_t)y * AS_THUMB_SIDE * 4,
                        AS_THUMB_SIDE * 4);
        srf_Unlock(&th);
        entry->thumb = (HBITMAP)srf_Detach(&th);
    }
    return 1;
}

void as_FreeEntry(AsEntry* entry) {
    if (entry->thumb) DeleteObject(entry->thumb);
    entry->thumb = nullptr;
}

// The pixels of a point into a new surface; 0 (nothing made) when the file is short.
static int read_point(const char* path, Surface* made) {
    HANDLE f = open_point(path);
    if (f == INVALID_HANDLE_VALUE) return 0;
    std::vector<uint8_t> bytes;
    AsHeader h;
    LARGE_INTEGER size;
    int ok = read_header(f, &bytes, &h) && GetFileSizeEx(f, &size) &&
             (unsigned long long)size.QuadPart >= AS_HEADER_SIZE + as_PixelBytes(h.width, h.height) &&
             srf_CreateExact(h.width, h.height, made);
    for (uint32_t y = 0; ok && y < h.height; y++)
        ok = read_exact(f, made->pixels + (size_t)y * made->stride, (size_t)h.width * 4);
    CloseHandle(f);
    if (!ok && made->created) {
        srf_Unlock(made);
        srf_Destroy(made);
    }
    return ok;
}

// ---- the restore dialog ----

struct RestoreDialog {
    std::vector<AsEntry> entries;
    HFONT font;
    char* chosen;
    size_t cap;
};

static const int ITEM_HEIGHT = AS_THUMB_SIDE + 8;

static void clear_entries(RestoreDialog* r) {
    for (AsEntry& e : r->entries) as_FreeEntry(&e);
    r->entries.clear();
}

static void fill_list(HWND d, RestoreDialog* r) {
    HWND list = GetDlgItem(d, IDC_AS_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    clear_entries(r);
    for_each_file("*.kvr", [&](const char* name) {
        char path[KV_MAX_PATH];
        AsEntry e;
        if ((int)r->entries.size() >= AS_LIST_MAX || !point_path(name, path, sizeof path) ||
            !ReadAutosaveHeader(path, &e))
            return;
        r->entries.push_back(e);
    });
    // The ID as the item's string (for keyboard search and readers), the entry as its data.
    for (size_t i = 0; i < r->entries.size(); i++) {
        LRESULT at = SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)r->entries[i].idText);
        if (at >= 0) SendMessageA(list, LB_SETITEMDATA, (WPARAM)at, (LPARAM)i);
    }
    if (!r->entries.empty()) SendMessageA(list, LB_SETCURSEL, 0, 0);
}

static const AsEntry* selected(HWND d, RestoreDialog* r) {
    LRESULT i = SendDlgItemMessageA(d, IDC_AS_LIST, LB_GETCURSEL, 0, 0);
    if (i == LB_ERR) return nullptr;
    LRESULT k = SendDlgItemMessageA(d, IDC_AS_LIST, LB_GETITEMDATA, (WPARAM)i, 0);
    return k >= 0 && (size_t)k < r->entries.size() ? &r->entries[(size_t)k] : nullptr;
}

static void OnDrawItem(RestoreDialog* r, const DRAWITEMSTRUCT* di) {
    if (di->itemID == (UINT)-1 || di->itemData >= r->entries.size()) return;
    const AsEntry& e = r->entries[di->itemData];
    int sel = (di->itemState & ODS_SELECTED) != 0;
    HBRUSH back = GetSysColorBrush(sel ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    FillRect(di->hDC, &di->rcItem, back);
    int x = di->rcItem.left + 4, y = di->rcItem.top + 4;
    if (e.thumb) {
        HDC mem = CreateCompatibleDC(di->hDC);
        HGDIOBJ old = SelectObject(mem, e.thumb);
        BitBlt(di->hDC, x, y, AS_THUMB_SIDE, AS_THUMB_SIDE, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
    }
    char text[160];
    as_ItemText(e.idText, e.header, text, sizeof text);
    RECT tr = {x + AS_THUMB_SIDE + 8, y, di->rcItem.right - 4, di->rcItem.bottom - 4};
    HGDIOBJ oldFont = SelectObject(di->hDC, r->font ? (HGDIOBJ)r->font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(di->hDC, TRANSPARENT);
    SetTextColor(di->hDC, GetSysColor(sel ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextA(di->hDC, text, -1, &tr, DT_LEFT | DT_TOP | DT_NOPREFIX);
    SelectObject(di->hDC, oldFont);
    if (di->itemState & ODS_FOCUS) DrawFocusRect(di->hDC, &di->rcItem);
}

static void OnDelete(HWND d, RestoreDialog* r) {
    const AsEntry* e = selected(d, r);
    if (!e) return;
    char q[64];
    std::snprintf(q, sizeof q, "Are you sure you want to delete %i?", std::atoi(e->idText));
    if (ui_MessageBox(q, "Delete Auto-save Point?", UI_YESNO | UI_ICONQUESTION) != UI_IDYES) return;
    delete_named(e->name);
    fill_list(d, r);
}

static void OnDeleteAll(HWND d, RestoreDialog* r) {
    if (ui_MessageBox("All auto-save info will be lost!!\nAre you sure you want to do this?",
                      "Purge All Auto-save Info?", UI_YESNO | UI_ICONQUESTION) != UI_IDYES)
        return;
    DeleteAutosaveFolder();
    sio_CreateFolder(path_AutosaveDir());
    EndDialog(d, 0);
}

static INT_PTR CALLBACK RestoreProc(HWND d, UINT msg, WPARAM wp, LPARAM lp) {
    RestoreDialog* r = (RestoreDialog*)GetWindowLongPtrA(d, GWLP_USERDATA);
    switch (msg) {
    case WM_INITDIALOG:
        r = (RestoreDialog*)lp;
        SetWindowLongPtrA(d, GWLP_USERDATA, lp);
        r->font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
        fill_list(d, r);
        wnd_CentreOver(d, GetParent(d));
        return TRUE;
    case WM_MEASUREITEM:  // arrives before WM_INITDIALOG: needs nothing but the constant
        ((MEASUREITEMSTRUCT*)lp)->itemHeight = ITEM_HEIGHT;
        return TRUE;
    case WM_DRAWITEM:
        if (r) OnDrawItem(r, (const DRAWITEMSTRUCT*)lp);
        return TRUE;
    case WM_HELP: help_OpenPage("autosave.htm"); return TRUE;  // F1
    case WM_COMMAND:
        if (!r) break;
        switch (LOWORD(wp)) {
        case IDOK:
            if (const AsEntry* e = selected(d, r)) {
                std::snprintf(r->chosen, r->cap, "%s", e->name);
                EndDialog(d, 1);
            }
            return TRUE;
        case IDCANCEL: EndDialog(d, 0); return TRUE;
        case IDC_AS_DELETE: OnDelete(d, r); return TRUE;
        case IDC_AS_DELETE_ALL: OnDeleteAll(d, r); return TRUE;
        case IDC_AS_REFRESH: fill_list(d, r); return TRUE;
        case IDHELP: help_OpenPage("autosave.htm"); return TRUE;
        }
        break;
    case WM_DESTROY:
        if (r) {
            clear_entries(r);
            if (r->font) DeleteObject(r->font);
            r->font = nullptr;
        }
        break;
    }
    return FALSE;
}

int as_RunRestoreDialog(HWND owner, char* chosenName, size_t cap) {
    if (!chosenName || !cap) return 0;
    chosenName[0] = 0;
    RestoreDialog r;
    r.font = nullptr;
    r.chosen = chosenName;
    r.cap = cap;
    INT_PTR got = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_AUTOSAVE_RESTORE), owner,
                                  RestoreProc, (LPARAM)&r);
    clear_entries(&r);  // also when the dialog could not be made
    return got == 1 && chosenName[0];
}

int RestoreAutosave(HWND owner, Surface* image) {
    char name[64];
    if (!as_RunRestoreDialog(owner, name, sizeof name)) return 0;
    // This run's worker may be writing the very file chosen.
    wait_worker();
    char path[KV_MAX_PATH], run[KV_MAX_PATH];
    Surface made{};
    if (!point_path(name, path, sizeof path) || !read_point(path, &made)) return 0;
    srf_Install(image, &made);
    // The restored image becomes this run's point.
    if (as_PointPath(as_RunId(), ".kvr", run, sizeof run) && lstrcmpiA(path, run) != 0 &&
        !MoveFileExA(path, run, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        DeleteFileA(path);
    return 1;
}
