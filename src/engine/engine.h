// engine.h — process-wide engine state: init count, clip rectangle, checkerboard,
// span option and the reference switch. Set only from the user-interface thread;
// nothing here locks.
// The checkerboard is a 16 x 16 table; pixel (x, y) shows entry (y & 15, x & 15).
#pragma once
#include <cstdint>

int eng_Init();
int eng_Shutdown();
int eng_SetClip(int left, int top, int right, int bottom);
int eng_SetChecker(uint32_t colour0, uint32_t colour1);
// Option 1 is the span option (fillers drop the last pixel of each span when set);
// returns the stored value, or 0 for an unknown option.
int eng_SetOption(int option, uint8_t value);

struct EngClip { int left, top, right, bottom; };
EngClip eng_GetClip();
uint8_t eng_SpanOption();
int eng_InitCount();
// Checkerboard entry for destination pixel (x, y).
uint32_t eng_CheckerAt(int x, int y);
// The 16 x 16 table, row-major, for loops that walk a row.
const uint32_t* eng_CheckerTable();

// The one reference switch: 1 makes every module with a fast path (transfers,
// effects, Pixcode, the KV5 codecs and writer) take its plain reference path, so
// tests and measurements can hold the two side by side. 0 (the default) lets the
// fast paths run. Worker threads read it: flip it between pieces of work only.
void eng_ForceReference(int on);
int eng_ReferenceForced();

// 1 when the processor and the system (which must save the wide registers) run AVX2
// code: kernels built for it are picked at run time.
int eng_HasAvx2();
