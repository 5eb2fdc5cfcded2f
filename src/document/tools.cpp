// tools.cpp — the tool dispatcher and the tools' previews and status lines (tools.h).
#include "document/tools.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "document/document.h"
#include "document/document_ids.h"
#include "document/overlay.h"
#include "document/toolkernel.h"
#include "document/tools_gdi.h"
#include "document/toolselect.h"
#include "engine/blit.h"
#include "engine/color.h"
#include "engine/shape.h"
#include "platform/ui.h"
#include "settings/settings.h"

namespace {

// The family the dispatcher runs a tool by (the tool table's), none for an unknown one.
ToolFamily FamilyOf(int tool) {
    const ToolInfo* info = tool_Info(tool);
    return info ? info->family : TOOL_FAMILY_NONE;
}

struct StrokeState {
    int px, py;        // P, the point of this call
    int lx, ly;        // L, the point of the last call
    int ax, ay;        // the anchor of drag tools, selections and the ruler
    int anchored;      // a press set the anchor and its release has not come yet
    int lastTool;
    int buttons;       // buttons of the latest call
    TkPoint curve[TOOL_CURVE_POINTS + 3];
    int curveCount;
    TkPoint freeform[TOOL_FREE_POINTS];
    int freeCount;
    TkPoint tri[TOOL_TRIANGLE_POINTS + 3];
    uint32_t triColour[TOOL_TRIANGLE_POINTS + 3];
    int triCount;
    ToolRect spriteMoved;  // the sprite's places since the last drawn preview
    uint32_t generation;   // the document's image generation the points belong to
    Surface magnifier;
    char text[TOOL_TEXT_MAX];
};

StrokeState g_st = [] {
    StrokeState s{};
    s.lastTool = -1;
    s.spriteMoved = TOOL_RECT_EMPTY;
    std::strcpy(s.text, "Enter text here");
    return s;
}();

int Abs(int v) { return v < 0 ? -v : v; }

ToolRect Box(int x1, int y1, int x2, int y2, int grow) {
    ToolRect r = {x1 < x2 ? x1 : x2, y1 < y2 ? y1 : y2, x1 < x2 ? x2 : x1, y1 < y2 ? y2 : y1};
    return {r.x1 - grow, r.y1 - grow, r.x2 + grow, r.y2 + grow};
}

ToolRect Grow(const ToolRect& r, int by) { return {r.x1 - by, r.y1 - by, r.x2 + by, r.y2 + by}; }

ToolRect PointsBox(const TkPoint* p, int n, int grow) {
    ToolRect r = TOOL_RECT_EMPTY;
    for (int i = 0; i < n; i++) r = tool_RectUnion(r, {p[i].x, p[i].y, p[i].x, p[i].y});
    return tool_RectEmpty(r) ? r : Grow(r, grow);
}

int Released(int buttons) { return buttons & TOOL_RIGHT && !(buttons & TOOL_LEFT) ? 2 : 1; }
// COLORREF of the button (colour #1 for the left or both, #2 for the right alone).
uint32_t ButtonColour(int buttons) { return Released(buttons) == 2 ? g_settings.colour2 : g_settings.colour1; }
uint32_t Pixel(uint32_t colorref) { return clr_SwapRB(colorref) & 0x00FFFFFFu; }
uint32_t PixelWithAlpha(uint32_t colorref, int alpha) { return Pixel(colorref) | (uint32_t)alpha << 24; }

int InImage(const Surface* s, int x, int y) { return x >= 0 && y >= 0 && x < (int)s->width && y < (int)s->height; }

template <class Fn>
int Locked(Surface* s, Fn fn) {
    if (!srf_Lock(s)) return 0;
    fn();
    srf_Unlock(s);
    return 1;
}

void ResetPoints() {
    g_st.curveCount = g_st.freeCount = g_st.triCount = 0;
    g_st.anchored = 0;
}

// ---- freehand tools: every call with a button paints the segment L-P ----

int Freehand(Surface* s, int tool, int phase, int buttons, ToolRect* out) {
    if (!buttons || phase == TOOL_RELEASE) return 0;
    int w = g_settings.toolWidth, level = g_settings.toolLevel;
    int lx = g_st.lx, ly = g_st.ly, px = g_st.px, py = g_st.py;
    uint32_t colour = ButtonColour(buttons);
    int ran = 0;
    switch (tool) {
    case TOOL_PENCIL: ran = Locked(s, [&] { drw_Line(s, lx, ly, px, py, Pixel(colour)); }); break;
    case TOOL_BRUSH:
        ran = Locked(s, [&] {
            if (w <= 1) drw_Line(s, lx, ly, px, py, Pixel(colour));
            else drw_ThickLine(s, lx, ly, px, py, w, Pixel(colour), 0);
        });
        break;
    case TOOL_CALLIGRAPHY: ran = tk_Calligraphy(s, lx, ly, px, py, w, g_settings.colour1, buttons & TOOL_LEFT); break;
    case TOOL_SHADOW: ran = tk_AlphaDab(s, px, py, w, level, Pixel(colour)); break;
    case TOOL_SPRAY: ran = tk_Spray(s, px, py, w, level, g_settings.colour1); break;
    case TOOL_ROUGHEN: ran = tk_Roughen(s, px, py, w, level); break;
    case TOOL_SMOOTH: ran = tk_Smooth(s, px, py, w); break;
    case TOOL_DIR_SMOOTH: ran = tk_SmoothDirectional(s, px, py, w, buttons & TOOL_RIGHT ? 1 : 0); break;
    case TOOL_ERASER: ran = tk_EraseStroke(s, lx, ly, px, py, w, 0); break;
    case TOOL_OPAQUER: ran = tk_UneraseStroke(s, lx, ly, px, py, w, 0, nullptr); break;
    }
    if (!ran) return 0;
    *out = Box(lx, ly, px, py, tool == TOOL_PENCIL || w < 1 ? 1 : w);
    return 1;
}

// ---- drag tools: the press sets the anchor, the release paints anchor to P ----

int DragPaint(Surface* s, int tool, int buttons, ToolRect* out) {
    int ax = g_st.ax, ay = g_st.ay, px = g_st.px, py = g_st.py;
    int dx = px - ax, dy = py - ay, w = g_settings.toolWidth;
    int atAnchor = dx == 0 && dy == 0;
    uint32_t c1 = g_settings.colour1, c2 = g_settings.colour2, colour = ButtonColour(buttons);
    int a1 = g_settings.alpha1, a2 = g_settings.alpha2;
    int radius = (int)std::sqrt((double)dx * dx + (double)dy * dy);
    ToolRect ebox = tool_EllipseBox(ax, ay, px, py);
    int filled = Released(buttons) == 2, ran = 0;
    switch (tool) {
    case TOOL_LINE:
        ran = Locked(s, [&] {
            if (w <= 1) drw_Line(s, ax, ay, px, py, Pixel(colour));
            else drw_ThickLine(s, ax, ay, px, py, w, Pixel(colour), 0);
        });
        *out = Box(ax, ay, px, py, w < 1 ? 1 : w);
        break;
    case TOOL_RECTANGLE:
        ran = tk_Rectangle(s, ax, ay, px, py, filled, c1);
        *out = Box(ax, ay, px, py, 1);
        break;
    case TOOL_ELLIPSE:
        if (atAnchor) return 0;
        ran = Locked(s, [&] {
            if (filled) drw_FillEllipse(s, ebox.x1, ebox.y1, ebox.x2, ebox.y2, Pixel(c1));
            else drw_Ellipse(s, ebox.x1, ebox.y1, ebox.x2, ebox.y2, Pixel(c1));
        });
        *out = Grow(ebox, 5);
        break;
    case TOOL_GRAD_RECT:
        ran = Locked(s, [&] { drw_GradientRect(s, ax, ay, px, py, Pixel(c1), Pixel(c2), Pixel(c1), Pixel(c2)); });
        *out = Box(ax, ay, px, py, 1);
        break;
    case TOOL_GRAD_ELLIPSE:
        if (atAnchor) return 0;
        ran = Locked(s, [&] { drw_RadialEllipse(s, ebox.x1, ebox.y1, ebox.x2, ebox.y2, Pixel(c1), Pixel(c2)); });
        *out = Grow(ebox, 5);
        break;
    case TOOL_GRAD_BAR:
        ran = tk_GradientBar(s, ax, ay, px, py, w, c1, c2);
        *out = Box(ax, ay, px, py, w < 1 ? 1 : w);
        break;
    case TOOL_GRAD_FREE:
        if (atAnchor) return 0;
        ran = Locked(s, [&] {
            drw_RadialEllipse(s, ax - radius, ay - radius, ax + radius, ay + radius, Pixel(c1), Pixel(c2));
        });
        *out = Box(ax, ay, px, py, Abs(dx) + Abs(dy));
        break;
    case TOOL_TINT_RECT:
        ran = tk_TintRect(s, ax, ay, px, py, Abs(dx) >= Abs(dy), colour, a1, a2);
        *out = Box(ax, ay, px, py, 3);
        break;
    case TOOL_TINT_ELLIPSE:
        if (dx == 0 || dy == 0) return 0;
        ran = Locked(s, [&] {
            drw_RadialEllipseBlend(s, ebox.x1, ebox.y1, ebox.x2, ebox.y2, PixelWithAlpha(colour, a1),
                                   PixelWithAlpha(colour, a2));
        });
        *out = Grow(ebox, 5);
        break;
    case TOOL_TINT_BAR:
        if (atAnchor) return 0;
        ran = tk_TintBar(s, ax, ay, px, py, w, colour, a1, a2);
        *out = Box(ax, ay, px, py, w < 1 ? 1 : w);
        break;
    case TOOL_TINT_FREE:
        if (atAnchor) return 0;
        ran = Locked(s, [&] {
            drw_RadialEllipseBlend(s, ax - radius, ay - radius, ax + radius, ay + radius,
                                   PixelWithAlpha(colour, a1), PixelWithAlpha(colour, a2));
        });
        *out = Box(ax, ay, px, py, Abs(dx) + Abs(dy));
        break;
    case TOOL_SPARKLE:
        if (atAnchor) return 0;
        ran = tk_Sparkle(s, ax, ay, px, py, Pixel(colour), a1, a2, g_settings.toolLevel);
        *out = Box(ax - radius, ay - radius, ax + radius, ay + radius, 1);
        break;
    }
    if (!ran) *out = TOOL_RECT_EMPTY;
    return ran;
}

int Drag(Surface* s, int tool, int phase, int buttons, ToolRect* out) {
    if (phase == TOOL_PRESS && buttons) {
        g_st.ax = g_st.px;
        g_st.ay = g_st.py;
        g_st.anchored = 1;
        return 0;
    }
    if (phase != TOOL_RELEASE || !g_st.anchored) return 0;
    g_st.anchored = 0;
    return DragPaint(s, tool, buttons, out);
}

// ---- point lists: left presses set points, a right press ends ----

// P goes into the slot at the count and the next two, so the preview runs to the pointer.
void TrackPointer(TkPoint* points, int count) {
    for (int i = 0; i < 3; i++) points[count + i] = {g_st.px, g_st.py};
}

int AnyPointInImage(const Surface* s, const TkPoint* p, int n) {
    for (int i = 0; i < n; i++)
        if (InImage(s, p[i].x, p[i].y)) return 1;
    return 0;
}

// Returns 1 when the right press ended the list.
int CollectCurvePoint(int phase, int buttons) {
    TrackPointer(g_st.curve, g_st.curveCount);
    if (phase != TOOL_PRESS) return 0;
    if (buttons & TOOL_RIGHT) return 1;
    if (buttons & TOOL_LEFT && g_st.curveCount < TOOL_CURVE_POINTS) g_st.curveCount++;
    return 0;
}

int Curve(Surface* s, int phase, int buttons, ToolRect* out) {
    if (!CollectCurvePoint(phase, buttons)) return 0;
    int n = g_st.curveCount, did = 0;
    g_st.curveCount = 0;
    if (n >= 2) did = tgdi_PaintCurve(s, g_st.curve, n, g_settings.colour1, g_settings.toolWidth, out);
    return did;
}

int Triangles(Surface* s, int tool, int phase, int buttons, ToolRect* out) {
    int n = g_st.triCount;
    uint32_t colour = (g_settings.colour1 & 0x00FFFFFFu) | (uint32_t)g_settings.alpha1 << 24;
    for (int i = 0; i < 3; i++) {
        g_st.tri[n + i] = {g_st.px, g_st.py};
        g_st.triColour[n + i] = colour;
    }
    if (phase != TOOL_PRESS) return 0;
    if (!(buttons & TOOL_RIGHT)) {
        if (buttons & TOOL_LEFT && n < TOOL_TRIANGLE_POINTS) g_st.triCount++;
        return 0;
    }
    g_st.triCount = 0;
    int ran = tool == TOOL_FAN ? tk_TriangleFan(s, g_st.tri, g_st.triColour, n)
                            : tk_TriangleStrip(s, g_st.tri, g_st.triColour, n);
    if (!ran) return 0;
    *out = PointsBox(g_st.tri, n, 5);
    return 1;
}

// ---- fills, through the image's device context ----

int Fill(Surface* s, int tool, int phase, int buttons, ToolRect* out) {
    if (!buttons || phase == TOOL_RELEASE || !InImage(s, g_st.px, g_st.py)) return 0;
    uint32_t colour = ButtonColour(buttons);
    int64_t border = -1;
    if (tool == TOOL_BORDER_FILL) border = Released(buttons) == 2 ? g_settings.colour1 : g_settings.colour2;
    if (!tgdi_FloodFill(s, g_st.px, g_st.py, colour, border)) return 0;
    *out = {0, 0, (int)s->width - 1, (int)s->height - 1};
    return 1;
}

// ---- selections and the sprite ----

void NoteSpriteMove(const ToolRect& before) {
    ToolRect after = {g_doc.spriteX1, g_doc.spriteY1, g_doc.spriteX2, g_doc.spriteY2};
    g_st.spriteMoved = tool_RectUnion(g_st.spriteMoved, tool_RectUnion(Grow(before, 1), Grow(after, 1)));
}

void MoveSprite(int tool, int phase, int buttons) {
    ToolRect before = {g_doc.spriteX1, g_doc.spriteY1, g_doc.spriteX2, g_doc.spriteY2};
    int left = buttons & TOOL_LEFT, point[2] = {g_st.px, g_st.py};
    if (tool == TOOL_SEL_RECT) {
        if (phase == TOOL_PRESS && left && !doc_SpriteContains(g_st.px, g_st.py)) SpriteCentre(0, point);
        else if (phase == TOOL_MOVE && left) doc_MoveSprite(g_st.px - g_st.lx, g_st.py - g_st.ly);
        else if (phase == TOOL_RELEASE && buttons == TOOL_RIGHT && doc_SpriteContains(g_st.px, g_st.py))
            tgdi_SpriteMenu();
    } else if (phase != TOOL_RELEASE && left) {
        SpriteCentre(0, point);
    }
    NoteSpriteMove(before);
}

void Refuse() { ui_Beep(0); }

// Makes the sprite from the finished drag of tools 14, 15 and 19.
void FinishDrag(Surface* s, int tool, int zoom) {
    int ax = g_st.ax, ay = g_st.ay, px = g_st.px, py = g_st.py;
    int dx = Abs(px - ax), dy = Abs(py - ay);
    ToolRect before = TOOL_RECT_EMPTY;
    if (tool == TOOL_SEL_RECT) {
        if (!tool_RectSelectionTaken(ax, ay, px, py, zoom, (int)s->width, (int)s->height)) return Refuse();
        int b = 8;
        if (dx >= 5 && dy >= 5) {
            b = tgdi_AskBorder();
            if (b < 0) b = 4;
        }
        ToolRect r = Box(ax, ay, px, py, b);
        doc_SpriteFromArea(r.x1, r.y1, r.x2, r.y2, b);
    } else if (tool == TOOL_SEL_ELLIPSE) {
        ToolRect e = tool_EllipseBox(ax, ay, px, py);
        TkPoint corners[2] = {{e.x1, e.y1}, {e.x2, e.y2}};
        ToolRect made;
        if (!tgdi_SelectRegion(TGDI_ELLIPSE, corners, 2, &made)) return Refuse();
    } else {
        ToolRect r = Box(ax, ay, px, py, 0);
        int meets = r.x2 >= 0 && r.y2 >= 0 && r.x1 < (int)s->width && r.y1 < (int)s->height;
        if (dx <= 4 || dy <= 7 || !meets) return Refuse();
        if (!doc_SpriteFromArea(r.x1, r.y1, r.x2, r.y2, 0)) return;
        tgdi_RenderTextArt(&g_doc.sprite);
        ui_PostCommand(CMD_TEXTART);
    }
    NoteSpriteMove(before);
}

void Select(Surface* s, int tool, int phase, int buttons, int zoom) {
    if (g_doc.spritePresent) return MoveSprite(tool, phase, buttons);
    ToolRect made;
    if (tool == TOOL_SEL_CURVE) {
        if (!CollectCurvePoint(phase, buttons)) return;
        int n = g_st.curveCount;
        g_st.curveCount = 0;
        if (n < 2 || !AnyPointInImage(s, g_st.curve, n)) return Refuse();
        if (tgdi_SelectRegion(TGDI_CURVE, g_st.curve, n, &made)) NoteSpriteMove(TOOL_RECT_EMPTY);
        return;
    }
    if (phase == TOOL_PRESS && buttons) {
        g_st.ax = g_st.px;
        g_st.ay = g_st.py;
        g_st.anchored = 1;
        g_st.freeCount = 0;
    }
    if (!g_st.anchored) return;
    if (phase == TOOL_MOVE && !buttons) {
        ResetPoints();  // the release happened elsewhere: the selection is off
        return;
    }
    if (tool == TOOL_SEL_FREE && phase != TOOL_RELEASE && g_st.freeCount < TOOL_FREE_POINTS)
        g_st.freeform[g_st.freeCount++] = {g_st.px, g_st.py};
    if (phase != TOOL_RELEASE) return;
    g_st.anchored = 0;
    if (tool != TOOL_SEL_FREE) return FinishDrag(s, tool, zoom);
    int n = g_st.freeCount;
    g_st.freeCount = 0;
    if (!AnyPointInImage(s, g_st.freeform, n)) return Refuse();
    if (tgdi_SelectRegion(TGDI_POLYGON, g_st.freeform, n, &made)) NoteSpriteMove(TOOL_RECT_EMPTY);
}

// ---- colour picker ----

int PickedPixel(uint32_t* pixel) {
    Surface* s = &g_doc.mainImage;
    if (!srf_Refresh(s) || !InImage(s, g_st.px, g_st.py)) return 0;
    uint32_t* p = srf_Lock(s);
    if (!p) return 0;
    *pixel = p[(size_t)g_st.py * s->stride + g_st.px];
    srf_Unlock(s);
    return 1;
}

void Pick(int phase, int buttons) {
    uint32_t pixel;
    if (!buttons || phase == TOOL_RELEASE || !PickedPixel(&pixel)) return;
    uint32_t colorref = clr_SwapRB(pixel) & 0x00FFFFFFu;
    set_Colour(Released(buttons) == 2 ? 2 : 1, colorref);  // tells the colour panels
}

// ---- previews ----

void MarkerRect(Surface* c, int x1, int y1, int x2, int y2) {
    drw_LineMarker(c, x1, y1, x2, y1);
    drw_LineMarker(c, x2, y1, x2, y2);
    drw_LineMarker(c, x2, y2, x1, y2);
    drw_LineMarker(c, x1, y2, x1, y1);
}

void MarkerPolyline(Surface* c, const TkPoint* p, int n) {
    for (int i = 1; i < n; i++) drw_LineMarker(c, p[i - 1].x, p[i - 1].y, p[i].x, p[i].y);
}

// The preview of drag tools and drag selections while the button is held.
ToolRect DragPreview(Surface* c, int tool, int draw) {
    int ax = g_st.ax, ay = g_st.ay, px = g_st.px, py = g_st.py;
    switch (tool) {
    case TOOL_ELLIPSE: case TOOL_GRAD_ELLIPSE: case TOOL_TINT_ELLIPSE: case TOOL_SEL_ELLIPSE: {
        ToolRect e = tool_EllipseBox(ax, ay, px, py);
        if (draw) tgdi_PreviewEllipse(c, e);
        return Grow(e, 1);
    }
    case TOOL_RECTANGLE: case TOOL_GRAD_RECT: case TOOL_TINT_RECT: case TOOL_SEL_RECT: case TOOL_TEXT:
        if (draw) Locked(c, [&] {
            if (tool == TOOL_SEL_RECT) drw_FillRectOp(c, ax, ay, px, py, 0xC0000000u, 5);
            MarkerRect(c, ax, ay, px, py);
        });
        return Box(ax, ay, px, py, 1);
    case TOOL_SEL_FREE:
        if (draw) Locked(c, [&] { MarkerPolyline(c, g_st.freeform, g_st.freeCount); });
        return PointsBox(g_st.freeform, g_st.freeCount, 1);
    case TOOL_RULER:
        if (draw) tk_RulerOverlay(c, ax, ay, px, py);
        return Box(ax, ay, px, py, 13);
    default:
        if (draw) Locked(c, [&] { drw_LineMarker(c, ax, ay, px, py); });
        return Box(ax, ay, px, py, 1);
    }
}

ToolRect TrianglePreview(Surface* c, int tool, int draw) {
    int n = g_st.triCount + 1;  // the set points and the pointer
    if (n < 2) return TOOL_RECT_EMPTY;
    const TkPoint* p = g_st.tri;
    if (draw) Locked(c, [&] {
        MarkerPolyline(c, p, n);
        for (int i = 2; i < n; i++) {
            const TkPoint& from = tool == TOOL_FAN ? p[0] : p[i - 2];
            drw_LineMarker(c, from.x, from.y, p[i].x, p[i].y);
        }
    });
    return PointsBox(p, n, 1);
}

ToolRect LensPreview(Surface* c, int buttons, int draw) {
    int px = g_st.px, py = g_st.py, r = 64 / tool_LensPower(buttons);
    if (draw) {
        Surface* m = &g_st.magnifier;
        tool_Init();
        if (srf_IsValid(m) &&
            blt_CopySmooth(m, 0, 0, TOOL_LENS_SIZE - 1, TOOL_LENS_SIZE - 1, c, px - r + 1, py - r + 1, px + r,
                           py + r, 0))
            blt_Copy(c, px - 63, py - 63, px + 64, py + 64, m, 0, 0, TOOL_LENS_SIZE - 1, TOOL_LENS_SIZE - 1, 0);
    }
    return Box(px, py, px, py, 68);
}

// The brush outline at the pointer, or the eraser's and opaquer's own previews.
ToolRect BrushPreview(Surface* c, int tool, int draw) {
    int px = g_st.px, py = g_st.py, w = g_settings.toolWidth, h = w / 2;
    if (tool == TOOL_PENCIL || w < 2) return TOOL_RECT_EMPTY;
    if (tool == TOOL_ERASER) {
        if (draw) tk_EraseStroke(c, px, py, px, py, w, 1);
        return Box(px, py, px, py, h + 2);
    }
    if (tool == TOOL_OPAQUER) {
        if (draw) tk_UneraseStroke(c, px, py, px, py, w, 1, &g_doc.mainImage);
        return Box(px, py, px, py, (w + 3) / 2 + 1);
    }
    if (draw) Locked(c, [&] { drw_Ellipse(c, px - h, py - h, px - h + w - 1, py - h + w - 1, 0x00808080u); });
    return Box(px, py, px, py, h + 1);
}

// ---- status lines ----

// The working text of the tool, or 0 when the idle line applies.
int WorkingStatus(char* out, int cap, int tool, int buttons) {
    int ax = g_st.ax, ay = g_st.ay, px = g_st.px, py = g_st.py, w = g_settings.toolWidth;
    int level = g_settings.toolLevel, held = buttons != 0;
    int rx = Abs(px - ax), ry = Abs(py - ay);
    ToolFamily f = FamilyOf(tool);
    if (f == TOOL_FAMILY_FREEHAND && held) {
        switch (tool) {
        case TOOL_PENCIL: return std::snprintf(out, cap, " Drawing at (%i,%i) with pencil", px, py);
        case TOOL_CALLIGRAPHY: return std::snprintf(out, cap, " Drawing caligraphics at (%i,%i)", px, py);
        case TOOL_BRUSH: return std::snprintf(out, cap, " Drawing at (%i,%i) with brush", px, py);
        case TOOL_SHADOW:
            return std::snprintf(out, cap, " Alpha-blending the area around (%i,%i); Width = %i; Level = %i", px, py,
                                 w, level);
        case TOOL_SPRAY:
            return std::snprintf(out, cap, " Spraying at (%i,%i); Width = %i; Level = %i", px, py, w, level);
        case TOOL_ROUGHEN:
            return std::snprintf(out, cap, " Roughening the area around (%i,%i); Width = %i; Level = %i", px, py, w,
                                 level);
        case TOOL_SMOOTH: return std::snprintf(out, cap, " Smoothing the area around (%i,%i); Width = %i", px, py, w);
        case TOOL_DIR_SMOOTH:
            return std::snprintf(out, cap, " Smoothing the area around (%i,%i) - %s only; Width = %i", px, py,
                                 buttons & TOOL_RIGHT ? "vertical" : "horizontal", w);
        default: return std::snprintf(out, cap, " Erasing at (%i,%i) with eraser", px, py);
        }
    }
    if (tool == TOOL_CURVE || tool == TOOL_SEL_CURVE) {
        if (g_doc.spritePresent && tool == TOOL_SEL_CURVE) return 0;
        int n = g_st.curveCount;
        const char* name = tool == TOOL_CURVE ? "IntelliCurve" : "IntelliSelect";
        if (n >= TOOL_CURVE_POINTS - 1) return std::snprintf(out, cap, " %s :: WARNING - BUFFER FULL", name);
        if (n >= 3)
            return std::snprintf(out, cap, " %s :: %i Points set - %i%% of point buffer", name, n,
                                 n * 100 / TOOL_CURVE_POINTS);
        return std::snprintf(out, cap, tool == TOOL_CURVE
                                           ? " IntelliCurve :: left-click to set points, right-click to end curve"
                                           : " IntelliSelect :: left-click to set points, right-click to end selection");
    }
    if (f == TOOL_FAMILY_TRIANGLE) {
        int n = g_st.triCount;
        const char* name = tool == TOOL_FAN ? "Triangle Fan" : "Triangle Strip";
        if (n >= TOOL_TRIANGLE_POINTS - 1) return std::snprintf(out, cap, " %s :: WARNING - BUFFER FULL", name);
        if (n >= 3)
            return std::snprintf(out, cap, " %s :: %i/%i NB: You can change colors and alpha as you set points",
                                 name, n, TOOL_TRIANGLE_POINTS);
        return std::snprintf(out, cap, " %s :: left-click to set points, right-click to end fan", name);
    }
    if (f == TOOL_FAMILY_PICKER) {
        uint32_t p;
        int has = PickedPixel(&p), slot = Released(buttons);
        int r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255, a = p >> 24;
        if (held && has)
            return std::snprintf(out, cap, " Picking at (%i,%i) as Color#%i = RGB{ r%i, g%i, b%i } ; alpha = %i", px,
                                 py, slot, r, g, b, a);
        if (held)
            return std::snprintf(out, cap, " Picking the color at (%i,%i) as Color#%i. PIXEL OUT OF RANGE", px, py,
                                 slot);
        if (has)
            return std::snprintf(out, cap, " (%i,%i) :: Color Picker :: RGB{ r%i, g%i, b%i } ; alpha = %i", px, py, r,
                                 g, b, a);
        return std::snprintf(out, cap, " (%i,%i) :: Color Picker :: PIXEL OUT OF RANGE", px, py);
    }
    if (tool == TOOL_LENS && held)
        return std::snprintf(out, cap, " Magnifying (%i,%i); Power: %iX.", px, py, tool_LensPower(buttons));
    if (tool == TOOL_SEL_FREE && g_st.anchored && !g_doc.spritePresent) {
        if (g_st.freeCount >= TOOL_FREE_POINTS - 1)
            return std::snprintf(out, cap, " Selecting irregular region :: WARNING - BUFFER FULL");
        return std::snprintf(out, cap, " Selecting irregular region :: pos.(%i,%i) :: Buffer used: %i%%", px, py,
                             g_st.freeCount * 100 / TOOL_FREE_POINTS);
    }
    if (!g_st.anchored || (f == TOOL_FAMILY_SELECT && g_doc.spritePresent)) return 0;
    ToolRect o = Box(ax, ay, px, py, 0);
    int len = tool_Length100(px - ax, py - ay), angle = tool_Angle100(ax, ay, px, py);
    switch (tool) {
    case TOOL_RULER: tool_RulerText(out, cap, ax, ay, px, py); return 1;
    case TOOL_SEL_RECT:
        return std::snprintf(out, cap, " Selecting rectangle :: origin [%i,%i]; size [%i,%i]", o.x1, o.y1, rx + 1,
                             ry + 1);
    case TOOL_SEL_ELLIPSE: {
        ToolRect e = tool_EllipseBox(ax, ay, px, py);
        return std::snprintf(out, cap, " Selecting rectangle :: origin [%i,%i]; size [%i,%i]", e.x1, e.y1,
                             e.x2 - e.x1 + 1, e.y2 - e.y1 + 1);
    }
    case TOOL_TEXT:
        return std::snprintf(out, cap, " Inserting text :: origin [%i,%i]; area size [%i,%i]", o.x1, o.y1, rx + 1,
                             ry + 1);
    case TOOL_LINE:
        return std::snprintf(out, cap, " Line from (%i,%i) to (%i,%i); Width = %i", ax, ay, px, py, w);
    case TOOL_RECTANGLE: return std::snprintf(out, cap, " Drawing rectangle :: (%i,%i) - (%i,%i)", ax, ay, px, py);
    case TOOL_ELLIPSE:
        return std::snprintf(out, cap, " Drawing circle/ellipse with origin at (%i,%i) and radii as %i(a) ,%i(b)",
                             ax, ay, rx, ry);
    case TOOL_GRAD_RECT:
        return std::snprintf(out, cap, " Gradient-filling a rectangle extending from (%i,%i) to (%i,%i)", ax, ay,
                             px, py);
    case TOOL_GRAD_ELLIPSE:
        return std::snprintf(out, cap, " Gradient-filling ellipse with origin at (%i,%i) and radii as %i(a) ,%i(b)",
                             ax, ay, rx, ry);
    case TOOL_GRAD_BAR:
        return std::snprintf(out, cap, " Drawing gradient-filled bar from (%i,%i) to (%i,%i); Width %i", ax, ay, px,
                             py, w);
    case TOOL_GRAD_FREE:
        return std::snprintf(out, cap, " Doing free-form gradient fill from (%i,%i) to (%i,%i) ", ax, ay, px, py);
    case TOOL_TINT_RECT: return std::snprintf(out, cap, " Tinting rectangle :: (%i,%i) - (%i,%i)", ax, ay, px, py);
    case TOOL_TINT_ELLIPSE:
        return std::snprintf(out, cap, " Tinting ellipse :: center at (%i,%i); radii as %i(a) ,%i(b)", ax, ay, rx,
                             ry);
    case TOOL_TINT_BAR:
        return std::snprintf(out, cap, " Tinting angular rectangle :: (%i,%i) - (%i,%i); Width %i", ax, ay, px, py,
                             w);
    case TOOL_TINT_FREE:
        return std::snprintf(out, cap, " Tinting in freelance :: Origin (%i,%i), Target (%i,%i) ", ax, ay, px, py);
    case TOOL_SPARKLE:
        // "\xC2\xBA" is the ordinal sign the angle has always ended with, in UTF-8 (the programs' code page).
        return std::snprintf(out, cap, " Tinted sparkle :: center (%i,%i); radial size %i.%i pix; angle %i.%i\xC2\xBA ",
                             ax, ay, len / 100, len % 100, angle / 100, angle % 100);
    }
    return 0;
}

void ShowStatus(int tool, int buttons, int zoom) {
    char text[256];
    if (!WorkingStatus(text, sizeof text, tool, buttons)) tool_IdleStatus(text, sizeof text, g_st.px, g_st.py, zoom);
    ui_SetStatus(text);
}

// A change of tool (from anywhere) drops the points of the one before; a new main
// image drops everything pending.
void FollowToolChange(int tool) {
    if (g_st.generation != g_doc.generation) {
        tool_ResetPending();
        g_st.generation = g_doc.generation;
    }
    if (tool == g_st.lastTool) return;
    ResetPoints();
    g_st.lastTool = tool;
    tk_ClearOverlay();
}

}  // namespace

