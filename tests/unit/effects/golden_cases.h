// golden_cases.h — every effect kernel, the smart dither and every transform, at
// levels that reach each regime of its formula: the catalogue the path tests run on
// random layouts, and the hashes of the reference loops on the pattern (37 x 23).
// The native and the Windows test both check the hashes, so equal tables also show
// that the two builds' maths libraries give the same pixels. KV_GOLDEN_PRINT=1
// prints the table afresh.
#pragma once
#include <functional>
#include <string>
#include <vector>
#include "effects/fx_alpha.h"
#include "effects/fx_antialias.h"
#include "effects/fx_colour.h"
#include "effects/fx_common.h"
#include "effects/fx_filter.h"
#include "effects/fx_key.h"
#include "effects/fx_pixelate.h"
#include "effects/fx_smear_simd.h"
#include "effects/fx_relief.h"
#include "effects/fx_smear.h"
#include "effects/palette.h"
#include "effects/transform.h"
#include "engine/engine.h"
#include "support/test_surface.h"

struct FxCase {
    const char* name;
    uint32_t hash;                                // of the reference loops on the pattern
    std::function<int(Surface* s, Surface* out)> run;
    bool toOut;                                   // the result is `out` (transforms), else `s`
};

inline std::vector<FxCase> FxCatalogue() {
    typedef std::function<int(Surface*, Surface*)> Run;
    auto lv = [](int (*k)(Surface*, int), int level) -> Run { return [=](Surface* s, Surface*) { return k(s, level); }; };
    auto mk = [](int (*k)(Surface*, int, int), int level, int mask) -> Run {
        return [=](Surface* s, Surface*) { return k(s, level, mask); };
    };
    auto one = [](int (*k)(Surface*)) -> Run { return [=](Surface* s, Surface*) { return k(s); }; };
    auto conv = [](std::vector<int32_t> w, int n, int mask) -> Run {
        return [=](Surface* s, Surface*) { return fx_Convolve(s, w.data(), n, mask); };
    };
    std::vector<int32_t> w5(25), w7(49);
    for (int i = 0; i < 25; i++) w5[i] = (i * 389) % 2001 - 900;
    for (int i = 0; i < 49; i++) w7[i] = (i % 3 - 1) * 900000000;   // past the fast path's split range
    w7[24] = 1999999999;
    return {
        // Levels that leave the image as it was: the pattern's own hash.
        {"Blur 0", 0x29903D53u, lv(fx_Blur, 0), false},
        {"Pixelate 0", 0x29903D53u, lv(fx_Pixelate, 0), false},
        {"AntialiasEdges 0", 0x29903D53u, mk(fx_AntialiasEdges, 0, 0), false},
        {"AntialiasImage 0", 0x29903D53u, mk(fx_AntialiasImage, 0, 0), false},
        {"AdjustBrightness 500", 0x29903D53u, lv(fx_AdjustBrightness, 500), false},
        {"ColorShift 0", 0x8A657D81u, lv(fx_ColorShift, 0), false},
        {"ColorShift 777", 0xF042CC78u, lv(fx_ColorShift, 777), false},
        {"ColorShift 1000", 0xD3549E77u, lv(fx_ColorShift, 1000), false},
        {"ChromaShift 300", 0x5582255Fu, lv(fx_ChromaShift, 300), false},
        {"DynamicContrast 0", 0x88B551EDu, lv(fx_DynamicContrast, 0), false},
        {"DynamicContrast 900", 0xC9BDB45Au, lv(fx_DynamicContrast, 900), false},
        {"SyntheticEnhance", 0x6AF97D2Fu, one(fx_SyntheticEnhance), false},
        {"Posterize 500", 0x23B945D9u, lv(fx_Posterize, 500), false},
        {"Posterize 1000", 0xC3FB533Fu, lv(fx_Posterize, 1000), false},
        {"ColorFilter 600 mask 5", 0x01CC8B41u, mk(fx_ColorFilter, 600, 5), false},
        {"ColorFilter 1000 mask 10", 0xEA436BAFu, mk(fx_ColorFilter, 1000, 10), false},
        {"BiLevel 400 mask 15", 0xB1F26327u, mk(fx_BiLevel, 400, 15), false},
        {"BiLevel 700 mask 6", 0xCDECC855u, mk(fx_BiLevel, 700, 6), false},
        {"Greyscale", 0x8A657D81u, one(fx_Greyscale), false},
        {"Negative", 0xEDF4694Au, one(fx_Negative), false},
        {"InvertAlpha", 0x5B76E8B6u, one(fx_InvertAlpha), false},
        {"RebaseTransparent", 0xE02B7169u, one(fx_RebaseTransparent), false},
        {"SetAlpha 333", 0x487F0AF7u, lv(fx_SetAlpha, 333), false},
        {"AlphaContrast 640", 0x469A6D7Bu, lv(fx_AlphaContrast, 640), false},
        {"GammaShift 0", 0xB9A2518Au, lv(fx_GammaShift, 0), false},
        {"GammaShift 733", 0x78E9A3FFu, lv(fx_GammaShift, 733), false},
        {"AdjustBrightness 230", 0x363CDFE8u, lv(fx_AdjustBrightness, 230), false},
        {"AdjustBrightness 810", 0x1CB27A30u, lv(fx_AdjustBrightness, 810), false},
        {"KeyColor", 0x1DEC7D89u, [](Surface* s, Surface*) { return fx_KeyColor(s, 0x00806040u, 611, 200); }, false},
        {"KeyColor level 0", 0xB0E49865u, [](Surface* s, Surface*) { return fx_KeyColor(s, 0x0040C080u, 0, 255); }, false},
        {"KeyExact", 0x3508BE6Bu, [](Surface* s, Surface*) { return fx_KeyExact(s, 0x004080C0u, 77); }, false},
        {"KeyBasal white", 0x0913D5F9u, [](Surface* s, Surface*) { return fx_KeyBasal(s, 1); }, false},
        {"KeyBasal black", 0x15376520u, [](Surface* s, Surface*) { return fx_KeyBasal(s, 0); }, false},
        {"ReplaceHue", 0xE5DA6092u, [](Surface* s, Surface*) { return fx_ReplaceHue(s, 0x000080FFu, 0x00FF4000u, 420); }, false},
        {"EdgeDetect 500", 0x29C55343u, lv(fx_EdgeDetect, 500), false},
        {"Emboss 800", 0x78796AE7u, [](Surface* s, Surface*) { return fx_Emboss(s, 800, 0x0030A0F0u); }, false},
        {"Sharpen 500", 0x8630AB0Cu, lv(fx_Sharpen, 500), false},
        {"Sharpen 1000", 0x376B2EDFu, lv(fx_Sharpen, 1000), false},
        {"Convolve sparse 3", 0x5853FE7Eu, conv({0, 0, 0, 0, 0, 0, 3, 0, -1}, 3, 0), false},
        {"Convolve 5 mask 5", 0x331EF3DBu, conv(w5, 5, 5), false},
        {"Convolve 7 large weights", 0x818286CEu, conv(w7, 7, 8), false},
        {"Blur 533", 0x2A510287u, lv(fx_Blur, 533), false},
        {"Blur 534", 0xF24668A5u, lv(fx_Blur, 534), false},
        {"Blur 650", 0xCD3B6AEFu, lv(fx_Blur, 650), false},
        {"Blur 1000", 0x7C5049D6u, lv(fx_Blur, 1000), false},
        {"ChannelSmooth 400 mask 5", 0xF8D06391u, mk(fx_ChannelSmooth, 400, 5), false},
        {"ChannelSmooth 999 mask 9", 0x0A3D4866u, mk(fx_ChannelSmooth, 999, 9), false},
        {"AntialiasEdges", 0x75A23193u, mk(fx_AntialiasEdges, 700, 60), false},
        {"AntialiasImage", 0xA66EB74Au, mk(fx_AntialiasImage, 900, 20), false},
        {"Pixelate 333", 0xF7125E42u, lv(fx_Pixelate, 333), false},
        {"Pixelate 1000", 0xE29A8942u, lv(fx_Pixelate, 1000), false},
        {"DropShadow", 0x197559D6u, [](Surface* s, Surface*) { return fx_DropShadow(s, 700, 3, 90); }, false},
        {"DropShadow unblurred", 0x373C12F1u, [](Surface* s, Surface*) { return fx_DropShadow(s, 1000, 3, 0); }, false},
        {"SmartDither", 0x169AAE8Au, [](Surface* s, Surface*) { return pal_SmartDither(s); }, false},
        {"Rotate 33.3", 0x7435FE2Fu, [](Surface* s, Surface* o) { return tf_Rotate(o, s, 33.3); }, true},
        {"Rotate level 750", 0xD140C794u, [](Surface* s, Surface* o) { return tf_Rotate(o, s, tf_RotateAngle(750)); }, true},
        {"Skew -20 vertical", 0x8CA1C158u, [](Surface* s, Surface* o) { return tf_Skew(o, s, -20.0, 1); }, true},
        {"Skew level 0", 0x47B85329u, [](Surface* s, Surface* o) { return tf_Skew(o, s, tf_SkewAngle(0), 0); }, true},
        {"Stretch 640 both", 0x0EAE2550u, [](Surface* s, Surface* o) { return tf_Stretch(o, s, 640, 2); }, true},
        {"Stretch 123 left", 0xB57646A8u, [](Surface* s, Surface* o) { return tf_Stretch(o, s, 123, 0); }, true},
        {"Perspective 700 top", 0x1620F3C8u, [](Surface* s, Surface* o) { return tf_Perspective(o, s, 700, 1); }, true},
        {"Perspective 333 left", 0x3D50B3BCu, [](Surface* s, Surface* o) { return tf_Perspective(o, s, 333, 0); }, true},
        {"Perspective 1000 right", 0x037788B4u, [](Surface* s, Surface* o) { return tf_Perspective(o, s, 1000, 2); }, true},
        {"Perspective 1 bottom", 0x29903D53u, [](Surface* s, Surface* o) { return tf_Perspective(o, s, 1, 3); }, true},
        {"Rotate90 0", 0x9FBBD4E3u, [](Surface* s, Surface* o) { return tf_Rotate90(o, s, 0); }, true},
        {"Rotate90 1", 0xE6437157u, [](Surface* s, Surface* o) { return tf_Rotate90(o, s, 1); }, true},
        {"Rotate90 3", 0x677D1BCFu, [](Surface* s, Surface* o) { return tf_Rotate90(o, s, 3); }, true},
        {"Flip columns", 0xF0698193u, [](Surface* s, Surface*) { return tf_Flip(s, 0); }, false},
        {"Flip rows", 0x44531423u, [](Surface* s, Surface*) { return tf_Flip(s, 1); }, false},
        {"Tile 50 x 40", 0x92B93C2Du, [](Surface* s, Surface*) { return tf_Tile(s, 50, 40); }, false},
    };
}

