// fx_models_test.cpp — every kernel against a second, deliberately plain model of
// its formula written here (per channel, per pixel, literal order), on random and
// patchy images of odd layouts, through both the fast and the reference loops.
#include <gtest/gtest.h>
#include <cmath>
#include <functional>
#include <string>
#include "effects/fx_alpha.h"
#include "effects/fx_antialias.h"
#include "effects/fx_colour.h"
#include "effects/fx_common.h"
#include "effects/fx_filter.h"
#include "effects/fx_key.h"
#include "effects/fx_pixelate.h"
#include "effects/fx_relief.h"
#include "effects/fx_smear.h"
#include "engine/color.h"
#include "unit/effects/fx_test_util.h"

namespace {

long long FloorDiv(long long a, long long b) {
    long long q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int LumaY(uint32_t p) { return (19595 * Ch(p, 2) + 38470 * Ch(p, 1) + 7471 * Ch(p, 0) + 32768) >> 16; }
int LumaF(uint32_t p) { return (int)(0.299 * Ch(p, 2) + 0.587 * Ch(p, 1) + 0.114 * Ch(p, 0)); }

// Mean of byte channel i, clamped to 1..254.
int Mean(const Img& m, int i) {
    long long sum = 0;
    for (uint32_t p : m.px) sum += Ch(p, i);
    long long v = sum / (long long)m.px.size();
    return v < 1 ? 1 : (v > 254 ? 254 : (int)v);
}

// Runs the kernel on `in` with the fast loops (one and four threads) and with the
// reference loops; each must give `want`.
void Expect(const std::string& what, const Img& in, const Img& want, const std::function<int(Surface*)>& kernel) {
    for (int mode = 0; mode < 3; mode++) {
        fx_ForceReference(mode == 2);
        fx_SetThreads(mode == 1 ? 4 : 1);
        Surface s{};
        srf_Create((uint32_t)in.w, (uint32_t)in.h, &s);
        WriteImg(&s, in);
        EXPECT_EQ(kernel(&s), 1) << what;
        Img got = ReadImg(&s);
        srf_Destroy(&s);
        size_t bad = 0;
        while (bad < want.px.size() && got.px[bad] == want.px[bad]) bad++;
        ASSERT_EQ(bad, want.px.size()) << what << " " << in.w << "x" << in.h << " mode " << mode << " pixel ("
                                       << bad % in.w << "," << bad / in.w << ") got " << std::hex << got.px[bad]
                                       << " want " << want.px[bad];
    }
    fx_ForceReference(0);
    fx_SetThreads(2);
}

// Every odd layout, random (with extreme bytes) and patchy contents.
void Sweep(const std::string& what, const std::function<Img(const Img&)>& model,
           const std::function<int(Surface*)>& kernel, uint32_t seed = 1) {
    std::mt19937 rng(seed);
    for (auto [w, h] : OddSizes()) {
        Img a = RandomImg(w, h, rng);
        Expect(what, a, model(a), kernel);
        Img b = PatchyImg(w, h, rng);
        Expect(what + " patchy", b, model(b), kernel);
    }
}

Img MapModel(const Img& in, const std::function<uint32_t(uint32_t)>& f) {
    Img out = in;
    for (uint32_t& p : out.px) p = f(p);
    return out;
}

// --- models -----------------------------------------------------------------

Img ColorShiftModel(const Img& in, int level) {
    long long k = (long long)(level * 209.7152);
    return MapModel(in, [&](uint32_t p) {
        int y = LumaY(p), c[3];
        for (int i = 0; i < 3; i++) c[i] = Clamp255(y + FloorDiv((Ch(p, i) - y) * k, 65536));
        return Word(c[0], c[1], c[2], Ch(p, 3));
    });
}

Img TableModel(const Img& in, const std::function<int(int ch, int v)>& table) {
    return MapModel(in, [&](uint32_t p) {
        return Word(table(0, Ch(p, 0)), table(1, Ch(p, 1)), table(2, Ch(p, 2)), table(3, Ch(p, 3)));
    });
}

Img ContrastModel(const Img& in, int level) {
    double f = level * 0.0014 + 0.4;
    int m[3] = {Mean(in, 0), Mean(in, 1), Mean(in, 2)};
    return TableModel(in, [&](int ch, int v) { return ch == 3 ? v : Clamp255((long long)((v - m[ch]) * f) + m[ch]); });
}

Img EnhanceModel(const Img& in) {
    int m[3] = {Mean(in, 0), Mean(in, 1), Mean(in, 2)};
    return TableModel(in, [&](int ch, int v) {
        if (ch == 3) return v;
        double span = v > m[ch] ? 255 - m[ch] : m[ch];
        return Clamp255((long long)(std::sin((v - m[ch]) * 1.5708 / span) * span + m[ch]));
    });
}

Img AlphaContrastModel(const Img& in, int level) {
    Img out = in;
    int m = Mean(in, 3);
    double k = (level / 1000.0) * (level / 1000.0) * 7.6 + 0.4;
    for (int y = 0; y < in.h; y++)
        for (int x = 1; x < in.w - 1; x++) {
            uint32_t p = in.at(x, y);
            int a = Clamp255((long long)((Ch(p, 3) - m) * k) + m);
            out.at(x, y) = (p & 0x00FFFFFFu) | ((uint32_t)a << 24);
        }
    return out;
}

uint32_t AlphaAtLeast(uint32_t p, int a) { return Ch(p, 3) >= a ? p : (p & 0x00FFFFFFu) | ((uint32_t)a << 24); }

Img KeyColorModel(const Img& in, uint32_t key, int level, int tolerance) {
    double e = level * 0.00475 + 0.25;
    e = e < 2.0 ? 2.0 : (e > 4.0 ? 4.0 : e);
    int kr = key & 0xFF, kg = (key >> 8) & 0xFF, kb = (key >> 16) & 0xFF;
    return MapModel(in, [&](uint32_t p) {
        double d = std::pow(std::abs(Ch(p, 0) - kb), e) + std::pow(std::abs(Ch(p, 1) - kg), e) +
                   std::pow(std::abs(Ch(p, 2) - kr), e);
        long long v = (long long)(d / (e * 32.0)) + 255 - tolerance;
        if (v > 255) v = 255;
        return AlphaAtLeast(p, (int)(255 - v));
    });
}

Img BasalModel(const Img& in, bool white) {
    return MapModel(in, [&](uint32_t p) {
        int b = Ch(p, 0), g = Ch(p, 1), r = Ch(p, 2);
        int s = (b + g + r) / 3, m = std::max(r, std::max(g, b));
        uint32_t q = m ? Word(b * 255 / m, g * 255 / m, r * 255 / m, Ch(p, 3)) : Word(255, 255, 255, Ch(p, 3));
        return AlphaAtLeast(q, white ? s : 255 - s);
    });
}

uint32_t Mix16Model(uint32_t a, long long w, uint32_t b) {   // (b (65536 - w) + a w) >> 16
    int c[4];
    for (int i = 0; i < 4; i++) c[i] = (int)((Ch(b, i) * (65536 - w) + Ch(a, i) * w) >> 16);
    return Word(c[0], c[1], c[2], c[3]);
}

Img ReplaceHueModel(const Img& in, uint32_t c1, uint32_t c2, int level) {
    double e = std::min(4.0, std::max(2.0, level * 0.00475 + 0.25));
    int h1 = clr_ToHSL(c1) & 0xFF, h2 = clr_ToHSL(c2) & 0xFF;
    return MapModel(in, [&](uint32_t p) {
        uint32_t h = clr_ToHSL(clr_SwapRB(p));
        long long w = (long long)std::pow(std::abs((int)(h & 0xFF) - h1), e);
        if (w > 65536) w = 65536;
        uint32_t n = clr_SwapRB(clr_FromHSL((h & 0xFFFFFF00u) | (uint32_t)h2));
        return Mix16Model(p, w, n);
    });
}

// The four smear passes, channel by channel.
Img SmearModel(const Img& in, int level, int byteMask) {
    Img m = in;
    const long long s = level * 61439 / 1000;
    auto line = [&](std::vector<uint32_t*> cells) {
        int run[4];
        for (int i = 0; i < 4; i++) run[i] = Ch(*cells[0], i);
        for (uint32_t* c : cells) {
            int v[4];
            for (int i = 0; i < 4; i++) {
                int p = Ch(*c, i);
                run[i] = (byteMask >> i & 1) ? (int)((p * (65536 - s) + run[i] * s) >> 16) : p;
                v[i] = run[i];
            }
            *c = Word(v[0], v[1], v[2], v[3]);
        }
    };
    for (int dir = 0; dir < 2; dir++)
        for (int y = 0; y < m.h; y++) {
            std::vector<uint32_t*> cells;
            for (int i = 0; i < m.w; i++) cells.push_back(&m.at(dir ? m.w - 1 - i : i, y));
            line(cells);
        }
    for (int dir = 0; dir < 2; dir++)
        for (int x = 0; x < m.w; x++) {
            std::vector<uint32_t*> cells;
            for (int i = 0; i < m.h; i++) cells.push_back(&m.at(x, dir ? m.h - 1 - i : i));
            line(cells);
        }
    return m;
}

Img ConvolveModel(const Img& in, const std::vector<int32_t>& wt, int n, int mask) {
    Img out = in;
    int r = n / 2;
    long long sum = 0;
    for (int32_t v : wt) sum += v;
    for (int y = 0; y < in.h; y++)
        for (int x = 0; x < in.w; x++) {
            int c[4];
            for (int i = 0; i < 4; i++) {
                if (mask && !(mask >> i & 1)) {
                    c[i] = Ch(in.at(x, y), i);
                    continue;
                }
                long long acc = 0;
                for (int dy = -r; dy <= r; dy++)
                    for (int dx = -r; dx <= r; dx++) {
                        int sx = std::min(std::max(x + dx, 0), in.w - 1), sy = std::min(std::max(y + dy, 0), in.h - 1);
                        acc += (long long)wt[(dy + r) * n + dx + r] * Ch(in.at(sx, sy), i);
                    }
                c[i] = Clamp255(acc / sum);
            }
            out.at(x, y) = Word(c[0], c[1], c[2], c[3]);
        }
    return out;
}

std::vector<int32_t> SharpenWeights(int level) {
    std::vector<int32_t> k(25);
    for (int y = 0; y < 5; y++)
        for (int x = 0; x < 5; x++) {
            double dist = std::sqrt((double)((x - 2) * (x - 2) + (y - 2) * (y - 2)));
            k[y * 5 + x] = x == 2 && y == 2 ? 2000000 - level * 1308950 / 1000 : -(int32_t)std::lround(50000 / dist);
        }
    return k;
}

// In place from the last pixel back, as the relief filters are defined.
Img ReliefModel(const Img& in, int level, bool emboss, uint32_t colour) {
    Img m = in;
    int prev = LumaF(m.at(0, 0)), lo = 0, hi = 0;
    for (uint32_t p : m.px) {
        int d = prev - LumaY(p);
        lo = std::min(lo, d);
        hi = std::max(hi, d);
        prev = LumaY(p);
    }
    int range = (hi - lo) >> 1;
    for (int y = m.h - 1; y >= 0; y--)
        for (int x = m.w - 1; x >= 0; x--) {
            uint32_t p = m.at(x, y);
            int yc = emboss ? LumaF(p) : LumaY(p);
            int yl = x ? LumaY(m.at(x - 1, y)) : yc, yu = y ? LumaY(m.at(x, y - 1)) : yc;
            int yul = x && y ? LumaY(m.at(x - 1, y - 1)) : yc;
            int v = range ? (3 * yc - yul - yu - yl) * 83 / range : 0;
            if (emboss) {
                int u = std::min(126, std::max(-127, v * level / 250));
                uint32_t h = (clr_ToHSL(colour) & 0x00FF00FFu) | ((uint32_t)(u + 128) << 8) | (p & 0xFF000000u);
                m.at(x, y) = clr_SwapRB(clr_FromHSL(h));
            } else {
                int g = 255 - (int)std::min(255LL, std::llabs((long long)v * level) / 250);
                m.at(x, y) = Word(g, g, g, Ch(p, 3));
            }
        }
    return m;
}

Img AntialiasModel(const Img& in, int level, int parameter, bool image) {
    const int t = parameter * 223 / 255 + 16;
    const long long keep = (1000 - level) * 31536 / 1000 + 34000;
    auto val = [&](uint32_t p) { return image ? LumaY(p) : Ch(p, 3); };
    auto pass = [&](const Img& from, bool columns) {
        Img to = from;
        auto one = [&](int x, int y) {
            uint32_t c = from.at(x, y), u = from.at(x, y - 1), l = from.at(x - 1, y);
            uint32_t r = from.at(x + 1, y), d = from.at(x, y + 1);
            int vc = val(c);
            bool step = (vc > val(d) + t || vc > val(u) + t) && (vc > val(r) + t || vc > val(l) + t);
            int wu = (255 - val(u)) >> 2, wl = (255 - val(l)) >> 2, wd = (255 - val(d)) >> 2;
            int wr = image ? wd : (255 - val(r)) >> 2;
            int sum = wu + wl + wr + wd;
            if (!step || sum == 0) return;
            int k[4] = {(wu << 8) / sum, (wl << 8) / sum, (wd << 8) / sum, (wr << 8) / sum};
            uint32_t nb[4] = {u, l, d, r};
            int mix[4];
            for (int i = 0; i < 4; i++) {
                int acc = 0;
                for (int j = 0; j < 4; j++) acc += Ch(nb[j], i) * k[j];
                mix[i] = (acc >> 8) & 0xFF;
            }
            to.at(x, y) = Mix16Model(c, keep, Word(mix[0], mix[1], mix[2], mix[3]));
        };
        if (columns) {
            for (int x = 1; x < from.w - 1; x++)
                for (int y = 1; y < from.h - 1; y++) one(x, y);
        } else {
            for (int y = 1; y < from.h - 1; y++)
                for (int x = 1; x < from.w - 1; x++) one(x, y);
        }
        return to;
    };
    return pass(pass(in, false), true);
}

Img PixelateModel(const Img& in, int level) {
    Img out = in;
    int b = level / 50 + 1;
    for (int by = 0; by < in.h; by += b)
        for (int bx = 0; bx < in.w; bx += b) {
            long long sum[3] = {0, 0, 0}, n = 0;
            for (int y = by; y < std::min(by + b, in.h); y++)
                for (int x = bx; x < std::min(bx + b, in.w); x++, n++)
                    for (int i = 0; i < 3; i++) sum[i] += Ch(in.at(x, y), i);
            for (int y = by; y < std::min(by + b, in.h); y++)
                for (int x = bx; x < std::min(bx + b, in.w); x++)
                    out.at(x, y) = Word((int)(sum[0] / n), (int)(sum[1] / n), (int)(sum[2] / n), Ch(in.at(x, y), 3));
        }
    return out;
}

Img DropShadowModel(const Img& in, int level, int d, int parameter) {
    Img sh = in;
    for (int y = 0; y < in.h; y++)
        for (int x = 0; x < in.w; x++) {
            int a = x < d || y < d ? 255 : 255 - (255 - Ch(in.at(x - d, y - d), 3)) * level / 1000;
            sh.at(x, y) = (uint32_t)a << 24;
        }
    sh = SmearModel(sh, parameter * 800 / 255, 15);
    for (int i = 0; i < (int)in.px.size(); i++) {
        uint32_t s = in.px[i], b = sh.px[i];
        int as = Ch(s, 3), t = as + (as >= 128 ? 1 : 0), c[4];
        for (int k = 0; k < 3; k++) c[k] = (Ch(s, k) * (256 - t) + Ch(b, k) * t) >> 8;
        c[3] = (Ch(b, 3) * t) >> 8;
        if (c[3] > 240) c[3] = 255;
        sh.px[i] = Word(c[0], c[1], c[2], c[3]);
    }
    return sh;
}

}  // namespace

TEST(EffectModels, ColourPointOperations) {
    for (int level : {0, 1, 312, 500, 999, 1000}) {
        std::string at = " level " + std::to_string(level);
        Sweep("ColorShift" + at, [&](const Img& m) { return ColorShiftModel(m, level); },
              [&](Surface* s) { return fx_ColorShift(s, level); });
        Sweep("DynamicContrast" + at, [&](const Img& m) { return ContrastModel(m, level); },
              [&](Surface* s) { return fx_DynamicContrast(s, level); });
        int n = std::min(7, level * 6 / 1000 + 1), q = (1 << (8 - n)) - 1;
        Sweep("Posterize" + at, [&](const Img& m) { return TableModel(m, [&](int, int v) { return ((v >> n) * 255 / q) & 255; }); },
              [&](Surface* s) { return fx_Posterize(s, level); });
        for (int mask : {0, 5, 10, 15}) {
            long long t = level * 65535 / 1000;
            Sweep("ColorFilter" + at, [&](const Img& m) {
                return TableModel(m, [&](int ch, int v) {
                    bool kept = ch == 3 || (ch == 0 && (mask & 4)) || (ch == 1 && (mask & 2)) || (ch == 2 && (mask & 1));
                    return (int)((v * (65536 - t) + (kept ? v : 0) * t) >> 16);
                });
            }, [&](Surface* s) { return fx_ColorFilter(s, level, mask); });
            int th = level * 255 / 1000;
            Sweep("BiLevel" + at, [&](const Img& m) {
                return TableModel(m, [&](int ch, int v) {
                    int bit = ch == 0 ? 4 : ch == 1 ? 2 : ch == 2 ? 1 : 8;
                    return (mask & bit) ? (v > th ? 255 : 0) : v;
                });
            }, [&](Surface* s) { return fx_BiLevel(s, level, mask); });
        }
        Sweep("ChromaShift" + at, [&](const Img& m) {
            uint32_t sh = (uint32_t)(level * 255 / 1000);
            return MapModel(m, [&](uint32_t p) {
                uint32_t h = clr_ToHSL(p);
                return clr_FromHSL((h & ~0xFFu) | ((h + sh) & 0xFF));
            });
        }, [&](Surface* s) { return fx_ChromaShift(s, level); });
        int a = level * 255 / 1000;
        Sweep("SetAlpha" + at, [&](const Img& m) { return MapModel(m, [&](uint32_t p) { return (p & 0xFFFFFF) | (uint32_t)a << 24; }); },
              [&](Surface* s) { return fx_SetAlpha(s, level); });
        Sweep("AlphaContrast" + at, [&](const Img& m) { return AlphaContrastModel(m, level); },
              [&](Surface* s) { return fx_AlphaContrast(s, level); });
    }
    Sweep("SyntheticEnhance", EnhanceModel, fx_SyntheticEnhance);
    Sweep("Greyscale", [](const Img& m) { return MapModel(m, [](uint32_t p) { int y = LumaY(p); return Word(y, y, y, Ch(p, 3)); }); },
          fx_Greyscale);
    Sweep("Negative", [](const Img& m) {
        return MapModel(m, [](uint32_t p) { return Word(255 - Ch(p, 0), 255 - Ch(p, 1), 255 - Ch(p, 2), Ch(p, 3)); });
    }, fx_Negative);
    Sweep("InvertAlpha", [](const Img& m) { return MapModel(m, [](uint32_t p) { return (p & 0xFFFFFF) | (uint32_t)(255 - Ch(p, 3)) << 24; }); },
          fx_InvertAlpha);
    Sweep("RebaseTransparent", [](const Img& m) { return MapModel(m, [](uint32_t p) { return Ch(p, 3) > 240 ? p | 0xFF000000u : p; }); },
          fx_RebaseTransparent);
}

TEST(EffectModels, KeyingAndHueReplacement) {
    for (uint32_t key : {0x00000000u, 0x00FF0000u, 0x0080C040u}) {
        for (int level : {0, 368, 500, 789, 1000})
            for (int tol : {0, 100, 255}) {
                Sweep("KeyColor", [&](const Img& m) { return KeyColorModel(m, key, level, tol); },
                      [&](Surface* s) { return fx_KeyColor(s, key, level, tol); });
            }
        for (int tol : {0, 77, 255})
            Sweep("KeyExact", [&](const Img& m) {
                uint32_t k = clr_SwapRB(key) & 0xFFFFFF;
                return MapModel(m, [&](uint32_t p) { return (p & 0xFFFFFF) == k ? AlphaAtLeast(p, tol) : p; });
            }, [&](Surface* s) { return fx_KeyExact(s, key, tol); });
        for (int level : {0, 500, 1000})
            Sweep("ReplaceHue", [&](const Img& m) { return ReplaceHueModel(m, key, 0x00FF8000u, level); },
                  [&](Surface* s) { return fx_ReplaceHue(s, key, 0x00FF8000u, level); });
    }
    Sweep("KeyBasal white", [](const Img& m) { return BasalModel(m, true); }, [](Surface* s) { return fx_KeyBasal(s, 1); });
    Sweep("KeyBasal black", [](const Img& m) { return BasalModel(m, false); }, [](Surface* s) { return fx_KeyBasal(s, 0); });
}

TEST(EffectModels, SmearBlurAndChannels) {
    for (int level : {0, 1, 300, 533, 534, 999, 1000}) {   // 533/534 straddle s = 32768
        Sweep("Blur " + std::to_string(level), [&](const Img& m) { return SmearModel(m, level, 15); },
              [&](Surface* s) { return fx_Blur(s, level); });
        // Channel mask bits are R, G, B, A; the model's bits are bytes B, G, R, A.
        for (int mask : {1, 2, 4, 8, 6, 9, 0}) {
            int bytes = ((mask & 1) ? 4 : 0) | (mask & 2) | ((mask & 4) ? 1 : 0) | (mask & 8);
            Sweep("ChannelSmooth", [&](const Img& m) { return SmearModel(m, level, bytes); },
                  [&](Surface* s) { return fx_ChannelSmooth(s, level, mask); }, 7);
        }
    }
}

TEST(EffectModels, ConvolutionAndSharpen) {
    std::mt19937 rng(11);
    for (int n : {1, 3, 5, 7, 9}) {
        for (int trial = 0; trial < 3; trial++) {
            std::vector<int32_t> w(n * n);
            for (int32_t& v : w) v = (int32_t)(rng() % 2001) - 900;
            if (trial == 2) for (int32_t& v : w) v *= 1000000;   // beyond the fast path's split range
            long long sum = 0;
            for (int32_t v : w) sum += v;
            if (sum == 0 || sum > INT32_MAX || sum < INT32_MIN) continue;
            for (int mask : {0, 5, 8}) {
                Sweep("Convolve n=" + std::to_string(n), [&](const Img& m) { return ConvolveModel(m, w, n, mask); },
                      [&](Surface* s) { return fx_Convolve(s, w.data(), n, mask); }, 3 + trial);
            }
        }
    }
    // Sparse kernels: whole rows or columns of zero weights (rows with no tap must
    // still be read before they are rewritten).
    const std::vector<std::vector<int32_t>> sparse = {
        {1, 2, 1, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 3, 0, -1}, {0, 0, 0, 5, 0, 0, 0, 0, 0},
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7}};
    for (const auto& w : sparse) {
        int n = w.size() == 9 ? 3 : 5;
        Sweep("Convolve sparse", [&](const Img& m) { return ConvolveModel(m, w, n, 0); },
              [&](Surface* s) { return fx_Convolve(s, w.data(), n, 0); }, 9);
    }
    for (int level : {0, 500, 1000}) {
        std::vector<int32_t> w = SharpenWeights(level);
        Sweep("Sharpen", [&](const Img& m) { return ConvolveModel(m, w, 5, 0); },
              [&](Surface* s) { return fx_Sharpen(s, level); });
    }
}

