// host.h — what the command-line program needs of the system beyond sysio.h: folder
// listings, absolute paths, file identity, the terminal, per-thread set-up and which
// file types this build can read from a folder and write through plug-ins.
//
// Owns nothing. Paths are the host's (natively slashes, on Windows either separator).
// Every call is safe for any argument and may run on any thread.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

// The separator this build puts between a folder and a name.
char bh_Separator();
// The path made absolute against the current folder (which plug-ins may change while
// they run, so every path is fixed before work starts). 0 when it does not fit cap.
int bh_AbsolutePath(const char* path, char* out, size_t cap);
// Names (no folder) of the plain files of a folder, sorted; 0 when it cannot be read.
int bh_ListFolder(const char* folder, std::vector<std::string>* names);
// A key that two spellings of one existing file share (hard links included); 0 and
// "" when the file does not exist.
int bh_FileKey(const char* path, std::string* key);
// The key under which an output path is compared with others: the path itself, in
// lower case where the system ignores case.
std::string bh_PathKey(const char* absolutePath);
int bh_StderrIsTerminal();
// Each worker thread calls these around its work (the system's picture decoders
// need their component library started per thread).
void bh_ThreadBegin();
void bh_ThreadEnd();
// 1 when this build reaches the filter plug-ins (any output format they write).
int bh_HasPlugins();
// Extensions (dot included, lower case) of the files a folder given as input
// contributes; null-terminated list.
const char* const* bh_FolderImageTypes();
