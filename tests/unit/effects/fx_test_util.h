// fx_test_util.h — plain images for the effect tests, their layouts, and conversions
// to and from surfaces.
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
};

inline Img ReadImg(Surface* s) { return Img{(int)s->width, (int)s->height, WordsOf(s)}; }

inline Img Flat(int w, int h, uint32_t p) { return Img{w, h, std::vector<uint32_t>((size_t)w * h, p)}; }

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
    Img m = Flat(w, h, 0);
    uint32_t a = rng(), b = rng();
    int split = w > 1 ? (int)(rng() % (uint32_t)w) : 0;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) m.at(x, y) = (((x + y / 3) % 7 < 3 || x < split) ? a : b) ^ (rng() & 0x03030303u);
    return m;
}

// A surface holding an image, destroyed at the end of the scope.
struct Held {
    Surface s{};
    explicit Held(const Img& m) {
        srf_Create((uint32_t)m.w, (uint32_t)m.h, &s);
        uint32_t* p = srf_Lock(&s);
        for (int i = 0; i < m.w * m.h; i++) p[(size_t)(i / m.w) * s.stride + i % m.w] = m.px[i];
        srf_Unlock(&s);
    }
    ~Held() { srf_Destroy(&s); }
    Img img() { return ReadImg(&s); }
};
