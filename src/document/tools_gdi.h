// tools_gdi.h — what the drawing tools do through a device context or a window:
// flood fills, the smooth curve, regions made into sprite masks, text art, the
// dotted previews, and the questions and menus a stroke opens.
//
// The Windows build implements these with GDI and the program's dialogs. The native
// build has no device context and no windows: there they do nothing and return 0
// (the portable tools stay fully usable; these families simply paint nothing).
// Everything here runs on the user-interface thread.
#pragma once
#include <cstdint>
#include "document/toolkernel.h"
#include "document/tools.h"

// Flood fill at (x, y) with a solid brush of `colorref`: the area of the colour found
// there (`border` < 0), or up to the border colour `border`. 1 when it ran.
int tgdi_FloodFill(Surface* s, int x, int y, uint32_t colorref, int64_t border);
// Paints the smooth curve through the points with a pen of the width and colour;
// `box` gets what it covers. 1 when it painted.
int tgdi_PaintCurve(Surface* s, const TkPoint* points, int count, uint32_t colorref, int width,
                    ToolRect* box);
// Kinds of selected regions.
const int TGDI_ELLIPSE = 0, TGDI_POLYGON = 1, TGDI_CURVE = 2;
// Makes the sprite from a region of the main image (the ellipse in the box of
// points[0]..points[1], the closed polygon or the closed smooth curve): asks the
// border, copies the pixels and makes the region, cut to the image, the mask.
// `spriteArea` gets the new sprite's rectangle. 1 when the sprite was made.
int tgdi_SelectRegion(int kind, const TkPoint* points, int count, ToolRect* spriteArea);
// The border of a rectangle selection: the chosen value, 0 for "Discard Border",
// -1 when the dialog was closed.
int tgdi_AskBorder();
// Renders the Text-Art text into the sprite with the Text-Art settings.
int tgdi_RenderTextArt(Surface* sprite);
// The sprite's pop-up menu at the cursor; the chosen command is asked of the shell
// (ui_PostCommand).
void tgdi_SpriteMenu();
// Previews: the elliptical marquee in a box, and the dotted curve through the points
// (its covered box in `box`). Without `draw` only the box is computed.
int tgdi_PreviewEllipse(Surface* composite, const ToolRect& box);
int tgdi_PreviewCurve(Surface* composite, const TkPoint* points, int count, ToolRect* box, int draw);
