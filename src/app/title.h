// title.h — the main window's title, built from the document's file name.
//
// Owns: the title text only; the file name is the document's (doc_FileName).
// Title: "Kelvara 1.80" when untitled, else "Kelvara 1.80 - [ <shown name> ]". The
// shown name is the whole path if it has at most 24 characters, else the part after
// the last "\" or "/" if that has at most 24, else that part's first 10 characters,
// "..." and its last 10; a long name without any separator shows its last 24.
// Lengths are in bytes of UTF-8, and a cut never splits a character (platform/utf8.h),
// so a cut part may be a byte or three shorter.
#pragma once
#include <cstddef>

const int TTL_MAX_SHOWN = 24;

// Gives the document `name` (when not null) as its file name, then rebuilds the
// title and shows it on the main window (once there is one).
void SetTitle(const char* name);
const char* ttl_Text();
// The name as the title shows it (rules above); `out` holds at least 25 bytes.
void ttl_ShownName(const char* fileName, char* out, size_t cap);
// Platform part: puts the text on the main window's caption (nothing natively).
void ttl_Show(const char* text);
