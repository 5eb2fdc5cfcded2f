// pix_vocab.h — the vocabulary shared by the compiler and the interpreters: command
// words, variable names, punctuation symbols, the instruction cell and the operand
// layout of every command.
//
// A compiled program is PIX_CELLS cells; a command cell is followed by its fixed
// operands. Roles: 'D' destination (must be a variable), 'S' source (a variable's
// value, or the cell's own value for any other cell), 'N' label (must be a numeral).
// Pure tables; nothing here fails or allocates.
#pragma once
#include <cstdint>

const int PIX_CELLS = 1024;
const int PIX_COMMANDS = 32;     // words 22..31 are known but have no meaning
const int PIX_VARIABLES = 16;
const int PIX_LABELS = 256;

enum PixKind { PIX_KIND_COMMAND = 0, PIX_KIND_VARIABLE = 1, PIX_KIND_NUMERAL = 2 };

enum PixCommand {
    PIX_EXIT, PIX_ADD, PIX_SUBTRACT, PIX_MULTIPLY, PIX_DIVIDE, PIX_MODULUS,
    PIX_SHIFT_LEFT, PIX_SHIFT_RIGHT, PIX_SWAP, PIX_LOAD_PIXEL, PIX_AND, PIX_OR, PIX_XOR,
    PIX_NOT, PIX_MIX, PIX_COMPARE_EQUAL, PIX_COMPARE_LESS, PIX_COMPARE_MORE, PIX_GOTO,
    PIX_GOTOIF, PIX_COPY, PIX_LABEL, PIX_FUNCTION
};

enum PixVariable { PIX_BLUE, PIX_GREEN, PIX_RED, PIX_ALPHA, PIX_X, PIX_Y, PIX_REG_A };

// One instruction cell: {0, 0} is `exit`, so an empty program ends at once.
struct PixCell {
    int32_t value;
    int32_t kind;
};

// The cell at `pos`, or an `exit` cell past the end: every program is followed by
// an implicit exit.
static inline PixCell pix_CellAt(const PixCell* cells, int count, int pos) {
    return (pos >= 0 && pos < count) ? cells[pos] : PixCell{0, PIX_KIND_COMMAND};
}
// A variable cell whose number names a variable.
static inline int pix_IsVariable(PixCell c) {
    return c.kind == PIX_KIND_VARIABLE && c.value >= 0 && c.value < PIX_VARIABLES;
}

// Index of the word in its table, or -1.
int pix_FindCommand(const char* word);
int pix_FindVariable(const char* word);
// 1 for the fourteen one-character symbols ("+" ... "}").
int pix_IsSymbol(const char* word);
// The command's word, "" for a number outside the table.
const char* pix_CommandWord(int command);
// The variable's name, "" for a number outside the table.
const char* pix_VariableWord(int variable);
// Operand roles of an implemented command ("DSS", "DD", "SN"...); null for 22..31
// and anything outside the table.
const char* pix_OperandRoles(int command);
