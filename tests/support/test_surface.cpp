// test_surface.cpp — helpers shared by the surface-based tests.
#include "support/test_surface.h"
#include <algorithm>
#include <cstdlib>
#include "engine/shape.h"

TestSurface::TestSurface(uint32_t w, uint32_t h) {
    srf_Create(w, h, &s);
    srf_Lock(&s);
}
TestSurface::~TestSurface() {
    srf_Unlock(&s);
    srf_Destroy(&s);
}
uint32_t& TestSurface::at(int x, int y) { return s.pixels[(size_t)y * s.stride + x]; }

void FillRandom(Surface* s, std::mt19937& rng, bool extremes) {
    uint32_t* p = srf_Lock(s);
    for (uint32_t y = 0; y < s->height; y++)
        for (uint32_t x = 0; x < s->width; x++) {
            uint32_t v = rng();
            if (extremes) {
                uint32_t pick = rng();
                for (int b = 0; b < 4; b++) {
                    uint32_t sel = (pick >> (b * 4)) & 7;
                    if (sel == 0) v &= ~(0xFFu << (b * 8));
                    else if (sel == 1) v |= 0xFFu << (b * 8);
                }
            }
            p[(size_t)y * s->stride + x] = v;
        }
    srf_Unlock(s);
}

bool SameSurface(Surface* a, Surface* b) {
    uint32_t* pa = srf_Lock(a);
    uint32_t* pb = srf_Lock(b);
    bool same = pa && pb && a->width == b->width && a->height == b->height;
    for (uint32_t y = 0; same && y < a->height; y++)
        for (uint32_t x = 0; x < a->width; x++)
            if (pa[(size_t)y * a->stride + x] != pb[(size_t)y * b->stride + x]) { same = false; break; }
    srf_Unlock(a);
    srf_Unlock(b);
    return same;
}

int MaxByteDifference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    int worst = a.size() == b.size() ? 0 : 256;
    for (size_t i = 0; i < a.size() && i < b.size(); i++)
        for (int shift = 0; shift < 32; shift += 8)
            worst = std::max(worst, std::abs((int)(a[i] >> shift & 255) - (int)(b[i] >> shift & 255)));
    return worst;
}

void FillWith(Surface* s, int x1, int y1, int x2, int y2, uint32_t word) {
    if (!srf_Lock(s)) return;
    drw_FillRect(s, x1, y1, x2, y2, word);
    srf_Unlock(s);
}

std::vector<uint32_t> WordsOf(Surface* s) {
    std::vector<uint32_t> v;
    uint32_t* p = srf_Lock(s);
    if (!p) return v;
    for (uint32_t y = 0; y < s->height; y++) v.insert(v.end(), p + (size_t)y * s->stride, p + (size_t)y * s->stride + s->width);
    srf_Unlock(s);
    return v;
}

uint32_t WordAt(Surface* s, int x, int y) {
    uint32_t* p = srf_Lock(s);
    uint32_t v = p ? p[(size_t)y * s->stride + x] : 0;
    srf_Unlock(s);
    return v;
}

#include <cstdio>
#include <cstdlib>

void FillAll(Surface* s, uint32_t word) {
    uint32_t* p = srf_Lock(s);
    if (!p) return;
    for (uint32_t y = 0; y < s->height; y++)
        for (uint32_t x = 0; x < s->width; x++) p[(size_t)y * s->stride + x] = word;
    srf_Unlock(s);
}

void FillPattern(Surface* s) {
    uint32_t* p = srf_Lock(s);
    if (!p) return;
    for (uint32_t y = 0; y < s->height; y++)
        for (uint32_t x = 0; x < s->width; x++) {
            const bool flat = (x / 6 + y / 5) % 3 == 0;
            p[(size_t)y * s->stride + x] =
                flat ? 0x20C08040u
                     : ((x * 5 + y * 9) & 255) | ((y * 11) & 255) << 8 | ((x * 7) & 255) << 16 | ((x * y * 3) & 255) << 24;
        }
    srf_Unlock(s);
}

uint32_t HashSurface(Surface* s) {
    uint32_t h = 2166136261u;
    for (uint32_t v : WordsOf(s))
        for (int i = 0; i < 4; i++) h = (h ^ ((v >> (8 * i)) & 0xFF)) * 16777619u;
    return h ^ (s->width * 131 + s->height);
}

std::string CheckGolden(const std::vector<GoldenCase>& cases) {
    const bool print = std::getenv("KV_GOLDEN_PRINT") != nullptr;
    std::string report;
    for (const GoldenCase& c : cases) {
        const uint32_t h = c.run();
        if (print) std::printf("        {\"%s\", 0x%08Xu, ...\n", c.name, h);
        if (h != c.hash) {
            char line[200];
            std::snprintf(line, sizeof line, "%s: hash %08X, recorded %08X\n", c.name, h, c.hash);
            report += line;
        }
    }
    return report;
}
