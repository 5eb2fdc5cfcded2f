// octree.h — the octree colour quantiser: an optimised palette of a surface.
//
// Pixels are visited row by row, left to right; each walks down by one bit of red,
// green and blue per level (child = r*4 + g*2 + b) to a leaf at `depth`. Whenever the
// leaves exceed the maximum, the node most recently added at the deepest reducible
// level is folded into a leaf. Entries come out depth-first, children 0..7, as the
// integer average of their pixels. Pure and portable; the Windows side wraps the
// entries in an HPALETTE, colour reduction uses them directly.
#pragma once
#include <cstdint>
#include "engine/surface.h"

// Same layout as a GDI PALETTEENTRY.
struct PalEntry {
    uint8_t red, green, blue, flags;
};

// Fills `out` (room for 256) and returns the number of entries; 0 when maxColours is
// outside 1..256, depth outside 0..8, or the surface cannot be locked.
int oct_BuildPalette(Surface* s, int maxColours, int depth, PalEntry* out);
