// catalogue.cpp — the effects and transforms of the preview dialogs (catalogue.h).
#include "effects/catalogue.h"

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

const char* const kEffectCaptions[36] = {
    "Effect - Color Shift", "Effect - Gamma Shift", "Effect - Chroma Shift", "Effect - Dynamic Contrast",
    "Effect - Adjust Brightness", "Effect - Blur / Smear", "Effect - Sharpen", "Effect - Edge Detection",
    "Effect - Posterize", "Effect - Emboss", "Effect - Pixelate", "Effect - Advanced Smoothing",
    "Effect - Drop Shadow", "Effect - Color Filter", "Effect - Antialias Edges", "Effect - Antialias Image",
    "Effect - Bi-Levelize", "Effect - Replace Colors", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    "Effect - Blue-Screening; Normal", "Effect - Blue-Screening; Exact", "Effect - Alpha Contrast",
    "Effect - Set Alpha"};

const char* const kTransformCaptions[6] = {"Transform - Free Rotate",   "Transform - Flipping",
                                           "Transform - Perspective",   "Transform - Skewing",
                                           "Transform - Stretching",    "Transform - Right-Angle Rotate"};

const int kMin[3] = {0, 2, 0}, kMax[3] = {1000, 64, 255}, kPage[3] = {100, 4, 10};

uint32_t Low(uint32_t code) { return code & 0xFFFF; }
int Clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

}  // namespace

const char* cat_EffectCaption(uint32_t code) {
    uint32_t c = Low(code);
    return c < 36 && kEffectCaptions[c] ? kEffectCaptions[c] : "Effect";
}

void cat_OpenEffect(FxSettings* s, uint32_t code) {
    if (Low(code) != Low(s->lastCode)) *s = FX_DEFAULTS;
    s->lastCode = code;
}

int cat_UsesChannels(uint32_t code) { return Low(code) == 11 || Low(code) == 13 || Low(code) == 16; }
int cat_UsesLevel(uint32_t code) { return Low(code) != 33; }
int cat_UsesDistance(uint32_t code) { return Low(code) == 12; }
int cat_UsesParameter(uint32_t code) {
    uint32_t c = Low(code);
    return c == 12 || c == 14 || c == 15 || c == 32 || c == 33;
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
    int level = Clamp(in.level, 0, 1000), distance = Clamp(in.distance, 2, 64);
    int parameter = Clamp(in.parameter, 0, 255), mask = in.channelMask & 0xF;
    switch (Low(code)) {
    case 0: fx_ColorShift(t, level); break;
    case 1: fx_GammaShift(t, level); break;
    case 2: fx_ChromaShift(t, level); break;
    case 3: fx_DynamicContrast(t, level); break;
    case 4: fx_AdjustBrightness(t, level); break;
    case 5: fx_Blur(t, level); break;
    case 6: fx_Sharpen(t, level); break;
    case 7: fx_EdgeDetect(t, level); break;
    case 8: fx_Posterize(t, level); break;
    case 9: fx_Emboss(t, level, colour1); break;
    case 10: fx_Pixelate(t, level); break;
    case 11: fx_ChannelSmooth(t, level, mask); break;
    case 12: fx_DropShadow(t, level, distance, parameter); break;
    case 13: fx_ColorFilter(t, level, mask); break;
    case 14: fx_AntialiasEdges(t, level, parameter); break;
    case 15: fx_AntialiasImage(t, level, parameter); break;
    case 16: fx_BiLevel(t, level, mask); break;
    case 17: fx_ReplaceHue(t, colour1, colour2, level); break;
    case 32: fx_KeyColor(t, colour1, level, fx_KeyTolerance(parameter)); break;
    case 33: fx_KeyExact(t, colour1, fx_KeyTolerance(parameter)); break;
    case 34: fx_AlphaContrast(t, level); break;
    case 35: fx_SetAlpha(t, level); break;
    default: return 0;
    }
    return 1;
}

const char* cat_TransformCaption(uint32_t code) {
    return Low(code) < 6 ? kTransformCaptions[Low(code)] : "Transform";
}

void cat_OpenTransform(TfSettings* s, uint32_t code) {
    if (Low(code) != Low(s->lastCode)) *s = TF_DEFAULTS;
    s->lastCode = code;
}

int cat_UsesEdge(uint32_t code) { return Low(code) != 0 && Low(code) != 5; }

int cat_ApplyTransform(Surface* target, Surface* copy, uint32_t code, const TfSettings& s) {
    int level = Clamp(s.level, 0, 1000), edge = s.edge & 3;
    switch (Low(code)) {
    case 0: return tf_Rotate(target, copy, tf_RotateAngle(level));
    case 1: {
        // The same size again: copy into the target instead of making a new one.
        int same = srf_Refresh(target) && srf_Refresh(copy) && target->width == copy->width &&
                   target->height == copy->height;
        int w = (int)copy->width, h = (int)copy->height;
        int ok = same ? blt_Copy(target, 0, 0, w - 1, h - 1, copy, 0, 0, w - 1, h - 1, 0) : srf_Duplicate(target, copy);
        return ok && tf_Flip(target, tf_EdgeIsVertical(edge));
    }
    case 2: return tf_Perspective(target, copy, level, edge);
    case 3: return tf_Skew(target, copy, tf_SkewAngle(level), tf_EdgeIsVertical(edge));
    case 4: return tf_Stretch(target, copy, level, edge);
    case 5: return tf_Rotate90(target, copy, tf_Rotate90Mode(level));
    }
    return 0;
}

void cat_KeepCentre(int cx, int cy, int w, int h, int* x1, int* y1, int* x2, int* y2) {
    *x1 = (2 * cx - w + 1) / 2;
    *y1 = (2 * cy - h + 1) / 2;
    *x2 = *x1 + w - 1;
    *y2 = *y1 + h - 1;
}
