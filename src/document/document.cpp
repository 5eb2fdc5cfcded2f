// document.cpp — document state, the operations that change pixels, target selection
// and the sprite commands.
#include "document/document.h"
#include <cassert>
#include <algorithm>
#include <cstring>
#include <vector>
#include "document/toolselect.h"
#include "effects/catalogue.h"
#include "document/undo.h"
#include "engine/blit.h"
#include "engine/color.h"
#include "engine/shape.h"
#include "platform/ui.h"
#include "settings/settings.h"

DocState g_doc = [] {
    DocState d{};
    std::strcpy(d.fileName, DOC_UNTITLED);
    return d;
}();

namespace {

void SetSpriteRect(int x1, int y1, int x2, int y2) {
    g_doc.spriteX1 = x1 < x2 ? x1 : x2;
    g_doc.spriteX2 = x1 < x2 ? x2 : x1;
    g_doc.spriteY1 = y1 < y2 ? y1 : y2;
    g_doc.spriteY2 = y1 < y2 ? y2 : y1;
}

int SpriteReady() { return g_doc.spritePresent && srf_IsValid(&g_doc.sprite); }

// The sprite blended onto the main image at its rectangle, stretched to it when the
// sizes differ, alpha of the result opaque; one undo step of the rectangle.
int StampSprite() {
    if (!SpriteReady() || !srf_Refresh(&g_doc.sprite)) return 0;
    int ok = blt_Blend(&g_doc.mainImage, g_doc.spriteX1, g_doc.spriteY1, g_doc.spriteX2, g_doc.spriteY2,
                       &g_doc.sprite, 0, 0, (int)g_doc.sprite.width - 1, (int)g_doc.sprite.height - 1,
                       BLT_OPAQUE);
    undo_Record(&g_doc.mainImage, g_doc.spriteX1, g_doc.spriteY1, g_doc.spriteX2, g_doc.spriteY2, 0);
    doc_MarkChanged();
    return ok;
}

void FreeSprite() {
    if (srf_IsValid(&g_doc.sprite)) srf_Destroy(&g_doc.sprite);
    g_doc.sprite = Surface{};
}

int TargetReady(int target) {
    return target == DOC_TARGET_SPRITE ? SpriteReady() && srf_Refresh(&g_doc.sprite)
                                       : srf_IsValid(&g_doc.mainImage) && srf_Refresh(&g_doc.mainImage);
}

// The bookkeeping of a kept change: the main image's undo step (a new history at
// another size) and unsaved flag. The view is told by the caller.
void KeepChange(int target) {
    if (target != DOC_TARGET_MAIN) return;
    undo_Record(&g_doc.mainImage, 0, 0, 0, 0, 1);
    doc_MarkChanged();
}

// The previewed edit: the target as it was, and the sprite's centre then.
struct Edit {
    int active;
    int target;
    int mayResize;
    Surface original;
    int spriteCx, spriteCy;
};
Edit g_edit;

// The target becomes the copy again (a new surface when a transform changed its size).
int Restore() {
    Surface* t = doc_TargetSurface(g_edit.target);
    Surface* c = &g_edit.original;
    if (srf_Refresh(t) && srf_Refresh(c) && t->width == c->width && t->height == c->height)
        return blt_Copy(t, 0, 0, (int)c->width - 1, (int)c->height - 1, c, 0, 0, (int)c->width - 1,
                        (int)c->height - 1, 0);
    return srf_Duplicate(t, c);
}

// After a preview: a transformed sprite keeps its centre, a transformed main image
// refits the view; an effect only repaints.
void FollowEdit() {
    if (!g_edit.mayResize) {
        ui_ViewChanged(UI_VIEW_REPAINT);
    } else if (g_edit.target == DOC_TARGET_SPRITE && srf_Refresh(&g_doc.sprite)) {
        int x1, y1, x2, y2;
        cat_KeepCentre(g_edit.spriteCx, g_edit.spriteCy, (int)g_doc.sprite.width, (int)g_doc.sprite.height, &x1,
                       &y1, &x2, &y2);
        doc_PlaceSprite(x1, y1, x2, y2);
    } else {
        ui_ViewChanged(UI_VIEW_RESIZED | UI_VIEW_REPAINT);
    }
}

}  // namespace

