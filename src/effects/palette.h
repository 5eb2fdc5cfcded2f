// palette.h — 256-colour reduction: the optimised palette of a surface and the
// smart dither onto it.
//
// pal_BuildOptimised is the engine's octree (oct_BuildPalette): the one quantiser
// of the program; srf_MakePalette wraps the same entries in a GDI palette where a
// caller needs a handle. pal_Nearest is the nearest-entry rule of both builds:
// smallest squared RGB distance, the lowest index winning ties — the same on
// Windows and natively (no system matching is involved).
// pal_SmartDither shows "Could not create optimized palette!!" ("Color Engine
// Error") through the user-interface seam when no palette can be built.
#pragma once
#include <cstdint>
#include "engine/octree.h"
#include "engine/surface.h"

// At most maxColours (1..256) entries at tree depth 0..8 (6 in every caller) into
// `out` (room for 256); returns the count, 0 when an argument is out of range
// (257 colours or depth 9 included) or the surface cannot be locked.
int pal_BuildOptimised(Surface* s, int maxColours, int depth, PalEntry* out);
// Index of the entry nearest to a COLORREF colour (0x00BBGGRR); 0 for an empty palette.
int pal_Nearest(const PalEntry* pal, int count, uint32_t colour);
// Every pixel becomes an opaque palette colour: p1 = the entry nearest to its colour,
// p2 = the entry nearest to the colour mirrored through p1 (2c - p1, clamped);
// p1 where x + y is even, p2 where it is odd. Returns 1, or 0 unchanged.
int pal_SmartDither(Surface* s);
