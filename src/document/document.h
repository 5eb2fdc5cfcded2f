// document.h — the document: main image, floating sprite and what moves between them.
//
// Owns: g_doc, the one document state record (surfaces, sprite rectangle, mask cache,
// unsaved flag, file name, display composite). Others read the record; only this
// module writes it, and it tells the view (ui_ViewChanged) whenever something
// visible changed, so callers never repaint after a document call. The drawing
// colours and the current tool live in the settings record, which is persisted.
// Operations take their decisions as arguments (target, border, size); the dialogs
// that ask for them belong to the command layer. Yes/No questions and messages go
// through the user-interface seam. Only the main image is tracked by undo: steps
// are recorded here where an operation changes it; operations that replace it or
// change its size reset the history.
// Effect results: 1 done / 0 cancelled on the main image, 129 / 128 on the sprite.
#pragma once
#include <cstdint>
#include "document/memblock.h"
#include "engine/surface.h"

const char DOC_UNTITLED[] = "- untitled -";
const int DOC_PATH_MAX = 260;

struct DocState {
    Surface mainImage;
    Surface sprite;
    uint8_t spritePresent;
    int32_t spriteX1, spriteY1, spriteX2, spriteY2;   // inclusive, ordered
    MemBlock maskCache;    // width, height (uint32), then the cached pixels
    uint8_t unsavedChanges;  // 1 when the main image differs from its file
    char fileName[DOC_PATH_MAX];  // DOC_UNTITLED when the image has no file
    Surface composite;     // the view composes image and sprite here
};
extern DocState g_doc;

// The main image's file; DOC_UNTITLED when it has none, "" before start-up names it.
const char* doc_FileName();
int doc_IsUntitled();
// Stores the name (null or too long a name: untitled) and has the title rebuilt.
void doc_SetFileName(const char* name);
int doc_HasUnsavedChanges();
void doc_MarkChanged();
void doc_MarkSaved();
// The one way the main image is replaced: `made` is moved in (the old image freed),
// undo takes a new base, the file name becomes `fileName` (null = untitled), the
// image counts as saved when `saved` is 1, and the view refits and repaints.
void doc_ReplaceMainImage(Surface* made, const char* fileName, int saved);
// A command changed a target's pixels in place: the main image gets a whole-image
// undo step and counts as changed; the view repaints either way.
void doc_TargetChanged(int target);

// Targets of effects and transforms.
const int DOC_TARGET_MAIN = 0;
const int DOC_TARGET_SPRITE = 1;
const uint32_t DOC_EFFECT_ON_SPRITE = 1u << 27;

Surface* doc_TargetSurface(int target);
// " Target set to ..." on the status line.
void doc_ReportTarget(int target);
uint32_t doc_EffectCode(uint32_t code, int target);
// The caller records a whole-image undo step only for a result with bit 0 set and
// bit 7 clear (done, on the main image).
int doc_ShouldRecordUndo(int result);
// Before a transform of the main image while undo steps exist: asks whether to go
// on without undo. 1 = go on.
int doc_ConfirmTransformWithoutUndo(int target);
int doc_HasTransparency(Surface* s);
// Effects 12 and 14 need transparent pixels: says so and returns 0 when there are none.
int doc_CheckTransparencyFor(uint32_t effectCode, Surface* target);

// Sprite commands; each returns 1 when it did something.
int doc_AddToImage();
int doc_AddCopyToImage();
int doc_Discard();
int doc_BringToTopAsSprite();
// `saveMainImage` saves the main image when the user asks for that first (may be
// null when no file layer exists: then "Yes" cannot save and the command stops).
int doc_SendToBottomAsMainImage(int (*saveMainImage)());
// The sprite takes over a loaded or pasted surface (the record is moved, not copied).
int doc_AdoptSprite(Surface* loaded);
int doc_ResizeSprite(int width, int height, int mode);
// A selection becomes the sprite: made at (x1, y1)-(x2, y2) (ordered), the main
// image's pixels under it copied, everything else transparent, and a transparent
// frame of `frame` pixels along its edges. Replaces any sprite; 1 when it was made.
int doc_SpriteFromArea(int x1, int y1, int x2, int y2, int frame);
// Moves the sprite's rectangle by (dx, dy). The view is told with
// UI_VIEW_SPRITE_MOVED (a stroke recomposes the places the tool reports).
void doc_MoveSprite(int dx, int dy);
// With `mode` set: centres the sprite's rectangle on the main image (its size kept);
// with a point: centres it there at the sprite's own size; otherwise re-centres it
// on its present centre at the sprite's own size.
void SpriteCentre(int mode, const int* point);
// A command gave a target a new size in place: the sprite's rectangle keeps its
// top-left corner and takes the size; the main image starts a new undo history,
// counts as changed and the view refits.
void doc_TargetResized(int target);
// Places the sprite's rectangle (a transform changed the sprite's size).
void doc_PlaceSprite(int x1, int y1, int x2, int y2);
// 1 when a sprite is present and its rectangle holds (x, y).
int doc_SpriteContains(int x, int y);
int doc_FitSprite(int border);
int doc_FitImage(int border);
int doc_RemoveRedundantInfo(int target);
int doc_RebaseTransparentPoint(int target);
int doc_RemoveTransparency();

// Create By Masking.
int doc_MaskBegin();
int doc_MaskEndAndFloat();
int doc_MaskActive();
void doc_MaskQuickHelp();

// Image size rule of the new-image and resize dialogs: shows the messages and
// corrects the fields; 1 when the size may be used, 0 to keep the dialog open.
int doc_CheckImageSize(int* width, int* height);
// Replaces the main image by a new white one (transparent when the option says so).
int doc_NewImage(int width, int height);

// Crops a surface to the bounding box of its visible pixels plus `border`; the box
// origin comes back in boxX/boxY. 0 when nothing is visible or memory is short.
int doc_CropToContent(Surface* s, int border, int* boxX, int* boxY);
// Frees every surface and the mask cache.
void doc_Shutdown();