const char* doc_FileName() { return g_doc.fileName; }
int doc_IsUntitled() { return std::strcmp(g_doc.fileName, DOC_UNTITLED) == 0; }

void doc_SetFileName(const char* name) {
    if (!name || std::strlen(name) >= sizeof g_doc.fileName) name = DOC_UNTITLED;
    std::memmove(g_doc.fileName, name, std::strlen(name) + 1);
    ui_ViewChanged(UI_VIEW_TITLE);
}

int doc_HasUnsavedChanges() { return g_doc.unsavedChanges; }
void doc_MarkChanged() { g_doc.unsavedChanges = 1; }
void doc_MarkSaved() { g_doc.unsavedChanges = 0; }

void doc_ReplaceMainImage(Surface* made, const char* fileName, int saved) {
    assert(made && made != &g_doc.mainImage);
    if (srf_IsValid(&g_doc.mainImage)) srf_Destroy(&g_doc.mainImage);
    g_doc.mainImage = *made;
    *made = Surface{};
    undo_Reset(&g_doc.mainImage);
    g_doc.generation++;
    g_doc.unsavedChanges = saved ? 0 : 1;
    doc_SetFileName(fileName);
    ui_ViewChanged(UI_VIEW_RESIZED | UI_VIEW_REPAINT);
}

namespace {

// The blocks of the main image the stroke has changed, one byte each, row after row.
const int STROKE_BLOCK = 64;
struct StrokeArea {
    int changed;
    int across, down;
    std::vector<uint8_t> touched;
};
StrokeArea g_stroke;

}  // namespace

void doc_BeginStroke() {
    g_stroke.changed = 0;
    g_stroke.across = g_stroke.down = 0;
    if (!srf_IsValid(&g_doc.mainImage) || !srf_Refresh(&g_doc.mainImage)) return;
    g_stroke.across = ((int)g_doc.mainImage.width + STROKE_BLOCK - 1) / STROKE_BLOCK;
    g_stroke.down = ((int)g_doc.mainImage.height + STROKE_BLOCK - 1) / STROKE_BLOCK;
    g_stroke.touched.assign((size_t)g_stroke.across * g_stroke.down, 0);
}

void doc_StrokeChanged(int x1, int y1, int x2, int y2) {
    g_stroke.changed = 1;
    const int bx1 = std::max(std::min(x1, x2), 0) / STROKE_BLOCK, by1 = std::max(std::min(y1, y2), 0) / STROKE_BLOCK;
    const int bx2 = std::min(std::max(x1, x2), g_stroke.across * STROKE_BLOCK - 1);
    const int by2 = std::min(std::max(y1, y2), g_stroke.down * STROKE_BLOCK - 1);
    for (int by = by1; by * STROKE_BLOCK <= by2; by++)
        for (int bx = bx1; bx * STROKE_BLOCK <= bx2; bx++) g_stroke.touched[(size_t)by * g_stroke.across + bx] = 1;
}

int doc_EndStroke() {
    if (!g_stroke.changed) return 0;
    g_stroke.changed = 0;
    // Each block row's runs of touched blocks become one part each.
    std::vector<ToolRect> parts;
    for (int by = 0; by < g_stroke.down; by++)
        for (int bx = 0; bx < g_stroke.across;) {
            if (!g_stroke.touched[(size_t)by * g_stroke.across + bx]) {
                bx++;
                continue;
            }
            int end = bx;
            while (end + 1 < g_stroke.across && g_stroke.touched[(size_t)by * g_stroke.across + end + 1]) end++;
            parts.push_back({bx * STROKE_BLOCK, by * STROKE_BLOCK, (end + 1) * STROKE_BLOCK - 1,
                             (by + 1) * STROKE_BLOCK - 1});
            bx = end + 1;
        }
    undo_RecordParts(&g_doc.mainImage, parts.data(), (int)parts.size());
    doc_MarkChanged();
    return 1;
}