TEST(EffectModels, ReliefAntialiasPixelateShadow) {
    for (int level : {0, 250, 500, 1000}) {
        Sweep("EdgeDetect", [&](const Img& m) { return ReliefModel(m, level, false, 0); },
              [&](Surface* s) { return fx_EdgeDetect(s, level); });
        Sweep("Emboss", [&](const Img& m) { return ReliefModel(m, level, true, 0x0040A0E0u); },
              [&](Surface* s) { return fx_Emboss(s, level, 0x0040A0E0u); });
        for (int parameter : {0, 60, 255}) {
            Sweep("AntialiasEdges", [&](const Img& m) { return AntialiasModel(m, level, parameter, false); },
                  [&](Surface* s) { return fx_AntialiasEdges(s, level, parameter); });
            Sweep("AntialiasImage", [&](const Img& m) { return AntialiasModel(m, level, parameter, true); },
                  [&](Surface* s) { return fx_AntialiasImage(s, level, parameter); });
        }
        Sweep("Pixelate", [&](const Img& m) { return PixelateModel(m, level); }, [&](Surface* s) { return fx_Pixelate(s, level); });
        for (int d : {2, 5})
            Sweep("DropShadow", [&](const Img& m) { return DropShadowModel(m, level, d, 128); },
                  [&](Surface* s) { return fx_DropShadow(s, level, d, 128); });
    }
}

