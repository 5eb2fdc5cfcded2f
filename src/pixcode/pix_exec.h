// pix_exec.h — the machine that runs a compiled program for one pixel: the jump-table
// pass that completes compilation, the plain cell-walking interpreter, run-time error
// messages and the cheap Escape check.
//
// Owns: nothing global. A PixMachine belongs to one run; its jump table stays for the
// whole run, its variables are set by the caller before each pixel.
// Promises: every error is shown once in a "Macro Error" box and fails the call;
// division by zero and the smallest integer divided by -1 are run-time errors, never
// a trap; label numbers outside 0..255 are refused by the jump-table pass; Escape is
// polled through the seam only every PIX_ESCAPE_EVERY steps, and not at all during
// the first few milliseconds of a run, so a press that closed a dialog just before
// the run does not stop it.
#pragma once
#include <cstddef>
#include <cstdint>
#include "engine/surface.h"
#include "pixcode/pix_vocab.h"

enum PixError {
    PIX_OK, PIX_ERR_INSTRUCTION, PIX_ERR_DESTINATION, PIX_ERR_LABEL, PIX_ERR_JUMPLIST,
    PIX_ERR_UNKNOWN, PIX_ERR_DIVZERO, PIX_ERR_OVERFLOW
};

// Why the last pix_Execute (or row run) returned 0.
enum PixStop { PIX_STOP_NONE, PIX_STOP_ERROR, PIX_STOP_ESCAPE, PIX_STOP_BUDGET };

const int PIX_ESCAPE_EVERY = 4096;

struct PixMachine {
    Surface* target;                // load_pixel reads it while it is locked
    int32_t vars[PIX_VARIABLES];
    int32_t jump[PIX_LABELS];       // cell index of each label; 0 = program start
    int ready;                      // jump table built
    uint32_t jumpBudget;            // taken jumps allowed per pixel, 0 = no limit
    int stop;                       // a PixStop
    int escapeCountdown;
    int escapeGateOpen;
    int64_t escapeArmedNs;
};

// The four colour variables from a pixel word (blue is the low byte).
static inline void pix_LoadChannels(int32_t* vars, uint32_t p) {
    vars[PIX_BLUE] = (int32_t)(p & 0xFF);
    vars[PIX_GREEN] = (int32_t)((p >> 8) & 0xFF);
    vars[PIX_RED] = (int32_t)((p >> 16) & 0xFF);
    vars[PIX_ALPHA] = (int32_t)(p >> 24);
}
// Variables at the start of pixel (x, y): all 0, then its channels and position.
static inline void pix_StartPixel(int32_t* vars, uint32_t p, int32_t x, int32_t y) {
    for (int i = 0; i < PIX_VARIABLES; i++) vars[i] = 0;
    pix_LoadChannels(vars, p);
    vars[PIX_X] = x;
    vars[PIX_Y] = y;
}
// A colour variable as the byte written back: held to 0..255.
static inline uint32_t pix_ChannelByte(int32_t v) { return (uint32_t)(v < 0 ? 0 : (v > 255 ? 255 : v)); }
// The pixel written back from its four colour variables.
static inline uint32_t pix_PackBytes(int32_t blue, int32_t green, int32_t red, int32_t alpha) {
    return pix_ChannelByte(alpha) << 24 | pix_ChannelByte(red) << 16 | pix_ChannelByte(green) << 8 |
           pix_ChannelByte(blue);
}
static inline uint32_t pix_PackChannels(const int32_t* vars) {
    return pix_PackBytes(vars[PIX_BLUE], vars[PIX_GREEN], vars[PIX_RED], vars[PIX_ALPHA]);
}

// Clears the machine for a new run on `target` (may be null while compiling).
void pix_InitMachine(PixMachine* m, Surface* target);

// Walks the instructions from cell 0, records every label's cell and checks the
// layout; shows its own "Macro Error" box and returns 0 on a fault.
int pix_BuildJumpTable(const PixCell* cells, int count, PixMachine* m);

// The checks made before an instruction runs, in their order of precedence.
// Returns a PixError (PIX_OK when it may run) and the command number.
int pix_CheckInstruction(const PixCell* cells, int count, int pos, const PixMachine* m,
                         int* command);

// Runs the program once from cell 0 on m->vars. 1 at `exit`; 0 on an error (after its
// box), on Escape or when the jump budget runs out (m->stop says which).
int pix_Execute(const PixCell* cells, int count, PixMachine* m);

// Text of a run-time error for `command`, and the box that shows it.
void pix_ErrorText(int error, int command, char* out, size_t cap);
void pix_ReportError(int error, int command);
void pix_MacroBox(const char* text);

// Escape: pix_ArmEscape once at the start of a run discards a press made before it;
// pix_PollEscape asks the seam (1 = pressed).
void pix_ArmEscape(PixMachine* m);
int pix_PollEscape(PixMachine* m);
