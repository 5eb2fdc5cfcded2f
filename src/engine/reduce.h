// reduce.h — a reduced copy of a surface: each pixel the average of a square block
// of source pixels, for showing an image smaller than it is.
//
// Owns nothing. Pixel (x, y) of the copy is the per-channel average, rounded to
// nearest (halves up), of the source pixels in columns x*s .. x*s + s - 1 and rows
// y*s .. y*s + s - 1 that lie in the source; blocks at the right and bottom edges
// may be partial. All four bytes are averaged alike. Each copy pixel depends on its
// block alone, so reducing in pieces gives the pixels of one whole reduction.
#pragma once
#include "engine/surface.h"

const int RED_MAX_SHRINK = 16;

// The reduced size of n source pixels at block size s: n / s rounded up.
int red_Size(int n, int shrink);
// Writes the copy's pixels in the rectangle (x1, y1)-(x2, y2) (inclusive, copy pixels,
// clipped to both surfaces' extents) from src at block size shrink (1..16). Returns 0
// when a surface cannot be locked or shrink is out of range, else 1.
int red_Average(Surface* dst, Surface* src, int shrink, int x1, int y1, int x2, int y2);
