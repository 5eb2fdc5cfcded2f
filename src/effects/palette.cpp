// palette.cpp — optimised palette and smart dither.
//
// The dither asks for up to two nearest entries per pixel. The plain rule scans all
// entries; the fast path first narrows each 8 x 8 x 8 cell of the colour cube to
// the entries that can be nearest to some colour inside it — those whose least
// distance to the cell does not exceed the smallest greatest distance of any entry —
// and scans only those, closest to the cell first.
#include "effects/palette.h"
#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>
#include "effects/fx_common.h"
#include "engine/engine.h"
#include "platform/ui.h"

namespace {

inline int Sq(int v) { return v * v; }

int NearestRgb(const PalEntry* pal, int count, int r, int g, int b) {
    int best = 0, bestDist = 0x7FFFFFFF;
    for (int i = 0; i < count; i++) {
        int d = Sq(r - pal[i].red) + Sq(g - pal[i].green) + Sq(b - pal[i].blue);
        if (d < bestDist) {
            bestDist = d;
            best = i;
        }
    }
    return best;
}

// The colour cube in cells of 8 x 8 x 8.
const int CELL_SHIFT = 3, CELL_SIDE = 1 << CELL_SHIFT, CELLS_PER_AXIS = 256 >> CELL_SHIFT;
const int CELLS = CELLS_PER_AXIS * CELLS_PER_AXIS * CELLS_PER_AXIS;

inline int CellOf(int r, int g, int b) {
    return ((r >> CELL_SHIFT) * CELLS_PER_AXIS + (g >> CELL_SHIFT)) * CELLS_PER_AXIS + (b >> CELL_SHIFT);
}

// Per cell: the entries that can be nearest to a colour inside it, with their least
// distance to the cell, closest first.
struct CellIndex {
    std::vector<uint32_t> start;   // CELLS + 1 offsets into the lists
    std::vector<uint8_t> entry;
    std::vector<int> near;
};

// Per channel: least and greatest distance from value v to the cell [lo, lo + side - 1].
inline int Near(int v, int lo) { return v < lo ? lo - v : (v > lo + CELL_SIDE - 1 ? v - lo - CELL_SIDE + 1 : 0); }
inline int Far(int v, int lo) { return v - lo > lo + CELL_SIDE - 1 - v ? v - lo : lo + CELL_SIDE - 1 - v; }

void BuildCells(const PalEntry* pal, int count, CellIndex* ci) {
    // Cells are independent: lists are made in parallel, then laid end to end.
    std::vector<std::vector<std::pair<int, int>>> lists((size_t)CELLS);
    fx_Split(CELLS, 4096, [&](int from, int to) {
        for (int cell = from; cell < to; cell++) {
            const int lr = (cell / (CELLS_PER_AXIS * CELLS_PER_AXIS)) << CELL_SHIFT;
            const int lg = ((cell / CELLS_PER_AXIS) % CELLS_PER_AXIS) << CELL_SHIFT;
            const int lb = (cell % CELLS_PER_AXIS) << CELL_SHIFT;
            int bound = 0x7FFFFFFF;
            for (int i = 0; i < count; i++) {
                int far = Sq(Far(pal[i].red, lr)) + Sq(Far(pal[i].green, lg)) + Sq(Far(pal[i].blue, lb));
                bound = far < bound ? far : bound;
            }
            std::vector<std::pair<int, int>>& found = lists[cell];
            for (int i = 0; i < count; i++) {
                int near = Sq(Near(pal[i].red, lr)) + Sq(Near(pal[i].green, lg)) + Sq(Near(pal[i].blue, lb));
                if (near <= bound) found.push_back({near, i});
            }
            std::sort(found.begin(), found.end());
        }
    });
    ci->start.assign((size_t)CELLS + 1, 0);
    for (int cell = 0; cell < CELLS; cell++) {
        ci->start[cell] = (uint32_t)ci->entry.size();
        for (auto& f : lists[cell]) {
            ci->entry.push_back((uint8_t)f.second);
            ci->near.push_back(f.first);
        }
    }
    ci->start[CELLS] = (uint32_t)ci->entry.size();
}

// Closest candidates first; none further on can come nearer than its least distance
// to the cell, so the scan stops once that exceeds the best distance found. An equal
// distance goes to the lower index, as in the full scan.
inline int NearestInCell(const PalEntry* pal, const CellIndex& ci, int r, int g, int b) {
    const int cell = CellOf(r, g, b);
    int best = 0, bestDist = 0x7FFFFFFF;
    for (uint32_t k = ci.start[cell]; k < ci.start[cell + 1] && ci.near[k] <= bestDist; k++) {
        const int i = ci.entry[k];
        const PalEntry& e = pal[i];
        int d = Sq(r - e.red) + Sq(g - e.green) + Sq(b - e.blue);
        if (d < bestDist || (d == bestDist && i < best)) {
            bestDist = d;
            best = i;
        }
    }
    return best;
}

inline int Mirror(int c, int p) {
    int m = 2 * c - p;
    return m < 0 ? 0 : (m > 255 ? 255 : m);
}

}  // namespace

int pal_BuildOptimised(Surface* s, int maxColours, int depth, PalEntry* out) {
    return oct_BuildPalette(s, maxColours, depth, out);
}

int pal_Nearest(const PalEntry* pal, int count, uint32_t colour) {
    if (!pal || count < 1) return 0;
    return NearestRgb(pal, count, (int)(colour & 0xFF), (int)((colour >> 8) & 0xFF), (int)((colour >> 16) & 0xFF));
}

int pal_SmartDither(Surface* s) {
    PalEntry pal[256];
    const int count = pal_BuildOptimised(s, 256, 6, pal);
    if (count < 1) {
        ui_MessageBox("Could not create optimized palette!!", "Color Engine Error", UI_OK | UI_ICONWARNING | UI_TASKMODAL);
        return 0;
    }
    if (!srf_Lock(s)) return 0;
    uint32_t word[256];
    for (int i = 0; i < count; i++) word[i] = ((uint32_t)pal[i].red << 16) | ((uint32_t)pal[i].green << 8) | pal[i].blue;
    const bool reference = eng_ReferenceForced() != 0;
    CellIndex cells;
    if (!reference) BuildCells(pal, count, &cells);
    fx_Split((int)s->height, fx_RowsPerThread(s), [&](int from, int to) {
        for (int y = from; y < to; y++) {
            uint32_t* row = s->pixels + (size_t)y * s->stride;
            for (int x = 0; x < (int)s->width; x++) {
                const uint32_t p = row[x];
                const int r = (int)((p >> 16) & 0xFF), g = (int)((p >> 8) & 0xFF), b = (int)(p & 0xFF);
                int i = reference ? NearestRgb(pal, count, r, g, b) : NearestInCell(pal, cells, r, g, b);
                if ((x + y) & 1) {
                    const int mr = Mirror(r, pal[i].red), mg = Mirror(g, pal[i].green), mb = Mirror(b, pal[i].blue);
                    i = reference ? NearestRgb(pal, count, mr, mg, mb) : NearestInCell(pal, cells, mr, mg, mb);
                }
                row[x] = word[i];
            }
        }
    });
    srf_Unlock(s);
    return 1;
}
