// kvsamples.cpp — draws the product's sample images, sample sprites and the installer's
// splash picture at build time.
//
// Everything is painted with the program's own engine shapes, tool kernels, effect
// kernels and Pixcode programs, at twice the final size and then averaged down two by
// two, so edges come out smooth. The images and sprites are written as .kv5 files
// through the program's own KV5 writer; the splash as a binary PPM that the build
// turns into a JPEG. A person changes a picture by editing its scene below.
// Usage: kvsamples <dist folder> <work folder> [--preview]
//   dist:  Images/*.kv5 and Sprites/*.kv5 are written there (folders must exist)
//   work:  splash.ppm, and with --preview a PPM of every picture (sprites over the
//          checkerboard) for looking at them
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "document/random.h"
#include "document/toolkernel.h"
#include "effects/fx_alpha.h"
#include "effects/fx_smear.h"
#include "engine/blit.h"
#include "engine/color.h"
#include "engine/engine.h"
#include "engine/pixel.h"
#include "engine/shape.h"
#include "engine/surface.h"
#include "formats/kv5_file.h"
#include "kvfont.h"
#include "pixcode/pix_compile.h"
#include "pixcode/pix_run.h"
#include "platform/ui.h"

// ---- the user-interface seam, answered quietly (a build has nobody to ask) ----

int ui_MessageBox(const char* text, const char* title, unsigned flags) {
    std::fprintf(stderr, "kvsamples: %s: %s\n", title, text);
    return (flags & 0xF) == UI_YESNO || (flags & 0xF) == UI_YESNOCANCEL ? UI_IDNO : UI_IDOK;
}
void ui_SetStatus(const char*) {}
void ui_Beep(unsigned) {}
void ui_Tone(unsigned, unsigned) {}
void ui_Sleep(unsigned) {}
void ui_ViewChanged(unsigned) {}
void ui_WaitCursor(int) {}
int ui_EscapePressed() { return 0; }
void ui_RegisterPrompt(const char*, UiPromptHandler) {}
int ui_Prompt(UiPrompt*) { return 0; }

// ---- drawing at twice the size ----

const int K = 2;                       // supersampling factor
const uint32_t CLEAR = 0xFF000000;     // fully transparent black
static Surface* B;                     // the surface being drawn (locked)
static std::vector<Surface*> g_stack;  // surfaces under the open layers

static void Fail(const char* what) {
    std::fprintf(stderr, "kvsamples: %s\n", what);
    std::exit(1);
}

// A pixel word from a translucency byte and 0xRRGGBB.
static uint32_t A(unsigned alpha, uint32_t rgb) { return alpha << 24 | (rgb & 0xFFFFFF); }
static uint32_t Lerp(uint32_t a, uint32_t b, double t) {
    return clr_Mix(b, (uint32_t)(t < 0 ? 0 : t > 1 ? 65536 : t * 65536), a);
}
static int S(double v) { return (int)std::floor(v * K + 0.5); }

static void NewSurface(Surface* s, int w, int h, uint32_t fill) {
    std::memset(s, 0, sizeof *s);
    if (!srf_Create(w, h, s) || !srf_IsValid(s)) Fail("cannot create a surface");
    srf_Lock(s);
    drw_FillRect(s, 0, 0, w - 1, h - 1, fill);
}

static void Begin(Surface* big, int w, int h, uint32_t fill) {
    NewSurface(big, w * K, h * K, fill);
    B = big;
    g_stack.clear();
}

// Shapes in final-picture units; a box runs from its first to its second corner.
static void RectA(double x1, double y1, double x2, double y2, uint32_t c) { drw_FillRectBlend(B, S(x1), S(y1), S(x2) - 1, S(y2) - 1, c); }
static void VGrad(double x1, double y1, double x2, double y2, uint32_t top, uint32_t bottom) {
    drw_GradientRect(B, S(x1), S(y1), S(x2) - 1, S(y2) - 1, top, top, bottom, bottom);
}
static void VGradA(double x1, double y1, double x2, double y2, uint32_t top, uint32_t bottom) {
    drw_GradientRectBlend(B, S(x1), S(y1), S(x2) - 1, S(y2) - 1, top, top, bottom, bottom);
}
static void HGrad(double x1, double y1, double x2, double y2, uint32_t left, uint32_t right) {
    drw_GradientRect(B, S(x1), S(y1), S(x2) - 1, S(y2) - 1, left, right, left, right);
}
static void Ell(double cx, double cy, double rx, double ry, uint32_t c) {
    drw_FillEllipse(B, S(cx - rx), S(cy - ry), S(cx + rx) - 1, S(cy + ry) - 1, c);
}
static void Radial(double cx, double cy, double rx, double ry, uint32_t centre, uint32_t edge) {
    drw_RadialEllipse(B, S(cx - rx), S(cy - ry), S(cx + rx) - 1, S(cy + ry) - 1, centre, edge);
}
static void Glow(double cx, double cy, double rx, double ry, uint32_t centre, uint32_t edge) {
    drw_RadialEllipseBlend(B, S(cx - rx), S(cy - ry), S(cx + rx) - 1, S(cy + ry) - 1, centre, edge);
}
static void Tri(double x1, double y1, double x2, double y2, double x3, double y3, uint32_t c1, uint32_t c2, uint32_t c3) {
    drw_Triangle(B, S(x1), S(y1), S(x2), S(y2), S(x3), S(y3), c1, c2, c3);
}
static void Quad(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4,
                 uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4) {
    drw_Quad(B, S(x1), S(y1), S(x2), S(y2), S(x3), S(y3), S(x4), S(y4), c1, c2, c3, c4);
}
static void QuadA(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4,
                  uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4) {
    drw_QuadBlend(B, S(x1), S(y1), S(x2), S(y2), S(x3), S(y3), S(x4), S(y4), c1, c2, c3, c4);
}
static void Line(double x1, double y1, double x2, double y2, double w, uint32_t c) {
    int width = S(w) < 1 ? 1 : S(w);
    if (width == 1) drw_Line(B, S(x1), S(y1), S(x2), S(y2), c);
    else drw_ThickLine(B, S(x1), S(y1), S(x2), S(y2), width, c, 0);
}
// A bar from w1 wide at its start to w2 at its end, colours along it, blended.
static void Taper(double x1, double y1, double x2, double y2, double w1, double w2, uint32_t c1, uint32_t c2) {
    double dx = x2 - x1, dy = y2 - y1, len = std::sqrt(dx * dx + dy * dy);
    if (len <= 0) return;
    double nx = -dy / len / 2, ny = dx / len / 2;
    QuadA(x1 + nx * w1, y1 + ny * w1, x2 + nx * w2, y2 + ny * w2, x2 - nx * w2, y2 - ny * w2,
          x1 - nx * w1, y1 - ny * w1, c1, c2, c2, c1);
}
// A teardrop flame from its tip down to its round bottom, shaded from `centre` in
// the middle to `edge` at the sides; the tip leans sideways by `lean`.
static void Teardrop(double cx, double ytip, double ybot, double hw, double lean, uint32_t centre, uint32_t edge) {
    for (int yb = S(ytip); yb < S(ybot); yb++) {
        double t = ((yb + 0.5) / K - ytip) / (ybot - ytip);
        double w = t <= 0.7 ? hw * std::pow(std::sin(1.5707963 * t / 0.7), 1.3)
                            : hw * std::sqrt(1 - (t - 0.7) * (t - 0.7) / 0.09);
        double x = cx + lean * (1 - t) * (1 - t);
        int l = S(x - w), r = S(x + w), m = S(x);
        if (r - l < 2) continue;
        drw_GradientRectBlend(B, l, yb, m, yb, edge, centre, edge, centre);
        drw_GradientRectBlend(B, m + 1, yb, r, yb, centre, edge, centre, edge);
    }
}

