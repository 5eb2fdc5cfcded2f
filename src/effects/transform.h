// transform.h — geometric transforms and the mapping of a dialog level (0..1000)
// and edge (0 Left, 1 Top, 2 Right, 3 Bottom) to their arguments.
//
// Kernels that take a destination and a source compute into a new surface first and
// only then destroy the destination and let the record take over the new surface's
// objects, whole. So the destination may be the source itself, and on failure
// (result 0: a surface cannot be made or locked, or an argument is refused) the
// destination is left as it was. Parts of a new surface the image does not cover are
// TF_BACKGROUND. Rotate, skew and perspective place the image with the engine's
// quadrilateral warp or by moving pixels; none of them blends with what was there.
#pragma once
#include <cstdint>
#include "engine/surface.h"

const uint32_t TF_BACKGROUND = 0xFF000000u;   // black, fully transparent

// The kernels keep the surface a result replaced, to reuse it for the next result of
// that size (previews repeat sizes); this frees it. Each thread keeps its own.
void tf_ReleaseSpare();

// (level - 500) * 0.36 degrees: -180..180, positive turns counter-clockwise.
double tf_RotateAngle(int level);
// (level - 500) * 0.18 degrees.
double tf_SkewAngle(int level);
// (level + 125) / 250: 0 and 4 turn 180 degrees, 1 clockwise, 2 none, 3 counter-clockwise.
int tf_Rotate90Mode(int level);
// Flip and skew work vertically for Top and Bottom: edge AND 1.
int tf_EdgeIsVertical(int edge);

// Free rotation by `angle` degrees (finite); the new size is the box of the rounded
// corner images, trunc(v + 0.5) with truncation towards zero.
int tf_Rotate(Surface* dst, Surface* src, double angle);
// In place: vertical mirrors the rows (top becomes bottom), else the columns.
int tf_Flip(Surface* s, int vertical);
// The chosen edge (0..3; others refused) shortened by level * side / 2001 at both
// ends, falling off linearly to the opposite edge; pixels are moved, not filtered,
// later ones overwriting earlier ones. Same size as the source; level 0 is a copy.
int tf_Perspective(Surface* dst, Surface* src, int level, int edge);
// Skew by `angle` degrees (finite, held to -88..88): horizontal moves the top edge
// against the bottom one, vertical the right edge against the left one.
int tf_Skew(Surface* dst, Surface* src, double angle, int vertical);
// Scale by f = 10^((level - 500) / 500): mode 0 the width, 1 the height, any other
// both; each side at least 1; resampled bilinearly.
int tf_Stretch(Surface* dst, Surface* src, int level, int mode);
// Quarter turns by mode modulo 4 (see tf_Rotate90Mode); a negative mode is refused.
int tf_Rotate90(Surface* dst, Surface* src, int mode);
// In place: the surface becomes width x height (each at least 1), pixel (x, y)
// repeating the old pixel (x mod old width, y mod old height).
int tf_Tile(Surface* s, int width, int height);

// A transform a rectangle at a time (previews). A plan holds the result's size and
// where the source lands, worked out from the source as the whole transform does
// (the tf_Plan* calls take the arguments of the calls above; 0 when refused);
// tf_Sized makes `dst` the plan's size (the pixels undefined until written; 0 when it
// cannot be made) and tf_MakeRect writes rectangle (x1, y1)-(x2, y2) of it, clipped,
// exactly as the whole transform makes those pixels. The source is not changed.
// User-interface thread only: the stretch borrows the engine's clip rectangle.
struct TfPlan {
    int kind;              // which transform (transform.cpp)
    int width, height;     // the result's size
    int vx[4], vy[4];      // rotate and skew: the source's corners in the result
    int arg;               // perspective: edge; quarter turns; flip: vertical
    int shrink;            // perspective
};
int tf_PlanRotate(TfPlan* p, Surface* src, double angle);
int tf_PlanSkew(TfPlan* p, Surface* src, double angle, int vertical);
int tf_PlanPerspective(TfPlan* p, Surface* src, int level, int edge);
int tf_PlanStretch(TfPlan* p, Surface* src, int level, int mode);
int tf_PlanRotate90(TfPlan* p, Surface* src, int mode);
int tf_PlanFlip(TfPlan* p, Surface* src, int vertical);
int tf_Sized(Surface* dst, const TfPlan& p);
int tf_MakeRect(Surface* dst, Surface* src, const TfPlan& p, int x1, int y1, int x2, int y2);
