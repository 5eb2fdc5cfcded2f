// catalogue.h — the effect table and the transform table: every effect and transform
// of the Effects and Transform menus is one row (code, key name, caption, controls it
// uses, whether it needs transparency, how it runs and its kernel). The effect
// dialog, the command table, the document and kvbatch all read these rows; a new
// effect is one row here and one menu command.
// Each row also says how far a result pixel reads, so that previews can compute the
// rectangle the view shows apart from the rest (cat_EffectRect, cat_TransformRect):
// such a rectangle comes out exactly as the same pixels of the whole result.
//
// Owns: nothing; the settings records belong to the dialog (or the batch operation)
// that keeps them. Codes carry the target in bit 27 (CAT_ON_SPRITE), which the
// look-ups here ignore. Everything is pure but the apply calls, which change the
// target surface.
#pragma once
#include <cstdint>
#include "effects/fx_smear.h"
#include "effects/transform.h"
#include "engine/surface.h"

const uint32_t CAT_ON_SPRITE = 1u << 27;
// Above this many pixels the dialogs warn before they start.
const uint64_t CAT_LARGE_PIXELS = 4194304;

// ---- effects ----

// Effect codes. The dialog's codes keep their numbers (the gap 18..31 is unassigned);
// the direct effects follow from 64.
enum EffectCode : uint32_t {
    FXC_COLOR_SHIFT = 0, FXC_GAMMA = 1, FXC_CHROMA = 2, FXC_CONTRAST = 3, FXC_BRIGHTNESS = 4, FXC_BLUR = 5,
    FXC_SHARPEN = 6, FXC_EDGE = 7, FXC_POSTERIZE = 8, FXC_EMBOSS = 9, FXC_PIXELATE = 10, FXC_SMOOTHING = 11,
    FXC_DROP_SHADOW = 12, FXC_COLOR_FILTER = 13, FXC_AA_EDGES = 14, FXC_AA_IMAGE = 15, FXC_BILEVEL = 16,
    FXC_REPLACE = 17, FXC_KEY_NORMAL = 32, FXC_KEY_EXACT = 33, FXC_ALPHA_CONTRAST = 34, FXC_SET_ALPHA = 35,
    FXC_GREYSCALE = 64, FXC_NEGATIVE = 65, FXC_INVERT_ALPHA = 66, FXC_WHITE_BASE = 67, FXC_BLACK_BASE = 68,
    FXC_ENHANCE = 69
};

struct FxSettings {
    int level;        // 0..1000
    int distance;     // 2..64
    int parameter;    // 0..255
    int channelMask;  // bit 0 red, 1 green, 2 blue, 3 alpha
    uint32_t lastCode;
};
const FxSettings FX_DEFAULTS = {500, 4, 0, 0xF, 0};

// What an effect takes: the dialog's three bars, its channel boxes, the drawing colours.
const unsigned CAT_USES_LEVEL = 1, CAT_USES_DISTANCE = 2, CAT_USES_PARAMETER = 4, CAT_USES_CHANNELS = 8,
               CAT_USES_COLOUR1 = 16, CAT_USES_COLOUR2 = 32;

// How a menu command runs the effect.
enum EffectRun : uint8_t {
    CAT_RUN_DIALOG,        // the preview dialog, after the target question
    CAT_RUN_DIRECT,        // at once on the target the user chooses
    CAT_RUN_DIRECT_SHOWN,  // at once on the sprite when there is one, else the main image
};

// A rectangle of pixels, inclusive.
struct CatRect {
    int x1, y1, x2, y2;
};

// What some effects take from the whole image before they change any pixel (channel
// means, the relief range, the smear's row passes). The rectangle path takes them from
// the original on first need and keeps them here for the next rectangle of the same
// original; cat_ReleaseWhole frees what they hold.
const unsigned CAT_NEEDS_RGB_MEANS = 1, CAT_NEEDS_ALPHA_MEAN = 2, CAT_NEEDS_RELIEF_RANGE = 4;
struct CatWhole {
    unsigned known;   // CAT_NEEDS_* bits filled; 0 for a new original
    int rgbMeans[3];
    int alphaMean;
    int reliefRange;
    SmearKept smear;
    Surface pieces[2];   // scratch for the pieces the kernels run on: the shown part's and a slice's
    int lastPiece;
};
void cat_ReleaseWhole(CatWhole* w);

// How far a result pixel reads at some settings: the source within `by` pixels of it
// once the rectangle is widened to whole blocks of `grid` from the image's origin; by
// below 0 when pixels far along its row and column count (recursive smears), so that
// only the whole image or the row's own rectangle kernel gives it.
struct CatReach {
    int by, grid;
};

// Runs on the target with settings already clamped; colours are COLORREFs; `whole`
// null takes the whole-image inputs from the target itself. 1 done, 0 when the
// kernel could not run (the surface is then unchanged).
typedef int (*EffectApply)(Surface* target, const FxSettings& s, uint32_t colour1, uint32_t colour2,
                           const CatWhole* whole);
// Rectangle r (inside the image) of the result from the original into the target,
// for effects whose reach is whole rows and columns.
typedef int (*EffectRectApply)(Surface* target, Surface* original, const FxSettings& s, const CatRect& r,
                               CatWhole* whole);

