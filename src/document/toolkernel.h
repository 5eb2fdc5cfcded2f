// toolkernel.h — the portable painting kernels of the drawing tools.
//
// Each kernel paints one tool action into a target surface: the tools decide what,
// where and when; these decide the pixels. Coordinates are image pixels (any int is
// safe: pixels outside the surface are skipped, never clamped). Colours marked
// COLORREF (0x00BBGGRR) are converted with clr_SwapRB, the high byte kept as the
// translucency byte; colours marked "pixel" are words already converted.
// Every kernel locks the surface itself and returns 1 when it ran; 0 when the
// surface cannot be locked (nothing drawn). Sizes below 1 mean nothing to do
// (result 1), except for tk_AlphaDab and the triangle kernels, which return 0.
// State: none of their own. The triangle kernels leave the engine's span option
// at 1; spray and roughen advance the tools' random sequence (random.h).
#pragma once
#include <cstdint>
#include "engine/surface.h"

struct TkPoint {
    int32_t x, y;
};

// Spray, roughen and calligraphy cost grows with the width (width^2 random picks,
// width line pairs); wider brushes than this (four times the widest the tool
// settings hold) are taken as this, so a call always ends soon.
const int TK_MAX_WIDTH = 1024;

// Eraser: makes the stroke fully transparent (colours kept). Preview: writes the
// checkerboard along the stroke instead.
int tk_EraseStroke(Surface* s, int x1, int y1, int x2, int y2, int width, int preview);
// Opaquer: makes the stroke opaque again. Preview treats (x1, y1) only: a box made
// opaque with a transparent dot of the width inside, and `mainImage`'s pixels of the
// box put behind it, so the dot shows the image. The preview needs `mainImage`
// (returns 0 without drawing when it is null).
int tk_UneraseStroke(Surface* s, int x1, int y1, int x2, int y2, int width, int preview,
                     Surface* mainImage);
// Calligraphic pen: width / 2 * 2 doubled one-pixel lines along a diagonal nib,
// top-left to bottom-right (nib 0) or bottom-left to top-right (nib set).
int tk_Calligraphy(Surface* s, int x1, int y1, int x2, int y2, int width, uint32_t colorref, int nib);
// Spray gun: ((level + 1) * width^2) / 500 random pixels in the width's square
// around (x, y); level is the tool byte (clamped to 0..255).
int tk_Spray(Surface* s, int x, int y, int width, int level, uint32_t colorref);
// Texturizer: width^2 / 2 random pixels in that square get a random brightness
// offset of up to +-level on blue, green and red (alpha kept); level 0..255.
int tk_Roughen(Surface* s, int x, int y, int width, int level);
// Smoother: a disc of five-point averages, computed in place, top-down, left-right.
int tk_Smooth(Surface* s, int x, int y, int width);
// Directional smoother: a disc of three-point averages, vertical or horizontal.
int tk_SmoothDirectional(Surface* s, int x, int y, int width, int vertical);
// Shadowing brush: blends `colour` (pixel) into a disc with a weight that falls off
// with the square of the distance; level * 200 / 65536 of full strength at the
// centre. A diameter below 1 returns 0.
int tk_AlphaDab(Surface* s, int x, int y, int diameter, int level, uint32_t colour);
// Rectangle, filled or as an outline of four lines.
int tk_Rectangle(Surface* s, int x1, int y1, int x2, int y2, int filled, uint32_t colorref);
// A bar of the width from (x1, y1) to (x2, y2), shaded across from colour 1 to 2.
int tk_GradientBar(Surface* s, int x1, int y1, int x2, int y2, int width,
                   uint32_t colorref1, uint32_t colorref2);
// The same bar in one colour, blended from translucency alpha1 to alpha2.
int tk_TintBar(Surface* s, int x1, int y1, int x2, int y2, int width, uint32_t colorref,
               int alpha1, int alpha2);
// A rectangle in one colour blended from alpha1 to alpha2, left to right when
// `horizontal` is set, else top to bottom.
int tk_TintRect(Surface* s, int x1, int y1, int x2, int y2, int horizontal, uint32_t colorref,
                int alpha1, int alpha2);
// Blended Gouraud triangles around point 0 (fan) or along the list (strip), each
// point with its own COLORREF and translucency. Fewer than 2 points return 0; two
// points give a gradient line.
int tk_TriangleFan(Surface* s, const TkPoint* points, const uint32_t* colorrefs, int count);
int tk_TriangleStrip(Surface* s, const TkPoint* points, const uint32_t* colorrefs, int count);
// The ruler's preview: a darkened box, the two legs as a tinted triangle and ticks
// around both end points.
int tk_RulerOverlay(Surface* s, int x1, int y1, int x2, int y2);
// Tinted sparkle: a star centred on (x, y) reaching to the handle (hx, hy), its arms
// sharpening as the level falls (a square on its corner from level 48 on). The
// colour (pixel) blends in from centreAlpha at the centre to edgeAlpha at the tips.
int tk_Sparkle(Surface* s, int x, int y, int hx, int hy, uint32_t colour, int centreAlpha,
               int edgeAlpha, int level);
// Empties the view's overlay record and repaints the whole view (with erasing) when
// there is one (natively there never is).
int tk_ClearOverlay();