// Layers: drawn apart (filled with `base`), optionally blurred, then blended over
// what lies below.
static void PushLayer(uint32_t base) {
    Surface* l = new Surface;
    NewSurface(l, B->width, B->height, base);
    g_stack.push_back(B);
    B = l;
}
static void PopLayer(int blur) {
    Surface* l = B;
    B = g_stack.back();
    g_stack.pop_back();
    srf_Unlock(l);
    if (blur > 0) fx_Blur(l, blur);
    blt_Blend(B, 0, 0, B->width - 1, B->height - 1, l, 0, 0, l->width - 1, l->height - 1, 0);
    srf_Destroy(l);
    delete l;
}

// The big surface averaged down K by K into a new final-size surface.
static void Finish(Surface* big, Surface* out) {
    srf_Unlock(big);
    uint32_t* src = srf_Lock(big);
    int w = big->width / K, h = big->height / K;
    NewSurface(out, w, h, 0);
    uint32_t* dst = out->pixels;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            unsigned sum[4] = {0, 0, 0, 0};
            for (int j = 0; j < K; j++)
                for (int i = 0; i < K; i++) {
                    uint32_t p = src[(y * K + j) * big->stride + x * K + i];
                    for (int c = 0; c < 4; c++) sum[c] += (p >> (8 * c)) & 255;
                }
            uint32_t v = 0;
            for (int c = 0; c < 4; c++) v |= ((sum[c] + K * K / 2) / (K * K)) << (8 * c);
            dst[y * out->stride + x] = v;
        }
    srf_Unlock(out);
    srf_Unlock(big);
    srf_Destroy(big);
}

// Runs a Pixcode program over every pixel of `s`; a program that does not compile
// or fails stops the build.
static void Pixcode(Surface* s, const std::string& program) {
    static PixCell cells[PIX_CELLS];
    PixMachine m;
    PixCompileOut out;
    if (!pix_Compile(program.c_str(), cells, &m, s, &out)) Fail(out.error);
    if (!pix_RunPixels(s, cells, &m)) Fail("a Pixcode program failed");
}

// Darkens towards the corners: the weight falls with the square of the distance
// from the centre (cx, cy); `soft` is the distance squared / 256 that costs a step.
static void Vignette(Surface* s, int cx, int cy, int soft) {
    char p[900];
    std::snprintf(p, sizeof p,
                  "// vignette: darker towards the corners\n"
                  "subtract _a,_x,#%d\nsubtract _b,_y,#%d\n"
                  "multiply _a,_a,_a\nmultiply _b,_b,_b\nadd _a,_a,_b\n"
                  "divide _a,_a,#%d\n"
                  "subtract _c,#256,_a\ncompare_less _d,_c,#120\ngotoif _d,#1\ngoto #2\n"
                  "label #1\ncopy _c,#120\nlabel #2\n"
                  "multiply red,red,_c\nshift_right red,red,#8\n"
                  "multiply green,green,_c\nshift_right green,green,#8\n"
                  "multiply blue,blue,_c\nshift_right blue,blue,#8\n",
                  cx, cy, soft);
    Pixcode(s, p);
}

static double Rnd() { return rnd_Next() / 32767.0; }

// ---- output ----

static std::string g_dist, g_work;
static bool g_preview = false;

static void WritePpm(Surface* s, const std::string& path, bool checker) {
    uint32_t* p = srf_Lock(s);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) Fail(("cannot write " + path).c_str());
    std::fprintf(f, "P6\n%u %u\n255\n", s->width, s->height);
    for (uint32_t y = 0; y < s->height; y++)
        for (uint32_t x = 0; x < s->width; x++) {
            uint32_t v = p[y * s->stride + x];
            if (checker) {
                uint32_t back = ((x / 8 + y / 8) & 1) ? 0xC0C0C0 : 0xFFFFFF;
                v = px_Over(v, back);
            }
            unsigned char rgb[3] = {(unsigned char)(v >> 16), (unsigned char)(v >> 8), (unsigned char)v};
            std::fwrite(rgb, 1, 3, f);
        }
    if (std::fclose(f) != 0) Fail(("cannot write " + path).c_str());
    srf_Unlock(s);
}

static void Save(Surface* s, const char* folder, const char* name, bool sprite) {
    std::string path = g_dist + "/" + folder + "/" + name + ".kv5";
    // Samples are written openly (no password, no dated author tag), packed hard.
    Kv5SaveOptions packed{};
    packed.level = 3;
    if (!kv5_Save(s, path.c_str(), &packed)) Fail(("cannot write " + path).c_str());
    if (g_preview) WritePpm(s, g_work + "/" + name + ".ppm", sprite);
    srf_Destroy(s);
}

// ---- the sample images ----

