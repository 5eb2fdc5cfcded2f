// blit_rows.h — internal: one destination row of a transfer, as the set-up in
// blit.cpp hands it to a row kernel. The reference kernels (blit.cpp) define the
// results; any fast kernel must produce the same words for the same job.
#pragma once
#include <cstdint>

struct BlitRow {
    uint32_t* dst;            // destination pixel at column xStart of this row
    const uint32_t* src0;     // source row r0 (column 0)
    const uint32_t* src1;     // source row r1 (bilinear only; == src0 on the last row)
    int count;                // columns xStart..xEnd
    int64_t acc;              // (xStart - dx1) * step: source position of the first column, 16.16
    int64_t step;             // 16.16 horizontal step
    int sx1;                  // source rectangle's left column
    int lastCol;              // source surface's last column (bilinear footprint edge)
    uint32_t fy;              // bilinear vertical fraction 0..255
    int sameWidth;            // sw == dw: column x takes source column x - dx1 + sx1
    unsigned flags;           // BLT_* flags
    const uint32_t* checker;  // checkerboard row (16 words) for this destination row
    int x;                    // destination column of the first pixel (checker phase)
};

typedef void (*BlitRowFn)(const BlitRow& row);

struct BlitKernels {
    BlitRowFn copy, blend, copySmooth, blendSmooth;
};

// Reference kernels: plain loops that define every result.
extern const BlitKernels blt_ReferenceKernels;
// Fastest kernels this processor runs (falls back to the reference ones).
const BlitKernels& blt_FastKernels();