// Large enough that the row and column slices really go to other threads.
TEST(EffectModels, ThreadSlicesMatchOneThread) {
    std::mt19937 rng(5);
    Img in = PatchyImg(613, 509, rng);
    const std::vector<std::pair<std::string, std::function<int(Surface*)>>> kernels = {
        {"blur", [](Surface* s) { return fx_Blur(s, 700); }},
        {"smooth", [](Surface* s) { return fx_ChannelSmooth(s, 400, 5); }},
        {"sharpen", [](Surface* s) { return fx_Sharpen(s, 500); }},
        {"edges", [](Surface* s) { return fx_EdgeDetect(s, 500); }},
        {"antialias", [](Surface* s) { return fx_AntialiasImage(s, 800, 10); }},
        {"pixelate", [](Surface* s) { return fx_Pixelate(s, 333); }},
        {"chroma", [](Surface* s) { return fx_ChromaShift(s, 500); }},
    };
    for (auto& k : kernels) {
        fx_ForceReference(1);
        Surface s{};
        srf_Create((uint32_t)in.w, (uint32_t)in.h, &s);
        WriteImg(&s, in);
        k.second(&s);
        Img want = ReadImg(&s);
        srf_Destroy(&s);
        Expect(k.first, in, want, k.second);
    }
}