// A church candle in a brass holder on a wooden table, in the dark.
static void Candle() {
    Surface big, pic;
    Begin(&big, 640, 480, 0x050302);
    rnd_Seed(11);
    Radial(320, 150, 560, 430, 0x5C361A, 0x050302);
    // The table, its lit edge, some grain and the pool of light on it.
    VGrad(0, 352, 640, 480, 0x3C2211, 0x100703);
    RectA(0, 352, 640, 354, A(0x70, 0x9A6A3A));
    for (int i = 0; i < 70; i++) {
        double y = 356 + Rnd() * 124, x = Rnd() * 700 - 60, len = 60 + Rnd() * 200;
        RectA(x, y, x + len, y + 1 + Rnd(), A(0xC8 + rnd_Next() % 40, i & 1 ? 0x000000 : 0x6A4020));
    }
    Glow(320, 372, 280, 70, A(0x50, 0xFFB060), A(0xFF, 0xFFB060));
    // Shadow of the holder, the dish and its rim.
    Glow(340, 384, 150, 20, A(0x40, 0x000000), A(0xFF, 0x000000));
    Radial(320, 366, 128, 21, 0xD8A850, 0x5A3408);
    Radial(320, 359, 116, 15, 0x9A6A28, 0x4A2A06);
    Radial(300, 357, 70, 9, 0xE8C070, 0x8A5A20);
    // The socket: a short brass cylinder.
    HGrad(270, 330, 320, 356, 0x6A4412, 0xF0D080);
    HGrad(320, 330, 370, 356, 0xF0D080, 0x4A2C08);
    Ell(320, 356, 50, 6, 0xA07830);
    // The candle's body, round and waxy, going into the socket.
    HGrad(276, 158, 320, 334, 0xB0906A, 0xF6EAD2);
    HGrad(320, 158, 364, 334, 0xF6EAD2, 0x8E6E4E);
    Radial(320, 330, 50, 7, 0xFFE8A0, 0xC09030);
    // Wax lit from inside near the flame, the melted pool and two drips.
    Glow(320, 190, 48, 60, A(0x60, 0xFFC27A), A(0xFF, 0xFFC27A));
    Ell(320, 158, 44, 8, 0xF8E2BE);
    Radial(320, 159, 37, 6, 0xFFD890, 0xF0D8B0);
    VGrad(279, 156, 287, 214, 0xF4E0C0, 0xD8BC96);
    Ell(283, 214, 4, 6, 0xD8BC96);
    VGrad(350, 156, 356, 188, 0xE8D0AC, 0xB89A74);
    Ell(353, 188, 3, 5, 0xB89A74);
    // The wick with its glowing end.
    Line(320, 160, 322, 134, 2.6, 0x1A0E06);
    Ell(322, 134, 1.8, 2.2, 0xFF7030);
    // The flame: a wide halo, then the flame itself in three layers, softened.
    PushLayer(A(0xFF, 0xFFA040));
    Glow(322, 96, 170, 180, A(0x98, 0xFFA040), A(0xFF, 0xFFA040));
    Glow(322, 100, 60, 80, A(0x70, 0xFFC070), A(0xFF, 0xFFC070));
    PopLayer(0);
    PushLayer(A(0xFF, 0xFF9020));
    Teardrop(322, 36, 150, 18, -4, A(0x08, 0xFFB040), A(0xE8, 0xFF5A10));
    Teardrop(322, 56, 146, 12, -3, A(0x00, 0xFFE694), A(0x70, 0xFFB040));
    Teardrop(322, 92, 141, 6, -1, A(0x00, 0xFFFFF6), A(0x60, 0xFFF2B8));
    Glow(322, 143, 8, 8, A(0x40, 0x3A5AFF), A(0xFF, 0x3A5AFF));
    PopLayer(80);
    Finish(&big, &pic);
    Vignette(&pic, 320, 200, 1700);
    Save(&pic, "Images", "candle", false);
}

// A star of the sparkle tool at (x, y), `r` pixels to the tips.
static void Star(double x, double y, double r, uint32_t rgb, int level) {
    tk_Sparkle(B, S(x), S(y), S(x + r * 0.7), S(y + r * 0.7), rgb & 0xFFFFFF, 0, 255, level);
}

// A cloud: a cluster of soft ellipses with a lit rim on the side of the light.
static void Cloud(double x, double y, double w, double h, uint32_t body, uint32_t rim, double rimDx, double rimDy) {
    for (int i = 0; i < 9; i++) {
        double cx = x + (Rnd() - 0.5) * w, cy = y + (Rnd() - 0.5) * h * 0.6;
        double rx = w * (0.18 + Rnd() * 0.2), ry = h * (0.3 + Rnd() * 0.3);
        Glow(cx + rimDx, cy + rimDy, rx, ry, rim, A(0xFF, rim));
        Glow(cx, cy, rx, ry, body, A(0xFF, body));
    }
}

// A sailing ship seen from the side, its bow to the left, keel on `y`.
static void Ship(double x, double y, double k, uint32_t dark, uint32_t sailTop, uint32_t sailBottom) {
    Quad(x - 78 * k, y - 22 * k, x + 80 * k, y - 24 * k, x + 66 * k, y, x - 60 * k, y, dark, dark, dark, dark);
    Quad(x + 50 * k, y - 34 * k, x + 84 * k, y - 34 * k, x + 80 * k, y - 22 * k, x + 50 * k, y - 22 * k, dark, dark, dark, dark);
    Line(x - 78 * k, y - 22 * k, x - 128 * k, y - 42 * k, 2 * k, dark);  // bowsprit
    const double mast[3] = {-40, 0, 40}, height[3] = {120, 150, 110};
    for (int m = 0; m < 3; m++) {
        double mx = x + mast[m] * k, top = y - 24 * k - height[m] * k;
        Line(mx, y - 22 * k, mx, top, 2.4 * k, dark);
        for (int s = 0; s < 3; s++) {
            double a = top + 12 * k + s * height[m] * k * 0.3, b = a + height[m] * k * 0.27;
            double half = (24 + s * 7) * k;
            Quad(mx - half, a, mx + half, a, mx + half * 1.08, b, mx - half * 1.08, b, sailTop, sailTop, sailBottom, sailBottom);
        }
        Line(mx, top, mx + 8 * k, top + 4 * k, 1.2 * k, dark);  // pennant
    }
    Tri(x - 128 * k, y - 42 * k, x - 46 * k, y - 120 * k, x - 46 * k, y - 30 * k, sailTop, sailTop, sailBottom);
    Line(x - 128 * k, y - 42 * k, x, y - 176 * k, 1 * k, dark);  // stays
    Line(x + 40 * k, y - 136 * k, x + 82 * k, y - 34 * k, 1 * k, dark);
}

// A gull in flight: two arched wings.
static void Gull(double x, double y, double span, uint32_t c) {
    Line(x - span, y - span * 0.2, x - span * 0.45, y - span * 0.35, span * 0.12, c);
    Line(x - span * 0.45, y - span * 0.35, x, y, span * 0.12, c);
    Line(x, y, x + span * 0.45, y - span * 0.35, span * 0.12, c);
    Line(x + span * 0.45, y - span * 0.35, x + span, y - span * 0.2, span * 0.12, c);
}

// A tall ship under a full moon on a calm night sea.
// A light's path on the water: glints below the horizon at `horizon`, spreading
// from `cx` towards the viewer, brightest at the path's edges.
struct LightPath {
    double horizon, cx;
    int glints;
    double spread, spreadGrowth, length, lengthRange;
    unsigned alpha;
    double thickness;
    uint32_t rgb;
};

static void LightOnWater(const LightPath& p) {
    const double H = p.horizon;
    for (int i = 0; i < p.glints; i++) {
        double t = Rnd(), y = H + 1 + t * (480 - H), k = 0.1 + (y - H) / (480 - H);
        double spread = p.spread + (y - H) * p.spreadGrowth, u = (Rnd() + Rnd() + Rnd()) / 1.5 - 1;
        double x = p.cx + u * spread, len = (p.length + Rnd() * p.lengthRange) * (0.4 + k);
        unsigned alpha = (unsigned)(p.alpha + std::fabs(u) * 0xB0);
        Glow(x, y, len, 0.5 + k * p.thickness, A(alpha, p.rgb), A(0xFF, p.rgb));
    }
}

