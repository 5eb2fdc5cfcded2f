// shortcut_native.cpp — no shortcuts outside Windows.
#include "platform/shortcut.h"

int lnk_ResolveShortcut(char*, size_t) { return 0; }
