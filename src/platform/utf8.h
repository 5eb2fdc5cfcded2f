// utf8.h — cutting a name (UTF-8, the programs' code page) to a byte budget without
// splitting a character: every shortened name that is shown (the title's middle
// ellipsis, the recent-files entries, the user name and the author text) is cut here. A cut lands only before a byte
// that starts a character, so a cut part may be a few bytes short of the budget.
// Bytes that are not valid UTF-8 are counted as characters of their own.
#pragma once
#include <cstddef>

// The length of the longest head of `s` (len bytes) of at most `max` bytes that ends
// on a character boundary.
size_t u8_HeadLength(const char* s, size_t len, size_t max);
// Where the longest tail of `s` (len bytes) of at most `max` bytes starts, on a
// character boundary (len for an empty tail).
size_t u8_TailStart(const char* s, size_t len, size_t max);
// The length in bytes of the first `chars` characters of `s` (len bytes).
size_t u8_CharsHead(const char* s, size_t len, size_t chars);
// Copies `text` into out[cap], cut on a character boundary so that it fits with its
// NUL; the rest of out is zeroed (fixed fields are stored whole). Returns the length.
size_t u8_CopyCut(char* out, size_t cap, const char* text);
