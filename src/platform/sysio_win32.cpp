// sysio_win32.cpp — the operating-system calls of sysio.h on Win32.
#include "platform/sysio.h"
#include "platform/utf8.h"
#include <windows.h>
#include <io.h>
#include <share.h>
#include <cstring>

std::FILE* sio_Open(const char* path, const char* mode, int share) {
    if (!path || !*path || !mode) return nullptr;
    return _fsopen(path, mode, share == SIO_SHARE_READ ? _SH_DENYWR : _SH_DENYRW);
}

int sio_Commit(std::FILE* f) {
    if (!f || std::fflush(f) != 0) return 0;
    return _commit(_fileno(f)) == 0;
}

int sio_FileReadable(const char* path) {
    if (!path || !*path) return 0;
    // Without backup semantics a folder does not open, which is what we want.
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    CloseHandle(h);
    return 1;
}

int sio_DeleteFile(const char* path) { return path && *path && DeleteFileA(path) ? 1 : 0; }

int sio_RemoveFolder(const char* path) { return path && *path && RemoveDirectoryA(path) ? 1 : 0; }

int sio_FolderExists(const char* path) {
    if (!path || !*path) return 0;
    DWORD a = GetFileAttributesA(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

int sio_CreateFolder(const char* path) {
    if (!path || !*path) return 0;
    if (CreateDirectoryA(path, nullptr)) return 1;
    return sio_FolderExists(path);
}

void sio_LocalTime(SioTime* t) {
    SYSTEMTIME st;
    GetLocalTime(&st);
    t->year = st.wYear;
    t->month = st.wMonth;
    t->day = st.wDay;
    t->hour = st.wHour;
    t->minute = st.wMinute;
    t->second = st.wSecond;
    t->millisecond = st.wMilliseconds;
}

int sio_UserName(char* out, size_t cap) {
    if (!out || cap == 0) return 0;
    out[0] = 0;
    char name[257];  // the longest user name Windows allows, plus NUL
    DWORD size = sizeof name;
    if (!GetUserNameA(name, &size)) return 0;
    name[sizeof name - 1] = 0;
    return u8_CopyCut(out, cap, name) != 0;
}

int sio_SearchPath(const char* name, char* out, size_t cap) {
    if (!name || !*name || !out || cap == 0) return 0;
    out[0] = 0;
    DWORD n = SearchPathA(nullptr, name, nullptr, (DWORD)cap, out, nullptr);
    if (n == 0 || n >= cap) {  // not found, or the answer would not fit
        out[0] = 0;
        return 0;
    }
    return 1;
}

int sio_ModulePath(char* out, size_t cap) {
    if (!out || cap == 0) return 0;
    DWORD n = GetModuleFileNameA(nullptr, out, (DWORD)cap);
    if (n == 0 || n >= cap) {  // a cut path would name another file
        out[0] = 0;
        return 0;
    }
    return 1;
}

