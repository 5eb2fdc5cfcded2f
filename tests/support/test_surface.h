// test_surface.h — small helpers for tests that build and compare surfaces.
#pragma once
#include <cstdint>
#include <random>
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
// True when both surfaces have the same size and identical words.
bool SameSurface(Surface* a, Surface* b);
