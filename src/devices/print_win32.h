// print_win32.h — "My Precision Printer": one image on one page, sized by the user,
// previewed, and sent to the printer in bands of 128 rows.
//
// Owns: the dialog's state while it is open (the printer's device context and the
// preview bitmap), released when it closes.
#pragma once
#include <windows.h>
#include "engine/surface.h"

// The modal print dialog for `image`; 1 after a successful print, else 0. Where the
// system has no printer at all it says so ("Printer Error!!") and returns 0 at once.
int ShowPrintDialog(Surface* image, HWND owner);
// Renders `image` scaled to outW x outH over the checkerboard, centred on a page of
// pageW x pageH, and sends it to `printer` band by band (brightened on request).
// 1 on success; 0 when a band cannot be made or sent.
int PrintImageBands(HDC printer, int pageW, int pageH, Surface* image, int outW, int outH, int brighten);
