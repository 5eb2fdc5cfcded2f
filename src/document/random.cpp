// random.cpp — the tools' pseudo-random generator (see random.h).
#include "document/random.h"

static uint32_t g_rndState = 1;

void rnd_Seed(uint32_t seed) { g_rndState = seed; }

int rnd_Next() {
    g_rndState = g_rndState * 214013u + 2531011u;   // unsigned: wraps, never overflows
    return (int)((g_rndState >> 16) & 0x7FFF);
}

int64_t rnd_Scaled(int64_t size) { return (int64_t)rnd_Next() * size / RND_MAX; }

uint32_t rnd_State() { return g_rndState; }
