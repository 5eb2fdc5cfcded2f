// driver_win32.cpp — see driver_win32.h.
#include "e2e/driver_win32.h"

#include "app/app_ids.h"

#include <shlobj.h>
#include "engine/shape.h"
#include "engine/surface.h"
#include "formats/kv5_file.h"
#include "formats/bmp_file.h"
#include "settings/settings.h"
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <cstring>

static const int POLL_MS = 50;

std::string drv_ProgramPath() {
    char me[MAX_PATH];
    GetModuleFileNameA(nullptr, me, sizeof me);
    std::string s(me);
    s = s.substr(0, s.find_last_of('\\'));  // tests folder
    s = s.substr(0, s.find_last_of('\\'));  // build folder
    return s + "\\kelvara.exe";
}

std::string drv_MakeFolder(const char* name, const std::string& settingsFile) {
    char me[MAX_PATH];
    GetModuleFileNameA(nullptr, me, sizeof me);
    std::string dir = std::string(me).substr(0, std::string(me).find_last_of('\\')) + "\\e2e_run\\" + name;
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    std::filesystem::create_directories(dir, ignored);
    CopyFileA(drv_ProgramPath().c_str(), (dir + "\\kelvara.exe").c_str(), FALSE);
    // The shipped filter plug-ins, as an installation has them.
    std::filesystem::create_directories(dir + "\\Plugins", ignored);
    for (const char* dll : {"JPEG filter.dll", "PNG filter.dll", "Imaging filter.dll"})
        CopyFileA(drv_BuildPath((std::string("Plugins\\") + dll).c_str()).c_str(), (dir + "\\Plugins\\" + dll).c_str(),
                  FALSE);
    if (!settingsFile.empty()) std::ofstream(dir + "\\Kelvara.kvr", std::ios::binary) << settingsFile;
    return dir;
}

int drv_Start(KvProcess* p, const std::string& folder, const char* args) {
    drv_ParkPointer();
    p->pi = PROCESS_INFORMATION{};
    p->main = nullptr;
    p->folder = folder;
    std::string cmd = "\"" + folder + "\\kelvara.exe\" " + (args ? args : "");
    STARTUPINFOA si;
    std::memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    std::string line = cmd;
    return CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &p->pi);
}

int drv_StartReady(KvProcess* p, const std::string& folder, const char* args) {
    return drv_Start(p, folder, args) && drv_WaitMain(p, DRV_START_MS) &&
           drv_WaitStatus(p->main, " All systems go!!", DRV_START_MS);
}

int drv_SaveInPlace(HWND main, const std::string& path, int timeoutMs) {
    DeleteFileA(path.c_str());
    drv_Command(main, CMD_SAVE);
    for (int t = 0; t < timeoutMs; t += 20) {
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return 1;
        Sleep(20);
    }
    return 0;
}

int drv_SaveAndLoad(HWND main, const std::string& path, Surface* s, int timeoutMs) {
    if (!drv_SaveInPlace(main, path, timeoutMs)) return 0;
    if (s->created) srf_Destroy(s);
    ImageFileInfo info{};
    return kv5_Load(s, path.c_str(), &info);
}

int drv_CloseWithYes(KvProcess* p) {
    PostMessageA(p->main, WM_CLOSE, 0, 0);
    return drv_Answer(p, "Confirm Exit", IDYES, 10000) && drv_WaitExit(p, 20000) == 0;
}

std::string drv_BuildPath(const char* name) {
    std::string exe = drv_ProgramPath();
    return exe.substr(0, exe.find_last_of('\\') + 1) + name;
}

SettingsRecord drv_QuietSettings(int lockUninstall, int currentTool, int tutorialCount) {
    SettingsRecord r;
    std::memset(&r, 0, sizeof r);
    r.undoMB = 8;
    r.tutorialCount = (uint8_t)tutorialCount;
    r.previousTool = 4;
    r.currentTool = (uint8_t)currentTool;
    r.lockUninstall = (uint8_t)lockUninstall;
    return r;
}

std::string drv_SettingsFile(const SettingsRecord& r) {
    std::string bytes(SET_FILE_SIZE, '\0');
    set_Encode(&r, (uint8_t*)&bytes[0]);
    return bytes;
}

