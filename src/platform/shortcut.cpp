// shortcut.cpp — the portable half of shortcut.h: which paths are shortcuts.
#include "platform/shortcut.h"
#include <cstring>

int lnk_ResolveIfShortcut(char* path, size_t cap) {
    size_t n = path ? std::strlen(path) : 0;
    if (n < 4 || std::strcmp(path + n - 4, ".lnk") != 0) return 0;
    return lnk_ResolveShortcut(path, cap);
}
