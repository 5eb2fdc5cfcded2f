// test_surface.h — small helpers for tests that build and compare surfaces.
#pragma once
#include <cstdint>
#include <ostream>
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
// The largest difference of one byte (channel or alpha) between two pictures' words;
// 256 when their sizes differ.
int MaxByteDifference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b);

// A width and height checked as one and printed by name ("width 7, height 5"), so a
// failed size check says which side is wrong: EXPECT_EQ((Dims{s.width, s.height}), (Dims{7, 5})).
struct Dims {
    long long width, height;
    bool operator==(const Dims& o) const { return width == o.width && height == o.height; }
};
inline std::ostream& operator<<(std::ostream& o, const Dims& d) {
    return o << "width " << d.width << ", height " << d.height;
}

// ---- golden tables and fills shared by the engine, effects and document tests ----
#include <functional>
#include <string>

// Every pixel set to one word (locks around the fill; a locked surface stays locked).
void FillAll(Surface* s, uint32_t word);
// A fixed sweep through colours, hues and alphas with hard steps and flat runs:
// the input of the golden tables.
void FillPattern(Surface* s);
// FNV-1a over the pixel bytes, row after row, mixed with the size.
uint32_t HashSurface(Surface* s);

// One row of a golden table: the hash recorded for a piece of work, and the work
// (which returns the hash of what it produced, or 0 when a call failed).
struct GoldenCase {
    const char* name;
    uint32_t hash;
    std::function<uint32_t()> run;
};
// Runs every case; returns one line per mismatch (empty when all agree). With
// KV_GOLDEN_PRINT set it prints every row afresh, to paste over the table.
std::string CheckGolden(const std::vector<GoldenCase>& cases);
