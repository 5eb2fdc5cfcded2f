// tools.h — the tool dispatcher: what each of the 36 drawing tools does with a
// mouse event, the preview it leaves in the view's composite and its status line.
//
// Owns: the stroke state (current and last point, the anchor of drag tools, the
// three point buffers, the selecting flag, the tool that was current at the last
// call), the lens's magnifier surface and the Text-Art text. The view calls
// ToolApply for every mouse event; the composite's owner calls ToolOverlay to
// preview, handing in how to compose clean under it. The tools paint the main image
// through the kernels, make and move the sprite through the document, and never
// repaint: the view recomposes what they report. Choices a tool needs in
// the middle of a stroke (the border of a selection) and everything drawn through a
// device context come through tools_gdi.h. User-interface thread only.
#pragma once
#include <cstdint>
#include "document/tooltable.h"
#include "engine/surface.h"

// An inclusive rectangle of image pixels; empty when x1 > x2.
struct ToolRect {
    int x1, y1, x2, y2;
};
const ToolRect TOOL_RECT_EMPTY = {0, 0, -1, -1};
int tool_RectEmpty(const ToolRect& r);
// Union of two rectangles (an empty one adds nothing).
ToolRect tool_RectUnion(const ToolRect& a, const ToolRect& b);

// Phases and buttons of a call.
const int TOOL_PRESS = 0, TOOL_MOVE = 1, TOOL_RELEASE = 2;
const int TOOL_LEFT = 1, TOOL_RIGHT = 2;

// Buffer sizes: two extra slots past the last point let the preview run to the
// pointer.
const int TOOL_CURVE_POINTS = 2048;
const int TOOL_FREE_POINTS = 10240;
const int TOOL_TRIANGLE_POINTS = 256;
const int TOOL_TEXT_MAX = 1024;
const int TOOL_LENS_SIZE = 128;

// Runs the current tool for one mouse event at image point (x, y): phase, buttons
// (bit 0 left, bit 1 right; on release the released one) and the view's zoom (a
// factor of 1..64, or below 1 its reciprocal negated: -2 for 1/2 ... -16 for 1/16).
// Returns 1 when the main image changed; `changed` gets the changed area (empty
// otherwise). Sprites made, moved or dropped show in ToolOverlay's rectangle.
int ToolApply(Surface* image, int x, int y, int zoom, ToolRect* changed, int phase, int buttons);
// Composes an image rectangle of the composite clean (no preview left in it).
typedef void (*ToolCleanFn)(const ToolRect& r);
// The preview of the present tool state, in one call: its rectangle is measured,
// `clean` (may be null) is called once with that rectangle joined with `previous`
// (where the last preview was), and the preview is drawn into the composite.
// `area` gets the rectangle, which includes the sprite's old and new place after
// the sprite moved. draw 1 also sets the status line; TOOL_DRAW_QUIET leaves it,
// for repaints. Returns 1 when the rectangle is not empty.
const int TOOL_DRAW_QUIET = 2;
int ToolOverlay(Surface* composite, const ToolRect& previous, ToolCleanFn clean, ToolRect* area, int phase,
                int buttons, int draw, int zoom);
// The status line while the pointer rests: position, mode suffix, tool settings.
// A zoom below 1 shows as a percentage ("[ZOOM 25%]").
void tool_IdleStatus(char* out, int cap, int x, int y, int zoom);
// Forgets points, anchors and selections in progress (a new image was loaded).
void tool_ResetPending();
// The Text-Art text (TOOL_TEXT_MAX bytes, NUL-terminated; "Enter text here" at first).
char* tool_TextArtText();
// Makes the lens's magnifier (start-up; the lens makes it itself when missing).
void tool_Init();
// Frees the magnifier.
void tool_Shutdown();

// ---- the rules, apart from any surface (for the dispatcher and its tests) ----

// The box of an ellipse centred on the anchor through P: from 2*anchor - P to P, ordered.
ToolRect tool_EllipseBox(int ax, int ay, int px, int py);
// A drag selection of the rectangle tool is taken when both sides (|d| + 1) reach
// 5 / zoom (below zoom 1, 5 times the block size) and one of its corners lies in the image.
int tool_RectSelectionTaken(int ax, int ay, int px, int py, int zoom, int imageW, int imageH);
// Length in hundredths of a pixel, truncated; angle in hundredths of a degree,
// anticlockwise from the right, 0..35999 (9000 straight up or down).
int tool_Length100(int dx, int dy);
int tool_Angle100(int ax, int ay, int px, int py);
// The ruler's status text from the anchor to P.
void tool_RulerText(char* out, int cap, int ax, int ay, int px, int py);
// The lens's power for the held buttons: 2, 4 or 8 (both).
int tool_LensPower(int buttons);
