// test_surface.h — small helpers for tests that build and compare surfaces.
#pragma once
#include <cstdint>
#include <random>
#include <vector>
#include "engine/surface.h"

// A surface that destroys itself at the end of the test.
struct TestSurface {
    Surface s{};
    TestSurface(uint32_t w, uint32_t h);
    ~TestSurface();
    TestSurface(const TestSurface&) = delete;
    TestSurface& operator=(const TestSurface&) = delete;
    uint32_t& at(int x, int y);   // surface must be locked (the helper keeps it locked)
    Surface* operator->() { return &s; }
    Surface* get() { return &s; }
};

// Fills with random words; `extremes` mixes in 0x00 / 0xFF bytes often.
void FillRandom(Surface* s, std::mt19937& rng, bool extremes = true);
// Fills a rectangle of an unlocked surface with one word (locks around the fill).
void FillWith(Surface* s, int x1, int y1, int x2, int y2, uint32_t word);
// The surface's words, row after row, for whole-image comparisons.
std::vector<uint32_t> WordsOf(Surface* s);
// One word of an unlocked surface.
uint32_t WordAt(Surface* s, int x, int y);
// True when both surfaces have the same size and identical words.
bool SameSurface(Surface* a, Surface* b);