// Runs a case on a copy of `in`; the result's words, or an empty vector when it failed.
inline std::vector<uint32_t> RunFxCase(const FxCase& c, Surface* in, uint32_t* hash = nullptr) {
    Surface s{}, out{};
    srf_Duplicate(&s, in);
    const int ok = c.run(&s, &out);
    Surface* result = c.toOut ? &out : &s;
    std::vector<uint32_t> words = ok == 1 ? WordsOf(result) : std::vector<uint32_t>{};
    if (hash) *hash = ok == 1 ? HashSurface(result) : 0;
    srf_Destroy(&s);
    if (srf_IsValid(&out)) srf_Destroy(&out);
    return words;
}

// The fast loops on one thread and on four (with each set of the smear's row loops)
// against the reference loops, from the same input: "" when every path gives the
// reference's words.
inline std::string FxPathsDiffer(const FxCase& c, Surface* in) {
    const int threads = fx_Threads();
    eng_ForceReference(1);
    fx_SetThreads(1);
    const std::vector<uint32_t> want = RunFxCase(c, in);
    eng_ForceReference(0);
    std::string report = want.empty() ? std::string(c.name) + ": the reference failed" : "";
    for (const char* loops : {"sse2", "avx2"})
        for (int n : {1, 4}) {
            fx_SetThreads(n);
            if (report.empty() && fx_SmearPinLoops(loops) && RunFxCase(c, in) != want)
                report = std::string(c.name) + " on " + std::to_string(in->width) + "x" + std::to_string(in->height) +
                         ", " + loops + ", " + std::to_string(n) + " threads";
        }
    fx_SmearPinLoops(nullptr);
    fx_SetThreads(threads);
    return report;
}

// The reference loops over the pattern against the recorded hashes: one line per mismatch.
inline std::string CheckFxGolden() {
    TestSurface in(37, 23);
    FillPattern(in.get());
    std::vector<GoldenCase> rows;
    for (const FxCase& c : FxCatalogue())
        rows.push_back({c.name, c.hash, [c, &in]() {
                            uint32_t h = 0;
                            RunFxCase(c, in.get(), &h);
                            return h;
                        }});
    const int threads = fx_Threads();
    eng_ForceReference(1);
    fx_SetThreads(1);
    const std::string report = CheckGolden(rows);
    eng_ForceReference(0);
    fx_SetThreads(threads);
    return report;
}