static void OerTheWaters() {
    Surface big, pic;
    const double H = 288;  // the horizon
    Begin(&big, 640, 480, 0);
    rnd_Seed(1811);
    VGrad(0, 0, 640, 180, 0x070B26, 0x1C2752);
    VGrad(0, 180, 640, H, 0x1C2752, 0x5A5C84);
    VGradA(0, 230, 640, H, A(0xFF, 0xC08870), A(0x90, 0xC08870));
    for (int i = 0; i < 160; i++) {
        double x = Rnd() * 640, y = Rnd() * Rnd() * 220;
        Ell(x, y, 0.5 + Rnd() * 0.5, 0.5 + Rnd() * 0.5, Lerp(0x8090C0, 0xFFFFFF, Rnd()));
    }
    for (int i = 0; i < 7; i++) Star(40 + Rnd() * 560, 10 + Rnd() * 120, 4 + Rnd() * 5, 0xFFFFFF, 4);
    // The moon, its halo and its seas.
    const double mx = 470, my = 112;
    Glow(mx, my, 190, 190, A(0xB0, 0xB8C8F0), A(0xFF, 0xB8C8F0));
    Glow(mx, my, 70, 70, A(0x80, 0xE8ECFF), A(0xFF, 0xE8ECFF));
    Ell(mx, my, 34, 34, 0xE2DCC2);
    Glow(mx - 6, my - 6, 28, 28, A(0x00, 0xFFFFF6), A(0xFF, 0xFFFFF6));
    const double seas[5][3] = {{-10, -8, 9}, {6, -12, 7}, {10, 6, 10}, {-6, 12, 6}, {-16, 6, 5}};
    for (const auto& s : seas) Glow(mx + s[0], my + s[1], s[2], s[2] * 0.8, A(0xC0, 0xA09A80), A(0xFF, 0xA09A80));
    // Clouds drifting by, lit from the moon above right.
    PushLayer(A(0xFF, 0x2A3258));
    Cloud(150, 80, 220, 40, A(0x60, 0x262C50), A(0x90, 0x8A94C4), 6, -5);
    Cloud(330, 170, 260, 30, A(0x58, 0x2E3460), A(0x88, 0x9AA2CC), 6, -4);
    Cloud(600, 200, 200, 24, A(0x60, 0x3A3A66), A(0x90, 0xB0A8C8), -6, -4);
    Cloud(80, 228, 180, 18, A(0x70, 0x44406A), A(0xA0, 0xC8A8B0), 0, -3);
    PopLayer(500);
    // The sea, darkening towards us, with the horizon's thin light.
    VGrad(0, H, 640, 480, 0x232E58, 0x04071A);
    RectA(0, H - 0.5, 640, H + 1, A(0x60, 0xA8B4E0));
    // Waves: light and dark crests, larger and further apart as they come closer.
    for (int i = 0; i < 2600; i++) {
        double t = Rnd(), y = H + 2 + t * t * (480 - H), k = 0.15 + (y - H) / (480 - H);
        double x = Rnd() * 660 - 10, len = (6 + Rnd() * 18) * k * 2;
        bool light = rnd_Next() & 1;
        Glow(x, y, len, 0.4 + k * 1.6, A(light ? 0xB0 : 0x90, light ? 0x4A5A90 : 0x02040E),
             A(0xFF, light ? 0x4A5A90 : 0x02040E));
    }
    // The moon's path on the water: glints spreading towards the viewer.
    PushLayer(A(0xFF, 0xFFF4D0));
    LightOnWater({H, mx, 1400, 10, 0.55, 2, 10, 0x30, 1.2, 0xFFF4D8});
    PopLayer(120);
    // The ship, its reflection and three gulls.
    Glow(176, H + 14, 90, 14, A(0x50, 0x04060E), A(0xFF, 0x04060E));
    Ship(176, H + 8, 0.74, 0x06081A, 0x3E4A76, 0x1A2240);
    Gull(352, 74, 15, 0x0C1030);
    Gull(384, 96, 10, 0x0C1030);
    Gull(330, 104, 8, 0x0C1030);
    Finish(&big, &pic);
    Vignette(&pic, 400, 200, 2200);
    Save(&pic, "Images", "o'er the waters", false);
}

// A fir tree of tiers of drooping branches; `h` tall from its foot at (x, y).
static void Pine(double x, double y, double h, uint32_t c) {
    Line(x, y, x, y - h * 0.3, h * 0.035 + 0.6, c);
    const int tiers = 7;
    for (int i = 0; i < tiers; i++) {
        double top = y - h + i * h * 0.12, bottom = top + h * 0.22 + i * h * 0.012;
        double hw = h * (0.05 + 0.042 * i) * (0.85 + Rnd() * 0.3);
        Tri(x, top, x - hw, bottom, x + hw, bottom + h * 0.02, c, c, c);
        Tri(x - hw * 0.5, bottom - h * 0.06, x - hw * 1.1, bottom + h * 0.03, x - hw * 0.2, bottom, c, c, c);
        Tri(x + hw * 0.5, bottom - h * 0.06, x + hw * 1.1, bottom + h * 0.04, x + hw * 0.2, bottom, c, c, c);
    }
}

// A ridge of hills from `y` (mean height) down to `bottom`, its outline a sum of
// waves; returns the outline's height at x through `at`.
struct Ridge {
    double y, a1, f1, p1, a2, f2, p2;
    double At(double x) const { return y + a1 * std::sin(x * f1 + p1) + a2 * std::sin(x * f2 + p2); }
};
static void DrawRidge(const Ridge& r, double bottom, uint32_t c) {
    for (double x = -4; x < 644; x += 2)
        Quad(x, r.At(x), x + 2.5, r.At(x + 2), x + 2.5, bottom, x, bottom, c, c, c, c);
}

// A bare tree: each branch forks into two or three thinner ones.
static void Branch(double x, double y, double angle, double len, double w, int depth, uint32_t c) {
    double ex = x + std::cos(angle) * len, ey = y - std::sin(angle) * len;
    Taper(x, y, ex, ey, w, w * 0.7, c, c);
    if (depth == 0) return;
    int n = 2 + (rnd_Next() % 3 == 0);
    for (int i = 0; i < n; i++) {
        double turn = (i - (n - 1) / 2.0) * (0.45 + Rnd() * 0.3) + (Rnd() - 0.5) * 0.25;
        Branch(ex, ey, angle + turn, len * (0.66 + Rnd() * 0.14), w * 0.62, depth - 1, c);
    }
}

