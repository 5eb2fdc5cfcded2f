// shortcut_native.cpp — no shortcuts outside Windows.
#include "formats/shortcut.h"

int lnk_ResolveShortcut(char*, size_t) { return 0; }
