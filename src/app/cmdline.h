// cmdline.h — splits the program's command line into an image path and the switch
// text, and tests switches.
//
// The forms understood: a plain path followed by switches (C:\dir\picture.kv5 /print),
// a quoted path with spaces followed by switches, a network path ("\\server\share\f"
// or "//SERVER/share/f"), or switches alone. A path is only taken when a file of that
// name opens for reading; a ".lnk" shortcut is replaced by its target.
// Promises: any input, of any length or shape, is read within its NUL; the outputs are
// always NUL-terminated within their capacities; a path that would not fit is
// refused (a cut path could name another file), switch text that would not fit is cut.
#pragma once
#include <cstddef>

// Capacity of the switch text buffer the program keeps.
const int CMD_SWITCH_CAP = 256;

// Fills fileName ("" when the line names no readable file) and switches ("" when the
// line holds no "/"). Returns 0 for an empty (or null) line, else 1.
int SplitCommandLine(const char* line, char* fileName, size_t fileCap, char* switches,
                     size_t switchCap);
// Step one of the split on its own: where the candidate name lies in the line,
// [*start, *end), before any file is tried.
void cmd_NameSpan(const char* line, size_t* start, size_t* end);
// 1 when `name` (e.g. "/nogui") occurs anywhere in `text` (case-sensitive). The
// program tests the switch text this way, and "/erase_me" against the whole line.
int cmd_HasSwitch(const char* text, const char* name);