namespace {

int StepHistory(int (*step)(Surface*)) {
    int done = step(&g_doc.mainImage);  // the step reports itself on the status line
    if (done) {
        doc_MarkChanged();
        ui_ViewChanged(UI_VIEW_REPAINT);  // the scroll bars keep their place
    }
    return done;
}

}  // namespace

void doc_StartHistory() { undo_Reset(&g_doc.mainImage); }

int doc_Undo() { return StepHistory(undo_Undo); }
int doc_Redo() { return StepHistory(undo_Redo); }

int doc_ChangeTarget(int target, int (*change)(Surface* s, void* context), void* context) {
    if (!TargetReady(target)) return 0;
    Surface* s = doc_TargetSurface(target);
    uint32_t w = s->width, h = s->height;
    int changed = change(s, context);
    if (!changed) return changed;
    int resized = srf_Refresh(s) && (s->width != w || s->height != h);
    KeepChange(target);
    if (target == DOC_TARGET_SPRITE && resized)
        SetSpriteRect(g_doc.spriteX1, g_doc.spriteY1, g_doc.spriteX1 + (int)s->width - 1,
                      g_doc.spriteY1 + (int)s->height - 1);
    ui_ViewChanged(target == DOC_TARGET_MAIN && resized ? UI_VIEW_RESIZED | UI_VIEW_REPAINT : UI_VIEW_REPAINT);
    return changed;
}

int doc_EditBegin(int target) {
    assert(!g_edit.active);
    if (!TargetReady(target)) return 0;
    Edit e{};
    if (!srf_Duplicate(&e.original, doc_TargetSurface(target))) return 0;
    e.active = 1;
    e.target = target;
    e.spriteCx = (g_doc.spriteX1 + 1 + g_doc.spriteX2) / 2;
    e.spriteCy = (g_doc.spriteY1 + 1 + g_doc.spriteY2) / 2;
    g_edit = e;
    return 1;
}

int doc_EditPreview(int (*step)(Surface* target, Surface* original, void* context), void* context,
                    int restoreFirst, int mayResize) {
    if (!g_edit.active) return 0;
    g_edit.mayResize = mayResize;
    int made = (!restoreFirst || Restore()) && step(doc_TargetSurface(g_edit.target), &g_edit.original, context);
    FollowEdit();
    return made;
}

void doc_EditEnd(int keep) {
    if (!g_edit.active) return;
    if (!keep) {
        Restore();
        FollowEdit();
    } else {
        KeepChange(g_edit.target);
        FollowEdit();  // one notice: the view repaints (and refits) once
    }
    srf_Destroy(&g_edit.original);
    g_edit = Edit{};
}

int doc_EditActive() { return g_edit.active; }

Surface* doc_TargetSurface(int target) {
    return target == DOC_TARGET_SPRITE ? &g_doc.sprite : &g_doc.mainImage;
}

void doc_ReportTarget(int target) {
    ui_SetStatus(target == DOC_TARGET_SPRITE ? " Target set to Sprite..." : " Target set to Main Image...");
}

int doc_ConfirmTransformWithoutUndo(int target) {
    if (target != DOC_TARGET_MAIN || undo_UndoCount() == 0) return 1;
    return ui_MessageBox("You may not be able to undo this action\nif it changes the image size.\n"
                         "Would you like to continue anyway?",
                         "Continue Without Undo?", UI_YESNO | UI_ICONQUESTION) == UI_IDYES;
}

