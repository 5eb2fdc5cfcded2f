// pix_segment_avx2.cpp — the segment runner built for AVX2, eight lanes a step.
// Compiled with -mavx2 (this file only); pix_lanes runs it only where the processor
// and the system support it.
#define PIX_SEGMENT_RUNNER pix_SegmentAvx2
#include "pixcode/pix_segment.cpp"
