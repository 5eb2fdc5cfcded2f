// host_native.cpp — host.h on POSIX: the in-house readers, and PNG and JPEG through the
// system's libraries in place of the filter plug-ins.
#include "batch/host.h"
#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

char bh_Separator() { return '/'; }

int bh_AbsolutePath(const char* path, char* out, size_t cap) {
    std::string full;
    if (path[0] == '/') {
        full = path;
    } else {
        char cwd[4096];
        if (!getcwd(cwd, sizeof cwd)) return 0;
        full = std::string(cwd) + "/" + path;
    }
    if (full.size() >= cap) return 0;
    std::memcpy(out, full.c_str(), full.size() + 1);
    return 1;
}

int bh_ListFolder(const char* folder, std::vector<std::string>* names) {
    DIR* d = opendir(folder);
    if (!d) return 0;
    while (dirent* e = readdir(d)) {
        std::string full = std::string(folder) + "/" + e->d_name;
        struct stat st;
        if (stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode)) names->push_back(e->d_name);
    }
    closedir(d);
    std::sort(names->begin(), names->end());
    return 1;
}

int bh_FileKey(const char* path, std::string* key) {
    struct stat st;
    key->clear();
    if (stat(path, &st) != 0) return 0;
    *key = std::to_string((unsigned long long)st.st_dev) + ":" + std::to_string((unsigned long long)st.st_ino);
    return 1;
}

std::string bh_PathKey(const char* absolutePath) { return absolutePath; }

int bh_StderrIsTerminal() { return isatty(2); }

void bh_ThreadBegin() {}
void bh_ThreadEnd() {}

int bh_HasPlugins() { return 0; }

const char* const* bh_FolderImageTypes() {
    static const char* const types[] = {".kv5", ".bmp", ".dib", ".rle", ".pcx", ".ppm", ".pnm", ".pbm",
                                        ".pgm", ".tga", ".vda", ".icb", ".vst", ".png", ".jpg", ".jpeg",
                                        ".jpe", ".jfif", ".jff", nullptr};
    return types;
}