int ToolApply(Surface* image, int x, int y, int zoom, ToolRect* changed, int phase, int buttons) {
    *changed = TOOL_RECT_EMPTY;
    // A press on the sprite always moves it.
    if (g_doc.spritePresent && buttons && phase == TOOL_PRESS && doc_SpriteContains(x, y) &&
        tool_Current() != TOOL_SEL_RECT)
        tool_Select(TOOL_SEL_RECT);
    int tool = tool_Current();
    FollowToolChange(tool);
    g_st.px = x;
    g_st.py = y;
    g_st.buttons = buttons;
    if (phase == TOOL_PRESS) {
        g_st.lx = x;
        g_st.ly = y;
    }
    int did = 0;
    if (srf_Refresh(image)) switch (FamilyOf(tool)) {
        case TOOL_FAMILY_FREEHAND: did = Freehand(image, tool, phase, buttons, changed); break;
        case TOOL_FAMILY_DRAG: did = Drag(image, tool, phase, buttons, changed); break;
        case TOOL_FAMILY_FILL: did = Fill(image, tool, phase, buttons, changed); break;
        case TOOL_FAMILY_POINTS: did = Curve(image, phase, buttons, changed); break;
        case TOOL_FAMILY_TRIANGLE: did = Triangles(image, tool, phase, buttons, changed); break;
        case TOOL_FAMILY_SELECT: Select(image, tool, phase, buttons, zoom); break;
        case TOOL_FAMILY_RULER:
        case TOOL_FAMILY_LENS:
            if (phase == TOOL_PRESS && buttons) {
                g_st.ax = x, g_st.ay = y;
                g_st.anchored = 1;
            }
            if (phase == TOOL_RELEASE || (phase == TOOL_MOVE && !buttons)) g_st.anchored = 0;
            break;
        case TOOL_FAMILY_PICKER: Pick(phase, buttons); break;
        case TOOL_FAMILY_NONE: break;
        }
    g_st.lx = x;
    g_st.ly = y;
    if (did) doc_MarkChanged();
    else *changed = TOOL_RECT_EMPTY;
    return did;
}

