// sysio.h — the few operating-system calls that portable modules need: files with
// Windows share modes, folders, local time, the user's name, the search path, the
// executable's own path and a plain tone.
//
// Paths are always Windows-style (backslash separators). sysio_win32.cpp passes
// them to Win32 as they are; the native build (sysio_native.cpp, used by the tests)
// turns every backslash into a slash, so portable code never needs two spellings.
// Nothing here reports to the user; every call returns 1 / non-null on success.
#pragma once
#include <cstddef>
#include <cstdio>

// Longest path a buffer in this program holds, NUL included: the Win32 MAX_PATH of
// 260 UTF-16 units as UTF-8, the programs' code page (at most 3 bytes a unit).
const int KV_MAX_PATH = 3 * 260;

// Sharing granted to other openers while the file is open.
const int SIO_SHARE_NONE = 0;  // nobody else may open it
const int SIO_SHARE_READ = 1;  // others may read, not write

// fopen with a share mode; null when the file cannot be opened.
std::FILE* sio_Open(const char* path, const char* mode, int share);
// Flushes the stream and asks the system to put it on disk; 1 when both worked.
int sio_Commit(std::FILE* f);
// 1 when `path` names a file (not a folder) that can be opened for reading.
int sio_FileReadable(const char* path);
int sio_DeleteFile(const char* path);
// Removes an empty folder; 0 when it is not empty or cannot be removed.
int sio_RemoveFolder(const char* path);
// 1 when the folder exists afterwards (created now or already there).
int sio_CreateFolder(const char* path);
int sio_FolderExists(const char* path);

struct SioTime {
    int year, month, day;  // month 1..12
    int hour, minute, second, millisecond;
};
void sio_LocalTime(SioTime* t);

// The logged-on user's name, cut on a character boundary to fit cap with its NUL;
// "" (and 0) when unknown.
int sio_UserName(char* out, size_t cap);
// Finds a relative file name along the program's search path (its own folder first,
// then the current folder, then the system's); writes the full path. 0 when not
// found or the full path does not fit.
int sio_SearchPath(const char* name, char* out, size_t cap);
// Full path of the running executable; 0 when it does not fit in cap.
int sio_ModulePath(char* out, size_t cap);
