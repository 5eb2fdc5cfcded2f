// random.h — the tools' pseudo-random numbers.
//
// Owns: one process-wide generator state. The sequence is the classic C-library one
// (state = state * 214013 + 2531011, value = (state >> 16) & 0x7FFF), so the native
// and the Windows builds draw the same values 0..32767 from the same seed. The
// state starts as if seeded with 1. Used only from the user-interface thread.
#pragma once
#include <cstdint>

const int RND_MAX = 32767;

void rnd_Seed(uint32_t seed);
// Next value, 0..32767.
int rnd_Next();
// A value scaled to a size: (r * size) / 32767, truncating toward zero (0..size).
int64_t rnd_Scaled(int64_t size);
// The raw state, so callers can save and restore a sequence position.
uint32_t rnd_State();
