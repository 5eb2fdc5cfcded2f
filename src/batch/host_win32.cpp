// host_win32.cpp — host.h on Windows: the system's readers and the filter plug-ins too.
#include <windows.h>
#include <io.h>
#include <objbase.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include "batch/host.h"

char bh_Separator() { return '\\'; }

int bh_AbsolutePath(const char* path, char* out, size_t cap) {
    char* name;
    const DWORD n = GetFullPathNameA(path, (DWORD)cap, out, &name);
    return n > 0 && n < cap;
}

int bh_ListFolder(const char* folder, std::vector<std::string>* names) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((std::string(folder) + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names->push_back(found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    std::sort(names->begin(), names->end());
    return 1;
}

int bh_FileKey(const char* path, std::string* key) {
    key->clear();
    HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    BY_HANDLE_FILE_INFORMATION info;
    const BOOL ok = GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    if (!ok) return 0;
    char text[64];
    std::snprintf(text, sizeof text, "%lx:%lx:%lx", (unsigned long)info.dwVolumeSerialNumber,
                  (unsigned long)info.nFileIndexHigh, (unsigned long)info.nFileIndexLow);
    *key = text;
    return 1;
}

std::string bh_PathKey(const char* absolutePath) {
    std::string key = absolutePath;
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
        if (c == '/') c = '\\';
    }
    return key;
}

int bh_StderrIsTerminal() { return _isatty(2); }

static thread_local int t_comStarted;

void bh_ThreadBegin() { t_comStarted = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }

void bh_ThreadEnd() {
    if (t_comStarted) CoUninitialize();
    t_comStarted = 0;
}

int bh_HasPlugins() { return 1; }

const char* const* bh_FolderImageTypes() {
    static const char* const types[] = {".kv5", ".bmp", ".dib", ".rle", ".016", ".256", ".pcx", ".ppm", ".pnm",
                                        ".pbm", ".pgm", ".tga", ".vda", ".icb", ".vst", ".ico", ".cur", ".icl",
                                        ".ani", ".emf", ".wmf", ".jpg", ".jpeg", ".jpe", ".jfif", ".jff", ".gif",
                                        ".png", ".tif", ".tiff", nullptr};
    return types;
}
