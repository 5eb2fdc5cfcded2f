// scanner_win32.h — "My Scanner/Camera": one image from a TWAIN source through the
// system's data source manager, with its own user interface.
#pragma once
#include <windows.h>
#include "engine/surface.h"

// Loads the system's TWAIN source manager from `folders` (count of them, no trailing
// separator) and nowhere else, each DLL by full path: TWAINDSM.DLL (the 64-bit one)
// first, then TWAIN_32.DLL. The library (for FreeLibrary) with *entry its DSM_Entry; or
// nullptr after a "TWAIN Error" message that names the DLL tried (the last one when
// none loads).
HMODULE scan_LoadManager(const char* const* folders, int count, FARPROC* entry);
// Acquires an image through the manager of the system folder or the Windows folder
// into `made` (a new surface; sides above 4096 scaled down keeping the aspect, with a
// message). Status texts and messages say how far it got.
// 1 when `made` holds the scanned image; 0 otherwise (`made` left empty).
int AcquireFromScanner(HWND owner, Surface* made);
// The same through the manager that scan_LoadManager finds in `folders`.
int scan_AcquireThrough(const char* const* folders, int count, HWND owner, Surface* made);
// The size a scan of w x h pixels is kept at: the longer side at most 4096.
void scan_TargetSize(int w, int h, int* outW, int* outH);
