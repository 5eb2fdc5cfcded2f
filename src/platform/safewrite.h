// safewrite.h — replacing a whole file so that no moment of the write can cost the
// user the file that was there.
//
// swr_WriteReplace writes a file's pieces to a temporary file in the target's folder
// and moves it over the target in one step only after every byte was written and
// flushed. A failed write (full disk, read-only folder, a file held open by another
// program) leaves the previous file as it was and no temporary file behind; a process
// killed in the middle leaves the previous file whole and at most the temporary file,
// which the next write of the same name takes over and removes.
// Paths are Windows-style; natively each backslash stands for a slash.
#pragma once
#include <cstddef>

struct SwrPiece {
    const void* data;
    size_t size;
};

// 1 when the target holds exactly the pieces; 0 with a refusal reason otherwise.
int swr_WriteReplace(const char* path, const SwrPiece* pieces, int count);

// The temporary file's name: the target's with its last character replaced by '~'
// (or '!' when it already is '~') — same folder, same length.
void swr_TempName(const char* path, char* out, size_t cap);

// The temporary name for a writer that goes by the extension (a plug-in): '~' (or '!'
// after a '~') put before the name's last dot. "" when the name has no extension or
// the result does not fit.
void swr_TypedTempName(const char* path, char* out, size_t cap);

// Platform part: puts `temp` in place of `target` in one step (replacing it).
int swr_Replace(const char* temp, const char* target);
