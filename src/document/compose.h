// compose.h — the display composite: the main image over the checkerboard, the
// sprite over its dimmed underlay with its frame, and the present tool's preview.
//
// Owns: the composite surface (kept at the main image's size), the pieces of it
// that are out of date and where the last preview was drawn; and a reduced copy of
// the composite for views below zoom 1, with the pieces of it not yet reduced. Whoever changes what
// is shown says where (cmp_Changed); whoever shows the composite asks for the
// rectangle it shows (cmp_Update), and a mouse event moves the preview
// (cmp_Preview). Composing is exact per pixel, so composing a rectangle twice or in
// pieces gives the same pixels as one whole compose. Rectangles are image pixels,
// inclusive; what lies outside the image is never composed. Portable; user-interface
// thread only.
#pragma once
#include "document/tools.h"
#include "engine/surface.h"

// Every pixel of the image, whatever its size.
const ToolRect CMP_ALL = {0, 0, 0x7FFFFFFF, 0x7FFFFFFF};

// Makes the composite fit the main image: when it is missing, sized differently or
// cannot be locked it is made again as a copy of the image, wholly out of date.
// Returns the composite, or null while there is no main image to compose.
Surface* cmp_Fit();
// The composite as it stands (for showing it), or null when there is none.
Surface* cmp_Composite();
// The composite is out of date in r: image pixels changed, the sprite moved or was
// replaced. It stays so until an update or a preview covers r.
void cmp_Changed(const ToolRect& r);
// Brings r up to date for showing it: its out-of-date part is composed clean and the
// tool's preview drawn again over a clean area (quietly: the status line stays).
// Returns the rectangle whose pixels were composed or drawn; empty when r was
// already up to date.
ToolRect cmp_Update(const ToolRect& r, int buttons, int zoom);
// A mouse event: the out-of-date part of r, the last preview's place and the new
// one's are composed clean and the tool's preview drawn (draw as ToolOverlay: 1 also
// sets the status line). Returns the rectangle whose pixels were composed or drawn.
ToolRect cmp_Preview(const ToolRect& r, int phase, int buttons, int zoom, int draw);
// The composite reduced by block size shrink (2..16, red_Average), for showing r
// (image pixels, widened to whole blocks): the composite is brought up to date there
// as by cmp_Update, then the reduced copy wherever the composite changed since it
// was last reduced. Returns the reduced copy, or null when it cannot be made.
Surface* cmp_Reduced(const ToolRect& r, int shrink, int buttons, int zoom);
// Frees the composite and its reduced copy and forgets what they held.
void cmp_Shutdown();
