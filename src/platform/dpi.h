// dpi.h — the one DPI the program's windows are laid out for, and the scaling of
// layout sizes to it.
//
// Owns: the current DPI (96 until told otherwise; the shell sets it at start-up and
// when a window moves to a screen of another DPI). Every size of the window layout,
// the panels, the rulers and the fonts is written for 96 DPI and goes through
// dpi_Scale; image pixels never do: at zoom 1 one image pixel stays one screen pixel.
#pragma once

const int DPI_BASE = 96;

// Clamped to 48..960; anything else (0 from a system that cannot tell) means 96.
void dpi_Set(int dpi);
int dpi_Get();
// A 96-DPI size at the current DPI, rounded to the nearest pixel.
int dpi_Scale(int size96);
// The 96-DPI point that a screen pixel lies on (rounded down, also below 0), for
// hit tests of pictures drawn at scale.
int dpi_Unscale(int pixels);
// The whole factor of the current DPI over 96 (2 at 192), or 0 when it is not whole.
int dpi_WholeFactor();
