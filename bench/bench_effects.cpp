// bench_effects.cpp — kvbench_effects: every effect and transform kernel at level
// 500 on a 4096 x 4096 image, in megapixels per second on one thread and on all,
// each beside an anchor measured in the same run where a comparable operation
// exists: ImageMagick's `convert` on the same pixels (raw RGB written to the build
// folder), with `-limit thread 1` and with its default threads. The anchor's time
// is the command's time less the time of the same command without the operation
// (reading the file), and cheap operations are repeated in one command so that the
// difference is well above the noise. Single-thread figures on both sides are in
// processor time (a shared machine's waiting does not count), all-threads figures
// in wall time. Then the effect preview of a 2048 x 2048 image for the effects of
// the effect dialog: restoring the working copy plus the kernel, in milliseconds.
// Last, the preview step as the dialog makes it: every row of the effect and
// transform tables, the whole image against the part a 1024 x 720 view shows of it
// (its reach included), at 2048 x 2048 and 4096 x 4096.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>
#include <sys/resource.h>
#include "effects/fx_alpha.h"
#include "effects/fx_antialias.h"
#include "effects/fx_colour.h"
#include "effects/fx_common.h"
#include "effects/fx_filter.h"
#include "effects/fx_key.h"
#include "effects/fx_pixelate.h"
#include "effects/fx_relief.h"
#include "effects/fx_smear.h"
#include "effects/palette.h"
#include "effects/transform.h"
#include "effects/catalogue.h"

