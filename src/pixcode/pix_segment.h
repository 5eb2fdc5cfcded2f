// pix_segment.h — internal to the lane interpreter: the lane registers and the runner
// of one segment of a row. The runner is built twice from the same source: for the
// x86-64 baseline (pix_segment.cpp, four lanes a step) and for AVX2
// (pix_segment_avx2.cpp, eight); pix_lanes picks one per run.
#pragma once
#include <cstdint>
#include "pixcode/pix_lanes.h"

struct PixLanes {
    const PixFast* f;
    void* block;                   // holds `store`
    int32_t (*store)[PIX_LANES];   // every register's lanes; constants filled once
    int32_t* reg[PIX_REGISTERS];   // where a register's lanes are now: swap renames
    // A variable the same in every lane (a counter, a weight) is kept as one value,
    // one still equal to a channel of the pixels as that channel's number; its lanes
    // are filled only when a lane-wise instruction needs them.
    int32_t uval[PIX_VARIABLES];
    uint8_t kind[PIX_VARIABLES], lanesOk[PIX_VARIABLES];
    const uint32_t* px;            // the segment's pixels, as they were
    int readsX;
    int n;                         // pixels in the segment
    int32_t pc[PIX_LANES];         // instruction a lane waits at, INT32_MAX past exit
    int32_t act[PIX_LANES];        // -1 for the lanes running this instruction
    uint32_t jumps[PIX_LANES];     // taken jumps of the lane's pixel
    int ip, waitAt, full;          // running instruction, next one a lane waits at
    int (*run)(PixLanes*, uint32_t*, int, int, int, uint32_t);   // one of the runners below
};

// Runs pixels px[0..n-1] (n <= PIX_LANES; columns x.. of row y) to `exit` and writes
// them: 1. 0 with nothing written when some pixel fails, runs out of its jump budget
// or the segment loops for long: pix_FastRow must run it then.
int pix_SegmentBase(PixLanes* l, uint32_t* px, int x, int y, int n, uint32_t jumpBudget);
int pix_SegmentAvx2(PixLanes* l, uint32_t* px, int x, int y, int n, uint32_t jumpBudget);