int doc_HasTransparency(Surface* s) {
    uint32_t* px = srf_Lock(s);
    if (!px) return 0;
    int found = 0;
    for (uint32_t y = 0; y < s->height && !found; y++)
        for (uint32_t x = 0; x < s->width; x++)
            if (px[(size_t)y * s->stride + x] >> 24) {
                found = 1;
                break;
            }
    srf_Unlock(s);
    return found;
}

int doc_CheckTransparencyFor(uint32_t effectCode, Surface* target) {
    const EffectInfo* effect = cat_Effect(effectCode);
    if (!effect || !effect->needsTransparency || doc_HasTransparency(target)) return 1;
    ui_MessageBox("You can only perform this effect to an image\nwith transparent regions or borders.",
                  "No Transparency", UI_OK | UI_ICONINFORMATION);
    return 0;
}

int doc_AddToImage() {
    if (!StampSprite()) return 0;
    doc_Discard();
    return 1;
}

int doc_AddCopyToImage() {
    if (!StampSprite()) return 0;
    SetSpriteRect(g_doc.spriteX1 + 24, g_doc.spriteY1 + 24, g_doc.spriteX2 + 24, g_doc.spriteY2 + 24);
    ui_ViewChanged(UI_VIEW_REPAINT);
    return 1;
}

int doc_Discard() {
    g_doc.spritePresent = 0;
    SetSpriteRect(0, 0, 0, 0);
    FreeSprite();
    ui_ViewChanged(UI_VIEW_REPAINT);
    return 1;
}

int doc_BringToTopAsSprite() {
    if (g_doc.spritePresent &&
        ui_MessageBox("The current sprite will have to be discarded to do this.\nWould you like to continue?",
                      "Discard Sprite?", UI_YESNO | UI_ICONQUESTION) != UI_IDYES)
        return 0;
    Surface copy{};
    if (!srf_Duplicate(&copy, &g_doc.mainImage)) return 0;
    FreeSprite();
    g_doc.sprite = copy;
    SetSpriteRect(4, 4, (int)copy.width + 3, (int)copy.height + 3);
    g_doc.spritePresent = 1;
    ui_ViewChanged(UI_VIEW_REPAINT);
    return 1;
}

int doc_SendToBottomAsMainImage(int (*saveMainImage)()) {
    if (!SpriteReady()) return 0;
    if (doc_HasUnsavedChanges()) {
        int answer = ui_MessageBox("This action will destroy the image and cannot be undone.\n"
                                   "Would you like to save the image first?",
                                   "Save Main Image?", UI_YESNOCANCEL | UI_ICONQUESTION);
        if (answer == UI_IDCANCEL) return 0;
        // A save that did not happen must not be followed by destroying the image.
        if (answer == UI_IDYES && (!saveMainImage || !saveMainImage())) return 0;
    }
    Surface copy{};
    if (!srf_Duplicate(&copy, &g_doc.sprite)) return 0;
    FreeSprite();
    g_doc.spritePresent = 0;
    SetSpriteRect(0, 0, 0, 0);
    doc_ReplaceMainImage(&copy, nullptr, 0);
    return 1;
}

int doc_AdoptSprite(Surface* loaded) {
    if (!loaded || !srf_IsValid(loaded) || !srf_Refresh(loaded)) return 0;
    FreeSprite();
    g_doc.sprite = *loaded;
    *loaded = Surface{};
    tool_Select(TOOL_SEL_RECT);
    g_doc.spritePresent = 1;
    SetSpriteRect(0, 0, (int)g_doc.sprite.width - 1, (int)g_doc.sprite.height - 1);
    ui_ViewChanged(UI_VIEW_REPAINT);
    return 1;
}

int doc_ResizeSprite(int width, int height, int mode) {
    if (!SpriteReady() || !srf_Resize(&g_doc.sprite, width, height, mode)) return 0;
    SetSpriteRect(g_doc.spriteX1, g_doc.spriteY1, g_doc.spriteX1 + width - 1, g_doc.spriteY1 + height - 1);
    ui_ViewChanged(UI_VIEW_REPAINT);
    return 1;
}