struct EffectInfo {
    uint32_t code;
    const char* key;         // kvbatch's name
    const char* caption;     // the dialog's caption; a direct effect's name
    unsigned uses;           // CAT_USES_*
    uint8_t needsTransparency;  // refused with a message on a target without transparent pixels
    EffectRun run;
    EffectApply apply;
    CatReach (*reach)(const FxSettings& s);   // settings clamped
    unsigned needs;                            // CAT_NEEDS_*
    EffectRectApply rect = nullptr;            // null: a piece of the original plus the reach
};

// The rows in menu order; `count` gets their number.
const EffectInfo* cat_Effects(int* count);
// The row of a code (CAT_ON_SPRITE ignored), or null.
const EffectInfo* cat_Effect(uint32_t code);
// The row of a kvbatch name, or null.
const EffectInfo* cat_EffectByKey(const char* key);
// The caption of a code, or "Effect" for one that is not assigned.
const char* cat_EffectCaption(uint32_t code);
// 1 when the effect of `code` uses every control of `uses` (0 for no such effect).
int cat_EffectUses(uint32_t code, unsigned uses);
// Opening with `code`: another effect than the last one resets the values; the
// code becomes the last one.
void cat_OpenEffect(FxSettings* s, uint32_t code);
// The effect's bars: 0 level, 1 distance, 2 parameter. The value after a scroll-bar
// code (the SB_* values): arrows 1, trough 100 / 4 / 10, Home / End, tracking; the
// final thumb position keeps the value.
int cat_EffectScroll(int bar, int value, int code, int track);
void cat_EffectRange(int bar, int* min, int* max);
// The preview timer's period for a target of w x h.
unsigned cat_PreviewPeriod(uint32_t w, uint32_t h);
// Runs the effect's kernel on the target with the settings (clamped) and the two
// drawing colours; the kernel's result, 0 for a code that is no effect.
int cat_ApplyEffect(Surface* target, uint32_t code, const FxSettings& s, uint32_t colour1, uint32_t colour2);
// 1 when cat_EffectRect can make a rectangle of the effect at these settings apart.
int cat_EffectByRect(uint32_t code, const FxSettings& s);
// 1 when the rest of such a preview is best made in bands of whole columns: the
// effect's rectangles then share the work that spans whole rows.
int cat_EffectRestByColumns(uint32_t code, const FxSettings& s);
// Rectangle r (clipped to the image) of the effect of `original` written into `target`,
// which has the original's size; the rest of the target is left alone. `whole` (may
// be null) keeps the whole-image inputs between calls on one original until
// cat_ReleaseWhole. 0 when the effect needs the whole image at these settings (see
// above) or memory fails.
int cat_EffectRect(Surface* target, Surface* original, uint32_t code, const FxSettings& s, uint32_t colour1,
                   uint32_t colour2, const CatRect& r, CatWhole* whole);

// ---- transforms ----

enum TransformCode : uint32_t {
    TFC_ROTATE = 0, TFC_FLIP = 1, TFC_PERSPECTIVE = 2, TFC_SKEW = 3, TFC_STRETCH = 4, TFC_ROTATE90 = 5
};

struct TfSettings {
    int level;  // 0..1000
    int edge;   // 0 left, 1 top, 2 right (Stretch: both), 3 bottom (Stretch: none)
    uint32_t lastCode;
};
const TfSettings TF_DEFAULTS = {500, 0, 0};

struct TransformInfo {
    uint32_t code;
    const char* caption;
    uint8_t usesEdge;
    const char* edgeLabels[2];  // other texts for the third and fourth edge buttons, or null
    // The transform of `copy` into `target` (which it replaces, possibly at another
    // size), level and edge already clamped; 1 when it was made.
    int (*apply)(Surface* target, Surface* copy, int level, int edge);
    // Its result's size and placement, for making it a rectangle at a time.
    int (*plan)(TfPlan* p, Surface* copy, int level, int edge);
};

// The row of a code (CAT_ON_SPRITE ignored), or null.
const TransformInfo* cat_Transform(uint32_t code);
const char* cat_TransformCaption(uint32_t code);
void cat_OpenTransform(TfSettings* s, uint32_t code);
// The transform of `copy` into `target`; 1 when it was made.
int cat_ApplyTransform(Surface* target, Surface* copy, uint32_t code, const TfSettings& s);
// The size of that result; 1 when the transform would be made.
int cat_TransformSize(Surface* copy, uint32_t code, const TfSettings& s, int* width, int* height);
// Rectangle r (clipped) of that result: the target becomes the result's size when it
// is not (its other pixels then undefined until written) and gets the pixels of r.
int cat_TransformRect(Surface* target, Surface* copy, uint32_t code, const TfSettings& s, const CatRect& r);
// The rectangle of a w x h sprite whose centre stays at the centre remembered from
// the rectangle it had: ((left + 1 + right) / 2, (top + 1 + bottom) / 2).
void cat_KeepCentre(int cx, int cy, int w, int h, int* x1, int* y1, int* x2, int* y2);
