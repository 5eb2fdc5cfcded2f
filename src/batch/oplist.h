// oplist.h — the operations of the command line: their names and parameters, reading
// one operation's argument, and running it on a Surface.
//
// Every operation is a call of the program's own code: the effects of the Effects menu
// through the catalogue (the dialog's defaults and ranges), the direct effects, the
// transforms, the smart dither, the convolution of a user matrix, the Pixcode compiler
// and interpreter, and the resize of the resize dialog. Nothing here copies a kernel.
// Reading an argument reads the files it names (Pixcode program, matrix) and compiles
// the program, so a bad one is found before any image is touched.
// A prepared operation is read-only: several threads may run it at once.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include "effects/catalogue.h"
#include "engine/surface.h"
#include "pixcode/pix_exec.h"

enum BopKind { BOP_EFFECT, BOP_TRANSFORM, BOP_PIXCODE, BOP_RESIZE, BOP_REDUCE256, BOP_MATRIX };

// A compiled Pixcode program with the machine it was compiled for (jump table built).
struct BopProgram {
    PixCell cells[PIX_CELLS];
    PixMachine machine;
};

struct BatchOp {
    int kind;
    std::string label;       // the option as given, for messages
    uint32_t code;           // effect or transform code (the catalogue's)
    FxSettings fx;           // BOP_EFFECT
    TfSettings tf;           // BOP_TRANSFORM
    int width, height, mode; // BOP_RESIZE: mode of srf_Resize (2 smooth, 3 nearest)
    int32_t weights[9];      // BOP_MATRIX
    std::shared_ptr<const BopProgram> program;  // BOP_PIXCODE
};

// `option` is "--effect", "--transform", "--pixcode", "--matrix", "--resize" or
// "--reduce256" (arg null); 1 with *op filled, 0 with a one-line reason in *error.
int bop_Parse(const char* option, const char* arg, BatchOp* op, std::string* error);
// 1 when option names an operation.
int bop_IsOperation(const char* option);
// Runs the operation on s; colours are COLORREFs (0x00BBGGRR). 0 when it failed (the
// kernels' messages come through the user-interface seam).
int bop_Apply(const BatchOp& op, Surface* s, uint32_t colour1, uint32_t colour2);
// A decimal number of digits only, lo..hi; 1 with *value, else 0.
int bop_ParseNumber(const char* text, int lo, int hi, int* value);
// The operations' part of the help text: every operation, its parameters and names.
void bop_AppendHelp(std::string* out);
