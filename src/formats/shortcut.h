// shortcut.h — reading a shell shortcut (".lnk") for its target's path.
//
// Used wherever a path typed or chosen by the user may be a shortcut: the command
// line and the image load dispatcher. Natively there are no shortcuts.
#pragma once
#include <cstddef>

// Replaces a shortcut file's path by its target's, in place. 0 (path unchanged)
// when it cannot be read, has no file target or the target does not fit in cap.
int lnk_ResolveShortcut(char* path, size_t cap);
