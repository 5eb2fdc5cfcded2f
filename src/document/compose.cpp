// compose.cpp — the display composite (compose.h).
#include "document/compose.h"

#include "document/document.h"
#include "engine/blit.h"
#include "engine/engine.h"
#include "engine/reduce.h"
#include "engine/shape.h"

namespace {

// Out-of-date pieces are kept apart, so that showing the middle of a changed image
// leaves its edges to be composed when they are shown, not on every mouse move.
const int PIECES_MAX = 16;

struct Pieces {
    ToolRect r[PIECES_MAX];
    int count;
};

struct ComposeState {
    Surface composite;
    Pieces stale;               // out of date: composed clean before they are shown
    ToolRect preview;           // where the last preview was drawn
    Surface reduced;            // the composite reduced by `shrink`, for zooms below 1
    int shrink;                 // 0 while there is no reduced copy
    Pieces reducedStale;        // composite pixels (image pixels) not yet reduced
};
ComposeState g_cmp = {{}, {{}, 0}, TOOL_RECT_EMPTY, {}, 0, {{}, 0}};

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

void Add(Pieces* p, const ToolRect& r) {
    if (tool_RectEmpty(r)) return;
    int n = 0;
    for (int i = 0; i < p->count; i++) {
        if (Inside(r, p->r[i])) return;
        if (!Inside(p->r[i], r)) p->r[n++] = p->r[i];
    }
    if (n == PIECES_MAX) {  // too many pieces: one rectangle holds them all
        for (int i = 1; i < n; i++) p->r[0] = tool_RectUnion(p->r[0], p->r[i]);
        n = 1;
    }
    p->r[n++] = r;
    p->count = n;
}

// Takes the part of the pieces (cut to the image) that lies in `shown` out of them,
// handing each taken part to `use`; the rest of each piece stays (up to four
// rectangles around the taken part). Returns the union of what was taken.
ToolRect Take(Pieces* p, const ToolRect& shown, void (*use)(const ToolRect&)) {
    ToolRect pieces[PIECES_MAX], done = TOOL_RECT_EMPTY;
    int count = p->count;
    for (int i = 0; i < count; i++) pieces[i] = Intersect(p->r[i], ImageRect());
    p->count = 0;
    for (int i = 0; i < count; i++) {
        const ToolRect& s = pieces[i];
        ToolRect due = Intersect(s, shown);
        if (tool_RectEmpty(due)) {
            Add(p, s);
            continue;
        }
        use(due);
        done = tool_RectUnion(done, due);
        Add(p, {s.x1, s.y1, s.x2, due.y1 - 1});
        Add(p, {s.x1, due.y2 + 1, s.x2, s.y2});
        Add(p, {s.x1, due.y1, due.x1 - 1, due.y2});
        Add(p, {due.x2 + 1, due.y1, s.x2, due.y2});
    }
    return done;
}

int Within(const Pieces& p, const ToolRect& shown) {
    ToolRect r = Intersect(shown, ImageRect());
    for (int i = 0; i < p.count; i++)
        if (!tool_RectEmpty(Intersect(p.r[i], r))) return 1;
    return 0;
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

// The out-of-date part of `shown` composed clean, then the preview redrawn.
ToolRect Refresh(const ToolRect& shown, int phase, int buttons, int zoom, int draw) {
    ToolRect due = Take(&g_cmp.stale, shown, ComposeClean);
    ToolRect now;
    ToolRect old = g_cmp.preview;
    ToolOverlay(&g_cmp.composite, old, CleanForPreview, &now, phase, buttons, draw, zoom);
    g_cmp.preview = now;
    ToolRect touched = tool_RectUnion(due, tool_RectUnion(old, now));
    Add(&g_cmp.reducedStale, touched);
    return touched;
}

// r widened to whole blocks of the reduced copy (the image's edge cuts the last).
ToolRect BlockAligned(const ToolRect& r, int s) {
    ToolRect in = Intersect(r, ImageRect());
    if (tool_RectEmpty(in)) return in;
    return Intersect({in.x1 / s * s, in.y1 / s * s, in.x2 / s * s + s - 1, in.y2 / s * s + s - 1}, ImageRect());
}

void ReduceBlocks(const ToolRect& r) {
    const int s = g_cmp.shrink;
    red_Average(&g_cmp.reduced, &g_cmp.composite, s, r.x1 / s, r.y1 / s, r.x2 / s, r.y2 / s);
}

// The reduced copy exists at block size s and the composite's size; a new one is
// wholly out of date.
int FitReduced(int s) {
    Surface* c = &g_cmp.composite;
    Surface* d = &g_cmp.reduced;
    const uint32_t w = (uint32_t)red_Size((int)c->width, s), h = (uint32_t)red_Size((int)c->height, s);
    if (g_cmp.shrink == s && Ready(d) && d->width == w && d->height == h) return 1;
    if (d->created) srf_Destroy(d);
    g_cmp.shrink = 0;
    srf_Create(w, h, d);
    if (!Ready(d) || d->width != w || d->height != h) return 0;
    g_cmp.shrink = s;
    g_cmp.reducedStale.count = 0;
    Add(&g_cmp.reducedStale, ImageRect());
    return 1;
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
        // Made, not copied: all of it is stale, and every reader brings up to date
        // what it reads (a transform's preview resizes the image at every step).
        srf_Create(m->width, m->height, c);
        if (!srf_IsValid(c) || !Ready(c)) return nullptr;
        g_cmp.stale.count = 0;
        Add(&g_cmp.stale, ImageRect());
        g_cmp.preview = TOOL_RECT_EMPTY;
        g_cmp.reducedStale.count = 0;
        Add(&g_cmp.reducedStale, ImageRect());
    }
    return c;
}

Surface* cmp_Composite() { return g_cmp.composite.created ? &g_cmp.composite : nullptr; }

void cmp_Changed(const ToolRect& r) { Add(&g_cmp.stale, r); }

ToolRect cmp_Update(const ToolRect& r, int buttons, int zoom) {
    if (!cmp_Fit() || !Within(g_cmp.stale, r)) return TOOL_RECT_EMPTY;
    return Refresh(r, TOOL_MOVE, buttons, zoom, TOOL_DRAW_QUIET);
}

ToolRect cmp_Preview(const ToolRect& r, int phase, int buttons, int zoom, int draw) {
    if (!cmp_Fit()) return TOOL_RECT_EMPTY;
    return Refresh(r, phase, buttons, zoom, draw);
}

Surface* cmp_Reduced(const ToolRect& r, int shrink, int buttons, int zoom) {
    if (shrink < 2 || shrink > RED_MAX_SHRINK || !cmp_Fit()) return nullptr;
    // Whole blocks, so that every reduced pixel is made from a clean composite.
    ToolRect blocks = BlockAligned(r, shrink);
    cmp_Update(blocks, buttons, zoom);
    if (!FitReduced(shrink)) return nullptr;
    Take(&g_cmp.reducedStale, blocks, ReduceBlocks);
    return &g_cmp.reduced;
}

void cmp_Shutdown() {
    if (g_cmp.composite.created) srf_Destroy(&g_cmp.composite);
    if (g_cmp.reduced.created) srf_Destroy(&g_cmp.reduced);
    g_cmp.stale.count = 0;
    g_cmp.reducedStale.count = 0;
    g_cmp.shrink = 0;
    g_cmp.preview = TOOL_RECT_EMPTY;
}