int doc_SpriteFromArea(int x1, int y1, int x2, int y2, int frame) {
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    Surface made{};
    if (!srf_Refresh(&g_doc.mainImage) ||
        !srf_CreateExact((uint32_t)(x2 - x1 + 1), (uint32_t)(y2 - y1 + 1), &made))
        return 0;
    int w = (int)made.width, h = (int)made.height;
    drw_FillRect(&made, 0, 0, w - 1, h - 1, 0xFF000000u);
    // Only the part over the image is copied; the rest stays transparent.
    int cx1 = std::max(x1, 0), cy1 = std::max(y1, 0);
    int cx2 = std::min(x2, (int)g_doc.mainImage.width - 1), cy2 = std::min(y2, (int)g_doc.mainImage.height - 1);
    if (cx1 <= cx2 && cy1 <= cy2)
        blt_Copy(&made, cx1 - x1, cy1 - y1, cx2 - x1, cy2 - y1, &g_doc.mainImage, cx1, cy1, cx2, cy2, 0);
    if (frame > 0) {
        drw_FillRect(&made, 0, 0, w - 1, frame - 1, 0xFF000000u);
        drw_FillRect(&made, 0, h - frame, w - 1, h - 1, 0xFF000000u);
        drw_FillRect(&made, 0, 0, frame - 1, h - 1, 0xFF000000u);
        drw_FillRect(&made, w - frame, 0, w - 1, h - 1, 0xFF000000u);
    }
    FreeSprite();
    srf_Install(&g_doc.sprite, &made);
    SetSpriteRect(x1, y1, x2, y2);
    g_doc.spritePresent = 1;
    ui_ViewChanged(UI_VIEW_REPAINT);
    return 1;
}

void doc_MoveSprite(int dx, int dy) {
    if (!g_doc.spritePresent) return;
    SetSpriteRect(g_doc.spriteX1 + dx, g_doc.spriteY1 + dy, g_doc.spriteX2 + dx, g_doc.spriteY2 + dy);
    ui_ViewChanged(UI_VIEW_SPRITE_MOVED);
}

void SpriteCentre(int mode, const int* point) {
    if (!g_doc.spritePresent) return;
    int w = (int)g_doc.sprite.width, h = (int)g_doc.sprite.height;
    int cx = (g_doc.spriteX1 + g_doc.spriteX2) / 2, cy = (g_doc.spriteY1 + g_doc.spriteY2) / 2;
    if (mode) {
        w = g_doc.spriteX2 - g_doc.spriteX1 + 1;
        h = g_doc.spriteY2 - g_doc.spriteY1 + 1;
        cx = (int)g_doc.mainImage.width / 2;
        cy = (int)g_doc.mainImage.height / 2;
    } else if (point) {
        cx = point[0];
        cy = point[1];
    }
    SetSpriteRect(cx - w / 2, cy - h / 2, cx - w / 2 + w - 1, cy - h / 2 + h - 1);
    ui_ViewChanged(UI_VIEW_SPRITE_MOVED);
}

void doc_PlaceSprite(int x1, int y1, int x2, int y2) {
    SetSpriteRect(x1, y1, x2, y2);
    ui_ViewChanged(UI_VIEW_REPAINT);
}

int doc_SpriteContains(int x, int y) {
    return g_doc.spritePresent && x >= g_doc.spriteX1 && x <= g_doc.spriteX2 && y >= g_doc.spriteY1 &&
           y <= g_doc.spriteY2;
}

void doc_Shutdown() {
    doc_EditEnd(0);
    FreeSprite();
    g_doc.spritePresent = 0;
    if (srf_IsValid(&g_doc.mainImage)) srf_Destroy(&g_doc.mainImage);
    if (g_doc.maskCache) mem_Free(g_doc.maskCache);
    g_doc.maskCache = nullptr;
}
