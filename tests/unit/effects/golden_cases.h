// golden_cases.h — fixed inputs through every kernel whose result passes through
// floating point (pow, sin, cos, tan, double tables and lumas), with the hash of the
// result. The native and the Windows test both run them: equal hashes show that the
// two builds' maths libraries give the same pixels. Set KV_GOLDEN_PRINT=1 to print
// the table afresh.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>
#include "effects/fx_alpha.h"
#include "effects/fx_antialias.h"
#include "effects/fx_colour.h"
#include "effects/fx_filter.h"
#include "effects/fx_key.h"
#include "effects/fx_relief.h"
#include "effects/fx_smear.h"
#include "effects/palette.h"
#include "effects/transform.h"
#include "unit/effects/fx_test_util.h"

struct GoldenCase {
    const char* name;
    uint32_t hash;
    std::function<int(Surface* s, Surface* out)> run;   // writes the result to `out` or `s`
    bool toOut;
};

inline std::vector<GoldenCase> GoldenCases() {
    auto in = [](int (*k)(Surface*, int), int level) {
        return [=](Surface* s, Surface*) { return k(s, level); };
    };
    return {
        {"ColorShift 777", 0xF042CC78u, in(fx_ColorShift, 777), false},
        {"ChromaShift 300", 0x5582255Fu, in(fx_ChromaShift, 300), false},
        {"DynamicContrast 900", 0xC9BDB45Au, in(fx_DynamicContrast, 900), false},
        {"SyntheticEnhance", 0x6AF97D2Fu, [](Surface* s, Surface*) { return fx_SyntheticEnhance(s); }, false},
        {"AlphaContrast 640", 0x469A6D7Bu, in(fx_AlphaContrast, 640), false},
        {"GammaShift 0", 0xB9A2518Au, in(fx_GammaShift, 0), false},
        {"GammaShift 733", 0x78E9A3FFu, in(fx_GammaShift, 733), false},
        {"KeyColor", 0x1DEC7D89u, [](Surface* s, Surface*) { return fx_KeyColor(s, 0x00806040u, 611, 200); }, false},
        {"ReplaceHue", 0xE5DA6092u, [](Surface* s, Surface*) { return fx_ReplaceHue(s, 0x000080FFu, 0x00FF4000u, 420); }, false},
        {"EdgeDetect 500", 0x29C55343u, in(fx_EdgeDetect, 500), false},
        {"Emboss 800", 0x78796AE7u, [](Surface* s, Surface*) { return fx_Emboss(s, 800, 0x0030A0F0u); }, false},
        {"Sharpen 500", 0x8630AB0Cu, in(fx_Sharpen, 500), false},
        {"Blur 650", 0xCD3B6AEFu, in(fx_Blur, 650), false},
        {"AntialiasImage", 0xA66EB74Au, [](Surface* s, Surface*) { return fx_AntialiasImage(s, 900, 20); }, false},
        {"DropShadow", 0x197559D6u, [](Surface* s, Surface*) { return fx_DropShadow(s, 700, 3, 90); }, false},
        {"SmartDither", 0x169AAE8Au, [](Surface* s, Surface*) { return pal_SmartDither(s); }, false},
        {"Rotate 33.3", 0x7435FE2Fu, [](Surface* s, Surface* o) { return tf_Rotate(o, s, 33.3); }, true},
        {"Rotate level 750", 0xD140C794u, [](Surface* s, Surface* o) { return tf_Rotate(o, s, tf_RotateAngle(750)); }, true},
        {"Skew -20 vertical", 0x8CA1C158u, [](Surface* s, Surface* o) { return tf_Skew(o, s, -20.0, 1); }, true},
        {"Skew level 0", 0x47B85329u, [](Surface* s, Surface* o) { return tf_Skew(o, s, tf_SkewAngle(0), 0); }, true},
        {"Stretch 640 both", 0x0EAE2550u, [](Surface* s, Surface* o) { return tf_Stretch(o, s, 640, 2); }, true},
        {"Stretch 123 left", 0xB57646A8u, [](Surface* s, Surface* o) { return tf_Stretch(o, s, 123, 0); }, true},
        {"Perspective 700 top", 0x1620F3C8u, [](Surface* s, Surface* o) { return tf_Perspective(o, s, 700, 1); }, true},
    };
}

// Runs every case on a fixed 37 x 23 image; returns the number of mismatches and
// prints the table when KV_GOLDEN_PRINT is set.
inline int RunGoldenCases(std::string* report) {
    const bool print = std::getenv("KV_GOLDEN_PRINT") != nullptr;
    int bad = 0;
    for (const GoldenCase& c : GoldenCases()) {
        // A sweep through colours, hues and alphas, with hard steps and flat runs.
        Img input;
        input.w = 37;
        input.h = 23;
        for (int y = 0; y < 23; y++)
            for (int x = 0; x < 37; x++) {
                int flat = (x / 6 + y / 5) % 3 == 0;
                input.px.push_back(flat ? 0x20C08040u
                                        : Word((x * 5 + y * 9) & 255, (y * 11) & 255, (x * 7) & 255, (x * y * 3) & 255));
            }
        Surface s{}, out{};
        srf_Create(37, 23, &s);
        WriteImg(&s, input);
        int ok = c.run(&s, &out);
        uint32_t h = HashImg(ReadImg(c.toOut ? &out : &s));
        if (print) std::printf("        {\"%s\", 0x%08Xu, ...\n", c.name, h);
        if (ok != 1 || h != c.hash) {
            bad++;
            char line[160];
            std::snprintf(line, sizeof line, "%s: result %d hash %08X, expected %08X\n", c.name, ok, h, c.hash);
            *report += line;
        }
        srf_Destroy(&s);
        if (srf_IsValid(&out)) srf_Destroy(&out);
    }
    return bad;
}
