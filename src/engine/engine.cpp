// engine.cpp — the engine's process-wide state record and its setters, and what the
// processor runs.
#include "engine/engine.h"

namespace {
struct EngState {
    int initCount;
    EngClip clip;
    uint32_t checker[16 * 16];
    uint8_t spanOption;
    int referenceForced;
};
EngState g_eng;

void FillChecker(uint32_t c0, uint32_t c1) {
    for (int r = 0; r < 16; r++)
        for (int c = 0; c < 16; c++)
            g_eng.checker[r * 16 + c] = (((r >> 2) + (c >> 2)) & 1) ? c1 : c0;
}
}  // namespace

int eng_Init() {
    if (g_eng.initCount == 0) {
        g_eng.initCount = 1;
        FillChecker(0x00FFFFFFu, 0x00000000u);
    }
    return 1;
}

int eng_Shutdown() {
    if (g_eng.initCount >= 1) g_eng.initCount--;
    return 1;
}

int eng_SetClip(int left, int top, int right, int bottom) {
    g_eng.clip = EngClip{left, top, right, bottom};
    return 1;
}

int eng_SetChecker(uint32_t colour0, uint32_t colour1) {
    FillChecker(colour0, colour1);
    return 1;
}

int eng_SetOption(int option, uint8_t value) {
    if (option != 1) return 0;
    g_eng.spanOption = value;
    return value;
}

EngClip eng_GetClip() { return g_eng.clip; }
uint8_t eng_SpanOption() { return g_eng.spanOption; }
int eng_InitCount() { return g_eng.initCount; }
uint32_t eng_CheckerAt(int x, int y) { return g_eng.checker[(y & 15) * 16 + (x & 15)]; }
const uint32_t* eng_CheckerTable() { return g_eng.checker; }

void eng_ForceReference(int on) { g_eng.referenceForced = on ? 1 : 0; }
int eng_ReferenceForced() { return g_eng.referenceForced; }

int eng_HasAvx2() {
#if defined(__x86_64__) || defined(_M_X64)
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") ? 1 : 0;
#else
    return 0;
#endif
}
