// dpi_win32.h — the DPI of a window as the system tells it, and pictures drawn for
// 96 DPI put on the screen at the current DPI (dpi.h).
#pragma once
#include <windows.h>

// The DPI of the screen the window is on (its system DPI where the system has no
// DPI per window); the system DPI for a null window.
int dpiw_OfWindow(HWND w);
// Copies a w96 x h96 picture from `src` (at its origin) to (x, y) of `dst`, scaled to
// the current DPI: nearest neighbour at whole factors (sharp pixels), smoothed
// otherwise. At 96 DPI a plain copy.
void dpiw_DrawPicture(HDC dst, int x, int y, HDC src, int w96, int h96);
// A copy of a bitmap scaled the same way (null when it cannot be made); the caller
// deletes it.
HBITMAP dpiw_ScaledBitmap(HBITMAP source);
// A font of `points` at the current DPI.
HFONT dpiw_Font(const char* face, int points);
