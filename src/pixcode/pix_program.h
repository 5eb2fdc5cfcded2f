// pix_program.h — the one program text of the macro language.
//
// Owns: a process-wide buffer of PIX_TEXT_SIZE bytes (at most PIX_TEXT_MAX characters
// and a NUL) that lives for the whole run of the program and is never saved. It starts
// out holding the sample program (swap red and green, with comments).
// Promises: the text is always NUL-terminated; a longer text is cut at PIX_TEXT_MAX.
#pragma once
#include <cstddef>

const size_t PIX_TEXT_SIZE = 1024;
const size_t PIX_TEXT_MAX = PIX_TEXT_SIZE - 1;

extern const char* const PIX_INITIAL_TEXT;

const char* pix_ProgramText();
// Replaces the text (null means empty); returns 1.
int pix_SetProgramText(const char* text);
// Puts the sample program back.
void pix_ResetProgramText();
