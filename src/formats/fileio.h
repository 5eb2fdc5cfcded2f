// fileio.h — whole-file reading and the file shells of the format modules.
//
// fio_ReadPrefix reads at most `limit` bytes from the start of a file into a block
// the caller frees with free(); readers ask for no more than their format can use,
// so a huge or lying file never costs more memory than the claims it makes.
// Every writer goes through swr_WriteReplace (platform/safewrite.h): a failed save
// never destroys the user's previous file, and leaves no temporary file.
// Paths are Windows-style; natively each backslash stands for a slash.
#pragma once
#include <cstddef>
#include <cstdint>

int fio_ReadPrefix(const char* path, size_t limit, uint8_t** data, size_t* size);

// The file shells of the memory-to-memory codecs: read at most `limit` bytes and
// hand them to `loadBytes`; write one block through swr_WriteReplace. Both free
// the block they handled.
struct Surface;
struct ImageFileInfo;
typedef int (*FioLoadBytes)(Surface* out, const uint8_t* data, size_t size, ImageFileInfo* info);
int fio_LoadFile(const char* path, size_t limit, FioLoadBytes loadBytes, Surface* out, ImageFileInfo* info);
int fio_WriteBlock(const char* path, uint8_t* data, size_t size);
// The writer shell: encode the whole file with `saveBytes`, then fio_WriteBlock it.
typedef int (*FioSaveBytes)(Surface* s, uint8_t** data, size_t* size);
int fio_SaveFile(Surface* s, const char* path, FioSaveBytes saveBytes);

