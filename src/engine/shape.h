// shape.h — shape rasterisers drawing straight into a LOCKED surface.
//
// None of these lock: the caller locks with srf_Lock first and unlocks afterwards.
// Coordinates are signed; every shape clips itself to the surface. Colours are
// pixel words. Pixel rules: SET writes c; OVER blends colours by c's weight and
// multiplies alpha (A_d * t_c >> 8); MIX blends all four channels by c's weight.
// Op modes: 1 OR, 2 AND, 3 XOR, 4 saturating add, 5 checkerboard composited by
// c's weight, else SET. drw_LineOp writes c for mode 4; drw_LineOp and
// drw_ThickLine write the checkerboard entry itself for mode 5.
// The span option of the engine makes the triangle, quad and warp fillers end each
// span one pixel early. Returns 1 (or a count) when the shape was processed, 0
// when it lies wholly outside or the rectangle is empty after clipping.
// Any int coordinates are safe: loops are limited to the surface, counts that
// exceed an int saturate at INT_MAX (drw_Line's step count, drw_LineOp's n + 2,
// which it returns even when no step lands inside). drw_LineMarker returns 1
// when it marked at least one pixel. drw_WarpQuad reads the source (locked by the
// caller too) only inside its bounds: rows and columns beyond are held at its edge.
#pragma once
#include <cstdint>
#include "engine/surface.h"

int drw_Line(Surface* s, int x1, int y1, int x2, int y2, uint32_t colour);
int drw_LineBlend(Surface* s, int x1, int y1, int x2, int y2, uint32_t colour);
int drw_LineGradient(Surface* s, int x1, int y1, int x2, int y2, uint32_t colour1, uint32_t colour2);
int drw_LineOp(Surface* s, int x1, int y1, int x2, int y2, uint32_t colour, int mode);
int drw_LineMarker(Surface* s, int x1, int y1, int x2, int y2);
int drw_ThickLine(Surface* s, int x1, int y1, int x2, int y2, int width, uint32_t colour, int mode);
int drw_Rect(Surface* s, int x1, int y1, int x2, int y2, uint32_t colour);
int drw_RectBlend(Surface* s, int x1, int y1, int x2, int y2, uint32_t colour);
int drw_FillRect(Surface* s, int x1, int y1, int x2, int y2, uint32_t colour);
int drw_FillRectBlend(Surface* s, int x1, int y1, int x2, int y2, uint32_t colour);
int drw_FillRectOp(Surface* s, int x1, int y1, int x2, int y2, uint32_t colour, int mode);
int drw_ReplaceColor(Surface* s, int x1, int y1, int x2, int y2, uint32_t oldColour, uint32_t newColour);
int drw_GradientRect(Surface* s, int x1, int y1, int x2, int y2,
                     uint32_t topLeft, uint32_t topRight, uint32_t bottomLeft, uint32_t bottomRight);
int drw_GradientRectBlend(Surface* s, int x1, int y1, int x2, int y2,
                          uint32_t topLeft, uint32_t topRight, uint32_t bottomLeft, uint32_t bottomRight);
int drw_Ellipse(Surface* s, int x1, int y1, int x2, int y2, uint32_t colour);
int drw_FillEllipse(Surface* s, int x1, int y1, int x2, int y2, uint32_t colour);
int drw_FillEllipseOp(Surface* s, int x1, int y1, int x2, int y2, uint32_t colour, int mode);
int drw_RadialEllipse(Surface* s, int x1, int y1, int x2, int y2, uint32_t centre, uint32_t edge);
int drw_RadialEllipseBlend(Surface* s, int x1, int y1, int x2, int y2, uint32_t centre, uint32_t edge);
int drw_Triangle(Surface* s, int x1, int y1, int x2, int y2, int x3, int y3,
                 uint32_t colour1, uint32_t colour2, uint32_t colour3);
int drw_TriangleBlend(Surface* s, int x1, int y1, int x2, int y2, int x3, int y3,
                      uint32_t colour1, uint32_t colour2, uint32_t colour3);
int drw_Quad(Surface* s, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4,
             uint32_t colour1, uint32_t colour2, uint32_t colour3, uint32_t colour4);
int drw_QuadBlend(Surface* s, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4,
                  uint32_t colour1, uint32_t colour2, uint32_t colour3, uint32_t colour4);
int drw_WarpQuad(Surface* s, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4,
                 Surface* src, int sx1, int sy1, int sx2, int sy2);
// drw_WarpQuad writing only columns cx1..cx2 of rows cy1..cy2: those pixels come out
// as the whole warp makes them (a preview makes a warp a piece at a time).
int drw_WarpQuadIn(Surface* s, int cx1, int cy1, int cx2, int cy2, int x1, int y1, int x2, int y2, int x3, int y3,
                   int x4, int y4, Surface* src, int sx1, int sy1, int sx2, int sy2);
