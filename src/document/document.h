// document.h — the document: main image, floating sprite and what moves between them.
//
// Owns: g_doc, the one document state record (surfaces, sprite rectangle, mask cache,
// unsaved flag, file name; the display composite is compose.h's). Others read the
// record; only this module writes it, and it tells the view (ui_ViewChanged)
// whenever something visible changed, so callers never repaint after a document
// call. The drawing colours and the current tool live in the settings record,
// which is persisted.
// Operations take their decisions as arguments (target, border, size); the dialogs
// that ask for them belong to the command layer. Yes/No questions and messages go
// through the user-interface seam. Only the main image is tracked by undo: steps
// are recorded here where an operation changes it; operations that replace it or
// change its size reset the history.
// Changes of pixels go through the operations here (a stroke's end, undo and redo, a
// change of a target in place, a previewed edit), so the undo step, the unsaved flag
// and the view's notice always come together.
#pragma once
#include <cstdint>
#include <type_traits>
#include "document/memblock.h"
#include "engine/surface.h"
#include "platform/sysio.h"

const char DOC_UNTITLED[] = "- untitled -";
const int DOC_PATH_MAX = KV_MAX_PATH;

struct DocState {
    Surface mainImage;
    Surface sprite;
    uint8_t spritePresent;
    int32_t spriteX1, spriteY1, spriteX2, spriteY2;   // inclusive, ordered
    MemBlock maskCache;    // width, height (uint32), then the cached pixels
    uint8_t unsavedChanges;  // 1 when the main image differs from its file
    char fileName[DOC_PATH_MAX];  // DOC_UNTITLED when the image has no file
    uint32_t generation;   // counts replacements of the main image (tools drop their points)
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
// A drawing stroke: every tool call that changed the main image reports where
// (doc_StrokeChanged); the end makes one undo step of the 64 x 64 blocks it touched
// (a long stroke across a large image keeps its band, not its bounding box), and the
// image counts as changed. doc_EndStroke returns 1 when the stroke changed anything.
void doc_BeginStroke();
void doc_StrokeChanged(int x1, int y1, int x2, int y2);
int doc_EndStroke();
// One step back or forward in the main image's history; 1 when a step was taken
// (the image then counts as changed and the view repaints).
int doc_Undo();
int doc_Redo();
// The main image as it is becomes the base of a new, empty history.
void doc_StartHistory();

// Targets of effects and transforms.
const int DOC_TARGET_MAIN = 0;
const int DOC_TARGET_SPRITE = 1;

// The target's surface, to read (changes go through the operations below).
Surface* doc_TargetSurface(int target);
// " Target set to ..." on the status line.
void doc_ReportTarget(int target);

// Changes a target in place: `change` runs on its surface and returns 1 when it
// changed it. Then the main image gets a whole-image undo step (a new history when
// its size changed) and counts as changed; a sprite that changed size keeps its
// top-left corner; the view repaints (and refits to a main image of a new size).
// Returns what `change` returned; 0 without running it when the target is missing.
int doc_ChangeTarget(int target, int (*change)(Surface* s, void* context), void* context);
template <class F>
int doc_ChangeTargetWith(int target, F&& change) {
    typedef typename std::decay<F>::type Fn;  // a function becomes a pointer to it
    Fn fn(change);
    return doc_ChangeTarget(target, [](Surface* s, void* c) { return (int)(*(Fn*)c)(s); }, &fn);
}

// A previewed edit of a target (the effect and transform dialogs): the document keeps
// the target as it was while previews change it in place. One at a time.
// Begin: 0 when the copy cannot be made (nothing changed).
int doc_EditBegin(int target);
// One preview: with `restoreFirst` the target becomes the copy again, then `step`
// makes the preview from (target, copy). With `mayResize` (transforms) a sprite keeps
// its centre when its size changes and the view refits to the main image.
int doc_EditPreview(int (*step)(Surface* target, Surface* original, void* context), void* context,
                    int restoreFirst, int mayResize);
// End: `keep` keeps the last preview as one change of the target (as doc_ChangeTarget
// counts one); otherwise the target is restored. The copy is freed either way.
void doc_EditEnd(int keep);
int doc_EditActive();
// Before a transform of the main image while undo steps exist: asks whether to go
// on without undo. 1 = go on.
int doc_ConfirmTransformWithoutUndo(int target);
int doc_HasTransparency(Surface* s);
// An effect that needs transparent pixels (the effect table says which) on a target
// without any: says so and returns 0; otherwise 1.
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