std::string drv_QuietSettingsFile(int lockUninstall, int currentTool, int tutorialCount) {
    return drv_SettingsFile(drv_QuietSettings(lockUninstall, currentTool, tutorialCount));
}

int drv_ReadSettings(const std::string& folder, SettingsRecord* r) {
    const std::string bytes = drv_ReadFile(folder + "\\Kelvara.kvr");
    return set_Decode((const uint8_t*)bytes.data(), bytes.size(), r);
}

std::string drv_ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

KvRunning::~KvRunning() { drv_Kill(&p); }

struct FindArg {
    DWORD pid;
    const char* cls;
    const char* title;
    HWND found;
};

static BOOL CALLBACK find_top(HWND w, LPARAM lp) {
    FindArg* a = (FindArg*)lp;
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != a->pid || !IsWindowVisible(w)) return TRUE;
    char buf[256];
    if (a->cls) {
        GetClassNameA(w, buf, sizeof buf);
        if (std::strcmp(buf, a->cls)) return TRUE;
    }
    if (a->title) {
        GetWindowTextA(w, buf, sizeof buf);
        if (std::strcmp(buf, a->title)) return TRUE;
    }
    a->found = w;
    return FALSE;
}

static HWND find_wait(KvProcess* p, const char* cls, const char* title, int timeoutMs) {
    for (int t = 0; t <= timeoutMs; t += POLL_MS) {
        FindArg a = {p->pi.dwProcessId, cls, title, nullptr};
        EnumWindows(find_top, (LPARAM)&a);
        if (a.found) return a.found;
        if (WaitForSingleObject(p->pi.hProcess, POLL_MS) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
}

HWND drv_WaitMain(KvProcess* p, int timeoutMs) {
    p->main = find_wait(p, "kelvara_wnd_main", nullptr, timeoutMs);
    return p->main;
}

HWND drv_FindOwned(KvProcess* p, const char* title, int timeoutMs) { return find_wait(p, nullptr, title, timeoutMs); }

int drv_Cancel(KvProcess* p, const char* title, int timeoutMs) {
    HWND w = drv_FindOwned(p, title, timeoutMs);
    if (w) PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
    for (int t = 0; w && t < 5000 && IsWindow(w); t += POLL_MS) Sleep(POLL_MS);
    return w != nullptr;
}

DWORD drv_WaitExit(KvProcess* p, int timeoutMs) {
    WaitForSingleObject(p->pi.hProcess, timeoutMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(p->pi.hProcess, &code);
    return code;
}

void drv_Kill(KvProcess* p) {
    if (!p->pi.hProcess) return;
    if (drv_WaitExit(p, 0) == STILL_ACTIVE) {
        TerminateProcess(p->pi.hProcess, 1);
        WaitForSingleObject(p->pi.hProcess, 5000);
    }
    CloseHandle(p->pi.hProcess);
    CloseHandle(p->pi.hThread);
    p->pi.hProcess = nullptr;
}

std::string drv_Text(HWND w) {
    char buf[512] = "";
    DWORD_PTR r = 0;
    SendMessageTimeoutA(w, WM_GETTEXT, sizeof buf, (LPARAM)buf, SMTO_ABORTIFHUNG, 5000, &r);
    return buf;
}

HWND drv_Child(HWND main, const char* cls) { return FindWindowExA(main, nullptr, cls, nullptr); }

std::string drv_Status(HWND main) {
    HWND s = GetDlgItem(main, 6);
    return s ? drv_Text(s) : std::string();
}

int drv_WaitStatus(HWND main, const char* text, int timeoutMs) {
    for (int t = 0; t <= timeoutMs; t += POLL_MS) {
        if (drv_Status(main) == text) return 1;
        Sleep(POLL_MS);
    }
    return 0;
}

void drv_Command(HWND main, int id) { PostMessageA(main, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void drv_Key(HWND main, int vk) {
    PostMessageA(main, WM_KEYDOWN, vk, 1);
    PostMessageA(main, WM_KEYUP, vk, 0xC0000001);
}

int drv_Answer(KvProcess* p, const char* title, int id, int timeoutMs) {
    HWND w = drv_FindOwned(p, title, timeoutMs);
    if (!w) return 0;
    // The box may show its title before its buttons exist.
    HWND b = nullptr;
    for (int t = 0; t < 5000 && !(b = GetDlgItem(w, id)); t += POLL_MS) Sleep(POLL_MS);
    if (b) PostMessageA(b, BM_CLICK, 0, 0);
    else PostMessageA(w, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    return 1;
}

RECT drv_ChildRect(HWND main, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, main, (POINT*)&r, 2);
    return r;
}

// Copies a rectangle of the screen, top row first, as 0x00RRGGBB words.
static int grab_screen(int x, int y, int w, int h, std::vector<uint32_t>* pixels) {
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi;
    std::memset(&bi, 0, sizeof bi);
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP b = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    int ok = 0;
    if (b) {
        HGDIOBJ old = SelectObject(mem, b);
        ok = BitBlt(mem, 0, 0, w, h, screen, x, y, SRCCOPY);
        GdiFlush();
        if (ok) {
            const uint32_t* p = (const uint32_t*)bits;
            pixels->assign(p, p + (size_t)w * h);
            for (uint32_t& v : *pixels) v &= 0x00FFFFFF;
        }
        SelectObject(mem, old);
        DeleteObject(b);
    }
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return ok;
}

// Written by the program's own BMP writer.
int drv_SaveScreen(const std::string& path) {
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    std::vector<uint32_t> pixels;
    if (!grab_screen(0, 0, w, h, &pixels)) return 0;
    Surface s{};
    if (!srf_CreateExact((uint32_t)w, (uint32_t)h, &s)) return 0;
    uint32_t* px = srf_Lock(&s);  // a second lock: the surface came locked
    for (int y = 0; y < h; y++) std::memcpy(px + (size_t)y * s.stride, &pixels[(size_t)y * w], 4 * (size_t)w);
    srf_Unlock(&s);
    srf_Unlock(&s);
    int ok = bmp_Save(&s, path.c_str());
    srf_Destroy(&s);
    return ok;
}

int drv_GrabClient(HWND w, std::vector<uint32_t>* pixels, int* width, int* height) {
    RECT r;
    if (!GetClientRect(w, &r) || r.right <= 0 || r.bottom <= 0) return 0;
    POINT origin = {0, 0};
    ClientToScreen(w, &origin);
    *width = r.right;
    *height = r.bottom;
    return grab_screen(origin.x, origin.y, r.right, r.bottom, pixels);
}

int drv_DropFiles(KvProcess* p, HWND target, const std::vector<std::string>& files) {
    std::string names;
    for (const std::string& f : files) names += f + '\0';
    names += '\0';
    DROPFILES head;
    std::memset(&head, 0, sizeof head);
    head.pFiles = sizeof head;
    std::string block((const char*)&head, sizeof head);
    block += names;
    void* remote = VirtualAllocEx(p->pi.hProcess, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) return 0;
    SIZE_T written = 0;
    if (!WriteProcessMemory(p->pi.hProcess, remote, block.data(), block.size(), &written) ||
        written != block.size())
        return 0;
    return PostMessageA(target, WM_DROPFILES, (WPARAM)remote, 0);
}

bool drv_Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string drv_ClassesDefault(const std::string& key) {
    char buf[512] = "";
    LONG size = sizeof buf;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), buf, &size) != ERROR_SUCCESS) return "<none>";
    return buf;
}

std::string drv_ShellFolder(int csidl) {
    char p[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, p);
    return p;
}

void drv_ParkPointer() { SetCursorPos(1270, 1010); }

int drv_WritePicture(const std::string& path, int w, int h) {
    Surface s{};
    if (!srf_CreateExact(w, h, &s)) return 0;
    drw_GradientRect(&s, 0, 0, w - 1, h - 1, 0x00FF8040, 0x004080FF, 0x0040FF80, 0x00202020);
    srf_Unlock(&s);
    int ok = kv5_Save(&s, path.c_str(), nullptr);
    srf_Destroy(&s);
    return ok;
}
