// cmdline_native.cpp — no shortcuts outside Windows.
#include "app/cmdline.h"

int cmd_ResolveShortcut(char*, size_t) { return 0; }
