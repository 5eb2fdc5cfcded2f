// textart.h — the pixel stages of text art, after GDI has drawn the text.
//
// The text is drawn white on a zeroed scratch surface (toolkernel_text_win32.cpp);
// these stages turn it into coloured text on a transparent background, shape it into
// the target and outline it. They are portable so that the shaping rules can be
// checked without a font. Each locks what it touches and returns 1, or 0 when a
// surface cannot be locked (or the two differ in size, for the shaping).
#pragma once
#include <cstdint>
#include "engine/surface.h"

// Text-art styles: 1-6 squeeze columns into trapezia, 7-12 squeeze rows, 13 and 14
// arch the columns; anything else copies the text unchanged.
const int TA_STYLE_LAST = 14;
const int TA_BORDER_LAST = 16;
// Style-flag bits of the text (font bits 1-8 are made into the font).
const int TA_FLAG_BOLD = 1, TA_FLAG_ITALIC = 2, TA_FLAG_UNDERLINE = 4, TA_FLAG_STRIKEOUT = 8;
const int TA_FLAG_CENTER = 16, TA_FLAG_GRADIENT = 32, TA_FLAG_RIGHT = 64;

// Every non-zero scratch pixel becomes the text colour (opaque), every other the
// text colour fully transparent. The text colour is colorref1, or with `gradient` a
// vertical run from colorref1 on the first text row to colorref2 on the last.
int tk_TextArtColour(Surface* scratch, uint32_t colorref1, uint32_t colorref2, int gradient);
// Copies the scratch into the target (same size), nearest, no blending, squeezed by
// the style at `level` percent. Every pixel lands inside the target.
int tk_TextArtShape(Surface* target, Surface* scratch, int style, int level);
// Border styles 1..16 (the standard 16 colours) recolour the letters' outermost
// pixels on every side to the border colour, opaque, and give the transparent
// pixels its colour. Other styles change nothing.
int tk_TextArtBorder(Surface* target, int borderStyle);
