// catalogue.cpp — the effect and transform tables (catalogue.h).
#include "effects/catalogue.h"

#include <cstring>

#include "effects/fx_alpha.h"
#include "effects/fx_antialias.h"
#include "effects/fx_colour.h"
#include "effects/fx_filter.h"
#include "effects/fx_key.h"
#include "effects/fx_pixelate.h"
#include "effects/fx_relief.h"
#include "effects/fx_smear.h"
#include "effects/transform.h"
#include "engine/blit.h"

namespace {

typedef const FxSettings& S;
typedef uint32_t C;
const unsigned L = CAT_USES_LEVEL, D = CAT_USES_DISTANCE, P = CAT_USES_PARAMETER, CH = CAT_USES_CHANNELS,
               C1 = CAT_USES_COLOUR1, C2 = CAT_USES_COLOUR2;
const EffectRun DIALOG = CAT_RUN_DIALOG, DIRECT = CAT_RUN_DIRECT;

const EffectInfo kEffects[] = {
    {FXC_COLOR_SHIFT, "color-shift", "Effect - Color Shift", L, 0, DIALOG,
     [](Surface* t, S s, C, C) { return fx_ColorShift(t, s.level); }},
    {FXC_GAMMA, "gamma", "Effect - Gamma Shift", L, 0, DIALOG,
     [](Surface* t, S s, C, C) { return fx_GammaShift(t, s.level); }},
    {FXC_CHROMA, "chroma", "Effect - Chroma Shift", L, 0, DIALOG,
     [](Surface* t, S s, C, C) { return fx_ChromaShift(t, s.level); }},
    {FXC_CONTRAST, "contrast", "Effect - Dynamic Contrast", L, 0, DIALOG,
     [](Surface* t, S s, C, C) { return fx_DynamicContrast(t, s.level); }},
    {FXC_BRIGHTNESS, "brightness", "Effect - Adjust Brightness", L, 0, DIALOG,
     [](Surface* t, S s, C, C) { return fx_AdjustBrightness(t, s.level); }},
    {FXC_BLUR, "blur", "Effect - Blur / Smear", L, 0, DIALOG, [](Surface* t, S s, C, C) { return fx_Blur(t, s.level); }},
    {FXC_SHARPEN, "sharpen", "Effect - Sharpen", L, 0, DIALOG,
     [](Surface* t, S s, C, C) { return fx_Sharpen(t, s.level); }},
    {FXC_EDGE, "edge-detect", "Effect - Edge Detection", L, 0, DIALOG,
     [](Surface* t, S s, C, C) { return fx_EdgeDetect(t, s.level); }},
    {FXC_POSTERIZE, "posterize", "Effect - Posterize", L, 0, DIALOG,
     [](Surface* t, S s, C, C) { return fx_Posterize(t, s.level); }},
    {FXC_EMBOSS, "emboss", "Effect - Emboss", L | C1, 0, DIALOG,
     [](Surface* t, S s, C c1, C) { return fx_Emboss(t, s.level, c1); }},
    {FXC_PIXELATE, "pixelate", "Effect - Pixelate", L, 0, DIALOG,
     [](Surface* t, S s, C, C) { return fx_Pixelate(t, s.level); }},
    {FXC_SMOOTHING, "smooth", "Effect - Advanced Smoothing", L | CH, 0, DIALOG,
     [](Surface* t, S s, C, C) { return fx_ChannelSmooth(t, s.level, s.channelMask); }},
    {FXC_DROP_SHADOW, "drop-shadow", "Effect - Drop Shadow", L | D | P, 1, DIALOG,
     [](Surface* t, S s, C, C) { return fx_DropShadow(t, s.level, s.distance, s.parameter); }},
    {FXC_COLOR_FILTER, "color-filter", "Effect - Color Filter", L | CH, 0, DIALOG,
     [](Surface* t, S s, C, C) { return fx_ColorFilter(t, s.level, s.channelMask); }},
    {FXC_AA_EDGES, "antialias-edges", "Effect - Antialias Edges", L | P, 1, DIALOG,
     [](Surface* t, S s, C, C) { return fx_AntialiasEdges(t, s.level, s.parameter); }},
    {FXC_AA_IMAGE, "antialias", "Effect - Antialias Image", L | P, 0, DIALOG,
     [](Surface* t, S s, C, C) { return fx_AntialiasImage(t, s.level, s.parameter); }},
    {FXC_BILEVEL, "bilevel", "Effect - Bi-Levelize", L | CH, 0, DIALOG,
     [](Surface* t, S s, C, C) { return fx_BiLevel(t, s.level, s.channelMask); }},
    {FXC_REPLACE, "replace-color", "Effect - Replace Colors", L | C1 | C2, 0, DIALOG,
     [](Surface* t, S s, C c1, C c2) { return fx_ReplaceHue(t, c1, c2, s.level); }},
    {FXC_KEY_NORMAL, "bluescreen", "Effect - Blue-Screening; Normal", L | P | C1, 0, DIALOG,
     [](Surface* t, S s, C c1, C) { return fx_KeyColor(t, c1, s.level, fx_KeyTolerance(s.parameter)); }},
    {FXC_KEY_EXACT, "bluescreen-exact", "Effect - Blue-Screening; Exact", P | C1, 0, DIALOG,
     [](Surface* t, S s, C c1, C) { return fx_KeyExact(t, c1, fx_KeyTolerance(s.parameter)); }},
    {FXC_ALPHA_CONTRAST, "alpha-contrast", "Effect - Alpha Contrast", L, 0, DIALOG,
     [](Surface* t, S s, C, C) { return fx_AlphaContrast(t, s.level); }},
    {FXC_SET_ALPHA, "set-alpha", "Effect - Set Alpha", L, 0, DIALOG,
     [](Surface* t, S s, C, C) { return fx_SetAlpha(t, s.level); }},
    {FXC_GREYSCALE, "greyscale", "Remove Color", 0, 0, DIRECT, [](Surface* t, S, C, C) { return fx_Greyscale(t); }},
    {FXC_NEGATIVE, "negative", "Make Negative", 0, 0, DIRECT, [](Surface* t, S, C, C) { return fx_Negative(t); }},
    {FXC_INVERT_ALPHA, "invert-alpha", "Invert Alpha Channel", 0, 0, DIRECT,
     [](Surface* t, S, C, C) { return fx_InvertAlpha(t); }},
    {FXC_WHITE_BASE, "white-base", "Blue-Screening; White Base", 0, 0, DIRECT,
     [](Surface* t, S, C, C) { return fx_KeyBasal(t, 1); }},
    {FXC_BLACK_BASE, "black-base", "Blue-Screening; Black Base", 0, 0, DIRECT,
     [](Surface* t, S, C, C) { return fx_KeyBasal(t, 0); }},
    {FXC_ENHANCE, "enhance", "Synthetic Image Enhancement", 0, 0, CAT_RUN_DIRECT_SHOWN,
     [](Surface* t, S, C, C) { return fx_SyntheticEnhance(t); }},
};

int RotateAny(Surface* t, Surface* c, int level, int) { return tf_Rotate(t, c, tf_RotateAngle(level)); }

int Flip(Surface* t, Surface* c, int, int edge) {
    // The same size again: copy into the target instead of making a new one.
    int same = srf_Refresh(t) && srf_Refresh(c) && t->width == c->width && t->height == c->height;
    int w = (int)c->width, h = (int)c->height;
    int ok = same ? blt_Copy(t, 0, 0, w - 1, h - 1, c, 0, 0, w - 1, h - 1, 0) : srf_Duplicate(t, c);
    return ok && tf_Flip(t, tf_EdgeIsVertical(edge));
}

int Perspective(Surface* t, Surface* c, int level, int edge) { return tf_Perspective(t, c, level, edge); }
int Skew(Surface* t, Surface* c, int level, int edge) {
    return tf_Skew(t, c, tf_SkewAngle(level), tf_EdgeIsVertical(edge));
}
int Stretch(Surface* t, Surface* c, int level, int edge) { return tf_Stretch(t, c, level, edge); }
int RotateRight(Surface* t, Surface* c, int level, int) { return tf_Rotate90(t, c, tf_Rotate90Mode(level)); }

const TransformInfo kTransforms[] = {
    {TFC_ROTATE, "Transform - Free Rotate", 0, {nullptr, nullptr}, RotateAny},
    {TFC_FLIP, "Transform - Flipping", 1, {nullptr, nullptr}, Flip},
    {TFC_PERSPECTIVE, "Transform - Perspective", 1, {nullptr, nullptr}, Perspective},
    {TFC_SKEW, "Transform - Skewing", 1, {nullptr, nullptr}, Skew},
    {TFC_STRETCH, "Transform - Stretching", 1, {"Both", "None"}, Stretch},
    {TFC_ROTATE90, "Transform - Right-Angle Rotate", 0, {nullptr, nullptr}, RotateRight},
};

const int kMin[3] = {0, 2, 0}, kMax[3] = {1000, 64, 255}, kPage[3] = {100, 4, 10};

uint32_t Low(uint32_t code) { return code & 0xFFFF; }
int Clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

}  // namespace

