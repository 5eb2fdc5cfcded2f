// pix_lanes.h — the row-at-a-time interpreter: each decoded instruction runs over a
// segment of up to PIX_LANES pixels of a row in plain loops the compiler turns into
// SIMD code, with a lane mask that follows data-dependent jumps.
//
// The loops are built for the x86-64 baseline and for AVX2 (eight lanes a step); a
// run takes the AVX2 ones where the processor and the system support them.
// Lanes wait at their own instruction; the lowest one waiting runs next, so loops and
// forward jumps both converge. A segment keeps its results in the lanes and writes
// its pixels only when all of them reached `exit`; a segment in which some pixel fails,
// runs out of its jump budget or loops for long is handed as it was to pix_FastRow,
// which stops on the same pixel, with the same error, as the plain path.
// Owns: the loops pinned by tests. A PixLanes belongs to one thread of one run.
// Promises: the pixels, result and stop of pix_FastRow over the same pixels. Programs
// with load_pixel are refused (a pixel may read one written before it in its row).
#pragma once
#include <cstdint>
#include "pixcode/pix_fast.h"

const int PIX_LANES = 256;

struct PixLanes;

// Lane registers for `f` (kept by pointer, must outlive them); null when the program
// reads pixels or memory is short: use pix_FastRow then.
PixLanes* pix_LanesCreate(const PixFast* f);
void pix_LanesDestroy(PixLanes* l);

// For tests: pins the loops named "base" or "avx2" for the runs created from now on
// (0 when this machine cannot run them), or with null goes back to the best ones.
int pix_LanesPin(const char* loops);

// pix_FastRow's contract, in segments: pixels x0..x1-1 of row y of `s` (locked);
// `regs` is pix_FastRow's scratch for the segments it takes over.
int pix_LanesRow(PixLanes* l, int32_t* regs, Surface* s, int y, int x0, int x1,
                 PixFastCtl* ctl);
