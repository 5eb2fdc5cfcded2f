// shortcut_native.cpp — no shortcuts outside Windows.
#include "platform/shortcut.h"

int lnk_ResolveShortcut(char*, size_t) { return 0; }
int CreateShortcut(const char*, const char*, const char*, int, const char*, int) { return 0; }
int ShellFolder(const char*, char* out, size_t cap) {
    if (out && cap) out[0] = 0;
    return 0;
}
