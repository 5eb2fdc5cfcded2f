// toolkernel_win32.h — the tool kernels that draw through the surface's device
// context (Windows build only): the smooth curve, the elliptical marquee, text fitting
// and text art, and clearing the view's overlay.
//
// They select their own pens, brushes and fonts into the surface's DC and put the
// previous objects back and delete theirs before returning, on every path. Each
// returns 1 when it ran, 0 when the surface has no DC or cannot be locked (nothing
// drawn). Missing fonts are substituted by the system; that is not a failure.
#pragma once
#include <windows.h>
#include "document/toolkernel.h"

// Colour of the dotted black preview pen of the curve.
const uint32_t TK_CURVE_PREVIEW = 0x80000000u;

// A cubic Bezier spline through the points (count >= 1, else 0). With `draw` it is
// stroked onto the surface with a solid pen of the width (0..TK_MAX_WIDTH) and
// COLORREF, or the dotted preview pen. When `bounds` or `region` is given the curve is also turned into a
// region: its box, widened by 50 + pen width on every side, goes to `bounds`; the
// region (owned by the caller) to `region`, null when the curve encloses no area.
int tk_SmoothCurve(Surface* s, const TkPoint* points, int count, uint32_t colorref, int penWidth,
                   RECT* bounds, HRGN* region, int draw);
// The elliptical selection's preview: a dotted outline of the box's ellipse and the
// checkerboard laid over its inside at weight 63/256. Touches nothing outside the box.
int tk_EllipseMarquee(Surface* s, int x1, int y1, int x2, int y2);
// Measures the text (font from face, size in points and style bits 1-8, word-wrapped
// to the surface's width, centred with bit 16), resizes the surface bilinearly to the
// measured size + 32 in each direction, and sets bounds' right and bottom to match
// the new size from its left and top.
int tk_FitTextSurface(Surface* s, const char* text, const char* face, int size, int styleFlags,
                      RECT* bounds);
// Renders decorative text into the whole surface: coloured text (colorref1, or a
// vertical gradient to colorref2 with flag 32) on a transparent background, shaped
// by the text-art style at `level` percent (10..90), outlined in a border colour
// (border styles 1..16) and, for an antialias value of 5 or more, with softened edges.
int tk_RenderTextArt(Surface* s, const char* text, const char* face, int size, int styleFlags,
                     int artStyle, int level, uint32_t colorref1, uint32_t colorref2,
                     int borderStyle, int antialias);
