// pix_fast.h — the pre-decoded interpreter: the cells of a compiled program turned
// once into instructions whose operands are register numbers, run with threaded
// dispatch a whole row at a time.
//
// Registers 0..15 are the variables; every operand that is not a variable becomes a
// register of its own holding the cell's value, so no instruction tests operand
// kinds. Checks that depend only on the cells are made while decoding: an
// instruction that would fail becomes a FAIL instruction that reports the same error
// when (and only when) it is reached. Jumps go straight past their label.
// Promises: every pixel, error, budget stop and visiting order is that of
// pix_Execute; decoding fails (use pix_Execute) only when the jump table does not
// belong to the cells.
#pragma once
#include <atomic>
#include <cstdint>
#include "pixcode/pix_exec.h"

const int PIX_FAIL = PIX_FUNCTION;   // decoded-only instruction: report aux and stop
// Operand cells never outnumber the cells, plus the few an instruction at the very end
// reads past them.
const int PIX_REGISTERS = PIX_VARIABLES + PIX_CELLS + 4;

struct PixOp {
    uint8_t op;       // command number, or PIX_FAIL
    uint8_t d;        // destination (and second variable of swap)
    uint8_t d2;
    uint8_t cmd;      // command named in an error message
    uint16_t a, b;    // source registers
    uint16_t aux;     // jump target instruction, or the PixError of a FAIL
};

struct PixFast {
    PixOp ops[PIX_CELLS + 1];
    int opCount;
    int regCount;
    int32_t regs[PIX_REGISTERS];   // template: variables 0, then the constants
    int readsPixels;               // has load_pixel
    int canFail;                   // some pixel may end in an error
};

// How a row run is stopped and what stopped it. The main thread asks the seam about
// Escape (through m) and raises `stop`; other threads only read `stop`.
struct PixFastCtl {
    PixMachine* m;                 // main thread only, else null
    std::atomic<int>* stop;
    uint32_t jumpBudget;           // taken jumps per pixel, 0 = no limit
    int countdown;
    int reason;                    // PixStop after a failed row
    int error, command;            // the PixError when reason is PIX_STOP_ERROR
    int failX;                     // column of the pixel that failed
};

// Counted on every pixel and every taken jump (`steps` at a time): now and then the
// main thread asks about Escape, and every thread looks at the shared stop flag.
// 1 when the run is to stop (reason set).
static inline int pix_FastStopped(PixFastCtl* ctl, int steps) {
    if ((ctl->countdown -= steps) > 0) return 0;
    ctl->countdown = PIX_ESCAPE_EVERY;
    if (ctl->m && pix_PollEscape(ctl->m)) ctl->stop->store(1, std::memory_order_relaxed);
    if (!ctl->stop->load(std::memory_order_relaxed)) return 0;
    ctl->reason = PIX_STOP_ESCAPE;
    return 1;
}

int pix_Decode(const PixCell* cells, int count, const PixMachine* m, PixFast* f);

// Runs the program for pixels x0..x1-1 of row y of `s` (locked), in place, with
// `regs` as scratch (PIX_REGISTERS, a copy of f->regs). 1 when all were done; 0 at
// the first pixel that failed or was stopped, which is left unwritten.
int pix_FastRow(const PixFast* f, int32_t* regs, Surface* s, int y, int x0, int x1,
                PixFastCtl* ctl);
