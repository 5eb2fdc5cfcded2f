// paths.cpp — the program's folders, built from the executable's path.
#include "platform/paths.h"
#include <cstring>

namespace {

struct PathState {
    char program[KV_MAX_PATH];
    char app[KV_MAX_PATH];
    char images[KV_MAX_PATH];
    char plugins[KV_MAX_PATH];
    char sprites[KV_MAX_PATH];
    char autosave[KV_MAX_PATH];
};
PathState g_path;

}  // namespace

int path_Join(char* out, size_t cap, const char* dir, const char* name) {
    if (!out || cap == 0) return 0;
    out[0] = 0;
    if (!dir || !*dir || !name) return 0;
    size_t d = std::strlen(dir), n = std::strlen(name);
    if (d + 1 + n + 1 > cap) return 0;
    std::memcpy(out, dir, d);
    out[d] = '\\';
    std::memcpy(out + d + 1, name, n + 1);
    return 1;
}

int path_Build(const char* programFile) {
    std::memset(&g_path, 0, sizeof g_path);
    if (!programFile) return 0;
    size_t len = std::strlen(programFile);
    const char* slash = std::strrchr(programFile, '\\');
    if (!slash || len >= sizeof g_path.program) return 0;
    PathState p{};
    std::memcpy(p.program, programFile, len + 1);
    std::memcpy(p.app, programFile, (size_t)(slash - programFile));
    if (!path_Join(p.images, sizeof p.images, p.app, "Images") ||
        !path_Join(p.plugins, sizeof p.plugins, p.app, "Plugins") ||
        !path_Join(p.sprites, sizeof p.sprites, p.app, "Sprites") ||
        !path_Join(p.autosave, sizeof p.autosave, p.app, "Autosave"))
        return 0;
    g_path = p;
    return 1;
}

int path_Init() {
    char module[KV_MAX_PATH];
    if (!sio_ModulePath(module, sizeof module)) {
        std::memset(&g_path, 0, sizeof g_path);
        return 0;
    }
    return path_Build(module);
}

int path_CreateFolders() {
    if (!g_path.app[0]) return 0;
    int ok = 1;
    ok &= sio_CreateFolder(g_path.images);
    ok &= sio_CreateFolder(g_path.plugins);
    ok &= sio_CreateFolder(g_path.sprites);
    ok &= sio_CreateFolder(g_path.autosave);
    return ok;
}

const char* path_ProgramFile() { return g_path.program; }
const char* path_AppDir() { return g_path.app; }
const char* path_ImagesDir() { return g_path.images; }
const char* path_PluginsDir() { return g_path.plugins; }
const char* path_SpritesDir() { return g_path.sprites; }
const char* path_AutosaveDir() { return g_path.autosave; }

const char* path_NamePart(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; p++)
        if (*p == '\\' || *p == '/') name = p + 1;
    return name;
}

int CreateFolders(const char* path) {
    if (!path) return 0;
    const char* last = std::strrchr(path, '\\');
    if (!last || last - path >= KV_MAX_PATH) return 0;
    char folder[KV_MAX_PATH] = "";
    for (const char* p = path; p <= last; p++) {
        if (*p != '\\' || p == path) continue;
        std::memcpy(folder, path, (size_t)(p - path));
        folder[p - path] = 0;
        sio_CreateFolder(folder);
    }
    return folder[0] && sio_FolderExists(folder);
}
