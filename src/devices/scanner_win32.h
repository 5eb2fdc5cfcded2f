// scanner_win32.h — "My Scanner/Camera": one image from a TWAIN source through the
// system's data source manager, with its own user interface.
#pragma once
#include <windows.h>
#include "engine/surface.h"

// Acquires an image into `made` (a new surface; sides above 4096 scaled down keeping
// the aspect, with a message). Status texts and messages say how far it got.
// 1 when `made` holds the scanned image; 0 otherwise (`made` left empty).
int AcquireFromScanner(HWND owner, Surface* made);
// The size a scan of w x h pixels is kept at: the longer side at most 4096.
void scan_TargetSize(int w, int h, int* outW, int* outH);
