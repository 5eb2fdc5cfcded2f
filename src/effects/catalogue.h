// catalogue.h — the effects and transforms that run in the live-preview dialogs: their
// codes, captions, which controls each uses, the settings kept between dialogs, and
// one call that computes an effect or a transform from its settings.
//
// Owns: nothing; the settings records belong to the dialog that keeps them. Codes
// carry the target in bit 27 (CAT_ON_SPRITE), which the rules here ignore.
// Everything is pure but the apply calls, which change the target surface.
#pragma once
#include <cstdint>
#include "engine/surface.h"

const uint32_t CAT_ON_SPRITE = 1u << 27;
// Above this many pixels the dialogs warn before they start.
const uint64_t CAT_LARGE_PIXELS = 4194304;

// ---- effects ----

struct FxSettings {
    int level;        // 0..1000
    int distance;     // 2..64
    int parameter;    // 0..255
    int channelMask;  // bit 0 red, 1 green, 2 blue, 3 alpha
    uint32_t lastCode;
};
const FxSettings FX_DEFAULTS = {500, 4, 0, 0xF, 0};

// "Effect - ..." of a code, or "Effect" for one that is not assigned.
const char* cat_EffectCaption(uint32_t code);
// Opening with `code`: another effect than the last one resets the values; the
// code becomes the last one.
void cat_OpenEffect(FxSettings* s, uint32_t code);
// Which controls an effect uses.
int cat_UsesChannels(uint32_t code);
int cat_UsesLevel(uint32_t code);
int cat_UsesDistance(uint32_t code);
int cat_UsesParameter(uint32_t code);
// The effect's bars: 0 level, 1 distance, 2 parameter. The value after a scroll-bar
// code (the SB_* values): arrows 1, trough 100 / 4 / 10, Home / End, tracking; the
// final thumb position keeps the value.
int cat_EffectScroll(int bar, int value, int code, int track);
void cat_EffectRange(int bar, int* min, int* max);
// The preview timer's period for a target of w x h.
unsigned cat_PreviewPeriod(uint32_t w, uint32_t h);
// Runs the effect on the target with the settings (clamped) and the two drawing
// colours (COLORREFs); 1 when the code is an effect.
int cat_ApplyEffect(Surface* target, uint32_t code, const FxSettings& s, uint32_t colour1, uint32_t colour2);

// ---- transforms ----

struct TfSettings {
    int level;  // 0..1000
    int edge;   // 0 left, 1 top, 2 right (Stretch: both), 3 bottom (Stretch: none)
    uint32_t lastCode;
};
const TfSettings TF_DEFAULTS = {500, 0, 0};
const int CAT_TF_STRETCH = 4;

const char* cat_TransformCaption(uint32_t code);
void cat_OpenTransform(TfSettings* s, uint32_t code);
int cat_UsesEdge(uint32_t code);
// The transform of `copy` into `target` (which it replaces, possibly at another
// size); 1 when it was made.
int cat_ApplyTransform(Surface* target, Surface* copy, uint32_t code, const TfSettings& s);
// The rectangle of a w x h sprite whose centre stays at the centre remembered from
// the rectangle it had: ((left + 1 + right) / 2, (top + 1 + bottom) / 2).
void cat_KeepCentre(int cx, int cy, int w, int h, int* x1, int* y1, int* x2, int* y2);
