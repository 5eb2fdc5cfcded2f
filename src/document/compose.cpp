// compose.cpp — the display composite (compose.h).
#include "document/compose.h"

#include "document/document.h"
#include "engine/blit.h"
#include "engine/engine.h"
#include "engine/shape.h"

namespace {

struct ComposeState {
    Surface composite;
    ToolRect stale;    // out of date: must be composed clean before it is shown
    ToolRect preview;  // where the last preview was drawn
};
ComposeState g_cmp = {{}, TOOL_RECT_EMPTY, TOOL_RECT_EMPTY};

const uint32_t SPRITE_SHADE = 0xD0000000u;  // the sprite's dimmed underlay and its frame

int Ready(Surface* s) { return s->created && srf_Refresh(s) && s->width && s->height; }

int Max(int a, int b) { return a > b ? a : b; }
int Min(int a, int b) { return a < b ? a : b; }

ToolRect Intersect(const ToolRect& a, const ToolRect& b) {
    ToolRect r = {Max(a.x1, b.x1), Max(a.y1, b.y1), Min(a.x2, b.x2), Min(a.y2, b.y2)};
    return r.x1 > r.x2 || r.y1 > r.y2 ? TOOL_RECT_EMPTY : r;
}

ToolRect ImageRect() {
    Surface* m = &g_doc.mainImage;
    return {0, 0, (int)m->width - 1, (int)m->height - 1};
}

// What stays of `stale` once `done` is up to date. Kept a rectangle: when the
// difference is not one, all of `stale` stays (composing again is harmless).
ToolRect Remaining(const ToolRect& stale, const ToolRect& done) {
    if (tool_RectEmpty(Intersect(stale, done))) return stale;
    ToolRect r = stale;
    if (done.x1 <= r.x1 && done.x2 >= r.x2) {
        if (done.y1 <= r.y1) r.y1 = Max(r.y1, done.y2 + 1);
        else if (done.y2 >= r.y2) r.y2 = Min(r.y2, done.y1 - 1);
    } else if (done.y1 <= r.y1 && done.y2 >= r.y2) {
        if (done.x1 <= r.x1) r.x1 = Max(r.x1, done.x2 + 1);
        else if (done.x2 >= r.x2) r.x2 = Min(r.x2, done.x1 - 1);
    }
    return r.x1 > r.x2 || r.y1 > r.y2 ? TOOL_RECT_EMPTY : r;
}

// The sprite's frame where it crosses r. The four sides meet without overlapping,
// as drw_RectBlend draws them, so each frame pixel is blended exactly once however
// the composite is composed in pieces.
void FrameBlend(Surface* c, const ToolRect& s, const ToolRect& r) {
    ToolRect sides[4] = {{s.x1 + 1, s.y1, s.x2, s.y1}, {s.x2, s.y1 + 1, s.x2, s.y2},
                         {s.x1, s.y2, s.x2 - 1, s.y2}, {s.x1, s.y1, s.x1, s.y2 - 1}};
    int count = 4;
    if (s.x1 == s.x2 || s.y1 == s.y2) {  // a degenerate box draws its top row only
        sides[0] = {s.x1, s.y1, s.x2, s.y1};
        count = 1;
    }
    for (int i = 0; i < count; i++) {
        ToolRect part = Intersect(sides[i], r);
        if (!tool_RectEmpty(part)) drw_LineBlend(c, part.x1, part.y1, part.x2, part.y2, SPRITE_SHADE);
    }
}

// Composes r (inside the image) clean: the image over the checkerboard, then the
// sprite over its dimmed underlay, then its frame.
void ComposeClean(const ToolRect& r) {
    Surface* m = &g_doc.mainImage;
    Surface* c = &g_cmp.composite;
    eng_SetClip(r.x1, r.y1, r.x2, r.y2);
    blt_Blend(c, r.x1, r.y1, r.x2, r.y2, m, r.x1, r.y1, r.x2, r.y2, BLT_CHECKER | BLT_CLIP);
    if (g_doc.spritePresent && Ready(&g_doc.sprite)) {
        ToolRect s = {g_doc.spriteX1, g_doc.spriteY1, g_doc.spriteX2, g_doc.spriteY2};
        ToolRect under = Intersect(s, r);
        if (!tool_RectEmpty(under) && srf_Lock(c)) {
            drw_FillRectOp(c, under.x1, under.y1, under.x2, under.y2, SPRITE_SHADE, 5);
            srf_Unlock(c);
        }
        blt_Blend(c, s.x1, s.y1, s.x2, s.y2, &g_doc.sprite, 0, 0, s.x2 - s.x1, s.y2 - s.y1, BLT_CLIP);
        if (srf_Lock(c)) {
            FrameBlend(c, s, r);
            srf_Unlock(c);
        }
    }
    eng_SetClip(0, 0, 0x7FFFFFFF, 0x7FFFFFFF);
}

// The tool's clean-up before it draws a preview: clean where it goes and where the
// last one was.
void CleanForPreview(const ToolRect& r) {
    ToolRect inside = Intersect(r, ImageRect());
    if (!tool_RectEmpty(inside)) ComposeClean(inside);
}

// The out-of-date part of `view` composed clean, then the preview redrawn.
ToolRect Refresh(const ToolRect& view, int phase, int buttons, int zoom, int draw) {
    ToolRect shown = Intersect(view, ImageRect()), stale = Intersect(g_cmp.stale, ImageRect());
    ToolRect due = Intersect(stale, shown);
    if (!tool_RectEmpty(due)) ComposeClean(due);
    g_cmp.stale = Remaining(stale, shown);
    ToolRect now;
    ToolRect old = g_cmp.preview;
    ToolOverlay(&g_cmp.composite, old, CleanForPreview, &now, phase, buttons, draw, zoom);
    g_cmp.preview = now;
    return tool_RectUnion(due, tool_RectUnion(old, now));
}

}  // namespace

Surface* cmp_Fit() {
    Surface* m = &g_doc.mainImage;
    Surface* c = &g_cmp.composite;
    if (!Ready(m)) return nullptr;
    int fresh = !c->created || !srf_Refresh(c) || c->width != m->width || c->height != m->height;
    if (!fresh && !srf_Lock(c)) fresh = 1;
    else if (!fresh) srf_Unlock(c);
    if (fresh) {
        if (c->created) srf_Destroy(c);
        if (!srf_Duplicate(c, m) || !Ready(c)) return nullptr;
        g_cmp.stale = ImageRect();
        g_cmp.preview = TOOL_RECT_EMPTY;
    }
    return c;
}

Surface* cmp_Composite() { return g_cmp.composite.created ? &g_cmp.composite : nullptr; }

void cmp_Changed(const ToolRect& r) { g_cmp.stale = tool_RectUnion(g_cmp.stale, r); }

ToolRect cmp_Update(const ToolRect& r, int buttons, int zoom) {
    if (!cmp_Fit() || tool_RectEmpty(Intersect(Intersect(g_cmp.stale, r), ImageRect()))) return TOOL_RECT_EMPTY;
    return Refresh(r, TOOL_MOVE, buttons, zoom, TOOL_DRAW_QUIET);
}

ToolRect cmp_Preview(const ToolRect& r, int phase, int buttons, int zoom, int draw) {
    if (!cmp_Fit()) return TOOL_RECT_EMPTY;
    return Refresh(r, phase, buttons, zoom, draw);
}

void cmp_Shutdown() {
    if (g_cmp.composite.created) srf_Destroy(&g_cmp.composite);
    g_cmp.stale = TOOL_RECT_EMPTY;
    g_cmp.preview = TOOL_RECT_EMPTY;
}
