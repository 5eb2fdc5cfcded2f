// shortcut.h — shell shortcuts (".lnk"): reading one for its target's path, writing
// one, and the shell folders ("Programs", "Desktop") they are put in.
//
// Read wherever a path typed, chosen or dropped by the user may be a shortcut: the
// command line, the open workflow, the file dialogs and the load dispatcher. Written
// by the installer; its shell folders are also where self-uninstall removes them.
// Natively there are no shortcuts (nothing resolves, nothing is written).
#pragma once
#include <cstddef>

// Replaces a shortcut file's path by its target's, in place. 0 (path unchanged)
// when it cannot be read, has no file target or the target does not fit in cap.
int lnk_ResolveShortcut(char* path, size_t cap);
// The one check for "this path is a shortcut": a name ending in ".lnk" is resolved in
// place. 1 when the path now names the target.
int lnk_ResolveIfShortcut(char* path, size_t cap);

// Writes a shortcut through the shell's link object: the target, and when given the
// arguments, the description and the icon (the target's icon number iconIndex, when
// 0 or more). Show command 1 normal, 2 minimised, 3 maximised; any other becomes 1.
// ".lnk" is appended unless linkPath ends with it, and the folders along it are
// created. 1 when the shortcut was saved.
int CreateShortcut(const char* linkPath, const char* target, const char* arguments, int iconIndex,
                   const char* description, int showCommand);
// The folder registered for a shell folder ("Programs", "Desktop") under Explorer's
// "Shell Folders": on NT-family systems the machine-wide value "Common <name>";
// elsewhere, or when that cannot be read, the current user's value <name>.
// 0 (out "") when neither is known or it does not fit in cap.
int ShellFolder(const char* name, char* out, size_t cap);