namespace {

typedef std::chrono::steady_clock Clock;
const int kSide = 4096;
const int kPreviewSide = 2048;

double Seconds(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

// Processor time of this process, or of its finished children: on a machine shared
// with other work, the single-thread figures are compared in processor time, which
// waiting for a core does not inflate; the all-threads figures can only be wall time.
double CpuSeconds(bool children) {
    struct rusage u;
    getrusage(children ? RUSAGE_CHILDREN : RUSAGE_SELF, &u);
    return (double)u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + (double)u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

// A photograph stand-in: smooth colour waves with grain, an opaque ellipse in a
// clear field with a soft rim (so keying, shadows and edge smoothing have work).
void FillPhoto(Surface* s) {
    uint32_t* p = srf_Lock(s);
    const int w = (int)s->width, h = (int)s->height;
    uint32_t seed = 12345;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            seed = seed * 1664525u + 1013904223u;
            int grain = (int)(seed >> 28) - 8;
            double fx = (double)x / w, fy = (double)y / h;
            int r = (int)(128 + 100 * std::sin(fx * 17 + fy * 5) + grain);
            int g = (int)(128 + 100 * std::sin(fy * 13 - fx * 7) + grain);
            int b = (int)(128 + 90 * std::cos((fx + fy) * 11) + grain);
            double e = (fx - 0.5) * (fx - 0.5) / 0.16 + (fy - 0.5) * (fy - 0.5) / 0.12;
            int a = e < 0.9 ? 0 : (e > 1.0 ? 255 : (int)((e - 0.9) * 2550));
            auto c = [](int v) { return (uint32_t)(v < 0 ? 0 : (v > 255 ? 255 : v)); };
            p[(size_t)y * s->stride + x] = (uint32_t)a << 24 | c(r) << 16 | c(g) << 8 | c(b);
        }
    srf_Unlock(s);
}

struct Kernel {
    const char* name;
    std::function<int(Surface*)> run;   // changes the surface in place (transforms replace it)
    const char* anchor;                 // convert operation, or nullptr
    int repeat;                         // times the anchor operation is chained
};

Surface g_out;   // destination of the transforms

std::vector<Kernel> Kernels() {
    const int L = 500;
    return {
        {"ColorShift", [=](Surface* s) { return fx_ColorShift(s, L); }, nullptr, 0},
        {"ChromaShift", [=](Surface* s) { return fx_ChromaShift(s, L); }, "-modulate 100,100,150", 1},
        {"DynamicContrast", [=](Surface* s) { return fx_DynamicContrast(s, L); }, nullptr, 0},
        {"SyntheticEnhance", [](Surface* s) { return fx_SyntheticEnhance(s); }, nullptr, 0},
        {"Posterize", [=](Surface* s) { return fx_Posterize(s, L); }, "-posterize 4", 1},
        {"ColorFilter", [=](Surface* s) { return fx_ColorFilter(s, L, 5); }, nullptr, 0},
        {"BiLevel", [=](Surface* s) { return fx_BiLevel(s, L, 15); }, nullptr, 0},
        {"Greyscale", [](Surface* s) { return fx_Greyscale(s); }, "-grayscale Rec601Luma", 8},
        {"Negative", [](Surface* s) { return fx_Negative(s); }, "-negate", 16},
        {"InvertAlpha", [](Surface* s) { return fx_InvertAlpha(s); }, nullptr, 0},
        {"SetAlpha", [=](Surface* s) { return fx_SetAlpha(s, L); }, nullptr, 0},
        {"RebaseTransparent", [](Surface* s) { return fx_RebaseTransparent(s); }, nullptr, 0},
        {"AlphaContrast", [=](Surface* s) { return fx_AlphaContrast(s, L); }, nullptr, 0},
        {"GammaShift", [=](Surface* s) { return fx_GammaShift(s, L); }, nullptr, 0},
        {"AdjustBrightness", [=](Surface* s) { return fx_AdjustBrightness(s, L + 100); }, nullptr, 0},
        {"KeyColor", [=](Surface* s) { return fx_KeyColor(s, 0x00FF8040u, L, fx_KeyTolerance(40)); }, nullptr, 0},
        {"KeyExact", [](Surface* s) { return fx_KeyExact(s, 0x00FF8040u, 255); }, nullptr, 0},
        {"KeyBasal", [](Surface* s) { return fx_KeyBasal(s, 1); }, nullptr, 0},
        {"ReplaceHue", [=](Surface* s) { return fx_ReplaceHue(s, 0x000000FFu, 0x00FF0000u, L); }, nullptr, 0},
        {"Blur", [=](Surface* s) { return fx_Blur(s, L); }, "-blur 0x2", 1},
        {"ChannelSmooth", [=](Surface* s) { return fx_ChannelSmooth(s, L, 5); }, nullptr, 0},
        {"Convolve 3x3", [](Surface* s) {
             int32_t w[9] = {49999, 49999, 49999, 49999, 599999, 49999, 49999, 49999, 49999};
             return fx_Convolve(s, w, 3, 0);
         }, nullptr, 0},
        {"Sharpen", [=](Surface* s) { return fx_Sharpen(s, L); }, "-sharpen 0x1", 1},
        {"EdgeDetect", [=](Surface* s) { return fx_EdgeDetect(s, L); }, "-edge 1", 1},
        {"Emboss", [=](Surface* s) { return fx_Emboss(s, L, 0x00C08040u); }, "-emboss 1", 1},
        {"AntialiasEdges", [=](Surface* s) { return fx_AntialiasEdges(s, L, 0); }, nullptr, 0},
        {"AntialiasImage", [=](Surface* s) { return fx_AntialiasImage(s, L, 0); }, nullptr, 0},
        {"DropShadow", [=](Surface* s) { return fx_DropShadow(s, L, 4, 128); }, nullptr, 0},
        {"Pixelate", [=](Surface* s) { return fx_Pixelate(s, L); }, nullptr, 0},
        {"SmartDither", [](Surface* s) { return pal_SmartDither(s); }, nullptr, 0},
        {"tf_Rotate (0 deg)", [=](Surface* s) { return tf_Rotate(&g_out, s, tf_RotateAngle(L)); }, nullptr, 0},
        {"tf_Rotate (45 deg)", [](Surface* s) { return tf_Rotate(&g_out, s, 45.0); }, nullptr, 0},
        {"tf_Flip", [](Surface* s) { return tf_Flip(s, 1); }, "-flip", 2},
        {"tf_Perspective", [=](Surface* s) { return tf_Perspective(&g_out, s, L, 0); }, nullptr, 0},
        {"tf_Skew", [=](Surface* s) { return tf_Skew(&g_out, s, tf_SkewAngle(L + 50), 0); }, nullptr, 0},
        {"tf_Stretch (same size)", [=](Surface* s) { return tf_Stretch(&g_out, s, L, 2); }, nullptr, 0},
        {"tf_Stretch (half)", [](Surface* s) { return tf_Stretch(&g_out, s, 350, 2); },
         "-filter Triangle -resize 50.1%", 1},
        {"tf_Rotate90", [=](Surface* s) { return tf_Rotate90(&g_out, s, tf_Rotate90Mode(L - 250)); },
         "-rotate 90", 2},
        {"tf_Tile", [](Surface* s) { return tf_Tile(s, kSide, kSide); }, nullptr, 0},
    };
}

// Puts the image back into `work`, reusing its memory when the size still fits (a
// fresh surface would make the next run pay for first-touch page faults as well).
// Rows are copied with memcpy rather than blt_Copy: at the time of writing the AVX2
// transfer rows leave the upper vector state dirty, which slows every SSE loop that
// follows three- to fourfold until something clears it; the kernels are timed clean.
void Restore(Surface* work, Surface* master) {
    if (!srf_IsValid(work) || work->width != master->width || work->height != master->height) {
        srf_Destroy(work);
        srf_Create(master->width, master->height, work);
    }
    uint32_t* to = srf_Lock(work);
    const uint32_t* from = srf_Lock(master);
    for (uint32_t y = 0; y < master->height; y++)
        std::memcpy(to + (size_t)y * work->stride, from + (size_t)y * master->stride, (size_t)master->width * 4);
    srf_Unlock(master);
    srf_Unlock(work);
}

// Best of up to two runs, each from a fresh copy of the image (not timed): in
// processor time when `cpu`, else in wall time.
double TimeKernel(const Kernel& k, Surface* work, Surface* master, bool cpu) {
    double best = 1e30;
    for (int rep = 0; rep < 2; rep++) {
        Restore(work, master);
        Clock::time_point t0 = Clock::now();
        double c0 = CpuSeconds(false);
        if (k.run(work) != 1) std::printf("  (%s returned failure)\n", k.name);
        double t = cpu ? CpuSeconds(false) - c0 : Seconds(t0);
        best = std::min(best, t);
        if (best > 0.1) break;
    }
    return best;
}

bool HaveConvert() { return std::system("convert -version >/dev/null 2>&1") == 0; }

// Seconds of one convert run over the raw file (`op` may be empty): processor time
// of the child with one thread, wall time with its default threads.
double ConvertSeconds(const std::string& file, const std::string& op, int repeat, bool oneThread) {
    std::string cmd = "convert ";
    if (oneThread) cmd += "-limit thread 1 ";
    cmd += "-size " + std::to_string(kSide) + "x" + std::to_string(kSide) + " -depth 8 rgb:" + file;
    for (int i = 0; i < repeat; i++) cmd += " " + op;
    cmd += " null: >/dev/null 2>&1";
    Clock::time_point t0 = Clock::now();
    double c0 = CpuSeconds(true);
    int rc = std::system(cmd.c_str());
    double t = oneThread ? CpuSeconds(true) - c0 : Seconds(t0);
    return rc == 0 ? t : -1;
}

int WriteRgb(Surface* s, const std::string& file) {
    FILE* f = std::fopen(file.c_str(), "wb");
    if (!f) return 0;
    uint32_t* p = srf_Lock(s);
    std::vector<uint8_t> row((size_t)s->width * 3);
    for (uint32_t y = 0; y < s->height; y++) {
        for (uint32_t x = 0; x < s->width; x++) {
            uint32_t v = p[(size_t)y * s->stride + x];
            row[x * 3] = (uint8_t)(v >> 16);
            row[x * 3 + 1] = (uint8_t)(v >> 8);
            row[x * 3 + 2] = (uint8_t)v;
        }
        std::fwrite(row.data(), 1, row.size(), f);
    }
    srf_Unlock(s);
    return std::fclose(f) == 0;
}

// Milliseconds of the faster of two runs of `step`, each after `before` (not timed).
template <class B, class F>
double BestMs(B before, F step) {
    double best = 1e30;
    for (int rep = 0; rep < 2; rep++) {
        before();
        Clock::time_point t0 = Clock::now();
        step();
        best = std::min(best, Seconds(t0));
    }
    return best * 1000;
}

// The dialog's step: the whole result against the shown part, per table row.
void ShownPartSteps(const char* only) {
    for (int side : {2048, 4096}) {
        std::printf("\nPreview step on %d x %d, all threads, ms: whole image | the part a 1024 x 720 view shows\n",
                    side, side);
        Surface copy{}, target{};
        srf_Create((uint32_t)side, (uint32_t)side, &copy);
        FillPhoto(&copy);
        const CatRect shown = {side / 2 - 512, side / 2 - 360, side / 2 + 511, side / 2 + 359};
        const FxSettings fx = {700, 9, 90, 0xF, 0};
        int count = 0;
        const EffectInfo* rows = cat_Effects(&count);
        for (int i = 0; i < count; i++) {
            if (rows[i].run != CAT_RUN_DIALOG || (only && !std::strstr(rows[i].key, only))) continue;
            const uint32_t code = rows[i].code;
            const double whole = BestMs([&] { Restore(&target, &copy); },
                                        [&] { cat_ApplyEffect(&target, code, fx, 0x00406080u, 0x00C08040u); });
            CatWhole inputs{};   // taken once per dialog: the first run pays for them
            FxSettings step = fx;   // each run a step of the level, as a dragged bar makes
            auto makePart = [&] { cat_EffectRect(&target, &copy, code, step, 0x00406080u, 0x00C08040u, shown, &inputs); };
            const double part = cat_EffectByRect(code, fx) ? BestMs([&] { step.level ^= 1; }, makePart) : whole;
            cat_ReleaseWhole(&inputs);
            std::printf("  %-34s %7.1f | %7.1f%s\n", rows[i].caption, whole, part,
                        cat_EffectByRect(code, fx) ? "" : "  (whole: a recursive smear)");
        }
        for (uint32_t code = TFC_ROTATE; code <= TFC_ROTATE90; code++) {
            const TfSettings tf = {640, 1, 0};
            const double whole = BestMs([] {}, [&] { cat_ApplyTransform(&target, &copy, code, tf); });
            const double part = BestMs([] {}, [&] { cat_TransformRect(&target, &copy, code, tf, shown); });
            std::printf("  %-34s %7.1f | %7.1f\n", cat_TransformCaption(code), whole, part);
        }
        tf_ReleaseSpare();
        srf_Destroy(&copy);
        srf_Destroy(&target);
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Optional argument: only the kernels whose name contains it (and no anchors).
    const char* only = argc > 1 ? argv[1] : nullptr;
    std::string dir = ".";
    if (argc > 0) {
        std::string self = argv[0];
        size_t slash = self.find_last_of('/');
        if (slash != std::string::npos) dir = self.substr(0, slash);
    }
    const std::string file = dir + "/kvbench_effects.rgb";
    const double mpix = (double)kSide * kSide / 1e6;
    const int cores = fx_Threads();

    Surface master{}, work{};
    srf_Create(kSide, kSide, &master);
    FillPhoto(&master);
    const bool anchors = !only && HaveConvert() && WriteRgb(&master, file);
    double base1 = -1, baseN = -1;
    if (anchors) {
        // The reading alone, best of two: the noise of this subtraction is what decides
        // how many times a cheap operation is chained.
        base1 = std::min(ConvertSeconds(file, "", 0, true), ConvertSeconds(file, "", 0, true));
        baseN = std::min(ConvertSeconds(file, "", 0, false), ConvertSeconds(file, "", 0, false));
    } else if (!only) {
        std::printf("ImageMagick's convert not found: anchors left out.\n");
    }

    std::printf("Effect kernels at level 500 on %d x %d (%.1f Mpix); %d threads for \"all\".\n", kSide, kSide, mpix, cores);
    std::printf("Anchor: ImageMagick convert (net of reading the file), Mpix/s; ratio = ours / anchor.\n");
    std::printf("One thread: processor time (both sides); all threads: wall time.\n\n");
    std::printf("%-24s %9s %9s | %9s %9s | %7s %7s | %s\n", "kernel", "1 thr", "all", "anchor 1", "anchor N", "ratio 1",
                "ratio N", "anchor operation");
    double slowest = 1e30;
    const char* slowestName = "";
    for (const Kernel& k : Kernels()) {
        if (only && !std::strstr(k.name, only)) continue;
        fx_SetThreads(1);
        double t1 = TimeKernel(k, &work, &master, true);
        fx_SetThreads(cores);
        double tn = TimeKernel(k, &work, &master, false);
        double m1 = mpix / t1, mn = mpix / tn;
        if (m1 < slowest) {
            slowest = m1;
            slowestName = k.name;
        }
        std::printf("%-24s %9.1f %9.1f |", k.name, m1, mn);
        if (anchors && k.anchor) {
            double a1 = ConvertSeconds(file, k.anchor, k.repeat, true) - base1;
            double an = ConvertSeconds(file, k.anchor, k.repeat, false) - baseN;
            // Below 30 ms in all the difference is lost in the noise of the subtraction:
            // the anchor is then only known to be fast.
            double am1 = a1 > 0.03 ? mpix * k.repeat / a1 : -1;
            double amn = an > 0.03 ? mpix * k.repeat / an : -1;
            if (am1 > 0) std::printf(" %9.1f", am1); else std::printf(" %9s", "fast");
            if (amn > 0) std::printf(" %9.1f |", amn); else std::printf(" %9s |", "fast");
            if (am1 > 0) std::printf(" %7.2f", m1 / am1); else std::printf(" %7s", "-");
            if (amn > 0) std::printf(" %7.2f", mn / amn); else std::printf(" %7s", "-");
            std::printf(" | %s%s\n", k.anchor, k.repeat > 1 ? (" (x" + std::to_string(k.repeat) + ")").c_str() : "");
        } else {
            std::printf(" %9s %9s | %7s %7s |\n", "-", "-", "-", "-");
        }
    }
    std::printf("\nSlowest kernel on one thread: %s, %.1f Mpix/s.\n", slowestName, slowest);

    // The preview: the target restored from the working copy (copied into its memory),
    // then the kernel.
    std::printf("\nEffect preview on %d x %d, all threads (restore + kernel), ms:\n", kPreviewSide, kPreviewSide);
    Surface copy{}, target{};
    srf_Create(kPreviewSide, kPreviewSide, &copy);
    FillPhoto(&copy);
    fx_SetThreads(cores);
    int over = 0;
    // The effects of the effect dialog; the direct commands have no preview.
    static const char* const dialog[] = {"ColorShift", "GammaShift", "ChromaShift", "DynamicContrast",
                                         "AdjustBrightness", "Blur", "Sharpen", "EdgeDetect", "Posterize", "Emboss",
                                         "Pixelate", "ChannelSmooth", "DropShadow", "ColorFilter", "AntialiasEdges",
                                         "AntialiasImage", "BiLevel", "ReplaceHue", "KeyColor", "KeyExact",
                                         "AlphaContrast", "SetAlpha"};
    for (const Kernel& k : Kernels()) {
        bool previewed = false;
        for (const char* d : dialog) previewed = previewed || std::strcmp(d, k.name) == 0;
        if (!previewed || (only && !std::strstr(k.name, only))) continue;
        double best = 1e30;
        for (int rep = 0; rep < 2; rep++) {
            Clock::time_point t0 = Clock::now();
            Restore(&target, &copy);
            k.run(&target);
            best = std::min(best, Seconds(t0));
        }
        std::printf("  %-20s %7.1f%s\n", k.name, best * 1000, best > 0.1 ? "  (over 100 ms)" : "");
        over += best > 0.1;
    }
    std::printf("Previews over 100 ms: %d\n", over);

    srf_Destroy(&copy);
    srf_Destroy(&target);
    ShownPartSteps(only);
    srf_Destroy(&work);
    srf_Destroy(&master);
    if (srf_IsValid(&g_out)) srf_Destroy(&g_out);
    if (anchors) std::remove(file.c_str());
    return 0;
}