const EffectInfo* cat_Effects(int* count) {
    *count = (int)(sizeof kEffects / sizeof kEffects[0]);
    return kEffects;
}

const EffectInfo* cat_Effect(uint32_t code) {
    for (const EffectInfo& e : kEffects)
        if (e.code == Low(code)) return &e;
    return nullptr;
}

const EffectInfo* cat_EffectByKey(const char* key) {
    for (const EffectInfo& e : kEffects)
        if (key && std::strcmp(e.key, key) == 0) return &e;
    return nullptr;
}

const char* cat_EffectCaption(uint32_t code) {
    const EffectInfo* e = cat_Effect(code);
    return e ? e->caption : "Effect";
}

int cat_EffectUses(uint32_t code, unsigned uses) {
    const EffectInfo* e = cat_Effect(code);
    return e && (e->uses & uses) == uses;
}

void cat_OpenEffect(FxSettings* s, uint32_t code) {
    if (Low(code) != Low(s->lastCode)) *s = FX_DEFAULTS;
    s->lastCode = code;
}

void cat_EffectRange(int bar, int* min, int* max) {
    bar = Clamp(bar, 0, 2);
    *min = kMin[bar];
    *max = kMax[bar];
}

int cat_EffectScroll(int bar, int value, int code, int track) {
    bar = Clamp(bar, 0, 2);
    switch (code) {
    case 0: value -= 1; break;            // line left
    case 1: value += 1; break;            // line right
    case 2: value -= kPage[bar]; break;   // page left
    case 3: value += kPage[bar]; break;   // page right
    case 5: value = track; break;         // thumb tracking
    case 6: value = kMin[bar]; break;     // home
    case 7: value = kMax[bar]; break;     // end
    default: break;                       // the final thumb position keeps the value
    }
    return Clamp(value, kMin[bar], kMax[bar]);
}

