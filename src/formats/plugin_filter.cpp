// plugin_filter.cpp — the plug-in caches and the extension rules both platforms share.
#include "formats/plugin_filter.h"

#include <cstring>

#include "platform/paths.h"
#include "platform/sysio.h"

namespace {

struct PfltState {
    PluginCache cache[2];
};
PfltState g_pflt;

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c; }

int SameNoCase(const char* a, const char* b) {
    for (; *a && *b; a++, b++)
        if (LowerAscii(*a) != LowerAscii(*b)) return 0;
    return *a == *b;
}

}  // namespace

PluginCache* pflt_Cache(int direction) { return &g_pflt.cache[direction == PFLT_SAVE ? 1 : 0]; }

void pflt_ResetCaches() { std::memset(&g_pflt, 0, sizeof g_pflt); }

int pflt_Extension(const char* path, char* ext, size_t cap) {
    if (!ext || cap == 0) return 0;
    ext[0] = 0;
    if (!path) return 0;
    const char* dot = std::strrchr(path_NamePart(path), '.');
    if (!dot) return 0;
    const size_t n = std::strlen(dot);
    if (n + 1 > cap) return 0;
    std::memcpy(ext, dot, n + 1);
    return 1;
}

int pflt_CacheFind(const PluginCache* c, const char* ext, char* dllPath, size_t cap) {
    if (dllPath && cap) dllPath[0] = 0;
    const size_t n = ext ? std::strlen(ext) : 0;
    if (!c || !dllPath || n == 0 || n > PFLT_LOOKUP_CHARS) return 0;
    for (const PluginCacheSlot& s : c->slot) {
        if (!s.ext[0] || !SameNoCase(s.ext, ext)) continue;
        // Only the first slot of the extension counts: a stale one means a scan.
        return path_Join(dllPath, cap, path_PluginsDir(), s.name) && sio_FileReadable(dllPath)
                   ? 1
                   : (dllPath[0] = 0, 0);
    }
    return 0;
}

int pflt_CacheRecord(PluginCache* c, const char* ext, const char* dllPath) {
    if (!c || !ext || !dllPath) return 0;
    const char* name = path_NamePart(dllPath);
    const size_t en = std::strlen(ext), nn = std::strlen(name);
    if (en == 0 || en > PFLT_EXT_CHARS || nn == 0 || nn > PFLT_NAME_CHARS) return 0;
    int matched = 0;
    for (PluginCacheSlot& s : c->slot)
        if (s.ext[0] && SameNoCase(s.ext, ext)) {
            std::memcpy(s.name, name, nn + 1);
            matched = 1;
        }
    if (matched) return 1;
    std::memmove(&c->slot[1], &c->slot[0], sizeof c->slot[0] * (PFLT_SLOTS - 1));
    for (size_t i = 0; i <= en; i++) c->slot[0].ext[i] = LowerAscii(ext[i]);
    std::memcpy(c->slot[0].name, name, nn + 1);
    return 1;
}
