// paths.h — the program's folders: the folder of the executable and its "\Images",
// "\Plugins", "\Sprites" and "\Autosave" subfolders, all absolute.
//
// Owns: one record of path buffers, filled once at start-up and read everywhere.
// Promises: every path fits in KV_MAX_PATH with its NUL; when the executable's path
// is too long for that (or has no backslash) nothing is filled and the build fails,
// so no module ever works with a cut path. Until then every path is "".
#pragma once
#include <cstddef>
#include "platform/sysio.h"

// Builds the folders from the executable's own path (sio_ModulePath).
int path_Init();
// Builds the folders from a given executable path: the folder is everything before
// its last backslash. 0 (and every path "") when there is none or a path would not fit.
int path_Build(const char* programFile);
// Creates each subfolder that does not exist yet; 1 when all four exist afterwards.
int path_CreateFolders();

const char* path_ProgramFile();  // the executable itself
const char* path_AppDir();
const char* path_ImagesDir();
const char* path_PluginsDir();
const char* path_SpritesDir();
const char* path_AutosaveDir();

// out = dir + "\" + name; 0 (out "") when dir is empty or the result would not fit.
int path_Join(char* out, size_t cap, const char* dir, const char* name);
// The name part of a path: what follows its last "\" or "/" (the whole path if none).
const char* path_NamePart(const char* path);
// Creates every folder along `path` up to its last backslash, left to right, ignoring
// the ones that cannot be made (a drive, a server). 1 when that last folder exists.
int CreateFolders(const char* path);
