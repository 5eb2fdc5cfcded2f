// compose.cpp — the display composite (compose.h).
#include "document/compose.h"

#include "document/document.h"
#include "engine/blit.h"
#include "engine/engine.h"
#include "engine/shape.h"

namespace {

// Out-of-date pieces are kept apart, so that showing the middle of a changed image
// leaves its edges to be composed when they are shown, not on every mouse move.
const int STALE_MAX = 16;

struct ComposeState {
    Surface composite;
    ToolRect stale[STALE_MAX];  // out of date: composed clean before they are shown
    int staleCount;
    ToolRect preview;           // where the last preview was drawn
};
ComposeState g_cmp = {{}, {}, 0, TOOL_RECT_EMPTY};

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

int Inside(const ToolRect& a, const ToolRect& b) {
    return a.x1 >= b.x1 && a.y1 >= b.y1 && a.x2 <= b.x2 && a.y2 <= b.y2;
}

void AddStale(const ToolRect& r) {
    if (tool_RectEmpty(r)) return;
    int n = 0;
    for (int i = 0; i < g_cmp.staleCount; i++) {
        if (Inside(r, g_cmp.stale[i])) return;
        if (!Inside(g_cmp.stale[i], r)) g_cmp.stale[n++] = g_cmp.stale[i];
    }
    if (n == STALE_MAX) {  // too many pieces: one rectangle holds them all
        for (int i = 1; i < n; i++) g_cmp.stale[0] = tool_RectUnion(g_cmp.stale[0], g_cmp.stale[i]);
        n = 1;
    }
    g_cmp.stale[n++] = r;
    g_cmp.staleCount = n;
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

// Composes the out-of-date part of `shown` clean and keeps the rest of each piece
// (up to four rectangles around the composed part). Returns what was composed.
ToolRect ComposeStale(const ToolRect& shown) {
    ToolRect pieces[STALE_MAX], done = TOOL_RECT_EMPTY;
    int count = g_cmp.staleCount;
    for (int i = 0; i < count; i++) pieces[i] = Intersect(g_cmp.stale[i], ImageRect());
    g_cmp.staleCount = 0;
    for (int i = 0; i < count; i++) {
        const ToolRect& s = pieces[i];
        ToolRect due = Intersect(s, shown);
        if (tool_RectEmpty(due)) {
            AddStale(s);
            continue;
        }
        ComposeClean(due);
        done = tool_RectUnion(done, due);
        AddStale({s.x1, s.y1, s.x2, due.y1 - 1});
        AddStale({s.x1, due.y2 + 1, s.x2, s.y2});
        AddStale({s.x1, due.y1, due.x1 - 1, due.y2});
        AddStale({due.x2 + 1, due.y1, s.x2, due.y2});
    }
    return done;
}

int StaleWithin(const ToolRect& shown) {
    ToolRect r = Intersect(shown, ImageRect());
    for (int i = 0; i < g_cmp.staleCount; i++)
        if (!tool_RectEmpty(Intersect(g_cmp.stale[i], r))) return 1;
    return 0;
}

// The out-of-date part of `shown` composed clean, then the preview redrawn.
ToolRect Refresh(const ToolRect& shown, int phase, int buttons, int zoom, int draw) {
    ToolRect due = ComposeStale(shown);
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
        g_cmp.staleCount = 0;
        AddStale(ImageRect());
        g_cmp.preview = TOOL_RECT_EMPTY;
    }
    return c;
}

Surface* cmp_Composite() { return g_cmp.composite.created ? &g_cmp.composite : nullptr; }

void cmp_Changed(const ToolRect& r) { AddStale(r); }

ToolRect cmp_Update(const ToolRect& r, int buttons, int zoom) {
    if (!cmp_Fit() || !StaleWithin(r)) return TOOL_RECT_EMPTY;
    return Refresh(r, TOOL_MOVE, buttons, zoom, TOOL_DRAW_QUIET);
}

ToolRect cmp_Preview(const ToolRect& r, int phase, int buttons, int zoom, int draw) {
    if (!cmp_Fit()) return TOOL_RECT_EMPTY;
    return Refresh(r, phase, buttons, zoom, draw);
}

void cmp_Shutdown() {
    if (g_cmp.composite.created) srf_Destroy(&g_cmp.composite);
    g_cmp.staleCount = 0;
    g_cmp.preview = TOOL_RECT_EMPTY;
}