unsigned cat_PreviewPeriod(uint32_t w, uint32_t h) { return (unsigned)((uint64_t)w * h / 16000 + 60); }

int cat_ApplyEffect(Surface* t, uint32_t code, const FxSettings& in, uint32_t colour1, uint32_t colour2) {
    const EffectInfo* e = cat_Effect(code);
    if (!e) return 0;
    FxSettings s = in;
    s.level = Clamp(in.level, kMin[0], kMax[0]);
    s.distance = Clamp(in.distance, kMin[1], kMax[1]);
    s.parameter = Clamp(in.parameter, kMin[2], kMax[2]);
    s.channelMask = in.channelMask & 0xF;
    return e->apply(t, s, colour1, colour2);
}

const TransformInfo* cat_Transform(uint32_t code) {
    for (const TransformInfo& t : kTransforms)
        if (t.code == Low(code)) return &t;
    return nullptr;
}

const char* cat_TransformCaption(uint32_t code) {
    const TransformInfo* t = cat_Transform(code);
    return t ? t->caption : "Transform";
}

void cat_OpenTransform(TfSettings* s, uint32_t code) {
    if (Low(code) != Low(s->lastCode)) *s = TF_DEFAULTS;
    s->lastCode = code;
}

int cat_ApplyTransform(Surface* target, Surface* copy, uint32_t code, const TfSettings& s) {
    const TransformInfo* t = cat_Transform(code);
    return t && t->apply(target, copy, Clamp(s.level, 0, 1000), s.edge & 3);
}

void cat_KeepCentre(int cx, int cy, int w, int h, int* x1, int* y1, int* x2, int* y2) {
    *x1 = (2 * cx - w + 1) / 2;
    *y1 = (2 * cy - h + 1) / 2;
    *x2 = *x1 + w - 1;
    *y2 = *y1 + h - 1;
}
