// fx_test_util.h — a plain image for the naive models the effect tests compare
// against, and conversions to and from surfaces.
#pragma once
#include <cstdint>
#include <random>
#include <utility>
#include <vector>
#include "engine/surface.h"
#include "support/test_surface.h"

struct Img {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    uint32_t& at(int x, int y) { return px[(size_t)y * w + x]; }
    uint32_t at(int x, int y) const { return px[(size_t)y * w + x]; }
};

inline int Ch(uint32_t p, int i) { return (int)((p >> (8 * i)) & 0xFF); }   // 0 B, 1 G, 2 R, 3 A
inline uint32_t Word(int b, int g, int r, int a) {
    return (uint32_t)b | ((uint32_t)g << 8) | ((uint32_t)r << 16) | ((uint32_t)a << 24);
}
inline int Clamp255(long long v) { return v < 0 ? 0 : (v > 255 ? 255 : (int)v); }

inline Img ReadImg(Surface* s) {
    Img m;
    uint32_t* p = srf_Lock(s);
    m.w = (int)s->width;
    m.h = (int)s->height;
    m.px.resize((size_t)m.w * m.h);
    for (int y = 0; y < m.h; y++)
        for (int x = 0; x < m.w; x++) m.at(x, y) = p[(size_t)y * s->stride + x];
    srf_Unlock(s);
    return m;
}

inline void WriteImg(Surface* s, const Img& m) {
    uint32_t* p = srf_Lock(s);
    for (int y = 0; y < m.h; y++)
        for (int x = 0; x < m.w; x++) p[(size_t)y * s->stride + x] = m.at(x, y);
    srf_Unlock(s);
}

// Layouts that catch edge and stride faults: single pixels, lines, odd sizes,
// widths around the 4- and 8-pixel vector steps.
inline std::vector<std::pair<int, int>> OddSizes() {
    return {{1, 1}, {1, 9}, {9, 1}, {2, 2}, {3, 3}, {5, 4}, {37, 23}, {64, 5}, {5, 64}, {131, 17}};
}

// A random image; `extremes` mixes in many 0x00 / 0xFF bytes.
inline Img RandomImg(int w, int h, std::mt19937& rng, bool extremes = true) {
    TestSurface t((uint32_t)w, (uint32_t)h);
    FillRandom(t.get(), rng, extremes);
    return ReadImg(t.get());
}

// Smooth colours with soft steps: random images rarely exercise thresholds.
inline Img PatchyImg(int w, int h, std::mt19937& rng) {
    Img m;
    m.w = w;
    m.h = h;
    m.px.resize((size_t)w * h);
    uint32_t a = rng(), b = rng();
    int split = w > 1 ? (int)(rng() % (uint32_t)w) : 0;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            uint32_t base = ((x + y / 3) % 7 < 3 || x < split) ? a : b;
            m.at(x, y) = base ^ (rng() & 0x03030303u);
        }
    return m;
}

// FNV-1a over the pixel words (for comparing builds).
inline uint32_t HashImg(const Img& m) {
    uint32_t h = 2166136261u;
    for (uint32_t v : m.px)
        for (int i = 0; i < 4; i++) h = (h ^ ((v >> (8 * i)) & 0xFF)) * 16777619u;
    return h ^ (uint32_t)(m.w * 131 + m.h);
}
