// pix_vocab.cpp — word tables and operand layouts of the macro language.
#include "pixcode/pix_vocab.h"
#include <cstring>

namespace {
const char* const kCommands[PIX_COMMANDS] = {
    "exit", "add", "subtract", "multiply", "divide", "modulus", "shift_left",
    "shift_right", "swap", "load_pixel", "and", "or", "xor", "not", "mix",
    "compare_equal", "compare_less", "compare_more", "goto", "gotoif", "copy", "label",
    "function", "end_func", "language", "call", "reserved_0", "reserved_1",
    "reserved_2", "reserved_3", "reserved_4", "reserved_5"};

const char* const kVariables[PIX_VARIABLES] = {
    "blue", "green", "red", "alpha", "_x", "_y", "_a", "_b",
    "_c", "_d", "_e", "_f", "_g", "_h", "_i", "_j"};

const char* const kSymbols[] = {"+", "-", "*", "/", "%", "&", "|", "=", "<", ">",
                                "(", ")", "{", "}"};

const char* const kRoles[PIX_FUNCTION] = {
    "", "DSS", "DSS", "DSS", "DSS", "DSS", "DSS", "DSS",   // exit .. shift_right
    "DD", "SS", "DSS", "DSS", "DSS", "DS", "DSS",          // swap .. mix
    "DSS", "DSS", "DSS", "N", "SN", "DS", "N"};            // compare_equal .. label

int Find(const char* const* table, int n, const char* word) {
    for (int i = 0; i < n; i++)
        if (std::strcmp(table[i], word) == 0) return i;
    return -1;
}
}  // namespace

int pix_FindCommand(const char* word) { return Find(kCommands, PIX_COMMANDS, word); }
int pix_FindVariable(const char* word) { return Find(kVariables, PIX_VARIABLES, word); }
int pix_IsSymbol(const char* word) {
    return Find(kSymbols, (int)(sizeof kSymbols / sizeof kSymbols[0]), word) >= 0;
}

const char* pix_CommandWord(int command) {
    return (command >= 0 && command < PIX_COMMANDS) ? kCommands[command] : "";
}

const char* pix_VariableWord(int variable) {
    return variable >= 0 && variable < PIX_VARIABLES ? kVariables[variable] : "";
}

const char* pix_OperandRoles(int command) {
    return (command >= 0 && command < PIX_FUNCTION) ? kRoles[command] : nullptr;
}
