// pix_run.h — running a program over an image: the run command with its editor and
// compile loop, and the pixel pass with progress, write-back and status texts.
//
// Pixels are visited top row first, left to right. Each starts with every variable 0,
// then blue, green, red, alpha from the pixel and _x, _y; after `exit` the four colour
// variables are held to 0..255 and written back. The first pixel that fails stops the
// run unwritten; pixels done before it keep their new values. Undo and repainting are
// the caller's.
// Paths: the plain interpreter (pix_Execute) and the pre-decoded one (pix_fast), which
// runs rows on lanes (pix_lanes, AVX2 loops where the processor has them) unless the
// program reads pixels with load_pixel, and spreads rows over the cores when no pixel
// can fail, none reads another and no jump budget is set; results are identical on
// every path. The engine's reference switch
// (eng_ForceReference) selects the plain one.
#pragma once
#include "engine/surface.h"
#include "pixcode/pix_exec.h"

// Name under which the programming window answers the run command's prompt: inText is
// the token to select (or null), result 1 for Done, 0 for Cancel.
extern const char* const PIX_EDITOR_PROMPT;

// Most threads a run may use; 0 (default) means the machine's cores, at most 4.
void pix_SetThreads(int threads);

// Runs the compiled program over every pixel of `target` with the status texts and
// the wait cursor. 1 when every pixel was done; 0 on an error, Escape, the jump
// budget, or a target that cannot be locked (m->stop says which of the first three).
int pix_RunPixels(Surface* target, const PixCell* cells, PixMachine* m);

// The run command: editor (through the prompt), compile until it succeeds or the user
// cancels, then the pixel pass. 1 when every pixel was processed.
int pix_Run(Surface* target);