// Layers of fir-clad hills fading into the mist under a dusk sky, a bare tree near.
static void DarkTrees() {
    Surface big, pic;
    Begin(&big, 640, 480, 0);
    rnd_Seed(4477);
    VGrad(0, 0, 640, 170, 0x080A1E, 0x231E46);
    VGrad(0, 170, 640, 300, 0x231E46, 0x7A4E6C);
    VGrad(0, 300, 640, 480, 0x7A4E6C, 0x2A1E30);
    for (int i = 0; i < 90; i++)
        Ell(Rnd() * 640, Rnd() * Rnd() * 200, 0.5 + Rnd() * 0.4, 0.5 + Rnd() * 0.4, Lerp(0x707098, 0xF0F0FF, Rnd()));
    // A thin crescent moon: a lit disc with the sky's colour laid over most of it.
    Ell(500, 86, 17, 17, 0xFFF6DC);
    Ell(507, 81, 16, 16, Lerp(0x080A1E, 0x231E46, 81.0 / 170));
    Glow(500, 86, 80, 80, A(0xB8, 0xD0C8F0), A(0xFF, 0xD0C8F0));
    for (int i = 0; i < 4; i++) Star(180 + Rnd() * 280, 20 + Rnd() * 100, 5, 0xFFFFFF, 3);
    // Four ridges, each darker and nearer, with mist between them.
    const Ridge ridges[4] = {{250, 10, 0.011, 0.5, 5, 0.037, 1.0},
                             {290, 14, 0.008, 2.0, 6, 0.029, 0.3},
                             {340, 16, 0.010, 4.1, 7, 0.023, 2.2},
                             {400, 12, 0.007, 1.3, 9, 0.031, 0.9}};
    const uint32_t shade[4] = {0x4A3A62, 0x302848, 0x1C1830, 0x0C0A16};
    const double tall[4] = {26, 44, 70, 120};
    for (int l = 0; l < 4; l++) {
        DrawRidge(ridges[l], 480, shade[l]);
        int count = l == 3 ? 9 : 46 - l * 8;
        for (int i = 0; i < count; i++) {
            double x = Rnd() * 660 - 10;
            if (l == 3 && x < 230) continue;
            Pine(x, ridges[l].At(x) + 4, tall[l] * (0.6 + Rnd() * 0.6), shade[l]);
        }
        if (l < 3) {
            PushLayer(A(0xFF, 0xB89AB8));
            double y = ridges[l].y + 14;
            VGradA(0, y - 34, 640, y, A(0xFF, 0xB89AB8), A(0x88 + 0x18 * l, 0xB89AB8));
            VGradA(0, y, 640, y + 40, A(0x88 + 0x18 * l, 0xB89AB8), A(0xFF, 0xB89AB8));
            for (int i = 0; i < 6; i++)
                Glow(Rnd() * 640, y - 6, 60 + Rnd() * 80, 8 + Rnd() * 6, A(0xC0, 0xD0B8D0), A(0xFF, 0xD0B8D0));
            PopLayer(700);
        }
    }
    // The near ground, a bare tree on the left and grass along the bottom.
    VGrad(0, 440, 640, 480, 0x0A0812, 0x040308);
    Branch(120, 470, 1.5, 120, 16, 6, 0x06050C);
    Branch(120, 470, 2.3, 60, 9, 4, 0x06050C);
    for (int i = 0; i < 400; i++) {
        double x = Rnd() * 640, h = 6 + Rnd() * 16;
        Line(x, 482, x + (Rnd() - 0.5) * 8, 482 - h, 0.8, 0x05040A);
    }
    // Fireflies.
    PushLayer(A(0xFF, 0xFFE070));
    for (int i = 0; i < 26; i++) {
        double x = 220 + Rnd() * 400, y = 380 + Rnd() * 90;
        Glow(x, y, 5, 5, A(0x90, 0xFFE070), A(0xFF, 0xFFE070));
        Ell(x, y, 0.8, 0.8, 0xFFF8C0);
    }
    PopLayer(0);
    Finish(&big, &pic);
    Vignette(&pic, 320, 220, 1600);
    Save(&pic, "Images", "dark trees", false);
}

// A palm tree: a leaning, ringed trunk and drooping fronds with leaflets.
static void Palm(double x, double y, double h, uint32_t c) {
    double px = x, py = y, w = h * 0.075;
    const int steps = 14;
    for (int i = 1; i <= steps; i++) {
        double t = (double)i / steps;
        double nx = x - h * 0.28 * t * t, ny = y - h * t;
        Taper(px, py, nx, ny, w, w * 0.93, c, c);
        Line(px - w * 0.55, py, px + w * 0.55, py - w * 0.15, 0.8, Lerp(c, 0x402030, 0.5));
        px = nx, py = ny, w *= 0.93;
    }
    for (int f = 0; f < 9; f++) {
        double angle = -0.3 + f * (3.14159 + 0.6) / 8 + (Rnd() - 0.5) * 0.2, len = h * (0.42 + Rnd() * 0.12);
        double fx = px, fy = py, dir = angle, fw = h * 0.035;
        for (int k = 0; k < 12; k++) {
            double step = len / 12;
            double nx = fx + std::cos(dir) * step, ny = fy - std::sin(dir) * step;
            Taper(fx, fy, nx, ny, fw, fw * 0.88, c, c);
            for (int side = -1; side <= 1; side += 2) {
                double la = dir + side * 0.7, ll = len * 0.2 * (1 - k / 13.0) * (0.8 + Rnd() * 0.4);
                Taper(nx, ny, nx + std::cos(la) * ll, ny - std::sin(la) * ll + ll * 0.7, 1.8, 0.3, c, c);
            }
            fx = nx, fy = ny, fw *= 0.88;
            dir -= (std::cos(dir) > 0 ? 1 : -1) * 0.09;  // droop towards the ground
        }
    }
}

// The sun going down into the sea behind streaks of cloud; a palm on the shore.
static void Sunset() {
    Surface big, pic;
    const double H = 304, sx = 282;
    Begin(&big, 640, 480, 0);
    rnd_Seed(2024);
    VGrad(0, 0, 640, 110, 0x24154A, 0x7A2A68);
    VGrad(0, 110, 640, 220, 0x7A2A68, 0xE65A3E);
    VGrad(0, 220, 640, H, 0xE65A3E, 0xFFC86A);
    Glow(sx, H, 420, 230, A(0x50, 0xFFE0A0), A(0xFF, 0xFFB060));
    Glow(sx, H - 10, 120, 90, A(0x30, 0xFFF0C0), A(0xFF, 0xFFD080));
    Radial(sx, H - 8, 46, 46, 0xFFFCE8, 0xFFD050);
    Glow(sx, H - 8, 60, 60, A(0xB0, 0xFFF4D0), A(0xFF, 0xFFE090));
    // Streaks of cloud: dark violet above, lit gold and pink from below near the sun.
    PushLayer(A(0xFF, 0x6A2A5A));
    for (int i = 0; i < 34; i++) {
        double y = 40 + Rnd() * 230, x = Rnd() * 700 - 30, w = 60 + Rnd() * 180, h = 2 + Rnd() * 6;
        double glow = y / 270;
        uint32_t body = Lerp(0x3A1A4A, 0xA03A58, glow), lit = Lerp(0xC04A70, 0xFFB070, glow);
        Glow(x, y, w, h, A(0x50, body), A(0xFF, body));
        Glow(x + (sx - x) * 0.02, y + h * 0.6, w * 0.8, h * 0.5, A(0x40, lit), A(0xFF, lit));
    }
    PopLayer(350);
    // A far island, the sea and the sun's broken path on it.
    const Ridge island = {H - 6, 6, 0.03, 1.0, 3, 0.09, 0.2};
    for (double x = 0; x < 170; x += 2) {
        double top = island.At(x) + (x < 20 ? (20 - x) * 0.4 : 0) + (x > 130 ? (x - 130) * 0.3 : 0);
        if (top < H) Quad(x, top, x + 2.5, top, x + 2.5, H, x, H, 0x4A1A3A, 0x4A1A3A, 0x4A1A3A, 0x4A1A3A);
    }
    VGrad(0, H, 640, 480, 0xC85A52, 0x200E2C);
    for (int i = 0; i < 1800; i++) {
        double t = Rnd(), y = H + 1 + t * t * (480 - H), k = 0.15 + (y - H) / (480 - H);
        double x = Rnd() * 660 - 10, len = (6 + Rnd() * 20) * k * 2;
        bool light = rnd_Next() & 1;
        uint32_t c = light ? Lerp(0xFFA070, 0xB04A60, k) : 0x1A0820;
        Glow(x, y, len, 0.4 + k * 1.4, A(light ? 0xB8 : 0xA0, c), A(0xFF, c));
    }
    PushLayer(A(0xFF, 0xFFE090));
    LightOnWater({H, sx, 1300, 34, 0.5, 3, 14, 0x20, 1.3, 0xFFE6A0});
    PopLayer(100);
    RectA(0, H - 0.5, 640, H + 0.8, A(0x80, 0xFFE8B0));
    // The shore and a palm leaning over it; birds going home.
    const Ridge shore = {452, 10, 0.006, 0.2, 4, 0.021, 1.4};
    for (double x = 330; x < 644; x += 2) {
        double top = shore.At(x) - (x - 330) * 0.18 + (x < 420 ? (420 - x) * (420 - x) / 160 : 0);
        Quad(x, top, x + 2.5, top - 0.36, x + 2.5, 480, x, 480, 0x1A0A16, 0x1A0A16, 0x0C040A, 0x0C040A);
    }
    Palm(560, 420, 250, 0x12060E);
    Palm(612, 416, 170, 0x12060E);
    Gull(180, 150, 11, 0x2A1030);
    Gull(206, 168, 8, 0x2A1030);
    Gull(160, 176, 7, 0x2A1030);
    Finish(&big, &pic);
    Vignette(&pic, 300, 260, 2400);
    Save(&pic, "Images", "sunset", false);
}

