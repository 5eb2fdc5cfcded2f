// fx_pixelate.cpp — block means; bands of block rows are independent.
#include "effects/fx_pixelate.h"
#include <cstddef>
#include <vector>
#include "effects/fx_common.h"

int fx_Pixelate(Surface* s, int level) {
    const int b = fx_ClampLevel(level) / 50 + 1;
    if (!srf_Lock(s)) return 0;
    const int w = (int)s->width, h = (int)s->height;
    if (b > 1) {
        const int blocksDown = (h + b - 1) / b, blocksAcross = (w + b - 1) / b;
        fx_Split(blocksDown, fx_RowsPerThread(s) / b + 1, [&](int from, int to) {
            std::vector<uint32_t> sums((size_t)blocksAcross * 3);
            for (int by = from; by < to; by++) {
                const int y0 = by * b, y1 = y0 + b < h ? y0 + b : h;
                for (uint32_t& v : sums) v = 0;   // 21 * 21 * 255 fits easily
                for (int y = y0; y < y1; y++) {
                    const uint32_t* row = s->pixels + (size_t)y * s->stride;
                    uint32_t* acc = sums.data();
                    for (int x = 0, inBlock = 0; x < w; x++) {
                        uint32_t p = row[x];
                        acc[0] += p & 0xFF;
                        acc[1] += (p >> 8) & 0xFF;
                        acc[2] += (p >> 16) & 0xFF;
                        if (++inBlock == b) {
                            inBlock = 0;
                            acc += 3;
                        }
                    }
                }
                for (int bx = 0; bx < blocksAcross; bx++) {
                    const int x0 = bx * b, x1 = x0 + b < w ? x0 + b : w;
                    const uint32_t n = (uint32_t)((x1 - x0) * (y1 - y0));
                    const uint32_t* acc = &sums[(size_t)bx * 3];
                    const uint32_t rgb = (acc[0] / n) | ((acc[1] / n) << 8) | ((acc[2] / n) << 16);
                    for (int y = y0; y < y1; y++) {
                        uint32_t* row = s->pixels + (size_t)y * s->stride;
                        for (int x = x0; x < x1; x++) row[x] = (row[x] & 0xFF000000u) | rgb;
                    }
                }
            }
        });
    }
    srf_Unlock(s);
    return 1;
}
