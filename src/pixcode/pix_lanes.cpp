// pix_lanes.cpp — lane registers, the lane scheduler and one loop per instruction.
#include "pixcode/pix_lanes.h"
#include <climits>
#include <cstdlib>
#include <cstring>
#include "engine/color.h"
#include "engine/pixel.h"

namespace {
const int N = PIX_LANES;
const int32_t DONE = INT32_MAX;   // a lane past `exit`
// Jumps a segment may run before pix_FastRow takes it over: long loops gain little
// from lanes, and a later pixel's long loop must not delay an earlier one's error.
const int SEGMENT_JUMPS = 4096;
}  // namespace

struct PixLanes {
    const PixFast* f;
    void* block;                   // holds `store`
    int32_t (*store)[N];           // every register's lanes; constants filled once
    int32_t* reg[PIX_REGISTERS];   // where a register's lanes are now: swap renames
    uint32_t readVars;             // variables some instruction reads
    int32_t pc[N];                 // instruction a lane waits at, DONE past exit
    int32_t act[N];                // -1 for the lanes running this instruction
    uint32_t jumps[N];             // taken jumps of the lane's pixel
    int ip, waitAt, full;          // running instruction, next one a lane waits at
};

namespace {
// Runs the lowest instruction any lane waits at; 0 when every lane is done. Plain
// loops over all lanes, so that they vectorise.
int Schedule(PixLanes* l) {
    int32_t lo = DONE;
    for (int i = 0; i < N; i++) lo = l->pc[i] < lo ? l->pc[i] : lo;
    if (lo == DONE) return 0;
    int32_t wait = DONE, all = -1;
    for (int i = 0; i < N; i++) {
        int32_t on = -(int32_t)(l->pc[i] == lo);
        l->act[i] = on;
        all &= on;
        int32_t w = on ? DONE : l->pc[i];
        wait = w < wait ? w : wait;
    }
    l->ip = lo;
    l->waitAt = wait;
    l->full = all != 0;
    return 1;
}

// Running lanes move on to `to` (a jump's lanes have set their own pc already).
int Advance(PixLanes* l, int to) {
    l->ip = to;
    if (to < l->waitAt) return 1;
    for (int i = 0; i < N; i++)
        if (l->act[i]) l->pc[i] = to;
    return Schedule(l);
}

int32_t MixLane(int32_t weight, int32_t a, int32_t b) {
    uint32_t t = clr_LerpWeight((uint32_t)(weight < 0 ? 0 : weight), 1000);
    return (int32_t)px_Mix16((uint32_t)a, t, (uint32_t)b);
}

void StartSegment(PixLanes* l, const uint32_t* px, int x, int y, int n) {
    int32_t** R = l->reg;
    for (int v = 0; v < PIX_VARIABLES; v++) R[v] = l->store[v];
    int32_t *blue = R[PIX_BLUE], *green = R[PIX_GREEN], *red = R[PIX_RED], *alpha = R[PIX_ALPHA];
    for (int i = 0; i < n; i++) {
        uint32_t p = px[i];
        blue[i] = (int32_t)(p & 0xFF);
        green[i] = (int32_t)((p >> 8) & 0xFF);
        red[i] = (int32_t)((p >> 16) & 0xFF);
        alpha[i] = (int32_t)(p >> 24);
    }
    for (int v = PIX_X; v < PIX_VARIABLES; v++) {
        if (!(l->readVars >> v & 1)) continue;   // written before it is read, if at all
        int32_t* r = R[v];
        if (v == PIX_X) for (int i = 0; i < N; i++) r[i] = x + i;
        else if (v == PIX_Y) for (int i = 0; i < N; i++) r[i] = y;
        else std::memset(r, 0, sizeof(int32_t) * N);
    }
    std::memset(l->jumps, 0, sizeof l->jumps);
    if (n == N) {   // every lane runs from the first instruction; a lane's pc is the ip
        for (int i = 0; i < N; i++) l->act[i] = -1;
        l->ip = 0;
        l->waitAt = DONE;
        l->full = 1;
        return;
    }
    for (int i = 0; i < N; i++) l->pc[i] = i < n ? 0 : DONE;
    Schedule(l);
}

// Every result of the instruction, kept only in the running lanes.
#define LANES(expr)                                                                   \
    do {                                                                              \
        if (full) {                                                                   \
            for (int i = 0; i < N; i++) D[i] = (expr);                                \
        } else {                                                                      \
            for (int i = 0; i < N; i++) {                                             \
                int32_t r_ = (expr);                                                  \
                D[i] = (r_ & act[i]) | (D[i] & ~act[i]);                              \
            }                                                                         \
        }                                                                             \
    } while (0)

// 1 with the segment's pixels written; 0 when pix_FastRow must run it instead.
int RunSegment(PixLanes* l, uint32_t* px, int x, int y, int n, uint32_t jumpBudget) {
    StartSegment(l, px, x, y, n);
    int32_t** R = l->reg;
    const int32_t* act = l->act;
    int jumpsLeft = SEGMENT_JUMPS;
    for (;;) {
        const PixOp& o = l->f->ops[l->ip];
        int32_t* D = R[o.d];
        const int32_t* a = R[o.a];
        const int32_t* b = R[o.b];
        const int full = l->full;
        switch (o.op) {
        case PIX_ADD: LANES((int32_t)((uint32_t)a[i] + (uint32_t)b[i])); break;
        case PIX_SUBTRACT: LANES((int32_t)((uint32_t)a[i] - (uint32_t)b[i])); break;
        case PIX_MULTIPLY: LANES((int32_t)((uint32_t)a[i] * (uint32_t)b[i])); break;
        case PIX_SHIFT_LEFT:
            if (o.b >= PIX_VARIABLES) {   // one count for every lane
                int k = b[0] & 31;
                LANES((int32_t)((uint32_t)a[i] << k));
            } else {
                LANES((int32_t)((uint32_t)a[i] << (b[i] & 31)));
            }
            break;
        case PIX_SHIFT_RIGHT:
            if (o.b >= PIX_VARIABLES) {
                int k = b[0] & 31;
                LANES(a[i] >> k);
            } else {
                LANES(a[i] >> (b[i] & 31));
            }
            break;
        case PIX_AND: LANES(a[i] & b[i]); break;
        case PIX_OR: LANES(a[i] | b[i]); break;
        case PIX_XOR: LANES(a[i] ^ b[i]); break;
        case PIX_NOT: LANES((int32_t)(a[i] == 0)); break;
        case PIX_COMPARE_EQUAL: LANES((int32_t)(a[i] == b[i])); break;
        case PIX_COMPARE_LESS: LANES((int32_t)(a[i] < b[i])); break;
        case PIX_COMPARE_MORE: LANES((int32_t)(a[i] > b[i])); break;
        case PIX_COPY: LANES(a[i]); break;
        case PIX_MIX: LANES(MixLane(D[i], a[i], b[i])); break;
        case PIX_DIVIDE:
        case PIX_MODULUS:
            for (int i = 0; i < N; i++)
                if (act[i] && (b[i] == 0 || (a[i] == INT32_MIN && b[i] == -1))) return 0;
            for (int i = 0; i < N; i++)
                if (act[i]) D[i] = o.op == PIX_DIVIDE ? a[i] / b[i] : a[i] % b[i];
            break;
        case PIX_SWAP:
            if (full) {
                R[o.d] = R[o.d2];
                R[o.d2] = D;
            } else {
                int32_t* E = R[o.d2];
                for (int i = 0; i < N; i++) {
                    int32_t t = D[i];
                    D[i] = (E[i] & act[i]) | (t & ~act[i]);
                    E[i] = (t & act[i]) | (E[i] & ~act[i]);
                }
            }
            break;
        case PIX_LABEL: break;
        case PIX_GOTO:
        case PIX_GOTOIF: {
            if (--jumpsLeft < 0) return 0;
            const int32_t target = o.aux, fall = l->ip + 1, always = o.op == PIX_GOTO;
            int32_t over = 0, taken = 0;
            for (int i = 0; i < N; i++) {
                int32_t t = act[i] & -(int32_t)(always | (a[i] != 0));
                l->jumps[i] += (uint32_t)t & 1;
                over |= -(int32_t)(jumpBudget && l->jumps[i] > jumpBudget);
                taken += t & 1;
            }
            if (over) return 0;
            if (full && (taken == N || taken == 0)) {   // the lanes stay together
                l->ip = taken ? target : fall;
                continue;
            }
            for (int i = 0; i < N; i++) {
                int32_t t = act[i] & -(int32_t)(always | (a[i] != 0));
                l->pc[i] = t ? target : (act[i] ? fall : l->pc[i]);
            }
            Schedule(l);
            continue;
        }
        case PIX_EXIT:
            if (!full) {
                for (int i = 0; i < N; i++) l->pc[i] = act[i] ? DONE : l->pc[i];
                if (Schedule(l)) continue;
            }
            for (int i = 0; i < n; i++)
                px[i] = pix_PackBytes(R[PIX_BLUE][i], R[PIX_GREEN][i], R[PIX_RED][i], R[PIX_ALPHA][i]);
            return 1;
        default: return 0;   // a fault: pix_FastRow reports it on its pixel
        }
        Advance(l, l->ip + 1);
    }
}
#undef LANES
}  // namespace

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
    for (int r = 0; r < f->regCount; r++) {
        l->reg[r] = l->store[r];
        for (int i = 0; i < N; i++) l->store[r][i] = f->regs[r];
    }
    l->readVars = 0;
    for (int k = 0; k < f->opCount; k++) {
        const PixOp& o = f->ops[k];
        int read[4] = {o.a, o.b, o.op == PIX_MIX || o.op == PIX_SWAP ? o.d : 0, o.op == PIX_SWAP ? o.d2 : 0};
        for (int r : read)
            if (r < PIX_VARIABLES) l->readVars |= 1u << r;
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
        if (!RunSegment(l, row + x, x, y, n, ctl->jumpBudget) &&
            !pix_FastRow(l->f, regs, s, y, x, x + n, ctl))
            return 0;
    }
    return 1;
}
