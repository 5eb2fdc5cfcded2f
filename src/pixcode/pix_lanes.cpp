// pix_lanes.cpp — lane registers for a run, the choice of segment runner, and rows cut
// into segments.
#include "pixcode/pix_lanes.h"
#include <cstdlib>
#include <cstring>
#include "engine/engine.h"
#include "pixcode/pix_segment.h"

namespace {
const int N = PIX_LANES;

typedef int (*SegmentRunner)(PixLanes*, uint32_t*, int, int, int, uint32_t);
SegmentRunner g_pinned = nullptr;   // set by tests between runs only

SegmentRunner RunnerNamed(const char* loops) {
    if (std::strcmp(loops, "base") == 0) return pix_SegmentBase;
    if (std::strcmp(loops, "avx2") == 0 && eng_HasAvx2()) return pix_SegmentAvx2;
    return nullptr;
}

SegmentRunner Runner() {
    static const SegmentRunner best = eng_HasAvx2() ? pix_SegmentAvx2 : pix_SegmentBase;
    return g_pinned ? g_pinned : best;
}
}  // namespace

int pix_LanesPin(const char* loops) {
    SegmentRunner r = loops ? RunnerNamed(loops) : nullptr;
    if (loops && !r) return 0;
    g_pinned = r;
    return 1;
}

PixLanes* pix_LanesCreate(const PixFast* f) {
    if (f->readsPixels) return nullptr;
    PixLanes* l = (PixLanes*)std::malloc(sizeof(PixLanes));
    if (!l) return nullptr;
    // Aligned by hand: the lanes are loaded as whole vectors.
    l->block = std::malloc((size_t)f->regCount * sizeof(int32_t) * N + 64);
    if (!l->block) {
        std::free(l);
        return nullptr;
    }
    l->store = (int32_t(*)[N])(((uintptr_t)l->block + 63) & ~(uintptr_t)63);
    l->f = f;
    l->run = Runner();
    for (int r = 0; r < f->regCount; r++) {
        l->reg[r] = l->store[r];
        for (int i = 0; i < N; i++) l->store[r][i] = f->regs[r];
    }
    l->readsX = 0;
    for (int k = 0; k < f->opCount; k++) {
        const PixOp& o = f->ops[k];
        l->readsX |= o.a == PIX_X || o.b == PIX_X ||
                     ((o.op == PIX_MIX || o.op == PIX_SWAP) && o.d == PIX_X) || (o.op == PIX_SWAP && o.d2 == PIX_X);
    }
    return l;
}

void pix_LanesDestroy(PixLanes* l) {
    if (!l) return;
    std::free(l->block);
    std::free(l);
}

int pix_LanesRow(PixLanes* l, int32_t* regs, Surface* s, int y, int x0, int x1,
                 PixFastCtl* ctl) {
    uint32_t* row = s->pixels + (size_t)y * s->stride;
    for (int x = x0; x < x1; x += N) {
        int n = x1 - x < N ? x1 - x : N;
        if (pix_FastStopped(ctl, n)) {
            ctl->failX = x;
            return 0;
        }
        if (!l->run(l, row + x, x, y, n, ctl->jumpBudget) &&
            !pix_FastRow(l->f, regs, s, y, x, x + n, ctl))
            return 0;
    }
    return 1;
}
