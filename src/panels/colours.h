// colours.h — the rules of the colour panels apart from any window: the colour
// bar's cells, hit-testing and status texts, the quick palette's picture, the
// two-click palette's picking, the manual RGB fields and the tool-settings bars.
//
// Colours are COLORREFs (0x00BBGGRR). Everything here is pure except
// colours_Changed, which tells the shell that colour #1 or #2 changed.
#pragma once
#include <cstddef>
#include <cstdint>

const int CBAR_WIDTH = 500, CBAR_HEIGHT = 40;
const int CBAR_CELLS = 32;  // row 0 fixed colours 0-15, row 1 custom colours 16-31

// What lies under a point of the colour bar.
enum CbarPart { CBAR_NOTHING, CBAR_CURRENT, CBAR_CELL, CBAR_BUTTON, CBAR_BUTTON_AREA };
struct CbarHit {
    CbarPart part;
    int index;  // the cell 0..31, or the quick button 0..3
};
CbarHit cbar_Hit(int x, int y);
// The colour of a cell (the custom ones from the settings record).
uint32_t cbar_CellColour(int index);
// The status text of the pointer at (x, y).
void cbar_StatusText(int x, int y, char* out, size_t cap);
// The quick buttons' commands' order: tool options, colour palette, image preview, tool help.
const int CBAR_BUTTONS = 4;
// The left edge of quick button b (each 20 pixels wide, y 11..30).
int cbar_ButtonLeft(int b);
// The cell's flash rectangle and the custom cell's painted well.
void cbar_CellFrame(int index, int* x1, int* y1, int* x2, int* y2);

// Quick palette: the colour at (x, y) of a W x H picture (clamped to 0..W, 0..H).
uint32_t qpal_ColourAt(int x, int y, int w, int h);
// The palette's status text with or without a button (1 or 2) held.
void qpal_StatusText(uint32_t colour, int button, char* out, size_t cap);

// Two-click palette: a press at (x, y) of the dialog's client area changes the hue,
// lightness and saturation bytes; 1 when the point hit the square or the tone bar.
int cpal_Pick(int x, int y, int* h, int* l, int* s);
// The selected colour of H, L, S.
uint32_t cpal_Colour(int h, int l, int s);

// Manual RGB: three fields, each taken modulo 256.
uint32_t rgb_FromFields(unsigned red, unsigned green, unsigned blue);

// Tool settings: the value after a scroll-bar code (the SB_* values) within min..max.
int tset_Scroll(int value, int code, int track, int min, int max);

// Colour #1 or #2 changed: the colour bar repaints and the Text-Art editor renders again.
void colours_Changed();
