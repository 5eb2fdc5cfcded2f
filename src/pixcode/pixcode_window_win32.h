// pixcode_window_win32.h — the programming window and the entry points the main
// window's menu commands call.
//
// Owns: the handle of the one programming window that may be open; opening another
// closes it (as Cancel). The window edits the program text of pix_program.h.
// Promises: fonts and the brush it makes are released when it closes.
#pragma once
#include <windows.h>
#include "engine/surface.h"

// The programming window over `owner`: 1 when closed with Done (the program text then
// holds the editor's text), 0 for Cancel. `token` (or null) is the word to select.
int pix_EditProgram(HWND owner, const char* token);
// Lets the run command open the window through the user-interface seam.
void pix_RegisterEditor();
// "&User-defined via Pixcode program ...": edit, compile and run on `target` (the
// caller's choice of image or sprite). Undo and repainting are the caller's.
int pix_RunCommand(Surface* target);