namespace {

// The preview's rectangle, drawn into c as well with `draw`; without a usable
// composite only the sprite's places.
ToolRect Preview(Surface* c, int tool, int buttons, int draw) {
    ToolRect r = g_st.spriteMoved;
    int ready = srf_Refresh(c);
    ToolFamily f = FamilyOf(tool);
    Surface* d = ready ? c : nullptr;
    int preview = ready && draw;
    if (d) switch (f) {
        case TOOL_FAMILY_FREEHAND: r = tool_RectUnion(r, BrushPreview(d, tool, preview)); break;
        case TOOL_FAMILY_DRAG:
        case TOOL_FAMILY_RULER:
            if (g_st.anchored) r = tool_RectUnion(r, DragPreview(d, tool, preview));
            break;
        case TOOL_FAMILY_SELECT:
            if (g_doc.spritePresent) break;
            if (tool == TOOL_SEL_CURVE && g_st.curveCount > 0) {
                ToolRect box = TOOL_RECT_EMPTY;
                tgdi_PreviewCurve(d, g_st.curve, g_st.curveCount + 1, &box, preview);
                r = tool_RectUnion(r, box);
            } else if (g_st.anchored) {
                r = tool_RectUnion(r, DragPreview(d, tool, preview));
            }
            break;
        case TOOL_FAMILY_POINTS:
            if (g_st.curveCount > 0) {
                ToolRect box = TOOL_RECT_EMPTY;
                tgdi_PreviewCurve(d, g_st.curve, g_st.curveCount + 1, &box, preview);
                r = tool_RectUnion(r, box);
            }
            break;
        case TOOL_FAMILY_TRIANGLE: r = tool_RectUnion(r, TrianglePreview(d, tool, preview)); break;
        case TOOL_FAMILY_LENS:
            if (buttons) r = tool_RectUnion(r, LensPreview(d, buttons, preview));
            break;
        default: break;
        }
    return r;
}

}  // namespace

int ToolOverlay(Surface* c, const ToolRect& previous, ToolCleanFn clean, ToolRect* area, int phase, int buttons,
                int draw, int zoom) {
    int tool = tool_Current();
    FollowToolChange(tool);
    ToolRect r = Preview(c, tool, buttons, 0);
    ToolRect under = tool_RectUnion(r, previous);
    if (clean && !tool_RectEmpty(under)) clean(under);
    Preview(c, tool, buttons, 1);
    g_st.spriteMoved = TOOL_RECT_EMPTY;
    if (draw != TOOL_DRAW_QUIET) ShowStatus(tool, phase == TOOL_RELEASE ? 0 : buttons, zoom);
    *area = r;
    return !tool_RectEmpty(r);
}

void tool_ResetPending() {
    ResetPoints();
    g_st.spriteMoved = TOOL_RECT_EMPTY;
}

char* tool_TextArtText() { return g_st.text; }

void tool_Init() {
    if (!g_st.magnifier.created) srf_Create(TOOL_LENS_SIZE, TOOL_LENS_SIZE, &g_st.magnifier);
}

void tool_Shutdown() {
    if (g_st.magnifier.created) srf_Destroy(&g_st.magnifier);
}
