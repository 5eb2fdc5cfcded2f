// reduce.cpp — the block average of reduce.h.
#include "engine/reduce.h"

#include <algorithm>
#include <vector>

namespace {

// Two channels per 32-bit word, 16 bits apart: a block holds at most 16 x 16 pixels,
// so a lane sums to at most 256 * 255 plus the half for rounding, below 65536.
const uint32_t LANES = 0x00FF00FFu;

// (lane + n / 2) / n in both lanes; a power-of-two count (every whole block) shifts.
uint32_t LaneAverage(uint32_t sum, uint32_t n, int shift) {
    uint32_t lo = (sum & 0xFFFFu) + n / 2, hi = (sum >> 16) + n / 2;
    if (shift >= 0) return (lo >> shift) | ((hi >> shift) << 16);
    return (lo / n) | ((hi / n) << 16);
}

int Min(int a, int b) { return a < b ? a : b; }
int Max(int a, int b) { return a > b ? a : b; }

}  // namespace

int red_Size(int n, int shrink) { return shrink < 1 ? n : (n + shrink - 1) / shrink; }

int red_Average(Surface* dst, Surface* src, int shrink, int x1, int y1, int x2, int y2) {
    if (shrink < 1 || shrink > RED_MAX_SHRINK) return 0;
    if (!srf_Lock(dst)) return 0;
    if (!srf_Lock(src)) {
        srf_Unlock(dst);
        return 0;
    }
    const int sw = (int)src->width, sh = (int)src->height, s = shrink;
    x1 = Max(x1, 0);
    y1 = Max(y1, 0);
    x2 = Min(x2, Min((int)dst->width, red_Size(sw, s)) - 1);
    y2 = Min(y2, Min((int)dst->height, red_Size(sh, s)) - 1);
    if (x1 <= x2 && y1 <= y2) {
        const int n = x2 - x1 + 1;
        std::vector<uint32_t> rb(n), ag(n);
        for (int y = y1; y <= y2; y++) {
            const int rowFirst = y * s, rowEnd = Min(rowFirst + s, sh);
            std::fill(rb.begin(), rb.end(), 0u);
            std::fill(ag.begin(), ag.end(), 0u);
            for (int sy = rowFirst; sy < rowEnd; sy++) {
                const uint32_t* row = src->pixels + (size_t)sy * src->stride;
                for (int i = 0; i < n; i++) {
                    const int colFirst = (x1 + i) * s, colEnd = Min(colFirst + s, sw);
                    uint32_t a = 0, b = 0;
                    for (int sx = colFirst; sx < colEnd; sx++) {
                        a += row[sx] & LANES;
                        b += (row[sx] >> 8) & LANES;
                    }
                    rb[i] += a;
                    ag[i] += b;
                }
            }
            uint32_t* out = dst->pixels + (size_t)y * dst->stride + x1;
            for (int i = 0; i < n; i++) {
                const int cols = Min((x1 + i) * s + s, sw) - (x1 + i) * s;
                const uint32_t count = (uint32_t)(cols * (rowEnd - rowFirst));
                const int shift = (count & (count - 1)) == 0 ? __builtin_ctz(count) : -1;
                out[i] = LaneAverage(rb[i], count, shift) | (LaneAverage(ag[i], count, shift) << 8);
            }
        }
    }
    srf_Unlock(src);
    srf_Unlock(dst);
    return 1;
}