// ---- the sample sprites: pictures on a transparent ground ----

// A golden five-pointed star with bevelled arms and a soft glow.
static void StarSprite() {
    Surface big, pic;
    Begin(&big, 128, 128, A(0xFF, 0xFFD040));
    const double cx = 64, cy = 67, outer = 56, inner = 23, pi = 3.14159265;
    Glow(cx, cy - 2, 62, 62, A(0xA8, 0xFFE680), A(0xFF, 0xFFE680));
    for (int i = 0; i < 5; i++) {
        double a = -pi / 2 + i * 2 * pi / 5;
        double tx = cx + outer * std::cos(a), ty = cy + outer * std::sin(a);
        double lx = cx + inner * std::cos(a - pi / 5), ly = cy + inner * std::sin(a - pi / 5);
        double rx = cx + inner * std::cos(a + pi / 5), ry = cy + inner * std::sin(a + pi / 5);
        // The arm's half towards the light (upper left) is brighter.
        bool leftLit = std::sin(a) < 0.2;
        Tri(cx, cy, tx, ty, lx, ly, 0xFFF6B0, leftLit ? 0xFFE040 : 0xE8A818, leftLit ? 0xFFD030 : 0xC88A10);
        Tri(cx, cy, tx, ty, rx, ry, 0xFFE890, leftLit ? 0xD89A14 : 0xFFD838, leftLit ? 0xA86A08 : 0xF0B820);
        Line(cx, cy, tx, ty, 0.7, 0xFFF8D0);
        Line(tx, ty, lx, ly, 0.8, 0x9A6000);
        Line(tx, ty, rx, ry, 0.8, 0x9A6000);
    }
    Star(cx - 16, cy - 20, 12, 0xFFFFFF, 2);
    Star(cx + 30, cy - 18, 6, 0xFFFFFF, 2);
    Finish(&big, &pic);
    Save(&pic, "Sprites", "star_sprite", true);
}

// A free flame, see-through at its edges, for lamps, torches and campfires.
static void FlameSprite() {
    Surface big, pic;
    Begin(&big, 96, 160, A(0xFF, 0xFF9020));
    Glow(48, 92, 46, 60, A(0xB0, 0xFFA040), A(0xFF, 0xFFA040));
    Teardrop(48, 10, 136, 36, -8, A(0x00, 0xFFA830), A(0xD8, 0xFF5010));
    Teardrop(48, 36, 132, 25, -6, A(0x00, 0xFFE080), A(0x60, 0xFFA830));
    Teardrop(48, 74, 127, 13, -2, A(0x00, 0xFFFFF0), A(0x50, 0xFFF0B0));
    Glow(48, 128, 14, 8, A(0x50, 0x3A5AFF), A(0xFF, 0x3A5AFF));
    srf_Unlock(&big);
    fx_Blur(&big, 120);
    srf_Lock(&big);
    Finish(&big, &pic);
    Save(&pic, "Sprites", "flame_sprite", true);
}

// A full moon with its seas and craters, in a pale halo.
static void MoonSprite() {
    Surface big, pic;
    Begin(&big, 128, 128, A(0xFF, 0xD8DCF0));
    const double c = 64, r = 44;
    Glow(c, c, 63, 63, A(0x90, 0xD8DCF0), A(0xFF, 0xD8DCF0));
    Radial(c, c, r, r, 0xF2EEDA, 0xB8B29A);
    Glow(c - 12, c - 12, 30, 30, A(0x40, 0xFFFFF8), A(0xFF, 0xFFFFF8));
    const double seas[7][4] = {{-14, -10, 14, 10}, {4, -18, 10, 8}, {14, 2, 14, 12}, {-4, 14, 9, 7},
                               {-22, 8, 8, 10}, {22, -10, 6, 5}, {0, -2, 7, 6}};
    for (const auto& m : seas) Glow(c + m[0], c + m[1], m[2], m[3], A(0x88, 0x9A927A), A(0xFF, 0x9A927A));
    rnd_Seed(77);
    for (int i = 0; i < 11; i++) {
        double a = Rnd() * 6.2832, d = std::sqrt(Rnd()) * (r - 9), cr = 1.5 + Rnd() * Rnd() * 6;
        double x = c + d * std::cos(a), y = c + d * std::sin(a);
        Glow(x + cr * 0.3, y + cr * 0.3, cr * 1.2, cr * 1.2, A(0x50, 0xFFFCF0), A(0xFF, 0xFFFCF0));
        Glow(x, y, cr, cr, A(0x60, 0x8A846E), A(0xC0, 0x8A846E));
    }
    Star(c - 24, c - 26, 7, 0xFFFFFF, 3);
    Finish(&big, &pic);
    Save(&pic, "Sprites", "moon_sprite", true);
}

