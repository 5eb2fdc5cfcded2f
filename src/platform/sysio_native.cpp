// sysio_native.cpp — the calls of sysio.h for the native build: POSIX underneath,
// Windows-style paths on top (each backslash stands for a slash).
#include "platform/sysio.h"
#include "platform/utf8.h"
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include "platform/paths.h"

namespace {

std::string HostPath(const char* path) {
    std::string p = path;
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
}

// Host path back into the program's spelling; 0 when it does not fit.
int ProgramPath(const std::string& host, char* out, size_t cap) {
    if (host.size() >= cap) {
        out[0] = 0;
        return 0;
    }
    for (size_t i = 0; i < host.size(); i++) out[i] = host[i] == '/' ? '\\' : host[i];
    out[host.size()] = 0;
    return 1;
}

int IsRegularFile(const std::string& host) {
    struct stat st;
    return stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::FILE* sio_Open(const char* path, const char* mode, int) {
    if (!path || !*path || !mode) return nullptr;
    return std::fopen(HostPath(path).c_str(), mode);
}

int sio_Commit(std::FILE* f) {
    if (!f || std::fflush(f) != 0) return 0;
    return fsync(fileno(f)) == 0;
}

int sio_FileReadable(const char* path) {
    if (!path || !*path) return 0;
    std::string host = HostPath(path);
    return IsRegularFile(host) && access(host.c_str(), R_OK) == 0;
}

int sio_DeleteFile(const char* path) {
    return path && *path && unlink(HostPath(path).c_str()) == 0 ? 1 : 0;
}

int sio_RemoveFolder(const char* path) {
    return path && *path && rmdir(HostPath(path).c_str()) == 0 ? 1 : 0;
}

int sio_FolderExists(const char* path) {
    if (!path || !*path) return 0;
    struct stat st;
    return stat(HostPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int sio_CreateFolder(const char* path) {
    if (!path || !*path) return 0;
    if (mkdir(HostPath(path).c_str(), 0755) == 0) return 1;
    return sio_FolderExists(path);
}

void sio_LocalTime(SioTime* t) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    t->year = local.tm_year + 1900;
    t->month = local.tm_mon + 1;
    t->day = local.tm_mday;
    t->hour = local.tm_hour;
    t->minute = local.tm_min;
    t->second = local.tm_sec;
    t->millisecond = (int)(now.tv_nsec / 1000000L);
}

int sio_UserName(char* out, size_t cap) {
    if (!out || cap == 0) return 0;
    out[0] = 0;
    const char* name = std::getenv("USER");
    if (!name || !*name) {
        struct passwd* pw = getpwuid(getuid());
        name = pw ? pw->pw_name : nullptr;
    }
    if (!name) return 0;
    return u8_CopyCut(out, cap, name) != 0;
}

int sio_SearchPath(const char* name, char* out, size_t cap) {
    if (!name || !*name || !out || cap == 0) return 0;
    out[0] = 0;
    std::string rel = HostPath(name);
    std::string dirs[2];
    if (path_AppDir()[0]) dirs[0] = HostPath(path_AppDir());
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd)) dirs[1] = cwd;
    for (const std::string& d : dirs) {
        if (d.empty()) continue;
        std::string full = d + "/" + rel;
        if (IsRegularFile(full)) return ProgramPath(full, out, cap);
    }
    return 0;
}

int sio_ModulePath(char* out, size_t cap) {
    if (!out || cap == 0) return 0;
    out[0] = 0;
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return 0;
    buf[n] = 0;
    return ProgramPath(buf, out, cap);
}

