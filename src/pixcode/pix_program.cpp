// pix_program.cpp — the program text buffer and its initial sample program.
#include "pixcode/pix_program.h"
#include <cstring>

const char* const PIX_INITIAL_TEXT =
    "// Kelvara Interpreter\r\n// Language: Orvik's Pixcode\r\n//\r\n//Syntax:\r\n"
    "// #command #destination #source1 #source2\r\n//\r\n"
    "//See Help for command and variable list.\r\n\r\n\r\nswap red,green;  // sample\r\n";

namespace {
struct ProgramState {
    char text[PIX_TEXT_SIZE];
    int ready;   // the sample is copied in on first use
};
ProgramState g_program;

void Store(const char* text) {
    size_t n = text ? std::strlen(text) : 0;
    if (n > PIX_TEXT_MAX) n = PIX_TEXT_MAX;
    if (n) std::memcpy(g_program.text, text, n);
    g_program.text[n] = 0;
    g_program.ready = 1;
}
}  // namespace

const char* pix_ProgramText() {
    if (!g_program.ready) Store(PIX_INITIAL_TEXT);
    return g_program.text;
}

int pix_SetProgramText(const char* text) {
    Store(text);
    return 1;
}

void pix_ResetProgramText() { Store(PIX_INITIAL_TEXT); }
