// pix_segment.cpp — the lane scheduler and one loop per instruction, over the lanes of
// one segment. Plain loops over all lanes, written for the compiler to vectorise; this
// source is also built with AVX2 by pix_segment_avx2.cpp, under another runner name.
#include "pixcode/pix_segment.h"
#include <cassert>
#include <climits>
#include <cstring>
#include "engine/color.h"
#include "engine/pixel.h"

#ifndef PIX_SEGMENT_RUNNER
#define PIX_SEGMENT_RUNNER pix_SegmentBase
#endif

namespace {
const int N = PIX_LANES;
const int32_t DONE = INT32_MAX;   // a lane past `exit`
// Jumps a segment may run before pix_FastRow takes it over: long loops gain little
// from lanes, and a later pixel's long loop must not delay an earlier one's error.
// Fuzz builds set fewer: the same hand-over, without thousands of lane steps per run.
#ifndef PIX_SEGMENT_JUMPS
#define PIX_SEGMENT_JUMPS 4096
#endif
const int SEGMENT_JUMPS = PIX_SEGMENT_JUMPS;
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

enum { LANES_ONLY, UNIFORM, CHANNEL };

inline int IsUniform(const PixLanes* l, int r) { return r >= PIX_VARIABLES || l->kind[r] == UNIFORM; }
inline int32_t UniformValue(const PixLanes* l, int r) {
    return r >= PIX_VARIABLES ? l->f->regs[r] : l->uval[r];
}
void SetKind(PixLanes* l, int r, int kind, int32_t v) {
    assert(r < PIX_VARIABLES);
    l->kind[r] = (uint8_t)kind;
    l->uval[r] = v;
    l->lanesOk[r] = 0;
}
// The register's lanes, filled from its one value when they are out of date.
int32_t* Lanes(PixLanes* l, int r) {
    int32_t* p = l->reg[r];
    if (r < PIX_VARIABLES && !l->lanesOk[r]) {
        const int32_t v = l->uval[r];
        if (l->kind[r] == UNIFORM) {
            for (int i = 0; i < N; i++) p[i] = v;
        } else {   // lanes past the segment's end are never written back
            const uint32_t* px = l->px;
            const int n = l->n;
            for (int i = 0; i < n; i++) p[i] = (int32_t)(px[i] >> (8 * v) & 0xFF);
            for (int i = n; i < N; i++) p[i] = 0;
        }
        l->lanesOk[r] = 1;
    }
    return p;
}
// Lanes about to be written lane by lane; the old values matter only to the lanes
// that do not run (or to mix, which reads its destination).
int32_t* Destination(PixLanes* l, int r, int keepOld) {
    assert(r < PIX_VARIABLES);
    int32_t* p = keepOld ? Lanes(l, r) : l->reg[r];
    l->kind[r] = LANES_ONLY;
    l->lanesOk[r] = 1;
    return p;
}

void StartSegment(PixLanes* l, const uint32_t* px, int x, int y, int n, uint32_t jumpBudget) {
    int32_t** R = l->reg;
    for (int v = 0; v < PIX_VARIABLES; v++) {
        R[v] = l->store[v];
        SetKind(l, v, v <= PIX_ALPHA ? CHANNEL : UNIFORM, v <= PIX_ALPHA ? v : (v == PIX_Y ? y : 0));
    }
    l->px = px;
    l->n = n;
    if (l->readsX) {
        int32_t* xs = Destination(l, PIX_X, 0);
        for (int i = 0; i < N; i++) xs[i] = x + i;
    }
    if (jumpBudget) std::memset(l->jumps, 0, sizeof l->jumps);
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

// One instruction of sources x and y (and destination d for mix): once when all
// lanes run and its sources are uniform, else lane by lane, kept only in the
// running lanes. `kernel` sees x, y, d (and i) for every lane.
#define LANEWISE(kernel)                                                                  \
    do {                                                                                  \
        const int32_t* A = Lanes(l, o.a);                                                 \
        const int32_t* B = Lanes(l, o.b);                                                 \
        int32_t* D = Destination(l, o.d, !full || o.op == PIX_MIX);                       \
        if (full) {                                                                       \
            for (int i = 0; i < N; i++) {                                                 \
                const int32_t x = A[i], y = B[i], d = D[i];                               \
                (void)y, (void)d;                                                         \
                D[i] = (kernel);                                                          \
            }                                                                             \
        } else {                                                                          \
            for (int i = 0; i < N; i++) {                                                 \
                const int32_t x = A[i], y = B[i], d = D[i];                               \
                (void)y;                                                                  \
                int32_t r_ = (kernel);                                                    \
                D[i] = (r_ & act[i]) | (d & ~act[i]);                                     \
            }                                                                             \
        }                                                                                 \
    } while (0)

#define INSTRUCTION(kernel)                                                               \
    do {                                                                                  \
        if (full && IsUniform(l, o.a) && IsUniform(l, o.b) &&                             \
            (o.op != PIX_MIX || IsUniform(l, o.d))) {                                     \
            const int32_t x = UniformValue(l, o.a), y = UniformValue(l, o.b);             \
            const int32_t d = o.op == PIX_MIX ? UniformValue(l, o.d) : 0;                 \
            (void)y, (void)d;                                                             \
            SetKind(l, o.d, UNIFORM, (kernel));                                                 \
        } else {                                                                          \
            LANEWISE(kernel);                                                             \
        }                                                                                 \
    } while (0)

// The pixels from the four colour variables: a channel still in the pixels moves as
// a byte, one in lanes is held to 0..255; one pass per channel that is not in place.
void WriteBack(PixLanes* l, uint32_t* px, int n) {
    uint32_t out[N], keep = 0;
    int moved = 0;
    for (int c = PIX_BLUE; c <= PIX_ALPHA; c++) {
        if (l->kind[c] == CHANNEL && l->uval[c] == c) keep |= 0xFFu << (8 * c);
        moved += l->kind[c] == CHANNEL;
    }
    if (moved == 4) {   // the channels only changed places: one pass
        const int b = 8 * l->uval[PIX_BLUE], g = 8 * l->uval[PIX_GREEN];
        const int r = 8 * l->uval[PIX_RED], a = 8 * l->uval[PIX_ALPHA];
        for (int i = 0; i < n; i++) {
            const uint32_t p = px[i];
            px[i] = (p >> b & 0xFF) | (p >> g & 0xFF) << 8 | (p >> r & 0xFF) << 16 | (p >> a & 0xFF) << 24;
        }
        return;
    }
    for (int i = 0; i < n; i++) out[i] = px[i] & keep;
    for (int c = PIX_BLUE; c <= PIX_ALPHA; c++) {
        const int shift = 8 * c;
        if (keep >> shift & 0xFF) continue;
        if (l->kind[c] == CHANNEL) {
            const int from = 8 * l->uval[c];
            for (int i = 0; i < n; i++) out[i] |= (px[i] >> from & 0xFF) << shift;
        } else {
            const int32_t* v = Lanes(l, c);
            for (int i = 0; i < n; i++) out[i] |= pix_ChannelByte(v[i]) << shift;
        }
    }
    std::memcpy(px, out, sizeof(uint32_t) * n);
}

int32_t MixWith(uint32_t t, int32_t a, int32_t b) { return (int32_t)px_Mix16((uint32_t)a, t, (uint32_t)b); }
uint32_t MixWeight(int32_t weight) { return clr_LerpWeight((uint32_t)(weight < 0 ? 0 : weight), 1000); }

// 1 with the segment's pixels written; 0 when pix_FastRow must run it instead.
int RunSegment(PixLanes* l, uint32_t* px, int x, int y, int n, uint32_t jumpBudget) {
    StartSegment(l, px, x, y, n, jumpBudget);
    int32_t** R = l->reg;
    const int32_t* act = l->act;
    int jumpsLeft = SEGMENT_JUMPS;
    for (;;) {
        const PixOp& o = l->f->ops[l->ip];
        const int full = l->full;
        switch (o.op) {
        case PIX_ADD: INSTRUCTION((int32_t)((uint32_t)x + (uint32_t)y)); break;
        case PIX_SUBTRACT: INSTRUCTION((int32_t)((uint32_t)x - (uint32_t)y)); break;
        case PIX_MULTIPLY: INSTRUCTION((int32_t)((uint32_t)x * (uint32_t)y)); break;
        case PIX_SHIFT_LEFT:
        case PIX_SHIFT_RIGHT:
            if (!IsUniform(l, o.b)) {
                if (o.op == PIX_SHIFT_LEFT) INSTRUCTION((int32_t)((uint32_t)x << (y & 31)));
                else INSTRUCTION(x >> (y & 31));
            } else {   // one count for every lane vectorises
                const int k = UniformValue(l, o.b) & 31;
                if (o.op == PIX_SHIFT_LEFT) INSTRUCTION((int32_t)((uint32_t)x << k));
                else INSTRUCTION(x >> k);
            }
            break;
        case PIX_AND: INSTRUCTION(x & y); break;
        case PIX_OR: INSTRUCTION(x | y); break;
        case PIX_XOR: INSTRUCTION(x ^ y); break;
        case PIX_NOT: INSTRUCTION((int32_t)(x == 0)); break;
        case PIX_COMPARE_EQUAL: INSTRUCTION((int32_t)(x == y)); break;
        case PIX_COMPARE_LESS: INSTRUCTION((int32_t)(x < y)); break;
        case PIX_COMPARE_MORE: INSTRUCTION((int32_t)(x > y)); break;
        case PIX_COPY:
            if (full && o.a < PIX_VARIABLES && l->kind[o.a] == CHANNEL) SetKind(l, o.d, CHANNEL, l->uval[o.a]);
            else INSTRUCTION(x);
            break;
        case PIX_MIX:
            if (IsUniform(l, o.d)) {   // one weight: its step is worked out once
                const uint32_t t = MixWeight(UniformValue(l, o.d));
                const int32_t* A = Lanes(l, o.a);
                const int32_t* B = Lanes(l, o.b);
                uint32_t bits = 0;
                for (int i = 0; i < N; i++) bits |= (uint32_t)(A[i] | B[i]);
                if (bits <= 0xFF) INSTRUCTION((int32_t)px_Mix16Byte((uint32_t)x, t, (uint32_t)y));
                else INSTRUCTION(MixWith(t, x, y));
            } else {
                INSTRUCTION(MixWith(MixWeight(d), x, y));
            }
            break;
        case PIX_DIVIDE:
        case PIX_MODULUS: {
            const int32_t* A = Lanes(l, o.a);
            const int32_t* B = Lanes(l, o.b);
            for (int i = 0; i < N; i++)
                if (act[i] && (B[i] == 0 || (A[i] == INT32_MIN && B[i] == -1))) return 0;
            int32_t* D = Destination(l, o.d, 1);
            for (int i = 0; i < N; i++)
                if (act[i]) D[i] = o.op == PIX_DIVIDE ? A[i] / B[i] : A[i] % B[i];
            break;
        }
        case PIX_SWAP:
            if (full) {   // the registers change names
                int32_t* p = R[o.d];
                R[o.d] = R[o.d2];
                R[o.d2] = p;
                int32_t v = l->uval[o.d];
                l->uval[o.d] = l->uval[o.d2];
                l->uval[o.d2] = v;
                uint8_t u = l->kind[o.d], k = l->lanesOk[o.d];
                l->kind[o.d] = l->kind[o.d2];
                l->lanesOk[o.d] = l->lanesOk[o.d2];
                l->kind[o.d2] = u;
                l->lanesOk[o.d2] = k;
            } else {
                int32_t* D = Destination(l, o.d, 1);
                int32_t* E = Destination(l, o.d2, 1);
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
            const int32_t target = o.aux, fall = l->ip + 1;
            if (full && (o.op == PIX_GOTO || IsUniform(l, o.a))) {   // the lanes stay together
                const uint32_t taken = o.op == PIX_GOTO || UniformValue(l, o.a) != 0;
                if (jumpBudget && taken)
                    for (int i = 0; i < N; i++)
                        if (++l->jumps[i] > jumpBudget) return 0;
                l->ip = taken ? target : fall;
                continue;
            }
            const int32_t* A = Lanes(l, o.a);
            const int32_t always = o.op == PIX_GOTO;
            int32_t over = 0, taken = 0;
            for (int i = 0; i < N; i++) {
                int32_t t = act[i] & -(int32_t)(always | (A[i] != 0));
                l->jumps[i] += (uint32_t)t & 1;
                over |= -(int32_t)(jumpBudget && l->jumps[i] > jumpBudget);
                taken += t & 1;
            }
            if (over) return 0;
            if (full && (taken == N || taken == 0)) {
                l->ip = taken ? target : fall;
                continue;
            }
            for (int i = 0; i < N; i++) {
                int32_t t = act[i] & -(int32_t)(always | (A[i] != 0));
                l->pc[i] = t ? target : (act[i] ? fall : l->pc[i]);
            }
            Schedule(l);
            continue;
        }
        case PIX_EXIT: {
            if (!full) {
                for (int i = 0; i < N; i++) l->pc[i] = act[i] ? DONE : l->pc[i];
                if (Schedule(l)) continue;
            }
            WriteBack(l, px, n);
            return 1;
        }
        default: return 0;   // a fault: pix_FastRow reports it on its pixel
        }
        Advance(l, l->ip + 1);
    }
}
#undef INSTRUCTION
#undef LANEWISE
}  // namespace

int PIX_SEGMENT_RUNNER(PixLanes* l, uint32_t* px, int x, int y, int n, uint32_t jumpBudget) {
    return RunSegment(l, px, x, y, n, jumpBudget);
}
