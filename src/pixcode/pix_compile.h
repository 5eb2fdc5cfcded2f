// pix_compile.h — program text to cells: validation, translation and the compile
// driver that runs every step in order.
//
// Steps: pix_StripComments, pix_Tokenize (pix_lex.h), pix_Validate, pix_Translate,
// pix_BuildJumpTable (pix_exec.h). Each failure leaves its message in the out record
// and pix_Compile shows it in a "Compiler Error" box. The bad token is the first word
// that validation refused; it is empty for every other error.
// Numerals: "#" and then only "-0123456789"; the value is read like a C decimal
// integer (sign, digits up to the first non-digit, nothing read gives 0) and held to
// the 32-bit range where it would overflow.
#pragma once
#include "pixcode/pix_exec.h"
#include "pixcode/pix_lex.h"
#include "pixcode/pix_vocab.h"

struct PixCompileOut {
    char error[160];
    char badToken[PIX_WORD_MAX + 1];
};

// 1 when every token is a command, a variable, a symbol, ";" or a numeral.
int pix_Validate(const PixToken* tokens, int count, PixCompileOut* out);
// Fills `cells` (PIX_CELLS, cleared first) with one cell per command, variable or
// numeral; symbols and ";" give none.
int pix_Translate(const PixToken* tokens, int count, PixCell* cells, PixCompileOut* out);
// The whole compilation of `text` into `cells` and m's jump table (m is cleared for
// `target` first). Sets the wait cursor and the status line while it works.
int pix_Compile(const char* text, PixCell* cells, PixMachine* m, Surface* target,
                PixCompileOut* out);
