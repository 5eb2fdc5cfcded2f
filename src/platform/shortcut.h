// shortcut.h — reading a shell shortcut (".lnk") for its target's path, and the
// small path helpers every module that handles user paths shares.
//
// Used wherever a path typed, chosen or dropped by the user may be a shortcut: the
// command line, the open workflow, the file dialogs and the load dispatcher.
// Natively there are no shortcuts (nothing resolves).
#pragma once
#include <cstddef>

// Replaces a shortcut file's path by its target's, in place. 0 (path unchanged)
// when it cannot be read, has no file target or the target does not fit in cap.
int lnk_ResolveShortcut(char* path, size_t cap);
// The one check for "this path is a shortcut": a name ending in ".lnk" is resolved in
// place. 1 when the path now names the target.
int lnk_ResolveIfShortcut(char* path, size_t cap);
