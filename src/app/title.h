// title.h — the current file name and the main window's title built from it.
//
// Owns: the current file name (KV_MAX_PATH buffer; "- untitled -" while the document
// has no file, "" before start-up sets it) and the title text.
// Title: "Kelvara 1.80" when untitled, else "Kelvara 1.80 - [ <shown name> ]". The
// shown name is the whole path if it has at most 24 characters, else the part after
// the last "\" or "/" if that has at most 24, else that part's first 10 characters,
// "..." and its last 10; a long name without any separator shows its last 24.
// A name longer than the buffer is cut to fit (never written past it).
#pragma once
#include <cstddef>

// The literal that stands for "no file"; every module compares against it.
const char TTL_UNTITLED[] = "- untitled -";
const int TTL_MAX_SHOWN = 24;

// Copies `name` (when not null) into the current file name, rebuilds the title and
// shows it on the main window (once there is one).
void SetTitle(const char* name);
// Empties the current file name (start-up does this before anything is opened).
void ttl_ClearFileName();
const char* ttl_FileName();
int ttl_IsUntitled();
const char* ttl_Text();
// The name as the title shows it (rules above); `out` holds at least 25 bytes.
void ttl_ShownName(const char* fileName, char* out, size_t cap);
// Platform part: puts the text on the main window's caption (nothing natively).
void ttl_Show(const char* text);