// A cut sapphire seen from the side: crown facets above the girdle, pavilion below.
static void JewelSprite() {
    Surface big, pic;
    Begin(&big, 128, 112, A(0xFF, 0x2A50D0));
    Glow(64, 60, 62, 54, A(0xC0, 0x90B0FF), A(0xFF, 0x90B0FF));
    const double gy = 44, ty = 18, cy = 104;  // girdle, table and culet heights
    const double g[7] = {6, 26, 45, 64, 83, 102, 122};
    const double t[4] = {34, 50, 78, 94};
    // Table.
    Quad(t[0], ty, t[3], ty, t[3] + 3, ty + 4, t[0] - 3, ty + 4, 0xD8E6FF, 0xA8C0FF, 0x6A8AF0, 0x9AB4FF);
    // Crown: triangles between the table's edge and the girdle.
    const double cx[4] = {t[0] - 3, t[1], t[2], t[3] + 3};
    const uint32_t light[2] = {0x5A86FF, 0x9AB8FF}, dark[2] = {0x1A3AB0, 0x2A4ED8};
    Tri(cx[0], ty + 4, g[0], gy, g[1], gy, light[1], light[0], dark[1]);
    Tri(cx[0], ty + 4, g[1], gy, cx[1], ty + 4, dark[1], light[0], light[1]);
    Tri(cx[1], ty + 4, g[1], gy, g[3], gy, light[0], dark[0], light[1]);
    Tri(cx[1], ty + 4, g[3], gy, cx[2], ty + 4, 0xB8CCFF, light[0], light[1]);
    Tri(cx[2], ty + 4, g[3], gy, g[5], gy, dark[1], light[1], dark[0]);
    Tri(cx[2], ty + 4, g[5], gy, cx[3], ty + 4, dark[0], dark[1], light[0]);
    Tri(cx[3], ty + 4, g[5], gy, g[6], gy, dark[1], dark[0], 0x10246A);
    // Girdle band.
    Quad(g[0], gy, g[6], gy, g[6] - 1, gy + 3, g[0] + 1, gy + 3, 0x3A5CD0, 0x1A2C80, 0x1A2C80, 0x3A5CD0);
    // Pavilion: long facets down to the culet.
    const uint32_t pav[6] = {0x2448C8, 0x6A92FF, 0x1A36A0, 0x4A74F0, 0x10257A, 0x1A3290};
    for (int i = 0; i < 6; i++)
        Tri(g[i], gy + 3, g[i + 1], gy + 3, 64, cy, pav[i], Lerp(pav[i], 0x000000, 0.2), Lerp(pav[i], 0x081040, 0.6));
    for (int i = 0; i < 7; i++) Line(g[i], gy + 3, 64, cy, 0.6, 0x8AA8FF);
    const int crownLines[8][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 3}, {2, 3}, {2, 5}, {3, 5}, {3, 6}};
    for (const auto& l : crownLines) Line(cx[l[0]], ty + 4, g[l[1]], gy, 0.6, 0xC0D4FF);
    Line(g[0], gy, g[6], gy, 0.7, 0xD0E0FF);
    Star(48, 22, 14, 0xFFFFFF, 1);
    Star(84, 66, 8, 0xFFFFFF, 2);
    Finish(&big, &pic);
    Save(&pic, "Sprites", "jewel_sprite", true);
}

// A stealth jet seen from above, nose to the right, its faceted skin in greys,
// with its shadow on the ground below.
static void StealthSprite() {
    Surface big, pic;
    Begin(&big, 192, 128, A(0xFF, 0x24262C));
    struct P { double x, y; };
    const P nose = {182, 60}, tipL = {58, 6}, tipR = {58, 114}, a = {30, 28}, aR = {30, 92}, b = {48, 46},
            bR = {48, 74}, tail = {20, 60}, spineF = {140, 60}, spineM = {84, 60};
    const uint32_t lit = 0x585C68, mid = 0x3A3D45, dark = 0x24262C, deep = 0x1A1B20, line = 0x5A5F6A;
    // Upper (lit) half and lower (shaded) half, each in three facets.
    Tri(nose.x, nose.y, spineF.x, spineF.y, tipL.x + 40, tipL.y + 22, 0x5A5E68, lit, mid);
    Tri(spineF.x, spineF.y, spineM.x, spineM.y, tipL.x, tipL.y, lit, mid, mid);
    Tri(spineF.x, spineF.y, tipL.x, tipL.y, tipL.x + 40, tipL.y + 22, lit, mid, lit);
    Tri(nose.x, nose.y, spineF.x, spineF.y, tipR.x + 40, tipR.y - 22, mid, dark, dark);
    Tri(spineF.x, spineF.y, spineM.x, spineM.y, tipR.x, tipR.y, dark, deep, dark);
    Tri(spineF.x, spineF.y, tipR.x, tipR.y, tipR.x + 40, tipR.y - 22, dark, deep, dark);
    // The rear: wing roots and the saw-toothed trailing edge.
    Quad(spineM.x, spineM.y, tipL.x, tipL.y, a.x, a.y, b.x, b.y, mid, mid, dark, dark);
    Quad(spineM.x, spineM.y, tipR.x, tipR.y, aR.x, aR.y, bR.x, bR.y, deep, dark, deep, deep);
    Quad(spineM.x, spineM.y, b.x, b.y, tail.x, tail.y, bR.x, bR.y, mid, dark, deep, deep);
    // Panel lines along the facet edges and the outline.
    const P edges[][2] = {{nose, spineM}, {spineF, tipL}, {spineF, tipR}, {spineM, tipL}, {spineM, tipR},
                          {spineM, b}, {spineM, bR}};
    for (const auto& e : edges) Line(e[0].x, e[0].y, e[1].x, e[1].y, 0.6, line);
    const P outline[] = {nose, tipL, a, b, tail, bR, aR, tipR, nose};
    for (int i = 0; i + 1 < 9; i++) Line(outline[i].x, outline[i].y, outline[i + 1].x, outline[i + 1].y, 0.8, 0x14151A);
    // Canopy, intake grilles and the two canted tail fins.
    Quad(160, 60, 148, 53, 128, 55, 128, 65, 0x2A3A34, 0x6A8A70, 0x34463C, 0x1E2A24);
    Line(150, 55, 136, 57, 0.8, 0xC0D8B0);
    for (int side = -1; side <= 1; side += 2) {
        Quad(118, 60 + side * 10, 104, 60 + side * 16, 98, 60 + side * 14, 112, 60 + side * 8, deep, deep, deep, deep);
        Quad(58, 60 + side * 8, 30, 60 + side * 26, 24, 60 + side * 24, 46, 60 + side * 6,
             side < 0 ? 0x5A5E68 : 0x2E3036, side < 0 ? 0x4A4E58 : 0x26282E, 0x3A3E46, 0x3A3E46);
    }
    Finish(&big, &pic);
    fx_DropShadow(&pic, 600, 7, 90);
    Save(&pic, "Sprites", "F117A_sprite", true);
}

// ---- the installer's splash picture ----

