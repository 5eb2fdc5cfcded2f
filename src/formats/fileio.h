// fileio.h — whole-file reading and safe replacing for the format modules.
//
// fio_ReadPrefix reads at most `limit` bytes from the start of a file into a block
// the caller frees with free(); readers ask for no more than their format can use,
// so a huge or lying file never costs more memory than the claims it makes.
// fio_WriteReplace writes a file's pieces to a temporary file in the target's folder
// and moves it over the target only after every byte was written and flushed: a
// failed save never destroys the user's previous file, and leaves no temporary file.
// Paths are Windows-style; natively each backslash stands for a slash.
#pragma once
#include <cstddef>
#include <cstdint>

struct FioPiece {
    const void* data;
    size_t size;
};

int fio_ReadPrefix(const char* path, size_t limit, uint8_t** data, size_t* size);
int fio_WriteReplace(const char* path, const FioPiece* pieces, int count);

// The file shells of the memory-to-memory codecs: read at most `limit` bytes and
// hand them to `loadBytes`; write one block through fio_WriteReplace. Both free
// the block they handled.
struct Surface;
struct ImageFileInfo;
typedef int (*FioLoadBytes)(Surface* out, const uint8_t* data, size_t size, ImageFileInfo* info);
int fio_LoadFile(const char* path, size_t limit, FioLoadBytes loadBytes, Surface* out, ImageFileInfo* info);
int fio_WriteBlock(const char* path, uint8_t* data, size_t size);
// The writer shell: encode the whole file with `saveBytes`, then fio_WriteBlock it.
typedef int (*FioSaveBytes)(Surface* s, uint8_t** data, size_t* size);
int fio_SaveFile(Surface* s, const char* path, FioSaveBytes saveBytes);

// The temporary file's name: the target's with its last character replaced by '~'
// (or '!' when it already is '~') — same folder, same length.
void fio_TempName(const char* path, char* out, size_t cap);

// Platform part: puts `temp` in place of `target` in one step (replacing it).
int fio_Replace(const char* temp, const char* target);
