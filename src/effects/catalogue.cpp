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
#include "engine/blit.h"

namespace {

typedef const FxSettings& S;
typedef uint32_t C;
typedef const CatWhole* W;
const unsigned L = CAT_USES_LEVEL, D = CAT_USES_DISTANCE, P = CAT_USES_PARAMETER, CH = CAT_USES_CHANNELS,
               C1 = CAT_USES_COLOUR1, C2 = CAT_USES_COLOUR2;
const unsigned MEANS = CAT_NEEDS_RGB_MEANS, ALPHA = CAT_NEEDS_ALPHA_MEAN, RANGE = CAT_NEEDS_RELIEF_RANGE;
const EffectRun DIALOG = CAT_RUN_DIALOG, DIRECT = CAT_RUN_DIRECT;

// Reaches. The 5 x 5 sharpening kernel and the antialiasing's two passes of one
// neighbour read two pixels out; the relief reads the pixels up and left; the alpha
// contrast leaves the image's first and last columns alone, which one pixel of reach
// keeps apart from a piece's own.
CatReach Own(S) { return {0, 1}; }
CatReach One(S) { return {1, 1}; }
CatReach Two(S) { return {2, 1}; }
CatReach Blocks(S s) { return {0, s.level / 50 + 1}; }   // fx_Pixelate's block size
// The smear's runs cross the whole image, unless its weight leaves every pixel as it is.
CatReach Smear(S s) { return {s.level * 61439 / 1000 == 0 ? 0 : -1, 1}; }
CatReach SmearChannels(S s) { return {s.level * 61439 / 1000 == 0 || s.channelMask == 0 ? 0 : -1, 1}; }
// The smear's rectangles: row passes of the whole original kept per level and mask.
int SmearRect(Surface* t, Surface* o, S s, const CatRect& r, CatWhole* w) {
    return fx_SmearRect(t, o, s.level, 0xF, r.x1, r.y1, r.x2, r.y2, &w->smear);
}
int SmearChannelsRect(Surface* t, Surface* o, S s, const CatRect& r, CatWhole* w) {
    return fx_SmearRect(t, o, s.level, s.channelMask, r.x1, r.y1, r.x2, r.y2, &w->smear);
}
// Unblurred, the shadow of a pixel is the opacity `distance` up and left of it.
CatReach Shadow(S s) { return {s.parameter * 800 / 255 == 0 ? s.distance : -1, 1}; }

const EffectInfo kEffects[] = {
    {FXC_COLOR_SHIFT, "color-shift", "Effect - Color Shift", L, 0, DIALOG,
     [](Surface* t, S s, C, C, W) { return fx_ColorShift(t, s.level); }, Own, 0},
    {FXC_GAMMA, "gamma", "Effect - Gamma Shift", L, 0, DIALOG,
     [](Surface* t, S s, C, C, W) { return fx_GammaShift(t, s.level); }, Own, 0},
    {FXC_CHROMA, "chroma", "Effect - Chroma Shift", L, 0, DIALOG,
     [](Surface* t, S s, C, C, W) { return fx_ChromaShift(t, s.level); }, Own, 0},
    {FXC_CONTRAST, "contrast", "Effect - Dynamic Contrast", L, 0, DIALOG,
     [](Surface* t, S s, C, C, W w) {
         return w ? fx_DynamicContrastWith(t, s.level, w->rgbMeans) : fx_DynamicContrast(t, s.level);
     }, Own, MEANS},
    {FXC_BRIGHTNESS, "brightness", "Effect - Adjust Brightness", L, 0, DIALOG,
     [](Surface* t, S s, C, C, W) { return fx_AdjustBrightness(t, s.level); }, Own, 0},
    {FXC_BLUR, "blur", "Effect - Blur / Smear", L, 0, DIALOG,
     [](Surface* t, S s, C, C, W) { return fx_Blur(t, s.level); }, Smear, 0, SmearRect},
    {FXC_SHARPEN, "sharpen", "Effect - Sharpen", L, 0, DIALOG,
     [](Surface* t, S s, C, C, W) { return fx_Sharpen(t, s.level); }, Two, 0},
    {FXC_EDGE, "edge-detect", "Effect - Edge Detection", L, 0, DIALOG,
     [](Surface* t, S s, C, C, W w) {
         return w ? fx_EdgeDetectWith(t, s.level, w->reliefRange) : fx_EdgeDetect(t, s.level);
     }, One, RANGE},
    {FXC_POSTERIZE, "posterize", "Effect - Posterize", L, 0, DIALOG,
     [](Surface* t, S s, C, C, W) { return fx_Posterize(t, s.level); }, Own, 0},
    {FXC_EMBOSS, "emboss", "Effect - Emboss", L | C1, 0, DIALOG,
     [](Surface* t, S s, C c1, C, W w) {
         return w ? fx_EmbossWith(t, s.level, c1, w->reliefRange) : fx_Emboss(t, s.level, c1);
     }, One, RANGE},
    {FXC_PIXELATE, "pixelate", "Effect - Pixelate", L, 0, DIALOG,
     [](Surface* t, S s, C, C, W) { return fx_Pixelate(t, s.level); }, Blocks, 0},
    {FXC_SMOOTHING, "smooth", "Effect - Advanced Smoothing", L | CH, 0, DIALOG,
     [](Surface* t, S s, C, C, W) { return fx_ChannelSmooth(t, s.level, s.channelMask); }, SmearChannels, 0,
     SmearChannelsRect},
    {FXC_DROP_SHADOW, "drop-shadow", "Effect - Drop Shadow", L | D | P, 1, DIALOG,
     [](Surface* t, S s, C, C, W) { return fx_DropShadow(t, s.level, s.distance, s.parameter); }, Shadow, 0},
    {FXC_COLOR_FILTER, "color-filter", "Effect - Color Filter", L | CH, 0, DIALOG,
     [](Surface* t, S s, C, C, W) { return fx_ColorFilter(t, s.level, s.channelMask); }, Own, 0},
    {FXC_AA_EDGES, "antialias-edges", "Effect - Antialias Edges", L | P, 1, DIALOG,
     [](Surface* t, S s, C, C, W) { return fx_AntialiasEdges(t, s.level, s.parameter); }, Two, 0},
    {FXC_AA_IMAGE, "antialias", "Effect - Antialias Image", L | P, 0, DIALOG,
     [](Surface* t, S s, C, C, W) { return fx_AntialiasImage(t, s.level, s.parameter); }, Two, 0},
    {FXC_BILEVEL, "bilevel", "Effect - Bi-Levelize", L | CH, 0, DIALOG,
     [](Surface* t, S s, C, C, W) { return fx_BiLevel(t, s.level, s.channelMask); }, Own, 0},
    {FXC_REPLACE, "replace-color", "Effect - Replace Colors", L | C1 | C2, 0, DIALOG,
     [](Surface* t, S s, C c1, C c2, W) { return fx_ReplaceHue(t, c1, c2, s.level); }, Own, 0},
    {FXC_KEY_NORMAL, "bluescreen", "Effect - Blue-Screening; Normal", L | P | C1, 0, DIALOG,
     [](Surface* t, S s, C c1, C, W) { return fx_KeyColor(t, c1, s.level, fx_KeyTolerance(s.parameter)); }, Own, 0},
    {FXC_KEY_EXACT, "bluescreen-exact", "Effect - Blue-Screening; Exact", P | C1, 0, DIALOG,
     [](Surface* t, S s, C c1, C, W) { return fx_KeyExact(t, c1, fx_KeyTolerance(s.parameter)); }, Own, 0},
    {FXC_ALPHA_CONTRAST, "alpha-contrast", "Effect - Alpha Contrast", L, 0, DIALOG,
     [](Surface* t, S s, C, C, W w) {
         return w ? fx_AlphaContrastWith(t, s.level, w->alphaMean) : fx_AlphaContrast(t, s.level);
     }, One, ALPHA},
    {FXC_SET_ALPHA, "set-alpha", "Effect - Set Alpha", L, 0, DIALOG,
     [](Surface* t, S s, C, C, W) { return fx_SetAlpha(t, s.level); }, Own, 0},
    {FXC_GREYSCALE, "greyscale", "Remove Color", 0, 0, DIRECT, [](Surface* t, S, C, C, W) { return fx_Greyscale(t); },
     Own, 0},
    {FXC_NEGATIVE, "negative", "Make Negative", 0, 0, DIRECT, [](Surface* t, S, C, C, W) { return fx_Negative(t); },
     Own, 0},
    {FXC_INVERT_ALPHA, "invert-alpha", "Invert Alpha Channel", 0, 0, DIRECT,
     [](Surface* t, S, C, C, W) { return fx_InvertAlpha(t); }, Own, 0},
    {FXC_WHITE_BASE, "white-base", "Blue-Screening; White Base", 0, 0, DIRECT,
     [](Surface* t, S, C, C, W) { return fx_KeyBasal(t, 1); }, Own, 0},
    {FXC_BLACK_BASE, "black-base", "Blue-Screening; Black Base", 0, 0, DIRECT,
     [](Surface* t, S, C, C, W) { return fx_KeyBasal(t, 0); }, Own, 0},
    {FXC_ENHANCE, "enhance", "Synthetic Image Enhancement", 0, 0, CAT_RUN_DIRECT_SHOWN,
     [](Surface* t, S, C, C, W w) { return w ? fx_SyntheticEnhanceWith(t, w->rgbMeans) : fx_SyntheticEnhance(t); },
     Own, MEANS},
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

typedef TfPlan* Plan;
int PlanRotateAny(Plan p, Surface* c, int level, int) { return tf_PlanRotate(p, c, tf_RotateAngle(level)); }
int PlanFlip(Plan p, Surface* c, int, int edge) { return tf_PlanFlip(p, c, tf_EdgeIsVertical(edge)); }
int PlanPerspective(Plan p, Surface* c, int level, int edge) { return tf_PlanPerspective(p, c, level, edge); }
int PlanSkew(Plan p, Surface* c, int level, int edge) {
    return tf_PlanSkew(p, c, tf_SkewAngle(level), tf_EdgeIsVertical(edge));
}
int PlanStretch(Plan p, Surface* c, int level, int edge) { return tf_PlanStretch(p, c, level, edge); }
int PlanRotateRight(Plan p, Surface* c, int level, int) { return tf_PlanRotate90(p, c, tf_Rotate90Mode(level)); }

const TransformInfo kTransforms[] = {
    {TFC_ROTATE, "Transform - Free Rotate", 0, {nullptr, nullptr}, RotateAny, PlanRotateAny},
    {TFC_FLIP, "Transform - Flipping", 1, {nullptr, nullptr}, Flip, PlanFlip},
    {TFC_PERSPECTIVE, "Transform - Perspective", 1, {nullptr, nullptr}, Perspective, PlanPerspective},
    {TFC_SKEW, "Transform - Skewing", 1, {nullptr, nullptr}, Skew, PlanSkew},
    {TFC_STRETCH, "Transform - Stretching", 1, {"Both", "None"}, Stretch, PlanStretch},
    {TFC_ROTATE90, "Transform - Right-Angle Rotate", 0, {nullptr, nullptr}, RotateRight, PlanRotateRight},
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

namespace {

FxSettings Clamped(const FxSettings& in) {
    FxSettings s = in;
    s.level = Clamp(in.level, kMin[0], kMax[0]);
    s.distance = Clamp(in.distance, kMin[1], kMax[1]);
    s.parameter = Clamp(in.parameter, kMin[2], kMax[2]);
    s.channelMask = in.channelMask & 0xF;
    return s;
}

// r within a w x h image; 0 when nothing of it is left.
int ClipRect(CatRect* r, int w, int h) {
    r->x1 = r->x1 < 0 ? 0 : r->x1;
    r->y1 = r->y1 < 0 ? 0 : r->y1;
    r->x2 = r->x2 > w - 1 ? w - 1 : r->x2;
    r->y2 = r->y2 > h - 1 ? h - 1 : r->y2;
    return r->x1 <= r->x2 && r->y1 <= r->y2;
}

void TakeWholeInputs(Surface* original, unsigned needs, CatWhole* w) {
    if ((needs & CAT_NEEDS_RGB_MEANS) && !(w->known & CAT_NEEDS_RGB_MEANS)) fx_RgbMeans(original, w->rgbMeans);
    if ((needs & CAT_NEEDS_ALPHA_MEAN) && !(w->known & CAT_NEEDS_ALPHA_MEAN)) w->alphaMean = fx_AlphaMean(original);
    if ((needs & CAT_NEEDS_RELIEF_RANGE) && !(w->known & CAT_NEEDS_RELIEF_RANGE))
        w->reliefRange = fx_ReliefRange(original);
    w->known |= needs;
}

// Rectangle r (clipped) from a piece of the original: the rectangle, out to whole
// blocks of the grid, plus the reach.
int ByPiece(Surface* target, Surface* original, const EffectInfo& e, const FxSettings& s, uint32_t colour1,
            uint32_t colour2, const CatRect& r, const CatReach& reach, CatWhole* whole) {
    const int w = (int)original->width, h = (int)original->height, g = reach.grid < 1 ? 1 : reach.grid;
    CatRect p = {r.x1 / g * g - reach.by, r.y1 / g * g - reach.by, (r.x2 / g + 1) * g - 1 + reach.by,
                 (r.y2 / g + 1) * g - 1 + reach.by};
    ClipRect(&p, w, h);
    TakeWholeInputs(original, e.needs, whole);
    // The scratch piece of this size when one is kept (fresh memory costs more than the kernel).
    const uint32_t pw = (uint32_t)(p.x2 - p.x1 + 1), ph = (uint32_t)(p.y2 - p.y1 + 1);
    int k = 1 - whole->lastPiece;
    for (int i = 0; i < 2; i++)
        if (whole->pieces[i].created && srf_Refresh(&whole->pieces[i]) && whole->pieces[i].width == pw &&
            whole->pieces[i].height == ph)
            k = i;
    whole->lastPiece = k;
    Surface* piece = &whole->pieces[k];
    return srf_Reuse(piece, pw, ph, 0) &&
           blt_Copy(piece, 0, 0, (int)pw - 1, (int)ph - 1, original, p.x1, p.y1, p.x2, p.y2, 0) &&
           e.apply(piece, s, colour1, colour2, whole) &&
           blt_Copy(target, r.x1, r.y1, r.x2, r.y2, piece, r.x1 - p.x1, r.y1 - p.y1, r.x2 - p.x1, r.y2 - p.y1, 0);
}

}  // namespace

int cat_ApplyEffect(Surface* t, uint32_t code, const FxSettings& in, uint32_t colour1, uint32_t colour2) {
    const EffectInfo* e = cat_Effect(code);
    return e ? e->apply(t, Clamped(in), colour1, colour2, nullptr) : 0;
}

int cat_EffectByRect(uint32_t code, const FxSettings& s) {
    const EffectInfo* e = cat_Effect(code);
    return e && (e->reach(Clamped(s)).by >= 0 || e->rect);
}

int cat_EffectRestByColumns(uint32_t code, const FxSettings& s) {
    const EffectInfo* e = cat_Effect(code);
    return e && e->reach(Clamped(s)).by < 0 && e->rect;
}

void cat_ReleaseWhole(CatWhole* w) {
    fx_ReleaseSmear(&w->smear);
    for (Surface& p : w->pieces)
        if (p.created) srf_Destroy(&p);
    *w = CatWhole{};
}

int cat_EffectRect(Surface* target, Surface* original, uint32_t code, const FxSettings& in, uint32_t colour1,
                   uint32_t colour2, const CatRect& rect, CatWhole* whole) {
    const EffectInfo* e = cat_Effect(code);
    const FxSettings s = Clamped(in);
    if (!e || !srf_Refresh(original)) return 0;
    const CatReach reach = e->reach(s);
    if (reach.by < 0 && !e->rect) return 0;
    CatRect r = rect;
    if (!ClipRect(&r, (int)original->width, (int)original->height)) return 1;
    CatWhole own{};
    if (!whole) whole = &own;
    const int ok = reach.by < 0 ? e->rect(target, original, s, r, whole)
                                : ByPiece(target, original, *e, s, colour1, colour2, r, reach, whole);
    if (whole == &own) cat_ReleaseWhole(&own);
    return ok;
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

int cat_TransformSize(Surface* copy, uint32_t code, const TfSettings& s, int* width, int* height) {
    const TransformInfo* t = cat_Transform(code);
    TfPlan p;
    if (!t || !t->plan(&p, copy, Clamp(s.level, 0, 1000), s.edge & 3)) return 0;
    *width = p.width;
    *height = p.height;
    return 1;
}

int cat_TransformRect(Surface* target, Surface* copy, uint32_t code, const TfSettings& s, const CatRect& r) {
    const TransformInfo* t = cat_Transform(code);
    TfPlan p;
    return t && t->plan(&p, copy, Clamp(s.level, 0, 1000), s.edge & 3) && tf_Sized(target, p) &&
           tf_MakeRect(target, copy, p, r.x1, r.y1, r.x2, r.y2);
}

void cat_KeepCentre(int cx, int cy, int w, int h, int* x1, int* y1, int* x2, int* y2) {
    *x1 = (2 * cx - w + 1) / 2;
    *y1 = (2 * cy - h + 1) / 2;
    *x2 = *x1 + w - 1;
    *y2 = *y1 + h - 1;
}