// `text` in the pixel font, each cell a bevelled square of `cell` pixels, shaded
// from `top` to `bottom` over the letters' height, over a soft shadow.
static void PixelText(const char* text, double x, double y, double cell, uint32_t top, uint32_t bottom) {
    double gap = cell * 0.1, sh = cell * 0.45;
    kvfont_Cells(text, [&](int col, int row) {
        double cx = x + col * cell, cy = y + row * cell;
        RectA(cx + sh, cy + sh, cx + cell + sh, cy + cell + sh, A(0x90, 0x100818));
    });
    kvfont_Cells(text, [&](int col, int row) {
        double cx = x + col * cell, cy = y + row * cell;
        uint32_t a = Lerp(top, bottom, row / 7.0), b = Lerp(top, bottom, (row + 1) / 7.0);
        VGrad(cx, cy, cx + cell - gap, cy + cell - gap, a, b);
        RectA(cx, cy, cx + cell - gap, cy + gap * 1.5, A(0x60, 0xFFFFFF));
        RectA(cx, cy, cx + gap * 1.5, cy + cell - gap, A(0x90, 0xFFFFFF));
    });
}

// An artist's palette: a kidney of wood with a thumb hole and dabs of paint.
static void Palette(double x, double y, double k) {
    Glow(x + 10 * k, y + 14 * k, 150 * k, 96 * k, A(0x70, 0x000000), A(0xFF, 0x000000));
    Radial(x, y, 140 * k, 90 * k, 0xE8B878, 0x9A6430);
    Ell(x + 70 * k, y + 36 * k, 40 * k, 26 * k, Lerp(0x2A1848, 0x6A2A6A, 0.5));
    Ell(x + 70 * k, y + 36 * k, 22 * k, 16 * k, 0x3A1C50);
    const uint32_t paint[6] = {0xE02828, 0xF8C020, 0x28A848, 0x2860E0, 0xF8F8F8, 0x9A30C0};
    for (int i = 0; i < 6; i++) {
        double a = 3.5 + i * 0.48, px = x + std::cos(a) * 96 * k, py = y + std::sin(a) * 56 * k;
        Ell(px + 2 * k, py + 3 * k, 15 * k, 11 * k, Lerp(paint[i], 0x000000, 0.45));
        Radial(px, py, 15 * k, 11 * k, Lerp(paint[i], 0xFFFFFF, 0.35), paint[i]);
        Glow(px - 5 * k, py - 4 * k, 4 * k, 3 * k, A(0x40, 0xFFFFFF), A(0xFF, 0xFFFFFF));
    }
}

// Kelvara's splash: a stroke of colour over a night-violet ground, the palette and
// brush that made it, and the product's name in pixels.
static void Splash() {
    Surface big, pic;
    const double W = 1024, Hh = 768;
    Begin(&big, (int)W, (int)Hh, 0);
    rnd_Seed(180);
    VGrad(0, 0, W, 380, 0x120A30, 0x3A1858);
    VGrad(0, 380, W, Hh, 0x3A1858, 0x0A0618);
    Glow(220, 600, 520, 340, A(0x70, 0xE0603A), A(0xFF, 0x3A1858));
    Glow(860, 120, 420, 300, A(0x80, 0x3A7AE0), A(0xFF, 0x3A1858));
    // Out-of-focus lights.
    for (int i = 0; i < 40; i++) {
        double r = 8 + Rnd() * 40;
        uint32_t c = Lerp(0xFF9AD0, 0x80C8FF, Rnd());
        Glow(Rnd() * W, Rnd() * Hh, r, r, A(0xC0 + rnd_Next() % 40, c), A(0xFF, c));
    }
    // The stroke: a ribbon along a wave whose colour runs through the hues.
    PushLayer(A(0xFF, 0xFFFFFF));
    const int n = 160;
    for (int i = 0; i < n; i++) {
        double t0 = (double)i / n, t1 = (double)(i + 1) / n;
        double x0 = -40 + t0 * (W + 80), x1 = -40 + t1 * (W + 80);
        double y0 = 570 + 70 * std::sin(t0 * 6.0 + 0.4) - 70 * t0, y1 = 570 + 70 * std::sin(t1 * 6.0 + 0.4) - 70 * t1;
        double w0 = 30 + 36 * std::sin(t0 * 3.14159), w1 = 30 + 36 * std::sin(t1 * 3.14159);
        uint32_t c0 = clr_SwapRB(clr_FromHSL(0x00C07A00u | (uint32_t)(t0 * 230))) & 0xFFFFFF;
        uint32_t c1 = clr_SwapRB(clr_FromHSL(0x00C07A00u | (uint32_t)(t1 * 230))) & 0xFFFFFF;
        Taper(x0, y0, x1, y1, w0, w1, A(0x20, c0), A(0x20, c1));
        Taper(x0, y0 - w0 * 0.25, x1, y1 - w1 * 0.25, w0 * 0.25, w1 * 0.25, A(0xB0, 0xFFFFFF), A(0xB0, 0xFFFFFF));
    }
    PopLayer(150);
    // Bristle marks along the stroke.
    for (int i = 0; i < 500; i++) {
        double t = Rnd(), x = -40 + t * (W + 80), y = 570 + 70 * std::sin(t * 6.0 + 0.4) - 70 * t;
        double w = 30 + 36 * std::sin(t * 3.14159), off = (Rnd() - 0.5) * w * 0.9;
        Taper(x, y + off, x + 20 + Rnd() * 40, y + off - 2, 1.2, 0.2, A(0xC0, 0x000000), A(0xF0, 0x000000));
    }
    Palette(150, 640, 1.0);
    // A brush lying across the palette: handle, ferrule and a loaded tip.
    Taper(330, 560, 150, 700, 14, 9, A(0x00, 0xC0302A), A(0x00, 0x801A18));
    Taper(330, 560, 372, 528, 14, 13, A(0x00, 0xE0E0E8), A(0x00, 0x9090A0));
    Taper(372, 528, 410, 498, 13, 2, A(0x00, 0xFFD040), A(0x00, 0xF08020));
    for (int i = 0; i < 9; i++) Star(180 + Rnd() * 800, 60 + Rnd() * 620, 6 + Rnd() * 12, 0xFFFFFF, 2);
    // The name, in pixels, and the promise beneath it.
    PixelText("Kelvara 1.80", (W - 71 * 12.5) / 2, 232, 12.5, 0xFFF8D8, 0xFF8A2A);
    PixelText("PHOTO-QUALITY PAINTING", (W - 131 * 4.2) / 2, 360, 4.2, 0xF0E8FF, 0xB8A0E8);
    PixelText("ORVIK LAB", W - 60 - 53 * 3, 36, 3, 0xC8C0E8, 0x8A80B8);
    Finish(&big, &pic);
    Vignette(&pic, 512, 384, 5000);
    WritePpm(&pic, g_work + "/splash.ppm", false);
    srf_Destroy(&pic);
}

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: kvsamples <dist folder> <work folder> [--preview]\n");
        return 2;
    }
    g_dist = argv[1];
    g_work = argv[2];
    g_preview = argc > 3 && std::strcmp(argv[3], "--preview") == 0;
    eng_Init();
    Candle();
    OerTheWaters();
    DarkTrees();
    Sunset();
    StarSprite();
    FlameSprite();
    MoonSprite();
    JewelSprite();
    StealthSprite();
    Splash();
    eng_Shutdown();
    return 0;
}
