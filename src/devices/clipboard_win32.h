// clipboard_win32.h — images to and from the system clipboard, as packed bitmaps.
#pragma once
#include <windows.h>
#include "engine/surface.h"

// Replaces the clipboard's contents with a copy of the surface (the packed bitmap of
// clipdib.h) and says so on the status line. Returns 1 (0 when the surface cannot be
// read or the clipboard cannot be had).
int ClipboardCopy(Surface* surface, HWND owner);
// When the clipboard holds a packed bitmap that passes the checks, `surface` is made
// at its size and filled with its pixels: 1. No bitmap: 0, the surface untouched. A
// bitmap that fails the checks or cannot be converted: -1, the surface untouched.
int ClipboardPaste(Surface* surface, HWND owner);
