// blit.h — the four transfers between surfaces: copy and alpha blend, each with
// nearest and bilinear sampling, scaling when the rectangles differ in size.
//
// Every transfer takes: destination, destination rectangle (inclusive), source,
// source rectangle (inclusive), flags. Both surfaces are locked for the duration
// and unlocked on every exit. Returns 1 when the transfer ran (also when clipping
// left nothing to do), 0 when a rectangle is reversed, a surface has no bitmap or
// cannot be locked, or the source rectangle lies wholly outside the source
// horizontally. Source and destination may be one surface when the rectangles do
// not overlap. Columns step in 16.16 fixed point from the left edge, rows top down;
// no half-pixel offset. Results are bit-exact to the reference loops; the SIMD
// paths are checked against them (eng_ForceReference switches them off).
#pragma once
#include <cstdint>
#include "engine/surface.h"

const unsigned BLT_OPAQUE = 1;   // written alpha is 0 whatever the blend gives
const unsigned BLT_IGNORED = 2;  // accepted and ignored (callers pass it with blends)
const unsigned BLT_BEHIND = 4;   // blends: the source goes behind the destination
const unsigned BLT_CLIP = 8;     // also clip to the engine clip rectangle
const unsigned BLT_CHECKER = 16; // blends: composite over the checkerboard instead

int blt_Copy(Surface* dst, int dx1, int dy1, int dx2, int dy2,
             Surface* src, int sx1, int sy1, int sx2, int sy2, unsigned flags);
int blt_Blend(Surface* dst, int dx1, int dy1, int dx2, int dy2,
              Surface* src, int sx1, int sy1, int sx2, int sy2, unsigned flags);
int blt_CopySmooth(Surface* dst, int dx1, int dy1, int dx2, int dy2,
                   Surface* src, int sx1, int sy1, int sx2, int sy2, unsigned flags);
int blt_BlendSmooth(Surface* dst, int dx1, int dy1, int dx2, int dy2,
                    Surface* src, int sx1, int sy1, int sx2, int sy2, unsigned flags);
